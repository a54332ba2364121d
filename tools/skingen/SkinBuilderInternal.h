// What the files of the skin builder share: the master-image atlas, the shapes every
// element is drawn with, the palette and the builder itself. Only the builder's own files
// include it.
#pragma once

#include "ImageFiles.h"
#include "Palette.h"
#include "PreviewSheet.h"
#include "SkinBuilder.h"
#include "SkinDescription.h"
#include "platform/Exception.h"
#include "tools/common/PngWriter.h"
#include "tools/common/Raster.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace sj::skingen::builder_detail {

using namespace tools;

// Where the classic look keeps its edit border in the master image.
constexpr TRectI kClassicEditBorder{0, 3, 5, 8};

constexpr int kAtlasWidth = 512;
constexpr int kAtlasMaxHeight = 2048;
constexpr const char* kMasterFile = "Master.bmp";

// How the frames of an item are stored.
enum class TForm {
    Masked, // colour rows above mask rows: soft edges over any backdrop
    Keyed,  // one row; clear pixels in the key colour, soft edges flattened onto a matte colour
    Opaque  // one row, everything flattened onto the matte (textures)
};

inline const TColorF kWhite{1, 1, 1, 1};
inline const TColorF kBlack{0, 0, 0, 1};

// A 24-bit colour equal to the key would turn clear when loaded.
TPixel32 StoredPixel(const TColorF& c);
TColorF Over(const TColorF& c, const TColorF& matte);
// Writes frames side by side at (x, y); masked items get their mask rows below.
void StoreFrames(TacPixmap& dst, int x, int y, const std::vector<TLayerF>& frames, TForm form, const TColorF& matte,
                 bool pngMask = false);
TacPixmap DecodeStored(const TacPixmap& src, const TRectI& r, int frames, TForm form);

class TAtlas {
public:
    TAtlas() : FPixels(kAtlasWidth, kAtlasMaxHeight, clKeyPixel) {}

    TacPixmap& Pixels() { return FPixels; }

    void Reserve(const TRectI& r) { FUsed.push_back(r); }

    TRectI Allocate(int w, int h) {
        std::vector<int> ys{0}, xs{0};
        for (const TRectI& u : FUsed) {
            ys.push_back(u.Bottom + 1);
            xs.push_back(u.Right + 1);
        }
        std::sort(ys.begin(), ys.end());
        std::sort(xs.begin(), xs.end());
        for (int y : ys)
            for (int x : xs) {
                const TRectI r{x, y, x + w, y + h};
                if (r.Right <= kAtlasWidth && r.Bottom <= kAtlasMaxHeight && !Overlaps(r)) {
                    FUsed.push_back(r);
                    return r;
                }
            }
        throw Exception("Master image is full");
    }

    TacPixmap Cropped() const {
        int bottom = 1;
        for (const TRectI& u : FUsed)
            bottom = std::max(bottom, u.Bottom);
        TacPixmap out(kAtlasWidth, bottom);
        for (int y = 0; y < bottom; ++y)
            std::copy(FPixels.Row(y), FPixels.Row(y) + kAtlasWidth, out.Row(y));
        return out;
    }

private:
    bool Overlaps(const TRectI& r) const {
        for (const TRectI& u : FUsed)
            if (r.Left <= u.Right && u.Left <= r.Right && r.Top <= u.Bottom && u.Top <= r.Bottom)
                return true;
        return false;
    }

    TacPixmap FPixels;
    std::vector<TRectI> FUsed;
};

// ---- shapes used by many elements ----

struct TFaceLook {
    TColorF Border, Top, Bottom;
    float Gloss = 0;
    float Highlight = 0;
};

void PaintFace(TLayerF& l, float x0, float y0, float x1, float y1, float radius, const TFaceLook& f);

enum class TGlyph { Close, Max, Norm, Min, Help, Up, Down, Left, Right, Tick, Cross, Dot, Square };

void DrawGlyph(TLayerF& l, TGlyph g, float cx, float cy, float s, float stroke, const TColorF& c, bool chevron);
TLayerF Transposed(const TLayerF& src);
TLayerF FlippedV(const TLayerF& src);
TLayerF FlippedH(const TLayerF& src);
// Deterministic noise, so that every build makes the same bytes.
float Noise(int x, int y, unsigned seed);
unsigned NameSeed(const std::string& name);
std::string Upper(std::string s);

// ---- the colours of one skin, derived from its theme ----

struct TPalette {
    TColorF Window, Text, Border, Shadow;
    TColorF TitleTop, TitleBottom, TitleText, TitleInTop, TitleInBottom, TitleInText, TitleGlyph, TitleInGlyph;
    TColorF Face, FaceTop, FaceBottom, FaceText, FaceHot, FaceHotText, FacePressed, FacePressedText;
    TColorF Edit, EditText, EditFocus, EditBorder;
    TColorF Accent, AccentText, Sel, SelText;
    TColorF Menu, MenuText, MenuHot, MenuHotText, IcoLine;
    TColorF Page, PageText, TabFace, TabText, TabHot, TabHotText;
    TColorF Hint, HintText, Track, Tool, ToolText, Status, StatusText, Header, HeaderText;
    TColorF Link, LinkHot;
    float TitleGloss = 0; // the gloss the title may take and keep its caption readable
    bool Dark = false;
};

TPalette MakePalette(const TSkinTheme& t);

// ---- the builder ----

class TSkinBuilder {
public:
    explicit TSkinBuilder(const TSkinTheme& theme)
        : T(theme), P(MakePalette(theme)), FSeed(NameSeed(theme.Name)), FSmall(theme.Classic ? 15 : 13) {}

    TBuiltSkin Build();

private:
    // Items
    std::string MasterItem(const std::string& label, const std::vector<TLayerF>& frames, TForm form,
                           const std::function<std::string(const TRectI&)>& value, const TColorF& matte = {1, 1, 1, 1});
    std::string Glyph(const std::string& label, const std::vector<TLayerF>& frames, bool masked = true);
    std::string Borders(const std::string& label, const std::vector<TLayerF>& frames, int l, int t, int r, int b,
                        int paintFlags, int common = 0);
    void AddFile(const std::string& name, std::vector<std::uint8_t> bytes);
    void Preview(const std::string& label, TacPixmap image, int frames);
    void NinePart(int l, int t, int r, int b, bool centre); // of the last preview entry

    // Sections
    void Section(const std::string& s, int states, const TColorF& color, const TColorF& font);
    void Hot(const std::string& s, const TColorF& color, const TColorF& font);
    void Set(const std::string& s, const std::string& k, const std::string& v) { D.Set(s, k, v); }
    void Set(const std::string& s, const std::string& k, long long v) { D.Set(s, k, v); }
    void SetColor(const std::string& s, const std::string& k, const TColorF& c) { D.Set(s, k, ColorText(RefOf(c))); }
    std::string Gradient(const TColorF& a, const TColorF& b, int mode = 0) const;

    void GlobalInfo();
    void TitleButtons();
    void CheckBoxes();
    void Frame();
    void Buttons();
    void Edits();
    void Groups();
    void Tabs();
    void Menus();
    void ScrollBars();
    void Tools();
    void Misc();
    void Textures();
    void ExtendedBorder();

    TLayerF FaceFrame(int w, int h, float radius, const TFaceLook& look) const;
    TFaceLook ButtonLook(int state) const;
    TLayerF TitleButtonFrame(TGlyph g, int w, int h, int state, bool small) const;
    TLayerF CheckFrame(bool radio, int mark, int state, int size) const;
    TLayerF GlowImage(int w, int h, int margin, const TColorF& c) const;

    const TSkinTheme& T;
    TPalette P;
    unsigned FSeed;
    int FSmall;
    TSkinDescription D;
    TAtlas FAtlas;
    std::vector<TSkinMember> FFiles;
    std::vector<TPreviewEntry> FPreviews;
};

} // namespace sj::skingen::builder_detail

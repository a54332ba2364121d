#include "SkinBuilder.h"

#include "ImageFiles.h"
#include "Palette.h"
#include "PreviewSheet.h"
#include "SkinPackWriter.h"
#include "platform/Exception.h"
#include "tools/common/PngWriter.h"
#include "tools/common/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace sj::skingen {

using namespace tools;

namespace {

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

const TColorF kWhite{1, 1, 1, 1};
const TColorF kBlack{0, 0, 0, 1};

// A 24-bit colour equal to the key would turn clear when loaded.
TPixel32 StoredPixel(const TColorF& c) {
    const unsigned ref = ColorRefOf(c);
    TPixel32 p = MakePixel(static_cast<std::uint8_t>(ref), static_cast<std::uint8_t>(ref >> 8),
                           static_cast<std::uint8_t>(ref >> 16));
    if ((p & 0x00FFFFFF) == (clKeyPixel & 0x00FFFFFF))
        p -= 0x00010000; // one step less red
    return p;
}

TColorF Over(const TColorF& c, const TColorF& matte) {
    return {c.R * c.A + matte.R * (1 - c.A), c.G * c.A + matte.G * (1 - c.A), c.B * c.A + matte.B * (1 - c.A), 1};
}

// Writes frames side by side at (x, y); masked items get their mask rows below.
void StoreFrames(TacPixmap& dst, int x, int y, const std::vector<TLayerF>& frames, TForm form, const TColorF& matte,
                 bool pngMask = false) {
    const int w = frames[0].Width(), h = frames[0].Height();
    for (std::size_t f = 0; f < frames.size(); ++f)
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px) {
                const TColorF c = frames[f].At(px, py);
                const int tx = x + static_cast<int>(f) * w + px, ty = y + py;
                TPixel32 colour = clKeyPixel;
                switch (form) {
                case TForm::Masked: {
                    const int m = 255 - static_cast<int>(std::lround(std::clamp(c.A, 0.0f, 1.0f) * 255.0f));
                    if (m < 255)
                        colour = StoredPixel(c);
                    else if (pngMask)
                        colour = MakePixel(0, 0, 0); // PNG members cannot carry the key colour
                    dst.At(tx, ty + h) = MakePixel(static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(m),
                                                   static_cast<std::uint8_t>(m));
                    break;
                }
                case TForm::Keyed:
                    if (c.A >= 0.4f)
                        colour = StoredPixel(Over(c, matte));
                    break;
                case TForm::Opaque:
                    colour = StoredPixel(Over(c, matte));
                    break;
                }
                dst.At(tx, ty) = colour;
            }
}

// Reads stored frames back the way the skin layer sees them, for the preview sheet.
TacPixmap DecodeStored(const TacPixmap& src, const TRectI& r, int frames, TForm form) {
    const int h = form == TForm::Masked ? r.Height() / 2 : r.Height();
    TacPixmap out(r.Width(), h);
    (void)frames;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < r.Width(); ++x) {
            const TPixel32 p = src.At(r.Left + x, r.Top + y);
            std::uint8_t a = 255;
            if ((p & 0x00FFFFFF) == (clKeyPixel & 0x00FFFFFF))
                a = 0;
            else if (form == TForm::Masked)
                a = static_cast<std::uint8_t>(255 - PixelR(src.At(r.Left + x, r.Top + y + h)));
            out.At(x, y) = (p & 0x00FFFFFF) | (TPixel32{a} << 24);
        }
    return out;
}

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

void PaintFace(TLayerF& l, float x0, float y0, float x1, float y1, float radius, const TFaceLook& f) {
    l.Fill(RoundRect(x0, y0, x1, y1, radius), f.Border);
    const float ri = std::max(0.0f, radius - 1);
    l.Fill(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, ri), VerticalGradient(y0 + 1, f.Top, y1 - 1, f.Bottom));
    if (f.Gloss > 0) {
        const float mid = (y0 + y1) / 2;
        l.Fill(Intersection(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, ri), Rect(x0, y0, x1, mid)),
               VerticalGradient(y0 + 1, WithAlpha(kWhite, 0.55f * f.Gloss), mid, WithAlpha(kWhite, 0.12f * f.Gloss)));
    }
    if (f.Highlight > 0)
        l.Fill(Difference(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, ri), RoundRect(x0 + 1, y0 + 2, x1 - 1, y1, ri)),
               WithAlpha(kWhite, f.Highlight));
}

enum class TGlyph { Close, Max, Norm, Min, Help, Up, Down, Left, Right, Tick, Cross, Dot, Square };

void DrawGlyph(TLayerF& l, TGlyph g, float cx, float cy, float s, float stroke, const TColorF& c, bool chevron) {
    const float h = s / 2;
    switch (g) {
    case TGlyph::Close:
        l.Fill(Line({cx - h, cy - h}, {cx + h, cy + h}, stroke), c);
        l.Fill(Line({cx - h, cy + h}, {cx + h, cy - h}, stroke), c);
        break;
    case TGlyph::Max:
        l.Fill(Difference(Rect(cx - h - 0.5f, cy - h - 0.5f, cx + h + 0.5f, cy + h + 0.5f),
                          Rect(cx - h + stroke - 0.5f, cy - h + stroke + 0.5f, cx + h - stroke + 0.5f,
                               cy + h - stroke + 0.5f)),
               c);
        break;
    case TGlyph::Norm: {
        const float d = s * 0.25f, q = h - d / 2;
        auto box = [&](float ox, float oy) {
            return Difference(
                Rect(ox - q - 0.5f, oy - q - 0.5f, ox + q + 0.5f, oy + q + 0.5f),
                Rect(ox - q + stroke - 0.5f, oy - q + stroke + 0.5f, ox + q - stroke + 0.5f, oy + q - stroke + 0.5f));
        };
        l.Fill(Difference(box(cx + d / 2, cy - d / 2),
                          Rect(cx - q - d / 2 - 1, cy - q + d / 2 - 1, cx + q - d / 2 + 1, cy + q + d / 2 + 1)),
               c);
        l.Fill(box(cx - d / 2, cy + d / 2), c);
        break;
    }
    case TGlyph::Min:
        l.Fill(Line({cx - h, cy + h * 0.6f}, {cx + h, cy + h * 0.6f}, stroke), c);
        break;
    case TGlyph::Help: {
        const float r = h * 0.55f;
        const float ay = cy - h * 0.35f;
        TPointF prev{cx - r, ay};
        for (int i = 1; i <= 8; ++i) {
            const float t = 3.14159f + 3.14159f * 1.5f * static_cast<float>(i) / 8.0f;
            const TPointF p{cx + r * std::cos(t), ay + r * std::sin(t)};
            l.Fill(Line(prev, p, stroke), c);
            prev = p;
        }
        l.Fill(Line(prev, {cx, cy + h * 0.3f}, stroke), c);
        l.Fill(Circle(cx, cy + h * 0.85f, stroke * 0.7f), c);
        break;
    }
    case TGlyph::Up:
    case TGlyph::Down:
    case TGlyph::Left:
    case TGlyph::Right: {
        // Pointing up, then turned.
        std::vector<TPointF> tip{{-h, h * 0.45f}, {0, -h * 0.45f}, {h, h * 0.45f}};
        auto turn = [&](TPointF p) -> TPointF {
            switch (g) {
            case TGlyph::Down:
                return {cx + p.X, cy - p.Y};
            case TGlyph::Left:
                return {cx + p.Y, cy + p.X};
            case TGlyph::Right:
                return {cx - p.Y, cy + p.X};
            default:
                return {cx + p.X, cy + p.Y};
            }
        };
        if (chevron) {
            l.Fill(Line(turn(tip[0]), turn(tip[1]), stroke), c);
            l.Fill(Line(turn(tip[1]), turn(tip[2]), stroke), c);
        } else {
            l.Fill(Polygon({turn(tip[0]), turn(tip[1]), turn(tip[2])}), c);
        }
        break;
    }
    case TGlyph::Tick:
        l.Fill(Line({cx - h, cy}, {cx - h * 0.25f, cy + h * 0.7f}, stroke), c);
        l.Fill(Line({cx - h * 0.25f, cy + h * 0.7f}, {cx + h, cy - h * 0.7f}, stroke), c);
        break;
    case TGlyph::Cross:
        l.Fill(Line({cx - h * 0.8f, cy - h * 0.8f}, {cx + h * 0.8f, cy + h * 0.8f}, stroke), c);
        l.Fill(Line({cx - h * 0.8f, cy + h * 0.8f}, {cx + h * 0.8f, cy - h * 0.8f}, stroke), c);
        break;
    case TGlyph::Dot:
        l.Fill(Circle(cx, cy, h), c);
        break;
    case TGlyph::Square:
        l.Fill(RoundRect(cx - h, cy - h, cx + h, cy + h, 1), c);
        break;
    }
}

// Layer transforms for the tab sides.
TLayerF Transposed(const TLayerF& src) {
    TLayerF out(src.Height(), src.Width());
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            out.Set(y, x, src.At(x, y));
    return out;
}

TLayerF FlippedV(const TLayerF& src) {
    TLayerF out(src.Width(), src.Height());
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            out.Set(x, src.Height() - 1 - y, src.At(x, y));
    return out;
}

TLayerF FlippedH(const TLayerF& src) {
    TLayerF out(src.Width(), src.Height());
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            out.Set(src.Width() - 1 - x, y, src.At(x, y));
    return out;
}

// Deterministic noise, so that every build makes the same bytes.
float Noise(int x, int y, unsigned seed) {
    unsigned n = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u + seed * 2246822519u;
    n = (n ^ (n >> 13)) * 1274126177u;
    return static_cast<float>((n ^ (n >> 16)) & 0xFFFF) / 65535.0f;
}

unsigned NameSeed(const std::string& name) {
    unsigned h = 2166136261u;
    for (unsigned char c : name)
        h = (h ^ c) * 16777619u;
    return h;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

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

double WorstContrastOf(std::initializer_list<TColorF> faces, const TColorF& text) {
    double worst = 21;
    for (const TColorF& face : faces)
        worst = std::min(worst, ContrastRatio(face, text));
    return worst;
}

// The ends of a title's gradient, its caption colour and the gloss it may take.
struct TTitleColours {
    TColorF Top, Bottom, Text;
    float Gloss = 0;
};

// What the caption is drawn on: the gradient's ends, the glossed top (white over the
// upper half, 0.4 x gloss at the top) and, with a caption plate, the plate.
TTitleColours SettleTitle(TColorF top, TColorF bottom, TColorF preferred, bool lightText, float gloss, bool pill) {
    constexpr double kRatio = 4.8;
    const TColorF extreme = lightText ? TColorF{1, 1, 1, 1} : TColorF{0, 0, 0, 1};
    auto plateOf = [pill](const TColorF& base) {
        if (!pill)
            return base;
        return IsDark(base) ? Lighten(base, 0.12f) : Darken(base, 0.08f);
    };
    auto worst = [&](const TColorF& text, float g) {
        const TColorF plate = plateOf(Mix(top, bottom, 0.5f));
        return WorstContrastOf({top, bottom, Lighten(top, 0.4f * g), plate}, text);
    };
    auto textFor = [&](float g) {
        preferred.A = 1;
        for (int step = 0; step <= 20; ++step) {
            const TColorF c = Mix(preferred, extreme, static_cast<float>(step) / 20.0f);
            if (worst(c, g) >= kRatio)
                return c;
        }
        return extreme;
    };
    TTitleColours out;
    for (;; gloss = std::max(0.0f, gloss - 0.05f)) {
        out.Text = textFor(gloss);
        if (worst(out.Text, gloss) >= kRatio || gloss <= 0)
            break;
    }
    out.Gloss = gloss;
    // No text colour serves the whole gradient: its ends give way to the text.
    if (worst(out.Text, gloss) < kRatio) {
        top = FaceFor(top, out.Text, kRatio);
        bottom = FaceFor(bottom, out.Text, kRatio);
        for (int step = 0; step < 20 && worst(out.Text, gloss) < kRatio; ++step) {
            top = lightText ? Darken(top, 0.05f) : Lighten(top, 0.05f);
            bottom = lightText ? Darken(bottom, 0.05f) : Lighten(bottom, 0.05f);
        }
    }
    out.Top = top;
    out.Bottom = bottom;
    return out;
}

TPalette MakePalette(const TSkinTheme& t) {
    TPalette p;
    p.Window = Rgb(t.Window);
    p.Dark = IsDark(p.Window);
    p.Accent = Rgb(t.Accent);
    const TColorF title = Rgb(t.Title);
    p.Text = ReadableOn({p.Window}, p.Dark ? Lighten(p.Window, 0.88f) : Darken(p.Window, 0.86f), 7.0);
    p.Border = p.Dark ? Lighten(p.Window, 0.22f) : Darken(p.Window, 0.32f);
    p.Shadow = Darken(p.Window, 0.5f);

    p.TitleTop = Lighten(title, 0.08f + 0.25f * t.Depth);
    p.TitleBottom = Darken(title, 0.05f + 0.15f * t.Depth);
    const TColorF inactive = Mix(title, p.Window, 0.65f);
    p.TitleInTop = Lighten(inactive, 0.05f + 0.15f * t.Depth);
    p.TitleInBottom = Darken(inactive, 0.04f + 0.08f * t.Depth);
    const bool darkTitle = IsDark(title);
    // The caption reads on all the title paints under it: both ends of the gradient, the
    // gloss over the upper half and the plate behind the text. The text keeps the title's
    // look (light on a dark title); where it cannot reach, the gloss gives way first and
    // then the gradient's ends move away from the text.
    auto active = SettleTitle(p.TitleTop, p.TitleBottom, darkTitle ? Lighten(title, 0.92f) : Darken(title, 0.85f),
                              darkTitle, t.Gloss, t.Has(tfCaptionPill));
    auto passive = SettleTitle(p.TitleInTop, p.TitleInBottom, Mix(active.Text, inactive, 0.3f), IsDark(inactive),
                               active.Gloss, t.Has(tfCaptionPill));
    if (passive.Gloss < active.Gloss)
        active = SettleTitle(p.TitleTop, p.TitleBottom, darkTitle ? Lighten(title, 0.92f) : Darken(title, 0.85f),
                             darkTitle, passive.Gloss, t.Has(tfCaptionPill));
    p.TitleTop = active.Top;
    p.TitleBottom = active.Bottom;
    p.TitleText = active.Text;
    p.TitleInTop = passive.Top;
    p.TitleInBottom = passive.Bottom;
    p.TitleInText = passive.Text;
    p.TitleGloss = passive.Gloss;
    p.TitleGlyph = p.TitleText;
    p.TitleInGlyph = Mix(p.TitleInText, inactive, 0.25f);

    p.Face = t.ButtonFace ? Rgb(t.ButtonFace) : (p.Dark ? Lighten(p.Window, 0.12f) : Lighten(p.Window, 0.45f));
    p.FaceTop = Lighten(p.Face, 0.10f + 0.35f * t.Depth);
    p.FaceBottom = Darken(p.Face, 0.02f + 0.12f * t.Depth);
    p.FaceText = ReadableOn({p.Face, p.FaceTop, p.FaceBottom}, p.Text);
    p.FaceHot = Mix(p.Face, p.Accent, p.Dark ? 0.30f : 0.18f);
    if (!p.Dark)
        p.FaceHot = Lighten(p.FaceHot, 0.35f);
    // Every state above normal (hot, pressed, the default button's look) is written with
    // the hot text colour, so that one colour has to read on all of their faces.
    p.FacePressed = Darken(Mix(p.Face, p.Accent, 0.3f), 0.12f);
    p.FaceHotText = ReadableOn(
        {p.FaceHot, Lighten(p.FaceHot, 0.35f * t.Depth + 0.1f), Darken(p.FaceHot, 0.1f), p.FaceTop, p.FaceBottom},
        p.FaceText);
    p.FaceHot = FaceFor(p.FaceHot, p.FaceHotText);
    p.FacePressed = FaceFor(p.FacePressed, p.FaceHotText, 5.2);
    p.FacePressedText = p.FaceHotText;

    p.Edit = p.Dark ? Darken(p.Window, 0.35f) : Lighten(p.Window, 0.85f);
    p.EditText = ReadableOn({p.Edit}, p.Text, 7.0);
    p.EditFocus = p.Dark ? Darken(p.Window, 0.5f) : kWhite;
    p.EditBorder = p.Dark ? Lighten(p.Window, 0.28f) : Darken(p.Window, 0.38f);

    p.Sel = p.Accent;
    p.SelText = ReadableOn({p.Sel}, IsDark(p.Accent) ? kWhite : kBlack);
    p.Sel = FaceFor(p.Sel, p.SelText);
    p.AccentText = p.SelText;

    p.Menu = p.Dark ? Lighten(p.Window, 0.06f) : Lighten(p.Window, 0.6f);
    p.MenuText = ReadableOn({p.Menu}, p.Text);
    p.MenuHot = p.Dark ? Mix(p.Menu, p.Accent, 0.55f) : Mix(p.Menu, p.Accent, 0.35f);
    p.MenuHotText = ReadableOn({p.MenuHot, Lighten(p.MenuHot, 0.15f), Darken(p.MenuHot, 0.1f)}, p.MenuText);
    p.MenuHot = FaceFor(p.MenuHot, p.MenuHotText);
    p.IcoLine = p.Dark ? Lighten(p.Menu, 0.05f) : Mix(p.Menu, p.Window, 0.6f);

    p.Page = p.Dark ? Lighten(p.Window, 0.05f) : Lighten(p.Window, 0.35f);
    p.PageText = ReadableOn({p.Page}, p.Text);
    p.TabFace = p.Dark ? Darken(p.Window, 0.15f) : Darken(p.Window, 0.05f);
    p.TabText = ReadableOn({p.TabFace, Lighten(p.TabFace, 0.2f)}, p.Text);
    p.TabHot = Mix(p.TabFace, p.Accent, 0.2f);
    p.TabHotText = ReadableOn({p.TabHot, p.Page, Lighten(p.TabHot, 0.2f)}, p.Text);
    p.TabHot = FaceFor(p.TabHot, p.TabHotText);

    p.Hint = p.Dark ? Lighten(p.Window, 0.15f) : Mix(kWhite, p.Accent, 0.08f);
    p.HintText = ReadableOn({p.Hint}, p.Text);
    p.Track = p.Dark ? Darken(p.Window, 0.2f) : Darken(p.Window, 0.06f);
    p.Tool = p.Dark ? Lighten(p.Window, 0.04f) : Lighten(p.Window, 0.2f);
    p.ToolText = ReadableOn({p.Tool, Darken(p.Tool, 0.08f), Lighten(p.Tool, 0.2f)}, p.Text);
    p.Status = p.Dark ? Darken(p.Window, 0.2f) : Darken(p.Window, 0.06f);
    p.StatusText = ReadableOn({p.Status}, p.Text);
    p.Header = p.Dark ? Lighten(p.Window, 0.1f) : Lighten(p.Window, 0.3f);
    p.HeaderText = ReadableOn({p.Header, Darken(p.Header, 0.12f), Lighten(p.Header, 0.3f)}, p.Text);
    p.Link = ReadableOn({p.Window}, p.Dark ? Lighten(p.Accent, 0.3f) : Darken(p.Accent, 0.25f));
    p.LinkHot = ReadableOn({p.Window}, p.Dark ? Lighten(p.Accent, 0.55f) : Darken(p.Accent, 0.45f));
    return p;
}

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

std::string TSkinBuilder::MasterItem(const std::string& label, const std::vector<TLayerF>& frames, TForm form,
                                     const std::function<std::string(const TRectI&)>& value, const TColorF& matte) {
    const int w = frames[0].Width(), h = frames[0].Height();
    const int rows = form == TForm::Masked ? 2 : 1;
    const TRectI r = FAtlas.Allocate(w * static_cast<int>(frames.size()), h * rows);
    StoreFrames(FAtlas.Pixels(), r.Left, r.Top, frames, form, matte);
    Preview(label, DecodeStored(FAtlas.Pixels(), r, static_cast<int>(frames.size()), form),
            static_cast<int>(frames.size()));
    return value(r);
}

std::string TSkinBuilder::Glyph(const std::string& label, const std::vector<TLayerF>& frames, bool masked) {
    const int n = static_cast<int>(frames.size());
    return MasterItem(
        label, frames, masked ? TForm::Masked : TForm::Keyed,
        [&](const TRectI& r) { return GlyphValue(r, n, masked ? 1 : 0); }, P.Window);
}

std::string TSkinBuilder::Borders(const std::string& label, const std::vector<TLayerF>& frames, int l, int t, int r,
                                  int b, int paintFlags, int common) {
    const int n = static_cast<int>(frames.size());
    const std::string value = MasterItem(label, frames, TForm::Masked, [&](const TRectI& rc) {
        return BordersValue(rc, l, t, r, b, n, 1, paintFlags, common);
    });
    NinePart(l, t, r, b, (paintFlags & 4) != 0);
    return value;
}

void TSkinBuilder::NinePart(int l, int t, int r, int b, bool centre) {
    TPreviewEntry& e = FPreviews.back();
    e.Left = l;
    e.Top = t;
    e.Right = r;
    e.Bottom = b;
    e.Centre = centre;
}

void TSkinBuilder::AddFile(const std::string& name, std::vector<std::uint8_t> bytes) {
    FFiles.push_back({name, std::move(bytes)});
}

void TSkinBuilder::Preview(const std::string& label, TacPixmap image, int frames) {
    FPreviews.push_back({label, std::move(image), frames});
}

void TSkinBuilder::Section(const std::string& s, int states, const TColorF& color, const TColorF& font) {
    Set(s, "STATES", states);
    SetColor(s, "COLOR", color);
    SetColor(s, "FONTCOLOR", font);
    if (states > 1) {
        SetColor(s, "HOTCOLOR", color);
        SetColor(s, "HOTFONTCOLOR", font);
    }
}

void TSkinBuilder::Hot(const std::string& s, const TColorF& color, const TColorF& font) {
    SetColor(s, "HOTCOLOR", color);
    SetColor(s, "HOTFONTCOLOR", font);
}

std::string TSkinBuilder::Gradient(const TColorF& a, const TColorF& b, int mode) const {
    return std::to_string(RefOf(a)) + ";" + std::to_string(RefOf(b)) + ";100;" + std::to_string(mode) + ";0";
}

TLayerF TSkinBuilder::FaceFrame(int w, int h, float radius, const TFaceLook& look) const {
    TLayerF l(w, h);
    PaintFace(l, 0, 0, static_cast<float>(w), static_cast<float>(h), radius, look);
    return l;
}

TFaceLook TSkinBuilder::ButtonLook(int state) const {
    const float d = T.Depth;
    switch (state) {
    case 1:
        return {Mix(P.Border, P.Accent, 0.7f), Lighten(P.FaceHot, 0.1f + 0.35f * d), Darken(P.FaceHot, 0.1f * d),
                T.Gloss, 0.35f};
    case 2:
        return {Darken(Mix(P.Border, P.Accent, 0.6f), 0.15f), Darken(P.FacePressed, 0.1f * d),
                Lighten(P.FacePressed, 0.1f * d), T.Gloss * 0.4f, 0};
    case 3:
        return {P.Accent, P.FaceTop, P.FaceBottom, T.Gloss, 0.35f};
    default:
        return {P.Border, P.FaceTop, P.FaceBottom, T.Gloss, 0.35f};
    }
}

// ---- [GLOBALINFO] and its shared images ----

void TSkinBuilder::GlobalInfo() {
    const std::string g = "GLOBALINFO";
    Set(g, "VERSION", T.Version);
    Set(g, "AUTHOR", "SplitJoin");
    Set(g, "DESCRIPTION", T.Description.empty() ? T.Name : T.Description);
    Set(g, "MASTERBITMAP", Upper(kMasterFile));
    Set(g, "STATES", 2);
    SetColor(g, "COLOR", P.Window);
    SetColor(g, "FONTCOLOR", P.Text);
    SetColor(g, "HOTCOLOR", P.EditFocus);
    SetColor(g, "HOTFONTCOLOR", ReadableOn({P.EditFocus}, P.EditText));
    Set(g, "BORDERWIDTH", T.BorderWidth);
    Set(g, "TITLEHEIGHT", T.TitleHeight);
    Set(g, "MAXHEIGHT", T.MaxHeight ? T.MaxHeight : T.TitleHeight - 3);
    Set(g, "ALIGNOFFSET", 0);
    Set(g, "CENTEROFFSET", T.Has(tfBorderMode) ? 0 : (T.TitleHeight > 28 ? 1 : 0));
    Set(g, "BORDERMODE", T.Has(tfBorderMode) ? 1 : 0);
    SetColor(g, "SHADOW1COLOR", kBlack);
    Set(g, "SHADOW1OFFSET", 0);
    Set(g, "SHADOW1BLUR", T.Has(tfExBorder) ? 8 : -1);
    Set(g, "SHADOW1TRANSPARENCY", 60);
    Set(g, "BISPACE", T.Buttons == TTitleButtons::Orb ? 4 : (T.Classic ? 2 : 1));
    Set(g, "BIVALIGN", T.Buttons == TTitleButtons::Flat ? 1 : 0);
    Set(g, "BIRIGHT", T.Buttons == TTitleButtons::Orb ? 6 : (T.Classic ? 1 : 2));
    Set(g, "BILEFT", 4);
    Set(g, "BITOP", 1);
    SetColor(g, "BORDERCOLOR", P.Border);
    Set(g, "BIKEEPHUE", T.Buttons == TTitleButtons::Orb ? 1 : 0);
    Set(g, "AEROBLUR", 0);
    Set(g, "EXTSHADOW", 0);
    if (T.Has(tfExBorder))
        Set(g, "FORMOFFSET", T.Has(tfBorderMode) ? 10 : 2);

    TitleButtons();
    CheckBoxes();

    // Size grips: dots in a triangle, and rows of dots for grip bars.
    auto dots = [&](int w, int h, const std::function<bool(int, int)>& keep) {
        TLayerF l(w, h);
        for (int y = 1; y + 2 <= h; y += 4)
            for (int x = 1; x + 2 <= w; x += 4)
                if (keep(x, y)) {
                    l.Fill(Rect(static_cast<float>(x) + 1, static_cast<float>(y) + 1, static_cast<float>(x) + 3,
                                static_cast<float>(y) + 3),
                           WithAlpha(kWhite, P.Dark ? 0.25f : 0.9f));
                    l.Fill(Rect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x) + 2,
                                static_cast<float>(y) + 2),
                           P.Border);
                }
        return l;
    };
    Set(g, "GRIPIMAGE", Glyph("grip", {dots(13, 13, [](int x, int y) { return x + y >= 12; })}));
    Set(g, "GRIPHORZ", Glyph("grip h", {dots(17, 5, [](int, int) { return true; })}));
    Set(g, "GRIPVERT", Glyph("grip v", {dots(5, 17, [](int, int) { return true; })}));
}

TLayerF TSkinBuilder::TitleButtonFrame(TGlyph g, int w, int h, int state, bool small) const {
    TLayerF l(w, h);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const float s = std::min(fw, fh) * (small ? 0.40f : 0.38f);
    const float stroke = small ? 1.3f : (T.Radius >= 4 ? 1.6f : 1.4f);
    const bool close = g == TGlyph::Close;
    const TColorF red = Rgb(0xD9443B);
    TColorF glyph = P.TitleGlyph;
    switch (T.Buttons) {
    case TTitleButtons::Tile: {
        const float r = static_cast<float>(std::min(T.Radius, 4));
        if (state > 0) {
            const TColorF base =
                close ? red : (IsDark(P.TitleBottom) ? Lighten(P.TitleBottom, 0.25f) : Darken(P.TitleBottom, 0.15f));
            const TColorF fill = state == 2 ? Darken(base, 0.2f) : base;
            PaintFace(l, 0.5f, 0.5f, fw - 0.5f, fh - 0.5f, r,
                      {Darken(fill, 0.2f), Lighten(fill, 0.15f), fill, T.Gloss * 0.6f, 0});
            glyph = close ? kWhite : ReadableOn({fill}, P.TitleGlyph, 3.0);
        } else if (T.Classic) {
            l.Fill(RoundRect(0.5f, 0.5f, fw - 0.5f, fh - 0.5f, r), WithAlpha(kWhite, 0.18f));
            l.Fill(Difference(RoundRect(0.5f, 0.5f, fw - 0.5f, fh - 0.5f, r),
                              RoundRect(1.5f, 1.5f, fw - 1.5f, fh - 1.5f, r - 1)),
                   WithAlpha(P.TitleGlyph, 0.35f));
        }
        DrawGlyph(l, g, fw / 2, fh / 2, s, stroke, glyph, false);
        break;
    }
    case TTitleButtons::Orb: {
        TColorF c =
            close ? red : (g == TGlyph::Min ? Rgb(0xE0A832) : (g == TGlyph::Help ? Rgb(0x4F86D6) : Rgb(0x4FAE4A)));
        if (state == 1)
            c = Lighten(c, 0.15f);
        if (state == 2)
            c = Darken(c, 0.2f);
        const float rad = std::min(fw, fh) / 2 - 2;
        l.Fill(Circle(fw / 2, fh / 2, rad + 0.7f), Darken(c, 0.35f));
        l.Fill(Circle(fw / 2, fh / 2, rad - 0.3f), VerticalGradient(fh / 2 - rad, Lighten(c, 0.25f), fh / 2 + rad, c));
        l.Fill(Intersection(Circle(fw / 2, fh / 2, rad - 1.2f), Rect(0, 0, fw, fh / 2)),
               WithAlpha(kWhite, 0.35f * std::max(T.Gloss, 0.4f)));
        if (state > 0)
            DrawGlyph(l, g, fw / 2, fh / 2, rad * 0.95f, 1.3f, WithAlpha(Darken(c, 0.6f), 0.85f), false);
        break;
    }
    case TTitleButtons::Flat: {
        if (state > 0) {
            const TColorF fill = close ? red : (IsDark(P.TitleBottom) ? kWhite : kBlack);
            l.Fill(Rect(0, 0, fw, fh),
                   WithAlpha(fill, close ? (state == 2 ? 1.0f : 0.85f) : (state == 2 ? 0.3f : 0.16f)));
            glyph = close ? kWhite : P.TitleGlyph;
        }
        DrawGlyph(l, g, fw / 2, fh / 2, s, stroke * 0.85f, glyph, false);
        break;
    }
    case TTitleButtons::Square: {
        TFaceLook look = ButtonLook(state == 0 ? 0 : (state == 1 ? 1 : 2));
        if (close && state > 0) {
            look.Top = Lighten(red, 0.2f);
            look.Bottom = red;
            look.Border = Darken(red, 0.3f);
        }
        PaintFace(l, 0.5f, 0.5f, fw - 0.5f, fh - 0.5f, static_cast<float>(std::min(T.Radius, 3)), look);
        glyph = close && state > 0 ? kWhite : (state == 1 ? P.FaceHotText : P.FaceText);
        DrawGlyph(l, g, fw / 2, fh / 2, s, stroke, glyph, false);
        break;
    }
    }
    return l;
}

TLayerF TSkinBuilder::GlowImage(int w, int h, int margin, const TColorF& c) const {
    // A soft halo around a w x h hole, margin pixels wide.
    TLayerF l(w + 2 * margin, h + 2 * margin);
    const float m = static_cast<float>(margin);
    for (int y = 0; y < l.Height(); ++y)
        for (int x = 0; x < l.Width(); ++x) {
            const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            const float dx = std::max({m - px, 0.0f, px - (m + static_cast<float>(w))});
            const float dy = std::max({m - py, 0.0f, py - (m + static_cast<float>(h))});
            const float d = std::sqrt(dx * dx + dy * dy);
            const float a = d >= m ? 0 : 0.6f * (1 - d / m) * (1 - d / m);
            if (a > 0)
                l.Set(x, y, WithAlpha(c, a));
        }
    return l;
}

void TSkinBuilder::TitleButtons() {
    const std::string g = "GLOBALINFO";
    const bool png = T.Has(tfPngTitleButtons);
    struct TKind {
        const char* Key;
        TGlyph Glyph;
        bool Small;
    };
    const TKind kinds[] = {{"BICONCLOSE", TGlyph::Close, false}, {"BICLOSEALONE", TGlyph::Close, false},
                           {"BICONMAX", TGlyph::Max, false},     {"BICONNORM", TGlyph::Norm, false},
                           {"BICONMIN", TGlyph::Min, false},     {"BICONHELP", TGlyph::Help, false},
                           {"SICONCLOSE", TGlyph::Close, true},  {"SICONMAX", TGlyph::Max, true},
                           {"SICONNORM", TGlyph::Norm, true},    {"SICONMIN", TGlyph::Min, true},
                           {"SICONHELP", TGlyph::Help, true}};
    const int bw = T.Buttons == TTitleButtons::Orb ? T.TitleButtonHeight : T.TitleButtonWidth;
    const int bh = T.TitleButtonHeight;
    for (const TKind& k : kinds) {
        int w = k.Small ? std::max(15, bw * 3 / 4) : bw, h = k.Small ? std::max(13, bh * 3 / 4) : bh;
        if (std::string(k.Key) == "BICLOSEALONE" && T.Buttons != TTitleButtons::Orb)
            w = bw + 8; // a lone close button gets a wider plate
        std::vector<TLayerF> frames;
        for (int state = 0; state < 3; ++state)
            frames.push_back(TitleButtonFrame(k.Glyph, w, h, state, k.Small));
        if (png && !k.Small) {
            // Opaque PNG with mask rows: PNG pixels are premultiplied on loading, so the
            // key colour could not survive in them.
            TacPixmap file(w * 3, h * 2);
            StoreFrames(file, 0, 0, frames, TForm::Masked, kWhite, true);
            const std::string name = "Title_" + std::string(k.Key) + ".png";
            AddFile(name, tools::EncodePng(file));
            Set(g, k.Key, FileValue(Upper(name), 3, 1, 2));
            Preview(k.Key, DecodeStored(file, {0, 0, w * 3, h * 2}, 3, TForm::Masked), 3);
        } else {
            Set(g, k.Key, Glyph(k.Key, frames));
        }
    }
    // User title buttons: an empty plate.
    {
        std::vector<TLayerF> frames;
        for (int state = 0; state < 3; ++state) {
            TLayerF l(bw, bh);
            PaintFace(l, 0.5f, 0.5f, static_cast<float>(bw) - 0.5f, static_cast<float>(bh) - 0.5f,
                      static_cast<float>(std::min(T.Radius, 4)), ButtonLook(state));
            frames.push_back(std::move(l));
        }
        Set(g, "TITLEBUTTON", Glyph("TITLEBUTTON", frames));
    }
    if (T.Has(tfControlGlow)) {
        const char* keys[] = {"BICONCLOSE", "BICONMAX", "BICONMIN"};
        const char* files[] = {"GlowClose.png", "GlowMax.png", "GlowMin.png"};
        for (int i = 0; i < 3; ++i) {
            const TColorF c = i == 0 ? Rgb(0xFF5A4A) : Lighten(P.Accent, 0.3f);
            const TLayerF glow = GlowImage(bw, bh, 8, c);
            AddFile(files[i], tools::EncodePng(glow.ToPixmap()));
            Set(g, std::string(keys[i]) + "GLOW0", FileValue(Upper(files[i]), 1, 0, 4));
            Set(g, std::string(keys[i]) + "GLOW", 1);
            Set(g, std::string(keys[i]) + "GLOWMARGIN", 8);
            Preview(std::string(keys[i]) + "GLOW0", glow.ToPixmap(), 1);
        }
    }
}

TLayerF TSkinBuilder::CheckFrame(bool radio, int mark, int state, int size) const {
    TLayerF l(size, size);
    const float s = static_cast<float>(size);
    const TColorF border = state == 0 ? P.EditBorder : Mix(P.EditBorder, P.Accent, 0.75f);
    const TColorF fill =
        state == 2 ? Mix(P.Edit, P.Accent, 0.25f) : (state == 1 ? Mix(P.Edit, P.Accent, 0.08f) : P.Edit);
    const TFaceLook look{border, Lighten(fill, 0.1f * T.Depth), Darken(fill, 0.08f * T.Depth), T.Gloss * 0.5f, 0};
    if (radio)
        PaintFace(l, 0.5f, 0.5f, s - 0.5f, s - 0.5f, s / 2, look);
    else
        PaintFace(l, 0.5f, 0.5f, s - 0.5f, s - 0.5f, static_cast<float>(std::min(T.Radius, 3)), look);
    const TColorF markColor = ReadableOn({fill}, P.Dark ? Lighten(P.Accent, 0.2f) : Darken(P.Accent, 0.2f), 3.0);
    if (mark == 1) {
        if (radio)
            DrawGlyph(l, TGlyph::Dot, s / 2, s / 2, s * 0.42f, 0, markColor, false);
        else if (T.Check == TCheckMark::Tick)
            DrawGlyph(l, TGlyph::Tick, s / 2, s / 2, s * 0.56f, s > 13 ? 2.0f : 1.7f, markColor, false);
        else if (T.Check == TCheckMark::Cross)
            DrawGlyph(l, TGlyph::Cross, s / 2, s / 2, s * 0.55f, 1.8f, markColor, false);
        else
            DrawGlyph(l, TGlyph::Square, s / 2, s / 2, s * 0.5f, 0, markColor, false);
    } else if (mark == 2) {
        const TColorF grey = Mix(markColor, fill, 0.55f);
        if (radio)
            DrawGlyph(l, TGlyph::Dot, s / 2, s / 2, s * 0.42f, 0, grey, false);
        else
            DrawGlyph(l, TGlyph::Square, s / 2, s / 2, s * 0.5f, 0, grey, false);
    }
    return l;
}

void TSkinBuilder::CheckBoxes() {
    const std::string g = "GLOBALINFO";
    const int size = T.Classic ? 15 : (T.Radius >= 5 ? 15 : 14);
    struct TBox {
        const char* Key;
        bool Radio;
        int Mark;
        int Size;
    };
    const TBox boxes[] = {{"BOXCHECKED", false, 1, size},         {"BOXUNCHECKED", false, 0, size},
                          {"BOXGRAYED", false, 2, size},          {"RADIOCHECKED", true, 1, size},
                          {"RADIOUNCHECKED", true, 0, size},      {"RADIOGRAYED", true, 2, size},
                          {"SMALLCHECKED", false, 1, FSmall - 2}, {"SMALLUNCHECKED", false, 0, FSmall - 2},
                          {"SMALLGRAYED", false, 2, FSmall - 2}};
    for (const TBox& b : boxes) {
        std::vector<TLayerF> frames;
        for (int state = 0; state < 3; ++state)
            frames.push_back(CheckFrame(b.Radio, b.Mark, state, b.Size));
        if (T.Classic && std::string(b.Key) == "BOXCHECKED") {
            // Kept where older descriptions of this skin put it: three 15 x 15 frames at (163, 15).
            const TRectI r{163, 15, 163 + 45, 30};
            StoreFrames(FAtlas.Pixels(), r.Left, r.Top, frames, TForm::Keyed, P.Window);
            Preview(b.Key, DecodeStored(FAtlas.Pixels(), r, 3, TForm::Keyed), 3);
            Set(g, b.Key, GlyphValue(r, 3, 0));
            continue;
        }
        Set(g, b.Key, Glyph(b.Key, frames, !T.Classic));
    }
    // Menu check mark: normal and selected item.
    std::vector<TLayerF> frames;
    for (const TColorF& c : {P.MenuText, P.MenuHotText}) {
        TLayerF l(16, 16);
        DrawGlyph(l, T.Check == TCheckMark::Cross ? TGlyph::Cross : TGlyph::Tick, 8, 8, 9, 1.8f, c, false);
        frames.push_back(std::move(l));
    }
    Set(g, "CHECK", Glyph("CHECK", frames));
}

// ---- window frame and caption ----

void TSkinBuilder::Frame() {
    const int bw = T.BorderWidth, th = T.TitleHeight;
    const float tr = static_cast<float>(T.TitleRadius);
    const float br = static_cast<float>(std::min(T.TitleRadius, std::max(bw - 1, 2)));

    // FORM: the side and bottom frame; frame 0 inactive, frame 1 active.
    {
        const int size = 2 * bw + 6;
        std::vector<TLayerF> frames;
        for (int active = 0; active < 2; ++active) {
            TLayerF l(size, size);
            const TColorF body = active ? P.TitleBottom : P.TitleInBottom;
            const float s = static_cast<float>(size), b = static_cast<float>(bw);
            l.Fill(RoundRect(0, -20, s, s, br), active ? Darken(P.TitleBottom, 0.35f) : P.Border);
            l.Fill(RoundRect(1, -20, s - 1, s - 1, std::max(0.0f, br - 1)), body);
            l.Fill(Rect(b - 1, -1, s - b + 1, s - b + 1), Mix(body, P.Border, 0.6f));
            l.Fill(Rect(b, -1, s - b, s - b), P.Window);
            frames.push_back(std::move(l));
        }
        Section("FORM", 2, P.Window, P.Text);
        if (T.Texture == TTexture::None)
            Set("FORM", "GRADIENTDATA", " ");
        Set("FORM", "BORDERSMASK", Borders("FORM", frames, bw, bw, bw, bw, 1));
    }
    // FORMTITLE: the caption strip with rounded top corners; state = form active.
    {
        const int side = std::max(bw, T.TitleRadius + 1);
        const int w = 2 * side + 10;
        std::vector<TLayerF> frames;
        for (int active = 0; active < 2; ++active) {
            TLayerF l(w, th);
            const TColorF top = active ? P.TitleTop : P.TitleInTop, bottom = active ? P.TitleBottom : P.TitleInBottom;
            const float fw = static_cast<float>(w), fh = static_cast<float>(th);
            l.Fill(RoundRect(0, 0, fw, fh + tr + 2, tr), active ? Darken(P.TitleBottom, 0.35f) : P.Border);
            l.Fill(RoundRect(1, 1, fw - 1, fh + tr + 2, std::max(0.0f, tr - 1)), VerticalGradient(1, top, fh, bottom));
            if (P.TitleGloss > 0)
                l.Fill(
                    Intersection(RoundRect(1, 1, fw - 1, fh + tr, std::max(0.0f, tr - 1)), Rect(0, 0, fw, fh * 0.5f)),
                    VerticalGradient(1, WithAlpha(kWhite, 0.4f * P.TitleGloss), fh * 0.5f,
                                     WithAlpha(kWhite, 0.1f * P.TitleGloss)));
            l.Fill(Difference(RoundRect(1, 1, fw - 1, fh, std::max(0.0f, tr - 1)), RoundRect(1, 2, fw - 1, fh + 4, tr)),
                   WithAlpha(kWhite, 0.3f));
            l.Fill(Rect(static_cast<float>(bw) - 1, fh - 1, fw - static_cast<float>(bw) + 1, fh),
                   Mix(bottom, P.Border, 0.6f));
            frames.push_back(std::move(l));
        }
        const TColorF mid = Mix(P.TitleTop, P.TitleBottom, 0.5f), midIn = Mix(P.TitleInTop, P.TitleInBottom, 0.5f);
        Section("FORMTITLE", 2, midIn, P.TitleInText);
        Hot("FORMTITLE", mid, P.TitleText);
        Set("FORMTITLE", "GRADIENTDATA", Gradient(P.TitleInTop, P.TitleInBottom));
        Set("FORMTITLE", "HOTGRADIENTDATA", Gradient(P.TitleTop, P.TitleBottom));
        Set("FORMTITLE", "GRADIENTPERCENT", 100);
        Set("FORMTITLE", "HOTGRADIENTPERCENT", 100);
        Set("FORMTITLE", "BORDERSMASK", Borders("FORMTITLE", frames, side, std::max(2, T.TitleRadius), side, 2, 5));
        if (T.Has(tfTextShadow)) {
            const TColorF shade = IsDark(P.TitleText) ? Lighten(mid, 0.4f) : Darken(mid, 0.45f);
            SetColor("FORMTITLE", "TCBOTTOM", Mix(shade, midIn, 0.3f));
            SetColor("FORMTITLE", "HOTTCBOTTOM", shade);
        }
        if (T.Has(tfTitleGlow)) {
            SetColor("FORMTITLE", "GCOL", midIn);
            SetColor("FORMTITLE", "HGCOL", IsDark(P.TitleText) ? kWhite : Lighten(P.Accent, 0.2f));
            Set("FORMTITLE", "GSIZE", 0);
            Set("FORMTITLE", "HGSIZE", 6);
        }
    }
    // CAPTION: the plate behind the caption text.
    {
        const TColorF mid = Mix(P.TitleTop, P.TitleBottom, 0.5f), midIn = Mix(P.TitleInTop, P.TitleInBottom, 0.5f);
        Section("CAPTION", 2, midIn, P.TitleInText);
        Hot("CAPTION", mid, P.TitleText);
        if (T.Has(tfCaptionPill)) {
            std::vector<TLayerF> frames;
            for (int active = 0; active < 2; ++active) {
                TLayerF l(16, 16);
                const TColorF base = active ? mid : midIn;
                const TColorF plate = IsDark(base) ? Lighten(base, 0.12f) : Darken(base, 0.08f);
                l.Fill(RoundRect(0.5f, 0.5f, 15.5f, 15.5f, 6), WithAlpha(Darken(plate, 0.2f), 0.8f));
                l.Fill(RoundRect(1.5f, 1.5f, 14.5f, 14.5f, 5), plate);
                frames.push_back(std::move(l));
            }
            Set("CAPTION", "TRANSPARENCY", 100);
            Set("CAPTION", "HOTTRANSPARENCY", 100);
            Set("CAPTION", "BORDERSMASK", Borders("CAPTION", frames, 6, 6, 6, 6, 5));
        } else {
            Set("CAPTION", "TRANSPARENCY", 100);
            Set("CAPTION", "HOTTRANSPARENCY", 100);
        }
    }
    // Dialog windows look like the main window.
    Set("DIALOG", "PARENTCLASS", "FORM");
    Set("DIALOGTITLE", "PARENTCLASS", "FORMTITLE");
}

// ---- controls ----

void TSkinBuilder::Buttons() {
    const int r = std::max(T.Radius, 2);
    const int bord = std::max(r, 3);
    const int w = 2 * bord + 8, h = 22;
    std::vector<TLayerF> frames;
    for (int state = 0; state < 4; ++state)
        frames.push_back(FaceFrame(w, h, static_cast<float>(r), ButtonLook(state)));

    // Pushed buttons paint their whole face from the image; the fill shows the backdrop.
    Set("BUTTON", "STATES", 4);
    SetColor("BUTTON", "COLOR", P.Face);
    SetColor("BUTTON", "FONTCOLOR", P.FaceText);
    Set("BUTTON", "TRANSPARENCY", 100);
    Set("BUTTON", "HOTTRANSPARENCY", 100);
    Set("BUTTON", "GRADIENTDATA", "N/A");
    // The hot colour defaults to white; write it only where white would misstate the face.
    if (RelativeLuminance(P.FaceHot) < 0.7 || ContrastRatio(kWhite, P.FaceHotText) < 4.8)
        SetColor("BUTTON", "HOTCOLOR", P.FaceHot);
    SetColor("BUTTON", "HOTFONTCOLOR", P.FaceHotText);
    Set("BUTTON", "FADINGENABLED", 1);
    Set("BUTTON", "FADINGITERATIONS", T.Classic ? 10 : 6 + static_cast<int>(FSeed % 5));
    Set("BUTTON", "SHOWFOCUS", 1);
    if (T.Has(tfBmpButton)) {
        TacPixmap file(w * 4, h * 2);
        StoreFrames(file, 0, 0, frames, TForm::Masked, kWhite);
        AddFile("Button.bmp", EncodeBmp24(file));
        Set("BUTTON", "BORDERSMASK", FileValue("BUTTON.BMP", 4, 1, 0, bord, bord, bord, bord, 5));
        Preview("BUTTON", DecodeStored(file, {0, 0, w * 4, h * 2}, 4, TForm::Masked), 4);
        NinePart(bord, bord, bord, bord, true);
    } else {
        Set("BUTTON", "BORDERSMASK", Borders("BUTTON", frames, bord, bord, bord, bord, 5));
    }
    if (T.Has(tfControlGlow)) {
        const TLayerF glow = GlowImage(24, 24, 7, Lighten(P.Accent, 0.25f));
        AddFile("GlowButton.png", tools::EncodePng(glow.ToPixmap()));
        Set("BUTTON", "GLOW", 1);
        Set("BUTTON", "GLOWMARGIN", 4);
        Set("BUTTON", "GLOW0", FileValue("GLOWBUTTON.PNG", 1, 0, 3, 7, 7, 7, 7, 1));
        Preview("BUTTON GLOW0", glow.ToPixmap(), 1);
    }
    Set("BUTTON_BIG", "PARENTCLASS", "BUTTON");
    Set("BUTTON_HUGE", "PARENTCLASS", "BUTTON");

    // Speed buttons: flat until hovered in the skins that want it.
    const bool flat = T.Has(tfFlatTools);
    std::vector<TLayerF> speed;
    for (int state = 0; state < 4; ++state) {
        TFaceLook look = ButtonLook(state == 3 ? 2 : state);
        if (state == 0 && flat) {
            speed.push_back(TLayerF(w, h)); // never painted: PaintFlags bit 2 skips state 0
            continue;
        }
        speed.push_back(FaceFrame(w, h, static_cast<float>(r), look));
    }
    Section("SPEEDBUTTON", 4, flat ? P.Window : P.Face, flat ? P.Text : P.FaceText);
    Set("SPEEDBUTTON", "TRANSPARENCY", flat ? 100 : 0);
    Hot("SPEEDBUTTON", P.FaceHot, P.FaceHotText);
    Set("SPEEDBUTTON", "BORDERSMASK", Borders("SPEEDBUTTON", speed, bord, bord, bord, bord, flat ? 7 : 5));
    std::vector<TLayerF> smallSpeed;
    for (int state = 0; state < 3; ++state)
        smallSpeed.push_back(FaceFrame(10, 10, 2, ButtonLook(state)));
    Section("SPEEDBUTTON_SMALL", 3, P.Face, P.FaceText);
    Hot("SPEEDBUTTON_SMALL", P.FaceHot, P.FaceHotText);
    Set("SPEEDBUTTON_SMALL", "BORDERSMASK", Borders("SPEEDBUTTON_SMALL", smallSpeed, 3, 3, 3, 3, 5));
    Set("TOOLBUTTON", "PARENTCLASS", "SPEEDBUTTON");
    Set("TB_BTN", "PARENTCLASS", "SPEEDBUTTON");
    Set("MENUBTN", "PARENTCLASS", "SPEEDBUTTON");

    // Up-down buttons: three states, small corners.
    std::vector<TLayerF> updown;
    for (int state = 0; state < 3; ++state)
        updown.push_back(FaceFrame(12, 12, static_cast<float>(std::min(r, 3)), ButtonLook(state)));
    Section("UPDOWNBTN", 3, P.Face, P.FaceText);
    Hot("UPDOWNBTN", P.FaceHot, P.FaceHotText);
    Set("UPDOWNBTN", "BORDERSMASK", Borders("UPDOWNBTN", updown, 3, 3, 3, 3, 5));
}

void TSkinBuilder::Edits() {
    const TColorF focusBorder = P.Accent;
    if (T.Classic) {
        // 5 x 5 at (0, 3), two-pixel borders, no mask, clear corner pixels (reserved by Build).
        const TRectI r = kClassicEditBorder;
        TacPixmap& m = FAtlas.Pixels();
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                const bool outer = x == 0 || y == 0 || x == 4 || y == 4;
                const bool corner = (x == 0 || x == 4) && (y == 0 || y == 4);
                const TColorF c = outer ? P.EditBorder : (x == 2 && y == 2 ? P.Edit : Mix(P.Edit, P.EditBorder, 0.15f));
                m.At(r.Left + x, r.Top + y) = corner ? clKeyPixel : StoredPixel(c);
            }
        Preview("EDIT", DecodeStored(m, r, 1, TForm::Keyed), 1);
        NinePart(2, 2, 2, 2, true);
        Set("EDIT", "BORDERSMASK", BordersValue(r, 2, 2, 2, 2, 1, 0, 1, 1));
    } else {
        const int b = std::max(2, std::min(T.Radius, 4));
        const int size = 2 * b + 4;
        std::vector<TLayerF> frames;
        for (int state = 0; state < 2; ++state) {
            TLayerF l(size, size);
            const float s = static_cast<float>(size);
            l.Fill(RoundRect(0, 0, s, s, static_cast<float>(std::min(T.Radius, 4))),
                   state ? focusBorder : P.EditBorder);
            l.Fill(RoundRect(1, 1, s - 1, s - 1, static_cast<float>(std::max(0, std::min(T.Radius, 4) - 1))),
                   state ? P.EditFocus : P.Edit);
            if (!P.Dark && state == 0)
                l.Fill(Rect(2, 1, s - 2, 2), WithAlpha(P.Shadow, 0.12f));
            frames.push_back(std::move(l));
        }
        Set("EDIT", "BORDERSMASK", Borders("EDIT", frames, b, b, b, b, 1));
    }
    Section("EDIT", 2, P.Edit, P.EditText);
    Hot("EDIT", P.EditFocus, ReadableOn({P.EditFocus}, P.EditText, 7.0));
    Set("ALPHAEDIT", "PARENTCLASS", "EDIT");

    // Combo boxes are edits with a drop-down glyph and button.
    Set("COMBOBOX", "PARENTCLASS", "EDIT");
    Section("COMBOBOX", 2, P.Edit, P.EditText);
    Hot("COMBOBOX", P.EditFocus, ReadableOn({P.EditFocus}, P.EditText, 7.0));
    std::vector<TLayerF> arrows;
    for (int state = 0; state < 3; ++state) {
        TLayerF l(11, 11);
        DrawGlyph(l, TGlyph::Down, 5.5f, 5.5f, 7, 1.6f, state ? P.Accent : P.EditText, T.Radius >= 4);
        arrows.push_back(std::move(l));
    }
    Set("COMBOBOX", "GLYPHMASK", Glyph("COMBOBOX GLYPHMASK", arrows));
    Set("ALPHACOMBOBOX", "PARENTCLASS", "COMBOBOX");
    std::vector<TLayerF> btn;
    for (int state = 0; state < 3; ++state)
        btn.push_back(state == 0 ? TLayerF(12, 16)
                                 : FaceFrame(12, 16, static_cast<float>(std::min(T.Radius, 3)), ButtonLook(state)));
    Section("COMBOBTN", 3, P.Edit, P.EditText);
    Hot("COMBOBTN", P.FaceHot, P.FaceHotText);
    Set("COMBOBTN", "TRANSPARENCY", 100);
    Set("COMBOBTN", "BORDERSMASK", Borders("COMBOBTN", btn, 3, 3, 3, 3, 7));
}

void TSkinBuilder::Groups() {
    const int r = std::max(T.Radius, 2);
    const int b = r + 1;
    const int size = 2 * b + 4;
    auto outline = [&](const TColorF& c, bool sunken) {
        TLayerF l(size, size);
        const float s = static_cast<float>(size);
        l.Fill(Difference(RoundRect(0, 0, s, s, static_cast<float>(r)),
                          RoundRect(1, 1, s - 1, s - 1, static_cast<float>(r - 1))),
               c);
        if (!P.Dark)
            l.Fill(Difference(
                       RoundRect(1, 1, s - 1, s - 1, static_cast<float>(r - 1)),
                       RoundRect(sunken ? 1.0f : 2.0f, sunken ? 2.0f : 1.0f, s - 2, s - 2, static_cast<float>(r - 1))),
                   WithAlpha(sunken ? P.Shadow : kWhite, sunken ? 0.2f : 0.6f));
        return l;
    };
    // GROUPBOX: its caption sits on the window colour.
    Section("GROUPBOX", 1, P.Window, P.Text);
    Set("GROUPBOX", "TRANSPARENCY", 100);
    if (T.Has(tfFreeForm)) {
        const TLayerF l = outline(P.Border, false);
        Set("GROUPBOX", "BORDERSMASK", MasterItem("GROUPBOX", {l}, TForm::Masked, [&](const TRectI& rc) {
                return FreeBordersValue(rc, 1, 1, b, 1);
            }));
    } else {
        Set("GROUPBOX", "BORDERSMASK", Borders("GROUPBOX", {outline(P.Border, false)}, b, b, b, b, 1));
    }

    // PANEL and its sunken variant.
    Section("PANEL", 1, P.Window, P.Text);
    if (T.Has(tfPlainBmp)) {
        // Whole-bitmap form: three frames and a mask row, borders of a ninth and a sixth.
        const int fw = 9, fh = 9;
        std::vector<TLayerF> frames;
        for (int state = 0; state < 3; ++state) {
            TLayerF l(fw, fh);
            l.Fill(Rect(0, 0, fw, fh), state ? P.Accent : P.Border);
            l.Fill(Rect(1, 1, fw - 1, fh - 1), Lighten(P.Window, 0.3f));
            l.Fill(Rect(2, 2, fw - 2, fh - 2), P.Window);
            frames.push_back(std::move(l));
        }
        TacPixmap file(fw * 3, fh * 2);
        StoreFrames(file, 0, 0, frames, TForm::Masked, kWhite);
        AddFile("Panel.bmp", EncodeBmp24(file));
        Set("PANEL", "BORDERSMASK", "PANEL.BMP");
        Preview("PANEL", DecodeStored(file, {0, 0, fw * 3, fh * 2}, 3, TForm::Masked), 3);
    } else if (T.Has(tfFreeForm)) {
        Set("PANEL", "BORDERSMASK",
            MasterItem("PANEL", {outline(P.Border, false)}, TForm::Masked,
                       [&](const TRectI& rc) { return FreeBordersValue(rc, 1, 1, b, 1); }));
    } else {
        Set("PANEL", "BORDERSMASK", Borders("PANEL", {outline(Mix(P.Border, P.Window, 0.3f), false)}, b, b, b, b, 1));
    }
    const TColorF low = P.Dark ? Darken(P.Window, 0.15f) : Darken(P.Window, 0.04f);
    Set("PANEL_LOW", "PARENTCLASS", "PANEL");
    SetColor("PANEL_LOW", "COLOR", low);
    SetColor("PANEL_LOW", "FONTCOLOR", ReadableOn({low}, P.Text));
    Set("PANEL_LOW", "BORDERSMASK", Borders("PANEL_LOW", {outline(P.Border, true)}, b, b, b, b, 1));
    Set("BARPANEL", "PARENTCLASS", "PANEL");
    Set("BAR", "PARENTCLASS", "PANEL");

    // Check boxes and radio buttons draw their text on the window.
    Section("CHECKBOX", 2, P.Window, P.Text);
    Set("CHECKBOX", "TRANSPARENCY", 100);
    Set("CHECKBOX", "HOTTRANSPARENCY", 100);
    Set("RADIOBUTTON", "PARENTCLASS", "CHECKBOX");

    // Hint window.
    {
        const int hb = std::max(3, std::min(T.Radius, 5));
        const int s = 2 * hb + 4;
        TLayerF l(s, s);
        l.Fill(RoundRect(0, 0, static_cast<float>(s), static_cast<float>(s), static_cast<float>(hb)), P.Border);
        l.Fill(RoundRect(1, 1, static_cast<float>(s) - 1, static_cast<float>(s) - 1, static_cast<float>(hb - 1)),
               P.Hint);
        Section("HINT", 1, P.Hint, P.HintText);
        Set("HINT", "BORDERSMASK", Borders("HINT", {l}, hb, hb, hb, hb, 1));
    }
}

void TSkinBuilder::Tabs() {
    const int r = std::max(2, std::min(T.Radius + 1, 6));
    const int side = r + 1;
    const int w = 2 * side + 8, h = 22;
    // Top tabs: 0 normal, 1 hot, 2 selected (merges into the page below it).
    std::vector<TLayerF> top;
    for (int state = 0; state < 3; ++state) {
        TLayerF l(w, h);
        const float fw = static_cast<float>(w), fh = static_cast<float>(h);
        const float inset = state == 2 ? 0.0f : 1.0f;
        const TColorF face = state == 2 ? P.Page : (state == 1 ? P.TabHot : P.TabFace);
        l.Fill(RoundRect(inset, inset + (state == 2 ? 0 : 1), fw - inset, fh + 10, static_cast<float>(r)), P.Border);
        l.Fill(RoundRect(inset + 1, inset + (state == 2 ? 1 : 2), fw - inset - 1, fh + 10, static_cast<float>(r - 1)),
               VerticalGradient(0, Lighten(face, 0.1f + 0.3f * T.Depth), fh, face));
        if (state == 1)
            l.Fill(RoundRect(inset + 1, inset + 2, fw - inset - 1, inset + 4, static_cast<float>(r - 1)), P.Accent);
        if (state != 2)
            l.Fill(Rect(0, fh - 1, fw, fh), P.Border);
        top.push_back(std::move(l));
    }
    std::vector<TLayerF> bottom, left, right;
    for (const TLayerF& l : top) {
        bottom.push_back(FlippedV(l));
        left.push_back(Transposed(l));
        right.push_back(FlippedH(Transposed(l)));
    }
    auto tabSection = [&](const std::string& s) {
        Section(s, 3, P.TabFace, P.TabText);
        Hot(s, P.TabHot, P.TabHotText);
    };
    for (const char* s : {"TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"})
        tabSection(s);
    if (T.Has(tfPngTabs)) {
        TacPixmap file(w * 3, h * 2);
        StoreFrames(file, 0, 0, top, TForm::Masked, kWhite, true);
        AddFile("TabTop.png", tools::EncodePng(file));
        Set("TABTOP", "BORDERSMASK", FileValue("TABTOP.PNG", 3, 1, 0, side, side, side, 2, 5));
        Preview("TABTOP", DecodeStored(file, {0, 0, w * 3, h * 2}, 3, TForm::Masked), 3);
        NinePart(side, side, side, 2, true);
    } else {
        Set("TABTOP", "BORDERSMASK", Borders("TABTOP", top, side, side, side, 2, 5));
    }
    Set("TABBOTTOM", "BORDERSMASK", Borders("TABBOTTOM", bottom, side, 2, side, side, 5));
    Set("TABLEFT", "BORDERSMASK", Borders("TABLEFT", left, side, side, 2, side, 5));
    Set("TABRIGHT", "BORDERSMASK", Borders("TABRIGHT", right, 2, side, side, side, 5));
    Set("RIBBONTAB", "PARENTCLASS", "TABTOP");
    Set("TB_TAB", "PARENTCLASS", "TABTOP");

    // The page under the tabs.
    TLayerF page(10, 10);
    page.Fill(Rect(0, 0, 10, 10), P.Border);
    page.Fill(Rect(1, 1, 9, 9), P.Page);
    Section("PAGECONTROL", 1, P.Page, P.PageText);
    Set("PAGECONTROL", "BORDERSMASK", Borders("PAGECONTROL", {page}, 2, 2, 2, 2, 1));
    for (const char* s : {"PAGECONTROLBOTTOM", "PAGECONTROLLEFT", "PAGECONTROLRIGHT"})
        Set(s, "PARENTCLASS", "PAGECONTROL");

    // Ribbon pages: white fading into the window colour near the bottom.
    const TColorF from = P.Dark ? Lighten(P.Window, 0.12f) : kWhite;
    Section("RIBBONPAGE", 1, P.Window, P.Text);
    Set("RIBBONPAGE", "GRADIENTPERCENT", 100);
    Set("RIBBONPAGE", "GRADIENTDATA",
        std::to_string(RefOf(from)) + ";" + std::to_string(RefOf(P.Window)) + ";97;0;0;" +
            std::to_string(RefOf(P.Window)) + ";" + std::to_string(RefOf(P.Window)) + ";0;0;0");
}

void TSkinBuilder::Menus() {
    // Popup background and border; menus take their border width from CommonBorder.
    const int b = 3;
    {
        const int s = 2 * b + 4;
        TLayerF l(s, s);
        const float fs = static_cast<float>(s), rr = static_cast<float>(std::min(T.Radius, 3));
        l.Fill(RoundRect(0, 0, fs, fs, rr), P.Border);
        l.Fill(RoundRect(1, 1, fs - 1, fs - 1, std::max(0.0f, rr - 1)), P.Menu);
        Section("MAINMENU", 1, P.Menu, P.MenuText);
        Set("MAINMENU", "BORDERSMASK", Borders("MAINMENU", {l}, b, b, b, b, 1, b));
    }
    // Items: only the selected state has a frame.
    {
        const int r = std::max(2, std::min(T.Radius, 4));
        const int s = 2 * r + 6;
        std::vector<TLayerF> frames{TLayerF(s, s)};
        TLayerF sel(s, s);
        const float fs = static_cast<float>(s);
        PaintFace(
            sel, 0, 0, fs, fs, static_cast<float>(r),
            {Darken(P.MenuHot, 0.15f), Lighten(P.MenuHot, 0.15f * T.Depth + 0.05f), P.MenuHot, T.Gloss * 0.6f, 0});
        frames.push_back(std::move(sel));
        Section("MENUITEM", 2, P.Menu, P.MenuText);
        Set("MENUITEM", "TRANSPARENCY", 100);
        Hot("MENUITEM", P.MenuHot, P.MenuHotText);
        Set("MENUITEM", "BORDERSMASK", Borders("MENUITEM", frames, r, r, r, r, 7));
    }
    Section("MENULINE", 2, P.Tool, P.ToolText);
    Hot("MENULINE", P.MenuHot, P.MenuHotText);
    Section("MENUCAPTION", 1, Mix(P.Menu, P.Accent, 0.25f), ReadableOn({Mix(P.Menu, P.Accent, 0.25f)}, P.MenuText));
    Section("ICOLINE", 1, P.IcoLine, P.MenuText);
    const TColorF extra = Mix(P.TitleTop, P.TitleBottom, 0.5f);
    Section("EXTRALINE", 1, extra, P.TitleText);
    Set("EXTRALINE", "GRADIENTDATA", Gradient(P.TitleBottom, P.TitleTop, 1));
    Set("EXTRALINE", "GRADIENTPERCENT", 100);

    // Separators.
    {
        TLayerF l(8, 2);
        l.Fill(Rect(0, 0, 8, 1), Mix(P.Border, P.Menu, 0.3f));
        l.Fill(Rect(0, 1, 8, 2), P.Dark ? Darken(P.Menu, 0.3f) : Lighten(P.Menu, 0.7f));
        Section("DIVIDERV", 1, P.Menu, P.MenuText);
        Set("DIVIDERV", "BORDERSMASK", Borders("DIVIDERV", {l}, 1, 0, 1, 0, 5));
        TLayerF d(6, 6);
        d.Fill(Rect(0, 0, 6, 6), P.Border);
        d.Fill(Rect(1, 1, 6, 6), P.Dark ? Darken(P.Window, 0.3f) : Lighten(P.Window, 0.6f));
        d.Fill(Rect(1, 1, 5, 5), P.Status);
        Section("DIVIDER", 1, P.Status, P.StatusText);
        Set("DIVIDER", "BORDERSMASK", Borders("DIVIDER", {d}, 2, 2, 2, 2, 1));
    }
    // Selection in lists and trees.
    Section("SELECTION", 2, Mix(P.Sel, P.Window, 0.45f), ReadableOn({Mix(P.Sel, P.Window, 0.45f)}, P.Text));
    Hot("SELECTION", P.Sel, P.SelText);
}

void TSkinBuilder::ScrollBars() {
    const int r = std::max(1, std::min(T.Radius, 4));
    const bool chevron = T.Radius >= 4;
    // Buttons: shared frames, one glyph per direction.
    std::vector<TLayerF> frames;
    for (int state = 0; state < 3; ++state) {
        if (state == 0 && T.Depth < 0.15f) {
            TLayerF l(16, 16);
            l.Fill(Rect(0, 0, 16, 16), P.Track);
            frames.push_back(std::move(l));
        } else {
            frames.push_back(FaceFrame(16, 16, static_cast<float>(r), ButtonLook(state)));
        }
    }
    Section("SCROLLBTNBOTTOM", 3, P.Face, P.FaceText);
    Hot("SCROLLBTNBOTTOM", P.FaceHot, P.FaceHotText);
    Set("SCROLLBTNBOTTOM", "BORDERSMASK", Borders("SCROLLBTNBOTTOM", frames, 4, 4, 4, 4, 5));
    struct TDir {
        const char* Section;
        TGlyph Glyph;
    };
    for (const TDir& d : {TDir{"SCROLLBTNTOP", TGlyph::Up}, TDir{"SCROLLBTNBOTTOM", TGlyph::Down},
                          TDir{"SCROLLBTNLEFT", TGlyph::Left}, TDir{"SCROLLBTNRIGHT", TGlyph::Right}}) {
        if (std::string(d.Section) != "SCROLLBTNBOTTOM")
            Set(d.Section, "PARENTCLASS", "SCROLLBTNBOTTOM");
        std::vector<TLayerF> glyphs;
        for (const TColorF& c : {P.FaceText, P.FaceHotText, P.FacePressedText}) {
            TLayerF l(9, 9);
            DrawGlyph(l, d.Glyph, 4.5f, 4.5f, 7, 1.5f, c, chevron);
            glyphs.push_back(std::move(l));
        }
        Set(d.Section, "GLYPHMASK", Glyph(std::string(d.Section) + " GLYPHMASK", glyphs));
    }
    // Sliders (thumbs) with a grip in the middle.
    for (bool horz : {true, false}) {
        const std::string s = horz ? "SCROLLSLIDERH" : "SCROLLSLIDERV";
        std::vector<TLayerF> thumbs, grips;
        for (int state = 0; state < 3; ++state) {
            TFaceLook look = ButtonLook(state);
            if (horz) {
                TLayerF l(16, 16);
                PaintFace(l, 0, 1, 16, 15, static_cast<float>(r), look);
                thumbs.push_back(std::move(l));
            } else {
                TLayerF l(16, 16);
                PaintFace(l, 1, 0, 15, 16, static_cast<float>(r), look);
                thumbs.push_back(std::move(l));
            }
            TLayerF g(7, 7);
            const TColorF gc = WithAlpha(state == 1 ? P.FaceHotText : P.FaceText, 0.55f);
            for (int i = 0; i < 3; ++i) {
                const float at = 1.5f + 2.0f * static_cast<float>(i);
                if (horz)
                    g.Fill(Rect(at - 0.5f, 1, at + 0.5f, 6), gc);
                else
                    g.Fill(Rect(1, at - 0.5f, 6, at + 0.5f), gc);
            }
            grips.push_back(std::move(g));
        }
        Section(s, 3, P.Face, P.FaceText);
        Hot(s, P.FaceHot, P.FaceHotText);
        Set(s, "BORDERSMASK", Borders(s, thumbs, 5, 5, 5, 5, 5));
        Set(s, "GLYPHMASK", Glyph(s + " GLYPHMASK", grips));
    }
    // Tracks: the plain bar and the part being pressed.
    for (bool horz : {true, false}) {
        const std::string one = horz ? "SCROLLBAR1H" : "SCROLLBAR1V";
        const std::string two = horz ? "SCROLLBAR2H" : "SCROLLBAR2V";
        TLayerF l(8, 8);
        l.Fill(Rect(0, 0, 8, 8), P.Track);
        if (horz)
            l.Fill(Rect(0, 0, 8, 1), Mix(P.Track, P.Border, 0.5f));
        else
            l.Fill(Rect(0, 0, 1, 8), Mix(P.Track, P.Border, 0.5f));
        Section(one, 2, P.Track, P.Text);
        Hot(one, Mix(P.Track, P.Accent, 0.2f), P.Text);
        Set(one, "BORDERSMASK", Borders(one, {l}, 2, 2, 2, 2, 1));
        Set(two, "PARENTCLASS", one);
        SetColor(two, "HOTCOLOR", Mix(P.Track, P.Accent, 0.35f));
    }
}

void TSkinBuilder::Tools() {
    Section("TOOLBAR", 1, P.Tool, P.ToolText);
    Set("TOOLBAR", "GRADIENTDATA", Gradient(Lighten(P.Tool, 0.2f * T.Depth), Darken(P.Tool, 0.08f * T.Depth)));
    Set("TOOLBAR", "GRADIENTPERCENT", T.Depth > 0.1f ? 100 : 0);
    Section("STATUSBAR", 1, P.Status, P.StatusText);
    {
        TLayerF l(6, 6);
        l.Fill(Rect(0, 0, 6, 6), P.Status);
        l.Fill(Rect(0, 0, 6, 1), P.Border);
        Set("STATUSBAR", "BORDERSMASK", Borders("STATUSBAR", {l}, 2, 2, 2, 2, 5));
    }
    // Column headers.
    std::vector<TLayerF> headers;
    for (int state = 0; state < 3; ++state) {
        TLayerF l(12, 20);
        const TColorF face =
            state == 0 ? P.Header : (state == 1 ? Mix(P.Header, P.Accent, 0.15f) : Darken(P.Header, 0.1f));
        l.Fill(Rect(0, 0, 12, 20),
               VerticalGradient(0, Lighten(face, 0.3f * T.Depth), 20, Darken(face, 0.12f * T.Depth)));
        l.Fill(Rect(11, 3, 12, 17), P.Border);
        l.Fill(Rect(0, 19, 12, 20), P.Border);
        headers.push_back(std::move(l));
    }
    Section("COLHEADER", 3, P.Header, P.HeaderText);
    Hot("COLHEADER", Mix(P.Header, P.Accent, 0.15f),
        ReadableOn({Mix(P.Header, P.Accent, 0.15f), P.Header}, P.HeaderText));
    Set("COLHEADER", "BORDERSMASK", Borders("COLHEADER", headers, 3, 3, 3, 3, 5));

    // Track bars.
    Section("TRACKBAR", 2, P.Window, P.Text);
    Set("TRACKBAR", "TRANSPARENCY", 100);
    Set("TRACKBAR", "HOTTRANSPARENCY", 100);
    {
        TLayerF ch(8, 5);
        ch.Fill(RoundRect(0, 0, 8, 5, 2), P.Border);
        ch.Fill(RoundRect(1, 1, 7, 4, 1), P.Track);
        Set("TRACKBAR", "SLIDERCHANNEL", Borders("SLIDERCHANNEL", {ch}, 2, 2, 2, 2, 5));
        std::vector<TLayerF> h, v;
        for (int state = 0; state < 3; ++state) {
            h.push_back(FaceFrame(11, 19, static_cast<float>(std::min(T.Radius, 4)), ButtonLook(state)));
            v.push_back(FaceFrame(19, 11, static_cast<float>(std::min(T.Radius, 4)), ButtonLook(state)));
        }
        Set("TRACKBAR", "SLIDERMASK", Glyph("SLIDERMASK", h));
        Set("TRACKBAR", "SLIDERVMASK", Glyph("SLIDERVMASK", v));
        TLayerF th(1, 4), tv(4, 1);
        th.Fill(Rect(0, 0, 1, 4), P.Border);
        tv.Fill(Rect(0, 0, 4, 1), P.Border);
        Set("TRACKBAR", "TICKHORZ", Glyph("TICKHORZ", {th}));
        Set("TRACKBAR", "TICKVERT", Glyph("TICKVERT", {tv}));
    }
    // Progress bars: the accent with a gloss.
    for (bool horz : {true, false}) {
        const std::string s = horz ? "PROGRESSH" : "PROGRESSV";
        TLayerF l(12, 12);
        const TFaceLook look{Darken(P.Accent, 0.25f), Lighten(P.Accent, 0.25f * T.Depth + 0.05f),
                             Darken(P.Accent, 0.1f * T.Depth), std::max(T.Gloss, 0.3f), 0.3f};
        PaintFace(l, 0, 0, 12, 12, static_cast<float>(std::min(T.Radius, 3)), look);
        Section(s, 1, P.Accent, P.AccentText);
        Set(s, "BORDERSMASK", Borders(s, {l}, 4, 4, 4, 4, 5));
    }
    Set("GAUGE", "PARENTCLASS", "PROGRESSH");

    Section("SPLITTER", 2, P.Window, P.Text);
    Hot("SPLITTER", Mix(P.Window, P.Accent, 0.3f), P.Text);
    Set("GRIPH", "PARENTCLASS", "SPLITTER");
    Set("GRIPV", "PARENTCLASS", "SPLITTER");
    Set("DRAGBAR", "PARENTCLASS", "SPLITTER");
}

void TSkinBuilder::Misc() {
    Section("WEBBUTTON", 2, P.Window, P.Link);
    Set("WEBBUTTON", "TRANSPARENCY", 100);
    Set("WEBBUTTON", "HOTTRANSPARENCY", 100);
    Hot("WEBBUTTON", P.Window, P.LinkHot);
    Section("MDIAREA", 1, P.Dark ? Darken(P.Window, 0.3f) : Darken(P.Window, 0.25f), P.Text);
    SetColor("MDIAREA", "FONTCOLOR", ReadableOn({P.Dark ? Darken(P.Window, 0.3f) : Darken(P.Window, 0.25f)}, P.Text));
    Set("BARTITLE", "PARENTCLASS", "FORMTITLE");
    Set("TB_MENUBTN", "PARENTCLASS", "TB_BTN");
    if (T.Has(tfControlGlow)) {
        const TLayerF glow = GlowImage(20, 20, 6, P.Accent);
        AddFile("GlowEdit.png", tools::EncodePng(glow.ToPixmap()));
        Set("EDIT", "GLOW", 1);
        Set("EDIT", "GLOWMARGIN", 3);
        Set("EDIT", "GLOW0", FileValue("GLOWEDIT.PNG", 1, 0, 3, 6, 6, 6, 6, 1));
    }
}

void TSkinBuilder::Textures() {
    const TColorF base = P.Window;
    auto tile = [&](int size, const std::function<float(int, int)>& shade) {
        TLayerF l(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const float v = shade(x, y);
                l.Set(x, y, v >= 0 ? Lighten(base, v) : Darken(base, -v));
            }
        return l;
    };
    switch (T.Texture) {
    case TTexture::None:
        return;
    case TTexture::Noise: {
        const TLayerF l = tile(64, [&](int x, int y) { return (Noise(x, y, FSeed) - 0.5f) * 0.12f; });
        Set("FORM", "PATTERN",
            MasterItem("FORM PATTERN", {l}, TForm::Opaque, [](const TRectI& r) { return TextureValue(r, 0, 0); }));
        Set("FORM", "IMAGEPERCENT", 100);
        break;
    }
    case TTexture::Lines: {
        const TLayerF l = tile(48, [&](int x, int y) {
            return (Noise(x / 16, y, FSeed) - 0.5f) * 0.1f + ((y % 3) == 0 ? 0.04f : 0.0f) +
                   0.0f * static_cast<float>(x);
        });
        Set("FORM", "PATTERN",
            MasterItem("FORM PATTERN", {l}, TForm::Opaque, [](const TRectI& r) { return TextureValue(r, 0, 0); }));
        Set("FORM", "IMAGEPERCENT", 70);
        Set("FORM", "GRADIENTPERCENT", 30);
        Set("FORM", "GRADIENTDATA", Gradient(Lighten(base, 0.05f), Darken(base, 0.05f)));
        break;
    }
    case TTexture::Weave: {
        const TLayerF l = tile(32, [&](int x, int y) {
            const bool over = ((x / 4) + (y / 4)) % 2 == 0;
            const int along = over ? x % 4 : y % 4;
            return (over ? 0.05f : -0.05f) + (along == 0 ? -0.04f : 0.0f) + (Noise(x, y, FSeed) - 0.5f) * 0.04f;
        });
        Set("FORM", "PATTERN",
            MasterItem("FORM PATTERN", {l}, TForm::Opaque, [](const TRectI& r) { return TextureValue(r, 0, 0); }));
        Set("FORM", "IMAGEPERCENT", 100);
        break;
    }
    case TTexture::Jpeg: {
        // The one JPEG texture: sandy grain with soft waves.
        const TLayerF l = tile(256, [&](int x, int y) {
            const float wave = std::sin((static_cast<float>(x) * 0.05f + static_cast<float>(y) * 0.11f)) * 0.03f;
            return wave + (Noise(x, y, FSeed) - 0.5f) * 0.10f + (Noise(x / 8, y / 8, FSeed + 1) - 0.5f) * 0.05f;
        });
        const TacPixmap pix = l.ToPixmap();
        AddFile("body_bg.jpg", EncodeJpeg(pix, 88));
        Set("FORM", "PATTERN", "BODY_BG.JPG");
        Set("FORM", "IMAGEPERCENT", 100);
        Preview("FORM PATTERN", pix, 1);
        break;
    }
    case TTexture::Paper: {
        const TLayerF l = tile(96, [&](int x, int y) {
            return (Noise(x, y, FSeed) - 0.5f) * 0.06f + (Noise(x / 3, y / 5, FSeed + 7) - 0.5f) * 0.05f;
        });
        AddFile("Paper.png", tools::EncodePng(l.ToPixmap()));
        Set("FORM", "PATTERN", FileValue("PAPER.PNG", 1, 0, 1, 0, 0, 0, 0, 0));
        Set("FORM", "IMAGEPERCENT", 80);
        Preview("FORM PATTERN", l.ToPixmap(), 1);
        break;
    }
    }
}

void TSkinBuilder::ExtendedBorder() {
    if (!T.Has(tfExBorder))
        return;
    const bool wholeFrame = T.Has(tfBorderMode);
    const int f = wholeFrame ? 10 : 2;      // FORMOFFSET
    const int shadow = wholeFrame ? f : 12; // visible ring outside the window
    const int bw = T.BorderWidth, th = T.TitleHeight;
    const int left = wholeFrame ? f + bw : shadow + f;
    const int top = wholeFrame ? f + th : shadow + f;
    const int w = 2 * left + 12, h = top + left + 12;
    const float tr = static_cast<float>(T.TitleRadius);
    std::vector<TLayerF> frames;
    for (int active = 0; active < 2; ++active) {
        TLayerF l(w, h);
        // The window's outline inside the image.
        const float wx0 = static_cast<float>(wholeFrame ? f : left), wy0 = static_cast<float>(wholeFrame ? f : top);
        const float wx1 = static_cast<float>(w) - wx0, wy1 = static_cast<float>(h) - wx0;
        const float reach = static_cast<float>(wholeFrame ? f : shadow);
        const TColorF shade = active ? Darken(P.Accent, 0.5f) : kBlack;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
                const float dx = std::max({wx0 + tr - px, 0.0f, px - (wx1 - tr)});
                const float dy = std::max({wy0 + tr - py, 0.0f, py - (wy1 - tr)});
                const float d = std::sqrt(dx * dx + dy * dy) - tr;
                if (d <= 0)
                    continue;
                const float a = d >= reach ? 0 : (active ? 0.45f : 0.3f) * (1 - d / reach) * (1 - d / reach);
                if (a > 0)
                    l.Set(x, y, WithAlpha(shade, a));
            }
        if (wholeFrame) {
            const TColorF topC = active ? P.TitleTop : P.TitleInTop, bottomC = active ? P.TitleBottom : P.TitleInBottom;
            const float fbw = static_cast<float>(bw);
            l.Fill(Difference(RoundRect(wx0, wy0, wx1, wy1, tr),
                              Rect(wx0 + fbw, wy0 + static_cast<float>(th), wx1 - fbw, wy1 - fbw)),
                   active ? Darken(P.TitleBottom, 0.35f) : P.Border);
            l.Fill(Difference(RoundRect(wx0 + 1, wy0 + 1, wx1 - 1, wy1 - 1, tr - 1),
                              Rect(wx0 + fbw - 1, wy0 + static_cast<float>(th) - 1, wx1 - fbw + 1, wy1 - fbw + 1)),
                   VerticalGradient(wy0, topC, wy0 + static_cast<float>(th), bottomC));
        }
        frames.push_back(std::move(l));
    }
    TLayerF sheet(w * 2, h);
    sheet.Draw(frames[0], 0, 0);
    sheet.Draw(frames[1], w, 0);
    AddFile("ExtB.PNG", tools::EncodePng(sheet.ToPixmap()));
    Set("GLOBALINFO", "EXBORDER", FileValue("EXTB.PNG", 2, 0, 3, left, top, left, left, wholeFrame ? 1 : 1));
    Preview("EXBORDER", sheet.ToPixmap(), 2);
}

TBuiltSkin TSkinBuilder::Build() {
    // The classic look keeps two items at fixed places of the master image; they are
    // taken before anything else is placed.
    if (T.Classic) {
        FAtlas.Reserve({163, 15, 208, 30});
        FAtlas.Reserve(kClassicEditBorder);
    }
    GlobalInfo();
    Frame();
    Buttons();
    Edits();
    Groups();
    Tabs();
    Menus();
    ScrollBars();
    Tools();
    Misc();
    Textures();
    ExtendedBorder();

    TBuiltSkin skin;
    skin.Name = T.FullName();
    skin.Description = D;
    const std::string text = D.Text();
    skin.Members.push_back({"Options.dat", std::vector<std::uint8_t>(text.begin(), text.end())});
    const TacPixmap master = FAtlas.Cropped();
    skin.Members.push_back({kMasterFile, EncodeBmp24(master)});
    for (TSkinMember& m : FFiles)
        skin.Members.push_back(std::move(m));
    skin.Preview = MakePreviewSheet(master, FPreviews, StoredPixel(P.Window));
    return skin;
}

} // namespace

std::vector<std::uint8_t> TBuiltSkin::Package() const {
    TacSkinPackWriter writer;
    for (const TSkinMember& m : Members)
        writer.AddMember(m.Name, m.Content);
    return writer.Encode();
}

TBuiltSkin BuildSkin(const TSkinTheme& theme) {
    return TSkinBuilder(theme).Build();
}

} // namespace sj::skingen

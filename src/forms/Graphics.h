// Drawing objects of the form framework: colours, fonts, brushes, pens, the canvas
// that draws with them on a device context, and the base of every drawable graphic.
//
// Colours are 0x00BBGGRR words; system colours are 0xFF0000nn codes that
// `ColorToRGB` resolves. Fonts, brushes and pens create their GDI handle only when a
// canvas first needs it and drop it on every change. A canvas either borrows its DC
// (`SetHandle`) or makes one on demand (`CreateHandle` of a derived canvas); either
// way it selects its own font, brush and pen lazily and deselects them before the DC
// goes. Painting calls never throw.
#pragma once

#include "forms/GdiHandles.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sj {

using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
// "No colour": also the unknown colour of the skin layer.
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clSystemColor = 0xFF000000;
inline constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
inline constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
inline constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
inline constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
inline constexpr TColor clMenu = clSystemColor | COLOR_MENU;
inline constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
inline constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
inline constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
inline constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
inline constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
inline constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
inline constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
inline constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
inline constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
inline constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
inline constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
inline constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
inline constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
inline constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
inline constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
inline constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
inline constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
inline constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
inline constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
inline constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
inline constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
inline constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
inline constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

// The 0x00BBGGRR value of a colour: system colour codes are looked up, clNone and
// clDefault give black, other values keep their low 24 bits.
TColor ColorToRGB(TColor color);
// Colour names as stored in form descriptions ("clBtnFace"); false for unknown names.
bool IdentToColor(const std::string& name, TColor& color);
bool ColorToIdent(TColor color, std::string& name);

// A value and the name it is written as: colour identifiers, key names.
template <typename TValue>
struct TIdentMapEntry {
    TValue Value;
    const char* Name;
};

// The name of value in a list of TIdentMapEntry; null when it has none.
template <typename TMap, typename TValue>
const char* IdentOf(const TMap& map, TValue value) {
    for (const auto& entry : map) {
        if (entry.Value == value) {
            return entry.Name;
        }
    }
    return nullptr;
}

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// Base of fonts, brushes and pens: one change handler (the owner of the object, a
// control or a canvas) hears every change before the stale handle is released.
class TGraphicsObject {
public:
    TGraphicsObject() = default;
    virtual ~TGraphicsObject() = default;
    TGraphicsObject(const TGraphicsObject&) = delete;
    TGraphicsObject& operator=(const TGraphicsObject&) = delete;

    std::function<void()> OnChange;

protected:
    // Tells the owner, then drops the handle; the owner deselects it first.
    void Changed();
    virtual void ReleaseHandle() = 0;
};

class TFont : public TGraphicsObject {
public:
    TFont();

    const std::string& Name() const { return FName; }
    void SetName(const std::string& name);
    // Negative height: character height in pixels; positive: cell height.
    int Height() const { return FHeight; }
    void SetHeight(int height);
    // Size in points at the screen's pixels per inch.
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    unsigned Charset() const { return FCharset; }
    void SetCharset(unsigned charset);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch pitch);
    int Orientation() const { return FOrientation; }
    void SetOrientation(int tenthsOfDegree);

    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;
    // Takes name, height, style, charset and pitch from a LOGFONT (the colour stays).
    void AssignLogFont(const LOGFONTA& font);
    LOGFONTA LogFont() const;

    // The font handle, created now if needed; owned by the font.
    HFONT Handle();

    static int ScreenPixelsPerInch();

protected:
    void ReleaseHandle() override { FHandle.Reset(); }

private:
    std::string FName = "Tahoma";
    int FHeight = -11;
    TFontStyles FStyle = 0;
    TColor FColor = clWindowText;
    unsigned FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = TFontPitch::fpDefault;
    int FOrientation = 0;
    TGdiFont FHandle;
};

class TBrush : public TGraphicsObject {
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle style);
    void Assign(const TBrush& other);

    // The brush handle, created now if needed; a hollow brush for bsClear.
    HBRUSH Handle();

protected:
    void ReleaseHandle() override { FHandle.Reset(); }

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = TBrushStyle::bsSolid;
    TGdiBrush FHandle;
};

class TPen : public TGraphicsObject {
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    int Width() const { return FWidth; }
    void SetWidth(int width);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle style);
    void Assign(const TPen& other);

    HPEN Handle();

protected:
    void ReleaseHandle() override { FHandle.Reset(); }

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = TPenStyle::psSolid;
    TGdiPen FHandle;
};

class TCanvas;

// The rest of a binary stream; throws EFileError when the stream fails.
std::vector<std::uint8_t> ReadStreamToEnd(std::istream& stream);

// Something that draws itself on a canvas: bitmaps, icons, the skin layer's PNG
// images. Streams are binary and positioned at the graphic's first byte.
class TGraphic {
public:
    TGraphic() = default;
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // Paints the graphic scaled into `rect` of the canvas.
    virtual void Draw(TCanvas& canvas, const RECT& rect) = 0;
    // Throws EFileError (or sj::Exception for bad contents) and leaves the graphic
    // unchanged on failure.
    virtual void LoadFromStream(std::istream& stream) = 0;
    virtual void SaveToStream(std::ostream& stream) const = 0;
    virtual std::unique_ptr<TGraphic> Clone() const = 0;
    virtual std::string_view ClassName() const = 0;

    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);

    std::function<void()> OnChange;

protected:
    void Changed() {
        if (OnChange) {
            OnChange();
        }
    }

private:
    bool FTransparent = false;
};

class TCanvas {
public:
    TCanvas();
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The DC, made now by `CreateHandle` when the canvas has none; may be null for
    // a canvas that cannot make one.
    HDC Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    // Borrows a DC (the caller keeps owning it); null detaches the current one.
    void SetHandle(HDC dc);

    TFont& Font() { return FFont; }
    TBrush& Brush() { return FBrush; }
    TPen& Pen() { return FPen; }

    // Drawing with the brush.
    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    // Outline with the pen, inside filled with the brush.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const RECT& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    void Ellipse(int left, int top, int right, int bottom);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    POINT PenPos() const { return FPenPos; }

    // Text with the font; the background is filled with the brush colour unless
    // the brush is bsClear.
    void TextOut(int x, int y, const std::string& text);
    // TextOut clipped to `rect`.
    void TextRect(const RECT& rect, int x, int y, const std::string& text);
    // DrawTextA with `flags`; with DT_CALCRECT `rect` receives the needed size.
    // Returns the height of the text.
    int DrawText(const std::string& text, RECT& rect, UINT flags);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }

    void Draw(int x, int y, TGraphic& graphic);
    void StretchDraw(const RECT& rect, TGraphic& graphic);
    // Copies `source` area of another canvas into `dest` with CopyMode (stretching).
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect);
    DWORD CopyMode() const { return FCopyMode; }
    void SetCopyMode(DWORD rop) { FCopyMode = rop; }

    // 0x00BBGGRR of one pixel; CLR_INVALID outside the clip area.
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

    RECT ClipRect();

    // Lock counting for callers that draw on the canvas from nested code paths
    // (the menu painter locks the canvas of an item while painting it).
    void Lock() { ++FLockCount; }
    void Unlock() {
        if (FLockCount > 0) {
            --FLockCount;
        }
    }
    int LockCount() const { return FLockCount; }

    // Font, pen and brush into the DC, as far as they are not there yet.
    void RequireFont();
    void RequirePen();
    void RequireBrush();

protected:
    // Makes a DC and hands it to `SetHandle`; the default canvas cannot.
    virtual void CreateHandle() {}
    // The canvas forgets its DC: deselects its objects, then detaches. Derived
    // canvases that own their DC call this before releasing it.
    void DeselectHandles();

private:
    void FontChanged();
    void BrushChanged();
    void PenChanged();
    bool HasHandle();

    HDC FHandle = nullptr;
    TFont FFont;
    TBrush FBrush;
    TPen FPen;
    POINT FPenPos{0, 0};
    DWORD FCopyMode = SRCCOPY;
    int FLockCount = 0;
    // What the DC held before our objects went in, restored on deselection.
    HGDIOBJ FOriginalFont = nullptr;
    HGDIOBJ FOriginalBrush = nullptr;
    HGDIOBJ FOriginalPen = nullptr;
    HFONT FSelectedFont = nullptr;
    HBRUSH FSelectedBrush = nullptr;
    HPEN FSelectedPen = nullptr;
};

// Text in the system's disabled look: a highlight copy one pixel down and right, the
// shadow colour over it.
void DrawEmbossedText(TCanvas& canvas, const std::string& text, const RECT& rect, UINT flags);

} // namespace sj

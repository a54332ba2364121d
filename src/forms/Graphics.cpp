#include "forms/Graphics.h"

#include "platform/Exception.h"

#include <array>
#include <cstring>
#include <fstream>
#include <utility>

namespace sj {

namespace {

constexpr std::array<TIdentMapEntry<TColor>, 46> ColorNames{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
}};

COLORREF ToColorRef(TColor color) {
    return static_cast<COLORREF>(ColorToRGB(color));
}

} // namespace

TColor ColorToRGB(TColor color) {
    if ((color & 0xFF000000u) == clSystemColor) {
        return static_cast<TColor>(::GetSysColor(static_cast<int>(color & 0xFFu))) & 0x00FFFFFFu;
    }
    if (color == clNone || color == clDefault) {
        return clBlack;
    }
    return color & 0x00FFFFFFu;
}

bool IdentToColor(const std::string& name, TColor& color) {
    for (const TIdentMapEntry<TColor>& entry : ColorNames) {
        if (_stricmp(entry.Name, name.c_str()) == 0) {
            color = entry.Value;
            return true;
        }
    }
    return false;
}

bool ColorToIdent(TColor color, std::string& name) {
    const char* ident = IdentOf(ColorNames, color);
    if (ident == nullptr) {
        return false;
    }
    name = ident;
    return true;
}

// ---- TGraphicsObject -----------------------------------------------------------

void TGraphicsObject::Changed() {
    if (OnChange) {
        OnChange();
    }
    ReleaseHandle();
}

// ---- TFont ---------------------------------------------------------------------

TFont::TFont() = default;

int TFont::ScreenPixelsPerInch() {
    static const int ppi = [] {
        TWindowDC screen;
        int value = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
        return value > 0 ? value : 96;
    }();
    return ppi;
}

void TFont::SetName(const std::string& name) {
    if (name != FName && !name.empty()) {
        FName = name;
        Changed();
    }
}

void TFont::SetHeight(int height) {
    if (height != FHeight) {
        FHeight = height;
        Changed();
    }
}

int TFont::Size() const {
    return -::MulDiv(FHeight, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int points) {
    SetHeight(-::MulDiv(points, ScreenPixelsPerInch(), 72));
}

void TFont::SetStyle(TFontStyles style) {
    style &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
    if (style != FStyle) {
        FStyle = style;
        Changed();
    }
}

void TFont::SetColor(TColor color) {
    if (color != FColor) {
        FColor = color;
        // The colour is not part of the handle, but canvases and controls repaint.
        Changed();
    }
}

void TFont::SetCharset(unsigned charset) {
    charset &= 0xFFu;
    if (charset != FCharset) {
        FCharset = charset;
        Changed();
    }
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch != FPitch) {
        FPitch = pitch;
        Changed();
    }
}

void TFont::SetOrientation(int tenthsOfDegree) {
    if (tenthsOfDegree != FOrientation) {
        FOrientation = tenthsOfDegree;
        Changed();
    }
}

void TFont::Assign(const TFont& other) {
    if (&other == this || SameAs(other)) {
        return;
    }
    FName = other.FName;
    FHeight = other.FHeight;
    FStyle = other.FStyle;
    FColor = other.FColor;
    FCharset = other.FCharset;
    FPitch = other.FPitch;
    FOrientation = other.FOrientation;
    Changed();
}

bool TFont::SameAs(const TFont& other) const {
    return FName == other.FName && FHeight == other.FHeight && FStyle == other.FStyle && FColor == other.FColor &&
           FCharset == other.FCharset && FPitch == other.FPitch && FOrientation == other.FOrientation;
}

void TFont::AssignLogFont(const LOGFONTA& font) {
    FName.assign(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
    FHeight = font.lfHeight;
    FStyle = (font.lfWeight >= FW_BOLD ? fsBold : 0u) | (font.lfItalic ? fsItalic : 0u) |
             (font.lfUnderline ? fsUnderline : 0u) | (font.lfStrikeOut ? fsStrikeOut : 0u);
    FCharset = font.lfCharSet;
    switch (font.lfPitchAndFamily & 0x3) {
    case FIXED_PITCH:
        FPitch = TFontPitch::fpFixed;
        break;
    case VARIABLE_PITCH:
        FPitch = TFontPitch::fpVariable;
        break;
    default:
        FPitch = TFontPitch::fpDefault;
        break;
    }
    FOrientation = font.lfOrientation;
    Changed();
}

LOGFONTA TFont::LogFont() const {
    LOGFONTA font{};
    font.lfHeight = FHeight;
    font.lfEscapement = FOrientation;
    font.lfOrientation = FOrientation;
    font.lfWeight = (FStyle & fsBold) != 0 ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (FStyle & fsItalic) != 0 ? 1 : 0;
    font.lfUnderline = (FStyle & fsUnderline) != 0 ? 1 : 0;
    font.lfStrikeOut = (FStyle & fsStrikeOut) != 0 ? 1 : 0;
    font.lfCharSet = static_cast<BYTE>(FCharset);
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    switch (FPitch) {
    case TFontPitch::fpFixed:
        font.lfPitchAndFamily = FIXED_PITCH;
        break;
    case TFontPitch::fpVariable:
        font.lfPitchAndFamily = VARIABLE_PITCH;
        break;
    case TFontPitch::fpDefault:
        font.lfPitchAndFamily = DEFAULT_PITCH;
        break;
    }
    // Longer names would not fit; GDI then picks a substitute, as for unknown names.
    std::strncpy(font.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
    return font;
}

HFONT TFont::Handle() {
    if (!FHandle) {
        LOGFONTA font = LogFont();
        FHandle.Reset(::CreateFontIndirectA(&font));
    }
    return FHandle.Get();
}

// ---- TBrush / TPen -------------------------------------------------------------

void TBrush::SetColor(TColor color) {
    if (color != FColor) {
        FColor = color;
        if (FStyle == TBrushStyle::bsClear) {
            FStyle = TBrushStyle::bsSolid;
        }
        Changed();
    }
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style != FStyle) {
        FStyle = style;
        Changed();
    }
}

void TBrush::Assign(const TBrush& other) {
    if (&other != this && (other.FColor != FColor || other.FStyle != FStyle)) {
        FColor = other.FColor;
        FStyle = other.FStyle;
        Changed();
    }
}

HBRUSH TBrush::Handle() {
    if (!FHandle) {
        LOGBRUSH brush{};
        brush.lbColor = ToColorRef(FColor);
        switch (FStyle) {
        case TBrushStyle::bsSolid:
            brush.lbStyle = BS_SOLID;
            break;
        case TBrushStyle::bsClear:
            brush.lbStyle = BS_HOLLOW;
            break;
        default:
            brush.lbStyle = BS_HATCHED;
            brush.lbHatch =
                static_cast<ULONG_PTR>(static_cast<int>(FStyle) - static_cast<int>(TBrushStyle::bsHorizontal));
            break;
        }
        FHandle.Reset(::CreateBrushIndirect(&brush));
    }
    return FHandle.Get();
}

void TPen::SetColor(TColor color) {
    if (color != FColor) {
        FColor = color;
        Changed();
    }
}

void TPen::SetWidth(int width) {
    if (width < 0) {
        width = 0;
    }
    if (width != FWidth) {
        FWidth = width;
        Changed();
    }
}

void TPen::SetStyle(TPenStyle style) {
    if (style != FStyle) {
        FStyle = style;
        Changed();
    }
}

void TPen::Assign(const TPen& other) {
    if (&other != this && (other.FColor != FColor || other.FWidth != FWidth || other.FStyle != FStyle)) {
        FColor = other.FColor;
        FWidth = other.FWidth;
        FStyle = other.FStyle;
        Changed();
    }
}

HPEN TPen::Handle() {
    if (!FHandle) {
        static constexpr int Styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        FHandle.Reset(::CreatePen(Styles[static_cast<int>(FStyle)], FWidth, ToColorRef(FColor)));
    }
    return FHandle.Get();
}

// ---- TGraphic ------------------------------------------------------------------

std::vector<std::uint8_t> ReadStreamToEnd(std::istream& stream) {
    std::vector<std::uint8_t> data;
    char buffer[65536];
    while (stream.read(buffer, sizeof buffer) || stream.gcount() > 0) {
        data.insert(data.end(), buffer, buffer + stream.gcount());
        if (stream.eof()) {
            break;
        }
    }
    if (stream.bad()) {
        throw EFileError("Stream read error");
    }
    return data;
}

void TGraphic::LoadFromFile(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw EFileError("Cannot open file \"" + path + "\"");
    }
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& path) const {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    if (!stream) {
        throw EFileError("Cannot create file \"" + path + "\"");
    }
    SaveToStream(stream);
    stream.flush();
    if (!stream) {
        throw EFileError("Error writing file \"" + path + "\"");
    }
}

void TGraphic::SetTransparent(bool value) {
    if (value != FTransparent) {
        FTransparent = value;
        Changed();
    }
}

// ---- TCanvas -------------------------------------------------------------------

TCanvas::TCanvas() {
    FFont.OnChange = [this] { FontChanged(); };
    FBrush.OnChange = [this] { BrushChanged(); };
    FPen.OnChange = [this] { PenChanged(); };
}

TCanvas::~TCanvas() {
    DeselectHandles();
    FFont.OnChange = nullptr;
    FBrush.OnChange = nullptr;
    FPen.OnChange = nullptr;
}

HDC TCanvas::Handle() {
    HasHandle();
    return FHandle;
}

bool TCanvas::HasHandle() {
    if (FHandle == nullptr) {
        CreateHandle();
    }
    return FHandle != nullptr;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == FHandle) {
        return;
    }
    DeselectHandles();
    FHandle = dc;
    if (dc != nullptr) {
        POINT position{};
        ::GetCurrentPositionEx(dc, &position);
        FPenPos = position;
    }
}

void TCanvas::DeselectHandles() {
    if (FHandle == nullptr) {
        return;
    }
    if (FSelectedFont != nullptr && FOriginalFont != nullptr) {
        ::SelectObject(FHandle, FOriginalFont);
    }
    if (FSelectedBrush != nullptr && FOriginalBrush != nullptr) {
        ::SelectObject(FHandle, FOriginalBrush);
    }
    if (FSelectedPen != nullptr && FOriginalPen != nullptr) {
        ::SelectObject(FHandle, FOriginalPen);
    }
    FSelectedFont = nullptr;
    FSelectedBrush = nullptr;
    FSelectedPen = nullptr;
    FOriginalFont = nullptr;
    FOriginalBrush = nullptr;
    FOriginalPen = nullptr;
    FHandle = nullptr;
}

void TCanvas::FontChanged() {
    if (FHandle != nullptr && FSelectedFont != nullptr) {
        ::SelectObject(FHandle, FOriginalFont != nullptr ? FOriginalFont : ::GetStockObject(SYSTEM_FONT));
        FSelectedFont = nullptr;
    }
}

void TCanvas::BrushChanged() {
    if (FHandle != nullptr && FSelectedBrush != nullptr) {
        ::SelectObject(FHandle, FOriginalBrush != nullptr ? FOriginalBrush : ::GetStockObject(WHITE_BRUSH));
        FSelectedBrush = nullptr;
    }
}

void TCanvas::PenChanged() {
    if (FHandle != nullptr && FSelectedPen != nullptr) {
        ::SelectObject(FHandle, FOriginalPen != nullptr ? FOriginalPen : ::GetStockObject(BLACK_PEN));
        FSelectedPen = nullptr;
    }
}

void TCanvas::RequireFont() {
    if (!HasHandle()) {
        return;
    }
    HFONT font = FFont.Handle();
    if (font != FSelectedFont && font != nullptr) {
        HGDIOBJ previous = ::SelectObject(FHandle, font);
        if (FOriginalFont == nullptr) {
            FOriginalFont = previous;
        }
        FSelectedFont = font;
    }
    ::SetTextColor(FHandle, ToColorRef(FFont.Color()));
}

void TCanvas::RequireBrush() {
    if (!HasHandle()) {
        return;
    }
    HBRUSH brush = FBrush.Handle();
    if (brush != FSelectedBrush && brush != nullptr) {
        HGDIOBJ previous = ::SelectObject(FHandle, brush);
        if (FOriginalBrush == nullptr) {
            FOriginalBrush = previous;
        }
        FSelectedBrush = brush;
    }
    ::SetBkColor(FHandle, ToColorRef(FBrush.Color()));
    ::SetBkMode(FHandle, FBrush.Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
}

void TCanvas::RequirePen() {
    if (!HasHandle()) {
        return;
    }
    HPEN pen = FPen.Handle();
    if (pen != FSelectedPen && pen != nullptr) {
        HGDIOBJ previous = ::SelectObject(FHandle, pen);
        if (FOriginalPen == nullptr) {
            FOriginalPen = previous;
        }
        FSelectedPen = pen;
    }
}

void TCanvas::FillRect(const RECT& rect) {
    if (!HasHandle() || FBrush.Style() == TBrushStyle::bsClear) {
        return;
    }
    RequireBrush();
    ::FillRect(FHandle, &rect, FBrush.Handle());
}

void TCanvas::FrameRect(const RECT& rect) {
    if (!HasHandle() || FBrush.Style() == TBrushStyle::bsClear) {
        return;
    }
    RequireBrush();
    ::FrameRect(FHandle, &rect, FBrush.Handle());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (!HasHandle()) {
        return;
    }
    RequirePen();
    RequireBrush();
    ::Rectangle(FHandle, left, top, right, bottom);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (!HasHandle()) {
        return;
    }
    RequirePen();
    RequireBrush();
    ::Ellipse(FHandle, left, top, right, bottom);
}

void TCanvas::MoveTo(int x, int y) {
    FPenPos = {x, y};
    if (HasHandle()) {
        ::MoveToEx(FHandle, x, y, nullptr);
    }
}

void TCanvas::LineTo(int x, int y) {
    if (HasHandle()) {
        RequirePen();
        ::MoveToEx(FHandle, FPenPos.x, FPenPos.y, nullptr);
        ::LineTo(FHandle, x, y);
    }
    FPenPos = {x, y};
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    if (!HasHandle()) {
        return;
    }
    RequireFont();
    RequireBrush();
    ::TextOutA(FHandle, x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text) {
    if (!HasHandle()) {
        return;
    }
    RequireFont();
    RequireBrush();
    UINT options = ETO_CLIPPED;
    if (FBrush.Style() != TBrushStyle::bsClear) {
        options |= ETO_OPAQUE;
    }
    ::ExtTextOutA(FHandle, x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const std::string& text, RECT& rect, UINT flags) {
    if (!HasHandle()) {
        return 0;
    }
    RequireFont();
    RequireBrush();
    return ::DrawTextA(FHandle, text.data(), static_cast<int>(text.size()), &rect, flags);
}

SIZE TCanvas::TextExtent(const std::string& text) {
    SIZE size{0, 0};
    if (!HasHandle()) {
        return size;
    }
    RequireFont();
    if (!::GetTextExtentPoint32A(FHandle, text.data(), static_cast<int>(text.size()), &size)) {
        size = {0, 0};
    }
    return size;
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
    if (graphic.Empty() || !HasHandle()) {
        return;
    }
    RECT rect{x, y, x + graphic.Width(), y + graphic.Height()};
    graphic.Draw(*this, rect);
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic& graphic) {
    if (graphic.Empty() || !HasHandle()) {
        return;
    }
    graphic.Draw(*this, rect);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect) {
    HDC sourceDC = source.Handle();
    if (!HasHandle() || sourceDC == nullptr) {
        return;
    }
    RequireBrush();
    int oldMode = ::SetStretchBltMode(FHandle, COLORONCOLOR);
    ::StretchBlt(FHandle, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, sourceDC,
                 sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
                 sourceRect.bottom - sourceRect.top, FCopyMode);
    ::SetStretchBltMode(FHandle, oldMode);
}

TColor TCanvas::Pixel(int x, int y) {
    if (!HasHandle()) {
        return CLR_INVALID;
    }
    return ::GetPixel(FHandle, x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    if (HasHandle()) {
        ::SetPixelV(FHandle, x, y, ToColorRef(color));
    }
}

RECT TCanvas::ClipRect() {
    RECT rect{0, 0, 0, 0};
    if (HasHandle()) {
        ::GetClipBox(FHandle, &rect);
    }
    return rect;
}

void DrawEmbossedText(TCanvas& canvas, const std::string& text, const RECT& rect, UINT flags) {
    RECT raised = rect;
    ::OffsetRect(&raised, 1, 1);
    canvas.Font().SetColor(clBtnHighlight);
    canvas.DrawText(text, raised, flags);
    RECT area = rect;
    canvas.Font().SetColor(clBtnShadow);
    canvas.DrawText(text, area, flags);
}

} // namespace sj

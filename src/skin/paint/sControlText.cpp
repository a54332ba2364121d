#include "skin/paint/sControlText.h"

#include <algorithm>
#include <array>
#include <vector>

#include "skin/data/sSkinModel.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {

namespace {

struct TContour {
    std::int32_t TsGenState::*Color;
    int Dx;
    int Dy;
};

// Left, top, right, bottom: the order every painter draws them in.
constexpr std::array<TContour, 4> Contours = {{{&TsGenState::TCLeft, -1, 0},
                                               {&TsGenState::TCTop, 0, -1},
                                               {&TsGenState::TCRight, 1, 0},
                                               {&TsGenState::TCBottom, 0, 1}}};

RECT Moved(RECT r, int dx, int dy) {
    OffsetRect(&r, dx, dy);
    return r;
}

const TsGeneralData* SectionAt(const TsSkinModel& model, std::int32_t index) {
    return model.HasSection(index) ? &model.GeneralData[static_cast<std::size_t>(index)] : nullptr;
}

const TsGenState& PropsFor(const TsGeneralData& section, bool hot) {
    return hot && section.States > 1 ? section.StateProps[1] : section.StateProps[0];
}

// The text in one colour on the canvas's DC, with a clear background.
void DrawTextIn(TCanvas& canvas, const std::string& text, RECT rect, UINT format, TColor color) {
    HDC dc = canvas.Handle();
    if (dc == nullptr)
        return;
    canvas.RequireFont();
    SetTextColor(dc, ColorToRGB(color) & 0x00FFFFFF);
    SetBkMode(dc, TRANSPARENT);
    ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &rect, format);
}

TColor Adjust(const TsCommonData& data, TColor c) {
    if (data.HUEOffset() != 0)
        c = ShiftHue(c, data.HUEOffset());
    if (data.Saturation() != 0)
        c = ChangeColorSaturation(data.Saturation(), c);
    return c;
}

// Restores the DC's state on every way out.
class TSavedDC {
public:
    explicit TSavedDC(HDC dc) : FDC(dc), FSaved(dc != nullptr ? SaveDC(dc) : 0) {}
    ~TSavedDC() {
        if (FDC != nullptr)
            RestoreDC(FDC, FSaved);
    }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC FDC;
    int FSaved;
};

std::int32_t EffectiveSection(TControl* control, const TsCommonData& data, bool hot) {
    std::int32_t own = data.SectionIndex;
    const TsGeneralData* section = data.Section();
    if (control == nullptr || dynamic_cast<TWinControl*>(control) != nullptr || !control->ParentFont() ||
        control->Parent() == nullptr || section == nullptr || PropsFor(*section, hot).Transparency <= 0)
        return own;
    return EffectiveParentSection(control, own, data.SkinManager(), 0);
}

void DrawGlow(TsCommonData& data, const TsGenState& props, const std::string& text, const RECT& rect, UINT format) {
    if (!data.CacheBitmap || props.GSize == 0)
        return;
    TacGrayImage blur;
    DrawBlurredText(*data.CacheBitmap, text, rect, blur, Adjust(data, static_cast<TColor>(props.GCol)), props.GSize,
                    tcAll, format);
}

void DrawSkinnedControlText(TCanvas& canvas, const std::string& text, bool enabled, bool hot, TsCommonData& data,
                            UINT format, const RECT& rect) {
    const TsSkinModel& model = data.SkinManager()->Model();
    const TsGeneralData* section = SectionAt(model, EffectiveSection(data.Control, data, hot));
    if (section == nullptr) {
        DrawTextIn(canvas, text, rect, format, canvas.Font().Color());
        return;
    }
    const TsGenState& props = PropsFor(*section, hot);
    DrawGlow(data, props, text, rect, format);
    if (!enabled) {
        TColor back = ColorToRGB(static_cast<TColor>(data.SkinManager()->SkinBackColor()));
        TColor c = MixColors(static_cast<TColor>(section->StateProps[0].FontColor), back, 0.4);
        DrawTextIn(canvas, text, rect, format, Adjust(data, c));
        return;
    }
    for (const TContour& contour : Contours) {
        std::int32_t c = props.*contour.Color;
        if (c != -1)
            DrawTextIn(canvas, text, Moved(rect, contour.Dx, contour.Dy), format, Adjust(data, static_cast<TColor>(c)));
    }
    DrawTextIn(canvas, text, rect, format | DT_NOCLIP, Adjust(data, static_cast<TColor>(props.FontColor)));
}

} // namespace

void DrawControlText(TCanvas& canvas, const std::string& text, bool enabled, bool hot, TsCommonData& skinData,
                     UINT format, const RECT& rect) {
    if (text.empty())
        return;
    const TsSkinModel* model = skinData.Model();
    if (hot && model != nullptr && skinData.SectionIndex >= 0 &&
        skinData.SectionIndex == model->StdIndexes.WebButtonSection)
        canvas.Font().SetStyle(canvas.Font().Style() | fsUnderline);
    HDC dc = canvas.Handle();
    if (dc == nullptr)
        return;
    // The font goes into the DC before the state is saved, so that restoring it never
    // brings back a font handle the canvas has already dropped.
    canvas.RequireFont();
    TSavedDC saved(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    SetBkMode(dc, TRANSPARENT);
    if (skinData.IsSkinned() && !skinData.CustomFont()) {
        DrawSkinnedControlText(canvas, text, enabled, hot, skinData, format, rect);
    } else if (enabled) {
        DrawTextIn(canvas, text, rect, format, canvas.Font().Color());
    } else {
        DrawTextIn(canvas, text, Moved(rect, 1, 1), format, clBtnHighlight);
        DrawTextIn(canvas, text, rect, format, clBtnShadow);
    }
}

namespace {

std::int32_t AskSectionIndex(HWND window) {
    TacSectionInfo info;
    if (window != nullptr)
        SendMessageA(window, SkinCommandMessage, SkinCommand(scQuerySectionIndex), reinterpret_cast<LPARAM>(&info));
    return info.SectionIndex;
}

std::int32_t ParentSectionIndex(TWinControl* parent) {
    auto* data = reinterpret_cast<TsCommonData*>(SendSkinCommand(parent, scQuerySkinData));
    if (data != nullptr && data->SectionIndex >= 0)
        return data->SectionIndex;
    return AskSectionIndex(parent->HandleIfAllocated());
}

} // namespace

// Every level is examined alike: a parent that is more than half transparent hands the
// search to its own parent, whether it answered with skin data or with the query.
std::int32_t EffectiveParentSection(TControl* control, std::int32_t own, TsSkinManager* manager, int state) {
    if (control == nullptr || manager == nullptr)
        return own;
    const TsSkinModel& model = manager->Model();
    for (TWinControl* parent = control->Parent(); parent != nullptr; parent = parent->Parent()) {
        const TsGeneralData* section = SectionAt(model, ParentSectionIndex(parent));
        if (section == nullptr)
            return own;
        int s = std::max(0, std::min(state > 0 ? 1 : 0, section->States - 1));
        if (section->StateProps[static_cast<std::size_t>(s)].Transparency > 50 && parent->Parent() != nullptr)
            continue;
        return section->GiveOwnFont ? ParentSectionIndex(parent) : own;
    }
    return own;
}

void DrawSectionTextOnCanvas(TCanvas& canvas, const std::string& text, bool enabled, TsSkinManager* manager, bool hot,
                             std::int32_t sectionIndex, UINT format, const RECT& rect) {
    if (text.empty())
        return;
    if (manager == nullptr)
        manager = PrimaryManager();
    if (HDC dc = canvas.Handle())
        SetBkMode(dc, TRANSPARENT);
    const TsGeneralData* section = manager != nullptr ? SectionAt(manager->Model(), sectionIndex) : nullptr;
    if (section == nullptr) {
        DrawTextIn(canvas, text, rect, format, canvas.Font().Color());
        return;
    }
    if (!enabled) {
        const TsGenState& normal = section->StateProps[0];
        TColor c = MixColors(static_cast<TColor>(normal.FontColor), static_cast<TColor>(normal.Color), 0.4);
        canvas.Font().SetColor(c);
        DrawTextIn(canvas, text, rect, format, c);
        return;
    }
    const TsGenState& props = hot ? section->StateProps[1] : section->StateProps[0];
    for (const TContour& contour : Contours) {
        std::int32_t c = props.*contour.Color;
        if (c != -1)
            DrawTextIn(canvas, text, Moved(rect, contour.Dx, contour.Dy), format, static_cast<TColor>(c));
    }
    DrawTextIn(canvas, text, rect, format, static_cast<TColor>(props.FontColor));
}

void DrawTextLayer(TBitmap& target, const std::string& text, TColor color, UINT format, const RECT& rect) {
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (text.empty() || w <= 0 || h <= 0)
        return;
    TBitmap scratch(w, h);
    FillPixels(scratch.Pixels(), TacRect{0, 0, w, h}, 0x00FFFFFF, 0);
    scratch.Canvas().Font().Assign(target.Canvas().Font());
    RECT r{0, 0, w, h};
    DrawTextIn(scratch.Canvas(), text, r, format, 0x00000000);
    CompositeTextLayer(target.Pixels(), TacRect{rect.left, rect.top, rect.right, rect.bottom}, scratch.Pixels(),
                       ColorToRGB(color) & 0x00FFFFFF);
}

void DrawSectionText(TBitmap& target, const std::string& text, bool withContours, TsSkinManager* manager, bool hot,
                     std::int32_t sectionIndex, UINT format, const RECT& rect) {
    if (text.empty() || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    if (manager == nullptr)
        manager = PrimaryManager();
    const TsGeneralData* section = manager != nullptr ? SectionAt(manager->Model(), sectionIndex) : nullptr;
    if (section == nullptr) {
        DrawTextLayer(target, text, target.Canvas().Font().Color(), format, rect);
        return;
    }
    const TsGenState& props = hot && section->States > 0 ? section->StateProps[1] : section->StateProps[0];
    if (withContours) {
        for (const TContour& contour : Contours) {
            std::int32_t c = props.*contour.Color;
            if (c != -1)
                DrawTextLayer(target, text, static_cast<TColor>(c), format, Moved(rect, contour.Dx, contour.Dy));
        }
    }
    DrawTextLayer(target, text, static_cast<TColor>(props.FontColor), format, rect);
}

void DrawBlurredText(TBitmap& target, const std::string& text, const RECT& rect, TacGrayImage& blurImage, TColor color,
                     std::uint8_t radius, unsigned contours, UINT format) {
    TFont& font = target.Canvas().Font();
    auto render = [&text, &font, format](TacGrayImage& image, const std::vector<TacRect>& places) {
        if (image.Empty())
            return;
        TBitmap scratch(image.Width(), image.Height());
        FillPixels(scratch.Pixels(), TacRect{0, 0, image.Width(), image.Height()}, 0x00FFFFFF, 0);
        scratch.Canvas().Font().Assign(font);
        for (const TacRect& p : places)
            DrawTextIn(scratch.Canvas(), text, RECT{p.Left, p.Top, p.Right, p.Bottom}, format, 0x00000000);
        TacPixelsView pixels = scratch.Pixels();
        for (int y = 0; y < image.Height(); ++y) {
            const TPixel32* row = pixels.Row(y);
            for (int x = 0; x < image.Width(); ++x)
                image.At(x, y) = static_cast<std::uint8_t>((row[x] >> 8) & 0xFF);
        }
    };
    DrawBlurredText(target.Pixels(), TacRect{rect.left, rect.top, rect.right, rect.bottom}, blurImage,
                    ColorToRGB(color) & 0x00FFFFFF, radius, contours, render);
}

void PaintSectionFaceToDC(std::int32_t sectionIndex, const std::string& sectionName, const TBackdropRef& backdrop,
                          TsSkinManager* manager, HDC dc, POINT offset, const RECT& rect, int state,
                          bool transparentCorners) {
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (dc == nullptr || w <= 0 || h <= 0 || manager == nullptr)
        return;
    TBitmap scratch(w, h);
    PaintSectionFace(scratch.Pixels(), TacRect{0, 0, w, h}, &manager->Model(), sectionIndex, sectionName, state,
                     transparentCorners, backdrop, offset.x, offset.y);
    TSavedDC saved(dc);
    BitBlt(dc, rect.left, rect.top, w, h, scratch.Canvas().Handle(), 0, 0, SRCCOPY);
}

std::int32_t PaintSectionFaceByName(TBitmap& target, const std::string& sectionName, const std::string& fallbackName,
                                    HDC sourceDC, TColor backdropColor, const RECT& rect, TsSkinManager* manager,
                                    int state) {
    if (manager == nullptr)
        return -1;
    const TsSkinModel& model = manager->Model();
    if (sourceDC == nullptr)
        return PaintSectionFaceByName(target.Pixels(), &model, sectionName, fallbackName,
                                      ColorToRGB(backdropColor) & 0x00FFFFFF, state);
    std::int32_t index = model.SectionIndexOf(sectionName);
    if (!model.HasSection(index))
        index = model.SectionIndexOf(fallbackName);
    if (!model.HasSection(index) || target.Width() <= 0 || target.Height() <= 0)
        return model.HasSection(index) ? index : -1;
    BitBlt(target.Canvas().Handle(), 0, 0, target.Width(), target.Height(), sourceDC, rect.left, rect.top, SRCCOPY);
    // The face is painted over the copy, so the backdrop is read from a copy of its own.
    TacPixmap behind = target.ToPixmap();
    PaintSectionFace(target.Pixels(), TacRect{0, 0, target.Width(), target.Height()}, &model, index,
                     model.GeneralData[static_cast<std::size_t>(index)].SectionName, state, true,
                     BitmapBackdrop(behind.View(), 0, 0), 0, 0);
    return index;
}

void FillRectDC(HDC dc, const RECT& rect, TColor color) {
    if (dc == nullptr || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    TSavedDC saved(dc);
    HBRUSH brush = CreateSolidBrush(ColorToRGB(color) & 0x00FFFFFF);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void FillBorderDC(HDC dc, const RECT& rect, int leftWidth, TColor color, int bottomWidth, int rightWidth,
                  int topWidth) {
    FillRectDC(dc, RECT{rect.left, rect.top, rect.right, rect.top + topWidth}, color);
    FillRectDC(dc, RECT{rect.left, rect.top + topWidth, rect.left + leftWidth, rect.bottom}, color);
    FillRectDC(dc, RECT{rect.left + leftWidth, rect.bottom - bottomWidth, rect.right, rect.bottom}, color);
    FillRectDC(dc, RECT{rect.right - rightWidth, rect.top + topWidth, rect.right, rect.bottom - bottomWidth}, color);
}

} // namespace sj

// Helpers shared by the files of the window adapter unit; not an interface of its own.
#pragma once

#include "skin/controls/acSBUtils.h"

#include <uxtheme.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include <commctrl.h>

#include "forms/Bitmap.h"
#include "forms/ComCtrls.h"
#include "forms/Forms.h"
#include "skin/data/sMaskData.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/acAlphaImageList.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sControlText.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSectionPaint.h"

namespace sj::adapter_detail {

// A WM_PAINT answered by painting: into the DC the message carries (a print), or into
// the window between BeginPaint and EndPaint.
template <class Paint> inline void AnswerPaintMessage(HWND window, TMessage& message, const Paint& paint) {
    PAINTSTRUCT cycle{};
    HDC dc = message.WParam != 0 ? reinterpret_cast<HDC>(message.WParam) : ::BeginPaint(window, &cycle);
    paint(dc);
    if (message.WParam == 0)
        ::EndPaint(window, &cycle);
    message.Result = 0;
}

// Controls the skinning layer must never touch carry this tag.
constexpr std::intptr_t NeverSkinnedTag = -98;
// Labels that keep their own font colour.
constexpr std::intptr_t OwnColorLabelTag = 98;

inline const char* DefaultSectionOfList(int list) {
    switch (list) {
    case tpEdits:
        return "EDIT";
    case tpButtons:
    case tpBitBtns:
        return "BUTTON";
    case tpCheckBoxes:
        return "CHECKBOX";
    case tpGroupBoxes:
        return "GROUPBOX";
    case tpPageControls:
        return "PAGECONTROL";
    case tpListViews:
    case tpTreeViews:
        return "EDIT";
    case tpScrollControls:
        return "PANEL_LOW";
    case tpUpDowns:
        // The section of the arrows a tab control shows, which are up-downs too.
        return "UPDOWNBTN";
    default:
        return "";
    }
}

inline bool AnswersSkinned(TWinControl& control) {
    return control.HandleAllocated() && SendSkinCommand(&control, scIsSkinned) != 0;
}

inline const TsGenState* StateProps(const TsCommonData& data, int state) {
    const TsGeneralData* section = data.Section();
    if (section == nullptr)
        return nullptr;
    state = std::clamp(state, 0, std::max(0, section->States - 1));
    return &section->StateProps[static_cast<std::size_t>(std::min(state, 1))];
}

// A text colour a skin really defines: skins without one leave the key colour or a
// negative value behind, which must never reach a control.
inline bool IsUsableTextColor(std::int32_t color) {
    return color >= 0 && static_cast<TColor>(color) != clKeyPixel;
}

// The backdrop under area, whose top-left lies at (x, y) of the parent's client area.
inline void CopyBackdrop(TacPixelsView target, const TacRect& area, const TBackdropRef& backdrop, int x, int y) {
    if (backdrop.HasBitmap()) {
        const int left = x + backdrop.OffsetX;
        const int top = y + backdrop.OffsetY;
        CopyPixels(target, area.Left, area.Top, backdrop.Bitmap,
                   TacRect{left, top, left + area.Right - area.Left, top + area.Bottom - area.Top});
    } else if (backdrop.Color != clUnknownColor) {
        FillPixels(target, area, ColorToPixelOrder(backdrop.Color), 0xFF);
    }
}

// A disabled button keeps 40 % of its face and takes 60 % of what lies behind it.
inline void BlendTowardBackdrop(TBitmap& face, const TBackdropRef& backdrop, int x, int y) {
    if (backdrop.HasBitmap()) {
        const int left = x + backdrop.OffsetX;
        const int top = y + backdrop.OffsetY;
        BlendSkippingKey(face.Pixels(), 0, 0, backdrop.Bitmap,
                         TacRect{left, top, left + face.Width(), top + face.Height()}, 0.4);
    } else if (backdrop.Color != clUnknownColor) {
        BlendColorSkippingKey(face.Pixels(), backdrop.Color, 0.4);
    }
}

inline SIZE MeasureText(TCanvas& canvas, const std::string& text) {
    RECT r{0, 0, 0, 0};
    ::DrawTextA(canvas.Handle(), text.empty() ? " " : text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    return SIZE{text.empty() ? 0 : r.right - r.left, r.bottom - r.top};
}


} // namespace sj::adapter_detail

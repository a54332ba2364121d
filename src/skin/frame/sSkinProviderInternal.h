// Helpers shared by the files of the form skin provider unit; not an interface of its own.
#pragma once

#include "skin/frame/sSkinProvider.h"

#include <algorithm>
#include <cstring>

#include "forms/FormReader.h"
#include "forms/FormResources.h"
#include "platform/Exception.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/acGlow.h"
#include "skin/frame/sSkinMenus.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sControlText.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSectionPaint.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj::provider_detail {

constexpr int kMinimize = 0, kMaximize = 1, kClose = 2, kHelp = 3;
constexpr const char* kSkinSelectItem = "SkinSelectItem";
constexpr const char* kInternalSuffix = "(internal)";

// Skin commands this unit answers beyond the shared table.
constexpr WORD scQueryProvider = 4;
constexpr WORD scParentUpdated = 6;
constexpr WORD scQueryClientOffset = 61;
constexpr WORD scRedrawOff = 51;
constexpr WORD scRedrawOn = 52;
constexpr WORD scRepaintNonClient = 62;

// What lies under `area` before it is painted over; seen as a backdrop through
// BitmapBackdrop(copy, -area.Left, -area.Top).
inline TacPixmap CopyOfArea(TacPixelsView pixels, TacRect area) {
    TacPixmap copy(std::max(0, area.Right - area.Left), std::max(0, area.Bottom - area.Top));
    CopyPixels(copy.View(), 0, 0, pixels, area);
    return copy;
}

// Set for the lifetime of the scope, whatever leaves it.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
};

inline void MakeOpaque(TacPixelsView pixels) {
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x)
            pixels.At(x, y) |= 0xFF000000u;
}

inline int ButtonSlot(int code) {
    switch (code) {
    case HTMINBUTTON:
        return kMinimize;
    case HTMAXBUTTON:
        return kMaximize;
    case HTCLOSE:
        return kClose;
    case HTHELP:
        return kHelp;
    default:
        return -1;
    }
}

constexpr int kUserButtonBase = 1000;
constexpr int kUserButtonLast = 1100;

inline bool IsUserButtonCode(int code) {
    return code >= kUserButtonBase && code <= kUserButtonLast;
}

// The system buttons and the user buttons.
inline bool IsButtonCode(int code) {
    return ButtonSlot(code) >= 0 || IsUserButtonCode(code);
}

inline bool Inside(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The system's caption font, fresh for every paint (the user may change it).
inline HFONT CreateCaptionFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return nullptr;
    return ::CreateFontIndirectA(&metrics.lfCaptionFont);
}

// The caption font selected into a cache's DC for one caption paint. Whatever font is
// selected in between (the caption's, an added title's), the DC gets its own back, and
// the caption font goes with it.
class TCaptionFontScope {
public:
    explicit TCaptionFontScope(HDC dc) : dc_(dc), before_(::GetCurrentObject(dc, OBJ_FONT)), font_(CreateCaptionFont()) {
        if (font_ != nullptr)
            ::SelectObject(dc_, font_);
    }
    ~TCaptionFontScope() {
        ::SelectObject(dc_, before_);
        if (font_ != nullptr)
            ::DeleteObject(font_);
    }
    TCaptionFontScope(const TCaptionFontScope&) = delete;
    TCaptionFontScope& operator=(const TCaptionFontScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ before_;
    HFONT font_;
};

inline std::int32_t GlobalImage(const TsSkinModel& model, const char* key) {
    return model.ImageIndexOf(model.SectionIndexOf("GLOBALINFO"), "GLOBALINFO", key);
}

inline TTitleButtonSize SizeOfItem(const TsSkinModel* model, std::int32_t index, bool visible) {
    TTitleButtonSize size;
    size.Visible = visible;
    if (model != nullptr && model->HasImage(index)) {
        const TsMaskData& item = model->Masks[static_cast<std::size_t>(index)];
        size.Width = std::max(1, FrameWidth(item));
        size.Height = std::max(1, FrameHeight(item));
    }
    return size;
}

// The CAPTION face behind a caption's text rectangle (4 pixels wider on each side, 2
// taller), over what the cache shows there; nothing without the section.
void PaintCaptionBacking(TBitmap& cache, const TsSkinModel* model, std::int32_t captionIndex, int state,
                         const RECT& text);
// Text leaves alpha 0: the text rectangle's pixels left of `right` are made opaque.
void MakeTextOpaque(TBitmap& cache, const RECT& text, int right);

} // namespace sj::provider_detail

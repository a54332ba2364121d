#include "skin/frame/acGlow.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "forms/Bitmap.h"
#include "forms/Forms.h"
#include "forms/GdiHandles.h"
#include "skin/data/sSkinManager.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

// A borderless form that only ever shows layered content: it is made topmost before its
// window exists when it has to be, and shown without the activation that showing a form
// through the framework would bring.
class TacGlowForm : public TForm {
    SJ_CLASS(TacGlowForm, TForm)

public:
    explicit TacGlowForm(bool topmost) : TForm(nullptr) {
        SetTag(acAuxWindowTag);
        SetBorderStyle(TFormBorderStyle::bsNone);
        SetControlStyle(ControlStyle() & ~csCaptureMouse);
        if (topmost)
            SetFormStyle(TFormStyle::fsStayOnTop);
    }

    void ShowWithoutActivation() {
        SetVisibleFlag(true);
        ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    }

protected:
    void CreateParams(TCreateParams& params) override {
        TForm::CreateParams(params);
        params.ExStyle |= acGlowExStyle;
    }

    // The form clears WS_EX_LAYERED when it does not blend itself; the glow needs it back
    // before any content is handed to the system.
    void CreateHandleDone() override {
        TForm::CreateHandleDone();
        SetStyleBit(acGlowExStyle, true, true);
    }
};

namespace {

// Anything beyond what GDI can address is bad geometry, not a glow.
constexpr std::int64_t MaxGlowSide = 32767;

struct TacGlowList {
    std::vector<std::unique_ptr<TacGlowEffect>> Items;

    // The unit's finalisation clears the list without freeing windows: at the end of the
    // process the framework may be gone before this list.
    ~TacGlowList() {
        for (auto& glow : Items) {
            if (glow)
                glow->LetGoOfWindow();
        }
    }
};

TacGlowList& GlowList() {
    static TacGlowList list;
    return list;
}

void AnswerTransparentHitTest(TMessage& message, const TWndNext& next) {
    if (message.Msg == WM_NCHITTEST) {
        message.Result = HTTRANSPARENT;
        return;
    }
    next(message);
}

bool IsTopmost(HWND window) {
    return window != nullptr && (::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

int GlowImageIndex(const TsSkinModel& manager, const std::string& section, const std::string& name) {
    const std::int32_t index = manager.ImageIndexOf(manager.SectionIndexOf(section), section, name + "0");
    return manager.HasImage(index) ? index : -1;
}

// The visible part of a window in screen coordinates; empty when nothing of it shows.
RECT WindowClipOnScreen(HWND window, const RECT& windowRect) {
    RECT box{};
    HDC dc = ::GetWindowDC(window);
    if (dc == nullptr)
        return box;
    const int kind = ::GetClipBox(dc, &box);
    ::ReleaseDC(window, dc);
    if (kind == ERROR || kind == NULLREGION)
        return RECT{};
    ::OffsetRect(&box, windowRect.left, windowRect.top);
    return box;
}

RECT ClientClipOnScreen(TWinControl& parent) {
    RECT box{};
    TWindowDC dc(parent.Handle());
    if (!dc)
        return box;
    const int kind = ::GetClipBox(dc.Get(), &box);
    if (kind == ERROR || kind == NULLREGION)
        return RECT{};
    const POINT origin = parent.ClientOrigin();
    ::OffsetRect(&box, origin.x, origin.y);
    return box;
}

struct TacControlArea {
    RECT Rect{};
    RECT Clip{};
    HWND TopWindow = nullptr;
};

bool WindowArea(HWND window, TacControlArea& area) {
    if (window == nullptr || !::IsWindow(window) || !::GetWindowRect(window, &area.Rect))
        return false;
    area.Clip = WindowClipOnScreen(window, area.Rect);
    area.TopWindow = ::GetAncestor(window, GA_ROOT);
    return true;
}

// A windowless control is seen through its parent's window, cut to the control.
bool WindowlessArea(TControl& control, TacControlArea& area) {
    TWinControl* parent = control.Parent();
    if (parent == nullptr || !parent->HandleAllocated())
        return false;
    const POINT origin = control.ClientOrigin();
    area.Rect = RECT{origin.x, origin.y, origin.x + control.Width(), origin.y + control.Height()};
    const RECT parentClip = ClientClipOnScreen(*parent);
    if (!::IntersectRect(&area.Clip, &parentClip, &area.Rect))
        area.Clip = RECT{};
    area.TopWindow = ::GetAncestor(parent->HandleIfAllocated(), GA_ROOT);
    return true;
}

bool ControlArea(const TsCommonData& data, HWND window, TacControlArea& area) {
    if (window != nullptr)
        return WindowArea(window, area);
    if (auto* windowed = dynamic_cast<TWinControl*>(data.Control))
        return windowed->HandleAllocated() && WindowArea(windowed->HandleIfAllocated(), area);
    return data.Control != nullptr && WindowlessArea(*data.Control, area);
}

} // namespace

bool GlowPlacementOf(const RECT& rect, const RECT& clip, int borderLeft, int borderTop, int borderRight,
                     int borderBottom, int margin, TacGlowPlacement& placement) {
    RECT visibleOfRect{};
    if (!::IntersectRect(&visibleOfRect, &rect, &clip))
        return false;
    const std::int64_t bl = std::max(borderLeft, 0), bt = std::max(borderTop, 0);
    const std::int64_t br = std::max(borderRight, 0), bb = std::max(borderBottom, 0);
    const std::int64_t width = std::int64_t{rect.right} - rect.left + bl + br - 2 * std::int64_t{margin};
    const std::int64_t height = std::int64_t{rect.bottom} - rect.top + bt + bb - 2 * std::int64_t{margin};
    if (width <= 0 || height <= 0 || width > MaxGlowSide || height > MaxGlowSide)
        return false;
    const std::int64_t cutLeft = visibleOfRect.left - rect.left, cutTop = visibleOfRect.top - rect.top;
    const std::int64_t cutRight = rect.right - visibleOfRect.right, cutBottom = rect.bottom - visibleOfRect.bottom;
    if (cutLeft + cutRight >= width || cutTop + cutBottom >= height)
        return false;
    placement.Width = static_cast<int>(width);
    placement.Height = static_cast<int>(height);
    placement.Visible = TacRect{static_cast<int>(cutLeft), static_cast<int>(cutTop), static_cast<int>(width - cutRight),
                                static_cast<int>(height - cutBottom)};
    placement.X = static_cast<int>(std::int64_t{rect.left} + margin + cutLeft - bl);
    placement.Y = static_cast<int>(std::int64_t{rect.top} + margin + cutTop - bt);
    return true;
}

// --- TacGlowEffect -----------------------------------------------------------------------

TacGlowEffect::TacGlowEffect(const TsSkinModel* manager, int maskIndex, int margin, HWND parent)
    : FManager(manager), FMaskIndex(maskIndex), FMargin(margin) {
    FForm = std::make_unique<TacGlowForm>(IsTopmost(parent));
    FHitTestHook = FForm->HookWindowProc(&AnswerTransparentHitTest);
    FForm->HandleNeeded();
}

TacGlowEffect::~TacGlowEffect() {
    FHitTestHook.Unhook();
    FForm.reset();
}

HWND TacGlowEffect::Handle() const {
    return FForm ? FForm->HandleIfAllocated() : nullptr;
}

TCustomForm* TacGlowEffect::Form() const {
    return FForm.get();
}

void TacGlowEffect::LetGoOfWindow() {
    FHitTestHook.Unhook();
    (void)FForm.release();
}

void TacGlowEffect::PlaceAboveParent(const TacGlowPlacement& placement, HWND parent) {
    HWND window = Handle();
    UINT flags = SWP_NOACTIVATE;
    HWND after = HWND_TOP;
    if (IsTopmost(parent)) {
        after = HWND_TOPMOST;
    } else if (parent != nullptr && ::IsWindow(parent)) {
        // A window goes behind the one it is inserted after: behind whatever lies just
        // above the parent is just above the parent.
        HWND above = ::GetWindow(parent, GW_HWNDPREV);
        if (above == window)
            flags |= SWP_NOZORDER;
        else if (above != nullptr)
            after = above;
    }
    ::SetWindowPos(window, after, placement.X, placement.Y, placement.Visible.Width(), placement.Visible.Height(),
                   flags);
}

bool TacGlowEffect::Show(const TacGlowPlacement& placement, HWND parent, BYTE alpha) {
    if (!FForm || FManager == nullptr || !FManager->HasImage(FMaskIndex))
        return false;
    const TsMaskData& item = FManager->Masks[static_cast<std::size_t>(FMaskIndex)];
    TBitmap work(placement.Width, placement.Height);
    const TacPixelsView pixels = work.Pixels();
    // The backdrop is the cleared bitmap itself, so clear skin pixels stay clear.
    DrawBordersMask(pixels, TacRect{0, 0, placement.Width, placement.Height}, false, 0, item,
                    BitmapBackdrop(pixels, 0, 0));

    PlaceAboveParent(placement, parent);
    POINT position{placement.X, placement.Y};
    SIZE size{placement.Visible.Width(), placement.Visible.Height()};
    POINT source{placement.Visible.Left, placement.Visible.Top};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    TWindowDC screen;
    if (!acUpdateLayeredWindow(Handle(), screen.Get(), &position, &size, work.Canvas().Handle(), &source, 0, &blend,
                               ULW_ALPHA))
        return false;
    FForm->ShowWithoutActivation();
    return true;
}

// --- The list -----------------------------------------------------------------------------

const std::vector<std::unique_ptr<TacGlowEffect>>& TacGlowEffects() {
    return GlowList().Items;
}

TacGlowEffect* GlowEffectOf(int id) {
    const auto& items = GlowList().Items;
    if (id < 0 || static_cast<std::size_t>(id) >= items.size())
        return nullptr;
    return items[static_cast<std::size_t>(id)].get();
}

int ShowGlow(const RECT& rect, const RECT& clip, const std::string& section, const TsSkinModel* manager, HWND parent,
             BYTE alpha, int margin, const std::string& name) {
    if (manager == nullptr || !LayeredWindowsAvailable())
        return -1;
    const int maskIndex = GlowImageIndex(*manager, section, name);
    if (maskIndex < 0)
        return -1;
    const TsMaskData& item = manager->Masks[static_cast<std::size_t>(maskIndex)];
    TacGlowPlacement placement;
    if (!GlowPlacementOf(rect, clip, item.BorderLeft, item.BorderTop, item.BorderRight, item.BorderBottom, margin,
                         placement))
        return -1;
    // A window or bitmap the system refuses means no glow, not an error for the hover
    // that asked for it.
    try {
        auto glow = std::make_unique<TacGlowEffect>(manager, maskIndex, margin, parent);
        if (!glow->Show(placement, parent, alpha))
            return -1;
        auto& items = GlowList().Items;
        items.push_back(std::move(glow));
        return static_cast<int>(items.size()) - 1;
    } catch (...) {
        return -1;
    }
}

void HideGlow(int& id) {
    auto& items = GlowList().Items;
    if (id >= 0 && static_cast<std::size_t>(id) < items.size()) {
        // Out of the list first: freeing the window sends messages that may ask for glows.
        std::unique_ptr<TacGlowEffect> glow = std::move(items[static_cast<std::size_t>(id)]);
        glow.reset();
    }
    id = -1;
}

void ClearGlows(bool freeWindows) {
    std::vector<std::unique_ptr<TacGlowEffect>> items = std::move(GlowList().Items);
    GlowList().Items.clear();
    if (!freeWindows) {
        for (auto& glow : items) {
            if (glow)
                glow->LetGoOfWindow();
        }
    }
    items.clear();
}

// --- Control glows ------------------------------------------------------------------------

void ShowControlGlow(TsCommonData& data, bool force, HWND window) {
    TsSkinManager* manager = data.SkinManager();
    const TsGeneralData* section = data.Section();
    if (manager == nullptr || !manager->Effects.AllowGlowing() || section == nullptr || section->Glow < 1)
        return;
    const bool designing = data.Owner != nullptr && data.Owner->HasState(csDesigning);
    if (!data.Hovered || designing || (force && data.GlowHandle >= 0)) {
        HideGlow(data.GlowHandle);
        return;
    }
    if (data.GlowHandle >= 0)
        return;
    TacControlArea area;
    if (!ControlArea(data, window, area))
        return;
    data.GlowHandle = ShowGlow(area.Rect, area.Clip, section->SectionName, &manager->Model(), area.TopWindow, 255,
                               section->GlowMargin, "GLOW");
}

void HideControlGlow(TsCommonData& data) {
    HideGlow(data.GlowHandle);
}

} // namespace sj

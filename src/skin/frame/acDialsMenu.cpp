// The adapter of the system's popup-menu windows: skinned frame ring and background.
#include "skin/frame/acDials.h"

#include <algorithm>

#include "forms/Forms.h"
#include "skin/frame/acDialsInternal.h"
#include "skin/frame/sFade.h"
#include "skin/frame/sSkinMenus.h"
#include "skin/paint/sSectionPaint.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

using namespace dials_detail;

namespace {

// Commands of the menu painter: "is the frame yours" (left at 0, so that the painter
// shapes the window at every item it draws) and "I am shaping you" (nothing to do).
constexpr WORD scPopupIsSkinned = 8;
constexpr WORD scPopupShaping = 14;
// The frame ring the system gives a popup menu window.
constexpr int kRing = 3;

std::vector<std::unique_ptr<TacMnuWnd>>& MenuAdapters() {
    static auto& list = *new std::vector<std::unique_ptr<TacMnuWnd>>();
    return list;
}

class TMenuWindowDC {
public:
    explicit TMenuWindowDC(HWND window) : window_(window), dc_(::GetWindowDC(window)) {}
    ~TMenuWindowDC() {
        if (dc_ != nullptr)
            ::ReleaseDC(window_, dc_);
    }
    TMenuWindowDC(const TMenuWindowDC&) = delete;
    TMenuWindowDC& operator=(const TMenuWindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

SIZE SizeOf(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void SetLayeredAlpha(HWND window, BYTE alpha) {
    const LONG ex = ::GetWindowLongA(window, GWL_EXSTYLE);
    if ((ex & WS_EX_LAYERED) == 0)
        ::SetWindowLongA(window, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    acSetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA);
}

void DropLayered(HWND window) {
    const LONG ex = ::GetWindowLongA(window, GWL_EXSTYLE);
    if ((ex & WS_EX_LAYERED) != 0)
        ::SetWindowLongA(window, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
}

} // namespace

namespace dials_detail {

void AttachMenuAdapter(HWND window, TsSkinManager* manager) {
    auto adapter = std::make_unique<TacMnuWnd>(window, manager);
    adapter->Hook();
    if (adapter->IsHooked())
        MenuAdapters().push_back(std::move(adapter));
}

void FreeMenuAdapters() {
    std::vector<std::unique_ptr<TacMnuWnd>> going;
    going.swap(MenuAdapters());
}

void BroadcastToMenuAdapters(WORD command, LPARAM lParam) {
    std::vector<HWND> windows;
    for (const auto& adapter : MenuAdapters())
        if (!adapter->Destroyed())
            windows.push_back(adapter->Handle());
    for (HWND window : windows)
        if (::IsWindow(window))
            ::SendMessageA(window, SkinCommandMessage, SkinCommand(command), lParam);
}

} // namespace dials_detail

int LiveMenuAdapterCount() {
    const auto& list = MenuAdapters();
    return static_cast<int>(std::count_if(list.begin(), list.end(), [](const auto& a) { return !a->Destroyed(); }));
}

TacMnuWnd* MenuAdapterOf(HWND window) {
    for (const auto& adapter : MenuAdapters())
        if (adapter->Handle() == window && !adapter->Destroyed())
            return adapter.get();
    return nullptr;
}

TacMnuWnd::TacMnuWnd(HWND window, TsSkinManager* manager) : TacScrollWnd(window, "MAINMENU", manager) {}

TacMnuWnd::~TacMnuWnd() {
    Unhook();
}

bool TacMnuWnd::RenderMenuFace() {
    PrepareCache();
    TBitmap& cache = *SkinData().CacheBitmap;
    const TsSkinModel* model = SkinData().Model();
    if (model == nullptr || cache.Width() <= 0 || cache.Height() <= 0)
        return false;
    // The clear corners of the border image show the skin's background colour.
    const TsSkinManager* manager = Manager();
    const auto back = manager != nullptr ? PaintColorToRGB(static_cast<std::uint32_t>(manager->SkinBackColor()))
                                         : PaintColorToRGB(clBtnFace);
    return PaintSectionFaceByName(cache.Pixels(), model, "MAINMENU", "", back, 0) >= 0;
}

void TacMnuWnd::PaintBackground(HDC dc) {
    if (!RenderMenuFace())
        return;
    const bool own = dc == nullptr;
    if (own)
        dc = ::GetDC(Handle());
    if (dc == nullptr)
        return;
    TBitmap& cache = *SkinData().CacheBitmap;
    ::BitBlt(dc, 0, 0, cache.Width() - kRing, cache.Height() - kRing, cache.Canvas().Handle(), kRing, kRing,
             SRCCOPY);
    if (own)
        ::ReleaseDC(Handle(), dc);
}

// The outer ring of the popup's background as the menu painter made it (or the face,
// when the painter has none of this window's size).
void TacMnuWnd::PaintFrameRing() {
    const SIZE size = SizeOf(Handle());
    TBitmap* picture = nullptr;
    if (TacMenuBackground* background = FindMenuBackgroundByWindow(Handle());
        background != nullptr && background->Bitmap && background->Bitmap->Width() == size.cx &&
        background->Bitmap->Height() == size.cy)
        picture = background->Bitmap.get();
    else if (RenderMenuFace())
        picture = SkinData().CacheBitmap.get();
    if (picture == nullptr)
        return;
    TMenuWindowDC dc(Handle());
    if (dc.Get() == nullptr)
        return;
    HDC source = picture->Canvas().Handle();
    const int w = size.cx, h = size.cy;
    ::BitBlt(dc.Get(), 0, 0, w, kRing, source, 0, 0, SRCCOPY);
    ::BitBlt(dc.Get(), 0, h - kRing, w, kRing, source, 0, h - kRing, SRCCOPY);
    ::BitBlt(dc.Get(), 0, kRing, kRing, h - 2 * kRing, source, 0, kRing, SRCCOPY);
    ::BitBlt(dc.Get(), w - kRing, kRing, kRing, h - 2 * kRing, source, w - kRing, kRing, SRCCOPY);
}

void TacMnuWnd::FinishShowing() {
    if (CompositionEnabled() && !redrawnOnce_) {
        redrawnOnce_ = true;
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    const TsSkinManager* manager = Manager();
    const BYTE alpha = manager != nullptr ? manager->MenuSupport.AlphaBlend : 255;
    if (alpha < 255)
        SetLayeredAlpha(Handle(), alpha);
    else
        DropLayered(Handle());
    hiddenAtAlphaZero_ = false;
    shown_ = true;
}

void TacMnuWnd::WindowGone(TMessage& message, const TacWndNext& next) {
    TacScrollWnd::WindowProc(message, next); // passes the message on and unhooks
    Unhook();
    ClearMenuBackgrounds();
    auto& list = MenuAdapters();
    bool anyLive = false;
    for (const auto& adapter : list) {
        if (adapter.get() == this || adapter->Destroyed() || !::IsWindow(adapter->Handle()))
            continue;
        anyLive = true;
        ::RedrawWindow(adapter->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    }
    SetMenuItemDrawn(false);
    if (!anyLive) {
        // This object goes with the list: nothing of it is touched after this.
        std::vector<std::unique_ptr<TacMnuWnd>> going;
        going.swap(list);
    }
}

void TacMnuWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage) {
        switch (SkinCommandCode(message.WParam)) {
        case scIsSkinned:
            message.Result = 1;
            return;
        case scQueryApplication:
            message.Result = reinterpret_cast<LRESULT>(Application);
            return;
        case scPopupIsSkinned:
        case scPopupShaping:
            message.Result = 0;
            return;
        default:
            TacScrollWnd::WindowProc(message, next);
            return;
        }
    }
    if (message.Msg == WM_DESTROY || message.Msg == WM_NCDESTROY) {
        WindowGone(message, next);
        return;
    }
    if (message.Msg == WM_TIMER || !MenuItemDrawn() || !Skinned()) {
        if (message.Msg == WM_TIMER)
            next(message);
        else
            TacScrollWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(message.WParam));
        message.Result = 1;
        return;
    case WM_WINDOWPOSCHANGING: {
        TacScrollWnd::WindowProc(message, next);
        const auto* position = reinterpret_cast<const WINDOWPOS*>(message.LParam);
        // Shown only once its skinned frame is painted: no system frame flashes first.
        if (position != nullptr && (position->flags & SWP_SHOWWINDOW) != 0 &&
            (position->flags & SWP_NOREDRAW) == 0 && !::IsWindowVisible(Handle())) {
            SetLayeredAlpha(Handle(), 0);
            hiddenAtAlphaZero_ = true;
        }
        return;
    }
    case WM_NCPAINT:
        PaintFrameRing();
        FinishShowing();
        message.Result = 0;
        return;
    case WM_PAINT:
        // A popup that got no frame paint would stay invisible at alpha 0.
        if (hiddenAtAlphaZero_) {
            PaintFrameRing();
            FinishShowing();
        }
        TacScrollWnd::WindowProc(message, next);
        return;
    default:
        TacScrollWnd::WindowProc(message, next);
        return;
    }
}

} // namespace sj

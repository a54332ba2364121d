// The show and hide animations of skinned dialogs: the manager's DialogShow and
// DialogHide settings, run with the frame stepping of the form animations on a layered
// window of their own while the dialog itself is not drawn.
#include "skin/frame/acDials.h"

#include "skin/frame/acDialsInternal.h"
#include "skin/frame/sFade.h"
#include "skin/frame/sFadeInternal.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

using namespace fade_detail;

namespace {

// Posted when a dialog became visible before its show animation could run: the first
// messages after the showing run it, before the dialog's first paint.
UINT RunShowAnimationMessage() {
    static const UINT message = ::RegisterWindowMessageA("acRunDialogShowAnimation");
    return message;
}

// The visible children of window from the bottom of the z-order up.
std::vector<HWND> VisibleChildrenBottomUp(HWND window) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::IsWindowVisible(child))
            children.push_back(child);
    return {children.rbegin(), children.rend()};
}

} // namespace

std::unique_ptr<TBitmap> TacDialogWnd::Snapshot() {
    TBitmap* frame = Frame();
    if (frame == nullptr)
        return nullptr;
    auto shot = std::make_unique<TBitmap>(frame->Width(), frame->Height());
    const TacRect all{0, 0, frame->Width(), frame->Height()};
    CopyPixels(shot->Pixels(), 0, 0, frame->Pixels(), all);
    RECT bounds{}, client{};
    ::GetWindowRect(Handle(), &bounds);
    ::GetClientRect(Handle(), &client);
    const POINT offset = ClientOffset();
    HDC dc = shot->Canvas().Handle();
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, offset.x, offset.y, offset.x + client.right, offset.y + client.bottom);
    for (HWND child : VisibleChildrenBottomUp(Handle())) {
        RECT r{};
        ::GetWindowRect(child, &r);
        PaintControlTree(dc, child, POINT{r.left - bounds.left, r.top - bounds.top});
    }
    ::RestoreDC(dc, saved);
    ::GdiFlush();
    // GDI leaves the alpha of what it draws at 0: the whole picture is opaque.
    TacPixelsView pixels = shot->Pixels();
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x)
            pixels.At(x, y) |= 0xFF000000u;
    return shot;
}

bool TacDialogWnd::ShowAnimationWanted() const {
    const TsSkinManager* manager = Manager();
    return manager != nullptr && Skinned() && LayeredWindowsAvailable() && manager->AnimEffects.DialogShow.Active &&
           FormAnimationSteps(manager->AnimEffects.DialogShow.Time) > 0 && !::IsIconic(Handle()) &&
           !AnimationRunning();
}

bool TacDialogWnd::HideAnimationWanted() const {
    const TsSkinManager* manager = Manager();
    return manager != nullptr && Skinned() && LayeredWindowsAvailable() && manager->AnimEffects.DialogHide.Active &&
           FormAnimationSteps(manager->AnimEffects.DialogHide.Time) > 0 && !::IsIconic(Handle()) &&
           ::IsWindowVisible(Handle());
}

void TacDialogWnd::HideUntilAnimated() {
    const LONG exStyle = ::GetWindowLongA(Handle(), GWL_EXSTYLE);
    madeLayered_ = (exStyle & WS_EX_LAYERED) == 0;
    if (madeLayered_)
        ::SetWindowLongA(Handle(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(Handle(), 0, 0, LWA_ALPHA);
    showPending_ = true;
    ::PostMessageA(Handle(), RunShowAnimationMessage(), 0, 0);
}

void TacDialogWnd::DrawAgain() {
    if (!showPending_ && !madeLayered_)
        return;
    showPending_ = false;
    if (madeLayered_)
        ::SetWindowLongA(Handle(), GWL_EXSTYLE, ::GetWindowLongA(Handle(), GWL_EXSTYLE) & ~WS_EX_LAYERED);
    else
        ::SetLayeredWindowAttributes(Handle(), 0, 255, LWA_ALPHA);
    madeLayered_ = false;
    ::RedrawWindow(Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TacDialogWnd::PrepareShowAnimation() {
    if (!showPending_ && ShowAnimationWanted())
        HideUntilAnimated();
}

bool TacDialogWnd::AnimateShow() {
    if (!showPending_)
        return false;
    if (!ShowAnimationWanted() || !::IsWindowVisible(Handle())) {
        DrawAgain();
        return false;
    }
    const TacFormAnimation setting = Manager()->AnimEffects.DialogShow;
    std::unique_ptr<TBitmap> shot = Snapshot();
    RECT bounds{};
    ::GetWindowRect(Handle(), &bounds);
    const POINT position{bounds.left, bounds.top};
    HWND window = shot ? CreateAnimationWindow(Handle(), position, SIZE{shot->Width(), shot->Height()}) : nullptr;
    if (window == nullptr) {
        DrawAgain();
        return false;
    }
    {
        TAnimationRunningScope running;
        const int steps = FormAnimationSteps(setting.Time);
        const bool zoom = setting.Mode == TacAnimType::atAero;
        PushFrame(window, *shot, position, 0);
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        TBitmap work(shot->Width(), shot->Height());
        bool drawn = false;
        TFramePacer pacer(FormAnimationInterval);
        for (const TacAnimFrame& frame : ShowAnimationFrames(shot->Width(), shot->Height(), steps, 255, zoom)) {
            if (zoom || !drawn)
                DrawStep(work, *shot, frame.Rect);
            drawn = true;
            PushFrame(window, work, position, frame.Alpha);
            ::GdiFlush();
            pacer.WaitForNext();
        }
        PushFrame(window, *shot, position, 255);
        // The dialog comes up directly under the picture, which already shows it.
        ::SetWindowPos(Handle(), window, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    DrawAgain();
    ForgetAnimationWindow(window);
    return true;
}

bool TacDialogWnd::AnimateHide() {
    if (hiding_ || !HideAnimationWanted())
        return false;
    hiding_ = true;
    const TacFormAnimation setting = Manager()->AnimEffects.DialogHide;
    std::unique_ptr<TBitmap> shot = Snapshot();
    RECT bounds{};
    ::GetWindowRect(Handle(), &bounds);
    HWND window = shot ? CreateAnimationWindow(Handle(), POINT{bounds.left, bounds.top},
                                               SIZE{shot->Width(), shot->Height()})
                       : nullptr;
    if (window != nullptr) {
        TAnimationRunningScope running;
        StartHideAnimation(window, std::move(shot), setting.Time, setting.Mode, 255);
    }
    hiding_ = false;
    return window != nullptr;
}

void TacDialogWnd::HandleShowing(TMessage& message, const TacWndNext& next) {
    if (message.Msg == RunShowAnimationMessage()) {
        AnimateShow();
        message.Result = 0;
        return;
    }
    auto* position = reinterpret_cast<WINDOWPOS*>(message.LParam);
    if (message.Msg == WM_WINDOWPOSCHANGING && position != nullptr) {
        const bool visible = ::IsWindowVisible(Handle()) != FALSE;
        if ((position->flags & SWP_SHOWWINDOW) != 0 && !visible)
            PrepareShowAnimation();
        else if ((position->flags & SWP_HIDEWINDOW) != 0 && visible) {
            // A dialog hidden before its show animation ran is simply hidden.
            if (showPending_)
                DrawAgain();
            else
                AnimateHide();
        }
    }
    TacScrollWnd::WindowProc(message, next);
}

bool IsDialogShowingMessage(UINT msg) {
    return msg == WM_WINDOWPOSCHANGING || msg == RunShowAnimationMessage();
}

} // namespace sj

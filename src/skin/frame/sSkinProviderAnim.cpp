// How a skinned form shows, hides and minimises: the show animation, the hide that
// hands over or frees the border window, and a minimise that frees the border window
// only, all without a repaint of the system's compact frame into a window on its way.
#include "skin/frame/sSkinProvider.h"

#include "skin/frame/sFadeSteps.h"
#include "skin/frame/sSkinProviderInternal.h"

namespace sj {

using namespace provider_detail;

bool TsSkinProvider::ShowAnimationWanted() const {
    TsSkinManager* manager = SkinManager();
    return AllowAnimation && manager != nullptr && form_.Parent() == nullptr && manager->AnimEffects.FormShow.Active &&
           FormAnimationSteps(manager->AnimEffects.FormShow.Time) > 0 && LayeredWindowsAvailable() &&
           !ApplicationClosing() && prepared_ && !AnimationRunning() && !IsPreviewForm();
}

bool TsSkinProvider::HideAnimationWanted() const {
    TsSkinManager* manager = SkinManager();
    return AllowAnimation && manager != nullptr && form_.Parent() == nullptr && manager->AnimEffects.FormHide.Active &&
           FormAnimationSteps(manager->AnimEffects.FormHide.Time) > 0 && LayeredWindowsAvailable() &&
           !IsMinimized() && !AnimationRunning();
}

bool TsSkinProvider::MinimizeAnimationWanted() const {
    TsSkinManager* manager = SkinManager();
    HWND window = form_.HandleAllocated() ? form_.Handle() : nullptr;
    return AllowAnimation && manager != nullptr && manager->AnimEffects.Minimizing.Active && window != nullptr &&
           form_.Parent() == nullptr && LayeredWindowsAvailable() && !ApplicationClosing() && prepared_ &&
           !AnimationRunning() && ::IsWindowVisible(window) && !::IsIconic(window);
}

bool TsSkinProvider::StartMinimizeAnimation() {
    if (!minTimer_)
        minTimer_ = std::make_unique<TacMinTimer>(*this);
    return minTimer_->StartMinimize();
}

bool TsSkinProvider::StartRestoreAnimation(bool maximize) {
    TsSkinManager* manager = SkinManager();
    if (!minTimer_ || manager == nullptr || !manager->AnimEffects.Minimizing.Active)
        return false;
    return minTimer_->StartRestore(maximize);
}

bool TsSkinProvider::BlendOnMovingWanted() const {
    TsSkinManager* manager = SkinManager();
    if (manager == nullptr || !AllowBlendOnMoving || form_.Parent() != nullptr || moveTimer_ ||
        !LayeredWindowsAvailable() || IsMaximized() || IsMinimized())
        return false;
    const TacBlendOnMoving& setting = manager->AnimEffects.BlendOnMoving;
    BOOL fullDrag = FALSE;
    ::SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &fullDrag, 0);
    return setting.Active && setting.BlendValue < 255 && fullDrag != FALSE;
}

void TsSkinProvider::DropBorderForm() {
    StopButtonAnimations();
    HideButtonGlows();
    if (!borderForm_)
        return;
    borderForm_.reset();
    skinData_->CacheStale = true;
    regionStale_ = true;
}

// The system shows the window while it cannot be seen (layered at alpha 1), then the
// window keeps its place on the screen but is not drawn (WS_VISIBLE off) until the
// animation, drawn from a snapshot, ends with the window's own full paint.
void TsSkinProvider::ShowAnimated(TMessage& message, const TWndNext& next) {
    HWND window = form_.Handle();
    TsSkinManager& manager = *SkinManager();
    const LONG exStyle = ::GetWindowLongA(window, GWL_EXSTYLE);
    const bool madeLayered = (exStyle & WS_EX_LAYERED) == 0;
    if (madeLayered) {
        ::SetWindowLongA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        acSetLayeredWindowAttributes(window, 0, 1, LWA_ALPHA);
    }
    DisableDwmTransitions(window);
    skinData_->InUpdate = true;
    {
        // The border window waits for the animation, which draws in it.
        TAnimationRunningScope running;
        next(message);
    }
    skinData_->InUpdate = false;
    if (!::IsWindow(window) || !::IsWindowVisible(window))
        return; // shown and hidden again meanwhile
    ::SetWindowLongA(window, GWL_STYLE, ::GetWindowLongA(window, GWL_STYLE) & ~WS_VISIBLE);
    if (madeLayered)
        ::SetWindowLongA(window, GWL_EXSTYLE, ::GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    if (!borderForm_)
        SetExtendedBorders(true);
    AnimateFormShow(*this, manager.AnimEffects.FormShow.Time, 255, manager.AnimEffects.FormShow.Mode);
    // Hidden (closed) while it zoomed in: the system took no notice then, since the
    // window did not count as visible; it goes now, with its border window.
    if (!form_.Visible() && ::IsWindow(window) && ::IsWindowVisible(window))
        ::ShowWindow(window, SW_HIDE);
}

bool TsSkinProvider::HandleAnimationMessage(TMessage& message, const TWndNext& next) {
    switch (message.Msg) {
    case CM_VISIBLECHANGED:
        // The window is made here when it shows for the first time (and prepared as it
        // is made), so that it can be shown with the animation too.
        if (form_.Visible() && !form_.HasState(csDestroying) && form_.Handle() != nullptr &&
            !::IsWindowVisible(form_.Handle()) && ShowAnimationWanted()) {
            ShowAnimated(message, next);
            return true;
        }
        return false;
    case WM_SHOWWINDOW:
        if (message.WParam != 0) {
            DisableDwmTransitions(form_.Handle());
            // Shown again: a finished minimise has nothing left to fly back.
            if (minTimer_ && !minTimer_->Busy())
                minTimer_.reset();
            return false;
        }
        // Closed while it flies to or from the taskbar: the flight ends where it stands.
        // (A main form hidden by the application's own minimise stays visible as a form.)
        if (minTimer_ && minTimer_->Busy() && !form_.Visible())
            minTimer_->Abandon();
        // Hidden: the animation (when there is one) takes the border window over; the
        // rest goes without a repaint, since the window is on its way off the screen.
        if (HideAnimationWanted())
            AnimateFormHide(*this);
        next(message);
        DropBorderForm();
        return true;
    case WM_SYSCOMMAND: {
        const WPARAM command = message.WParam & 0xFFF0;
        // The main form minimises and restores through the application window, whose
        // hook runs its animation.
        const bool mainForm = Application != nullptr && Application->MainForm() == &form_;
        if (command == SC_MINIMIZE) {
            StopButtonAnimations();
            HideButtonGlows();
            if (minTimer_ && minTimer_->Phase() == TacMinTimer::TPhase::Minimizing) {
                message.Result = 0; // one minimise at a time
                return true;
            }
            const bool animated = mainForm ? MinimizeAnimationWanted()
                                           : MinimizeAnimationWanted() && StartMinimizeAnimation();
            // Without the animation the border window goes before the system minimises
            // the form; with it the animation takes the window over.
            if (!animated && borderForm_)
                borderForm_->ReleaseWindow();
            next(message);
            return true;
        }
        if ((command == SC_RESTORE || command == SC_MAXIMIZE) && !mainForm && IsMinimized() &&
            StartRestoreAnimation(command == SC_MAXIMIZE)) {
            message.Result = 0; // the animation restores the form at its end
            return true;
        }
        return false;
    }
    default:
        if (message.Msg == ReleaseMinimizeAnimationMessage()) {
            if (minTimer_ && !minTimer_->Busy() && !minTimer_->InHandler())
                minTimer_.reset();
            return true;
        }
        return false;
    }
}

} // namespace sj

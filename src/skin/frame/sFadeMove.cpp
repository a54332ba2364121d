// Blend on moving: a form dragged by its caption turns translucent while it moves.
#include "skin/frame/sFade.h"

#include <algorithm>

#include "skin/frame/sFadeInternal.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

using namespace fade_detail;

TacMoveTimer::TacMoveTimer(TsSkinProvider& provider) : TacThreadedTimer(nullptr, true), provider_(provider) {
    SetInterval(FormAnimationInterval);
}

TacMoveTimer::~TacMoveTimer() {
    if (running_)
        EndDrag();
}

void TacMoveTimer::RunDrag(LPARAM cursor) {
    TCustomForm& form = provider_.Form();
    TsSkinManager* manager = provider_.SkinManager();
    if (running_ || manager == nullptr || !form.HandleAllocated())
        return;
    HWND window = form.Handle();
    const TacBlendOnMoving& setting = manager->AnimEffects.BlendOnMoving;
    alpha_ = form.AlphaBlend() ? form.AlphaBlendValue() : 255;
    target_ = provider_.AllowBlendOnMoving ? std::min<int>(alpha_, setting.BlendValue) : alpha_;
    step_ = BlendOnMovingStep(setting.Time, target_);
    shown_ = -1;
    const LONG exStyle = ::GetWindowLongA(window, GWL_EXSTYLE);
    wasLayered_ = (exStyle & WS_EX_LAYERED) != 0;
    if (!wasLayered_) {
        // Layered at the alpha the form has, so that the change does not show.
        ::SetWindowLongA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        acSetLayeredWindowAttributes(window, 0, static_cast<BYTE>(alpha_), LWA_ALPHA);
    }
    running_ = true;
    SetEnabled(true);
    // The system's move loop returns when the drag ends; the ticks come meanwhile.
    ::SendMessageA(window, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, cursor);
    EndDrag();
}

// The form and its border window at the current alpha.
void TacMoveTimer::Apply() {
    if (alpha_ == shown_)
        return;
    shown_ = alpha_;
    TCustomForm& form = provider_.Form();
    if (!form.HandleAllocated())
        return;
    acSetLayeredWindowAttributes(form.Handle(), 0, static_cast<BYTE>(alpha_), LWA_ALPHA);
    if (TacBorderForm* border = provider_.BorderForm())
        border->UpdateBorderWindow(true, static_cast<BYTE>(alpha_));
}

void TacMoveTimer::Timer() {
    TCustomForm& form = provider_.Form();
    if (!running_ || (form.HandleAllocated() && WindowInPaint(form.Handle())))
        return;
    Apply();
    if (alpha_ > target_)
        alpha_ = std::max(target_, alpha_ - step_);
}

void TacMoveTimer::EndDrag() {
    SetEnabled(false);
    running_ = false;
    TCustomForm& form = provider_.Form();
    if (!form.HandleAllocated())
        return;
    HWND window = form.Handle();
    const int alpha = form.AlphaBlend() ? form.AlphaBlendValue() : 255;
    if (wasLayered_)
        acSetLayeredWindowAttributes(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
    else
        ::SetWindowLongA(window, GWL_EXSTYLE, ::GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    provider_.SkinData().CacheStale = true;
    if (TacBorderForm* border = provider_.BorderForm())
        border->UpdateBorderWindow(true, static_cast<BYTE>(alpha));
    RedrawCompletely(window);
}

} // namespace sj

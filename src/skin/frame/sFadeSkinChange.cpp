// The skin-change cross-fade: the visible skinned forms keep their old look on the
// screen while every control takes the new skin, then each passes from a picture of its
// old look to one of its new look, and is drawn once.
#include "skin/frame/sFade.h"

#include <algorithm>
#include <map>

#include "skin/frame/sFadeInternal.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

using namespace fade_detail;

namespace {

// What a form holds between the capture and the end of the change.
struct TFormChangeState {
    TsSkinManager* Manager = nullptr;
    std::unique_ptr<TBitmap> Snapshot; // the old look, with extended borders
    bool Frozen = false;
};

std::map<HWND, TFormChangeState>& ChangeStates() {
    static std::map<HWND, TFormChangeState> states;
    return states;
}

void SetFlagFor(const TsSkinManager& manager, bool value) {
    if (PrimaryManager() == &manager)
        SetAnimationRunning(value);
}

bool ApplicationMinimized() {
    return Application != nullptr && Application->Minimized();
}

std::unique_ptr<TBitmap> CopyOfCache(TsSkinProvider& provider) {
    TBitmap* cache = provider.FrameCache();
    if (cache == nullptr || cache->Width() <= 0)
        return nullptr;
    auto copy = std::make_unique<TBitmap>(cache->Width(), cache->Height());
    CopyPixels(copy->Pixels(), 0, 0, cache->Pixels(), TacRect{0, 0, cache->Width(), cache->Height()});
    return copy;
}

// A maximised form takes the new skin's maximised geometry (its title may be taller or
// shorter): maximised again while it is not drawn (the system recomputes the place of
// an already maximised window only while it counts as hidden), then the window that
// was active is active again.
void MaximizeAgain(TsSkinProvider& provider, HWND window) {
    if (!::IsZoomed(window) || provider.BorderForm() == nullptr)
        return;
    HWND active = ::GetActiveWindow();
    ::SetWindowLongA(window, GWL_STYLE, ::GetWindowLongA(window, GWL_STYLE) & ~WS_VISIBLE);
    ::ShowWindow(window, SW_SHOWMAXIMIZED);
    ::SetWindowLongA(window, GWL_STYLE, ::GetWindowLongA(window, GWL_STYLE) | WS_VISIBLE);
    if (active != nullptr && active != ::GetActiveWindow() && ::IsWindow(active))
        ::SetActiveWindow(active);
    RedrawCompletely(window);
    if (TacBorderForm* border = provider.BorderForm())
        border->UpdateBorderWindow(true);
}

} // namespace

void CaptureFormsForSkinChange(TsSkinManager& manager) {
    if (ApplicationMinimized())
        return;
    SetFlagFor(manager, true);
    for (TCustomForm* form : VisibleSkinnedForms(manager)) {
        TsSkinProvider* provider = ProviderOf(*form);
        TFormChangeState& state = ChangeStates()[form->Handle()];
        state.Manager = &manager;
        if (provider->BorderForm() != nullptr)
            state.Snapshot = MakeFormSnapshot(*provider);
    }
}

void FreezeForms(TsSkinManager& manager) {
    if (ApplicationMinimized())
        return;
    if (manager.AnimEffects.SkinChanging.Active)
        SetFlagFor(manager, true);
    for (TCustomForm* form : VisibleSkinnedForms(manager)) {
        TFormChangeState& state = ChangeStates()[form->Handle()];
        if (state.Frozen)
            continue;
        state.Manager = &manager;
        state.Frozen = true;
        ::SendMessageA(form->Handle(), WM_SETREDRAW, FALSE, 0);
    }
}

void AnimateSkinChange(TCustomForm& form, int time, BYTE finalAlpha, TacAnimType mode) {
    TsSkinProvider* provider = ProviderOf(form);
    HWND window = form.HandleAllocated() ? form.Handle() : nullptr;
    if (provider == nullptr || window == nullptr)
        return;
    std::unique_ptr<TBitmap> oldPicture;
    if (auto found = ChangeStates().find(window); found != ChangeStates().end())
        oldPicture = std::move(found->second.Snapshot);
    TacBorderForm* border = provider->BorderForm();
    const int steps = FormAnimationSteps(time);
    HWND oldWindow = nullptr;
    HWND newWindow = nullptr;
    {
        TAnimationRunningScope running;
        if (!oldPicture && border != nullptr)
            oldPicture = CopyOfCache(*provider);
        provider->SkinData().CacheStale = true;
        std::unique_ptr<TBitmap> newPicture = MakeFormSnapshot(*provider);
        if (newPicture && LayeredWindowsAvailable()) {
            RECT bounds{};
            ::GetWindowRect(window, &bounds);
            POINT position{bounds.left, bounds.top};
            if (border != nullptr) {
                const POINT offset = border->Offset();
                position.x += offset.x;
                position.y += offset.y;
                // The old border window keeps the old look until it has faded out.
                oldWindow = border->TakeWindow();
            }
            RECT oldBounds{};
            if (oldWindow != nullptr)
                ::GetWindowRect(oldWindow, &oldBounds);
            const POINT oldPosition{oldBounds.left, oldBounds.top};
            newWindow = CreateAnimationWindow(window, position, SIZE{newPicture->Width(), newPicture->Height()});
            PushFrame(newWindow, *newPicture, position, steps > 0 ? 0 : finalAlpha);
            HWND after = ::GetWindow(window, GW_HWNDPREV);
            ::SetWindowPos(newWindow, after != nullptr && after != newWindow ? after : HWND_TOP, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
            TBitmap work(newPicture->Width(), newPicture->Height());
            const bool zoom = mode == TacAnimType::atAero;
            const std::vector<TacAnimFrame> frames =
                ShowAnimationFrames(newPicture->Width(), newPicture->Height(), steps, finalAlpha, zoom);
            const std::vector<TacCrossFadeAlpha> alphas = SkinChangeAlphas(steps, finalAlpha);
            int oldShown = -1;
            TFramePacer pacer(FormAnimationInterval);
            for (std::size_t i = 0; i < frames.size(); ++i) {
                if (zoom || i == 0)
                    DrawStep(work, *newPicture, frames[i].Rect);
                PushFrame(newWindow, work, position, frames[i].Alpha);
                // The old look is handed over again only when its alpha changes: the
                // upload of a whole border window costs more than a frame's interval
                // on a slow display.
                if (oldWindow != nullptr && oldPicture && alphas[i].Old != oldShown) {
                    PushFrame(oldWindow, *oldPicture, oldPosition, alphas[i].Old);
                    oldShown = alphas[i].Old;
                }
                ::GdiFlush();
                pacer.WaitForNext();
            }
            PushFrame(newWindow, *newPicture, position, finalAlpha);
        }
    }
    ::SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    RedrawCompletely(window);
    // The new border window comes up behind the form before the pictures go.
    if (TacBorderForm* current = provider->BorderForm())
        current->UpdateBorderWindow(true);
    if (newWindow != nullptr)
        ::DestroyWindow(newWindow);
    if (oldWindow != nullptr)
        ::DestroyWindow(oldWindow);
    if (provider->OnAfterAnimation)
        provider->OnAfterAnimation(provider, TacAnimEvent::aeSkinChanging);
}

void UnfreezeForms(TsSkinManager& manager, bool animate) {
    SetFlagFor(manager, false);
    std::vector<HWND> frozen;
    for (auto& [window, state] : ChangeStates())
        if (state.Manager == &manager && state.Frozen)
            frozen.push_back(window);
    for (HWND window : frozen)
        if (::IsWindow(window))
            ::SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    const TacFormAnimation& setting = manager.AnimEffects.SkinChanging;
    for (HWND window : frozen) {
        auto* form = dynamic_cast<TCustomForm*>(TWinControl::FindControl(window));
        if (!::IsWindow(window) || ::IsIconic(window) || form == nullptr) {
            ChangeStates().erase(window);
            continue;
        }
        TsSkinProvider* provider = ProviderOf(*form);
        const bool crossFade = animate && setting.Active && FormAnimationSteps(setting.Time) > 0 &&
                               provider != nullptr && provider->DrawNonClientArea() && !ApplicationClosing();
        if (crossFade)
            AnimateSkinChange(*form, setting.Time, 255, setting.Mode);
        else
            RedrawCompletely(window);
        if (animate && provider != nullptr)
            MaximizeAgain(*provider, window);
        ChangeStates().erase(window);
    }
    // Snapshots of forms that were never frozen (the change failed) go too.
    for (auto it = ChangeStates().begin(); it != ChangeStates().end();)
        it = it->second.Manager == &manager ? ChangeStates().erase(it) : std::next(it);
}

void InstallSkinChangeAnimation() {
    TacSkinChangeSteps steps;
    steps.Capture = [](TsSkinManager& manager) { CaptureFormsForSkinChange(manager); };
    steps.Freeze = [](TsSkinManager& manager) { FreezeForms(manager); };
    steps.Unfreeze = [](TsSkinManager& manager, bool animate) { UnfreezeForms(manager, animate); };
    SetSkinChangeSteps(std::move(steps));
}

} // namespace sj

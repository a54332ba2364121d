// The skin-change cross-fade: the visible skinned forms keep their old look on the
// screen while every control takes the new skin, then each passes from a picture of its
// old look to one of its new look, and is drawn once.
#include "skin/frame/sFade.h"

#include <algorithm>
#include <map>

#include "skin/frame/sFadeSteps.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

namespace {

constexpr WORD scQueryProvider = 4;
constexpr const char* kCrossFadeWindowClass = "acSkinChangeWindow";

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

TsSkinProvider* ProviderOf(TCustomForm& form) {
    if (!form.HandleAllocated())
        return nullptr;
    return reinterpret_cast<TsSkinProvider*>(
        ::SendMessageA(form.Handle(), SkinCommandMessage, SkinCommand(scQueryProvider), 0));
}

bool ApplicationMinimized() {
    return Application != nullptr && Application->Minimized();
}

// The forms a skin change of this manager shows: visible top-level skinned forms.
std::vector<TCustomForm*> ChangingForms(TsSkinManager& manager) {
    std::vector<TCustomForm*> forms;
    for (TCustomForm* form : HookedForms()) {
        if (form == nullptr || form->HasState(csDestroying) || !form->HandleAllocated())
            continue;
        HWND window = form->Handle();
        if (!::IsWindowVisible(window) || ::IsIconic(window) || form->Parent() != nullptr ||
            (::GetParent(window) != nullptr && (::GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0))
            continue;
        TsSkinProvider* provider = ProviderOf(*form);
        if (provider == nullptr || provider->SkinManager() != &manager)
            continue;
        forms.push_back(form);
    }
    return forms;
}

LRESULT CALLBACK CrossFadeWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    if (msg == WM_NCHITTEST)
        return HTTRANSPARENT;
    return ::DefWindowProcA(window, msg, wParam, lParam);
}

HWND CreateCrossFadeWindow(HWND form, POINT position, SIZE size) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &CrossFadeWindowProcedure;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kCrossFadeWindowClass;
        registered = ::RegisterClassA(&wc) != 0;
    }
    const bool topmost = (::GetWindowLongA(form, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    return ::CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | (topmost ? WS_EX_TOPMOST : 0),
                             kCrossFadeWindowClass, "", WS_POPUP, position.x, position.y, size.cx, size.cy, nullptr,
                             nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

void Push(HWND window, TBitmap& bitmap, POINT position, BYTE alpha) {
    if (window == nullptr || bitmap.Width() <= 0 || bitmap.Height() <= 0)
        return;
    HDC screen = ::GetDC(nullptr);
    SIZE size{bitmap.Width(), bitmap.Height()};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    acUpdateLayeredWindow(window, screen, &position, &size, bitmap.Canvas().Handle(), &origin, 0, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
}

void RedrawCompletely(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

std::unique_ptr<TBitmap> CopyOfCache(TsSkinProvider& provider) {
    TBitmap* cache = provider.FrameCache();
    if (cache == nullptr || cache->Width() <= 0)
        return nullptr;
    auto copy = std::make_unique<TBitmap>(cache->Width(), cache->Height());
    CopyPixels(copy->Pixels(), 0, 0, cache->Pixels(), TacRect{0, 0, cache->Width(), cache->Height()});
    return copy;
}

} // namespace

void CaptureFormsForSkinChange(TsSkinManager& manager) {
    if (ApplicationMinimized())
        return;
    SetFlagFor(manager, true);
    for (TCustomForm* form : ChangingForms(manager)) {
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
    for (TCustomForm* form : ChangingForms(manager)) {
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
            newWindow = CreateCrossFadeWindow(window, position, SIZE{newPicture->Width(), newPicture->Height()});
            Push(newWindow, *newPicture, position, steps > 0 ? 0 : finalAlpha);
            HWND after = ::GetWindow(window, GW_HWNDPREV);
            ::SetWindowPos(newWindow, after != nullptr && after != newWindow ? after : HWND_TOP, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
            TBitmap work(newPicture->Width(), newPicture->Height());
            const bool zoom = mode == TacAnimType::atAero;
            const std::vector<TacAnimFrame> frames =
                ShowAnimationFrames(newPicture->Width(), newPicture->Height(), steps, finalAlpha, zoom);
            const std::vector<TacCrossFadeAlpha> alphas = SkinChangeAlphas(steps, finalAlpha);
            for (std::size_t i = 0; i < frames.size(); ++i) {
                if (zoom || i == 0) {
                    TacPixelsView pixels = work.Pixels();
                    std::fill(pixels.Bits, pixels.Bits + static_cast<std::size_t>(pixels.Width) * pixels.Height,
                              TPixel32{0});
                    StretchPixels(pixels, frames[i].Rect, newPicture->Pixels(),
                                  TacRect{0, 0, newPicture->Width(), newPicture->Height()});
                }
                Push(newWindow, work, position, frames[i].Alpha);
                if (oldWindow != nullptr && oldPicture)
                    Push(oldWindow, *oldPicture, oldPosition, alphas[i].Old);
                ::GdiFlush();
                ::Sleep(FormAnimationInterval);
            }
            Push(newWindow, *newPicture, position, finalAlpha);
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

// Control fades and the run-time entries of the desktop window manager.
#include "skin/frame/sFade.h"

#include <algorithm>

#include "skin/frame/sFadeSteps.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"

namespace sj {

namespace {

int GFadeTimers = 0;

void Assign(TBitmap& target, const TBitmap& source) {
    target.SetSize(source.Width(), source.Height());
    if (source.Width() > 0 && source.Height() > 0)
        CopyPixels(target.Pixels(), 0, 0, const_cast<TBitmap&>(source).Pixels(),
                   TacRect{0, 0, source.Width(), source.Height()});
}

bool CacheHoldsFace(const TsCommonData& data) {
    const TBitmap* cache = data.CacheBitmap.get();
    TControl* control = data.Control;
    return cache != nullptr && control != nullptr && !data.CacheStale && cache->Width() > 0 &&
           cache->Width() == control->Width() && cache->Height() == control->Height();
}

} // namespace

// ---- fade timers ---------------------------------------------------------------------------

TsFadeTimer::TsFadeTimer(TsCommonData& data) : TTimer(nullptr), FData(data) {
    SetEnabled(false);
    SetInterval(ControlFadeInterval);
    SetOnTimer([this](TObject*) { Tick(); });
    ++GFadeTimers;
}

TsFadeTimer::~TsFadeTimer() {
    --GFadeTimers;
}

int FadeTimerCount() {
    return GFadeTimers;
}

void TsFadeTimer::DoTimer() {
    if (FInTick)
        return;
    TTimer::DoTimer();
}

void TsFadeTimer::Begin(int direction) {
    Direction = direction;
    FShownLevel = 0;
    SetEnabled(true);
}

void TsFadeTimer::Stop() {
    SetEnabled(false);
    Direction = fdNone;
}

bool TsFadeTimer::BuildFrame() {
    const TBitmap* cache = FData.CacheBitmap.get();
    if (cache == nullptr || cache->Width() != FOldLook.Width() || cache->Height() != FOldLook.Height() ||
        cache->Width() <= 0 || cache->Height() <= 0)
        return false;
    Assign(FFrame, FOldLook);
    BlendEqualBitmaps(FFrame.Pixels(), const_cast<TBitmap*>(cache)->Pixels(),
                      static_cast<std::uint8_t>(FadeOldWeight(Level, Iterations)));
    return true;
}

// The window the fade draws into: its own, or its parent's for a windowless control.
static HWND FadeWindowOf(TControl* control) {
    for (TControl* current = control; current != nullptr; current = current->Parent())
        if (auto* window = dynamic_cast<TWinControl*>(current); window != nullptr && window->HandleAllocated())
            return window->HandleIfAllocated();
    return nullptr;
}

void TsFadeTimer::Tick() {
    if (!Running() || FInTick)
        return;
    // A modal loop run from inside a paint of this window dispatched the tick: the step
    // waits for a later one, after the paint.
    if (FData.Control != nullptr && WindowInPaint(FadeWindowOf(FData.Control)))
        return;
    FInTick = true;
    TControl* control = FData.Control;
    if (Level > Iterations || control == nullptr || ApplicationClosing()) {
        Stop();
        FInTick = false;
        if (control != nullptr)
            SendSkinCommand(control, scFadeFinished);
        return;
    }
    if (!control->Enabled() || !BuildFrame()) {
        Stop();
        FInTick = false;
        FData.CacheStale = true;
        control->Invalidate();
        return;
    }
    FShownLevel = Level;
    ++Level;
    Present();
    FInTick = false;
}

void TsFadeTimer::Present() {
    auto* window = dynamic_cast<TWinControl*>(FData.Control);
    HWND handle = window != nullptr ? window->HandleIfAllocated() : nullptr;
    if (handle == nullptr)
        return;
    if (SendSkinCommand(window, scFadeFrame, 0, reinterpret_cast<LPARAM>(&FFrame)) != 0)
        return; // painted by the control itself
    HDC dc = ::GetDC(handle);
    if (dc == nullptr)
        return;
    ::BitBlt(dc, 0, 0, FFrame.Width(), FFrame.Height(), FFrame.Canvas().Handle(), 0, 0, SRCCOPY);
    ::ReleaseDC(handle, dc);
}

void TsAnimTimer::Present() {
    if (FInProgress || SkinData().Control == nullptr)
        return;
    FInProgress = true;
    SkinData().Control->Repaint();
    FInProgress = false;
}

// ---- starting and stopping ---------------------------------------------------------------

bool SectionFades(const TsCommonData& data) {
    const TsGeneralData* section = data.Section();
    return section != nullptr && section->FadingEnabled && section->FadingIterations > 0;
}

bool ButtonEventAnimates(unsigned animatEvents, unsigned event, const TsSkinManager* manager) {
    constexpr unsigned globalDefault = 16; // aeGlobalDef
    if ((animatEvents & globalDefault) != 0)
        return manager != nullptr && (manager->AnimEffects.ButtonEvents & event) != 0;
    return (animatEvents & event) != 0;
}

bool FadeRunning(const std::unique_ptr<TsFadeTimer>& timer) {
    return timer && timer->Running();
}

void StopFade(std::unique_ptr<TsFadeTimer>& timer) {
    if (timer)
        timer->Stop();
}

const TBitmap* FadeFrameFor(const std::unique_ptr<TsFadeTimer>& timer, int width) {
    if (!FadeRunning(timer) || timer->ShownLevel() == 0 || timer->Frame().Width() != width)
        return nullptr;
    return &timer->Frame();
}

void StartFade(TsCommonData& data, std::unique_ptr<TsFadeTimer>& timer, bool fast, int direction, int fromState,
               int toState, bool windowed) {
    if (!timer) {
        if (windowed)
            timer = std::make_unique<TsFadeTimer>(data);
        else
            timer = std::make_unique<TsAnimTimer>(data);
    }
    TsFadeTimer& fade = *timer;
    const bool running = fade.Running() && fade.ShownLevel() > 0;
    const bool reversed = running && toState == fade.FromState;
    // The old look is what the screen shows now: the cache, unless a fade was half way,
    // which only a reversal can take up from the cache (it holds that fade's target).
    if (running && !reversed)
        Assign(fade.OldLook(), fade.Frame());
    else if (data.CacheBitmap)
        Assign(fade.OldLook(), *data.CacheBitmap);
    const TsGeneralData* section = data.Section();
    int iterations = section != nullptr ? section->FadingIterations : 1;
    if (fast)
        iterations /= 2;
    iterations = std::max(1, iterations);
    fade.Level = reversed ? RestartFadeLevel(fade.ShownLevel(), iterations, true) : 1;
    fade.Iterations = iterations;
    fade.FromState = reversed ? fade.ToState : fromState;
    fade.ToState = toState;
    fade.Stop();
    SendSkinCommand(data.Control, scFadeRenderFace);
    if (!data.CacheBitmap || data.CacheBitmap->Width() != fade.OldLook().Width() ||
        data.CacheBitmap->Height() != fade.OldLook().Height())
        return; // no pair of faces to blend: the control shows its cache
    fade.Begin(direction);
}

bool ChangeStateWithFade(TsCommonData& data, std::unique_ptr<TsFadeTimer>& timer, int fromState, int newState,
                         int direction, bool animate, bool fast, bool windowed) {
    const bool fades = animate && data.IsSkinned(true) && !SkinChangeInProgress && SectionFades(data) &&
                       !ApplicationClosing() && CacheHoldsFace(data);
    data.CacheStale = true;
    if (!fades) {
        StopFade(timer);
        return false;
    }
    StartFade(data, timer, fast, direction, fromState, newState, windowed);
    return FadeRunning(timer);
}

// ---- desktop composition -------------------------------------------------------------------

TacDwmFunctions& DwmFunctions() {
    static TacDwmFunctions functions;
    if (!functions.Loaded) {
        functions.Loaded = true;
        // Only systems from 6 on have the window manager's library; elsewhere the entries
        // stay empty and composition counts as off.
        if (HMODULE dwm = ::LoadLibraryA("dwmapi.dll")) {
            if (functions.IsCompositionEnabled == nullptr)
                functions.IsCompositionEnabled = reinterpret_cast<TacDwmFunctions::TIsCompositionEnabled>(
                    reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmIsCompositionEnabled")));
            if (functions.SetWindowAttribute == nullptr)
                functions.SetWindowAttribute = reinterpret_cast<TacDwmFunctions::TSetWindowAttribute>(
                    reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmSetWindowAttribute")));
            if (functions.SetIconicThumbnail == nullptr)
                functions.SetIconicThumbnail = reinterpret_cast<TacDwmFunctions::TSetIconicThumbnail>(
                    reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmSetIconicThumbnail")));
            if (functions.SetIconicLivePreviewBitmap == nullptr)
                functions.SetIconicLivePreviewBitmap = reinterpret_cast<TacDwmFunctions::TSetIconicLivePreviewBitmap>(
                    reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmSetIconicLivePreviewBitmap")));
            if (functions.EnableBlurBehindWindow == nullptr)
                functions.EnableBlurBehindWindow = reinterpret_cast<TacDwmFunctions::TEnableBlurBehindWindow>(
                    reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmEnableBlurBehindWindow")));
            if (functions.InvalidateIconicBitmaps == nullptr)
                functions.InvalidateIconicBitmaps = reinterpret_cast<TacDwmFunctions::TInvalidateIconicBitmaps>(
                    reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmInvalidateIconicBitmaps")));
        }
    }
    return functions;
}

bool CompositionEnabled() {
    TacDwmFunctions& functions = DwmFunctions();
    BOOL enabled = FALSE;
    return functions.IsCompositionEnabled != nullptr && SUCCEEDED(functions.IsCompositionEnabled(&enabled)) &&
           enabled != FALSE;
}

void DisableDwmTransitions(HWND window) {
    constexpr DWORD transitionsForceDisabled = 3;
    if (window == nullptr || !CompositionEnabled())
        return;
    TacDwmFunctions& functions = DwmFunctions();
    if (functions.SetWindowAttribute == nullptr)
        return;
    BOOL disabled = TRUE;
    functions.SetWindowAttribute(window, transitionsForceDisabled, &disabled, sizeof disabled);
}

void RequestIconicBitmaps(HWND window) {
    constexpr DWORD forceIconicRepresentation = 7;
    constexpr DWORD hasIconicBitmap = 10;
    if (window == nullptr || !CompositionEnabled())
        return;
    TacDwmFunctions& functions = DwmFunctions();
    if (functions.SetWindowAttribute == nullptr)
        return;
    BOOL on = TRUE;
    functions.SetWindowAttribute(window, forceIconicRepresentation, &on, sizeof on);
    functions.SetWindowAttribute(window, hasIconicBitmap, &on, sizeof on);
}

void SetBlurBehind(HWND window, HRGN region) {
    constexpr DWORD enableFlag = 1, regionFlag = 2;
    if (window == nullptr || !CompositionEnabled())
        return;
    TacDwmFunctions& functions = DwmFunctions();
    if (functions.EnableBlurBehindWindow == nullptr)
        return;
    const TacDwmFunctions::TBlurBehind blur{region != nullptr ? enableFlag | regionFlag : enableFlag,
                                           region != nullptr ? TRUE : FALSE, region, FALSE};
    functions.EnableBlurBehindWindow(window, &blur);
}

void InvalidateIconicBitmaps(HWND window) {
    if (window == nullptr || !CompositionEnabled())
        return;
    if (TacDwmFunctions& functions = DwmFunctions(); functions.InvalidateIconicBitmaps != nullptr)
        functions.InvalidateIconicBitmaps(window);
}

} // namespace sj

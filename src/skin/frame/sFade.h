// Time-based looks of the skin layer.
//
// Control fades: a skinned control whose section fades (FADINGENABLED, FADINGITERATIONS)
// passes from its old face to the new one in that many steps of 10 ms. The fade timer
// keeps the old look; every tick blends it with the control's cache (which already
// holds the new face) and shows the frame: a windowed control is offered the frame with
// skin command 24 and otherwise gets it copied to its window, a windowless one repaints
// and copies the frame itself. A fade turned back to the look it came from goes on from
// where it stood. Fades stop when the control is destroyed or disabled, on a skin
// change, and while the application is closing.
//
// Form animations: a form shown zooms from 75 % to its full size while it fades in; a
// hidden form can zoom out; a skin change cross-fades every visible form from its old
// look to the new one. Each runs on a layered animation window (the border window when
// the form has extended borders) fed from a snapshot of the form, while the form itself
// is not drawn.
// Windows only; user-interface thread only.
#pragma once

#include <windows.h>

#include <memory>

#include "forms/Bitmap.h"
#include "forms/Timer.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/acThdTimer.h"
#include "skin/paint/sCommonData.h"

namespace sj {

class TsSkinProvider;

// Skin commands of the fades.
inline constexpr WORD scFadeFinished = 16;
inline constexpr WORD scFadeRenderFace = 23;
inline constexpr WORD scFadeFrame = 24;

// Fade directions.
inline constexpr int fdNone = 0;
inline constexpr int fdIn = 1;
inline constexpr int fdOut = 2;

// The fade of a windowed control.
class TsFadeTimer : public TTimer {
    SJ_CLASS(TsFadeTimer, TTimer)

public:
    explicit TsFadeTimer(TsCommonData& data);
    ~TsFadeTimer() override;

    TsCommonData& SkinData() const { return FData; }
    // The look the fade starts from, and the frame last shown.
    TBitmap& OldLook() { return FOldLook; }
    TBitmap& Frame() { return FFrame; }
    // The next level to show (1 .. Iterations), the number of iterations, the direction.
    int Level = 1;
    int Iterations = 0;
    int Direction = fdNone;
    // The control states the fade goes from and to.
    int FromState = -1;
    int ToState = -1;
    // The last level shown, 0 before the first frame.
    int ShownLevel() const { return FShownLevel; }
    bool Running() const { return Enabled(); }

    // One step: the next frame, or at the end skin command 16 and the stop. Public so
    // that the steps can be taken without waiting for the timer.
    void Tick();
    // Stops without another frame; the control shows its cache from now on.
    void Stop();
    // Arms the timer for a new run from Level on.
    void Begin(int direction);

protected:
    // Shows the frame just built.
    virtual void Present();
    void DoTimer() override;

private:
    bool BuildFrame();

    TsCommonData& FData;
    TBitmap FOldLook;
    TBitmap FFrame;
    int FShownLevel = 0;
    bool FInTick = false;
};

// The fade of a windowless control: the control paints the frame itself (FrameFor).
class TsAnimTimer : public TsFadeTimer {
    SJ_CLASS(TsAnimTimer, TsFadeTimer)

public:
    using TsFadeTimer::TsFadeTimer;
    bool InProgress() const { return FInProgress; }

protected:
    void Present() override;

private:
    bool FInProgress = false;
};

// Fade timers that exist now.
int FadeTimerCount();

// Whether the section of the skin data fades, and its iterations.
bool SectionFades(const TsCommonData& data);

// Whether a button event (aeMouseEnter ...) animates for a control with these
// AnimatEvents: by its own set, or by the manager's AnimEffects.Buttons.Events when the
// set holds aeGlobalDef.
bool ButtonEventAnimates(unsigned animatEvents, unsigned event, const TsSkinManager* manager);

// Starts the fade of a control whose cache holds the face of fromState (or, while a
// fade runs, that fade's target) towards toState: the old look is taken, the control
// renders the new face (skin command 23) and the timer starts. fast halves the steps.
void StartFade(TsCommonData& data, std::unique_ptr<TsFadeTimer>& timer, bool fast, int direction, int fromState,
               int toState, bool windowed);

// The state change of a skinned control: a fade when animate is asked, the control is
// skinned, no skin change is going on, the section fades, the application is not
// closing and the cache holds a face of the control's size; otherwise the cache is
// marked stale and a running fade stopped, and the caller repaints. Answers whether
// a fade runs.
bool ChangeStateWithFade(TsCommonData& data, std::unique_ptr<TsFadeTimer>& timer, int fromState, int newState,
                         int direction, bool animate, bool fast, bool windowed);

bool FadeRunning(const std::unique_ptr<TsFadeTimer>& timer);
void StopFade(std::unique_ptr<TsFadeTimer>& timer);
// The frame a windowless control shows while its fade runs, or null.
const TBitmap* FadeFrameFor(const std::unique_ptr<TsFadeTimer>& timer, int width);

// ---- form animations ------------------------------------------------------------------

enum class TacAnimEvent { aeShowing, aeHiding, aeSkinChanging };

// A picture of the form as it looks finished, the size of its frame cache: the frame
// from the cache, the client area and every visible child painted over it. The client
// area is opaque; without extended borders the whole picture is.
std::unique_ptr<TBitmap> MakeFormSnapshot(TsSkinProvider& provider);
// Paints a windowed control and its visible children into dc at `at`.
void PaintControlTree(HDC dc, HWND window, POINT at);

// The show animation, run while the form is kept from drawing itself.
void AnimateFormShow(TsSkinProvider& provider, int time, BYTE finalAlpha, TacAnimType mode);
// The hide animation; the provider hands over its border window when it has one.
void AnimateFormHide(TsSkinProvider& provider);
// Runs a hide of `window` showing `snapshot`; takes both over and frees them at the end.
// With 0 steps they are freed at once.
void StartHideAnimation(HWND window, std::unique_ptr<TBitmap> snapshot, int time, TacAnimType mode, BYTE startAlpha);
// Whether a hide animation is running on the shared hide timer.
bool HideAnimationRunning();
// Ends a running hide at once (the application ends).
void FinishHideAnimation();

// The skin-change cross-fade, called by the manager around an announcement.
void CaptureFormsForSkinChange(TsSkinManager& manager);
void FreezeForms(TsSkinManager& manager);
void UnfreezeForms(TsSkinManager& manager, bool animate);
void AnimateSkinChange(TCustomForm& form, int time, BYTE finalAlpha, TacAnimType mode);

// Hands the skin-change steps to the skin managers. Idempotent.
void InstallSkinChangeAnimation();

// ---- desktop composition ----------------------------------------------------------------

// The run-time entries of the desktop window manager the animations use; tests may put
// their own functions in it.
struct TacDwmFunctions {
    using TIsCompositionEnabled = HRESULT(WINAPI*)(BOOL* enabled);
    using TSetWindowAttribute = HRESULT(WINAPI*)(HWND window, DWORD attribute, LPCVOID value, DWORD size);
    using TSetIconicThumbnail = HRESULT(WINAPI*)(HWND window, HBITMAP bitmap, DWORD flags);
    using TSetIconicLivePreviewBitmap = HRESULT(WINAPI*)(HWND window, HBITMAP bitmap, POINT* client, DWORD flags);
    // The blur-behind record is passed as the system lays it out (DWM_BLURBEHIND).
    struct TBlurBehind {
        DWORD Flags;
        BOOL Enable;
        HRGN BlurRegion;
        BOOL TransitionOnMaximized;
    };
    using TEnableBlurBehindWindow = HRESULT(WINAPI*)(HWND window, const TBlurBehind* blur);
    TIsCompositionEnabled IsCompositionEnabled = nullptr;
    TSetWindowAttribute SetWindowAttribute = nullptr;
    TSetIconicThumbnail SetIconicThumbnail = nullptr;
    TSetIconicLivePreviewBitmap SetIconicLivePreviewBitmap = nullptr;
    TEnableBlurBehindWindow EnableBlurBehindWindow = nullptr;
    bool Loaded = false;
};
// The table, filled from dwmapi.dll at first use (entries stay empty without it).
TacDwmFunctions& DwmFunctions();
bool CompositionEnabled();
// With composition on, the system's own open and close transitions of the window are
// switched off (DWMWA_TRANSITIONS_FORCEDISABLED), so that they do not run beside ours.
void DisableDwmTransitions(HWND window);
// With composition on, the window's taskbar thumbnail and live preview are asked of the
// program (DWMWA_FORCE_ICONIC_REPRESENTATION, DWMWA_HAS_ICONIC_BITMAP) instead of being
// taken from what the window shows: a skinned frame lies partly outside the window.
void RequestIconicBitmaps(HWND window);
// Blur behind the window's region where given, none without one (composition on only).
void SetBlurBehind(HWND window, HRGN region);

} // namespace sj

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

// ---- minimise, restore and blend on moving ----------------------------------------------

// The minimise and restore animation of one form, owned by its provider: a picture of
// the form flies to its taskbar button (or the taskbar's edge) while it fades out, on a
// layered animation window (the border window taken over, or one of its own); the form
// itself is fully transparent meanwhile and the system minimises it. The restore flies
// the picture back and lets the system restore the form at its end. Steps of 15 ms.
class TacMinTimer : public TacThreadedTimer {
    SJ_CLASS(TacMinTimer, TacThreadedTimer)

public:
    enum class TPhase { Idle, Minimizing, Minimized, Restoring, Finishing };

    explicit TacMinTimer(TsSkinProvider& provider);
    ~TacMinTimer() override;

    // Starts the flight to the taskbar; false (and nothing changed) when the form cannot
    // be pictured or a flight runs already.
    bool StartMinimize();
    // Starts the flight back from where the minimise ended (or turns a running one
    // round); false when there is nothing to fly back. With maximize the form comes
    // back maximised.
    bool StartRestore(bool maximize);
    // Ends a running flight at once in the state it was heading for.
    void Finish();
    // Ends a running flight where it stands (the form is closed): its window goes, the
    // form is no longer transparent, nothing is minimised or restored.
    void Abandon();

    TPhase Phase() const { return phase_; }
    // Between the start of a flight and its end.
    bool Busy() const { return phase_ == TPhase::Minimizing || phase_ == TPhase::Restoring || phase_ == TPhase::Finishing; }
    // The window the flight is shown in, null between flights.
    HWND AnimationWindow() const { return window_; }
    // Where the flight goes: the source (the form with its border window), the target.
    RECT Source() const;
    RECT Target() const;
    int Steps() const;
    int Step() const { return step_; }

protected:
    void Timer() override;

private:
    void ShowStep(int step);
    void EndMinimize();
    void EndRestore();
    void SetFormTransparent(bool transparent);

    TsSkinProvider& provider_;
    std::unique_ptr<TBitmap> picture_;
    TBitmap work_;
    struct TPath;
    std::unique_ptr<TPath> path_;
    HWND window_ = nullptr;
    int step_ = 0;
    TPhase phase_ = TPhase::Idle;
    bool maximize_ = false;
    bool mainForm_ = false;
    bool formWasLayered_ = false;
    struct TSystemAnimationOff;
    std::unique_ptr<TSystemAnimationOff> systemAnimationOff_;
};

// The taskbar as the minimise animation sees it: its window and rectangle, and the
// rectangle of the button of `window` when the taskbar's button list can be read
// (without desktop composition). Exposed so that tests can check the search.
struct TacTaskbarInfo {
    HWND Taskbar = nullptr;
    RECT Bounds{};
    bool ButtonFound = false;
    RECT Button{};
};
TacTaskbarInfo FindTaskbarFor(HWND window);

// Translucent dragging: while the form is moved by its caption its alpha goes down to
// the manager's BlendOnMoving.BlendValue every 12 ms, and is given back when the drag
// ends. Owned by the provider for the length of one drag.
class TacMoveTimer : public TacThreadedTimer {
    SJ_CLASS(TacMoveTimer, TacThreadedTimer)

public:
    explicit TacMoveTimer(TsSkinProvider& provider);
    ~TacMoveTimer() override;

    // Starts the blend and runs the system's move loop (which returns when the drag ends),
    // then gives the form its look back.
    void RunDrag(LPARAM cursor);
    BYTE Alpha() const { return static_cast<BYTE>(alpha_); }
    BYTE TargetAlpha() const { return static_cast<BYTE>(target_); }

protected:
    void Timer() override;

private:
    void Apply();
    void EndDrag();

    TsSkinProvider& provider_;
    int alpha_ = 255;
    int target_ = 255;
    int step_ = 0;
    int shown_ = -1;
    bool wasLayered_ = false;
    bool running_ = false;
};

// Posted to a form when its minimise animation has flown back: the provider frees the
// finished animation (its timer window with it) once the tick that ended it is over.
UINT ReleaseMinimizeAnimationMessage();

// Hands the main form's minimise and restore to the skin managers. Idempotent.
void InstallMinimizeAnimation();

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
    using TInvalidateIconicBitmaps = HRESULT(WINAPI*)(HWND window);
    TIsCompositionEnabled IsCompositionEnabled = nullptr;
    TSetWindowAttribute SetWindowAttribute = nullptr;
    TSetIconicThumbnail SetIconicThumbnail = nullptr;
    TSetIconicLivePreviewBitmap SetIconicLivePreviewBitmap = nullptr;
    TEnableBlurBehindWindow EnableBlurBehindWindow = nullptr;
    TInvalidateIconicBitmaps InvalidateIconicBitmaps = nullptr;
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
// With composition on, the taskbar asks the window for its thumbnail and live preview
// again: what they showed is out of date.
void InvalidateIconicBitmaps(HWND window);

} // namespace sj

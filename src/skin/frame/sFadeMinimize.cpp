// The minimise and restore animation: a picture of the form flies to its taskbar button
// (or to the taskbar's edge) while it fades out, and back again.
#include "skin/frame/sFade.h"

#include <algorithm>

#include "skin/frame/sFadeInternal.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sSystemFunctions.h"

#include <commctrl.h>

namespace sj {

using namespace fade_detail;

namespace {

TacRect ToTac(const RECT& r) {
    return TacRect{r.left, r.top, r.right, r.bottom};
}

RECT ToRect(const TacRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

bool SameBitness(HANDLE process) {
    BOOL ours = FALSE, theirs = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &ours) && ::IsWow64Process(process, &theirs) && ours == theirs;
}

// A block of memory in the taskbar's process: the toolbar writes its answers there.
class TRemoteBlock {
public:
    TRemoteBlock(HWND window, SIZE_T size) : size_(size) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                                 FALSE, processId);
        if (process_ != nullptr && SameBitness(process_))
            block_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~TRemoteBlock() {
        if (block_ != nullptr)
            ::VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
        if (process_ != nullptr)
            ::CloseHandle(process_);
    }
    TRemoteBlock(const TRemoteBlock&) = delete;
    TRemoteBlock& operator=(const TRemoteBlock&) = delete;

    bool Valid() const { return block_ != nullptr; }
    LPARAM Address() const { return reinterpret_cast<LPARAM>(block_); }
    bool Read(const void* at, void* into, SIZE_T size) const {
        SIZE_T read = 0;
        return ::ReadProcessMemory(process_, at, into, size, &read) && read == size;
    }
    bool ReadBack(void* into, SIZE_T size) const { return size <= size_ && Read(block_, into, size); }

private:
    HANDLE process_ = nullptr;
    void* block_ = nullptr;
    SIZE_T size_;
};

// The button of `window` on the classic taskbar's button list: Shell_TrayWnd >
// ReBarWindow32 > MSTaskSwWClass > ToolbarWindow32, whose buttons carry in their data
// word the window they stand for (or the address of a record that begins with it).
bool FindTaskbarButton(HWND taskbar, HWND window, RECT& button) {
    HWND rebar = ::FindWindowExA(taskbar, nullptr, "ReBarWindow32", nullptr);
    HWND tasks = rebar != nullptr ? ::FindWindowExA(rebar, nullptr, "MSTaskSwWClass", nullptr) : nullptr;
    HWND toolbar = tasks != nullptr ? ::FindWindowExA(tasks, nullptr, "ToolbarWindow32", nullptr) : nullptr;
    if (toolbar == nullptr)
        return false;
    TRemoteBlock remote(toolbar, 4096);
    if (!remote.Valid())
        return false;
    const auto count = static_cast<int>(::SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON item{};
        if (!::SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), remote.Address()) ||
            !remote.ReadBack(&item, sizeof item) || (item.fsState & TBSTATE_HIDDEN) != 0)
            continue;
        HWND named = reinterpret_cast<HWND>(item.dwData);
        if (named != window) {
            HWND recorded = nullptr;
            if (item.dwData == 0 || !remote.Read(reinterpret_cast<const void*>(item.dwData), &recorded, sizeof recorded) ||
                recorded != window)
                continue;
        }
        RECT rect{};
        if (!::SendMessageA(toolbar, TB_GETRECT, static_cast<WPARAM>(item.idCommand), remote.Address()) ||
            !remote.ReadBack(&rect, sizeof rect))
            continue;
        RECT bar{};
        ::GetWindowRect(toolbar, &bar);
        ::OffsetRect(&rect, bar.left, bar.top);
        button = rect;
        return true;
    }
    return false;
}

// The window whose taskbar button stands for a form: the application window for the
// main form (and the forms it owns), the form itself when it has a button of its own.
HWND TaskbarWindowOf(HWND form) {
    if ((::GetWindowLongA(form, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0)
        return form;
    HWND owner = ::GetWindow(form, GW_OWNER);
    return owner != nullptr ? owner : form;
}

bool IsMainForm(TCustomForm& form) {
    return Application != nullptr && Application->MainForm() == &form;
}

} // namespace

TacTaskbarInfo FindTaskbarFor(HWND window) {
    TacTaskbarInfo info;
    info.Taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
    if (info.Taskbar == nullptr || !::GetWindowRect(info.Taskbar, &info.Bounds))
        return TacTaskbarInfo{};
    if (!CompositionEnabled() && window != nullptr)
        info.ButtonFound = FindTaskbarButton(info.Taskbar, window, info.Button);
    return info;
}

// ---- the minimise timer ------------------------------------------------------------------

struct TacMinTimer::TPath {
    TacMinimizePath Path;
    HWND Taskbar;
};

// The system's own minimise and maximise animation is off while ours runs, so that the
// two do not show together; given back as it was.
struct TacMinTimer::TSystemAnimationOff {
    ANIMATIONINFO Saved{sizeof(ANIMATIONINFO), 0};
    bool Changed = false;
    TSystemAnimationOff() {
        if (::SystemParametersInfoA(SPI_GETANIMATION, sizeof Saved, &Saved, 0) && Saved.iMinAnimate != 0) {
            ANIMATIONINFO off{sizeof(ANIMATIONINFO), 0};
            Changed = ::SystemParametersInfoA(SPI_SETANIMATION, sizeof off, &off, 0) != FALSE;
        }
    }
    ~TSystemAnimationOff() {
        if (Changed)
            ::SystemParametersInfoA(SPI_SETANIMATION, sizeof Saved, &Saved, 0);
    }
    TSystemAnimationOff(const TSystemAnimationOff&) = delete;
    TSystemAnimationOff& operator=(const TSystemAnimationOff&) = delete;
};

TacMinTimer::TacMinTimer(TsSkinProvider& provider) : TacThreadedTimer(nullptr, true), provider_(provider) {
    SetInterval(MinimizeInterval);
}

TacMinTimer::~TacMinTimer() {
    Abandon();
}

RECT TacMinTimer::Source() const {
    return path_ ? ToRect(path_->Path.Source()) : RECT{};
}

RECT TacMinTimer::Target() const {
    return path_ ? ToRect(path_->Path.Target()) : RECT{};
}

int TacMinTimer::Steps() const {
    return path_ ? path_->Path.Steps() : 0;
}

void TacMinTimer::SetFormTransparent(bool transparent) {
    TCustomForm& form = provider_.Form();
    if (!form.HandleAllocated())
        return;
    HWND window = form.Handle();
    const LONG exStyle = ::GetWindowLongA(window, GWL_EXSTYLE);
    if (transparent) {
        formWasLayered_ = (exStyle & WS_EX_LAYERED) != 0;
        ::SetWindowLongA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        acSetLayeredWindowAttributes(window, 0, 0, LWA_ALPHA);
    } else if (form.AlphaBlend() || formWasLayered_) {
        acSetLayeredWindowAttributes(window, 0, form.AlphaBlend() ? form.AlphaBlendValue() : 255, LWA_ALPHA);
    } else {
        ::SetWindowLongA(window, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    }
}

bool TacMinTimer::StartMinimize() {
    TCustomForm& form = provider_.Form();
    TsSkinManager* manager = provider_.SkinManager();
    if (Busy() || manager == nullptr || !form.HandleAllocated())
        return false;
    HWND formWindow = form.Handle();
    provider_.FreeButtonAnimations();
    std::unique_ptr<TBitmap> picture = MakeFormSnapshot(provider_);
    if (!picture || picture->Width() <= 0 || picture->Height() <= 0)
        return false;
    // The source: what the user sees of the form, its border window when it has one.
    RECT bounds{};
    ::GetWindowRect(formWindow, &bounds);
    HWND window = nullptr;
    TacBorderForm* border = provider_.BorderForm();
    if (border != nullptr && border->BorderWindow() != nullptr) {
        const POINT offset = border->Offset();
        ::OffsetRect(&bounds, offset.x, offset.y);
        window = border->TakeWindow();
        ::SetWindowRgn(window, nullptr, FALSE);
    }
    const TacRect source{bounds.left, bounds.top, bounds.left + picture->Width(), bounds.top + picture->Height()};
    if (window == nullptr)
        window = CreateAnimationWindow(formWindow, POINT{source.Left, source.Top}, SIZE{source.Width(), source.Height()});
    if (window == nullptr)
        return false;
    const TacTaskbarInfo taskbar = FindTaskbarFor(TaskbarWindowOf(formWindow));
    const TacRect bar = ToTac(taskbar.Bounds);
    const TacRect button = ToTac(taskbar.Button);
    const TacRect target = MinimizeTarget(taskbar.Taskbar != nullptr ? &bar : nullptr, source,
                                          taskbar.ButtonFound ? &button : nullptr);
    const int startAlpha = form.AlphaBlend() ? form.AlphaBlendValue() : 255;
    path_ = std::make_unique<TPath>(
        TPath{TacMinimizePath(source, target, MinimizeSteps(manager->AnimEffects.Minimizing.Time), startAlpha),
              taskbar.Taskbar});
    picture_ = std::move(picture);
    work_.SetSize(source.Width(), source.Height());
    window_ = window;
    mainForm_ = IsMainForm(form);
    maximize_ = ::IsZoomed(formWindow) != FALSE;
    systemAnimationOff_ = std::make_unique<TSystemAnimationOff>();
    phase_ = TPhase::Minimizing;
    step_ = 0;
    // The picture takes the form's place before the form goes transparent.
    ShowStep(0);
    SetFormTransparent(true);
    SetEnabled(true);
    // The taskbar's picture of the window (its button belongs to the application
    // window for the main form) would show the transparent form.
    InvalidateIconicBitmaps(formWindow);
    if (mainForm_ && Application != nullptr)
        InvalidateIconicBitmaps(Application->Handle());
    manager->NoteMinimizeState(2);
    return true;
}

bool TacMinTimer::StartRestore(bool maximize) {
    if (phase_ == TPhase::Restoring) {
        maximize_ = maximize_ || maximize;
        return true;
    }
    if (phase_ == TPhase::Finishing || !path_ || !picture_)
        return false;
    if (phase_ == TPhase::Minimized) {
        // From where the minimise ended; the first frame shown is the last one it showed.
        step_ = path_->Path.LastVisibleStep() + 1;
        const TacRect& source = path_->Path.Source();
        window_ = CreateAnimationWindow(provider_.Form().Handle(), POINT{source.Left, source.Top},
                                        SIZE{source.Width(), source.Height()});
        if (window_ == nullptr)
            return false;
        systemAnimationOff_ = std::make_unique<TSystemAnimationOff>();
    }
    // A minimise still on its way turns round where it stands.
    maximize_ = maximize_ || maximize;
    phase_ = TPhase::Restoring;
    SetEnabled(true);
    return true;
}

void TacMinTimer::ShowStep(int step) {
    if (!path_ || window_ == nullptr || !::IsWindow(window_))
        return;
    const TacMinimizeFrame frame = path_->Path.Frame(step);
    if (frame.Alpha == 0)
        return; // never a layered window left at alpha 0: it would take clicks unseen
    if (step == 0)
        CopyPixels(work_.Pixels(), 0, 0, picture_->Pixels(), TacRect{0, 0, picture_->Width(), picture_->Height()});
    else
        DrawStep(work_, *picture_, frame.InWork);
    PushFrame(window_, work_, POINT{frame.Window.Left, frame.Window.Top}, frame.Alpha);
    // Under the taskbar, so that the picture goes behind it.
    HWND after = path_->Taskbar != nullptr && ::IsWindow(path_->Taskbar) ? path_->Taskbar : HWND_TOP;
    ::SetWindowPos(window_, after, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
}

void TacMinTimer::Timer() {
    TCustomForm& form = provider_.Form();
    // Not inside a paint of the form (a modal loop run from it dispatched this tick).
    if (form.HandleAllocated() && WindowInPaint(form.Handle()))
        return;
    // The application ends: the flight ends at once where it was heading.
    if (ApplicationClosing()) {
        Finish();
        return;
    }
    if (phase_ == TPhase::Minimizing) {
        ++step_;
        if (step_ > path_->Path.LastVisibleStep())
            EndMinimize();
        else
            ShowStep(step_);
    } else if (phase_ == TPhase::Restoring) {
        --step_;
        if (step_ <= 0)
            EndRestore();
        else
            ShowStep(step_);
    } else {
        SetEnabled(false);
    }
}

void TacMinTimer::EndMinimize() {
    SetEnabled(false);
    phase_ = TPhase::Minimized;
    SetFormTransparent(false);
    ForgetAnimationWindow(window_);
    window_ = nullptr;
    systemAnimationOff_.reset();
    provider_.SetHoverButton(0, false);
    provider_.SkinData().CacheStale = true;
}

void TacMinTimer::EndRestore() {
    SetEnabled(false);
    phase_ = TPhase::Finishing;
    ShowStep(0);
    TCustomForm& form = provider_.Form();
    HWND formWindow = form.HandleAllocated() ? form.Handle() : nullptr;
    if (formWindow != nullptr) {
        if (mainForm_ && Application != nullptr && Application->Minimized()) {
            // The application window restores itself and shows its forms again; its
            // hook lets the command through now that the flight is over.
            ::SendMessageA(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
        } else if (::IsIconic(formWindow)) {
            ::ShowWindow(formWindow, maximize_ ? SW_SHOWMAXIMIZED : SW_SHOWNOACTIVATE);
        }
        SetFormTransparent(false);
        provider_.SkinData().CacheStale = true;
        provider_.SetExtendedBorders(true);
        RedrawCompletely(formWindow);
        if (TacBorderForm* border = provider_.BorderForm())
            border->UpdateBorderWindow(true);
    }
    systemAnimationOff_.reset();
    // The form now shows itself under the picture: the picture goes.
    if (window_ != nullptr && formWindow != nullptr)
        ::SetWindowPos(window_, formWindow, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ForgetAnimationWindow(window_);
    window_ = nullptr;
    picture_.reset();
    phase_ = TPhase::Idle;
    if (formWindow != nullptr)
        ::PostMessageA(formWindow, ReleaseMinimizeAnimationMessage(), 0, 0);
    if (formWindow != nullptr && ::IsWindowVisible(formWindow)) {
        ::SetActiveWindow(formWindow);
        if (!mainForm_ && Application != nullptr && Application->OnRestore)
            Application->OnRestore(Application);
    }
}

void TacMinTimer::Finish() {
    if (phase_ == TPhase::Minimizing)
        EndMinimize();
    else if (phase_ == TPhase::Restoring)
        EndRestore();
}

// The provider goes (or the application ends) with a flight on its way: the window and
// the form's transparency go with it, the form stays where the system put it.
void TacMinTimer::Abandon() {
    SetEnabled(false);
    if (phase_ == TPhase::Minimizing || phase_ == TPhase::Restoring || phase_ == TPhase::Finishing)
        SetFormTransparent(false);
    ForgetAnimationWindow(window_);
    window_ = nullptr;
    systemAnimationOff_.reset();
    phase_ = TPhase::Idle;
}

UINT ReleaseMinimizeAnimationMessage() {
    static const UINT message = ::RegisterWindowMessageA("acReleaseMinimizeAnimation");
    return message;
}

// ---- the main form, through the application window ----------------------------------------

namespace {

TsSkinProvider* MainProvider(TsSkinManager& manager) {
    TCustomForm* form = Application != nullptr ? Application->MainForm() : nullptr;
    if (form == nullptr || form->HasState(csDestroying))
        return nullptr;
    TsSkinProvider* provider = ProviderOf(*form);
    return provider != nullptr && provider->SkinManager() == &manager ? provider : nullptr;
}

} // namespace

void InstallMinimizeAnimation() {
    TacMinimizeSteps steps;
    steps.Minimize = [](TsSkinManager& manager) {
        if (TsSkinProvider* provider = MainProvider(manager); provider != nullptr && provider->MinimizeAnimationWanted())
            provider->StartMinimizeAnimation();
    };
    steps.Restore = [](TsSkinManager& manager) {
        TsSkinProvider* provider = MainProvider(manager);
        return provider != nullptr && provider->StartRestoreAnimation(false);
    };
    SetMinimizeSteps(std::move(steps));
}

} // namespace sj

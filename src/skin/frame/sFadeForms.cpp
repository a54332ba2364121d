// Form animations: the snapshot of a finished form, the show animation and the hide
// animation with its shared timer.
#include "skin/frame/sFade.h"

#include <algorithm>

#include "skin/frame/sFadeInternal.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

namespace fade_detail {

namespace {

constexpr const char* kAnimationWindowClass = "acAnimationWindow";
constexpr WORD scQueryProvider = 4;

LRESULT CALLBACK AnimationWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCHITTEST:
        return HTTRANSPARENT; // the picture takes no clicks
    case WM_ERASEBKGND:
        return 1;
    default:
        return ::DefWindowProcA(window, msg, wParam, lParam);
    }
}

void RegisterAnimationWindowClass() {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &AnimationWindowProcedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kAnimationWindowClass;
    registered = ::RegisterClassA(&wc) != 0;
}

} // namespace

HWND CreateAnimationWindow(HWND form, POINT position, SIZE size) {
    RegisterAnimationWindowClass();
    const DWORD exStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE |
                          (form != nullptr && IsTopmost(form) ? WS_EX_TOPMOST : 0);
    return ::CreateWindowExA(exStyle, kAnimationWindowClass, "", WS_POPUP, position.x, position.y, size.cx, size.cy,
                             nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

bool IsTopmost(HWND window) {
    return (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void PushFrame(HWND window, TBitmap& bitmap, POINT position, BYTE alpha) {
    if (window == nullptr || bitmap.Width() <= 0 || bitmap.Height() <= 0)
        return;
    HDC screen = ::GetDC(nullptr);
    SIZE size{bitmap.Width(), bitmap.Height()};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    acUpdateLayeredWindow(window, screen, &position, &size, bitmap.Canvas().Handle(), &origin, 0, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
}

void DrawStep(TBitmap& work, TBitmap& picture, const TacRect& rect) {
    TacPixelsView pixels = work.Pixels();
    std::fill(pixels.Bits, pixels.Bits + static_cast<std::size_t>(pixels.Width) * pixels.Height, TPixel32{0});
    if (!rect.Empty())
        StretchPixels(pixels, rect, picture.Pixels(), TacRect{0, 0, picture.Width(), picture.Height()});
}

void ForgetAnimationWindow(HWND window) {
    if (window != nullptr && ::IsWindow(window))
        ::DestroyWindow(window);
}

void RedrawCompletely(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

TsSkinProvider* ProviderOf(TCustomForm& form) {
    if (!form.HandleAllocated())
        return nullptr;
    return reinterpret_cast<TsSkinProvider*>(
        ::SendMessageA(form.Handle(), SkinCommandMessage, SkinCommand(scQueryProvider), 0));
}

std::vector<TCustomForm*> VisibleSkinnedForms(TsSkinManager& manager) {
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

TFramePacer::TFramePacer(int interval) : interval_(interval) {
    ::QueryPerformanceFrequency(&frequency_);
    ::QueryPerformanceCounter(&start_);
}

void TFramePacer::WaitForNext() {
    ++frame_;
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    if (frequency_.QuadPart <= 0)
        return;
    const double elapsed = static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
                           static_cast<double>(frequency_.QuadPart);
    const double left = static_cast<double>(frame_) * interval_ - elapsed;
    if (left >= 1.0)
        ::Sleep(static_cast<DWORD>(left));
}

} // namespace fade_detail

using namespace fade_detail;

namespace {

// The visible child windows of a window, bottom of the z-order first. A child of a
// form that is not shown yet counts by its own style.
std::vector<HWND> VisibleChildren(HWND window) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        if ((::GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0)
            children.push_back(child);
    std::reverse(children.begin(), children.end());
    return children;
}

void PrintWindowAt(HDC dc, HWND window, POINT at, bool nonClient) {
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    const int saved = ::SaveDC(dc);
    ::SetViewportOrgEx(dc, at.x, at.y, nullptr);
    ::IntersectClipRect(dc, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top);
    const bool skinned = ::SendMessageA(window, SkinCommandMessage, SkinCommand(scIsSkinned), 0) != 0;
    if (skinned)
        ::SendMessageA(window, SkinCommandMessage, SkinCommand(scSetPrintTarget), reinterpret_cast<LPARAM>(dc));
    if (nonClient) {
        ::SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
    } else {
        ::SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        ::SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    }
    if (skinned)
        ::SendMessageA(window, SkinCommandMessage, SkinCommand(scSetPrintTarget), 0);
    ::RestoreDC(dc, saved);
}

// The children of window over its client area, whose top-left lies at clientAt.
void PrintChildren(HDC dc, HWND window, POINT clientAt) {
    RECT client{};
    ::GetClientRect(window, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    for (HWND child : VisibleChildren(window)) {
        RECT bounds{};
        ::GetWindowRect(child, &bounds);
        const int saved = ::SaveDC(dc);
        ::IntersectClipRect(dc, clientAt.x, clientAt.y, clientAt.x + client.right, clientAt.y + client.bottom);
        PaintControlTree(dc, child, POINT{clientAt.x + bounds.left - origin.x, clientAt.y + bounds.top - origin.y});
        ::RestoreDC(dc, saved);
    }
}

} // namespace

// ---- snapshot ----------------------------------------------------------------------------

void PaintControlTree(HDC dc, HWND window, POINT at) {
    if (dc == nullptr || window == nullptr)
        return;
    PrintWindowAt(dc, window, at, true);
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    POINT client{0, 0};
    ::ClientToScreen(window, &client);
    PrintChildren(dc, window, POINT{at.x + client.x - bounds.left, at.y + client.y - bounds.top});
}

std::unique_ptr<TBitmap> MakeFormSnapshot(TsSkinProvider& provider) {
    TCustomForm& form = provider.Form();
    if (!form.HandleAllocated() || !provider.PaintFrame() || provider.FrameCache() == nullptr)
        return nullptr;
    TBitmap& cache = *provider.FrameCache();
    auto snapshot = std::make_unique<TBitmap>(cache.Width(), cache.Height());
    CopyPixels(snapshot->Pixels(), 0, 0, cache.Pixels(), TacRect{0, 0, cache.Width(), cache.Height()});
    HWND window = form.Handle();
    const POINT client{provider.ClientOffsetX(), provider.ClientOffsetY()};
    const int clientX = client.x, clientY = client.y;
    HDC dc = snapshot->Canvas().Handle();
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, client.x, client.y, client.x + form.ClientWidth(), client.y + form.ClientHeight());
    PrintWindowAt(dc, window, client, false);
    PrintChildren(dc, window, client);
    ::RestoreDC(dc, saved);
    ::GdiFlush();
    // GDI leaves the alpha byte of what it draws at 0.
    const TacRect all{0, 0, snapshot->Width(), snapshot->Height()};
    const TacRect clientRect{std::max(0, clientX), std::max(0, clientY),
                             std::min(all.Right, clientX + form.ClientWidth()),
                             std::min(all.Bottom, clientY + form.ClientHeight())};
    if (provider.BorderForm() != nullptr) {
        if (!clientRect.Empty())
            SetRectAlpha(snapshot->Pixels(), clientRect, 255, false);
    } else {
        SetRectAlpha(snapshot->Pixels(), all, 255, false);
    }
    return snapshot;
}

// ---- show ---------------------------------------------------------------------------------

namespace {

// The window a form animation draws in: the form's border window, or a window of its
// own over the form.
struct TAnimationTarget {
    HWND Window = nullptr;
    bool Own = false;
    POINT Position{};
};

TAnimationTarget AnimationTargetFor(TsSkinProvider& provider, int width, int height) {
    TAnimationTarget target;
    HWND form = provider.Form().Handle();
    RECT bounds{};
    ::GetWindowRect(form, &bounds);
    target.Position = POINT{bounds.left, bounds.top};
    if (TacBorderForm* border = provider.BorderForm(); border != nullptr && border->BorderWindow() != nullptr) {
        target.Window = border->BorderWindow();
        const POINT offset = border->Offset();
        target.Position.x += offset.x;
        target.Position.y += offset.y;
        // The whole picture shows, the client area included.
        ::SetWindowRgn(target.Window, nullptr, FALSE);
        return target;
    }
    target.Window = CreateAnimationWindow(form, target.Position, SIZE{width, height});
    target.Own = true;
    return target;
}

// Just above the form, or topmost with a topmost form; shown without activation.
void PlaceAboveForm(HWND window, HWND form, POINT position) {
    HWND after = IsTopmost(form) ? HWND_TOPMOST : ::GetWindow(form, GW_HWNDPREV);
    if (after == nullptr || after == window)
        after = HWND_TOP;
    ::SetWindowPos(window, after, position.x, position.y, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
}

void AfterAnimation(TsSkinProvider& provider, TacAnimEvent event) {
    if (provider.OnAfterAnimation)
        provider.OnAfterAnimation(&provider, event);
}

} // namespace

void AnimateFormShow(TsSkinProvider& provider, int time, BYTE finalAlpha, TacAnimType mode) {
    TCustomForm& form = provider.Form();
    if (!form.HandleAllocated())
        return;
    HWND window = form.Handle();
    TAnimationRunningScope running;
    std::unique_ptr<TBitmap> snapshot = MakeFormSnapshot(provider);
    TAnimationTarget target;
    if (snapshot)
        target = AnimationTargetFor(provider, snapshot->Width(), snapshot->Height());
    if (snapshot && target.Window != nullptr) {
        const int steps = FormAnimationSteps(time);
        PushFrame(target.Window, *snapshot, target.Position, steps > 0 ? 0 : finalAlpha);
        PlaceAboveForm(target.Window, window, target.Position);
        TBitmap work(snapshot->Width(), snapshot->Height());
        const bool zoom = mode == TacAnimType::atAero;
        bool copied = false;
        TFramePacer pacer(FormAnimationInterval);
        for (const TacAnimFrame& frame :
             ShowAnimationFrames(snapshot->Width(), snapshot->Height(), steps, finalAlpha, zoom)) {
            if (zoom || !copied)
                DrawStep(work, *snapshot, frame.Rect);
            copied = true;
            PushFrame(target.Window, work, target.Position, frame.Alpha);
            ::GdiFlush();
            pacer.WaitForNext();
        }
        PushFrame(target.Window, *snapshot, target.Position, finalAlpha);
        // The form comes up directly under the picture, which already shows it.
        ::SetWindowPos(window, target.Window, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ::SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    SetAnimationRunning(false);
    RedrawCompletely(window);
    snapshot.reset();
    if (target.Window != nullptr) {
        if (CompositionEnabled())
            ::Sleep(FormAnimationInterval);
        ::SetWindowPos(target.Window, window, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (target.Own)
            ForgetAnimationWindow(target.Window);
        else if (TacBorderForm* border = provider.BorderForm())
            border->UpdateBorderWindow(true);
    }
    AfterAnimation(provider, TacAnimEvent::aeShowing);
}

// ---- hide ---------------------------------------------------------------------------------

namespace {

// One hide: a window and its picture, zoomed or faded out step by step, then freed.
class THideRun {
public:
    THideRun(HWND window, std::unique_ptr<TBitmap> picture, int steps, TacAnimType mode, BYTE startAlpha)
        : window_(window), picture_(std::move(picture)), work_(picture_->Width(), picture_->Height()),
          zoom_(mode == TacAnimType::atAero) {
        RECT bounds{};
        ::GetWindowRect(window_, &bounds);
        position_ = POINT{bounds.left, bounds.top};
        frames_ = HideAnimationFrames(picture_->Width(), picture_->Height(), steps, startAlpha, zoom_);
        ::SetWindowLongA(window_, GWL_EXSTYLE,
                         ::GetWindowLongA(window_, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_NOACTIVATE);
        ::SetWindowRgn(window_, nullptr, FALSE);
        PushFrame(window_, *picture_, position_, startAlpha);
        ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
    }
    ~THideRun() { ForgetAnimationWindow(window_); }
    THideRun(const THideRun&) = delete;
    THideRun& operator=(const THideRun&) = delete;

    // The next frame; false when there is none left.
    bool Step() {
        if (window_ == nullptr || !::IsWindow(window_) || next_ >= frames_.size())
            return false;
        const TacAnimFrame& frame = frames_[next_++];
        if (zoom_ || next_ == 1)
            DrawStep(work_, *picture_, frame.Rect);
        PushFrame(window_, work_, position_, frame.Alpha);
        return next_ < frames_.size();
    }

private:
    HWND window_;
    std::unique_ptr<TBitmap> picture_;
    TBitmap work_;
    bool zoom_;
    POINT position_{};
    std::vector<TacAnimFrame> frames_;
    std::size_t next_ = 0;
};

// The process-wide hide timer: made at the first hide and kept, it runs one hide at a
// time every 12 ms and frees the run's window and pictures at its end.
class TacHideTimer : public TacThreadedTimer {
public:
    TacHideTimer() : TacThreadedTimer(nullptr, true) { SetInterval(FormAnimationInterval); }

    bool Running() const { return run_ != nullptr; }
    void Start(std::unique_ptr<THideRun> run) {
        Finish();
        run_ = std::move(run);
        SetEnabled(true);
    }
    // The remaining steps at once, with the pauses between them.
    void RunToEnd(std::unique_ptr<THideRun> run) {
        Finish();
        while (run->Step())
            ::Sleep(FormAnimationInterval);
    }
    void Finish() {
        SetEnabled(false);
        run_.reset();
    }

protected:
    void Timer() override {
        if (!run_ || !run_->Step())
            Finish();
    }

private:
    std::unique_ptr<THideRun> run_;
};

TacHideTimer* GHideTimer = nullptr;

TacHideTimer& HideTimer() {
    // Kept for the process, like the application object that outlives the forms.
    if (GHideTimer == nullptr)
        GHideTimer = new TacHideTimer();
    return *GHideTimer;
}

} // namespace

bool HideAnimationRunning() {
    return GHideTimer != nullptr && GHideTimer->Running();
}

void FinishHideAnimation() {
    if (GHideTimer != nullptr)
        GHideTimer->Finish();
}

void StartHideAnimation(HWND window, std::unique_ptr<TBitmap> snapshot, int time, TacAnimType mode, BYTE startAlpha) {
    const int steps = FormAnimationSteps(time);
    // One hide at a time: a second one ends the first where it stands.
    FinishHideAnimation();
    if (steps <= 0 || window == nullptr || !snapshot || snapshot->Width() <= 0) {
        ForgetAnimationWindow(window);
        return;
    }
    auto run = std::make_unique<THideRun>(window, std::move(snapshot), steps, mode, startAlpha);
    if (ApplicationClosing())
        HideTimer().RunToEnd(std::move(run));
    else
        HideTimer().Start(std::move(run));
}

void AnimateFormHide(TsSkinProvider& provider) {
    TCustomForm& form = provider.Form();
    TsSkinManager* manager = provider.SkinManager();
    if (!form.HandleAllocated() || manager == nullptr || provider.FrameCache() == nullptr)
        return;
    const TacFormAnimation& setting = manager->AnimEffects.FormHide;
    // Without steps nothing is shown, so nothing is taken: no snapshot, no window.
    if (FormAnimationSteps(setting.Time) <= 0)
        return;
    TAnimationRunningScope running;
    std::unique_ptr<TBitmap> snapshot = MakeFormSnapshot(provider);
    if (!snapshot)
        return;
    HWND window = nullptr;
    if (TacBorderForm* border = provider.BorderForm(); border != nullptr && border->BorderWindow() != nullptr) {
        window = border->TakeWindow();
    } else {
        RECT bounds{};
        ::GetWindowRect(form.Handle(), &bounds);
        window = CreateAnimationWindow(nullptr, POINT{bounds.left, bounds.top},
                                       SIZE{snapshot->Width(), snapshot->Height()});
        SetRectAlpha(snapshot->Pixels(), TacRect{0, 0, snapshot->Width(), snapshot->Height()}, 255, false);
    }
    StartHideAnimation(window, std::move(snapshot), setting.Time, setting.Mode, 255);
    AfterAnimation(provider, TacAnimEvent::aeHiding);
}

} // namespace sj

// The animations of the program's windows, as recorded from the layered-window calls:
// both windows zoom in over 5 steps of 12 ms when they open, a skin switch cross-fades
// each open window in 9 frames, hiding and minimising leave the frame alone and no
// window behind, and with desktop composition the system's own transitions are off.
#include "shell/About.h"
#include "shell/MainUnit.h"
#include "shell/UtilFuncs.h"
#include "skin/data/sSkinCore.h"
#include "skin/controls/sSpinEdit.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/sFade.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/paint/LayeredWindowRecorder.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sSystemFunctions.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "AppWindowFixture.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace sj {
namespace {

using test::kZest;
using test::PumpUntil;
using test::ThreadWindows;

// Whether the form was visible at each layered-window call: the real window must not
// show before the animation's last frame.
struct TVisibilityProbe {
    static inline HWND Form = nullptr;
    static inline std::vector<bool> Visible;
    static inline TacLayeredWindowFunctions::TUpdateLayeredWindow Next = nullptr;
    static BOOL WINAPI Call(HWND window, HDC screen, POINT* position, SIZE* size, HDC source, POINT* at, COLORREF key,
                            BLENDFUNCTION* blend, DWORD flags) {
        Visible.push_back(Form != nullptr && ::IsWindowVisible(Form) != FALSE);
        return Next(window, screen, position, size, source, at, key, blend, flags);
    }
};

// Calls of one window, in order.
std::vector<const TLayeredCall*> CallsOf(const TLayeredWindowRecorder& recorder, HWND window) {
    std::vector<const TLayeredCall*> calls;
    for (const TLayeredCall& call : recorder.Calls)
        if (call.Window == window)
            calls.push_back(&call);
    return calls;
}

// A picture stretched into rect of a clear bitmap of its own size.
TacPixmap Stretched(const TacPixmap& picture, const TacRect& rect) {
    TacPixmap frame(picture.Width(), picture.Height(), 0);
    StretchPixels(frame.View(), rect, ViewOf(picture), TacRect{0, 0, picture.Width(), picture.Height()});
    return frame;
}

int Differences(const TacPixmap& a, const TacPixmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return -1;
    int count = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            count += a.At(x, y) != b.At(x, y) ? 1 : 0;
    return count;
}

// Visible layered windows of this thread that were last given alpha 0: invisible on
// Windows, yet they would take clicks.
int ClearLayeredWindows(const TLayeredWindowRecorder& recorder) {
    int clear = 0;
    for (HWND window : ThreadWindows()) {
        if (!::IsWindowVisible(window) || (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) == 0)
            continue;
        const TLayeredCall* last = recorder.LastOf(window);
        clear += last != nullptr && last->Blend.SourceConstantAlpha == 0 ? 1 : 0;
    }
    return clear;
}

class AppAnimationTest : public test::TAppWindowTest {
protected:
    AppAnimationTest() : TAppWindowTest(false) {}

    void TearDown() override {
        TVisibilityProbe::Form = nullptr;
        TAppWindowTest::TearDown();
    }

    void ShowMain() {
        form_->Show();
        Application->ProcessMessages();
    }
};

// The stored settings: 70 ms, zoom and fade. The border window shows the snapshot at
// alpha 0, then 6 frames from 75 % to full size, then the whole snapshot, then the frame
// with its clear client area once the form draws itself.
TEST_F(AppAnimationTest, MainWindowZoomsInOverFiveStepsOnItsBorderWindow) {
    ASSERT_EQ(Manager().AnimEffects.FormShow.Time, 70);
    TLayeredWindowRecorder recorder;
    TVisibilityProbe::Form = form_->Handle();
    TVisibilityProbe::Visible.clear();
    TVisibilityProbe::Next = LayeredWindowFunctions().UpdateLayeredWindow;
    LayeredWindowFunctions().UpdateLayeredWindow = &TVisibilityProbe::Call;
    ShowMain();
    LayeredWindowFunctions().UpdateLayeredWindow = TVisibilityProbe::Next;

    TsSkinProvider& provider = Provider();
    ASSERT_NE(provider.BorderForm(), nullptr);
    HWND border = provider.BorderForm()->BorderWindow();
    const std::vector<const TLayeredCall*> calls = CallsOf(recorder, border);
    ASSERT_GE(calls.size(), 9u);
    std::vector<int> alphas;
    for (std::size_t i = 0; i < 8; ++i)
        alphas.push_back(calls[i]->Blend.SourceConstantAlpha);
    EXPECT_EQ(alphas, (std::vector<int>{0, 51, 102, 153, 204, 255, 255, 255}));

    const TacPixmap& snapshot = calls[7]->Pixels;
    TBitmap& cache = *provider.FrameCache();
    ASSERT_EQ(snapshot.Width(), cache.Width());
    ASSERT_EQ(snapshot.Height(), cache.Height());
    RECT placed{};
    ::GetWindowRect(border, &placed);
    const auto frames = ShowAnimationFrames(snapshot.Width(), snapshot.Height(), 5, 255, true);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        const TLayeredCall& call = *calls[i + 1];
        EXPECT_EQ(call.Size.cx, snapshot.Width());
        EXPECT_EQ(call.Position.x, placed.left);
        EXPECT_EQ(call.Position.y, placed.top);
        EXPECT_EQ(Differences(call.Pixels, Stretched(snapshot, frames[i].Rect)), 0);
    }
    EXPECT_EQ(Differences(calls[6]->Pixels, snapshot), 0) << "the last step is the whole snapshot";

    // The snapshot: the frame cache around an opaque client area (premultiplied shadow
    // as the cache has it).
    const int cx = provider.ClientOffsetX(), cy = provider.ClientOffsetY();
    int frameDifferences = 0, clearClient = 0;
    for (int y = 0; y < cache.Height(); ++y)
        for (int x = 0; x < cache.Width(); ++x) {
            const bool client = x >= cx && x < cx + form_->ClientWidth() && y >= cy && y < cy + form_->ClientHeight();
            if (client)
                clearClient += (snapshot.At(x, y) >> 24) != 255 ? 1 : 0;
            else
                frameDifferences += snapshot.At(x, y) != cache.Pixels().At(x, y) ? 1 : 0;
        }
    EXPECT_EQ(frameDifferences, 0);
    EXPECT_EQ(clearClient, 0);

    // The window was not drawn by the system before the last frame; it is visible now.
    ASSERT_GE(TVisibilityProbe::Visible.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_FALSE(TVisibilityProbe::Visible[i]) << "call " << i;
    EXPECT_TRUE(::IsWindowVisible(form_->Handle()));
    EXPECT_FALSE(AnimationRunning());
    // The border window ends with the frame and a clear client area.
    const TLayeredCall& last = *calls.back();
    EXPECT_EQ(last.Blend.SourceConstantAlpha, 255);
    EXPECT_EQ(last.Pixels.At(cx + 10, cy + 10), 0u);
    EXPECT_EQ(ClearLayeredWindows(recorder), 0);
}

// The snapshot's client area is what the window paints for itself afterwards.
TEST_F(AppAnimationTest, TheLastFrameShowsWhatTheWindowPaintsItself) {
    TLayeredWindowRecorder recorder;
    ShowMain();
    TsSkinProvider& provider = Provider();
    HWND border = provider.BorderForm()->BorderWindow();
    const std::vector<const TLayeredCall*> calls = CallsOf(recorder, border);
    ASSERT_GE(calls.size(), 8u);
    const TacPixmap& snapshot = calls[7]->Pixels;
    PumpUntil([] { return false; }, 150);
    // What the screen shows of the client area now that the window draws itself.
    POINT origin{0, 0};
    ::ClientToScreen(form_->Handle(), &origin);
    const SIZE client{form_->ClientWidth(), form_->ClientHeight()};
    HDC screen = ::GetDC(nullptr);
    TacPixmap shown = ReadSourcePixels(screen, origin, client);
    ::ReleaseDC(nullptr, screen);
    ASSERT_EQ(shown.Width(), client.cx);
    const int cx = provider.ClientOffsetX(), cy = provider.ClientOffsetY();
    // The tab strip at the top and the row of push buttons at the bottom: skinned
    // controls printed for the snapshot as they paint themselves.
    int differing = 0, compared = 0;
    for (int y = 0; y < client.cy; ++y) {
        if (y >= 45 && y < client.cy - 60)
            continue;
        for (int x = 0; x < client.cx; ++x, ++compared)
            differing += (shown.At(x, y) & 0x00FFFFFF) != (snapshot.At(cx + x, cy + y) & 0x00FFFFFF) ? 1 : 0;
    }
    EXPECT_LT(differing, compared / 200) << differing << " of " << compared;

    // The spin edit's skinned border is in the picture as it paints it on its frame.
    auto* spin = form_->FindComponentOf<TsDecimalSpinEdit>("sDecimalSpinEditMB");
    ASSERT_NE(spin, nullptr);
    ASSERT_TRUE(::IsWindowVisible(spin->Handle()));
    RECT bounds{};
    ::GetWindowRect(spin->Handle(), &bounds);
    const int left = cx + bounds.left - origin.x, top = cy + bounds.top - origin.y;
    TBitmap& face = *spin->SkinData().CacheBitmap;
    const int b = spin->BorderWidth();
    ASSERT_GT(b, 0);
    int ringDiffering = 0, ring = 0;
    for (int y = 0; y < face.Height(); ++y)
        for (int x = 0; x < face.Width(); ++x) {
            if (x >= b && x < face.Width() - b && y >= b && y < face.Height() - b)
                continue;
            ++ring;
            ringDiffering +=
                (snapshot.At(left + x, top + y) & 0x00FFFFFF) != (face.Pixels().At(x, y) & 0x00FFFFFF) ? 1 : 0;
        }
    EXPECT_EQ(ringDiffering, 0) << "of " << ring << " border pixels";
}

TEST_F(AppAnimationTest, AboutBoxZoomsInAndAShortOrForbiddenAnimationShowsAtOnce) {
    ShowMain();
    {
        TLayeredWindowRecorder recorder;
        TFormAbout about(form_.get());
        about.Show();
        Application->ProcessMessages();
        ASSERT_NE(about.sSkinProvider1->BorderForm(), nullptr);
        const auto calls = CallsOf(recorder, about.sSkinProvider1->BorderForm()->BorderWindow());
        ASSERT_GE(calls.size(), 8u);
        EXPECT_EQ(calls[0]->Blend.SourceConstantAlpha, 0);
        EXPECT_EQ(calls[1]->Blend.SourceConstantAlpha, 51);
        EXPECT_EQ(calls[6]->Blend.SourceConstantAlpha, 255);
        about.Close();
        Application->ProcessMessages();
    }
    for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(variant);
        TLayeredWindowRecorder recorder;
        TFormAbout about(form_.get());
        if (variant == 0)
            Manager().AnimEffects.FormShow.Time = 11;
        else
            about.sSkinProvider1->AllowAnimation = false;
        about.Show();
        Application->ProcessMessages();
        Manager().AnimEffects.FormShow.Time = 70;
        ASSERT_NE(about.sSkinProvider1->BorderForm(), nullptr);
        for (const TLayeredCall& call : recorder.Calls)
            EXPECT_NE(call.Blend.SourceConstantAlpha, 0) << "no fade-in frames";
        EXPECT_TRUE(::IsWindowVisible(about.Handle()));
        about.Close();
        Application->ProcessMessages();
    }
}

// Hiding with the stored time 0: no snapshot, no animation window, and the frame of the
// window on its way out is not repainted as the system's compact frame.
TEST_F(AppAnimationTest, HidingTheAboutBoxLeavesTheFrameAndNoWindowBehind) {
    ShowMain();
    const std::size_t before = ThreadWindows().size();
    TFormAbout about(form_.get());
    about.Show();
    Application->ProcessMessages();
    TsSkinProvider& provider = *about.sSkinProvider1;
    ASSERT_NE(provider.BorderForm(), nullptr);
    const int extendedWidth = provider.FrameCache()->Width();
    // What the frame cache holds when the system is about to take the window away.
    int widthWhenHidden = -1;
    TWindowProcHook hook = about.HookWindowProc([&](TMessage& message, const TWndNext& next) {
        if (message.Msg == WM_WINDOWPOSCHANGING && message.LParam != 0 &&
            (reinterpret_cast<const WINDOWPOS*>(message.LParam)->flags & SWP_HIDEWINDOW) != 0 &&
            provider.FrameCache() != nullptr && !provider.SkinData().CacheStale)
            widthWhenHidden = provider.FrameCache()->Width();
        else if (message.Msg == WM_WINDOWPOSCHANGING && message.LParam != 0 &&
                 (reinterpret_cast<const WINDOWPOS*>(message.LParam)->flags & SWP_HIDEWINDOW) != 0)
            widthWhenHidden = 0; // not repainted since the border window went
        next(message);
    });
    TLayeredWindowRecorder recorder;
    about.Close();
    hook.Unhook();
    EXPECT_EQ(provider.BorderForm(), nullptr);
    EXPECT_TRUE(widthWhenHidden == 0 || widthWhenHidden == extendedWidth)
        << "the compact frame was painted while the window was still shown: " << widthWhenHidden;
    // Nothing was shown for the hide; the main window's frame may change with activation.
    HWND mainBorder = Provider().BorderForm() != nullptr ? Provider().BorderForm()->BorderWindow() : nullptr;
    for (const TLayeredCall& call : recorder.Calls)
        EXPECT_EQ(call.Window, mainBorder);
    EXPECT_FALSE(HideAnimationRunning());
    Application->ProcessMessages();
    EXPECT_EQ(ThreadWindows().size(), before + 1) << "only the hidden About box itself";
}

// With a hide time the border window is handed to the hide, which zooms it out and
// frees it.
TEST_F(AppAnimationTest, AHideWithTimeRunsOnTheBorderWindowAndFreesIt) {
    ShowMain();
    Manager().AnimEffects.FormHide.Time = 60;
    {
        // A first hide makes the shared hide timer, which lasts.
        TFormAbout first(form_.get());
        first.Show();
        Application->ProcessMessages();
        first.Close();
        EXPECT_TRUE(PumpUntil([] { return !HideAnimationRunning(); }));
    }
    TFormAbout about(form_.get());
    about.Show();
    Application->ProcessMessages();
    const std::size_t before = ThreadWindows().size();
    HWND border = about.sSkinProvider1->BorderForm()->BorderWindow();
    TLayeredWindowRecorder recorder;
    bool afterHiding = false;
    about.sSkinProvider1->OnAfterAnimation = [&](TObject*, TacAnimEvent event) {
        afterHiding = afterHiding || event == TacAnimEvent::aeHiding;
    };
    about.Close();
    EXPECT_TRUE(afterHiding);
    EXPECT_TRUE(::IsWindow(border)) << "the hide has the border window";
    EXPECT_TRUE(PumpUntil([] { return !HideAnimationRunning(); }));
    Manager().AnimEffects.FormHide.Time = 0;
    EXPECT_FALSE(::IsWindow(border));
    const auto calls = CallsOf(recorder, border);
    std::vector<int> alphas;
    for (const TLayeredCall* call : calls)
        alphas.push_back(call->Blend.SourceConstantAlpha);
    EXPECT_EQ(alphas, (std::vector<int>{255, 204, 153, 102, 51, 0}));
    ASSERT_FALSE(calls.empty());
    const TacPixmap& snapshot = calls.front()->Pixels;
    const auto frames = HideAnimationFrames(snapshot.Width(), snapshot.Height(), 5, 255, true);
    for (std::size_t i = 0; i < frames.size() && i + 1 < calls.size(); ++i)
        EXPECT_EQ(Differences(calls[i + 1]->Pixels, Stretched(snapshot, frames[i].Rect)), 0) << i;
    Application->ProcessMessages();
    EXPECT_EQ(ThreadWindows().size(), before - 1) << "the border window went, nothing came";
}

// Without the minimise animation, minimising frees the border window only, without
// painting the compact frame into the window first; restoring makes a new one.
TEST_F(AppAnimationTest, MinimisingFreesTheBorderWindowOnlyAndRestoringMakesItAgain) {
    Manager().AnimEffects.Minimizing.Active = false;
    ShowMain();
    TsSkinProvider& provider = Provider();
    HWND border = provider.BorderForm()->BorderWindow();
    const int extendedWidth = provider.FrameCache()->Width();
    ::SendMessageA(form_->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Application->ProcessMessages();
    EXPECT_FALSE(::IsWindow(border));
    EXPECT_EQ(provider.FrameCache()->Width(), extendedWidth) << "no compact frame was painted";
    // The program's main window minimises through the application window; a window of
    // a test that is not the application's main form minimises itself.
    if (Application->Minimized())
        ::SendMessageA(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    else
        ::SendMessageA(form_->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Application->ProcessMessages();
    ASSERT_NE(provider.BorderForm(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(provider.BorderForm()->BorderWindow()));
    EXPECT_NE(provider.BorderForm()->BorderWindow(), border);
}

// A maximised window takes the maximised place of the new skin, whose title may be
// taller or shorter than the old one's.
TEST_F(AppAnimationTest, AMaximisedWindowTakesTheNewSkinsMaximisedPlace) {
    ShowMain();
    // The program's windows have a fixed size: a sizeable window of the same skin.
    TForm form(nullptr);
    auto& provider = *new TsSkinProvider(&form);
    form.SetBounds(100, 100, 400, 300);
    form.Show();
    Application->ProcessMessages();
    ASSERT_NE(provider.BorderForm(), nullptr);
    HWND window = form.Handle();
    // Under Wine on a display without a window manager, the X driver posts SC_RESTORE to
    // a maximised window, since no manager confirms the state; kept out here.
    TWindowProcHook keepMaximised = form.HookWindowProc([](TMessage& message, const TWndNext& next) {
        if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_RESTORE)
            return;
        next(message);
    });
    ::ShowWindow(window, SW_SHOWMAXIMIZED);
    Application->ProcessMessages();
    ASSERT_TRUE(::IsZoomed(window));
    RECT area{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    auto expected = [&] {
        return MaximizedPlacement(area, provider.FrameBorderWidth(false), provider.TitleGrowth());
    };
    const int before = provider.TitleGrowth();
    std::vector<std::string> skins;
    Manager().ListSkins(skins, 0);
    // A skin whose maximised title differs from Zest's.
    std::string other;
    for (const std::string& skin : skins) {
        if (skin == kZest)
            continue;
        Manager().SetSkinName(skin);
        Application->ProcessMessages();
        if (provider.TitleGrowth() != before) {
            other = skin;
            break;
        }
    }
    ASSERT_FALSE(other.empty()) << "every skin has Zest's maximised title";
    for (const std::string& skin : {std::string(kZest), other}) {
        SCOPED_TRACE(skin);
        Manager().SetSkinName(skin);
        Application->ProcessMessages();
        ASSERT_TRUE(::IsZoomed(window));
        EXPECT_TRUE(::IsWindowVisible(window));
        RECT placed{};
        ::GetWindowRect(window, &placed);
        const TMaximizedPlacement place = expected();
        EXPECT_EQ(placed.left, area.left + place.Position.x);
        EXPECT_EQ(placed.top, area.top + place.Position.y);
        EXPECT_EQ(placed.bottom - placed.top, place.Size.cy);
    }
    form.Hide();
    Application->ProcessMessages();
}

// ---- minimise and restore ---------------------------------------------------------------

// A taskbar of the test's own: a window of the taskbar's class along the bottom of the
// screen (the display has none). With withButton it carries the classic button list,
// a toolbar whose one button names `owner`.
class TFakeTaskbar {
public:
    TFakeTaskbar(const RECT& bounds, HWND owner = nullptr) {
        Register("Shell_TrayWnd");
        Register("MSTaskSwWClass");
        window_ = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, "Shell_TrayWnd", "",
                                    WS_POPUP, bounds.left, bounds.top, bounds.right - bounds.left,
                                    bounds.bottom - bounds.top, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ::ShowWindow(window_, SW_SHOWNOACTIVATE);
        if (owner == nullptr)
            return;
        INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        ::InitCommonControlsEx(&init);
        HWND rebar = ::CreateWindowExA(0, "ReBarWindow32", "", WS_CHILD | WS_VISIBLE, 0, 0, 600, 30, window_, nullptr,
                                       nullptr, nullptr);
        HWND tasks = ::CreateWindowExA(0, "MSTaskSwWClass", "", WS_CHILD | WS_VISIBLE, 100, 0, 500, 30, rebar, nullptr,
                                       ::GetModuleHandleA(nullptr), nullptr);
        toolbar_ = ::CreateWindowExA(0, "ToolbarWindow32", "", WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN,
                                     20, 2, 400, 26, tasks, nullptr, nullptr, nullptr);
        ::SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        ::SendMessageA(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(120, 24));
        TBBUTTON buttons[2]{};
        buttons[0].iBitmap = I_IMAGENONE;
        buttons[0].idCommand = 7;
        buttons[0].fsState = TBSTATE_ENABLED;
        buttons[0].fsStyle = BTNS_BUTTON;
        buttons[0].dwData = 0; // another program's button
        buttons[1] = buttons[0];
        buttons[1].idCommand = 8;
        buttons[1].dwData = reinterpret_cast<DWORD_PTR>(owner);
        ::SendMessageA(toolbar_, TB_ADDBUTTONS, 2, reinterpret_cast<LPARAM>(buttons));
    }
    ~TFakeTaskbar() { ::DestroyWindow(window_); }
    TFakeTaskbar(const TFakeTaskbar&) = delete;
    TFakeTaskbar& operator=(const TFakeTaskbar&) = delete;

    HWND Window() const { return window_; }
    // The owner's button on the screen.
    RECT Button() const {
        RECT rect{}, bar{};
        ::SendMessageA(toolbar_, TB_GETRECT, 8, reinterpret_cast<LPARAM>(&rect));
        ::GetWindowRect(toolbar_, &bar);
        ::OffsetRect(&rect, bar.left, bar.top);
        return rect;
    }

private:
    static void Register(const char* name) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = name;
        ::RegisterClassA(&wc);
    }
    HWND window_ = nullptr;
    HWND toolbar_ = nullptr;
};

// Desktop composition reported off, so that the taskbar's buttons are searched.
class TCompositionOff {
public:
    TCompositionOff() : saved_(DwmFunctions()) {
        DwmFunctions().IsCompositionEnabled = [](BOOL* enabled) -> HRESULT {
            *enabled = FALSE;
            return S_OK;
        };
    }
    ~TCompositionOff() { DwmFunctions() = saved_; }
    TCompositionOff(const TCompositionOff&) = delete;
    TCompositionOff& operator=(const TCompositionOff&) = delete;

private:
    TacDwmFunctions saved_;
};

int WindowsOfClass(const char* name) {
    int count = 0;
    for (HWND window : ThreadWindows()) {
        char found[64] = {};
        ::GetClassNameA(window, found, sizeof found);
        count += std::string(found) == name ? 1 : 0;
    }
    return count;
}

bool Layered(HWND window) {
    return (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

TacRect ToTac(const RECT& r) {
    return TacRect{r.left, r.top, r.right, r.bottom};
}

// The program's main window minimised with the stored 200 ms: through the application
// window, the picture of the window (its border window taken over) flies in 13 steps
// of 15 ms towards the taskbar's edge below the window's centre and fades by 255 / 12 a
// step; it is gone at the twelfth. Restoring flies it back in the same frames reversed
// on a window of its own, then the window shows itself, once, with a new border window.
TEST_F(AppAnimationTest, TheMainWindowFliesToTheTaskbarAndBack) {
    ShowMain();
    Application->SetMainForm(form_.get());
    TsSkinProvider& provider = Provider();
    ASSERT_EQ(Manager().AnimEffects.Minimizing.Time, 200);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    TFakeTaskbar taskbar(RECT{0, screenHeight - 30, ::GetSystemMetrics(SM_CXSCREEN), screenHeight});
    HWND window = form_->Handle();
    HWND border = provider.BorderForm()->BorderWindow();
    RECT placed{};
    ::GetWindowRect(border, &placed);
    const std::size_t windowsBefore = ThreadWindows().size();

    TLayeredWindowRecorder recorder;
    ::SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    TacMinTimer* flight = provider.MinimizeAnimation();
    ASSERT_NE(flight, nullptr);
    EXPECT_TRUE(Application->Minimized());
    EXPECT_TRUE(flight->Busy());
    ASSERT_TRUE(PumpUntil([&] { return !flight->Busy(); }));
    EXPECT_EQ(flight->Phase(), TacMinTimer::TPhase::Minimized);

    const TacRect source = ToTac(placed);
    EXPECT_EQ(ToTac(flight->Source()), source);
    const int centreX = source.Left + source.Width() / 2;
    EXPECT_EQ(ToTac(flight->Target()), (TacRect{centreX, screenHeight - 30, centreX, screenHeight - 30}));
    EXPECT_EQ(flight->Steps(), 13);
    const TacMinimizePath path(source, ToTac(flight->Target()), 13, 255);
    const auto calls = CallsOf(recorder, border);
    ASSERT_EQ(calls.size(), 12u) << "the window itself, then 11 steps; none at alpha 0";
    const TacPixmap picture = calls[0]->Pixels;
    EXPECT_EQ(calls[0]->Blend.SourceConstantAlpha, 255);
    EXPECT_EQ(calls[0]->Position.x, placed.left);
    EXPECT_EQ(calls[0]->Position.y, placed.top);
    ASSERT_EQ(picture.Width(), source.Width());
    std::vector<int> alphas;
    for (std::size_t k = 1; k < calls.size(); ++k) {
        SCOPED_TRACE(k);
        const TacMinimizeFrame frame = path.Frame(static_cast<int>(k));
        alphas.push_back(calls[k]->Blend.SourceConstantAlpha);
        EXPECT_EQ(calls[k]->Position.x, frame.Window.Left);
        EXPECT_EQ(calls[k]->Position.y, frame.Window.Top);
        EXPECT_LT(frame.Screen.Width(), path.Frame(static_cast<int>(k) - 1).Screen.Width());
        EXPECT_GT(frame.Screen.Top, path.Frame(static_cast<int>(k) - 1).Screen.Top) << "towards the bar";
        EXPECT_EQ(Differences(calls[k]->Pixels, Stretched(picture, frame.InWork)), 0);
    }
    EXPECT_EQ(alphas, (std::vector<int>{234, 213, 191, 170, 149, 128, 106, 85, 64, 43, 21}));
    // The picture is the window as it looked: its frame around its client area.
    const int cx = provider.ClientOffsetX(), cy = provider.ClientOffsetY();
    EXPECT_EQ(picture.At(cx + 10, cy + 10) >> 24, 255u) << "the client area is in the picture";
    // Nothing left: the border window went with the flight, the window is hidden and no
    // longer layered.
    EXPECT_FALSE(::IsWindow(border));
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_FALSE(Layered(window));
    EXPECT_EQ(WindowsOfClass("acAnimationWindow"), 0);
    EXPECT_EQ(ClearLayeredWindows(recorder), 0);

    // A second minimise request while minimised changes nothing.
    ::SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(flight->Busy());

    // Back: the taskbar restores the application window.
    recorder.Calls.clear();
    int shown = 0;
    TWindowProcHook hook = form_->HookWindowProc([&](TMessage& message, const TWndNext& next) {
        shown += message.Msg == WM_SHOWWINDOW && message.WParam != 0 ? 1 : 0;
        next(message);
    });
    TVisibilityProbe::Form = window;
    TVisibilityProbe::Visible.clear();
    TVisibilityProbe::Next = LayeredWindowFunctions().UpdateLayeredWindow;
    LayeredWindowFunctions().UpdateLayeredWindow = &TVisibilityProbe::Call;
    ::SendMessageA(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(Application->Minimized()) << "the flight restores the application at its end";
    HWND back = flight->AnimationWindow();
    ASSERT_NE(back, nullptr);
    const bool done = PumpUntil([&] { return !provider.MinimizeAnimation() || !flight->Busy(); });
    LayeredWindowFunctions().UpdateLayeredWindow = TVisibilityProbe::Next;
    hook.Unhook();
    ASSERT_TRUE(done);
    const auto backCalls = CallsOf(recorder, back);
    ASSERT_EQ(backCalls.size(), 12u) << "11 steps back, then the window itself";
    std::vector<int> backAlphas;
    for (std::size_t i = 0; i + 1 < backCalls.size(); ++i) {
        const TacMinimizeFrame frame = path.Frame(11 - static_cast<int>(i));
        backAlphas.push_back(backCalls[i]->Blend.SourceConstantAlpha);
        EXPECT_EQ(backCalls[i]->Position.x, frame.Window.Left) << i;
        EXPECT_EQ(backCalls[i]->Position.y, frame.Window.Top) << i;
    }
    EXPECT_EQ(backAlphas, (std::vector<int>{21, 43, 64, 85, 106, 128, 149, 170, 191, 213, 234}));
    EXPECT_EQ(backCalls.back()->Blend.SourceConstantAlpha, 255);
    EXPECT_EQ(backCalls.back()->Position.x, placed.left);
    EXPECT_EQ(Differences(backCalls.back()->Pixels, picture), 0) << "the last frame is the window's picture";
    for (std::size_t i = 0; i < backCalls.size() && i < TVisibilityProbe::Visible.size(); ++i)
        EXPECT_FALSE(TVisibilityProbe::Visible[i]) << "the window shows only after the flight, frame " << i;
    EXPECT_FALSE(Application->Minimized());
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(shown, 1) << "shown once";
    EXPECT_FALSE(Layered(window));
    ASSERT_NE(provider.BorderForm(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(provider.BorderForm()->BorderWindow()));
    EXPECT_FALSE(::IsWindow(back));
    EXPECT_EQ(ClearLayeredWindows(recorder), 0);
    Application->ProcessMessages();
    EXPECT_EQ(provider.MinimizeAnimation(), nullptr) << "freed with its timer once it has flown back";
    EXPECT_EQ(ThreadWindows().size(), windowsBefore);
}

// A window that is not the application's main form minimises itself: its provider runs
// the flight, and the system leaves it minimised; SC_MAXIMIZE of the minimised window
// flies it back too.
TEST_F(AppAnimationTest, AnotherWindowMinimisesThroughItsProvider) {
    ShowMain();
    TsSkinProvider& provider = Provider();
    HWND window = form_->Handle();
    TLayeredWindowRecorder recorder;
    ::SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    TacMinTimer* flight = provider.MinimizeAnimation();
    ASSERT_NE(flight, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !flight->Busy(); }));
    EXPECT_TRUE(::IsIconic(window));
    EXPECT_FALSE(Layered(window));
    EXPECT_EQ(WindowsOfClass("acAnimationWindow"), 0);
    EXPECT_EQ(ClearLayeredWindows(recorder), 0);
    ::SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(::IsIconic(window)) << "restored at the end of the flight back";
    ASSERT_TRUE(PumpUntil([&] { return !::IsIconic(window) && !flight->Busy(); }));
    EXPECT_TRUE(::IsWindowVisible(window));
    ASSERT_NE(provider.BorderForm(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(provider.BorderForm()->BorderWindow()));
    EXPECT_EQ(WindowsOfClass("acAnimationWindow"), 0);
    EXPECT_EQ(ClearLayeredWindows(recorder), 0);
}

// Under composition the taskbar's pictures of the window go stale when the flight
// starts (the form is transparent then): the main form's and the application window's,
// which owns its taskbar button; the manager knows a window is minimising.
TEST_F(AppAnimationTest, WithCompositionTheMinimiseInvalidatesTheTaskbarPictures) {
    ShowMain();
    Application->SetMainForm(form_.get());
    static std::vector<HWND> invalidated;
    invalidated.clear();
    TacDwmFunctions saved = DwmFunctions();
    DwmFunctions().IsCompositionEnabled = [](BOOL* enabled) -> HRESULT {
        *enabled = TRUE;
        return S_OK;
    };
    DwmFunctions().SetWindowAttribute = [](HWND, DWORD, LPCVOID, DWORD) -> HRESULT { return S_OK; };
    DwmFunctions().InvalidateIconicBitmaps = [](HWND window) -> HRESULT {
        invalidated.push_back(window);
        return S_OK;
    };
    ::SendMessageA(form_->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    TacMinTimer* flight = Provider().MinimizeAnimation();
    ASSERT_NE(flight, nullptr);
    EXPECT_EQ(Manager().MinimizeState(), 2);
    const bool finished = PumpUntil([&] { return !flight->Busy(); });
    DwmFunctions() = saved;
    ASSERT_TRUE(finished);
    EXPECT_NE(std::find(invalidated.begin(), invalidated.end(), form_->Handle()), invalidated.end());
    EXPECT_NE(std::find(invalidated.begin(), invalidated.end(), Application->Handle()), invalidated.end());
    ::SendMessageA(form_->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !Application->Minimized() && !flight->Busy(); }));
}

// Without desktop composition the application's button on the classic taskbar is the
// target; the search skips the buttons of other windows.
TEST_F(AppAnimationTest, TheTaskbarButtonIsTheTargetWhenItCanBeFound) {
    ShowMain();
    Application->SetMainForm(form_.get());
    TCompositionOff off;
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    TFakeTaskbar taskbar(RECT{0, screenHeight - 30, ::GetSystemMetrics(SM_CXSCREEN), screenHeight},
                         Application->Handle());
    const TacTaskbarInfo info = FindTaskbarFor(Application->Handle());
    EXPECT_EQ(info.Taskbar, taskbar.Window());
    ASSERT_TRUE(info.ButtonFound);
    const RECT button = taskbar.Button();
    EXPECT_EQ(ToTac(info.Button), ToTac(button));
    EXPECT_GT(button.right - button.left, 0);
    EXPECT_FALSE(FindTaskbarFor(form_->Handle()).ButtonFound) << "no button of its own";
    ::SendMessageA(form_->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    TacMinTimer* flight = Provider().MinimizeAnimation();
    ASSERT_NE(flight, nullptr);
    EXPECT_EQ(ToTac(flight->Target()), ToTac(button));
    ASSERT_TRUE(PumpUntil([&] { return !flight->Busy(); }));
    ::SendMessageA(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !Application->Minimized() && !flight->Busy(); }));
}

// At the fifth picture a flight shows (the window itself, then four steps), something
// happens to it: from inside the step, since a loaded machine may run a whole flight
// within one turn of the message loop.
struct TAtFifthStep {
    static inline HWND Window = nullptr;
    static inline int Calls = 0;
    static inline std::function<void()> Action;
    static inline TacLayeredWindowFunctions::TUpdateLayeredWindow Next = nullptr;
    static BOOL WINAPI Call(HWND window, HDC screen, POINT* position, SIZE* size, HDC source, POINT* at, COLORREF key,
                            BLENDFUNCTION* blend, DWORD flags) {
        const BOOL result = Next(window, screen, position, size, source, at, key, blend, flags);
        if (window == Window && ++Calls == 5 && Action)
            Action();
        return result;
    }
    explicit TAtFifthStep(HWND window, std::function<void()> action) {
        Window = window;
        Calls = 0;
        Action = std::move(action);
        Next = LayeredWindowFunctions().UpdateLayeredWindow;
        LayeredWindowFunctions().UpdateLayeredWindow = &Call;
    }
    ~TAtFifthStep() {
        LayeredWindowFunctions().UpdateLayeredWindow = Next;
        Action = nullptr;
    }
};

// Minimises (or closes) a window from inside the third layered-window call.
struct TMinimiseAtFrame {
    static inline HWND Form = nullptr;
    static inline int Frames = 0;
    static inline WPARAM Command = SC_MINIMIZE;
    static inline TacLayeredWindowFunctions::TUpdateLayeredWindow Next = nullptr;
    static BOOL WINAPI Call(HWND window, HDC screen, POINT* position, SIZE* size, HDC source, POINT* at, COLORREF key,
                            BLENDFUNCTION* blend, DWORD flags) {
        const BOOL result = Next(window, screen, position, size, source, at, key, blend, flags);
        if (++Frames == 3 && Form != nullptr)
            ::SendMessageA(Form, WM_SYSCOMMAND, Command, 0);
        return result;
    }
    // Shows the form and sends it the command at the show animation's third frame.
    static void ShowAndInterrupt(TCustomForm& form, WPARAM command) {
        form.HandleNeeded();
        Form = form.Handle();
        Frames = 0;
        Command = command;
        Next = LayeredWindowFunctions().UpdateLayeredWindow;
        LayeredWindowFunctions().UpdateLayeredWindow = &Call;
        form.Show();
        LayeredWindowFunctions().UpdateLayeredWindow = Next;
        Application->ProcessMessages();
        EXPECT_GE(Frames, 3);
        EXPECT_FALSE(AnimationRunning());
    }
};

// A flight cut short by closing the window, by the application ending, or a minimise or
// a close that comes while the window is still zooming in: each ends in its final state
// with nothing left behind.
TEST_F(AppAnimationTest, AnInterruptedAnimationStopsCleanly) {
    ShowMain();
    const std::size_t windowsBefore = ThreadWindows().size();
    {
        // Closed half way to the taskbar.
        TLayeredWindowRecorder recorder;
        TFormAbout about(form_.get());
        about.Show();
        Application->ProcessMessages();
        HWND picture = about.sSkinProvider1->BorderForm()->BorderWindow();
        {
            TAtFifthStep closing(picture, [&] { ::PostMessageA(about.Handle(), WM_CLOSE, 0, 0); });
            ::SendMessageA(about.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
            ASSERT_NE(about.sSkinProvider1->MinimizeAnimation(), nullptr);
            ASSERT_TRUE(PumpUntil([&] { return !::IsWindowVisible(about.Handle()); }));
        }
        Application->ProcessMessages();
        EXPECT_FALSE(::IsWindow(picture) && ::IsWindowVisible(picture));
        EXPECT_EQ(ClearLayeredWindows(recorder), 0);
    }
    Application->ProcessMessages();
    EXPECT_EQ(WindowsOfClass("acAnimationWindow"), 0);
    {
        // The application ends half way: the flight ends at once, minimised.
        TFormAbout about(form_.get());
        about.Show();
        Application->ProcessMessages();
        TAtFifthStep ending(about.sSkinProvider1->BorderForm()->BorderWindow(), [] { SetApplicationClosing(true); });
        ::SendMessageA(about.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        TacMinTimer* flight = about.sSkinProvider1->MinimizeAnimation();
        ASSERT_NE(flight, nullptr);
        const bool ended = PumpUntil([&] { return !flight->Busy(); }, 2000);
        SetApplicationClosing(false);
        EXPECT_TRUE(ended);
        EXPECT_EQ(flight->Phase(), TacMinTimer::TPhase::Minimized);
        EXPECT_LT(flight->Step(), 11) << "it did not run its course";
        EXPECT_FALSE(Layered(about.Handle()));
        EXPECT_EQ(WindowsOfClass("acAnimationWindow"), 0);
        about.Close();
        Application->ProcessMessages();
    }
    {
        // Minimised while its show animation runs: the show ends, the window is minimised
        // and shows nothing at alpha 0.
        TLayeredWindowRecorder recorder;
        TFormAbout about(form_.get());
        TMinimiseAtFrame::ShowAndInterrupt(about, SC_MINIMIZE);
        EXPECT_TRUE(::IsIconic(about.Handle()));
        EXPECT_FALSE(Layered(about.Handle()));
        EXPECT_EQ(ClearLayeredWindows(recorder), 0);
        ::SendMessageA(about.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
        Application->ProcessMessages();
        EXPECT_FALSE(::IsIconic(about.Handle()));
        EXPECT_TRUE(::IsWindowVisible(about.Handle()));
        ASSERT_NE(about.sSkinProvider1->BorderForm(), nullptr);
        EXPECT_TRUE(::IsWindowVisible(about.sSkinProvider1->BorderForm()->BorderWindow()));
        about.Close();
        Application->ProcessMessages();
    }
    {
        // Closed while its show animation runs: the show ends and the window is hidden.
        TLayeredWindowRecorder recorder;
        TFormAbout about(form_.get());
        TMinimiseAtFrame::ShowAndInterrupt(about, SC_CLOSE);
        EXPECT_FALSE(::IsWindowVisible(about.Handle()));
        EXPECT_FALSE(Layered(about.Handle()));
        EXPECT_EQ(about.sSkinProvider1->BorderForm(), nullptr);
        EXPECT_EQ(ClearLayeredWindows(recorder), 0);
    }
    Application->ProcessMessages();
    EXPECT_EQ(WindowsOfClass("acAnimationWindow"), 0);
    EXPECT_EQ(ThreadWindows().size(), windowsBefore + 0) << "nothing of the four is left";
}

// ---- blend on moving --------------------------------------------------------------------

// The alphas given to a window with SetLayeredWindowAttributes.
struct TAlphaProbe {
    static inline HWND Form = nullptr;
    static inline std::vector<int> Alphas;
    static inline TacLayeredWindowFunctions::TSetLayeredWindowAttributes Next = nullptr;
    static BOOL WINAPI Call(HWND window, COLORREF key, BYTE alpha, DWORD flags) {
        if (window == Form && (flags & LWA_ALPHA) != 0)
            Alphas.push_back(alpha);
        return Next(window, key, alpha, flags);
    }
};

// The stored settings leave blend on moving off; switched on (170, 120 ms) a caption
// drag takes the window and its border window down by 9 a tick to 170 while the system
// moves it, and gives both their full alpha back at the end.
TEST_F(AppAnimationTest, BlendOnMovingLowersTheAlphaWhileDraggingAndGivesItBack) {
    ShowMain();
    TacBlendOnMoving& blend = Manager().AnimEffects.BlendOnMoving;
    EXPECT_FALSE(blend.Active) << "off in the program";
    blend.Active = true;
    blend.Time = 120;
    BOOL fullDrag = FALSE;
    ::SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &fullDrag, 0);
    if (!fullDrag)
        ::SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    HWND window = form_->Handle();
    HWND border = Provider().BorderForm()->BorderWindow();
    TLayeredWindowRecorder recorder;
    TAlphaProbe::Form = window;
    TAlphaProbe::Alphas.clear();
    TAlphaProbe::Next = LayeredWindowFunctions().SetLayeredWindowAttributes;
    LayeredWindowFunctions().SetLayeredWindowAttributes = &TAlphaProbe::Call;
    // The system's move loop ends when the button comes up: posted once the blend has
    // had time to reach its value.
    static bool layeredDuringDrag = false;
    layeredDuringDrag = false;
    const UINT_PTR release = ::SetTimer(nullptr, 0, 400, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        layeredDuringDrag = TAlphaProbe::Form != nullptr && Layered(TAlphaProbe::Form);
        ::PostMessageA(TAlphaProbe::Form, WM_LBUTTONUP, 0, 0);
    });
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    const POINT caption{(bounds.left + bounds.right) / 2, bounds.top + 8};
    ::SetCursorPos(caption.x, caption.y);
    ::SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(caption.x, caption.y));
    ::KillTimer(nullptr, release);
    LayeredWindowFunctions().SetLayeredWindowAttributes = TAlphaProbe::Next;
    blend.Active = false;
    if (!fullDrag)
        ::SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);

    EXPECT_TRUE(layeredDuringDrag);
    EXPECT_EQ(Provider().MoveAnimation(), nullptr) << "the drag's timer went with it";
    const std::vector<int> expected = BlendOnMovingAlphas(255, 170, 120);
    // Made layered at its full alpha first, then the ticks.
    TAlphaProbe::Alphas.erase(std::unique(TAlphaProbe::Alphas.begin(), TAlphaProbe::Alphas.end()),
                              TAlphaProbe::Alphas.end());
    ASSERT_GE(TAlphaProbe::Alphas.size(), expected.size());
    EXPECT_EQ(std::vector<int>(TAlphaProbe::Alphas.begin(), TAlphaProbe::Alphas.begin() + expected.size()), expected);
    // The border window followed with the same alphas and ends opaque again.
    std::vector<int> borderAlphas = recorder.AlphasOf(border);
    borderAlphas.erase(std::unique(borderAlphas.begin(), borderAlphas.end()), borderAlphas.end());
    ASSERT_GE(borderAlphas.size(), expected.size());
    EXPECT_EQ(std::vector<int>(borderAlphas.begin() + 1, borderAlphas.begin() + expected.size()),
              std::vector<int>(expected.begin() + 1, expected.end()));
    EXPECT_EQ(borderAlphas.back(), 255);
    EXPECT_FALSE(Layered(window)) << "no longer layered after the drag";
    EXPECT_EQ(ClearLayeredWindows(recorder), 0);
}

// With composition on, the window's own transitions are switched off before it shows.
TEST_F(AppAnimationTest, WithCompositionTheSystemTransitionsAreSwitchedOff) {
    struct TCall {
        HWND Window;
        DWORD Attribute;
        BOOL Value;
    };
    static std::vector<TCall> calls;
    calls.clear();
    TacDwmFunctions saved = DwmFunctions();
    DwmFunctions().IsCompositionEnabled = [](BOOL* enabled) -> HRESULT {
        *enabled = TRUE;
        return S_OK;
    };
    DwmFunctions().SetWindowAttribute = [](HWND window, DWORD attribute, LPCVOID value, DWORD size) -> HRESULT {
        calls.push_back(TCall{window, attribute, size == sizeof(BOOL) ? *static_cast<const BOOL*>(value) : -1});
        return S_OK;
    };
    ShowMain();
    DwmFunctions() = saved;
    const bool switchedOff = std::any_of(calls.begin(), calls.end(), [&](const TCall& call) {
        return call.Window == form_->Handle() && call.Attribute == 3 && call.Value == TRUE;
    });
    EXPECT_TRUE(switchedOff);
    calls.clear();
    // Without composition nothing is asked of the window manager.
    TacDwmFunctions off = saved;
    off.IsCompositionEnabled = [](BOOL* enabled) -> HRESULT {
        *enabled = FALSE;
        return S_OK;
    };
    off.SetWindowAttribute = DwmFunctions().SetWindowAttribute;
    DwmFunctions() = off;
    DwmFunctions().SetWindowAttribute = [](HWND window, DWORD attribute, LPCVOID, DWORD) -> HRESULT {
        calls.push_back(TCall{window, attribute, 0});
        return S_OK;
    };
    TFormAbout about(form_.get());
    about.Show();
    Application->ProcessMessages();
    DwmFunctions() = saved;
    EXPECT_TRUE(calls.empty());
    about.Close();
    Application->ProcessMessages();
}

// A bitmap handed to the window manager, read back as it was at the call.
struct TRecordedBitmap {
    HWND Window = nullptr;
    int Width = 0;
    int Height = 0;
    std::vector<TPixel32> Pixels; // top-down
    TPixel32 At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};

TRecordedBitmap ReadBitmap(HWND window, HBITMAP bitmap) {
    TRecordedBitmap recorded;
    recorded.Window = window;
    BITMAP info{};
    if (::GetObjectA(bitmap, sizeof info, &info) == 0)
        return recorded;
    recorded.Width = info.bmWidth;
    recorded.Height = info.bmHeight;
    recorded.Pixels.resize(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), recorded.Pixels.data(), &header, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return recorded;
}

// The mean colour of an area, channel by channel.
std::array<double, 3> MeanColour(const std::function<TPixel32(int, int)>& at, int left, int top, int right,
                                 int bottom) {
    std::array<double, 3> sum{};
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const TPixel32 p = at(x, y);
            sum[0] += p & 0xFF;
            sum[1] += (p >> 8) & 0xFF;
            sum[2] += (p >> 16) & 0xFF;
        }
    const double count = std::max(1, (right - left) * (bottom - top));
    return {sum[0] / count, sum[1] / count, sum[2] / count};
}

// With composition the taskbar asks the program for the thumbnail and live preview of
// the application window, which owns the taskbar button: both show the skinned window
// as it lies on the screen, frame included.
TEST_F(AppAnimationTest, WithCompositionTheTaskbarPreviewsShowTheSkinnedFrame) {
    struct TAttribute {
        HWND Window;
        DWORD Attribute;
    };
    static std::vector<TAttribute> attributes;
    static std::vector<TRecordedBitmap> thumbnails, previews;
    attributes.clear();
    thumbnails.clear();
    previews.clear();
    TacDwmFunctions saved = DwmFunctions();
    DwmFunctions().IsCompositionEnabled = [](BOOL* enabled) -> HRESULT {
        *enabled = TRUE;
        return S_OK;
    };
    DwmFunctions().SetWindowAttribute = [](HWND window, DWORD attribute, LPCVOID value, DWORD) -> HRESULT {
        if (*static_cast<const BOOL*>(value) != FALSE)
            attributes.push_back(TAttribute{window, attribute});
        return S_OK;
    };
    DwmFunctions().SetIconicThumbnail = [](HWND window, HBITMAP bitmap, DWORD) -> HRESULT {
        thumbnails.push_back(ReadBitmap(window, bitmap));
        return S_OK;
    };
    DwmFunctions().SetIconicLivePreviewBitmap = [](HWND window, HBITMAP bitmap, POINT*, DWORD) -> HRESULT {
        previews.push_back(ReadBitmap(window, bitmap));
        return S_OK;
    };
    // The window the program runs as its main window answers for the application.
    struct TMainFormScope {
        TCustomForm* Saved;
        explicit TMainFormScope(TCustomForm& form) : Saved(Application->MainForm()) { Application->SetMainForm(&form); }
        ~TMainFormScope() { Application->SetMainForm(Saved); }
    } mainForm{*form_};
    ShowMain();
    HWND app = Application->Handle();
    auto asked = [&](HWND window, DWORD attribute) {
        return std::any_of(attributes.begin(), attributes.end(),
                           [&](const TAttribute& a) { return a.Window == window && a.Attribute == attribute; });
    };
    for (HWND window : {app, form_->Handle()}) {
        EXPECT_TRUE(asked(window, 7)) << "iconic representation forced";
        EXPECT_TRUE(asked(window, 10)) << "iconic bitmaps offered";
    }

    TsSkinProvider& provider = Provider();
    ASSERT_TRUE(provider.PaintFrame());
    TBitmap& cache = *provider.FrameCache();
    const TsMargins m = provider.Margins();
    const int width = cache.Width() - m[0] - m[2], height = cache.Height() - m[1] - m[3];
    const int caption = provider.CaptionHeight(true);
    ::SendMessageA(app, 0x0323, 0, MAKELPARAM(120, 200)); // at most 200 x 120
    ::SendMessageA(app, 0x0326, 0, 0);
    DwmFunctions() = saved;

    ASSERT_EQ(thumbnails.size(), 1u);
    const TRecordedBitmap& thumbnail = thumbnails[0];
    EXPECT_EQ(thumbnail.Window, app);
    const TacSizeI fitted = FitInside(width, height, 200, 120);
    EXPECT_EQ(thumbnail.Width, fitted.Width);
    EXPECT_EQ(thumbnail.Height, fitted.Height);
    // Scaled down, the title strip keeps its mean colour.
    const int thumbCaption = std::max(1, caption * thumbnail.Height / height);
    const auto shrunk = MeanColour([&](int x, int y) { return thumbnail.At(x, y); }, 2, 0, thumbnail.Width - 2,
                                   thumbCaption - 1);
    // The same area of the frame at full size.
    const auto full = MeanColour([&](int x, int y) { return cache.Pixels().At(x, y); },
                                 m[0] + 2 * width / thumbnail.Width, m[1],
                                 m[0] + (thumbnail.Width - 2) * width / thumbnail.Width,
                                 m[1] + (thumbCaption - 1) * height / thumbnail.Height);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_NEAR(shrunk[channel], full[channel], 24.0) << "channel " << channel;
    EXPECT_TRUE(std::all_of(thumbnail.Pixels.begin(), thumbnail.Pixels.end(),
                            [](TPixel32 p) { return (p >> 24) == 255; }))
        << "opaque";

    ASSERT_EQ(previews.size(), 1u);
    const TRecordedBitmap& preview = previews[0];
    EXPECT_EQ(preview.Window, app);
    ASSERT_EQ(preview.Width, width);
    ASSERT_EQ(preview.Height, height);
    // The frame as painted, pixel for pixel: the caption's middle row.
    const int row = caption / 2;
    int differing = 0;
    for (int x = 0; x < width; ++x)
        if ((preview.At(x, row) & 0x00FFFFFF) != (cache.Pixels().At(m[0] + x, m[1] + row) & 0x00FFFFFF))
            ++differing;
    EXPECT_EQ(differing, 0);
    // The preview shows where the application window lies: over the visible frame.
    RECT appRect{}, formRect{};
    ::GetWindowRect(app, &appRect);
    ::GetWindowRect(form_->Handle(), &formRect);
    const POINT offset = provider.BorderForm() != nullptr ? provider.BorderForm()->Offset() : POINT{0, 0};
    EXPECT_EQ(appRect.left, formRect.left + offset.x + m[0]);
    EXPECT_EQ(appRect.top, formRect.top + offset.y + m[1]);
}

// A skin that asks for it gets the desktop blurred behind its frame under composition,
// unless the manager forbids it; never behind the client area.
TEST_F(AppAnimationTest, WithCompositionTheFrameIsBlurredWhenTheSkinAsks) {
    struct TBlur {
        HWND Window;
        BOOL Enable;
        RECT Box;
        bool CoversClient;
    };
    static std::vector<TBlur> blurs;
    static POINT clientPoint;
    blurs.clear();
    TacDwmFunctions saved = DwmFunctions();
    DwmFunctions().IsCompositionEnabled = [](BOOL* enabled) -> HRESULT {
        *enabled = TRUE;
        return S_OK;
    };
    DwmFunctions().EnableBlurBehindWindow = [](HWND window, const TacDwmFunctions::TBlurBehind* blur) -> HRESULT {
        TBlur recorded{window, blur->Enable, RECT{}, false};
        if (blur->BlurRegion != nullptr) {
            ::GetRgnBox(blur->BlurRegion, &recorded.Box);
            recorded.CoversClient = ::PtInRegion(blur->BlurRegion, clientPoint.x, clientPoint.y) != FALSE;
        }
        blurs.push_back(recorded);
        return S_OK;
    };
    ShowMain();
    TsSkinProvider& provider = Provider();
    ASSERT_NE(provider.BorderForm(), nullptr);
    EXPECT_TRUE(blurs.empty()) << "the skin does not ask for it";
    Manager().Core().Model().SkinGlobals.AeroBlur = true;
    clientPoint = POINT{provider.ClientOffsetX() + 5, provider.ClientOffsetY() + 5};
    provider.BorderForm()->UpdateBorderWindow(true);
    ASSERT_EQ(blurs.size(), 1u);
    const TsMargins m = provider.Margins();
    TBitmap& cache = *provider.FrameCache();
    EXPECT_EQ(blurs[0].Window, provider.BorderForm()->BorderWindow());
    EXPECT_TRUE(blurs[0].Enable);
    EXPECT_EQ(blurs[0].Box.left, m[0]) << "not behind the shadow ring";
    EXPECT_EQ(blurs[0].Box.top, m[1]);
    EXPECT_EQ(blurs[0].Box.right, cache.Width() - m[2]);
    EXPECT_EQ(blurs[0].Box.bottom, cache.Height() - m[3]);
    EXPECT_FALSE(blurs[0].CoversClient);

    Manager().Effects.AllowAeroBluring = false;
    provider.BorderForm()->UpdateBorderWindow(true);
    ASSERT_EQ(blurs.size(), 2u);
    EXPECT_FALSE(blurs[1].Enable) << "switched off again";
    provider.BorderForm()->UpdateBorderWindow(true);
    EXPECT_EQ(blurs.size(), 2u) << "off stays off without further calls";
    DwmFunctions() = saved;
    Manager().Core().Model().SkinGlobals.AeroBlur = false;
    Manager().Effects.AllowAeroBluring = true;
}

// A skin switch with the About box open: each window gets a cross-fade window over it
// whose alpha rises over 9 frames while its old border window keeps the old look and
// fades in the last third (255 until the new look passes two thirds, then 192, 96, 0);
// afterwards both windows show the new frame and nothing of the fade is left.
TEST_F(AppAnimationTest, ASkinSwitchCrossFadesBothOpenWindows) {
    ShowMain();
    TFormAbout about(form_.get());
    about.Show();
    Application->ProcessMessages();
    const std::size_t before = ThreadWindows().size();
    HWND oldMain = Provider().BorderForm()->BorderWindow();
    HWND oldAbout = about.sSkinProvider1->BorderForm()->BorderWindow();
    int afterChange = 0;
    Provider().OnAfterAnimation = [&](TObject*, TacAnimEvent event) {
        afterChange += event == TacAnimEvent::aeSkinChanging ? 1 : 0;
    };
    TLayeredWindowRecorder recorder;
    Manager().SetSkinName("Marina Deck (internal)");
    Application->ProcessMessages();
    EXPECT_EQ(afterChange, 1);
    EXPECT_FALSE(AnimationRunning());

    std::vector<HWND> fades;
    for (const TLayeredCall& call : recorder.Calls)
        if (std::find(fades.begin(), fades.end(), call.Window) == fades.end() && call.Window != oldMain &&
            call.Window != oldAbout && !::IsWindow(call.Window))
            fades.push_back(call.Window);
    ASSERT_EQ(fades.size(), 2u) << "one cross-fade window for each open window";
    for (HWND fade : fades) {
        std::vector<int> alphas;
        for (const TLayeredCall* call : CallsOf(recorder, fade))
            alphas.push_back(call->Blend.SourceConstantAlpha);
        EXPECT_EQ(alphas, (std::vector<int>{0, 32, 64, 96, 128, 159, 191, 223, 255, 255, 255}));
    }
    for (HWND old : {oldMain, oldAbout}) {
        std::vector<int> alphas;
        for (const TLayeredCall* call : CallsOf(recorder, old))
            alphas.push_back(call->Blend.SourceConstantAlpha);
        // Handed the old look once, then again only as its alpha falls in the last third.
        EXPECT_EQ(alphas, (std::vector<int>{255, 192, 96, 0}));
        EXPECT_FALSE(::IsWindow(old)) << "the old border window went";
    }
    // The new border windows got the new frame.
    for (TsSkinProvider* provider : {&Provider(), about.sSkinProvider1}) {
        ASSERT_NE(provider->BorderForm(), nullptr);
        const TLayeredCall* shown = recorder.LastOf(provider->BorderForm()->BorderWindow());
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->Pixels.Width(), provider->FrameCache()->Width());
    }
    EXPECT_EQ(ClearLayeredWindows(recorder), 0);
    EXPECT_EQ(ThreadWindows().size(), before);
    Manager().SetSkinName(kZest);
    Application->ProcessMessages();
    about.Close();
    Application->ProcessMessages();
}

} // namespace
} // namespace sj

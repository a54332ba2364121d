// The animations of the program's windows, as recorded from the layered-window calls:
// both windows zoom in over 5 steps of 12 ms when they open, a skin switch cross-fades
// each open window in 9 frames, hiding and minimising leave the frame alone and no
// window behind, and with desktop composition the system's own transitions are off.
#include "shell/About.h"
#include "shell/MainUnit.h"
#include "shell/UtilFuncs.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/sFade.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/paint/LayeredWindowRecorder.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sSystemFunctions.h"

#include <gtest/gtest.h>

#include "platform/TempDir.h"

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

using test::TTempDir;
using test::WriteFile;

constexpr const char* kZest = "Zest (internal)";

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

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 3000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > milliseconds)
            return false;
        Application->ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
    return true;
}

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

class AppAnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(temp_ / "AppData");
        WriteFile(temp_ / "lamecore.dll", EncodeConfigText("[SYSTEM]\r\nName=Demo\r\nVersion=1.2\r\n"));
        savedEnvironment_ = MainEnvironment();
        MainEnvironment().ConfigFile = [this] { return temp_ / "lamecore.dll"; };
        MainEnvironment().ShellFolder = [this](const std::string&) { return temp_ / "AppData"; };
        savedTitle_ = Application->Title();
        Application->SetTitle("Demo");
        ::SetCursorPos(0, 0);
        // An earlier main window's end told the application to terminate (and left a
        // quit message); animations would then be skipped as at the program's end.
        MSG quit;
        while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        Application->ResetTerminated();
        windowsBefore_ = ThreadWindows().size();
        form_ = std::make_unique<TFormMain>(Application);
    }

    void TearDown() override {
        TVisibilityProbe::Form = nullptr;
        form_.reset();
        Application->ProcessMessages();
        Application->SetTitle(savedTitle_);
        MainEnvironment() = savedEnvironment_;
    }

    void ShowMain() {
        form_->Show();
        Application->ProcessMessages();
    }

    TsSkinProvider& Provider() { return *form_->sSkinProvider1; }
    TsSkinManager& Manager() {
        auto* manager = form_->FindComponentOf<TsSkinManager>("sSkinManager1");
        if (manager == nullptr)
            throw std::runtime_error("the main window has no skin manager");
        return *manager;
    }

    TTempDir temp_;
    TMessageBoxOverride boxes_{[](HWND, const std::string&, const std::string&, UINT) { return IDOK; }};
    std::unique_ptr<TFormMain> form_;
    std::size_t windowsBefore_ = 0;

private:
    TMainEnvironment savedEnvironment_;
    std::string savedTitle_;
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

// Minimising frees the border window only, without painting the compact frame into the
// window first; restoring makes a new one.
TEST_F(AppAnimationTest, MinimisingFreesTheBorderWindowOnlyAndRestoringMakesItAgain) {
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
// fades in the last third; afterwards both windows show the new frame and nothing of
// the fade is left.
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
        EXPECT_EQ(alphas, (std::vector<int>{255, 255, 255, 255, 255, 192, 96, 0, 0}));
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

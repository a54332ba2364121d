// The border window of the extended frame under Wine: where it lies in z-order beside
// normal, stay-on-top and dialog-style forms, and the frame a skin draws as part of its
// border image (BORDERMODE 1), against nine-slices computed here from the image.
#include "tests/skin/frame/ProviderHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/TempDir.h"
#include "skin/frame/sFade.h"
#include "tools/common/PngWriter.h"

namespace sj::provider_harness {
namespace {

bool Topmost(HWND window) {
    return (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// An owned window always lies above its owner: "directly behind" the form shows as the
// form's neighbour in z-order.
bool NextTo(HWND form, HWND window) {
    return ::GetWindow(form, GW_HWNDNEXT) == window || ::GetWindow(form, GW_HWNDPREV) == window;
}

bool Above(HWND upper, HWND lower) {
    for (HWND w = ::GetWindow(upper, GW_HWNDNEXT); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT))
        if (w == lower)
            return true;
    return false;
}

// The process's visible top-level windows from the top, for failure messages.
std::string ZOrder() {
    std::string text;
    for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(w, &process);
        if (process != ::GetCurrentProcessId() || !::IsWindowVisible(w))
            continue;
        char name[64] = {};
        ::GetClassNameA(w, name, sizeof name);
        text += std::string(Topmost(w) ? "^" : "") + name + " ";
    }
    return text;
}

HWND BorderOf(TProviderHarnessForm& form) {
    TacBorderForm* border = form.Provider->BorderForm();
    return border != nullptr ? border->BorderWindow() : nullptr;
}

// Some other program's window, brought up over the form.
class TOtherWindow {
public:
    TOtherWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "ProviderBorderOther";
        ::RegisterClassA(&wc);
        window_ = ::CreateWindowExA(0, wc.lpszClassName, "Other", WS_OVERLAPPEDWINDOW, 120, 90, 300, 200, nullptr,
                                    nullptr, wc.hInstance, nullptr);
    }
    ~TOtherWindow() { ::DestroyWindow(window_); }
    TOtherWindow(const TOtherWindow&) = delete;
    TOtherWindow& operator=(const TOtherWindow&) = delete;

    HWND Handle() const { return window_; }
    void BringUp() {
        ::SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(window_);
        Pump(100);
    }

private:
    HWND window_ = nullptr;
};

std::unique_ptr<TProviderHarnessForm> ShownForm(const std::string& description) {
    auto form = std::make_unique<TProviderHarnessForm>(Application, description);
    form->Show();
    ::SetForegroundWindow(form->Handle());
    Pump(100);
    return form;
}

// Desktop composition reported on, whatever the system says.
class TCompositionOn {
public:
    TCompositionOn() : saved_(DwmFunctions()) {
        DwmFunctions().IsCompositionEnabled = [](BOOL* enabled) -> HRESULT {
            *enabled = TRUE;
            return S_OK;
        };
    }
    ~TCompositionOn() { DwmFunctions() = saved_; }
    TCompositionOn(const TCompositionOn&) = delete;
    TCompositionOn& operator=(const TCompositionOn&) = delete;

private:
    TacDwmFunctions saved_;
};

class TMainFormScope {
public:
    explicit TMainFormScope(TCustomForm* form) : before_(Application->MainForm()) { Application->SetMainForm(form); }
    ~TMainFormScope() { Application->SetMainForm(before_); }
    TMainFormScope(const TMainFormScope&) = delete;
    TMainFormScope& operator=(const TMainFormScope&) = delete;

private:
    TCustomForm* before_;
};

// ---- z-order ---------------------------------------------------------------------------------

TEST(BorderWindowOrder, NormalFormsBorderWindowLiesBesideItAndComesUpWithIt) {
    auto form = ShownForm(ProviderHarnessFormText(kZest, true));
    HWND border = BorderOf(*form);
    ASSERT_NE(border, nullptr);
    EXPECT_TRUE(NextTo(form->Handle(), border)) << ZOrder();
    EXPECT_FALSE(Topmost(border));

    // (Wine restacks a layered window over a newly activated one by itself, so what
    // lies over the frame meanwhile is not asked here.)
    TOtherWindow other;
    other.BringUp();
    EXPECT_TRUE(Above(other.Handle(), form->Handle()));
    ::SetWindowPos(form->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(100);
    EXPECT_TRUE(Above(form->Handle(), other.Handle()));
    EXPECT_TRUE(Above(border, other.Handle())) << ZOrder();
    EXPECT_TRUE(NextTo(form->Handle(), border)) << ZOrder();
    EXPECT_FALSE(Topmost(border));
}

TEST(BorderWindowOrder, StayOnTopFormKeepsItsBorderWindowTopmostBesideIt) {
    auto form = ShownForm(Replaced(ProviderHarnessFormText(kZest, true), "  BorderStyle = bsSizeable\n",
                                   "  BorderStyle = bsSizeable\n  FormStyle = fsStayOnTop\n"));
    HWND window = form->Handle();
    HWND border = BorderOf(*form);
    ASSERT_NE(border, nullptr);
    ASSERT_TRUE(Topmost(window));
    EXPECT_TRUE(Topmost(border));
    EXPECT_TRUE(NextTo(window, border));

    TOtherWindow other;
    other.BringUp();
    EXPECT_TRUE(Topmost(border));
    EXPECT_TRUE(NextTo(window, border));
    EXPECT_TRUE(Above(border, other.Handle()));
    EXPECT_TRUE(Above(window, other.Handle()));

    // Pushed out of the topmost band behind its back, the form goes back, and the
    // border window with it.
    ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Pump(50);
    EXPECT_TRUE(Topmost(window));
    EXPECT_TRUE(Topmost(border));
    EXPECT_TRUE(NextTo(window, border));

    // Moved, it takes the border window along in the topmost band.
    ::SetWindowPos(window, nullptr, 140, 110, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(50);
    EXPECT_TRUE(Topmost(border));
    EXPECT_TRUE(NextTo(window, border));

    // No longer on top: neither is its frame.
    form->SetFormStyle(TFormStyle::fsNormal);
    Pump(50);
    EXPECT_FALSE(Topmost(window));
    EXPECT_FALSE(Topmost(border));
    EXPECT_TRUE(NextTo(window, border));
}

// A dialog-style harness form shown as the application's main form.
class DialogBorderOrder : public ::testing::Test {
protected:
    void Open() {
        form = std::make_unique<TProviderHarnessForm>(
            Application,
            Replaced(ProviderHarnessFormText(kZest, true), "BorderStyle = bsSizeable", "BorderStyle = bsDialog"));
        mainForm = std::make_unique<TMainFormScope>(form.get());
        form->Show();
        ::SetForegroundWindow(form->Handle());
        Pump(100);
        border = BorderOf(*form);
    }
    void TearDown() override {
        mainForm.reset();
        form.reset();
        Pump();
    }

    std::unique_ptr<TProviderHarnessForm> form;
    std::unique_ptr<TMainFormScope> mainForm;
    HWND border = nullptr;
};

TEST_F(DialogBorderOrder, MainFormsBorderWindowIsTopmostOnlyWhileActiveUnderComposition) {
    const TCompositionOn composition;
    Open();
    ASSERT_NE(border, nullptr);
    ASSERT_EQ(form->Provider->FormActive(), 1);
    EXPECT_TRUE(Topmost(border));
    EXPECT_FALSE(Topmost(form->Handle()));
    EXPECT_TRUE(Above(border, form->Handle()));

    TOtherWindow other;
    other.BringUp();
    EXPECT_EQ(form->Provider->FormActive(), 0);
    EXPECT_FALSE(Topmost(border)) << "an inactive form's frame must not float over other windows";

    ::SetWindowPos(form->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(100);
    EXPECT_EQ(form->Provider->FormActive(), 1);
    EXPECT_TRUE(Topmost(border));
    EXPECT_TRUE(NextTo(form->Handle(), border)) << ZOrder();
}

TEST_F(DialogBorderOrder, BorderWindowKeepsBehindTheFormWithoutComposition) {
    Open();
    ASSERT_NE(border, nullptr);
    EXPECT_FALSE(Topmost(border));
    EXPECT_TRUE(NextTo(form->Handle(), border));

    // Put elsewhere by someone else, it comes back behind the form at once.
    TOtherWindow other;
    ::ShowWindow(other.Handle(), SW_SHOWNOACTIVATE);
    ::SetWindowPos(border, other.Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Pump(50);
    EXPECT_TRUE(NextTo(form->Handle(), border));
    EXPECT_EQ(::GetActiveWindow(), form->Handle());
}

// ---- a frame drawn by the border image (BORDERMODE 1) ----------------------------------------

constexpr int kBorderWidth = 4, kTitleHeight = 24, kFormOffset = 6;
constexpr int kImageWidth = 40, kImageHeight = 80;
constexpr int kSourceLeft = 12, kSourceTop = 45, kSourceRight = 14, kSourceBottom = 10;
constexpr std::int32_t kFormColor = 0x00336699;

// Every pixel its own, every other column half transparent (premultiplied).
TacPixmap FramingImage() {
    TacPixmap image(kImageWidth, kImageHeight);
    for (int y = 0; y < kImageHeight; ++y)
        for (int x = 0; x < kImageWidth; ++x) {
            const bool translucent = x % 2 == 1;
            const std::uint32_t alpha = translucent ? 0x80 : 0xFF;
            const std::uint32_t red = translucent ? x * 3 : x * 6, green = translucent ? y : y * 3;
            image.At(x, y) = (alpha << 24) | (red << 16) | (green << 8) | 0x20;
        }
    return image;
}

std::string FramingSkinText() {
    return "[GLOBALINFO]\r\nVERSION=8.00\r\nBORDERWIDTH=" + std::to_string(kBorderWidth) +
           "\r\nTITLEHEIGHT=" + std::to_string(kTitleHeight) + "\r\nFORMOFFSET=" + std::to_string(kFormOffset) +
           "\r\nBORDERMODE=1\r\n"
           // Paint flags 3: bit 0 stretches the sides.
           "EXBORDER=!EXB.PNG!1!0!3!0012!0045!0014!0010!3\r\n"
           "[FORM]\r\nSTATES=1\r\nCOLOR=" +
           std::to_string(kFormColor) + "\r\n";
}

// Where a cache pixel comes from in one direction of the nine-slice: the pieces before
// `first` and after `last` unscaled, the middle stretched over the rest.
int SourceOf(int at, int size, int first, int last, int imageSize) {
    if (at < first)
        return at;
    if (at >= size - last)
        return imageSize - (size - at);
    return first + (at - first) * (imageSize - first - last) / (size - first - last);
}

bool InsideAny(const std::vector<RECT>& rects, int x, int y) {
    return std::any_of(rects.begin(), rects.end(),
                       [&](const RECT& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; });
}

class FramingRing : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string skinFolder = skins / "RingFrame";
        std::filesystem::create_directories(skinFolder);
        test::WriteFile(skinFolder + "\\Options.dat", FramingSkinText());
        const std::vector<std::uint8_t> png = tools::EncodePng(FramingImage());
        test::WriteFile(skinFolder + "\\Exb.png", std::string(png.begin(), png.end()));
        std::string folder = skins.Folder();
        folder.pop_back();
        std::string text = Replaced(ProviderHarnessFormText("RingFrame", true), "SkinDirectory = 'c:\\Skins'",
                                    "SkinDirectory = '" + folder + "'");
        form = ShownForm(Replaced(text, "ClientHeight = 260", "ClientHeight = 20"));
        ASSERT_EQ(form->Manager->SkinName(), "RingFrame");
        ASSERT_TRUE(form->Provider->PaintFrame());
    }
    TsSkinProvider& provider() { return *form->Provider; }

    test::TTempDir skins;
    std::unique_ptr<TProviderHarnessForm> form;
};

TEST_F(FramingRing, RingIsTheImagesNineSliceOverFrameAndCaptionStrip) {
    ASSERT_NE(provider().BorderForm(), nullptr);
    EXPECT_EQ(provider().Margins(), (TsMargins{kFormOffset, kFormOffset, kFormOffset, kFormOffset}));
    const TacPixmap& image = form->Manager->Model().ExtBorderActive;
    ASSERT_EQ(image.Width(), kImageWidth);
    TacPixelsView cache = provider().FrameCache()->Pixels();
    const int w = cache.Width, h = cache.Height;
    ASSERT_EQ(h, form->ClientHeight() + kBorderWidth + kTitleHeight + 2 * kFormOffset);
    // The ring reaches to the client area.
    const int side = kFormOffset + kBorderWidth, top = kFormOffset + kTitleHeight;
    EXPECT_EQ(provider().ClientOffsetX(), side);
    EXPECT_EQ(provider().ClientOffsetY(), top);
    // A short form: the top source border is cut to the caption and half the rest.
    const int sourceTop = std::min(kSourceTop, (h - kTitleHeight) / 2 + kTitleHeight);
    ASSERT_LT(sourceTop, kSourceTop) << "the form is short enough for the limit";
    const int sourceBottom = std::min(kSourceBottom, (h - kTitleHeight) / 2);

    // Painted over the image: the caption text with the added title, icon and buttons.
    const RECT text = provider().CaptionTextRect();
    std::vector<RECT> over{RECT{text.left, text.top, w - kFormOffset, text.bottom}, provider().IconRect()};
    for (int code : {HTMINBUTTON, HTMAXBUTTON, HTCLOSE, HTHELP})
        over.push_back(provider().Button(code).Rect);
    int compared = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool ring = x < side || x >= w - side || y < top || y >= h - side;
            if (!ring || InsideAny(over, x, y))
                continue;
            const int sx = SourceOf(x, w, kSourceLeft, kSourceRight, kImageWidth);
            const int sy = SourceOf(y, h, sourceTop, sourceBottom, kImageHeight);
            ASSERT_EQ(cache.At(x, y), image.At(sx, sy)) << x << "," << y << " from " << sx << "," << sy;
            ++compared;
        }
    EXPECT_GT(compared, 2 * h * side) << "the sides and the bottom at least";
    // Inside the ring the form's own face, without a frame of its own.
    EXPECT_EQ(cache.At(side, top) & 0x00FFFFFFu, ColorToPixelOrder(static_cast<TColor>(kFormColor)) & 0x00FFFFFFu);
    EXPECT_EQ(cache.At(w - side - 1, h - side - 1) & 0x00FFFFFFu,
              ColorToPixelOrder(static_cast<TColor>(kFormColor)) & 0x00FFFFFFu);
}

TEST_F(FramingRing, CaptionTextShowsOverTheImage) {
    const TacPixmap& image = form->Manager->Model().ExtBorderActive;
    TacPixelsView cache = provider().FrameCache()->Pixels();
    const RECT text = provider().CaptionTextRect();
    ASSERT_GT(text.right, text.left);
    ASSERT_LT(text.bottom, kFormOffset + kTitleHeight + 1) << "the text lies in the caption strip";
    const int w = cache.Width, h = cache.Height;
    const int sourceTop = std::min(kSourceTop, (h - kTitleHeight) / 2 + kTitleHeight);
    const int sourceBottom = std::min(kSourceBottom, (h - kTitleHeight) / 2);
    int inked = 0;
    for (int y = text.top; y < text.bottom; ++y)
        for (int x = text.left; x < text.right; ++x) {
            const TPixel32 under = image.At(SourceOf(x, w, kSourceLeft, kSourceRight, kImageWidth),
                                            SourceOf(y, h, sourceTop, sourceBottom, kImageHeight));
            if ((cache.At(x, y) & 0x00FFFFFFu) != (under & 0x00FFFFFFu))
                ++inked;
            EXPECT_EQ(cache.At(x, y) >> 24, 0xFFu) << "text is opaque: " << x << "," << y;
        }
    EXPECT_GT(inked, 20) << "the caption's letters";
}

} // namespace
} // namespace sj::provider_harness

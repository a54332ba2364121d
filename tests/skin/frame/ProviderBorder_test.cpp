// The border window of the extended frame under Wine: where it lies in z-order beside
// normal, stay-on-top and dialog-style forms.
#include "tests/skin/frame/ProviderHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "skin/frame/sFade.h"

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

} // namespace
} // namespace sj::provider_harness

// Preview mode under Wine: the first form shown registers with a window titled "Skin
// Editor" made here, shows without its animation, and takes live skins sent to it as
// copy-data messages; without the flag nothing is sent and the form animates.
#include "tests/skin/frame/ProviderHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace sj::provider_harness {
namespace {

// Answers the registration `refusals` times with 0, then with 1.
class TSkinEditorWindow {
public:
    explicit TSkinEditorWindow(int refusals = 0) : refusals_(refusals) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &TSkinEditorWindow::Procedure;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "ProviderPreviewEditor";
        ::RegisterClassA(&wc);
        window_ = ::CreateWindowExA(0, wc.lpszClassName, "Skin Editor", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                    nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TSkinEditorWindow() { ::DestroyWindow(window_); }
    TSkinEditorWindow(const TSkinEditorWindow&) = delete;
    TSkinEditorWindow& operator=(const TSkinEditorWindow&) = delete;

    struct TReceived {
        WPARAM WParam;
        HWND Form;
    };
    std::vector<TReceived> Received;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TSkinEditorWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self == nullptr || msg != SkinEditorMessage)
            return ::DefWindowProcA(window, msg, wParam, lParam);
        self->Received.push_back(TReceived{wParam, reinterpret_cast<HWND>(lParam)});
        return self->refusals_-- > 0 ? 0 : 1;
    }

    HWND window_ = nullptr;
    int refusals_;
};

class TPreviewScope {
public:
    explicit TPreviewScope(bool on) { SetPreviewMode(on); }
    ~TPreviewScope() { SetPreviewMode(false); }
    TPreviewScope(const TPreviewScope&) = delete;
    TPreviewScope& operator=(const TPreviewScope&) = delete;
};

// A harness form whose show animation runs (Time 70, as the program has it), counting
// the animations it finished.
struct TCountedForm {
    std::unique_ptr<TProviderHarnessForm> Form;
    int ShowAnimations = 0;

    explicit TCountedForm(const std::string& name = "ProviderHarness")
        : Form(std::make_unique<TProviderHarnessForm>(
              Application, Replaced(ProviderHarnessFormText(kZest, true), "object ProviderHarness:",
                                    "object " + name + ":"))) {
        Form->Manager->AnimEffects.FormShow.Time = 70;
        Form->Provider->OnAfterAnimation = [this](TObject*, TacAnimEvent event) {
            if (event == TacAnimEvent::aeShowing)
                ++ShowAnimations;
        };
    }
    void Show() {
        Form->Show();
        Pump(300);
    }
};

// The live skin record: magic, name, folder, description, 30646 bytes in all.
std::vector<std::uint8_t> LiveSkinRecord(const std::string& name, const std::string& description) {
    std::vector<std::uint8_t> block(30646, 0);
    const std::int32_t magic = 0xA400;
    std::memcpy(block.data(), &magic, 4);
    const std::string folder = "c:\\NoSkinsHere";
    std::memcpy(block.data() + 4, name.data(), name.size());
    std::memcpy(block.data() + 132, folder.data(), folder.size());
    std::memcpy(block.data() + 645, description.data(), description.size());
    return block;
}

LRESULT SendLiveSkin(HWND form, std::vector<std::uint8_t>& record) {
    COPYDATASTRUCT data{};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>(record.size());
    data.lpData = record.data();
    return ::SendMessageA(form, WM_COPYDATA, LiveSkinCopyDataKind, reinterpret_cast<LPARAM>(&data));
}

TEST(PreviewMode, FirstShownFormRegistersUntilTheEditorTakesItAndShowsWithoutAnimation) {
    const TPreviewScope preview(true);
    TSkinEditorWindow editor(2);
    TCountedForm first;
    first.Show();
    ASSERT_EQ(editor.Received.size(), 3u) << "asked again until the editor answered 1";
    for (const auto& message : editor.Received) {
        EXPECT_EQ(message.WParam, SkinEditorRegisterForm);
        EXPECT_EQ(message.Form, first.Form->Handle());
    }
    EXPECT_EQ(first.ShowAnimations, 0);

    // Once per process: the next form shown is not registered and animates as usual.
    TCountedForm second("SecondForm");
    second.Show();
    EXPECT_EQ(editor.Received.size(), 3u);
    EXPECT_EQ(second.ShowAnimations, 1);
    // Shown again, the registered form still does not animate.
    first.Form->Hide();
    Pump(50);
    first.Show();
    EXPECT_EQ(first.ShowAnimations, 0);
}

TEST(PreviewMode, EditorThatNeverAcceptsIsAskedAHundredAndOneTimes) {
    const TPreviewScope preview(true);
    TSkinEditorWindow editor(1000);
    TCountedForm form;
    form.Show();
    EXPECT_EQ(editor.Received.size(), 101u);
}

TEST(PreviewMode, WithoutTheFlagNothingIsSentAndTheFormAnimates) {
    const TPreviewScope preview(false);
    TSkinEditorWindow editor;
    TCountedForm form;
    form.Show();
    EXPECT_TRUE(editor.Received.empty());
    EXPECT_EQ(form.ShowAnimations, 1);
    auto record = LiveSkinRecord("Edited", "[GLOBALINFO]\r\nVERSION=8.5\r\n[FORM]\r\nCOLOR=255\r\n");
    EXPECT_EQ(SendLiveSkin(form.Form->Handle(), record), 0);
    EXPECT_EQ(form.Form->Manager->SkinName(), kZest);
}

TEST(PreviewMode, LiveSkinSentToTheRegisteredFormChangesTheSkin) {
    const TPreviewScope preview(true);
    TSkinEditorWindow editor;
    TCountedForm form;
    form.Show();
    ASSERT_EQ(editor.Received.size(), 1u);
    TsSkinProvider& provider = *form.Form->Provider;
    ASSERT_TRUE(provider.PaintFrame());

    const std::int32_t red = 0x000000FF;
    auto record = LiveSkinRecord("Edited", "[GLOBALINFO]\r\nVERSION=8.5\r\n[FORM]\r\nSTATES=1\r\nCOLOR=" + std::to_string(red) +
                                               "\r\n");
    EXPECT_EQ(SendLiveSkin(form.Form->Handle(), record), 1);
    Pump(100);
    EXPECT_EQ(form.Form->Manager->SkinName(), "Edited");
    EXPECT_EQ(form.Form->Manager->SkinInfo(), "8.5");
    ASSERT_TRUE(provider.PaintFrame());
    const POINT client{provider.ClientOffsetX() + 4, provider.ClientOffsetY() + 4};
    EXPECT_EQ(provider.FrameCache()->Pixels().At(client.x, client.y) & 0x00FFFFFFu,
              ColorToPixelOrder(static_cast<TColor>(red)) & 0x00FFFFFFu)
        << "the frame shows the edited skin";

    // One arriving while this one loads is dropped.
    auto second = LiveSkinRecord("Nested", "[GLOBALINFO]\r\nVERSION=8.6\r\n");
    LRESULT nested = -1;
    form.Form->Manager->OnAfterChange = [&](TObject*) {
        if (nested == -1)
            nested = SendLiveSkin(form.Form->Handle(), second);
    };
    auto third = LiveSkinRecord("Outer", "[GLOBALINFO]\r\nVERSION=8.7\r\n");
    EXPECT_EQ(SendLiveSkin(form.Form->Handle(), third), 1);
    form.Form->Manager->OnAfterChange = nullptr;
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(form.Form->Manager->SkinName(), "Outer");

    // Another kind of copy-data message is the manager's to refuse.
    COPYDATASTRUCT other{};
    other.cbData = static_cast<DWORD>(record.size());
    other.lpData = record.data();
    EXPECT_EQ(::SendMessageA(form.Form->Handle(), WM_COPYDATA, 6, reinterpret_cast<LPARAM>(&other)), 0);
}

} // namespace
} // namespace sj::provider_harness

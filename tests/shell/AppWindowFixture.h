// What the tests of the program's windows share: a main window made with a product file
// and a data folder of the test's own, the window's provider and skin manager, the
// windows of the test's thread, and a message loop run until something happened.
#pragma once

#include "forms/Dialogs.h"
#include "shell/MainUnit.h"
#include "shell/UtilFuncs.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/sSkinProvider.h"

#include <gtest/gtest.h>

#include "platform/TempDir.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace sj::test {

inline constexpr const char* kZest = "Zest (internal)";

// The windows of this thread, visible or not.
inline std::vector<HWND> ThreadWindows() {
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

// Runs the message loop until done() or the time is up; answers done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 3000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > milliseconds)
            return false;
        Application->ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
    return true;
}

class TAppWindowTest : public ::testing::Test {
protected:
    // showOnSetUp: the window is shown (and its show animation run) before each test.
    explicit TAppWindowTest(bool showOnSetUp) : showOnSetUp_(showOnSetUp) {}

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
        if (showOnSetUp_) {
            form_->Show();
            Application->ProcessMessages();
        }
    }

    void TearDown() override {
        if (Application->MainForm() == form_.get())
            Application->SetMainForm(nullptr);
        form_.reset();
        Application->ProcessMessages();
        Application->SetTitle(savedTitle_);
        MainEnvironment() = savedEnvironment_;
    }

    TFormMain& Form() { return *form_; }
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
    bool showOnSetUp_;
    TMainEnvironment savedEnvironment_;
    std::string savedTitle_;
};

} // namespace sj::test

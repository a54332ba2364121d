// The real SplitJoin.exe started as a user starts it and closed as a user closes it:
// the process must end by itself, with exit code 0, whatever was opened before.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace {

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "SplitJoin.exe";
}

// Wine would otherwise show its crash dialog and keep a crashed program alive; with
// the dialog off a crash ends the process with an error code the test sees.
void SwitchOffWineCrashDialog() {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineDbg", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) == ERROR_SUCCESS) {
        const DWORD off = 0;
        ::RegSetValueExA(key, "ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof(off));
        ::RegCloseKey(key);
    }
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

struct TWindowSearch {
    DWORD ProcessId;
    std::string Title;     // empty: any
    std::string ClassName; // empty: any
    HWND Found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<TWindowSearch*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.ProcessId || !::IsWindowVisible(window))
        return TRUE;
    char text[256] = {}, className[256] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    ::GetClassNameA(window, className, sizeof(className));
    if ((search.Title.empty() || search.Title == text) && (search.ClassName.empty() || search.ClassName == className) &&
        std::string(className) != "TApplication") {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindProcessWindow(DWORD processId, const std::string& title, const std::string& className = {}) {
    TWindowSearch search{processId, title, className};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

BOOL CALLBACK MatchHelpButton(HWND window, LPARAM data) {
    char text[64] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    if (std::string(text) == "Help") {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

class ProgramExit : public testing::Test {
protected:
    void SetUp() override {
        SwitchOffWineCrashDialog();
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        std::string command = "\"" + ProgramPath() + "\"";
        ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &FProcess))
            << "cannot start " << command;
        ::WaitForInputIdle(FProcess.hProcess, 20000);
        ASSERT_TRUE(WaitFor([this] { return (FMain = FindProcessWindow(FProcess.dwProcessId, "SplitJoin")) != nullptr; }))
            << "the main window did not appear";
    }
    void TearDown() override {
        if (FProcess.hProcess != nullptr) {
            if (::WaitForSingleObject(FProcess.hProcess, 0) == WAIT_TIMEOUT)
                ::TerminateProcess(FProcess.hProcess, 99);
            ::CloseHandle(FProcess.hThread);
            ::CloseHandle(FProcess.hProcess);
        }
    }

    // Closes the main window with its close command and waits for the process.
    void CloseAndExpectCleanExit() {
        ::PostMessageA(FMain, WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_EQ(::WaitForSingleObject(FProcess.hProcess, 30000), WAIT_OBJECT_0) << "the program did not end";
        DWORD code = 1;
        ::GetExitCodeProcess(FProcess.hProcess, &code);
        EXPECT_EQ(code, 0u) << "exit code 0x" << std::hex << code;
    }

    PROCESS_INFORMATION FProcess{};
    HWND FMain = nullptr;
};

TEST_F(ProgramExit, ClosingTheMainWindowEndsTheProcessWithCodeZero) {
    CloseAndExpectCleanExit();
}

TEST_F(ProgramExit, EndsCleanlyAfterTheHelpMenuAndTheAboutBox) {
    HWND help = nullptr;
    ::EnumChildWindows(FMain, MatchHelpButton, reinterpret_cast<LPARAM>(&help));
    ASSERT_NE(help, nullptr);
    ::PostMessageA(help, BM_CLICK, 0, 0);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = FindProcessWindow(FProcess.dwProcessId, "", "#32768")) != nullptr; }))
        << "the help menu did not open";
    // Up from no selection picks the last item, "About...".
    ::PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (about = FindProcessWindow(FProcess.dwProcessId, "About SplitJoin")) != nullptr; }))
        << "the About box did not open";
    ::PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return FindProcessWindow(FProcess.dwProcessId, "About SplitJoin") == nullptr; }));
    CloseAndExpectCleanExit();
}

} // namespace

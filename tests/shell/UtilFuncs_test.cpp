#include "shell/UtilFuncs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sj {
namespace {

TEST(GetShellFolder, FallsBackToDriveC) {
    EXPECT_EQ(GetShellFolder("NoSuchShellFolderValue"), "C:\\");
    EXPECT_EQ(GetShellFolder(""), "C:\\");
}

TEST(GetShellFolder, FindsTheUsersApplicationDataFolder) {
    const std::string appData = GetShellFolder("AppData");
    EXPECT_NE(appData, "C:\\");
    const DWORD attributes = ::GetFileAttributesA(appData.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << appData;
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(ConfigFileName, ReadsTheProductConfigurationBesideTheProgram) {
    const std::string path = ConfigFileName();
    EXPECT_EQ(path, ExecutableFolder() + "lamecore.dll");
    EXPECT_EQ(ReadApplicationTitle(path), "SplitJoin");
    TGlobalVars vars;
    LoadProductStrings(path, vars);
    EXPECT_FALSE(vars.Version.empty());
    EXPECT_FALSE(vars.HomePageLink.empty());
}

TEST(ApplicationIcon, LoadsAtEverySizeTheProgramShows) {
    const std::string path = ExecutableFolder() + "icon.ico";
    for (const int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(::LoadImageA(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP bitmap{};
        ::GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(icon);
    }
}

TEST(OpenWithShell, HandsTheTargetToTheReplaceableHandlerUnchanged) {
    std::vector<std::string> opened;
    const TShellOpenHandler previous =
        SetShellOpenHandler([&](const std::string& target) { opened.push_back(target); });
    OpenWithShell("https://splitjoin.example.org/help/");
    OpenWithShell("");
    SetShellOpenHandler(previous);
    EXPECT_EQ(opened, (std::vector<std::string>{"https://splitjoin.example.org/help/", ""}));
}

TEST(BrowseForFolder, GoesThroughTheReplaceableBrowser) {
    HWND seenOwner = nullptr;
    std::string seenTitle;
    UINT seenFlags = 0;
    const TFolderBrowser previous = SetFolderBrowser(
        [&](HWND owner, std::string& folder, const std::string& title, UINT flags, const std::string&) {
            seenOwner = owner;
            seenTitle = title;
            seenFlags = flags;
            if (folder != "C:\\Start")
                return false;
            folder = "D:\\Chosen";
            return true;
        });
    HWND owner = ::GetDesktopWindow();
    std::string folder = "C:\\Start";
    EXPECT_TRUE(BrowseForFolder(owner, folder, "Please select a folder", BrowseFolderFlags));
    EXPECT_EQ(folder, "D:\\Chosen");
    EXPECT_FALSE(BrowseForFolder(owner, folder, "Please select a folder", BrowseFolderFlags));
    EXPECT_EQ(folder, "D:\\Chosen") << "a cancelled browser leaves the folder alone";
    SetFolderBrowser(previous);
    EXPECT_EQ(seenOwner, owner);
    EXPECT_EQ(seenTitle, "Please select a folder");
    EXPECT_EQ(seenFlags, 65u);
}

// A window that records the browser messages the callback sends it.
struct TRecordedMessage {
    UINT Message;
    WPARAM WParam;
    std::string Text;
};
std::vector<TRecordedMessage> Recorded;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BFFM_SETSELECTIONA || message == BFFM_SETSTATUSTEXTA || message == BFFM_ENABLEOK) {
        const bool text = message != BFFM_ENABLEOK && lParam != 0;
        Recorded.push_back({message, wParam, text ? reinterpret_cast<const char*>(lParam) : ""});
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

class BrowseCallbackTest : public testing::Test {
protected:
    void SetUp() override {
        Recorded.clear();
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &RecordingProc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "SjBrowseCallbackProbe";
        ::RegisterClassA(&windowClass);
        FWindow = ::CreateWindowExA(0, "SjBrowseCallbackProbe", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
        ASSERT_NE(FWindow, nullptr);
    }
    void TearDown() override { ::DestroyWindow(FWindow); }

    HWND FWindow = nullptr;
};

TEST_F(BrowseCallbackTest, PreselectsTheInitialFolder) {
    const char initial[] = "C:\\windows";
    EXPECT_EQ(BrowseCallback(FWindow, BFFM_INITIALIZED, 0, reinterpret_cast<LPARAM>(initial)), 0);
    ASSERT_EQ(Recorded.size(), 1u);
    EXPECT_EQ(Recorded[0].Message, static_cast<UINT>(1126));
    EXPECT_EQ(Recorded[0].WParam, 1u);
    EXPECT_EQ(Recorded[0].Text, "C:\\windows");
}

TEST_F(BrowseCallbackTest, ShowsTheSelectedPathAndKeepsOkForFolders) {
    PIDLIST_ABSOLUTE item = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_WINDOWS, &item)));
    char expected[MAX_PATH] = {};
    ::SHGetPathFromIDListA(item, expected);
    EXPECT_EQ(BrowseCallback(FWindow, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(item), 0), 0);
    ::CoTaskMemFree(item);
    ASSERT_EQ(Recorded.size(), 1u);
    EXPECT_EQ(Recorded[0].Message, static_cast<UINT>(1124));
    EXPECT_EQ(Recorded[0].Text, expected);
    EXPECT_FALSE(Recorded[0].Text.empty());
}

TEST_F(BrowseCallbackTest, DisablesOkForVirtualItems) {
    PIDLIST_ABSOLUTE item = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, &item)));
    BrowseCallback(FWindow, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(item), 0);
    ::CoTaskMemFree(item);
    ASSERT_EQ(Recorded.size(), 2u);
    EXPECT_EQ(Recorded[0].Message, static_cast<UINT>(1124));
    EXPECT_EQ(Recorded[0].Text, "");
    EXPECT_EQ(Recorded[1].Message, static_cast<UINT>(1125));
    EXPECT_EQ(Recorded[1].WParam, 0u);
}

TEST_F(BrowseCallbackTest, IgnoresOtherMessages) {
    EXPECT_EQ(BrowseCallback(FWindow, 3 /* validation failed */, 0, 0), 0);
    EXPECT_TRUE(Recorded.empty());
}

// Confirms the real browser from a timer its modal loop dispatches, once the dialog has
// been up for a few ticks so that it has settled on the initial folder.
int TicksWithBrowser = 0;

void CALLBACK ConfirmBrowser(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = ::GetActiveWindow();
    char className[32] = {};
    if (dialog == nullptr || !::GetClassNameA(dialog, className, sizeof className) ||
        std::string(className) != "#32770")
        return;
    if (++TicksWithBrowser < 3)
        return;
    ::KillTimer(nullptr, timer);
    ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST(ShellBrowseForFolder, OpensAtTheInitialFolderAndReturnsTheChoice) {
    char windowsFolder[MAX_PATH] = {};
    ASSERT_GT(::GetWindowsDirectoryA(windowsFolder, MAX_PATH), 0u);
    std::string folder = windowsFolder;
    TicksWithBrowser = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &ConfirmBrowser);
    const bool confirmed = ShellBrowseForFolder(nullptr, folder, "Please select a folder", BrowseFolderFlags, {});
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(confirmed);
    EXPECT_TRUE(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, folder.c_str(), -1, windowsFolder, -1) == CSTR_EQUAL)
        << folder << " vs " << windowsFolder;
}

class Win32WaitCursorTest : public testing::Test {
protected:
    void SetUp() override {
        while (WaitCursorCount() > 0)
            EndWaitCursor();
        SetWaitCursorSetter(nullptr);
    }
    static HCURSOR Wait() { return ::LoadCursorA(nullptr, IDC_WAIT); }
    static HCURSOR Arrow() { return ::LoadCursorA(nullptr, IDC_ARROW); }
};

TEST_F(Win32WaitCursorTest, NestedLevelsKeepTheHourglassUntilTheLastEnd) {
    BeginWaitCursor();
    BeginWaitCursor();
    EXPECT_EQ(::GetCursor(), Wait());
    EndWaitCursor();
    EXPECT_EQ(::GetCursor(), Wait());
    EndWaitCursor();
    EXPECT_EQ(::GetCursor(), Arrow());
    ::SetCursor(nullptr);
    EndWaitCursor();
    EXPECT_EQ(::GetCursor(), nullptr) << "an unmatched end touches no cursor";
    EXPECT_EQ(WaitCursorCount(), 0);
}

} // namespace
} // namespace sj

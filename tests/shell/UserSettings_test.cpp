#include "shell/UtilFuncs.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace sj {
namespace {

std::string ReadIni(const std::string& file, const char* section, const char* key) {
    char buffer[512] = {};
    ::GetPrivateProfileStringA(section, key, "<missing>", buffer, sizeof buffer, file.c_str());
    return buffer;
}

void WriteIni(const std::string& file, const char* section, const char* key, const char* value) {
    ASSERT_TRUE(::WritePrivateProfileStringA(section, key, value, file.c_str()));
}

// Runs each test against an empty data folder of its own and restores the globals.
class UserSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        FSaved = GlobalVars;
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        FFolder = AddBackslash(std::string(temp) + "sj_settings_" + std::to_string(::GetCurrentProcessId()) + "_" +
                               testing::UnitTest::GetInstance()->current_test_info()->name());
        RemoveFolder();
        ASSERT_TRUE(::CreateDirectoryA(FFolder.c_str(), nullptr)) << FFolder;
        GlobalVars.DataDir = FFolder;
        GlobalVars.LastOpenFileDir = "C:\\Documents\\";
        GlobalVars.LastOpenFolderDir = "C:\\Documents\\";
    }
    void TearDown() override {
        RemoveFolder();
        GlobalVars = FSaved;
    }

    std::string File() const { return FFolder + "system.dat"; }

    void RemoveFolder() {
        WIN32_FIND_DATAA entry{};
        HANDLE search = ::FindFirstFileA((FFolder + "*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = entry.cFileName;
                if (name == "." || name == "..")
                    continue;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    ::RemoveDirectoryA((FFolder + name).c_str());
                else
                    ::DeleteFileA((FFolder + name).c_str());
            } while (::FindNextFileA(search, &entry));
            ::FindClose(search);
        }
        ::RemoveDirectoryA(FFolder.c_str());
    }

    TGlobalVars FSaved;
    std::string FFolder;
};

TEST_F(UserSettingsTest, DataFolderIsCreatedOneLevelDeepWithSlashesAsSpaces) {
    EXPECT_EQ(ResolveDataDir(FFolder, "A/B Tool"), FFolder + "A B Tool\\");
    EXPECT_NE(::GetFileAttributesA((FFolder + "A B Tool").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ResolveDataDir(FFolder, "A/B Tool"), FFolder + "A B Tool\\") << "an existing folder is used as is";
    EXPECT_EQ(ResolveDataDir(FFolder, ""), FFolder);
}

TEST_F(UserSettingsTest, DataFolderFallsBackToTheApplicationDataFolder) {
    EXPECT_EQ(ResolveDataDir(FFolder, "missing\\parent\\Tool"), FFolder);
    EXPECT_EQ(::GetFileAttributesA((FFolder + "missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UserSettingsTest, FirstRunCreatesTheFileWithTheCurrentFolders) {
    EXPECT_FALSE(LoadLastFolders());
    EXPECT_EQ(ReadIni(File(), "System", "LastOpenFileDir"), "C:\\Documents\\");
    EXPECT_EQ(ReadIni(File(), "System", "LastOpenFolderDir"), "C:\\Documents\\");
    EXPECT_TRUE(LoadLastFolders());
}

TEST_F(UserSettingsTest, FoldersAreWrittenAndReadBack) {
    GlobalVars.LastOpenFileDir = "D:\\Data\\";
    GlobalVars.LastOpenFolderDir = "E:\\Out\\";
    SaveLastFolders();
    GlobalVars.LastOpenFileDir = GlobalVars.LastOpenFolderDir = "";
    EXPECT_TRUE(LoadLastFolders());
    EXPECT_EQ(GlobalVars.LastOpenFileDir, "D:\\Data\\");
    EXPECT_EQ(GlobalVars.LastOpenFolderDir, "E:\\Out\\");
}

TEST_F(UserSettingsTest, MissingFolderKeysKeepTheCurrentValues) {
    WriteIni(File(), "System", "LastOpenFileDir", "D:\\Data\\");
    GlobalVars.LastOpenFolderDir = "C:\\Kept\\";
    EXPECT_TRUE(LoadLastFolders());
    EXPECT_EQ(GlobalVars.LastOpenFileDir, "D:\\Data\\");
    EXPECT_EQ(GlobalVars.LastOpenFolderDir, "C:\\Kept\\");
}

TEST_F(UserSettingsTest, RefusedWriteIsAnErrorNamingTheFile) {
    GlobalVars.DataDir = FFolder + "no such folder\\";
    try {
        SaveLastFolders();
        FAIL() << "the write was reported as done";
    } catch (const EFileError& error) {
        EXPECT_NE(std::string(error.what()).find(GlobalVars.DataDir + "system.dat"), std::string::npos) << error.what();
    }
}

TEST_F(UserSettingsTest, PlacementIsWrittenAndReadBack) {
    SaveWindowPlacement("Form", TFormPlacement{40, 30, 300, 200, true});
    EXPECT_EQ(ReadIni(File(), "Form", "x"), "40");
    EXPECT_EQ(ReadIni(File(), "Form", "y"), "30");
    EXPECT_EQ(ReadIni(File(), "Form", "width"), "300");
    EXPECT_EQ(ReadIni(File(), "Form", "height"), "200");
    EXPECT_EQ(ReadIni(File(), "Form", "maximized"), "1");
    TFormPlacement placement{1, 2, 3, 4, false};
    EXPECT_TRUE(LoadWindowPlacement("Form", placement));
    EXPECT_EQ(placement, (TFormPlacement{40, 30, 300, 200, true}));
}

TEST_F(UserSettingsTest, StoredPlacementIsKeptOnThePrimaryScreen) {
    const SIZE screen = PrimaryScreenSize();
    WriteIni(File(), "Form", "x", "-50");
    WriteIni(File(), "Form", "y", "0x10");
    WriteIni(File(), "Form", "width", std::to_string(screen.cx + 3000).c_str());
    WriteIni(File(), "Form", "height", "abc");
    WriteIni(File(), "Form", "maximized", "7");
    TFormPlacement placement{10, 20, 300, 200, false};
    LoadWindowPlacement("Form", placement);
    EXPECT_EQ(placement, (TFormPlacement{0, 16, static_cast<int>(screen.cx), 200, true}));

    WriteIni(File(), "Form", "x", std::to_string(screen.cx - 100).c_str());
    WriteIni(File(), "Form", "width", "300");
    WriteIni(File(), "Form", "maximized", "0");
    LoadWindowPlacement("Form", placement);
    EXPECT_EQ(placement, (TFormPlacement{static_cast<int>(screen.cx) - 300, 16, 300, 200, false}));
}

TEST_F(UserSettingsTest, BlankFileArgumentMeansTheDataFolderFile) {
    SaveWindowPlacement("Other", TFormPlacement{5, 6, 70, 80, false}, "   ");
    EXPECT_EQ(ReadIni(File(), "Other", "width"), "70");
    const std::string elsewhere = FFolder + "other.ini";
    SaveWindowPlacement("Form", TFormPlacement{5, 6, 70, 80, false}, elsewhere);
    EXPECT_EQ(ReadIni(elsewhere, "Form", "height"), "80");
}

TEST_F(UserSettingsTest, WindowPlacementGoesThroughTheWindowsBounds) {
    HWND window = ::CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPEDWINDOW, 50, 60, 320, 240, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    SaveWindowPlacement("Form", window);
    EXPECT_EQ(ReadIni(File(), "Form", "x"), "50");
    EXPECT_EQ(ReadIni(File(), "Form", "width"), "320");
    EXPECT_EQ(ReadIni(File(), "Form", "maximized"), "0");

    WriteIni(File(), "Form", "x", "70");
    WriteIni(File(), "Form", "height", "260");
    EXPECT_TRUE(LoadWindowPlacement("Form", window));
    RECT rect{};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 70);
    EXPECT_EQ(rect.top, 60);
    EXPECT_EQ(rect.right - rect.left, 320);
    EXPECT_EQ(rect.bottom - rect.top, 260);
    ::DestroyWindow(window);
}

TEST_F(UserSettingsTest, MinimizedWindowSavesItsRestoredBounds) {
    HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "probe", WS_OVERLAPPEDWINDOW, 50, 60, 320, 240, nullptr,
                                    nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ::ShowWindow(window, SW_SHOWMINNOACTIVE);
    const TFormPlacement placement = ReadWindowPlacement(window);
    ::DestroyWindow(window);
    EXPECT_EQ(placement, (TFormPlacement{50, 60, 320, 240, false}));
}

// The creation and closing steps of the main window, on a data folder named after a
// title of this test run inside the user's application data folder.
TEST_F(UserSettingsTest, FirstRunCentresThenLaterRunsRestore) {
    const std::string title = "SplitJoin test " + std::to_string(::GetCurrentProcessId());
    const std::string dataDir = DataFolderFor(GetShellFolder("AppData"), title);
    const SIZE screen = PrimaryScreenSize();
    const TFormPlacement design{325, 135, 660, 505, false};

    const TFormPlacement first = RestoreUserSettings(title, design);
    EXPECT_EQ(GlobalVars.DataDir, dataDir);
    EXPECT_EQ(GlobalVars.LastOpenFileDir, GetShellFolder("Personal"));
    EXPECT_EQ(first.Left, (screen.cx - 660) / 2);
    EXPECT_EQ(first.Top, (screen.cy - 505) / 2);

    GlobalVars.LastOpenFileDir = "D:\\Picked\\";
    SaveUserSettings(TFormPlacement{12, 34, 660, 505, false});
    const TFormPlacement second = RestoreUserSettings(title, design);
    EXPECT_EQ(second, (TFormPlacement{12, 34, 660, 505, false}));
    EXPECT_EQ(GlobalVars.LastOpenFileDir, "D:\\Picked\\");

    ::DeleteFileA((dataDir + "system.dat").c_str());
    ::RemoveDirectoryA(dataDir.c_str());
}

} // namespace
} // namespace sj

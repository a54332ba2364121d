// The window-creation hook in the program: with its stored rules (ordinary controls
// only) message boxes, the file dialog and the folder browser keep the system's look,
// while the help menu and the window menu open in popup windows with the skinned
// popup-menu adapter. Every modal window is closed by the test.
#include "ThreadTimers.h"
#include "shell/MainUnit.h"
#include "shell/UtilFuncs.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/acDials.h"
#include "skin/frame/sSkinMenus.h"
#include "skin/frame/sSkinProvider.h"

#include <gtest/gtest.h>

#include "platform/TempDir.h"

#include <commdlg.h>
#include <shlobj.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace sj {
namespace {

using test::TTempDir;
using test::WriteFile;

using sj::test::After;

// What the hook made of the active window while it was up.
struct TSeen {
    bool Found = false;
    bool Recorded = false;
    bool AnswersSkinned = false;
    int MarkedChildren = 0;
};

TSeen LookAtActiveAndClose(UINT command) {
    TSeen seen;
    HWND window = ::GetActiveWindow();
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof name);
    seen.Found = std::string(name) == "#32770";
    seen.Recorded = HookedProviderOf(window) != nullptr;
    seen.AnswersSkinned = ::SendMessageA(window, SkinCommandMessage, SkinCommand(scIsSkinned), 0) != 0;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM count) -> BOOL {
            if (::GetPropA(child, AdaptedWindowProperty) != nullptr)
                ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen.MarkedChildren));
    ::PostMessageA(window, WM_COMMAND, command, 0);
    return seen;
}

// The popup-menu window open now, as the hook left it.
struct TMenuSeen {
    bool Open = false;
    bool Adapted = false;
    std::string Section;
    int Items = -1;
};

void LookAtMenuAndClose(TMenuSeen& seen) {
    HWND popup = ::FindWindowA("#32768", nullptr);
    seen.Open = popup != nullptr && ::IsWindowVisible(popup);
    if (TacMnuWnd* adapter = popup != nullptr ? MenuAdapterOf(popup) : nullptr) {
        seen.Adapted = ::SendMessageA(popup, SkinCommandMessage, SkinCommand(scIsSkinned), 0) == 1;
        seen.Section = adapter->SkinData().SkinSection();
    }
    if (popup != nullptr) {
        HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
        seen.Items = menu != nullptr ? ::GetMenuItemCount(menu) : 0;
    }
    ::EndMenu();
}

class AppHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(temp_ / "AppData");
        WriteFile(temp_ / "lamecore.dll", EncodeConfigText("[SYSTEM]\r\nName=Demo\r\nVersion=1.2\r\n"));
        savedEnvironment_ = MainEnvironment();
        MainEnvironment().ConfigFile = [this] { return temp_ / "lamecore.dll"; };
        MainEnvironment().ShellFolder = [this](const std::string&) { return temp_ / "AppData"; };
        form_ = std::make_unique<TFormMain>(Application);
        form_->Show();
        Application->ProcessMessages();
    }

    void TearDown() override {
        form_.reset();
        Application->ProcessMessages();
        MainEnvironment() = savedEnvironment_;
    }

    TFormMain& Form() { return *form_; }
    TsSkinManager& Manager() {
        auto* manager = form_->FindComponentOf<TsSkinManager>("sSkinManager1");
        if (manager == nullptr)
            throw std::runtime_error("the main window has no skin manager");
        return *manager;
    }

    TTempDir temp_;
    std::unique_ptr<TFormMain> form_;

private:
    TMainEnvironment savedEnvironment_;
};

TEST_F(AppHookTest, StoredRulesLeaveMessageBoxesAndFileDialogsInTheSystemLook) {
    EXPECT_EQ(Manager().SkinningRules, static_cast<TacSkinningRules>(srThirdParty));
    EXPECT_TRUE(Manager().SkinnedPopups());
    ASSERT_TRUE(DialogHookSet()) << "the program installs the hook's handlers";

    TSeen box;
    After(200, [&box] { box = LookAtActiveAndClose(IDOK); });
    ::MessageBoxA(Form().Handle(), "Split job is completed!", "Demo", MB_OK | MB_ICONINFORMATION);
    EXPECT_TRUE(box.Found);
    EXPECT_FALSE(box.Recorded);
    EXPECT_FALSE(box.AnswersSkinned);
    EXPECT_EQ(box.MarkedChildren, 0);

    TSeen file;
    After(400, [&file] { file = LookAtActiveAndClose(IDCANCEL); });
    char name[MAX_PATH] = {};
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = Form().Handle();
    open.lpstrFilter = "All files\0*.*\0";
    open.lpstrFile = name;
    open.nMaxFile = MAX_PATH;
    open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    ::GetOpenFileNameA(&open);
    EXPECT_TRUE(file.Found);
    EXPECT_FALSE(file.Recorded);
    EXPECT_EQ(file.MarkedChildren, 0);

    TSeen folder;
    After(400, [&folder] { folder = LookAtActiveAndClose(IDCANCEL); });
    BROWSEINFOA browse{};
    browse.hwndOwner = Form().Handle();
    if (LPITEMIDLIST chosen = ::SHBrowseForFolderA(&browse))
        ::CoTaskMemFree(chosen);
    EXPECT_TRUE(folder.Found);
    EXPECT_FALSE(folder.Recorded);
    EXPECT_EQ(folder.MarkedChildren, 0);
    EXPECT_EQ(HookedProviderCount(), 0);
}

TEST_F(AppHookTest, HelpMenuAndWindowMenuOpenInAdaptedPopupWindows) {
    TMenuSeen help;
    After(250, [&help] { LookAtMenuAndClose(help); });
    Form().PopupMenuHelp->Popup(200, 200);
    Application->ProcessMessages();
    EXPECT_TRUE(help.Open);
    EXPECT_TRUE(help.Adapted);
    EXPECT_EQ(help.Section, "MAINMENU");
    EXPECT_EQ(help.Items, Form().PopupMenuHelp->Items().Count());
    EXPECT_EQ(LiveMenuAdapterCount(), 0) << "the adapter went with the closed menu";

    TMenuSeen window;
    After(250, [&window] { LookAtMenuAndClose(window); });
    Form().sSkinProvider1->ShowSystemMenuAt(220, 220);
    Application->ProcessMessages();
    EXPECT_TRUE(window.Open);
    EXPECT_TRUE(window.Adapted);
    EXPECT_EQ(window.Section, "MAINMENU");
    EXPECT_GE(window.Items, 6);
    EXPECT_EQ(LiveMenuAdapterCount(), 0);
    EXPECT_FALSE(MenuItemDrawn()) << "cleared when the last popup went";
}

TEST_F(AppHookTest, ClosingTheProgramRemovesTheHook) {
    ASSERT_TRUE(DialogHookSet());
    form_.reset();
    Application->ProcessMessages();
    EXPECT_FALSE(DialogHookSet());
    EXPECT_EQ(HookedProviderCount(), 0);
    EXPECT_EQ(LiveMenuAdapterCount(), 0);
}

} // namespace
} // namespace sj

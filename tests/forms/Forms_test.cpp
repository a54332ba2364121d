// Forms and the application object under Wine: modal results, dialog keys,
// closing and deferred release, the exception message box, application-window
// hooks with minimise and restore, client size and border styles, the screen.
#include "forms/Forms.h"

#include <gtest/gtest.h>

#include "forms/Dialogs.h"
#include "forms/MessageRecorder.h"
#include "forms/StdCtrls.h"

namespace sj {
namespace {

// Ends a modal loop that the test failed to end, so a fault fails instead of hanging.
class TModalGuard {
public:
    explicit TModalGuard(TCustomForm& form) {
        gForm = &form;
        timer_ = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) {
            if (gForm != nullptr)
                gForm->SetModalResult(-1);
        });
    }
    ~TModalGuard() {
        ::KillTimer(nullptr, timer_);
        gForm = nullptr;
    }

private:
    static inline TCustomForm* gForm = nullptr;
    UINT_PTR timer_;
};

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->ResetTerminated();
        form = new TForm(nullptr);
        form->SetBounds(50, 50, 300, 200);
    }
    void TearDown() override {
        delete form;
        Application->ProcessMessages();
        Application->ResetTerminated();
    }

    TButton* AddButton(const char* caption, TModalResult result) {
        auto* button = new TButton(form);
        button->SetParent(form);
        button->SetCaption(caption);
        button->SetModalResult(result);
        return button;
    }

    TForm* form = nullptr;
};

TEST_F(FormsTest, ShowModalEndsWithTheClickedButtonsResult) {
    TButton* ok = AddButton("OK", mrOk);
    AddButton("Cancel", mrCancel);
    TForm other(nullptr);
    other.Show();
    ::PostMessageA(ok->Handle(), BM_CLICK, 0, 0);
    TModalGuard guard(*form);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    EXPECT_TRUE(::IsWindowEnabled(other.Handle())) << "windows disabled for the modal loop are enabled again";
    form->Show();
    EXPECT_THROW(form->ShowModal(), Exception) << "a visible form cannot become modal";
}

TEST_F(FormsTest, EnterAndEscapeGoToDefaultAndCancelButtons) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    TButton* ok = AddButton("OK", mrOk);
    ok->SetDefault(true);
    TButton* cancel = AddButton("Cancel", mrCancel);
    cancel->SetCancel(true);
    form->SetActiveControl(edit);

    form->OnShow = [&](TObject*) { ::PostMessageA(edit->Handle(), WM_KEYDOWN, VK_RETURN, 0); };
    {
        TModalGuard guard(*form);
        EXPECT_EQ(form->ShowModal(), mrOk);
    }
    form->OnShow = [&](TObject*) { ::PostMessageA(edit->Handle(), WM_KEYDOWN, VK_ESCAPE, 0); };
    {
        TModalGuard guard(*form);
        EXPECT_EQ(form->ShowModal(), mrCancel);
    }
}

TEST_F(FormsTest, TabMovesTheFocusInTabOrder) {
    auto* first = new TEdit(form);
    first->SetParent(form);
    auto* second = new TEdit(form);
    second->SetParent(form);
    second->SetTabOrder(0);
    form->Show();
    ::SetForegroundWindow(form->Handle());
    second->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(form->ActiveControl(), second);
    ::PostMessageA(second->Handle(), WM_KEYDOWN, VK_TAB, 0);
    Application->ProcessMessages();
    EXPECT_EQ(::GetFocus(), first->Handle());
    EXPECT_EQ(form->ActiveControl(), first);
}

TEST_F(FormsTest, CloseFollowsTheCloseAction) {
    form->Show();
    TCloseAction chosen = TCloseAction::caNone;
    form->OnClose = [&](TObject*, TCloseAction& action) {
        EXPECT_EQ(action, TCloseAction::caHide);
        action = chosen;
    };
    form->Close();
    EXPECT_TRUE(form->Visible());
    chosen = TCloseAction::caHide;
    form->Close();
    EXPECT_FALSE(form->Visible());

    bool allow = false;
    form->Show();
    form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
    form->Close();
    EXPECT_TRUE(form->Visible());
}

TEST_F(FormsTest, ReleasedFormIsFreedAfterItsHandlerReturns) {
    struct TWatcher : TComponent {
        using TComponent::TComponent;
        bool gone = false;
        void Notification(TComponent* c, TOperation op) override {
            TComponent::Notification(c, op);
            if (op == TOperation::opRemove && c != nullptr)
                gone = true;
        }
    } watcher(nullptr);
    auto* doomed = new TForm(nullptr);
    doomed->FreeNotification(&watcher);
    auto* button = new TButton(doomed);
    button->SetParent(doomed);
    button->OnClick = [&](TObject*) {
        doomed->Close(); // caHide by default: ask for a free instead
        doomed->Release();
        EXPECT_FALSE(watcher.gone) << "never freed inside its own handler";
    };
    doomed->Show();
    ::SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(watcher.gone);
    Application->ProcessMessages();
    EXPECT_TRUE(watcher.gone);
}

TEST_F(FormsTest, DefaultExceptionHandlerShowsTheMessageBox) {
    struct TBox {
        std::string text, caption;
        UINT flags;
    };
    std::vector<TBox> boxes;
    TMessageBoxOverride answer([&](HWND, const std::string& text, const std::string& caption, UINT flags) {
        boxes.push_back({text, caption, flags});
        return IDOK;
    });
    std::string savedTitle = Application->Title();
    Application->SetTitle("Demo");
    auto raise = [](const std::string& message) { return std::make_exception_ptr(Exception(message)); };
    Application->HandleException(raise("This file is not our split file"));
    Application->HandleException(raise("Split job failed."));
    Application->HandleException(raise("Disk full (E:)"));
    Application->HandleException(raise(""));
    Application->HandleException(std::make_exception_ptr(42));
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].text, "This file is not our split file.");
    EXPECT_EQ(boxes[0].caption, "Demo");
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(boxes[1].text, "Split job failed.");
    EXPECT_EQ(boxes[2].text, "Disk full (E:)") << "')' sorts before '.'";
    EXPECT_EQ(boxes[3].text, "");
    EXPECT_EQ(boxes[4].text, "Unknown error.");

    // An exception inside a form's handler reaches the same box; the form lives on.
    auto* button = AddButton("Go", mrNone);
    button->OnClick = [](TObject*) { throw EFileError("File \"x\" does not exist"); };
    form->Show();
    ::SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[5].text, "File \"x\" does not exist.");
    EXPECT_TRUE(::IsWindow(form->Handle()));

    ShowMessage("Plain");
    ASSERT_EQ(boxes.size(), 7u);
    EXPECT_EQ(boxes[6].caption, "Demo") << "plain message boxes carry the title too";
    Application->SetTitle(savedTitle);
}

TEST_F(FormsTest, MainFormMinimiseAndRestorePassThroughTheApplicationWindow) {
    Application->SetMainForm(form);
    form->Show();
    std::vector<WPARAM> commands;
    bool block = false;
    int hook = Application->HookMainWindow([&](TMessage& message) {
        if (message.Msg == WM_SYSCOMMAND)
            commands.push_back(message.WParam & 0xFFF0);
        return block;
    });
    ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Application->Minimized());
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(Application->Minimized());
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
    EXPECT_EQ(commands, (std::vector<WPARAM>{SC_MINIMIZE, SC_RESTORE}));

    block = true; // a hook that handles the message keeps the default away
    Application->Minimize();
    EXPECT_FALSE(Application->Minimized());
    Application->UnhookMainWindow(hook);
    commands.clear();
    Application->Minimize();
    Application->Restore();
    EXPECT_TRUE(commands.empty());
    Application->SetMainForm(nullptr);
}

TEST_F(FormsTest, ClientSizeAndBorderStyleShapeTheWindow) {
    form->SetBorderStyle(TFormBorderStyle::bsSingle);
    form->SetBorderIcons(biSystemMenu | biMinimize);
    form->SetClientWidth(644);
    form->SetClientHeight(467);
    HWND window = form->Handle();
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 644);
    EXPECT_EQ(client.bottom, 467);
    auto style = static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_STYLE));
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(::GetWindow(window, GW_OWNER), Application->Handle()) << "forms belong to the application window";

    TForm dialog(nullptr);
    dialog.SetBorderStyle(TFormBorderStyle::bsDialog);
    dialog.SetPosition(TPosition::poScreenCenter);
    dialog.SetBounds(0, 0, 200, 100);
    dialog.Show();
    auto exStyle = static_cast<DWORD>(::GetWindowLongPtrA(dialog.Handle(), GWL_EXSTYLE));
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(::GetWindowLongPtrA(dialog.Handle(), GWL_STYLE) & WS_MINIMIZEBOX);
    EXPECT_EQ(dialog.Left(), (Screen->Width() - 200) / 2);
    EXPECT_EQ(dialog.Top(), (Screen->Height() - 100) / 2);
}

TEST_F(FormsTest, ScreenKnowsFormsAndOverridesTheCursor) {
    bool listed = false;
    for (int i = 0; i < Screen->FormCount(); ++i)
        listed = listed || Screen->Forms(i) == form;
    EXPECT_TRUE(listed);
    EXPECT_GT(Screen->Width(), 0);
    RECT work = Screen->WorkAreaRect();
    EXPECT_GT(work.right - work.left, 0);

    form->Show();
    bool overridden = false;
    EXPECT_EQ(CursorHandleFor(crHandPoint, overridden), ::LoadCursorA(nullptr, IDC_HAND));
    EXPECT_FALSE(overridden);
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(CursorHandleFor(crHandPoint, overridden), ::LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_TRUE(overridden);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(CursorHandleFor(crDefault, overridden), nullptr);
}

TEST_F(FormsTest, DestroyedFormLeavesScreenAndApplication) {
    auto* temporary = new TForm(nullptr);
    Application->SetMainForm(temporary);
    int before = Screen->FormCount();
    delete temporary;
    EXPECT_EQ(Screen->FormCount(), before - 1);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

} // namespace
} // namespace sj

// ---- menu bar -------------------------------------------------------------------------

namespace sj {
namespace {

TMenuItem* AddBarItem(TMenu& menu, TMenuItem& parent, const std::string& caption) {
    auto* item = new TMenuItem(&menu);
    item->SetCaption(caption);
    parent.Add(item);
    return item;
}

std::string BarText(HMENU bar, UINT position) {
    char text[64] = {};
    ::GetMenuStringA(bar, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST_F(FormsTest, MenuBarShowsOnTheWindowAndFollowsChangesOncePerBatch) {
    auto* bar = new TMainMenu(form);
    TMenuItem* file = AddBarItem(*bar, bar->Items(), "&File");
    int opened = 0;
    AddBarItem(*bar, *file, "&Open")->OnClick = [&opened](TObject*) { ++opened; };
    form->SetMenu(bar);
    form->Show();
    Application->ProcessMessages();
    HMENU shown = ::GetMenu(form->Handle());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(::GetMenuItemCount(shown), 1);
    EXPECT_EQ(::GetSubMenu(shown, 0) != nullptr, true) << "a bar item with items opens a pop-up";
    const int clientWithBar = form->ClientHeight();

    TMessageRecorder recorder(*form);
    AddBarItem(*bar, bar->Items(), "&Edit");
    AddBarItem(*bar, bar->Items(), "&View");
    file->SetCaption("&Files");
    Application->ProcessMessages();
    EXPECT_EQ(recorder.Count(CM_MENUCHANGED), 1) << "three changes, one rebuild";
    HMENU rebuilt = ::GetMenu(form->Handle());
    EXPECT_NE(rebuilt, shown);
    EXPECT_FALSE(::IsMenu(shown)) << "the old bar is gone";
    ASSERT_EQ(::GetMenuItemCount(rebuilt), 3);
    EXPECT_EQ(BarText(rebuilt, 0), "&Files");
    EXPECT_EQ(BarText(rebuilt, 2), "&View");

    // A command without a control goes to the bar's item.
    const UINT open = ::GetMenuItemID(::GetSubMenu(rebuilt, 0), 0);
    ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(open, 0), 0);
    EXPECT_EQ(opened, 1);

    form->SetMenu(nullptr);
    EXPECT_EQ(::GetMenu(form->Handle()), nullptr);
    EXPECT_GT(form->ClientHeight(), clientWithBar) << "the bar's lines go back to the client";
    EXPECT_TRUE(::IsMenu(rebuilt)) << "the menu still owns its bar";
}

TEST_F(FormsTest, MenuBarGoesBeforeItsWindowAndItsWindowBeforeIt) {
    auto* bar = new TMainMenu(nullptr);
    AddBarItem(*bar, bar->Items(), "&File");
    form->SetMenu(bar);
    form->Show();
    HMENU shown = ::GetMenu(form->Handle());
    ASSERT_NE(shown, nullptr);
    delete bar;
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_EQ(::GetMenu(form->Handle()), nullptr) << "the window lets go of a destroyed bar";

    // The window going first leaves the bar to its menu, which destroys it once.
    auto* kept = new TMainMenu(nullptr);
    AddBarItem(*kept, kept->Items(), "&Help");
    auto* other = new TForm(nullptr);
    other->SetMenu(kept);
    other->Show();
    HMENU keptBar = ::GetMenu(other->Handle());
    ASSERT_NE(keptBar, nullptr);
    delete other;
    EXPECT_TRUE(::IsMenu(keptBar));
    delete kept;
    EXPECT_FALSE(::IsMenu(keptBar));
}

} // namespace
} // namespace sj

// ---- context menus --------------------------------------------------------------------

namespace sj {
namespace {

// A pop-up menu that notes where it was asked to open instead of running the menu loop.
class TRecordingPopup : public TPopupMenu {
public:
    explicit TRecordingPopup(TComponent* owner) : TPopupMenu(owner) {
        auto* item = new TMenuItem(this);
        item->SetCaption("Item");
        Items().Add(item);
    }
    int Shown = 0;
    POINT At{};

protected:
    void TrackMenu(HMENU, int x, int y, HWND) override {
        ++Shown;
        At = POINT{x, y};
    }
};

TEST_F(FormsTest, ContextMenuOpensTheMenuOfTheControlUnderThePointOrTheFormsOwn) {
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetBounds(10, 10, 80, 20);
    auto* formMenu = new TRecordingPopup(form);
    auto* labelMenu = new TRecordingPopup(form);
    form->SetPopupMenu(formMenu);
    label->SetPopupMenu(labelMenu);
    form->Show();
    Application->ProcessMessages();

    const POINT onLabel = form->ClientToScreen(POINT{20, 15});
    ::SendMessageA(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->Handle()),
                   MAKELPARAM(onLabel.x, onLabel.y));
    EXPECT_EQ(labelMenu->Shown, 1);
    EXPECT_EQ(labelMenu->At.x, onLabel.x);
    EXPECT_EQ(labelMenu->PopupComponent(), label);
    EXPECT_EQ(formMenu->Shown, 0);

    const POINT elsewhere = form->ClientToScreen(POINT{150, 100});
    ::SendMessageA(form->Handle(), WM_CONTEXTMENU, 0, MAKELPARAM(elsewhere.x, elsewhere.y));
    EXPECT_EQ(formMenu->Shown, 1);
    EXPECT_EQ(formMenu->PopupComponent(), form);

    // The menu key gives no point: the menu opens at the client's corner.
    ::SendMessageA(form->Handle(), WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
    EXPECT_EQ(formMenu->Shown, 2);
    const POINT corner = form->ClientToScreen(POINT{0, 0});
    EXPECT_EQ(formMenu->At.x, corner.x);
    EXPECT_EQ(formMenu->At.y, corner.y);

    // A menu that goes is forgotten by its control.
    delete labelMenu;
    EXPECT_EQ(label->PopupMenu(), nullptr);
    ::SendMessageA(form->Handle(), WM_CONTEXTMENU, 0, MAKELPARAM(onLabel.x, onLabel.y));
    EXPECT_EQ(formMenu->Shown, 3);
}

} // namespace
} // namespace sj

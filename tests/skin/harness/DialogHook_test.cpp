// The window-creation hook on the harness, under Wine: which windows it skins under
// each rule set (message boxes up to two at a time, the file dialog always, the folder
// browser, forms without a provider, never a form of tag -98), the skinned dialog frame
// and its controls, the popup-menu window adapter, windows that go while adapted, and
// nothing left once the harness closes. Every modal dialog is closed by the test.
#include "ThreadTimers.h"
#include "tests/skin/harness/HarnessKit.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "skin/frame/acDials.h"
#include "skin/frame/sSkinMenus.h"

namespace sj::harness::test {
namespace {

using sj::test::After;

// What the hook made of a dialog while it was up.
struct TSeen {
    HWND Window = nullptr;
    bool Skinned = false;
    int VisibleSkinned = -1;
    int Adapters = 0;
    std::vector<std::string> AdapterKinds; // "class:section"
    bool AnswersSkinned = false;
};

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

TSeen Look(HWND dialog) {
    TSeen seen;
    seen.Window = dialog;
    TacProvider* provider = HookedProviderOf(dialog);
    seen.Skinned = provider != nullptr && provider->DialogFrame() != nullptr;
    seen.VisibleSkinned = VisibleSkinnedDialogs();
    seen.AnswersSkinned = ::SendMessageA(dialog, SkinCommandMessage, SkinCommand(scIsSkinned), 0) != 0;
    if (provider != nullptr) {
        seen.Adapters = static_cast<int>(provider->Adapters().size());
        for (const auto& adapter : provider->Adapters())
            seen.AdapterKinds.push_back(ClassOf(adapter->Handle()) + ":" + adapter->SkinData().SkinSection());
    }
    return seen;
}

bool HasKind(const TSeen& seen, const std::string& kind) {
    for (const std::string& k : seen.AdapterKinds)
        if (k == kind)
            return true;
    return false;
}

// Shows a message box; while it is up, `during` runs with it, then the box is closed.
TSeen MessageBoxSeen(const char* text, const std::function<void(HWND)>& during = {}) {
    TSeen seen;
    After(150, [&seen, during] {
        HWND box = ::GetActiveWindow();
        seen = Look(box);
        if (during)
            during(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    ::MessageBoxA(nullptr, text, "Hook", MB_OK | MB_ICONINFORMATION);
    return seen;
}

TSeen FileDialogSeen() {
    TSeen seen;
    After(400, [&seen] {
        HWND dialog = ::GetActiveWindow();
        seen = Look(dialog);
        if (const char* hold = std::getenv("SJ_HOLD_MS"))
            Pump(static_cast<DWORD>(std::atoi(hold)));
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    char file[MAX_PATH] = {};
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.lpstrFilter = "All files\0*.*\0";
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    ::GetOpenFileNameA(&open);
    return seen;
}

TSeen FolderBrowserSeen() {
    TSeen seen;
    After(400, [&seen] {
        HWND dialog = ::GetActiveWindow();
        seen = Look(dialog);
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    BROWSEINFOA browse{};
    browse.lpszTitle = "Pick a folder";
    if (LPITEMIDLIST chosen = ::SHBrowseForFolderA(&browse))
        ::CoTaskMemFree(chosen);
    return seen;
}

// The windows of this thread (top-level and children) still marked as adapted.
std::vector<std::string> MarkedWindowClasses() {
    std::vector<std::string> marked;
    const auto note = [](HWND window, LPARAM list) -> BOOL {
        if (::GetPropA(window, AdaptedWindowProperty) != nullptr)
            reinterpret_cast<std::vector<std::string>*>(list)->push_back(ClassOf(window));
        return TRUE;
    };
    struct TWalk {
        std::vector<std::string>* List;
        BOOL (*Note)(HWND, LPARAM);
    } walk{&marked, +note};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& w = *reinterpret_cast<TWalk*>(data);
            w.Note(window, reinterpret_cast<LPARAM>(w.List));
            ::EnumChildWindows(window, w.Note, reinterpret_cast<LPARAM>(w.List));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return marked;
}

std::string Joined(const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& item : list)
        text += item + " ";
    return text;
}

int MarkedWindows() {
    return static_cast<int>(MarkedWindowClasses().size());
}

using DialogHookTest = HarnessTest;

TEST_F(DialogHookTest, TwoMessageBoxesAreSkinnedAThirdIsNotAndTheFileDialogAlways) {
    ASSERT_TRUE(DialogHookSet());
    const int harnessAdapted = MarkedWindows();
    TSeen first, second, third, file;
    first = MessageBoxSeen("First", [&](HWND) {
        second = MessageBoxSeen("Second", [&](HWND) {
            third = MessageBoxSeen("Third");
            file = FileDialogSeen();
        });
    });
    EXPECT_TRUE(first.Skinned);
    EXPECT_TRUE(first.AnswersSkinned);
    EXPECT_EQ(first.VisibleSkinned, 1);
    EXPECT_TRUE(HasKind(first, "Static:CHECKBOX")) << "the text and the icon";
    EXPECT_TRUE(HasKind(first, "Button:BUTTON")) << "the OK button";
    EXPECT_TRUE(second.Skinned);
    EXPECT_EQ(second.VisibleSkinned, 2);
    EXPECT_FALSE(third.Skinned) << "two skinned dialogs are visible already";
    EXPECT_FALSE(third.AnswersSkinned);
    EXPECT_EQ(third.Adapters, 0);
    EXPECT_TRUE(file.Skinned) << "a file dialog is skinned whatever is visible";
    EXPECT_TRUE(HasKind(file, "SysListView32:EDIT"));
    EXPECT_TRUE(HasKind(file, "ToolbarWindow32:BAR") || HasKind(file, "ToolbarWindow32:CHECKBOX"))
        << "the file dialog's tool bar";
    std::printf("visible skinned when shown: first %d, second %d, third %d (skinned %d), file dialog %d (skinned %d)\n",
                first.VisibleSkinned, second.VisibleSkinned, third.VisibleSkinned, third.Skinned ? 1 : 0,
                file.VisibleSkinned, file.Skinned ? 1 : 0);
    for (const std::string& kind : file.AdapterKinds)
        std::printf("  file dialog adapter %s\n", kind.c_str());
    // Each record went with its window.
    EXPECT_EQ(HookedProviderCount(), 0);
    EXPECT_EQ(harnessAdapted, 4) << "the harness's memo, list, tree and button";
    EXPECT_EQ(MarkedWindows(), harnessAdapted) << Joined(MarkedWindowClasses());
}

TEST_F(DialogHookTest, FolderBrowserTreeTakesTheEditSection) {
    const TSeen seen = FolderBrowserSeen();
    EXPECT_TRUE(seen.Skinned);
    EXPECT_TRUE(HasKind(seen, "SysTreeView32:EDIT"));
    EXPECT_EQ(HookedProviderCount(), 0);
}

TEST_F(DialogHookTest, DialogFrameIsPaintedFromTheDialogSectionWithItsCloseButton) {
    RECT frameRect{}, windowRect{}, closeRect{};
    int hitAtClose = 0;
    std::int32_t title = -1;
    bool havePicture = false;
    std::uint32_t cornerPixel = 0, clientPixel = 0;
    POINT clientOffset{};
    MessageBoxSeen("Frame", [&](HWND box) {
        TacProvider* provider = HookedProviderOf(box);
        TacDialogWnd* frame = provider != nullptr ? provider->DialogFrame() : nullptr;
        TBitmap* picture = frame != nullptr ? frame->Frame() : nullptr;
        havePicture = picture != nullptr;
        if (!havePicture)
            return;
        ::GetWindowRect(box, &windowRect);
        frameRect = RECT{0, 0, picture->Width(), picture->Height()};
        closeRect = frame->Button(dbClose).Rect;
        title = frame->TitleSectionIndex();
        const POINT centre{windowRect.left + (closeRect.left + closeRect.right) / 2,
                           windowRect.top + (closeRect.top + closeRect.bottom) / 2};
        hitAtClose = static_cast<int>(::SendMessageA(box, WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y)));
        clientOffset = frame->ClientOffset();
        cornerPixel = picture->Pixels().At(clientOffset.x + 2, clientOffset.y + 2) & 0x00FFFFFF;
        // What the dialog's client area shows is the frame picture's pixel there.
        HDC dc = ::GetDC(box);
        clientPixel = ::GetPixel(dc, 2, 2);
        ::ReleaseDC(box, dc);
    });
    ASSERT_TRUE(havePicture);
    EXPECT_EQ(frameRect.right, windowRect.right - windowRect.left);
    EXPECT_EQ(frameRect.bottom, windowRect.bottom - windowRect.top);
    const TsSkinModel& model = form->Manager->Model();
    const std::int32_t dialogTitle = model.SectionIndexOf("DIALOGTITLE");
    EXPECT_EQ(title, model.HasSection(dialogTitle) ? dialogTitle : model.SectionIndexOf("FORMTITLE"));
    EXPECT_GT(closeRect.right, closeRect.left) << "the box has a close button";
    EXPECT_LE(closeRect.right, frameRect.right - ::GetSystemMetrics(SM_CXDLGFRAME));
    EXPECT_EQ(hitAtClose, HTCLOSE);
    // Pixel order of the picture is BGR; the screen's is RGB.
    EXPECT_EQ(clientPixel, RGB((cornerPixel >> 16) & 0xFF, (cornerPixel >> 8) & 0xFF, cornerPixel & 0xFF));
}

TEST_F(DialogHookTest, CloseButtonOfTheSkinnedFrameClosesTheBox) {
    bool pressed = false;
    After(150, [&pressed] {
        HWND box = ::GetActiveWindow();
        TacProvider* provider = HookedProviderOf(box);
        if (provider == nullptr || provider->DialogFrame() == nullptr)
            return;
        const RECT close = provider->DialogFrame()->Button(dbClose).Rect;
        RECT window{};
        ::GetWindowRect(box, &window);
        POINT at{window.left + (close.left + close.right) / 2, window.top + (close.top + close.bottom) / 2};
        ::SendMessageA(box, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(at.x, at.y));
        pressed = provider->DialogFrame()->Button(dbClose).State == 2;
        ::ScreenToClient(box, &at);
        ::SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    });
    // Should the button fail, OK ends the box (and the answer tells).
    After(2000, [] { ::PostMessageA(::FindWindowA("#32770", "Hook"), WM_COMMAND, IDOK, 0); });
    const int answer = ::MessageBoxA(nullptr, "Close me", "Hook", MB_OKCANCEL);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(answer, IDCANCEL) << "closed through its title button";
    Pump(2100);
}

TEST_F(DialogHookTest, DialogWindowMenuFollowsTheDialogsStyles) {
    struct TMenuSeen {
        int Items = -1;
        bool Adapted = false;
    } seen;
    bool minimizeVisible = true, sizeVisible = true, moveEnabled = false, closeVisible = false;
    MessageBoxSeen("Menu", [&](HWND box) {
        After(200, [&seen] {
            HWND popup = ::FindWindowA("#32768", nullptr);
            if (popup != nullptr) {
                HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
                seen.Items = menu != nullptr ? ::GetMenuItemCount(menu) : 0;
                seen.Adapted = MenuAdapterOf(popup) != nullptr;
            }
            ::EndMenu();
        });
        RECT window{};
        ::GetWindowRect(box, &window);
        ::SendMessageA(box, WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(window.left + 30, window.top + 10));
        TacSystemMenu* menu = HookedProviderOf(box)->DialogFrame()->SystemMenu();
        minimizeVisible = menu->Item(SC_MINIMIZE)->Visible();
        sizeVisible = menu->Item(SC_SIZE)->Visible();
        moveEnabled = menu->Item(SC_MOVE)->Enabled();
        closeVisible = menu->Item(SC_CLOSE)->Visible();
    });
    EXPECT_FALSE(minimizeVisible) << "a message box has no minimise box";
    EXPECT_FALSE(sizeVisible) << "nor a sizing frame";
    EXPECT_TRUE(moveEnabled);
    EXPECT_TRUE(closeVisible);
    EXPECT_EQ(seen.Items, 3) << "Move, a line and Close";
    EXPECT_TRUE(seen.Adapted) << "the menu's popup window is skinned too";
}

TEST_F(DialogHookTest, OnSysDlgInitMayRefuseADialog) {
    int asked = 0;
    SysDlgInitEvent() = [&asked](HWND, bool& allow) {
        ++asked;
        allow = false;
    };
    const TSeen seen = MessageBoxSeen("Refused");
    SysDlgInitEvent() = nullptr;
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(seen.Skinned);
    EXPECT_TRUE(MessageBoxSeen("Allowed").Skinned);
}

TEST_F(DialogHookTest, WithoutStdDialogsBoxesStayPlainWhileFormsWithoutProviderAreSkinned) {
    Open(kZest, srStdForms | srThirdParty);
    const TSeen box = MessageBoxSeen("Plain");
    EXPECT_FALSE(box.Skinned);
    EXPECT_FALSE(box.AnswersSkinned);
    EXPECT_FALSE(FileDialogSeen().Skinned);

    auto plain = std::make_unique<TForm>(Application);
    plain->SetBounds(100, 100, 240, 140);
    plain->Show();
    Pump(50);
    TacProvider* provider = HookedProviderOf(plain->Handle());
    ASSERT_NE(provider, nullptr);
    ASSERT_NE(provider->FormProvider(), nullptr);
    EXPECT_FALSE(provider->FormProvider()->UseGlobalColor);
    EXPECT_FALSE(provider->FormProvider()->MakeSkinMenu);
    EXPECT_EQ(::SendMessageA(plain->Handle(), SkinCommandMessage, SkinCommand(scIsSkinned), 0), 1);

    // The layer's own windows (tag -98, the free bits 0x61 set or not) are left alone.
    for (std::intptr_t tag : {std::intptr_t{-98}, std::intptr_t{-98 | 0x01}, std::intptr_t{-98 | 0x61}}) {
        auto own = std::make_unique<TForm>(Application);
        own->SetTag(tag);
        own->SetBounds(140, 140, 200, 100);
        own->Show();
        Pump(20);
        EXPECT_EQ(HookedProviderOf(own->Handle()), nullptr) << tag;
        EXPECT_EQ(::SendMessageA(own->Handle(), SkinCommandMessage, SkinCommand(scIsSkinned), 0), 0) << tag;
    }
    const HWND window = plain->Handle();
    plain.reset();
    Pump();
    EXPECT_EQ(HookedProviderOf(window), nullptr) << "the record went with the form";
}

TEST_F(DialogHookTest, WithoutStdFormsAFormWithoutProviderStaysPlain) {
    Open(kZest, srStdDialogs | srThirdParty);
    auto plain = std::make_unique<TForm>(Application);
    plain->SetBounds(100, 100, 240, 140);
    plain->Show();
    Pump(50);
    EXPECT_EQ(HookedProviderOf(plain->Handle()), nullptr);
    EXPECT_TRUE(MessageBoxSeen("Skinned").Skinned);
}

TEST_F(DialogHookTest, DialogDecisionFollowsRulesCountAndToolBar) {
    TacDialogCandidate box;
    box.IsDialogClass = true;
    const unsigned all = srStdForms | srStdDialogs | srThirdParty;
    EXPECT_TRUE(ShouldSkinDialog(box, all));
    box.VisibleSkinned = 1;
    EXPECT_TRUE(ShouldSkinDialog(box, all));
    box.VisibleSkinned = 2;
    EXPECT_FALSE(ShouldSkinDialog(box, all));
    box.HasToolBar = true;
    EXPECT_TRUE(ShouldSkinDialog(box, all));
    EXPECT_FALSE(ShouldSkinDialog(box, srStdForms | srThirdParty));
    box.HasParent = true;
    EXPECT_FALSE(ShouldSkinDialog(box, all)) << "a nested dialog is its parent's panel";
    TacDialogCandidate other;
    EXPECT_FALSE(ShouldSkinDialog(other, all)) << "only #32770 windows";
}

// A modeless dialog destroyed while its adapters are attached: the record, the frame
// and every adapter go with it, and the windows are given back first.
TEST_F(DialogHookTest, DialogDestroyedWithItsAdaptersLeavesNothing) {
    const int harnessAdapted = MarkedWindows();
    struct alignas(4) TTemplate {
        DLGTEMPLATE Dialog;
        WORD Menu, Class, Title;
    } data{};
    data.Dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    data.Dialog.cx = 120;
    data.Dialog.cy = 60;
    HWND dialog = ::CreateDialogIndirectParamA(
        nullptr, &data.Dialog, nullptr, [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; },
        0);
    ASSERT_NE(dialog, nullptr);
    HWND text = ::CreateWindowExA(0, "Static", "Going", WS_CHILD | WS_VISIBLE, 10, 10, 100, 16, dialog, nullptr,
                                  nullptr, nullptr);
    HWND button = ::CreateWindowExA(0, "Button", "OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 30, 60, 22, dialog,
                                    nullptr, nullptr, nullptr);
    ::ShowWindow(dialog, SW_SHOW);
    ::SetActiveWindow(dialog);
    Pump(30);
    TacProvider* provider = HookedProviderOf(dialog);
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->Adapters().size(), 2u);
    EXPECT_NE(::GetPropA(text, AdaptedWindowProperty), nullptr);
    EXPECT_NE(::GetPropA(button, AdaptedWindowProperty), nullptr);
    // A child that goes on its own takes its adapter along.
    ::DestroyWindow(button);
    EXPECT_EQ(provider->Adapters().size(), 1u);
    ::DestroyWindow(dialog);
    Pump();
    EXPECT_EQ(HookedProviderOf(dialog), nullptr);
    EXPECT_EQ(HookedProviderCount(), 0);
    EXPECT_EQ(MarkedWindows(), harnessAdapted) << Joined(MarkedWindowClasses());
}

// Popup-menu windows are made without a menu here: the adapter's part is the window.
HWND CreatePopupMenuWindow() {
    return ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "#32768", "", WS_POPUP | WS_BORDER, 200, 200, 120, 80,
                             nullptr, nullptr, nullptr, nullptr);
}

TEST_F(DialogHookTest, PopupMenuWindowsGetTheAdapterAndLoseItWithTheirWindow) {
    HWND popup = CreatePopupMenuWindow();
    ASSERT_NE(popup, nullptr);
    TacMnuWnd* adapter = MenuAdapterOf(popup);
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->SkinData().SkinSection(), "MAINMENU");
    EXPECT_EQ(::SendMessageA(popup, SkinCommandMessage, SkinCommand(scIsSkinned), 0), 1);
    EXPECT_EQ(::SendMessageA(popup, SkinCommandMessage, SkinCommand(8), 0), 0) << "the menu painter shapes it";
    EXPECT_EQ(LiveMenuAdapterCount(), 1);
    ::DestroyWindow(popup);
    EXPECT_EQ(LiveMenuAdapterCount(), 0);
    EXPECT_EQ(MenuAdapterOf(popup), nullptr);
    EXPECT_FALSE(MenuItemDrawn());

    // Without skinned popups the windows keep the system's frame.
    form->Manager->SetSkinnedPopups(false);
    popup = CreatePopupMenuWindow();
    EXPECT_EQ(MenuAdapterOf(popup), nullptr);
    ::DestroyWindow(popup);
    form->Manager->SetSkinnedPopups(true);
}

// A popup shown at alpha 0 until its frame is painted is still shown when the frame
// paint never comes: its first client paint does the frame's work.
TEST_F(DialogHookTest, PopupLeftAtAlphaZeroIsShownByItsClientPaint) {
    HWND popup = CreatePopupMenuWindow();
    TacMnuWnd* adapter = MenuAdapterOf(popup);
    ASSERT_NE(adapter, nullptr);
    SetMenuItemDrawn(true);
    WINDOWPOS position{popup, nullptr, 200, 200, 120, 80, SWP_SHOWWINDOW | SWP_NOACTIVATE};
    ::SendMessageA(popup, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&position));
    EXPECT_TRUE(adapter->WaitingForFrame());
    EXPECT_NE(::GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    ::SendMessageA(popup, WM_PAINT, 0, 0);
    EXPECT_FALSE(adapter->WaitingForFrame());
    EXPECT_TRUE(adapter->Shown());
    EXPECT_EQ(::GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_LAYERED, 0) << "alpha 255: not layered any more";
    ::DestroyWindow(popup);
    EXPECT_EQ(LiveMenuAdapterCount(), 0);
}

// The window is refused during its own creation (WM_CREATE answers -1) after the hook
// attached the adapter: the adapter goes with the window that never was.
LRESULT CALLBACK RefuseCreation(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE)
        return -1;
    auto previous = reinterpret_cast<WNDPROC>(::GetPropA(window, "TestPrevious"));
    if (msg == WM_NCDESTROY)
        ::RemovePropA(window, "TestPrevious");
    return ::CallWindowProcA(previous, window, msg, wParam, lParam);
}

HHOOK gRefusingHook = nullptr;
LRESULT CALLBACK RefusingCbt(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        auto window = reinterpret_cast<HWND>(wParam);
        char name[16] = {};
        ::GetClassNameA(window, name, sizeof name);
        if (std::string(name) == "#32768") {
            auto previous = ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefuseCreation));
            ::SetPropA(window, "TestPrevious", reinterpret_cast<HANDLE>(previous));
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(DialogHookTest, PopupDestroyedDuringItsCreationLeavesNoAdapter) {
    // The refusing hook is older than the skin's, so it runs inside the skin's first.
    form.reset();
    gRefusingHook = ::SetWindowsHookExA(WH_CBT, &RefusingCbt, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(gRefusingHook, nullptr);
    Open(kZest, srStdForms | srStdDialogs | srThirdParty);
    HWND popup = CreatePopupMenuWindow();
    ::UnhookWindowsHookEx(gRefusingHook);
    EXPECT_EQ(popup, nullptr);
    EXPECT_EQ(LiveMenuAdapterCount(), 0);
}

TEST_F(DialogHookTest, ClosingTheHarnessRemovesTheHookAndEveryRecord) {
    HWND popup = CreatePopupMenuWindow();
    ASSERT_NE(MenuAdapterOf(popup), nullptr);
    form.reset();
    Pump();
    EXPECT_FALSE(DialogHookSet());
    EXPECT_EQ(HookedProviderCount(), 0);
    EXPECT_EQ(LiveMenuAdapterCount(), 0);
    EXPECT_EQ(::GetPropA(popup, AdaptedWindowProperty), nullptr) << "the popup was given back";
    ::DestroyWindow(popup);
    EXPECT_EQ(MarkedWindows(), 0);
    // With no hook, a new box is plain.
    EXPECT_FALSE(MessageBoxSeen("After").Skinned);
}

// Random input over the scrolling windows and the dialog's title, with message boxes
// coming and going: no crash, no record left and no GDI object more at the end.
TEST_F(DialogHookTest, MonkeyRunWithDialogsLeavesNothingBehind) {
    std::mt19937 random(18);
    const HWND windows[] = {Memo(), List(), Tree()};
    const auto step = [&](int n) {
        for (int i = 0; i < n; ++i) {
            const auto [target, x, y, hit] = RandomPointOver(random, windows);
            POINT client{x, y};
            ::ScreenToClient(target, &client);
            switch (random() % 6) {
            case 0:
                // The release waits in the queue: list and tree track the press until it comes.
                ::PostMessageA(target, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
                ::SendMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
                break;
            case 1: {
                ::SendMessageA(target, WM_NCLBUTTONDOWN, hit, ScreenPoint(x, y));
                POINT to{client.x + static_cast<int>(random() % 160) - 80, client.y + static_cast<int>(random() % 160) - 80};
                ::SendMessageA(target, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
                ::SendMessageA(target, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
                break;
            }
            case 2:
                ::SendMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(0, (random() % 2 != 0 ? 1 : -1) * WHEEL_DELTA),
                               ScreenPoint(x, y));
                break;
            case 3:
                if (random() % 8 == 0)
                    MessageBoxSeen("Monkey", [&random](HWND box) {
                        // Over the box's frame: hover and press its title buttons.
                        RECT b{};
                        ::GetWindowRect(box, &b);
                        for (int k = 0; k < 6; ++k) {
                            const int bx = b.left + static_cast<int>(random() % static_cast<unsigned>(b.right - b.left));
                            const int by = b.top + static_cast<int>(random() % 30);
                            const auto code = static_cast<WPARAM>(::SendMessageA(box, WM_NCHITTEST, 0, ScreenPoint(bx, by)));
                            ::SendMessageA(box, WM_NCMOUSEMOVE, code, ScreenPoint(bx, by));
                            ::SendMessageA(box, WM_NCPAINT, 1, 0);
                        }
                        ::SendMessageA(box, WM_NCMOUSELEAVE, 0, 0);
                    });
                break;
            case 4:
                ::SendMessageA(target, WM_NCPAINT, 1, 0);
                break;
            default:
                ::SendMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
                break;
            }
            Pump();
            if (::GetCapture() != nullptr)
                ::ReleaseCapture();
        }
    };
    step(60); // warm-up: caches and fonts made once
    MessageBoxSeen("Warm-up"); // and those of a skinned box, whether or not the steps showed one
    const DWORD before = LiveGdiObjects();
    const int providersBefore = HookedProviderCount();
    step(300);
    const DWORD after = LiveGdiObjects();
    EXPECT_EQ(providersBefore, 0);
    EXPECT_EQ(HookedProviderCount(), 0);
    EXPECT_EQ(LiveMenuAdapterCount(), 0);
    EXPECT_LE(after, before + 2);
    std::printf("GDI objects: %lu before, %lu after\n", before, after);
}

} // namespace
} // namespace sj::harness::test

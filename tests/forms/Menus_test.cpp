// Menus: caption and shortcut texts, the built system menu, item trees and radio
// groups, command dispatch through the pop-up window, owner-draw measure and draw
// events (routed directly and from a menu shown on the display).
#include "forms/Bitmap.h"
#include "forms/Controls.h"
#include "forms/ImgList.h"
#include "forms/Menus.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace sj {
namespace {

void PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

TMenuItem* AddItem(TMenu& menu, const std::string& caption, TMenuItem* parent = nullptr) {
    auto* item = new TMenuItem(&menu);
    item->SetCaption(caption);
    (parent != nullptr ? *parent : menu.Items()).Add(item);
    return item;
}

std::string MenuText(HMENU menu, UINT position) {
    char text[256] = {};
    ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

UINT MenuType(HMENU menu, UINT position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    ::GetMenuItemInfoA(menu, position, TRUE, &info);
    return info.fType;
}

UINT MenuState(HMENU menu, UINT position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    ::GetMenuItemInfoA(menu, position, TRUE, &info);
    return info.fState;
}

TEST(MenuTexts, HotkeysAndShortcuts) {
    EXPECT_EQ(StripHotkey("How Tos && Tutorial Videos..."), "How Tos & Tutorial Videos...");
    EXPECT_EQ(StripHotkey("&Open && &Save"), "Open & Save");
    EXPECT_EQ(StripHotkey("trailing&"), "trailing");
    EXPECT_EQ(GetHotkey("&open"), 'O');
    EXPECT_EQ(GetHotkey("Tos && &Videos"), 'V');
    EXPECT_EQ(GetHotkey("A && B"), 0);

    EXPECT_EQ(ShortCutToText(VK_F1), "F1");
    EXPECT_EQ(ShortCutToText(static_cast<TShortCut>(scCtrl | scShift | 'S')), "Shift+Ctrl+S");
    EXPECT_EQ(ShortCutToText(static_cast<TShortCut>(scAlt | VK_DELETE)), "Alt+Del");
    EXPECT_EQ(ShortCutToText(scNone), "");
    EXPECT_EQ(TextToShortCut("F1"), VK_F1);
    EXPECT_EQ(TextToShortCut("ctrl+shift+s"), static_cast<TShortCut>(scCtrl | scShift | 'S'));
    EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), scNone);
    EXPECT_EQ(TextToShortCut(ShortCutToText(static_cast<TShortCut>(scAlt | VK_F12))),
              static_cast<TShortCut>(scAlt | VK_F12));
}

TEST(Menu, BuildsTheSystemMenuFromTheItems) {
    TPopupMenu menu(nullptr);
    TMenuItem* help = AddItem(menu, "Help Content");
    help->SetShortCut(VK_F1);
    AddItem(menu, "How Tos && Tutorial Videos...");
    AddItem(menu, "-");
    TMenuItem* hidden = AddItem(menu, "Hidden");
    hidden->SetVisible(false);
    TMenuItem* off = AddItem(menu, "Off");
    off->SetEnabled(false);
    off->SetBreak(TMenuBreak::mbBarBreak);
    TMenuItem* sub = AddItem(menu, "More");
    AddItem(menu, "Inner", sub)->SetChecked(true);

    HMENU handle = menu.Handle();
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(::GetMenuItemCount(handle), 5) << "invisible items are left out";
    EXPECT_EQ(MenuText(handle, 0), "Help Content\tF1");
    EXPECT_EQ(MenuText(handle, 1), "How Tos && Tutorial Videos...");
    EXPECT_NE(MenuType(handle, 2) & MFT_SEPARATOR, 0u);
    EXPECT_NE(MenuState(handle, 3) & MFS_DISABLED, 0u);
    EXPECT_NE(MenuType(handle, 3) & MFT_MENUBARBREAK, 0u);
    HMENU subMenu = ::GetSubMenu(handle, 4);
    ASSERT_NE(subMenu, nullptr);
    EXPECT_EQ(menu.FindItemBySubMenu(subMenu), sub);
    EXPECT_NE(MenuState(subMenu, 0) & MFS_CHECKED, 0u);
    EXPECT_EQ(::GetMenuItemID(handle, 0), help->Command());
    EXPECT_EQ(MenuType(handle, 0) & MFT_OWNERDRAW, 0u) << "not owner-drawn unless asked";

    EXPECT_EQ(menu.Handle(), handle) << "unchanged items keep the handle";
    hidden->SetVisible(true);
    HMENU rebuilt = menu.Handle();
    EXPECT_EQ(::GetMenuItemCount(rebuilt), 6);

    help->OnAdvancedDrawItem = [](TObject*, TCanvas&, const RECT&, TOwnerDrawState) {};
    help->EventsChanged();
    EXPECT_NE(MenuType(menu.Handle(), 0) & MFT_OWNERDRAW, 0u) << "an item with a draw handler draws itself";
    EXPECT_EQ(MenuType(menu.Handle(), 1) & MFT_OWNERDRAW, 0u);
    menu.SetOwnerDraw(true);
    EXPECT_NE(MenuType(menu.Handle(), 1) & MFT_OWNERDRAW, 0u) << "an owner-drawn menu draws every item";
}

TEST(Menu, ItemTreesRadioGroupsAndAutoCheck) {
    TComponent form(nullptr);
    TPopupMenu* menu = new TPopupMenu(&form);
    TMenuItem* a = AddItem(*menu, "A");
    TMenuItem* b = AddItem(*menu, "B");
    TMenuItem* c = AddItem(*menu, "C");
    for (TMenuItem* item : {a, b, c}) {
        item->SetRadioItem(true);
        item->SetGroupIndex(1);
    }
    c->SetGroupIndex(2);
    a->SetChecked(true);
    c->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked()) << "same group: only one checked";
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(c->Checked()) << "other group stays";

    TMenuItem* toggle = AddItem(*menu, "Toggle");
    toggle->SetAutoCheck(true);
    toggle->Click();
    EXPECT_TRUE(toggle->Checked());
    toggle->Click();
    EXPECT_FALSE(toggle->Checked());

    EXPECT_EQ(a->GetParentMenu(), menu);
    EXPECT_EQ(b->MenuIndex(), 1);
    delete b;
    EXPECT_EQ(menu->Items().Count(), 3) << "a freed item leaves its parent";
    EXPECT_EQ(menu->Items().IndexOf(c), 1);

    TMenuItem* moved = AddItem(*menu, "Moved");
    a->Add(moved);
    EXPECT_EQ(moved->Parent(), a);
    EXPECT_EQ(menu->Items().IndexOf(moved), -1);
    EXPECT_THROW(moved->Add(a), Exception) << "an item cannot hold its own parent";

    const WORD command = moved->Command();
    menu->Items().Delete(0); // frees a and the item under it
    EXPECT_EQ(TMenuItem::FromCommand(command), nullptr);
    EXPECT_EQ(menu->ComponentCount(), 2) << "only the items still alive stay owned";
}

TEST(PopupMenu, WindowRoutesCommandsToTheItems) {
    TPopupMenu menu(nullptr);
    TMenuItem* about = AddItem(menu, "About...");
    TObject* clicked = nullptr;
    about->OnClick = [&](TObject* sender) { clicked = sender; };
    TMenuItem* off = AddItem(menu, "Off");
    off->SetEnabled(false);
    bool offClicked = false;
    off->OnClick = [&](TObject*) { offClicked = true; };

    HWND window = TPopupMenu::PopupWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(::IsWindowVisible(window));
    ::PostMessageA(window, WM_COMMAND, about->Command(), 0);
    ::PostMessageA(window, WM_COMMAND, off->Command(), 0);
    ::PostMessageA(window, WM_COMMAND, 0xFFF0, 0); // no such item
    PumpMessages();
    EXPECT_EQ(clicked, about);
    EXPECT_FALSE(offClicked) << "disabled items do not click";

    std::string caught;
    SetBoundaryExceptionHandler([&](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            caught = e.what();
        }
    });
    about->OnClick = [](TObject*) { throw std::runtime_error("link failed"); };
    ::SendMessageA(window, WM_COMMAND, about->Command(), 0);
    EXPECT_EQ(caught, "link failed");
    SetBoundaryExceptionHandler(nullptr);
}

TEST(PopupMenu, OwnerDrawMessagesReachTheItemEvents) {
    TPopupMenu menu(nullptr);
    TMenuItem* item = AddItem(menu, "Help Content");
    item->SetShortCut(VK_F1);
    TMenuItem* plain = AddItem(menu, "Plain");
    menu.SetOwnerDraw(true);

    int measuredWidth = -1;
    item->OnMeasureItem = [&](TObject* sender, TCanvas& canvas, int& width, int& height) {
        EXPECT_EQ(sender, item);
        EXPECT_GT(canvas.TextWidth("W"), 0) << "the canvas can measure text";
        measuredWidth = width;
        width = 150;
        height = 22;
    };
    TOwnerDrawState seenState = 0;
    RECT seenRect{};
    item->OnAdvancedDrawItem = [&](TObject*, TCanvas& canvas, const RECT& rect, TOwnerDrawState state) {
        seenState = state;
        seenRect = rect;
        canvas.Brush().SetColor(clRed);
        canvas.FillRect(rect);
    };
    HWND window = TPopupMenu::PopupWindow();

    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = item->Command();
    measure.itemData = item->Command();
    EXPECT_EQ(::SendMessageA(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), TRUE);
    EXPECT_GT(measuredWidth, 0) << "the default size comes first";
    EXPECT_EQ(measure.itemWidth, 150u);
    EXPECT_EQ(measure.itemHeight, 22u);

    TBitmap target(160, 40);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = item->Command();
    draw.itemData = item->Command();
    draw.itemState = ODS_SELECTED | ODS_NOACCEL;
    draw.hDC = target.Canvas().Handle();
    draw.rcItem = RECT{0, 0, 150, 22};
    ::SendMessageA(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(seenState, static_cast<TOwnerDrawState>(odSelected | odNoAccel));
    EXPECT_EQ(seenRect.right, 150);
    EXPECT_EQ(target.ScanLine(10)[10] & 0xFFFFFF, 0xFF0000u);

    // Without handlers the item paints itself: the highlight behind a selected item.
    draw.itemID = plain->Command();
    draw.itemData = plain->Command();
    draw.rcItem = RECT{0, 22, 150, 40};
    ::SendMessageA(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(target.ScanLine(38)[149] & 0xFFFFFF, (ColorToRGB(clHighlight) & 0xFF) << 16 |
                                                       (ColorToRGB(clHighlight) & 0xFF00) |
                                                       (ColorToRGB(clHighlight) >> 16));
}

TEST(PopupMenu, ShownMenuMeasuresItsItemsAndCloses) {
    TPopupMenu menu(nullptr);
    bool popped = false;
    menu.OnPopup = [&](TObject*) { popped = true; };
    static int measured = 0;
    measured = 0;
    for (const char* caption : {"Home Page...", "-", "About..."}) {
        TMenuItem* item = AddItem(menu, caption);
        item->OnMeasureItem = [](TObject*, TCanvas&, int&, int& height) {
            ++measured;
            height = 20;
        };
    }
    // Closes the menu from inside its own loop, once it is up (or after a while).
    static int waited = 0;
    waited = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        if (measured > 0 || ++waited > 60) {
            ::EndMenu();
        }
    });
    menu.Popup(100, 100);
    ::KillTimer(nullptr, timer);
    PumpMessages();
    EXPECT_TRUE(popped);
    EXPECT_GE(measured, 3) << "every owner-drawn item is measured when the menu opens";
    EXPECT_EQ(TPopupMenu::ActiveMenu(), nullptr);
}

TEST(Menu, ImagesAreForgottenWhenTheListGoes) {
    TComponent form(nullptr);
    auto* menu = new TPopupMenu(&form);
    auto* images = new TImageList(&form);
    menu->SetImages(images);
    EXPECT_EQ(menu->Images(), images);
    delete images;
    EXPECT_EQ(menu->Images(), nullptr);
}

} // namespace
} // namespace sj

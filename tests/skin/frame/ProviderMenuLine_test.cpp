// The menu bar of a skinned form under Wine: the lines the system lays it out in and
// where the client area then lies in the frame cache, the MENULINE face and the bar's
// items as the menu painter paints them, an item the system has drawn while it tracks
// the bar, the bar wrapping into a second line, hit testing and the border window
// leaving the bar to the form, commands, a bar read from a stored form, and the bar
// taken away again.
#include "tests/skin/frame/ProviderHarness.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/frame/sSkinMenus.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sSectionPaint.h"

namespace sj::provider_harness {
namespace {

// Colour channels only: where the text leaves the alpha is not the painter's concern.
int DifferentPixels(const TacPixmap& a, const TacPixmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return -1;
    int different = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (((a.At(x, y) ^ b.At(x, y)) & 0x00FFFFFFu) != 0)
                ++different;
    return different;
}

class MenuLine : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        form = std::make_unique<TProviderHarnessForm>(Application, kZest, GetParam());
        menu = new TMainMenu(form.get());
        file = AddItem(menu->Items(), "&File");
        AddItem(*file, "&Open")->OnClick = [this](TObject*) { ++opened; };
        AddItem(menu->Items(), "&Edit");
        AddItem(menu->Items(), "&Help");
        form->SetMenu(menu);
        form->Show();
        Pump(150);
        ASSERT_TRUE(provider().PaintFrame());
    }
    void TearDown() override {
        form.reset();
        Pump();
    }
    TMenuItem* AddItem(TMenuItem& parent, const std::string& caption) {
        auto* item = new TMenuItem(form.get());
        item->SetCaption(caption);
        parent.Add(item);
        return item;
    }
    TsSkinProvider& provider() { return *form->Provider; }
    TBitmap& cache() { return *provider().FrameCache(); }
    const TsSkinModel& model() { return form->Manager->Model(); }
    TsSkinableMenus& painter() { return *static_cast<TsSkinableMenus*>(form->Manager->SkinableMenus()); }
    // The window whose corner is the frame cache's (0, 0).
    HWND CacheWindow() {
        TacBorderForm* border = provider().BorderForm();
        return border != nullptr && border->BorderWindow() != nullptr ? border->BorderWindow() : form->Handle();
    }
    // Where the system put the client area, in frame-cache coordinates.
    POINT ClientInCache() {
        RECT frame{};
        ::GetWindowRect(CacheWindow(), &frame);
        POINT client{0, 0};
        ::ClientToScreen(form->Handle(), &client);
        return POINT{client.x - frame.left, client.y - frame.top};
    }
    // A bar item's rectangle in frame-cache coordinates and in window coordinates.
    RECT ItemInCache(int position) {
        RECT item{}, frame{};
        ::GetMenuItemRect(form->Handle(), ::GetMenu(form->Handle()), static_cast<UINT>(position), &item);
        ::GetWindowRect(CacheWindow(), &frame);
        ::OffsetRect(&item, -frame.left, -frame.top);
        return item;
    }
    RECT ItemInWindow(int position) {
        RECT item{}, window{};
        ::GetMenuItemRect(form->Handle(), ::GetMenu(form->Handle()), static_cast<UINT>(position), &item);
        ::GetWindowRect(form->Handle(), &window);
        ::OffsetRect(&item, -window.left, -window.top);
        return item;
    }
    // The menu painter's face of a bar item over the menu line, in a state.
    TacPixmap PainterFace(int position, TOwnerDrawState state) {
        const RECT r = ItemInCache(position);
        TBitmap face(r.right - r.left, r.bottom - r.top);
        painter().DrawBarItem(menu->Items().Items(position), face.Canvas(),
                              RECT{0, 0, r.right - r.left, r.bottom - r.top}, state);
        return AreaOf(face.Pixels(), RECT{0, 0, face.Width(), face.Height()});
    }

    std::unique_ptr<TProviderHarnessForm> form;
    TMainMenu* menu = nullptr;
    TMenuItem* file = nullptr;
    int opened = 0;
};

TEST_P(MenuLine, OneLineOfTheBarLiesBetweenTitleAndClient) {
    EXPECT_EQ(provider().ShownMainMenu(), menu);
    EXPECT_EQ(provider().MenuLineHeight(), ::GetSystemMetrics(SM_CYMENU) - 1);
    EXPECT_EQ(provider().MenuLineCount(), 1);
    const POINT client = ClientInCache();
    EXPECT_EQ(provider().ClientOffsetX(), client.x);
    EXPECT_EQ(provider().ClientOffsetY(), client.y) << "the controls' backdrop must lie where they are";
    const RECT line = provider().MenuLineRect();
    EXPECT_EQ(line.bottom, client.y);
    EXPECT_EQ(line.left, client.x);
    EXPECT_EQ(line.right, client.x + form->ClientWidth());
    const RECT first = ItemInCache(0);
    EXPECT_GE(first.top, line.top);
    EXPECT_LE(first.bottom, line.bottom);
}

TEST_P(MenuLine, BarShowsTheMenuLineFaceWithTheItemsAsTheMenuPainterDrawsThem) {
    const RECT line = provider().MenuLineRect();
    const RECT last = ItemInCache(2);
    // Right of the last item the bar is the MENULINE face alone.
    const RECT rest{last.right, line.top, line.right, line.bottom};
    ASSERT_GT(rest.right - rest.left, 20);
    TacPixmap face(line.right - line.left, line.bottom - line.top);
    const std::int32_t section = model().SectionIndexOf("MENULINE");
    ASSERT_TRUE(model().HasSection(section));
    PaintSectionFace(face.View(), TacRect{0, 0, face.Width(), face.Height()}, &model(), section, "MENULINE", 0, true,
                     ColorBackdrop(0x00808080), line.left, line.top);
    const RECT restInFace{rest.left - line.left, 0, rest.right - line.left, face.Height()};
    EXPECT_EQ(DifferentPixels(AreaOf(cache().Pixels(), rest), AreaOf(face.View(), restInFace)), 0);
    for (int position = 0; position < 3; ++position) {
        const TacPixmap shown = AreaOf(cache().Pixels(), ItemInCache(position));
        EXPECT_EQ(DifferentPixels(shown, PainterFace(position, 0)), 0) << "item " << position;
        const RECT r = ItemInCache(position);
        const RECT inFace{r.left - line.left, r.top - line.top, r.right - line.left, r.bottom - line.top};
        EXPECT_GT(DifferentPixels(shown, AreaOf(face.View(), inFace)), 0) << "item " << position << " has its caption";
    }
    // The bar is opaque where the window shows it.
    for (int x = line.left; x < line.right; x += 7)
        EXPECT_EQ(cache().Pixels().At(x, (line.top + line.bottom) / 2) >> 24, 0xFFu);
}

TEST_P(MenuLine, ItemTheSystemDrawsWhileTrackingTheBarTakesItsHotFaceOverTheSameStrip) {
    ASSERT_TRUE(static_cast<bool>(painter().OnGetMenuLineStrip));
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    ASSERT_TRUE(::GetMenuItemInfoA(::GetMenu(form->Handle()), 1, TRUE, &info));
    EXPECT_NE(info.fType & MFT_OWNERDRAW, 0u) << "the bar's items are the painter's";

    const RECT place = ItemInWindow(1);
    const SIZE window{place.right + 8, place.bottom + 8};
    TBitmap target(window.cx, window.cy);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = ::GetMenuItemID(::GetMenu(form->Handle()), 1);
    draw.itemAction = ODA_SELECT;
    draw.itemState = ODS_SELECTED;
    draw.hwndItem = reinterpret_cast<HWND>(::GetMenu(form->Handle()));
    draw.hDC = target.Canvas().Handle();
    draw.rcItem = place;
    draw.itemData = info.dwItemData;
    ::SendMessageA(form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    const TacPixmap hot = PainterFace(1, odSelected);
    EXPECT_EQ(DifferentPixels(AreaOf(target.Pixels(), place), hot), 0);
    EXPECT_GT(DifferentPixels(hot, PainterFace(1, 0)), 0) << "the hot face differs from the bar's";
}

TEST_P(MenuLine, NarrowFormWrapsTheBarIntoTwoLinesAndTheClientMovesDown) {
    for (int i = 0; i < 14; ++i)
        AddItem(menu->Items(), "Item &" + std::to_string(i));
    Pump(150);
    ASSERT_TRUE(provider().PaintFrame());
    EXPECT_EQ(provider().MenuLineCount(), 2);
    const POINT client = ClientInCache();
    EXPECT_EQ(provider().ClientOffsetY(), client.y);
    EXPECT_EQ(provider().MenuLineRect().bottom, client.y);
    // The items of the second line are painted there too.
    const int last = menu->Items().Count() - 1;
    const RECT item = ItemInCache(last);
    EXPECT_GT(item.top, ItemInCache(0).bottom - 2);
    EXPECT_EQ(DifferentPixels(AreaOf(cache().Pixels(), item), PainterFace(last, 0)), 0);

    // Wider again: one line, counted anew after the size change.
    form->SetBounds(form->Left(), form->Top(), 1100, form->Height());
    Pump(150);
    ASSERT_TRUE(provider().PaintFrame());
    EXPECT_EQ(provider().MenuLineCount(), 1);
    EXPECT_EQ(provider().ClientOffsetY(), ClientInCache().y);
}

TEST_P(MenuLine, BarAnswersMenuToTheHitTestAndTheBorderWindowLeavesItToTheForm) {
    const RECT item = ItemInCache(0);
    RECT frame{};
    ::GetWindowRect(CacheWindow(), &frame);
    const POINT onItem{frame.left + (item.left + item.right) / 2, frame.top + (item.top + item.bottom) / 2};
    EXPECT_EQ(::SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(onItem.x, onItem.y)), HTMENU);
    TacBorderForm* border = provider().BorderForm();
    if (border == nullptr)
        return;
    HRGN region = border->BorderWindowRegion();
    ASSERT_NE(region, nullptr);
    const POINT inside{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    EXPECT_FALSE(::PtInRegion(region, inside.x, inside.y)) << "the form's own window shows the bar";
    const RECT shown = border->FormShownRect();
    EXPECT_LE(shown.top, item.top + 1) << "the bar's items lie in what the form shows";
    EXPECT_EQ(shown.bottom, provider().ClientOffsetY() + form->ClientHeight());
    EXPECT_TRUE(::PtInRegion(region, inside.x, provider().MenuLineRect().top - 3)) << "the title above it is not";
    ::DeleteObject(region);
}

TEST_P(MenuLine, BarCommandsReachTheirItems) {
    HMENU sub = ::GetSubMenu(::GetMenu(form->Handle()), 0);
    ASSERT_NE(sub, nullptr);
    const UINT open = ::GetMenuItemID(sub, 0);
    ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(open, 0), 0);
    EXPECT_EQ(opened, 1);
    // Opening the sub-menu "clicks" its bar item first, so that it can fill it.
    int filled = 0;
    file->OnClick = [&filled](TObject*) { ++filled; };
    ::SendMessageA(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), 0);
    EXPECT_EQ(filled, 1);
}

TEST_P(MenuLine, BarTakenAwayGivesTheLinesBackToTheClient) {
    const int withBar = provider().ClientOffsetY();
    form->SetMenu(nullptr);
    Pump(100);
    ASSERT_TRUE(provider().PaintFrame());
    EXPECT_EQ(::GetMenu(form->Handle()), nullptr);
    EXPECT_EQ(provider().MenuLineHeight(), 0);
    EXPECT_EQ(provider().MenuLineCount(), 0);
    EXPECT_LT(provider().ClientOffsetY(), withBar);
    EXPECT_EQ(provider().ClientOffsetY(), ClientInCache().y);
    // A bar whose items are all hidden takes no line either.
    form->SetMenu(menu);
    for (int i = 0; i < menu->Items().Count(); ++i)
        menu->Items().Items(i)->SetVisible(false);
    Pump(100);
    EXPECT_EQ(::GetMenu(form->Handle()), nullptr);
    EXPECT_EQ(provider().MenuLineCount(), 0);
}

TEST_P(MenuLine, WithoutSkinnedPopupsTheBarIsTheSystemsOwn) {
    form->Manager->SetSkinnedPopups(false);
    Pump(100);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(::GetMenuItemInfoA(::GetMenu(form->Handle()), 0, TRUE, &info));
    EXPECT_EQ(info.fType & MFT_OWNERDRAW, 0u);
    TacPixelsView strip{};
    POINT origin{};
    EXPECT_FALSE(provider().MenuLineStripFor(*menu->Items().Items(0), strip, origin));
    // Still laid out as the system lays the bar out.
    EXPECT_EQ(provider().ClientOffsetY(), ClientInCache().y);
}

// Notes the opening instead of running the menu loop.
class TNotedPopup : public TPopupMenu {
public:
    using TPopupMenu::TPopupMenu;
    int Shown = 0;

protected:
    void TrackMenu(HMENU, int, int, HWND) override { ++Shown; }
};

TEST_P(MenuLine, FormsContextMenuMadeAfterTheSkinIsSkinnedAsItOpens) {
    auto* popup = new TNotedPopup(form.get());
    AddItem(popup->Items(), "&Copy");
    form->SetPopupMenu(popup);
    TMenuItem& copy = *popup->Items().Items(0);
    EXPECT_FALSE(copy.OnAdvancedDrawItem) << "made after the skin's menus were hooked";
    const POINT at = form->ClientToScreen(POINT{200, 100});
    ::SendMessageA(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->Handle()), MAKELPARAM(at.x, at.y));
    EXPECT_EQ(popup->Shown, 1);
    EXPECT_TRUE(popup->OwnerDraw());
    EXPECT_TRUE(copy.OnAdvancedDrawItem) << "the painter draws its items";
    EXPECT_TRUE(copy.OnMeasureItem);
}

INSTANTIATE_TEST_SUITE_P(BorderWindow, MenuLine, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Extended" : "System";
                         });

TEST(MenuLineStored, BarIsReadFromTheFormDescriptionAndGoesWithItsMenu) {
    std::string text = ProviderHarnessFormText(kZest, true);
    const std::string bar = "  Menu = MainMenu1\n"
                            "  object MainMenu1: TMainMenu\n"
                            "    object File1: TMenuItem\n      Caption = '&File'\n"
                            "      object Exit1: TMenuItem\n        Caption = 'E&xit'\n      end\n"
                            "    end\n"
                            "  end\n";
    text.insert(text.find("  object sSkinManager1"), bar);
    auto form = std::make_unique<TProviderHarnessForm>(Application, text);
    form->Show();
    Pump(100);
    ASSERT_NE(form->Menu(), nullptr);
    EXPECT_EQ(form->Menu()->Name(), "MainMenu1");
    EXPECT_EQ(form->Provider->ShownMainMenu(), form->Menu());
    EXPECT_EQ(form->Provider->MenuLineCount(), 1);
    // The bar goes with its menu: the window lets go of it first.
    delete form->Menu();
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_EQ(::GetMenu(form->Handle()), nullptr);
    Pump(50);
    EXPECT_EQ(form->Provider->MenuLineCount(), 0);
    form.reset();
    Pump();
}

} // namespace
} // namespace sj::provider_harness

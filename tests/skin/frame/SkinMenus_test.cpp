// The skinned menus under Wine: item sizes from the measure rules, hooking that keeps
// the application's own handlers, item faces, separators and disabled items drawn over
// a known popup background (expected pixels from the section painters and the blend
// rule), the shared background, and a real popup window shaped from its border image.
#include "skin/frame/sSkinMenus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "forms/Forms.h"
#include "forms/ImgList.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/BordersSkinKit.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {
namespace {

constexpr std::int32_t GlobalColor = 0x00B0B8C0;
constexpr std::int32_t MenuColor = 0x00D0C0B0;
constexpr std::int32_t ItemColor = 0x00E0E0E0;
constexpr std::int32_t ItemHotColor = 0x00A05020;
constexpr std::int32_t ItemFontColor = 0x00101010;
constexpr std::int32_t ItemHotFontColor = 0x00F0F0F0;
constexpr std::uint8_t ItemMask = 0x60;
constexpr int BackWidth = 200;
constexpr int BackHeight = 140;

TPixel32 Rgb(TColor color) {
    return ColorToPixelOrder(color) & 0x00FFFFFF;
}

// The screen's menu font as the painter picks it (no owner form: default charset).
LOGFONTA MenuLogFont(bool bold) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTA font = metrics.lfMenuFont;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    return font;
}

SIZE TextSize(const std::string& text, bool bold = false) {
    LOGFONTA logFont = MenuLogFont(bold);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HFONT font = ::CreateFontIndirectA(&logFont);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{0, 0};
    ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::DeleteDC(dc);
    return size;
}

// round(height of "W" * 1.25), halves to even.
int LineHeight(bool bold = false) {
    const int h = TextSize("W", bold).cy;
    const int quarters = h * 5; // h * 1.25 = quarters / 4
    const int whole = quarters / 4, rest = quarters % 4;
    return rest > 2 || (rest == 2 && whole % 2 == 1) ? whole + 1 : whole;
}

// Per channel round(S - 0.4 * (S - D)): S the background, D the item's own look.
TPixel32 DisabledBlend(TPixel32 background, TPixel32 face) {
    TPixel32 out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const double s = (background >> shift) & 0xFF, d = (face >> shift) & 0xFF;
        out |= static_cast<TPixel32>(std::nearbyint(s - 0.4 * (s - d))) << shift;
    }
    return out;
}

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

class SkinMenusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallSkinableMenus(); }

    void SetUp() override {
        manager = new TsSkinManager(nullptr);
        menus = dynamic_cast<TsSkinableMenus*>(manager->SkinableMenus());
        ASSERT_NE(menus, nullptr);
        TsSkinModel& model = Model();
        model.GeneralData.push_back(testkit::Section("GLOBALINFO", GlobalColor));
        model.GeneralData.push_back(testkit::Section("MAINMENU", MenuColor));
        TsGeneralData item = testkit::Section("MENUITEM", ItemColor, 0, 2);
        item.StateProps[1].Color = ItemHotColor;
        item.StateProps[0].FontColor = ItemFontColor;
        item.StateProps[1].FontColor = ItemHotFontColor;
        item.BordersMaskIndex = 0;
        model.GeneralData.push_back(item);
        testkit::AddBordersItem(*manager, ItemMask);
        testkit::ClearFramePixel(*manager, 0, 0);
        manager->Core().SetActive(true);

        popup = new TPopupMenu(nullptr);
        helpContent = Add("Help Content");
        helpContent->SetShortCut(VK_F1);
        howTo = Add("How Tos && Tutorial Videos...");
        line = Add("-");
        about = Add("About...");
    }
    void TearDown() override {
        delete popup;
        delete manager;
        ClearMenuBackgrounds();
        SetMenuItemDrawn(false);
    }

    TsSkinModel& Model() { return manager->Core().Model(); }
    std::int32_t Section(const char* name) { return Model().SectionIndexOf(name); }

    TMenuItem* Add(const std::string& caption, TMenuItem* parent = nullptr) {
        auto* item = new TMenuItem(nullptr);
        item->SetCaption(caption);
        (parent != nullptr ? *parent : popup->Items()).Add(item);
        return item;
    }

    SIZE Measure(TMenuItem* item) {
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = ODT_MENU;
        measure.itemData = item->Command();
        EXPECT_TRUE(popup->DispatchMeasureItem(measure));
        return {static_cast<LONG>(measure.itemWidth), static_cast<LONG>(measure.itemHeight)};
    }

    void Draw(TMenuItem* item, TBitmap& target, const RECT& rect, UINT systemState) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemData = item->Command();
        draw.itemState = systemState;
        draw.hDC = target.Canvas().Handle();
        draw.rcItem = rect;
        EXPECT_TRUE(popup->DispatchDrawItem(draw));
    }

    // The background of the help popup in a bitmap of a known size; a plain MAINMENU
    // face without a border image is the menu colour everywhere.
    TacMenuBackground& Background() {
        TacMenuBackground* background = menus->PrepareMenuBackground(*helpContent, nullptr, {BackWidth, BackHeight});
        EXPECT_NE(background, nullptr);
        return *background;
    }

    // The MENUITEM face the core paints for `state` over the background at inBack.
    TacPixmap CoreFace(TacPixelsView back, TacRect inBack, int state) {
        TacPixmap face(inBack.Width(), inBack.Height());
        CopyPixels(face.View(), 0, 0, back, inBack);
        PaintSectionFace(face.View(), {0, 0, face.Width(), face.Height()}, &Model(), Section("MENUITEM"), "MENUITEM",
                         state, true, BitmapBackdrop(back, 0, 0), inBack.Left, inBack.Top);
        return face;
    }

    // A one-frame unmasked borders image of its own: 8 x 2 pixels, left column, six
    // centre columns and right column in colours that tell the pieces (and rows) apart.
    void AddDividerImage() {
        auto image = std::make_shared<TacPixmap>(8, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 8; ++x)
                image->At(x, y) = DividerPixel(x == 0 ? 0 : x == 7 ? 2 : 1, y);
        TsMaskData item;
        item.OwnBitmap = image;
        item.Section = "DIVIDERV";
        item.Key = "BORDERSMASK";
        item.SourceRect = {0, 0, 8, 2};
        item.FrameCount = 1;
        item.BorderLeft = item.BorderRight = 1;
        item.PaintFlags = 4; // the centre is painted too
        Model().Masks.push_back(item);
        Model().AdoptItems();
        TsGeneralData divider = testkit::Section("DIVIDERV", MenuColor);
        divider.BordersMaskIndex = static_cast<std::int32_t>(Model().Masks.size()) - 1;
        Model().GeneralData.push_back(divider);
    }
    static TPixel32 DividerPixel(int piece, int row) {
        return MakePixel(static_cast<std::uint8_t>(0x40 + 0x30 * piece), static_cast<std::uint8_t>(0x20 + 0x80 * row),
                         0x99);
    }

    // A two-frame glyph of its own in GLOBALINFO: frame 0 in one colour, frame 1 in another.
    void AddGlyphImage(const std::string& key, TPixel32 normal, TPixel32 hot) {
        auto image = std::make_shared<TacPixmap>(16, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x)
                image->At(x, y) = x < 8 ? normal : hot;
        TsMaskData item;
        item.OwnBitmap = image;
        item.Section = "GLOBALINFO";
        item.Key = key;
        item.SourceRect = {0, 0, 16, 8};
        item.FrameCount = 2;
        item.ItemKind = ikGlyph;
        Model().Masks.push_back(item);
        Model().AdoptItems();
    }

    TsSkinManager* manager = nullptr;
    TsSkinableMenus* menus = nullptr;
    TPopupMenu* popup = nullptr;
    TMenuItem* helpContent = nullptr;
    TMenuItem* howTo = nullptr;
    TMenuItem* line = nullptr;
    TMenuItem* about = nullptr;
};

// ---- Sizes --------------------------------------------------------------------------

TEST_F(SkinMenusTest, ItemSizesFollowTheMeasureRules) {
    TMenuItem* caption = Add("-Links-");
    menus->HookPopupMenu(popup, true);
    const int lineHeight = LineHeight();
    const int glyphColumns = 2 * 16 + 3 * menus->Margin + menus->Spacing;

    // The shortcut's text is measured right after the caption.
    SIZE size = Measure(helpContent);
    EXPECT_EQ(size.cx, glyphColumns + TextSize("Help ContentF1").cx);
    EXPECT_EQ(size.cy, std::max(lineHeight, 16) + 2 * menus->Margin);
    // "&&" shows (and measures) as one "&".
    EXPECT_EQ(Measure(howTo).cx, glyphColumns + TextSize("How Tos & Tutorial Videos...").cx);
    EXPECT_EQ(Measure(line).cy, 2);

    size = Measure(caption);
    EXPECT_EQ(size.cx, glyphColumns + TextSize("--Links--").cx);
    EXPECT_EQ(size.cy, lineHeight + 2 * menus->Margin);

    about->SetDefault(true);
    EXPECT_EQ(Measure(about).cx, glyphColumns + TextSize("About...", true).cx);
    EXPECT_GT(TextSize("About...", true).cx, TextSize("About...").cx);
}

TEST(MenuLineHeight, IsAQuarterMoreThanTheTextRoundedHalfToEven) {
    EXPECT_EQ(MenuLineHeight(13), 16); // 16.25
    EXPECT_EQ(MenuLineHeight(15), 19); // 18.75
    EXPECT_EQ(MenuLineHeight(10), 12); // 12.5
    EXPECT_EQ(MenuLineHeight(14), 18); // 17.5
    EXPECT_EQ(MenuLineHeight(0), 0);
}

TEST_F(SkinMenusTest, GlyphColumnTakesTheBitmapThenSubMenuImagesThenTheMenuImages) {
    TImageList images(nullptr);
    images.SetSize(20, 30);
    TImageList subImages(nullptr);
    subImages.SetSize(12, 12);
    popup->SetImages(&images);
    TMenuItem* child = Add("Child", about);
    TMenuItem* ownPicture = Add("Own", about);
    ownPicture->Bitmap().SetSize(24, 10);
    menus->HookPopupMenu(popup, true);
    const int text = TextSize("About...").cx;
    const int margins = 3 * menus->Margin + menus->Spacing;

    SIZE size = Measure(about);
    EXPECT_EQ(size.cx, 2 * 20 + text + margins);
    EXPECT_EQ(size.cy, std::max(LineHeight(), 30) + 2 * menus->Margin);
    EXPECT_EQ(Measure(child).cx, 2 * 20 + TextSize("Child").cx + margins);
    about->SetSubMenuImages(&subImages);
    EXPECT_EQ(Measure(child).cx, 2 * 12 + TextSize("Child").cx + margins);
    EXPECT_EQ(Measure(ownPicture).cx, 2 * 24 + TextSize("Own").cx + margins);
    popup->SetImages(nullptr);
}

TEST_F(SkinMenusTest, ExtraLineWidensOnlyTheFirstColumnAndOnlyWhenItIsShown) {
    manager->MenuSupport.UseExtraLine = true;
    manager->MenuSupport.ExtraLineWidth = 32;
    TMenuItem* secondColumn = Add("Next");
    secondColumn->SetBreak(TMenuBreak::mbBreak);
    TMenuItem* afterBreak = Add("After");
    menus->HookPopupMenu(popup, true);
    const int margins = 2 * 16 + 3 * menus->Margin + menus->Spacing;

    EXPECT_EQ(Measure(helpContent).cx, margins + TextSize("Help ContentF1").cx + 32);
    EXPECT_EQ(Measure(about).cx, margins + TextSize("About...").cx + 32);
    EXPECT_EQ(Measure(secondColumn).cx, margins + TextSize("Next").cx);
    EXPECT_EQ(Measure(afterBreak).cx, margins + TextSize("After").cx);

    // The application may hide the line; "&" goes from its caption.
    std::string seenCaption;
    menus->OnGetExtraLineData = [&](TMenuItem* first, std::string&, std::string& caption, TBitmap&, bool& visible) {
        EXPECT_EQ(first, helpContent);
        seenCaption = caption;
        visible = false;
    };
    EXPECT_EQ(Measure(helpContent).cx, margins + TextSize("Help ContentF1").cx);
    EXPECT_EQ(seenCaption, "Use OnGetExtraLineData event");
    EXPECT_EQ(Measure(about).cx, margins + TextSize("About...").cx);
}

TEST_F(SkinMenusTest, PopupSizeWithoutAWindowAddsColumnsGapsAndBorders) {
    TMenuItem* secondColumn = Add("Second column");
    secondColumn->SetBreak(TMenuBreak::mbBarBreak);
    menus->HookPopupMenu(popup, true);
    const int first = std::max({Measure(helpContent).cx, Measure(howTo).cx, Measure(line).cx, Measure(about).cx});
    const int second = Measure(secondColumn).cx;
    const int firstHeight = Measure(helpContent).cy + Measure(howTo).cy + Measure(line).cy + Measure(about).cy;
    const SIZE size = menus->PopupSize(*helpContent);
    EXPECT_EQ(size.cx, first + 12 + 4 + second + 12 + 2 * menus->BorderWidth);
    EXPECT_EQ(size.cy, firstHeight + 2 * menus->BorderWidth);
}

// ---- Hooking ----------------------------------------------------------------------------

TEST_F(SkinMenusTest, HookingTakesOnlyUnassignedHandlersAndGivesBackOnlyItsOwn) {
    about->OnMeasureItem = [](TObject*, TCanvas&, int& width, int& height) {
        width = 123;
        height = 45;
    };
    menus->HookPopupMenu(popup, true);
    EXPECT_TRUE(popup->OwnerDraw());
    EXPECT_EQ(Measure(about).cx, 123);
    EXPECT_EQ(Measure(about).cy, 45);
    EXPECT_TRUE(static_cast<bool>(about->OnAdvancedDrawItem));
    EXPECT_EQ(Measure(line).cy, 2);

    // Another painter takes nothing that is not its own.
    TsSkinableMenus other(*manager);
    other.HookPopupMenu(popup, false);
    EXPECT_TRUE(static_cast<bool>(line->OnMeasureItem));

    menus->HookPopupMenu(popup, false);
    EXPECT_FALSE(popup->OwnerDraw());
    EXPECT_FALSE(static_cast<bool>(line->OnMeasureItem));
    EXPECT_FALSE(static_cast<bool>(line->OnAdvancedDrawItem));
    EXPECT_FALSE(static_cast<bool>(about->OnAdvancedDrawItem));
    EXPECT_FALSE(line->IsOwnerDrawn());
    EXPECT_EQ(Measure(about).cx, 123);
}

TEST_F(SkinMenusTest, WithoutSkinnedPopupsNoItemIsOwnerDrawn) {
    manager->SetSkinnedPopups(false);
    menus->HookPopupMenu(popup, true);
    EXPECT_FALSE(popup->OwnerDraw());
    for (TMenuItem* item : {helpContent, howTo, line, about})
        EXPECT_FALSE(item->IsOwnerDrawn()) << item->Caption();
}

TEST_F(SkinMenusTest, HookMenusReachesTheMenusAndStrayItemsOfApplicationForms) {
    auto* form = new TForm(Application);
    auto* formPopup = new TPopupMenu(form);
    auto* formItem = new TMenuItem(form);
    formPopup->Items().Add(formItem);
    auto* stray = new TMenuItem(form);
    auto* strayChild = new TMenuItem(form);
    stray->Add(strayChild);

    menus->HookMenus(true);
    EXPECT_TRUE(formPopup->OwnerDraw());
    EXPECT_TRUE(formItem->IsOwnerDrawn());
    EXPECT_TRUE(static_cast<bool>(stray->OnAdvancedDrawItem));
    EXPECT_TRUE(static_cast<bool>(strayChild->OnMeasureItem));

    // Turning skinned popups off at run time takes the manager's painter off again.
    manager->SetSkinnedPopups(false);
    EXPECT_FALSE(formPopup->OwnerDraw());
    EXPECT_FALSE(formItem->IsOwnerDrawn());
    EXPECT_FALSE(static_cast<bool>(stray->OnAdvancedDrawItem));
    delete form;
}

// ---- Drawing over a known background ----------------------------------------------------

TEST_F(SkinMenusTest, ItemFacesAreTheCoreFacesOverTheBackgroundForBothStates) {
    helpContent->SetCaption("");
    helpContent->SetShortCut(scNone);
    menus->HookPopupMenu(popup, true);
    TacMenuBackground& background = Background();
    const TacPixelsView back = background.Bitmap->Pixels();
    for (int y = 0; y < BackHeight; y += 7)
        for (int x = 0; x < BackWidth; x += 5)
            ASSERT_EQ(back.At(x, y) & 0x00FFFFFF, Rgb(MenuColor));

    const RECT rect{0, 0, 150, 22};
    const TacRect inBack{3, 3, 153, 25};
    for (int state : {0, 1}) {
        TBitmap target(160, 30);
        Draw(helpContent, target, rect, state == 1 ? ODS_SELECTED : 0);
        const TacPixmap expected = CoreFace(back, inBack, state);
        const TacPixelsView drawn = target.Pixels();
        int mismatches = 0;
        for (int y = 0; y < 22; ++y)
            for (int x = 0; x < 150; ++x)
                mismatches += (drawn.At(x, y) & 0x00FFFFFF) != (expected.At(x, y) & 0x00FFFFFF);
        EXPECT_EQ(mismatches, 0) << "state " << state;
    }
    EXPECT_TRUE(MenuItemDrawn());
    // The corner pixel of the face image is clear: the background shows there.
    TBitmap target(160, 30);
    Draw(helpContent, target, rect, ODS_SELECTED);
    EXPECT_EQ(target.Pixels().At(0, 0) & 0x00FFFFFF, Rgb(MenuColor));
}

TEST_F(SkinMenusTest, DisabledItemKeepsFortyPercentOfItsFaceOverTheBackground) {
    about->SetCaption("");
    about->SetEnabled(false);
    menus->HookPopupMenu(popup, true);
    const TacPixelsView back = Background().Bitmap->Pixels();
    const RECT rect{0, 40, 150, 62};
    TBitmap target(160, 70);
    // Selected, but a disabled item never shows the hot face.
    Draw(about, target, rect, ODS_SELECTED | ODS_GRAYED);
    const TacPixmap face = CoreFace(back, {3, 43, 153, 65}, 0);
    int mismatches = 0;
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 150; ++x) {
            const TPixel32 expected = DisabledBlend(back.At(3 + x, 43 + y), face.At(x, y)) & 0x00FFFFFF;
            mismatches += (target.Pixels().At(x, 40 + y) & 0x00FFFFFF) != expected;
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_NE(Rgb(ItemColor), DisabledBlend(Rgb(MenuColor), Rgb(ItemColor)));
}

TEST_F(SkinMenusTest, SeparatorDrawsTheDividerImageBetweenTheTextIndentAndTheRightGap) {
    AddDividerImage();
    menus->HookPopupMenu(popup, true);
    const TacPixelsView back = Background().Bitmap->Pixels();
    const int width = 150;
    TBitmap target(width, 2);
    Draw(line, target, RECT{0, 0, width, 2}, 0);
    const int left = menus->Margin + 16 + menus->Spacing + 2;
    const int right = width - (2 * menus->Margin + menus->Spacing);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < width; ++x) {
            TPixel32 expected = back.At(3 + x, 3 + y);
            if (x == left)
                expected = DividerPixel(0, y);
            else if (x == right - 1)
                expected = DividerPixel(2, y);
            else if (x > left && x < right - 1)
                expected = DividerPixel(1, y);
            ASSERT_EQ(target.Pixels().At(x, y) & 0x00FFFFFF, expected & 0x00FFFFFF) << x << "," << y;
        }
}

TEST_F(SkinMenusTest, SeparatorWithoutADividerImageIsALineInTheBorderColour) {
    menus->HookPopupMenu(popup, true);
    const int width = 150;
    const int left = menus->Margin + 16 + menus->Spacing + 2;
    const int right = width - (2 * menus->Margin + menus->Spacing);
    for (std::uint32_t border : {std::uint32_t{0x00336699}, std::uint32_t{clKeyPixel}}) {
        Model().SkinGlobals.BorderColor = border;
        Background();
        TBitmap target(width, 2);
        Draw(line, target, RECT{0, 0, width, 2}, 0);
        const TPixel32 lineColor = border == clKeyPixel ? Rgb(::GetSysColor(COLOR_BTNSHADOW)) : Rgb(border);
        for (int x = 0; x < width; ++x) {
            const bool onLine = x >= left && x < right;
            EXPECT_EQ(target.Pixels().At(x, 0) & 0x00FFFFFF, onLine ? lineColor : Rgb(MenuColor)) << x;
            EXPECT_EQ(target.Pixels().At(x, 1) & 0x00FFFFFF, Rgb(MenuColor)) << x;
        }
    }
}

TEST_F(SkinMenusTest, CheckedItemsShowTheSkinsCheckOrRadioImageInTheItemsState) {
    const TPixel32 checkNormal = MakePixel(0x11, 0x22, 0x33), checkHot = MakePixel(0x44, 0x55, 0x66);
    const TPixel32 boxNormal = MakePixel(0x77, 0x10, 0x10), boxHot = MakePixel(0x88, 0x20, 0x20);
    const TPixel32 radioNormal = MakePixel(0x10, 0x99, 0x10), radioHot = MakePixel(0x20, 0xAA, 0x20);
    AddGlyphImage("BOXCHECKED", boxNormal, boxHot);
    AddGlyphImage("RADIOCHECKED", radioNormal, radioHot);
    howTo->SetChecked(true);
    menus->HookPopupMenu(popup, true);
    Background();
    const RECT rect{0, 0, 150, 22};
    const int markX = menus->Margin, markY = (22 - 8) / 2;
    auto markAt = [&](UINT state) {
        TBitmap target(150, 22);
        Draw(howTo, target, rect, state);
        return target.Pixels().At(markX + 3, markY + 3) & 0x00FFFFFF;
    };
    // Without "CHECK" the box image stands in.
    EXPECT_EQ(markAt(0), boxNormal & 0x00FFFFFF);
    EXPECT_EQ(markAt(ODS_SELECTED), boxHot & 0x00FFFFFF);
    AddGlyphImage("CHECK", checkNormal, checkHot);
    EXPECT_EQ(markAt(ODS_SELECTED), checkHot & 0x00FFFFFF);
    howTo->SetRadioItem(true);
    EXPECT_EQ(markAt(0), radioNormal & 0x00FFFFFF);
    EXPECT_EQ(markAt(ODS_SELECTED), radioHot & 0x00FFFFFF);
}

TEST_F(SkinMenusTest, OneBackgroundServesEveryItemOfAPopup) {
    TMenuItem* child = Add("Child", about);
    menus->HookPopupMenu(popup, true);
    TBitmap target(150, 100);
    Draw(helpContent, target, RECT{0, 0, 150, 22}, 0);
    ASSERT_EQ(MenuBackgroundCount(), 1);
    TacMenuBackground* background = FindMenuBackground(helpContent);
    ASSERT_NE(background, nullptr);
    const TBitmap* bitmap = background->Bitmap.get();
    // Without a window the popup's size comes from its items.
    EXPECT_EQ(bitmap->Width(), menus->PopupSize(*helpContent).cx);

    // A mark in the cached background shows through the next separator.
    const TPixel32 mark = MakePixel(0x12, 0x34, 0x56);
    background->Bitmap->Pixels().At(3 + 5, 3 + 45) = mark;
    Draw(line, target, RECT{0, 44, 150, 46}, 0);
    Draw(howTo, target, RECT{0, 22, 150, 44}, ODS_SELECTED);
    Draw(about, target, RECT{0, 46, 150, 68}, 0);
    EXPECT_EQ(MenuBackgroundCount(), 1);
    EXPECT_EQ(FindMenuBackground(helpContent)->Bitmap.get(), bitmap);
    EXPECT_EQ(target.Pixels().At(5, 45) & 0x00FFFFFF, mark & 0x00FFFFFF);

    // A sub-menu is a popup of its own.
    Draw(child, target, RECT{0, 0, 150, 22}, 0);
    EXPECT_EQ(MenuBackgroundCount(), 2);
    ClearMenuBackgrounds();
    EXPECT_EQ(FindMenuBackground(helpContent), nullptr);
}

TEST_F(SkinMenusTest, DrawEventsSeeTheItemBitmapAndTheLockedCanvas) {
    menus->HookPopupMenu(popup, true);
    Background();
    std::vector<TsMenuItemType> kinds;
    menus->OnDrawItem = [&](TMenuItem* sender, TCanvas& canvas, const RECT& rect, TOwnerDrawState,
                            TsMenuItemType type) {
        EXPECT_TRUE(sender == helpContent || sender == line);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.right, 150);
        canvas.SetPixel(1, 1, 0x00123456);
        kinds.push_back(type);
    };
    int locks = -1;
    TPixel32 seenByApplication = 0;
    TBitmap target(150, 30);
    helpContent->OnDrawItem = [&](TObject*, TCanvas& canvas, const RECT&, bool selected) {
        EXPECT_TRUE(selected);
        locks = canvas.LockCount();
        seenByApplication = canvas.Pixel(1, 1);
    };
    Draw(helpContent, target, RECT{0, 0, 150, 22}, ODS_SELECTED);
    Draw(line, target, RECT{0, 22, 150, 24}, 0);
    EXPECT_EQ(locks, 1);
    // The application's handler runs last: the painter's item (with the event's mark) is there.
    EXPECT_EQ(seenByApplication, TColor{0x00123456});
    EXPECT_EQ(target.Pixels().At(1, 1) & 0x00FFFFFF, Rgb(0x00123456));
    ASSERT_EQ(kinds.size(), 2u);
    EXPECT_EQ(kinds[0], TsMenuItemType::smNormal);
    EXPECT_EQ(kinds[1], TsMenuItemType::smDivider);
}

TEST_F(SkinMenusTest, DividerCaptionTextIsItsFirstDashDelimitedWord) {
    EXPECT_EQ(DividerCaptionText("-Tools-"), "Tools");
    EXPECT_EQ(DividerCaptionText("--Tools--More-"), "Tools");
    EXPECT_EQ(DividerCaptionText("--"), "");
    TMenuItem* caption = Add("-Tools-");
    EXPECT_TRUE(IsDividerCaptionItem(*caption));
    EXPECT_FALSE(IsDividerCaptionItem(*line));
    EXPECT_TRUE(IsSeparatorItem(*line));
}

TEST_F(SkinMenusTest, SkinBorderWidthComesFromTheMainMenuBorderImageUntilTheNextSkin) {
    EXPECT_EQ(menus->SkinBorderWidth(), 0); // no image
    Model().GeneralData[static_cast<std::size_t>(Section("MAINMENU"))].BordersMaskIndex = 0;
    EXPECT_EQ(menus->SkinBorderWidth(), 0); // cached
    menus->ForgetSkinValues();
    EXPECT_EQ(menus->SkinBorderWidth(), 2);
    Model().Masks[0].BorderLeft = 0;
    menus->ForgetSkinValues();
    EXPECT_EQ(menus->SkinBorderWidth(), 3);
}

TEST_F(SkinMenusTest, WindowMenuItemsWithoutImagesShowTheirCommandGlyphInTheTextColour) {
    popup->SetName("acSysMenu1234");
    helpContent->SetCaption("");
    helpContent->SetShortCut(scNone);
    helpContent->SetTag(SC_CLOSE);
    about->SetCaption("");
    about->SetTag(0x0100); // a command of the window's own: no glyph
    menus->HookPopupMenu(popup, true);
    Background();
    auto inkInGlyphSquare = [&](TMenuItem* item) {
        TBitmap target(150, 22);
        Draw(item, target, RECT{0, 0, 150, 22}, ODS_SELECTED);
        int ink = 0;
        for (int y = 0; y < 22; ++y)
            for (int x = 4; x < 4 + 22; ++x)
                ink += (target.Pixels().At(x, y) & 0x00FFFFFF) == Rgb(ItemHotFontColor);
        return ink;
    };
    EXPECT_GT(inkInGlyphSquare(helpContent), 0);
    EXPECT_EQ(inkInGlyphSquare(about), 0);
}

// ---- Menu bar items ----------------------------------------------------------------------

TEST_F(SkinMenusTest, BarItemsMeasureTheirCaptionAndPaintOverTheMenuLine) {
    constexpr std::int32_t LineColor = 0x00406080;
    Model().GeneralData.push_back(testkit::Section("MENULINE", LineColor));
    TMenu bar(nullptr);
    auto* file = new TMenuItem(nullptr);
    file->SetCaption("&File");
    bar.Items().Add(file);
    auto* open = new TMenuItem(nullptr);
    open->SetCaption("Open");
    file->Add(open);
    menus->HookMainMenu(&bar, true);

    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemData = file->Command();
    ASSERT_TRUE(bar.DispatchMeasureItem(measure));
    EXPECT_EQ(static_cast<int>(measure.itemHeight), ::GetSystemMetrics(SM_CYMENU) - 1);
    EXPECT_EQ(static_cast<int>(measure.itemWidth), TextSize("File").cx);
    // The sub-items are popup items.
    measure.itemData = open->Command();
    ASSERT_TRUE(bar.DispatchMeasureItem(measure));
    EXPECT_EQ(static_cast<int>(measure.itemWidth), 2 * 16 + 3 * menus->Margin + menus->Spacing + TextSize("Open").cx);

    file->SetCaption("");
    TacPixmap lineFace(40, 18);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 40; ++x)
            lineFace.At(x, y) = ColorToPixelOrder(LineColor);
    for (bool enabled : {true, false}) {
        file->SetEnabled(enabled);
        TBitmap target(40, 18);
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemData = file->Command();
        draw.itemState = ODS_SELECTED;
        draw.hDC = target.Canvas().Handle();
        draw.rcItem = RECT{0, 0, 40, 18};
        ASSERT_TRUE(bar.DispatchDrawItem(draw));
        TacPixmap face(40, 18);
        CopyPixels(face.View(), 0, 0, lineFace.View(), {0, 0, 40, 18});
        PaintSectionFace(face.View(), {0, 0, 40, 18}, &Model(), Section("MENUITEM"), "MENUITEM", enabled ? 1 : 0, true,
                         BitmapBackdrop(lineFace.View(), 0, 0), 0, 0);
        int mismatches = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 40; ++x) {
                const TPixel32 expected = enabled ? face.At(x, y) : DisabledBlend(lineFace.At(x, y), face.At(x, y));
                mismatches += (target.Pixels().At(x, y) & 0x00FFFFFF) != (expected & 0x00FFFFFF);
            }
        EXPECT_EQ(mismatches, 0) << (enabled ? "enabled" : "disabled");
    }
}

// ---- A real popup window ------------------------------------------------------------------

struct TPopupProbe {
    TMenuItem* FirstItem = nullptr;
    int Ticks = 0;
    bool Seen = false;
    SIZE Size{};
    bool HasBackground = false;
    bool CornersCut = false;
    bool InsideKept = false;
    bool ShapedAgainByWindowMessage = false;
    bool ShapedAgainByItemMessage = false;
    bool TryDeferredMessages = true;
    HWND Window = nullptr;
};
TPopupProbe GProbe;

bool ShapedAsExpected(HWND window, SIZE size) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    const bool has = ::GetWindowRgn(window, region) != ERROR;
    const bool cut = has && !::PtInRegion(region, 0, 0) && !::PtInRegion(region, 1, 0) &&
                     !::PtInRegion(region, size.cx - 1, size.cy - 1);
    const bool kept = has && ::PtInRegion(region, 2, 0) && ::PtInRegion(region, 0, 2) &&
                      ::PtInRegion(region, size.cx / 2, size.cy / 2) && ::PtInRegion(region, size.cx - 2, size.cy - 1);
    ::DeleteObject(region);
    return cut && kept;
}

void CALLBACK ProbePopup(HWND, UINT, UINT_PTR id, DWORD) {
    HWND window = ::FindWindowA("#32768", nullptr);
    if (window == nullptr || !::IsWindowVisible(window) || !MenuItemDrawn()) {
        if (++GProbe.Ticks > 100) {
            ::KillTimer(nullptr, id);
            ::EndMenu();
        }
        return;
    }
    ::KillTimer(nullptr, id);
    GProbe.Seen = true;
    RECT r{};
    ::GetWindowRect(window, &r);
    GProbe.Size = {r.right - r.left, r.bottom - r.top};
    TacMenuBackground* background = FindMenuBackgroundByWindow(window);
    GProbe.HasBackground = background != nullptr && background->Bitmap->Width() == GProbe.Size.cx &&
                           background->Bitmap->Height() == GProbe.Size.cy;
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    if (::GetWindowRgn(window, region) != ERROR) {
        GProbe.CornersCut = !::PtInRegion(region, 0, 0) && !::PtInRegion(region, 1, 0) &&
                            !::PtInRegion(region, GProbe.Size.cx - 1, GProbe.Size.cy - 1);
        GProbe.InsideKept = ::PtInRegion(region, GProbe.Size.cx / 2, GProbe.Size.cy / 2) != 0;
    }
    ::DeleteObject(region);
    GProbe.Window = window;
    if (!GProbe.TryDeferredMessages) {
        ::EndMenu();
        return;
    }

    // The deferred messages reach the painter through the manager's hook.
    ::SetWindowRgn(window, nullptr, FALSE);
    ::SendMessageA(Application->Handle(), WM_AC_SHAPEMENUWINDOW, 0, reinterpret_cast<LPARAM>(window));
    GProbe.ShapedAgainByWindowMessage = ShapedAsExpected(window, GProbe.Size);
    ::SetWindowRgn(window, nullptr, FALSE);
    ClearMenuBackgrounds();
    ::SendMessageA(Application->Handle(), WM_AC_SHAPEMENUITEM, 0, static_cast<LPARAM>(GProbe.FirstItem->Command()));
    GProbe.ShapedAgainByItemMessage = ShapedAsExpected(window, GProbe.Size);
    ::EndMenu();
}

TEST_F(SkinMenusTest, ShownPopupGetsItsShapeFromTheBorderImagesClearCorners) {
    // The border image of the popup: clear pixels at (0, 0) and (1, 0) of the top-left
    // corner piece and at the last pixel of the bottom-right one.
    testkit::ClearFramePixel(*manager, 1, 0);
    testkit::ClearFramePixel(*manager, 5, 5);
    Model().GeneralData[static_cast<std::size_t>(Section("MAINMENU"))].BordersMaskIndex = 0;
    menus->ForgetSkinValues();
    menus->HookPopupMenu(popup, true);
    GProbe = TPopupProbe{};
    GProbe.FirstItem = helpContent;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, ProbePopup);
    ASSERT_NE(timer, 0u);
    popup->Popup(200, 200);
    ::KillTimer(nullptr, timer);
    Pump();

    ASSERT_TRUE(GProbe.Seen);
    EXPECT_TRUE(GProbe.HasBackground);
    EXPECT_TRUE(GProbe.CornersCut);
    EXPECT_TRUE(GProbe.InsideKept);
    EXPECT_TRUE(GProbe.ShapedAgainByWindowMessage);
    EXPECT_TRUE(GProbe.ShapedAgainByItemMessage);

    // Shown again, the popup has a window of its own and is shaped again.
    for (int again = 0; again < 3; ++again) {
        GProbe = TPopupProbe{};
        GProbe.FirstItem = helpContent;
        GProbe.TryDeferredMessages = false;
        const UINT_PTR next = ::SetTimer(nullptr, 0, 50, ProbePopup);
        popup->Popup(220, 210);
        ::KillTimer(nullptr, next);
        Pump();
        ASSERT_TRUE(GProbe.Seen);
        EXPECT_TRUE(GProbe.HasBackground);
        EXPECT_TRUE(GProbe.CornersCut) << again;
        EXPECT_EQ(MenuBackgroundCount(), 1);
    }
}

} // namespace
} // namespace sj

// Ordinary controls skinned by the control adapter under Wine: the adapter kind chosen
// by exact class name, the window mark, the control given back whole when the skin is
// removed, late windows adapted, and the painted frames of edits and group boxes.
#include "skin/controls/acSBUtils.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <commctrl.h>

#include "forms/ComCtrls.h"
#include "forms/Forms.h"
#include "forms/ImgList.h"
#include "skin/controls/sEdit.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sGraphUtils.h"

namespace sj {
namespace {

constexpr std::int32_t FormColor = 0x00204060;
constexpr std::int32_t GroupColor = 0x00A0C0E0;
constexpr std::int32_t EditColor = 0x00F0E0D0;
constexpr std::int32_t EditFontColor = 0x00102030;
constexpr std::int32_t LabelColor = 0x000000C0;
constexpr std::int32_t BodyColor = 0x00306090;
constexpr std::int32_t TabColor = 0x00909090;
constexpr std::int32_t SelectedTabColor = 0x00C0FFC0;

TPixel32 Rgb(std::int32_t color) {
    return ColorToPixelOrder(static_cast<TColor>(color)) & 0x00FFFFFF;
}

TsGeneralData PlainSection(const std::string& name, std::int32_t color, std::int32_t fontColor = 0) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = 1;
    for (TsGenState& st : s.StateProps) {
        st.Color = color;
        st.FontColor = fontColor;
    }
    return s;
}

// A TEdit under another class name: the lists compare names exactly.
class TMyEdit : public TEdit {
    SJ_CLASS(TMyEdit, TEdit)
public:
    using TEdit::TEdit;
};

class AdapterTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager = new TsSkinManager(nullptr);
        manager->ThirdParty[tpEdits] = "TEdit\nTMemo";
        manager->ThirdParty[tpButtons] = "TButton";
        manager->ThirdParty[3] = "TCheckBox\nTRadioButton";
        manager->ThirdParty[tpGroupBoxes] = "TGroupBox";
        manager->ThirdParty[tpPageControls] = "TPageControl";
        manager->InitThirdParty(false);
        TsSkinModel& model = manager->Core().Model();
        TsGeneralData global = PlainSection("GLOBALINFO", FormColor);
        global.FontColor = LabelColor;
        model.GeneralData.push_back(global);
        model.GeneralData.push_back(PlainSection("FORM", FormColor));
        model.GeneralData.push_back(PlainSection("EDIT", EditColor, EditFontColor));
        model.GeneralData.push_back(PlainSection("GROUPBOX", GroupColor));
        model.GeneralData.push_back(PlainSection("CHECKBOX", FormColor));
        model.GeneralData.push_back(PlainSection("BUTTON", 0x00808080));
        model.GeneralData.push_back(PlainSection("PAGECONTROL", BodyColor));
        TsGeneralData tab = PlainSection("TABTOP", TabColor);
        tab.States = 2;
        tab.StateProps[1].Color = SelectedTabColor;
        model.GeneralData.push_back(tab);
        manager->Core().SetActive(true);

        form = new TForm(nullptr);
        form->SetBounds(60, 60, 360, 260);
        edit = Place(new TEdit(form), form, 10, 10, 120, 22);
        edit->SetColor(0x00123456);
        myEdit = Place(new TMyEdit(form), form, 10, 40, 120, 22);
        untouched = Place(new TEdit(form), form, 10, 70, 120, 22);
        untouched->SetTag(-98);
        skinnedEdit = Place(new TsEdit(form), form, 10, 100, 120, 22);
        button = Place(new TButton(form), form, 10, 130, 80, 25);
        button->SetCaption("OK");
        group = Place(new TGroupBox(form), form, 150, 10, 180, 120);
        group->SetCaption("Size");
        radio = Place(new TRadioButton(group), group, 10, 30, 120, 20);
        radio->SetCaption("100 MB");
        label = Place(new TLabel(form), form, 10, 170, 80, 15);
        label->SetCaption("File");
        ownColorLabel = Place(new TLabel(form), form, 10, 190, 80, 15);
        ownColorLabel->SetTag(98);
        ownColorLabel->Font().SetColor(0x00007700);
        form->Show();
        owner = new TacFormSkinOwner(*form, manager);
        Pump();
    }
    void TearDown() override {
        delete owner;
        delete form;
        delete manager;
    }

    template <class C> static C* Place(C* control, TWinControl* parent, int x, int y, int w, int h) {
        Position(*control, parent, RECT{x, y, x + w, y + h});
        return control;
    }
    static void Position(TControl& control, TWinControl* parent, const RECT& bounds) {
        control.SetBoundsRect(bounds);
        control.SetParent(parent);
    }
    static void Pump() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    TacMainWnd* AdapterOf(TControl* control) {
        TacAdapterItem* item = owner->Adapter().ItemOf(control);
        return item != nullptr ? item->WindowAdapter() : nullptr;
    }
    static bool Marked(TWinControl* control) { return ::GetPropA(control->Handle(), AdaptedWindowProperty) != nullptr; }
    // What the window shows: printed into a 32-bit bitmap of its size.
    static TPixel32 PrintedPixel(TWinControl* control, int x, int y) {
        auto bitmap = CreateBitmap32(control->Width(), control->Height());
        ::SendMessageA(control->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(bitmap->Canvas().Handle()),
                       PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
        return bitmap->Pixels().At(x, y) & 0x00FFFFFF;
    }
    void RemoveSkin() {
        for (TControl* c :
             {static_cast<TControl*>(form), static_cast<TControl*>(edit), static_cast<TControl*>(myEdit),
              static_cast<TControl*>(button), static_cast<TControl*>(group), static_cast<TControl*>(radio)})
            SendSkinCommand(c, scRemoveSkin, 0, reinterpret_cast<LPARAM>(manager));
        Pump();
    }

    TsSkinManager* manager = nullptr;
    TForm* form = nullptr;
    TEdit* edit = nullptr;
    TMyEdit* myEdit = nullptr;
    TEdit* untouched = nullptr;
    TsEdit* skinnedEdit = nullptr;
    TButton* button = nullptr;
    TGroupBox* group = nullptr;
    TRadioButton* radio = nullptr;
    TLabel* label = nullptr;
    TLabel* ownColorLabel = nullptr;
    TacFormSkinOwner* owner = nullptr;
};

TEST_F(AdapterTest, EachListedClassGetsItsKindAndOthersStayStandard) {
    EXPECT_NE(dynamic_cast<TacEditWnd*>(AdapterOf(edit)), nullptr);
    EXPECT_NE(dynamic_cast<TacBtnWnd*>(AdapterOf(button)), nullptr);
    EXPECT_NE(dynamic_cast<TacGroupBoxWnd*>(AdapterOf(group)), nullptr);
    EXPECT_NE(dynamic_cast<TacCheckBoxWnd*>(AdapterOf(radio)), nullptr);
    EXPECT_EQ(AdapterOf(myEdit), nullptr);
    EXPECT_EQ(AdapterOf(untouched), nullptr);
    EXPECT_EQ(AdapterOf(skinnedEdit), nullptr);
    EXPECT_TRUE(Marked(edit));
    EXPECT_TRUE(Marked(radio));
    EXPECT_FALSE(Marked(myEdit));
    EXPECT_FALSE(Marked(untouched));
    EXPECT_EQ(SendSkinCommand(edit, scIsSkinned), 1);
    EXPECT_EQ(SendSkinCommand(untouched, scIsSkinned), 0);
}

TEST_F(AdapterTest, EditTakesSectionColoursAndRemovalGivesEverythingBack) {
    HWND window = edit->Handle();
    const LONG_PTR procedure = ::GetWindowLongPtrA(window, GWLP_WNDPROC);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_EQ(edit->Color(), static_cast<TColor>(EditColor));
    EXPECT_EQ(edit->Font().Color(), static_cast<TColor>(EditFontColor));
    EXPECT_NE(edit->ControlStyle() & csOpaque, 0u);
    const TControlStyle groupStyleBefore = group->ControlStyle() & ~static_cast<unsigned>(csOpaque);

    RemoveSkin();
    EXPECT_EQ(edit->Color(), static_cast<TColor>(0x00123456));
    EXPECT_EQ(edit->Font().Color(), static_cast<TColor>(clWindowText));
    EXPECT_FALSE(Marked(edit));
    EXPECT_FALSE(Marked(group));
    EXPECT_EQ(::GetWindowLongPtrA(window, GWLP_WNDPROC), procedure);
    EXPECT_EQ(edit->ControlStyle() & csOpaque, 0u);
    EXPECT_EQ(group->ControlStyle(), groupStyleBefore);
    EXPECT_EQ(SendSkinCommand(edit, scIsSkinned), 0);
    EXPECT_TRUE(label->Font().Color() != static_cast<TColor>(LabelColor));

    // A new skin adapts the same windows again.
    SendSkinCommand(edit, scNewSkin, 0, reinterpret_cast<LPARAM>(manager));
    EXPECT_TRUE(Marked(edit));
    EXPECT_EQ(edit->Color(), static_cast<TColor>(EditColor));
}

TEST_F(AdapterTest, DestroyedWindowIsUnmarkedAndRecreatedWindowAdaptedAgain) {
    TacMainWnd* first = AdapterOf(radio);
    ASSERT_NE(first, nullptr);
    radio->DestroyHandle();
    EXPECT_TRUE(first->Destroyed());
    radio->HandleNeeded();
    Pump();
    EXPECT_TRUE(Marked(radio));
    TacMainWnd* second = AdapterOf(radio);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->Destroyed());
}

TEST_F(AdapterTest, ControlCreatedAfterStartUpIsAdaptedWhenItsWindowAppears) {
    auto* late = new TEdit(form);
    late->SetBounds(150, 150, 100, 22);
    late->SetParent(form);
    late->HandleNeeded();
    Pump();
    EXPECT_TRUE(Marked(late));
    EXPECT_NE(dynamic_cast<TacEditWnd*>(AdapterOf(late)), nullptr);
    delete late;
    EXPECT_EQ(owner->Adapter().ItemOf(late), nullptr);
}

TEST_F(AdapterTest, LabelsTakeSkinTextColourUnlessTaggedOrTheSkinHasNone) {
    EXPECT_TRUE(label->Transparent());
    EXPECT_EQ(label->Font().Color(), static_cast<TColor>(LabelColor));
    EXPECT_EQ(ownColorLabel->Font().Color(), static_cast<TColor>(0x00007700));

    delete owner;
    owner = nullptr;
    // Freeing the owner gives the controls back as well.
    EXPECT_FALSE(Marked(edit));
    EXPECT_EQ(edit->Color(), static_cast<TColor>(0x00123456));
    label->SetTransparent(false);
    label->Font().SetColor(clWindowText);
    manager->Core().Model().GeneralData[0].FontColor = static_cast<std::int32_t>(clKeyPixel);
    owner = new TacFormSkinOwner(*form, manager);
    EXPECT_FALSE(label->Transparent());
    EXPECT_EQ(label->Font().Color(), static_cast<TColor>(clWindowText));
}

TEST_F(AdapterTest, EditBorderIsTheCoreFaceOfTheEditSection) {
    const TPixel32 shown = PrintedPixel(edit, 0, edit->Height() / 2);
    TsCommonData reference(edit, true);
    reference.SetSkinManager(manager);
    reference.SetSkinSection("EDIT");
    RECT client{};
    PaintControlBorder(reference.CacheBitmap->Canvas().Handle(), RECT{0, 0, edit->Width(), edit->Height()}, 2, client,
                       0, reference);
    EXPECT_EQ(shown, reference.CacheBitmap->Pixels().At(0, edit->Height() / 2) & 0x00FFFFFF);
    EXPECT_EQ(shown, ColorToPixelOrder(static_cast<TColor>(EditColor)) & 0x00FFFFFF);
}

TEST_F(AdapterTest, GroupBoxFrameStartsAtHalfTheCaptionHeight) {
    const auto captionHeight =
        static_cast<int>(::SendMessageA(group->Handle(), SkinCommandMessage, SkinCommand(scQueryCaptionHeight), 0));
    ASSERT_GT(captionHeight, 4);
    const int half = captionHeight / 2;
    const TPixel32 back = ColorToPixelOrder(static_cast<TColor>(FormColor)) & 0x00FFFFFF;
    const TPixel32 face = ColorToPixelOrder(static_cast<TColor>(GroupColor)) & 0x00FFFFFF;
    const int right = group->Width() - 3;
    EXPECT_EQ(PrintedPixel(group, right, half - 1), back);
    EXPECT_EQ(PrintedPixel(group, right, half), face);
    EXPECT_EQ(PrintedPixel(group, right, group->Height() - 1), face);
    // The caption sits on the parent's backdrop, not on the section face.
    EXPECT_EQ(PrintedPixel(group, 7, captionHeight - 1), back);
}

TEST_F(AdapterTest, DisabledRadioButtonIsDrawnSixtyPercentTowardItsBackground) {
    constexpr std::int32_t FaceColor = 0x00E0B020;
    manager->Core().Model().GeneralData[4].StateProps[0].Color = FaceColor;
    manager->Core().Model().GeneralData[4].StateProps[1].Color = FaceColor;
    SendSkinCommand(radio, scRefresh, 0, reinterpret_cast<LPARAM>(manager));
    const int x = radio->Width() - 2;
    EXPECT_EQ(PrintedPixel(radio, x, 1), Rgb(FaceColor));
    radio->SetEnabled(false);
    Pump();
    const TPixel32 shown = PrintedPixel(radio, x, 1);
    // The group box's face lies behind the radio button.
    const TPixel32 face = Rgb(FaceColor);
    const TPixel32 back = Rgb(GroupColor);
    for (int shift : {0, 8, 16}) {
        const int f = static_cast<int>((face >> shift) & 0xFF);
        const int b = static_cast<int>((back >> shift) & 0xFF);
        const int expected = f + (b - f) * 6 / 10;
        EXPECT_NEAR(static_cast<int>((shown >> shift) & 0xFF), expected, 1) << "channel at bit " << shift;
    }
}

class PageAdapterTest : public AdapterTest {
protected:
    void SetUp() override {
        AdapterTest::SetUp();
        delete owner;
        pages = Place(new TPageControl(form), form, 150, 140, 200, 110);
        split = new TTabSheet(form);
        split->SetCaption("Split");
        split->SetPageControl(pages);
        join = new TTabSheet(form);
        join->SetCaption("Join");
        join->SetPageControl(pages);
        joinEdit = Place(new TEdit(form), join, 5, 5, 80, 22);
        pages->SetActivePageIndex(0);
        owner = new TacFormSkinOwner(*form, manager);
        Pump();
    }
    TPageControl* pages = nullptr;
    TTabSheet* split = nullptr;
    TTabSheet* join = nullptr;
    TEdit* joinEdit = nullptr;
};

TEST_F(PageAdapterTest, PagesShowTheBodyAndTheSelectedTabJoinsIt) {
    ASSERT_NE(dynamic_cast<TacPageControlWnd*>(AdapterOf(pages)), nullptr);
    EXPECT_TRUE(Marked(split));
    RECT selected{};
    RECT other{};
    ASSERT_TRUE(TabCtrl_GetItemRect(pages->Handle(), 0, &selected));
    ASSERT_TRUE(TabCtrl_GetItemRect(pages->Handle(), 1, &other));
    // Sampled beside the captions, inside the 3-pixel margin the text leaves free.
    EXPECT_EQ(PrintedPixel(pages, selected.left + 1, selected.top + 1), Rgb(SelectedTabColor));
    EXPECT_EQ(PrintedPixel(pages, other.left + 1, other.top + 1), Rgb(TabColor));
    // No seam: the selected tab's colour runs down to the body's top edge.
    EXPECT_EQ(PrintedPixel(pages, selected.left + 1, selected.bottom), Rgb(SelectedTabColor));
    EXPECT_EQ(PrintedPixel(pages, pages->Width() - 4, pages->Height() - 4), Rgb(BodyColor));
    EXPECT_EQ(PrintedPixel(split, 3, 3), Rgb(BodyColor));
}

// Where the tab shows pixels of exactly `color`: their bounding box, empty if none.
RECT PixelsOfColor(TWinControl* control, const RECT& area, TPixel32 color) {
    auto bitmap = CreateBitmap32(control->Width(), control->Height());
    ::SendMessageA(control->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(bitmap->Canvas().Handle()),
                   PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
    RECT box{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if ((bitmap->Pixels().At(x, y) & 0x00FFFFFF) == color) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

TEST_F(PageAdapterTest, TabImageSitsLeftOfTheCaptionCentredInTheTab) {
    TImageList images(form);
    images.SetSize(16, 16);
    images.AddPixels(TacPixmap(16, 16, 0xFF0000FF)); // opaque blue
    pages->SetImages(&images);
    split->SetImageIndex(0);
    Pump();
    RECT selected{};
    RECT other{};
    ASSERT_TRUE(TabCtrl_GetItemRect(pages->Handle(), 0, &selected));
    ASSERT_TRUE(TabCtrl_GetItemRect(pages->Handle(), 1, &other));
    const RECT image = PixelsOfColor(pages, selected, 0x000000FF);
    EXPECT_EQ(image.right - image.left, 16);
    EXPECT_EQ(image.bottom - image.top, 16);
    // Vertically centred in the tab less its 3-pixel margin; the caption follows on the
    // right, so the image starts left of the tab's middle.
    EXPECT_NEAR(image.top, selected.top + 3 + ((selected.bottom - selected.top - 6) - 16) / 2, 1);
    EXPECT_LT(image.left + 8, (selected.left + selected.right) / 2);
    const RECT none = PixelsOfColor(pages, other, 0x000000FF);
    EXPECT_GE(none.left, none.right) << "the tab without an image shows none";
    pages->SetImages(nullptr);
}

TEST_F(PageAdapterTest, PageShownTheFirstTimeLaterIsAdaptedWithItsControls) {
    pages->SetActivePageIndex(1);
    Pump();
    ::RedrawWindow(pages->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(Marked(join));
    EXPECT_TRUE(Marked(joinEdit));
    EXPECT_NE(dynamic_cast<TacEditWnd*>(AdapterOf(joinEdit)), nullptr);
}

} // namespace
} // namespace sj

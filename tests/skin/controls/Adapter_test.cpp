// Ordinary controls skinned by the control adapter under Wine: the adapter kind chosen
// by exact class name, the window mark, the control given back whole when the skin is
// removed, late windows adapted, and the painted frames of edits and group boxes.
#include "skin/controls/acSBUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <commctrl.h>

#include "forms/ComCtrls.h"
#include "forms/Forms.h"
#include "forms/ImgList.h"
#include "skin/controls/sEdit.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sGraphUtils.h"
#include "tests/skin/controls/AdapterSkinKit.h"

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

using test::PlainSection;
using test::Rgb;

// A TEdit under another class name: the lists compare names exactly.
class TMyEdit : public TEdit {
    SJ_CLASS(TMyEdit, TEdit)
public:
    using TEdit::TEdit;
};

// An edit with a vertical scroll bar, listed with the edits.
class TScrollingEdit : public TEdit {
    SJ_CLASS(TScrollingEdit, TEdit)
public:
    using TEdit::TEdit;

protected:
    void CreateParams(TCreateParams& params) override {
        TEdit::CreateParams(params);
        params.Style |= ES_MULTILINE | WS_VSCROLL;
    }
};

// A system up-down control and a bitmap button, as a widget set names them.
class TUpDown : public TWinControl {
    SJ_CLASS(TUpDown, TWinControl)
public:
    using TWinControl::TWinControl;

protected:
    void CreateParams(TCreateParams& params) override {
        TWinControl::CreateParams(params);
        CreateSubClass(params, UPDOWN_CLASSA);
    }
};

class TBitBtn : public TButton {
    SJ_CLASS(TBitBtn, TButton)
public:
    using TButton::TButton;
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

// A listed class without an adapter kind gets no item to keep: there is nothing that
// could ever adapt its window. A control without its window yet keeps its item.
TEST_F(AdapterTest, ItemsThatCanGetNoWindowAdapterAreNotKept) {
    manager->ThirdParty[8] = "TMyEdit";
    manager->InitThirdParty(false);
    ASSERT_TRUE(owner->Adapter().IsControlSupported(*myEdit));
    EXPECT_EQ(owner->Adapter().AddNewItem(*myEdit), nullptr);
    EXPECT_EQ(owner->Adapter().ItemOf(myEdit), nullptr);
    owner->Adapter().AddAllItems(*form);
    EXPECT_EQ(owner->Adapter().ItemOf(myEdit), nullptr) << "the walk keeps none either";
    EXPECT_NE(owner->Adapter().ItemOf(edit), nullptr);

    auto* windowless = new TEdit(form);
    windowless->SetBounds(150, 180, 100, 22);
    windowless->SetParent(form);
    windowless->DestroyHandle();
    ASSERT_FALSE(windowless->HandleAllocated());
    ASSERT_NE(owner->Adapter().AddNewItem(*windowless), nullptr) << "kept until its window comes";
    windowless->HandleNeeded();
    Pump();
    EXPECT_TRUE(Marked(windowless));
    delete windowless;
}

TEST_F(AdapterTest, UpDownsAndBitmapButtonsTakeTheirListsAdapterAndSection) {
    constexpr std::int32_t ArrowFace = 0x00306080;
    manager->Core().Model().GeneralData.push_back(PlainSection("UPDOWNBTN", ArrowFace, 0x00F0F0F0));
    manager->ThirdParty[tpBitBtns] = "TBitBtn";
    manager->ThirdParty[tpUpDowns] = "TUpDown";
    manager->InitThirdParty(false);
    auto* spin = Place(new TUpDown(form), form, 300, 150, 18, 30);
    auto* bitButton = Place(new TBitBtn(form), form, 150, 150, 90, 25);
    bitButton->SetCaption("Open");
    spin->HandleNeeded();
    bitButton->HandleNeeded();
    owner->Adapter().AddAllItems(*form);
    Pump();

    ASSERT_NE(dynamic_cast<TacSpinWnd*>(AdapterOf(spin)), nullptr);
    EXPECT_EQ(owner->Adapter().ItemOf(spin)->SkinData().SkinSection(), "UPDOWNBTN");
    EXPECT_EQ(PrintedPixel(spin, 0, 0), Rgb(ArrowFace));
    EXPECT_EQ(PrintedPixel(spin, spin->Width() - 1, spin->Height() - 1), Rgb(ArrowFace));
    ASSERT_NE(dynamic_cast<TacBtnWnd*>(AdapterOf(bitButton)), nullptr);
    EXPECT_EQ(owner->Adapter().ItemOf(bitButton)->SkinData().SkinSection(), "BUTTON");
    EXPECT_EQ(PrintedPixel(bitButton, 45, 2), Rgb(0x00808080));

    const int items = owner->Adapter().ItemCount();
    delete spin;
    delete bitButton;
    EXPECT_EQ(owner->Adapter().ItemCount(), items - 2) << "the items go with their controls";
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

// Colours are the skin's business at the first paint and after a refresh only: hover
// and focus show in the border, and the border is normal again once the pointer left.
TEST_F(AdapterTest, EditShowsHoverAndFocusInTheBorderAndKeepsItsColours) {
    constexpr std::int32_t HotColor = 0x0030C0F0;
    constexpr std::int32_t HotFontColor = 0x00000080;
    TsGeneralData& section = manager->Core().Model().GeneralData[2];
    ASSERT_EQ(section.SectionName, "EDIT");
    section.States = 2;
    section.StateProps[1].Color = HotColor;
    section.StateProps[1].FontColor = HotFontColor;
    button->SetFocus();
    SendSkinCommand(edit, scRefresh, 0, reinterpret_cast<LPARAM>(manager));
    Pump();
    auto border = [&] {
        Pump();
        HDC dc = ::GetWindowDC(edit->Handle());
        const COLORREF pixel = ::GetPixel(dc, 0, edit->Height() / 2);
        ::ReleaseDC(edit->Handle(), dc);
        return pixel;
    };
    auto expectColours = [&](const char* when) {
        EXPECT_EQ(edit->Color(), static_cast<TColor>(EditColor)) << when;
        EXPECT_EQ(edit->Font().Color(), static_cast<TColor>(EditFontColor)) << when;
    };
    EXPECT_EQ(border(), static_cast<COLORREF>(EditColor));
    expectColours("at rest");

    edit->SetFocus();
    EXPECT_EQ(border(), static_cast<COLORREF>(HotColor)) << "focused";
    expectColours("focused");
    button->SetFocus();
    EXPECT_EQ(border(), static_cast<COLORREF>(EditColor)) << "focus gone";

    // A real pointer over the edit, then over the bare form.
    RECT r{};
    ::GetWindowRect(edit->Handle(), &r);
    ::SetCursorPos(r.left + 20, r.top + 8);
    const DWORD start = ::GetTickCount();
    while (manager->HotWindow() != edit->Handle() && ::GetTickCount() - start < 2000) {
        Pump();
        ::Sleep(10);
    }
    ASSERT_EQ(manager->HotWindow(), edit->Handle());
    EXPECT_EQ(border(), static_cast<COLORREF>(HotColor)) << "hovered";
    expectColours("hovered");
    POINT bare{250, 200};
    ::ClientToScreen(form->Handle(), &bare);
    ::SetCursorPos(bare.x, bare.y);
    const DWORD left = ::GetTickCount();
    while (manager->HotWindow() == edit->Handle() && ::GetTickCount() - left < 2000) {
        Pump();
        ::Sleep(10);
    }
    EXPECT_NE(manager->HotWindow(), edit->Handle()) << "the edit reported the pointer leaving";
    EXPECT_EQ(border(), static_cast<COLORREF>(EditColor)) << "pointer gone";
    expectColours("pointer gone");

    // A refresh applies the colours of the state the edit is in at that moment.
    edit->SetFocus();
    SendSkinCommand(edit, scRefresh, 0, reinterpret_cast<LPARAM>(manager));
    EXPECT_EQ(edit->Color(), static_cast<TColor>(HotColor));
    EXPECT_EQ(edit->Font().Color(), static_cast<TColor>(HotFontColor));
    ::SetCursorPos(0, 0);
}

// The border ring is as wide as the window's frame, not half of what the scroll bar
// and the frame take together: the scroll bar is left to its own painting.
TEST_F(AdapterTest, EditBorderOfAWindowWithAScrollBarIsOnlyItsFrame) {
    manager->ThirdParty[tpEdits] = "TEdit\nTMemo\nTScrollingEdit";
    manager->InitThirdParty(false);
    auto* memo = Place(new TScrollingEdit(form), form, 150, 150, 120, 60);
    memo->HandleNeeded();
    owner->Adapter().AddNewItem(*memo);
    ASSERT_NE(dynamic_cast<TacEditWnd*>(AdapterOf(memo)), nullptr);
    RECT client{};
    ::GetClientRect(memo->Handle(), &client);
    ASSERT_LT(client.right, memo->Width() - 10) << "the scroll bar takes its width";
    ::RedrawWindow(memo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
    Pump();
    HDC dc = ::GetWindowDC(memo->Handle());
    const COLORREF ring = ::GetPixel(dc, 0, memo->Height() / 2);
    const COLORREF bar = ::GetPixel(dc, memo->Width() - 6, memo->Height() / 2);
    ::ReleaseDC(memo->Handle(), dc);
    EXPECT_EQ(ring, static_cast<COLORREF>(EditColor));
    EXPECT_NE(bar, static_cast<COLORREF>(EditColor)) << "the ring does not cover the scroll bar";
    delete memo;
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

// A radio glyph of three 16 x 16 frames (normal, hot, pushed), each of one colour.
constexpr TPixel32 GlyphFrames[3] = {0x00112233, 0x00445566, 0x00778899};
void AddRadioGlyph(TsSkinModel& model) {
    TsMaskData glyph;
    glyph.Section = "GLOBALINFO";
    glyph.Key = "RADIOUNCHECKED";
    glyph.OwnBitmap = std::make_shared<TacPixmap>(48, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x)
            glyph.OwnBitmap->At(x, y) = 0xFF000000 | GlyphFrames[x / 16];
    glyph.SourceRect = TacRect{0, 0, 48, 16};
    glyph.FrameCount = 3;
    glyph.ItemKind = ikGlyph;
    glyph.Owner = &model;
    model.Masks.push_back(glyph);
}

TEST_F(AdapterTest, RadioButtonIsRepaintedHotWhileItIsTheHotWindow) {
    constexpr std::int32_t HotColor = 0x0040E0F0;
    TsSkinModel& model = manager->Core().Model();
    model.GeneralData[4].States = 2;
    model.GeneralData[4].StateProps[1].Color = HotColor;
    AddRadioGlyph(model);
    SendSkinCommand(radio, scRefresh, 0, reinterpret_cast<LPARAM>(manager));
    TacMainWnd* adapter = AdapterOf(radio);
    ASSERT_NE(adapter, nullptr);
    const int x = radio->Width() - 2;
    const int glyphY = radio->Height() / 2;
    // The cache holds what was last painted on screen; WM_PRINT paints afresh.
    auto painted = [&](int px, int py) { return adapter->SkinData().CacheBitmap->Pixels().At(px, py) & 0x00FFFFFF; };
    auto expectLook = [&](std::int32_t face, TPixel32 glyph, const char* when) {
        EXPECT_EQ(painted(x, 1), Rgb(face)) << when;
        EXPECT_EQ(painted(8, glyphY), glyph) << when;
        EXPECT_EQ(PrintedPixel(radio, x, 1), Rgb(face)) << when;
        EXPECT_EQ(PrintedPixel(radio, 8, glyphY), glyph) << when;
    };
    ::RedrawWindow(radio->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    expectLook(FormColor, GlyphFrames[0], "at rest");

    manager->TrackHotWindow(radio->Handle());
    expectLook(HotColor, GlyphFrames[1], "hot window");
    manager->TrackHotWindow(nullptr);
    expectLook(FormColor, GlyphFrames[0], "after the hot window moved on");

    // The pointer moving over it makes it hot; the framework's leave notice ends that.
    ::SendMessageA(radio->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    expectLook(HotColor, GlyphFrames[1], "pointer over it");
    radio->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(manager->HotWindow(), nullptr);
    expectLook(FormColor, GlyphFrames[0], "pointer gone");
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

// The tab control's scroll arrows, printed: where the pixels of `color` are.
struct TArrowShot {
    std::unique_ptr<TBitmap> Bitmap;
    TPixel32 At(int x, int y) const { return Bitmap->Pixels().At(x, y) & 0x00FFFFFF; }
};

TArrowShot PrintArrows(HWND arrows) {
    RECT client{};
    ::GetClientRect(arrows, &client);
    TArrowShot shot{CreateBitmap32(client.right, client.bottom)};
    ::SendMessageA(arrows, WM_PRINT, reinterpret_cast<WPARAM>(shot.Bitmap->Canvas().Handle()), PRF_CLIENT);
    return shot;
}

// Pixels of color per column of area: an arrow pointing left grows toward the right.
std::vector<int> ColumnCounts(const TArrowShot& shot, const RECT& area, TPixel32 color) {
    std::vector<int> counts;
    for (int x = area.left; x < area.right; ++x) {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            n += shot.At(x, y) == color ? 1 : 0;
        if (n > 0)
            counts.push_back(n);
    }
    return counts;
}

TEST_F(PageAdapterTest, TabScrollArrowsArePaintedFromTheUpDownSectionByHoverAndPress) {
    constexpr std::int32_t ArrowFace = 0x00603010, ArrowHot = 0x00A06020;
    constexpr std::int32_t ArrowInk = 0x00F0F0F0, ArrowHotInk = 0x000000F0;
    TsGeneralData arrows = PlainSection("UPDOWNBTN", ArrowFace, ArrowInk);
    arrows.States = 3;
    arrows.StateProps[1].Color = ArrowHot;
    arrows.StateProps[1].FontColor = ArrowHotInk;
    manager->Core().Model().GeneralData.push_back(arrows);
    std::vector<TTabSheet*> more;
    for (int i = 0; i < 8; ++i) {
        more.push_back(new TTabSheet(form));
        more.back()->SetCaption("More pages " + std::to_string(i));
        more.back()->SetPageControl(pages);
    }
    Pump();
    ::RedrawWindow(pages->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HWND spin = ::FindWindowExA(pages->Handle(), nullptr, UPDOWN_CLASSA, nullptr);
    ASSERT_NE(spin, nullptr) << "the tabs do not fit: the tab control shows its scroll arrows";
    EXPECT_NE(::GetPropA(spin, AdaptedWindowProperty), nullptr);
    RECT client{};
    ::GetClientRect(spin, &client);
    const RECT left{0, 0, client.right / 2, client.bottom};
    const RECT right{client.right / 2, 0, client.right, client.bottom};

    TArrowShot shot = PrintArrows(spin);
    EXPECT_EQ(shot.At(0, 0), Rgb(ArrowFace));
    EXPECT_EQ(shot.At(client.right - 1, client.bottom - 1), Rgb(ArrowFace));
    std::vector<int> leftArrow = ColumnCounts(shot, left, Rgb(ArrowInk));
    std::vector<int> rightArrow = ColumnCounts(shot, right, Rgb(ArrowInk));
    ASSERT_GE(leftArrow.size(), 3u);
    ASSERT_GE(rightArrow.size(), 3u);
    EXPECT_LT(leftArrow.front(), leftArrow.back()) << "points left";
    EXPECT_GT(rightArrow.front(), rightArrow.back()) << "points right";

    // Hover lights the button under the pointer only.
    ::SendMessageA(spin, WM_MOUSEMOVE, 0, MAKELPARAM(client.right * 3 / 4, client.bottom / 2));
    shot = PrintArrows(spin);
    EXPECT_EQ(shot.At(0, 0), Rgb(ArrowFace));
    EXPECT_EQ(shot.At(client.right - 1, 0), Rgb(ArrowHot));
    EXPECT_FALSE(ColumnCounts(shot, right, Rgb(ArrowHotInk)).empty());

    // Pressing it still scrolls the tabs, and the button shows pressed meanwhile.
    RECT first{};
    TabCtrl_GetItemRect(pages->Handle(), 0, &first);
    ::SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right * 3 / 4, client.bottom / 2));
    shot = PrintArrows(spin);
    EXPECT_EQ(shot.At(client.right - 1, 0), Rgb(ArrowHot));
    EXPECT_EQ(shot.At(0, 0), Rgb(ArrowFace));
    ::SendMessageA(spin, WM_LBUTTONUP, 0, MAKELPARAM(client.right * 3 / 4, client.bottom / 2));
    RECT scrolled{};
    TabCtrl_GetItemRect(pages->Handle(), 0, &scrolled);
    EXPECT_LT(scrolled.left, first.left);

    // The section gone, the arrows are the system's again.
    const TPixel32 skinned = PrintArrows(spin).At(0, 0);
    SendSkinCommand(pages, scRemoveSkin, 0, reinterpret_cast<LPARAM>(manager));
    EXPECT_EQ(::GetPropA(spin, AdaptedWindowProperty), nullptr);
    EXPECT_NE(PrintArrows(spin).At(0, 0), skinned);
    for (TTabSheet* sheet : more)
        delete sheet;
}

TEST_F(PageAdapterTest, SideTabsDrawTheirCaptionsTurned) {
    constexpr std::int32_t SideTabColor = 0x00D0D0D0, SideInk = 0x00A00000;
    manager->Core().Model().GeneralData.push_back(PlainSection("TABLEFT", SideTabColor, SideInk));
    manager->Core().Model().GeneralData.push_back(PlainSection("TABRIGHT", SideTabColor, SideInk));
    for (LONG side : {0L, static_cast<LONG>(TCS_RIGHT)}) {
        const LONG style = ::GetWindowLongA(pages->Handle(), GWL_STYLE) & ~static_cast<LONG>(TCS_RIGHT);
        ::SetWindowLongA(pages->Handle(), GWL_STYLE, style | TCS_VERTICAL | TCS_MULTILINE | side);
        ::SetWindowPos(pages->Handle(), nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
        SendSkinCommand(pages, scRefresh, 0, reinterpret_cast<LPARAM>(manager));
        RECT tab{};
        ASSERT_TRUE(TabCtrl_GetItemRect(pages->Handle(), 1, &tab));
        ASSERT_GT(tab.bottom - tab.top, tab.right - tab.left) << "the tab control stands its tabs on their side";
        const RECT ink = PixelsOfColor(pages, tab, Rgb(SideInk));
        ASSERT_LT(ink.left, ink.right) << "the caption is drawn in the tab section's colour";
        EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left + 4) << "the caption runs along the tab";
        // Centred in the tab both ways.
        EXPECT_NEAR((ink.top + ink.bottom) / 2, (tab.top + tab.bottom) / 2, 3);
        EXPECT_NEAR((ink.left + ink.right) / 2, (tab.left + tab.right) / 2, 3);
    }
}

TEST(RotatedTabFontTest, SideTabsTurnTheirFontAndRasterFontsGiveWayToArial) {
    LOGFONTA raster{};
    raster.lfHeight = -11;
    std::snprintf(raster.lfFaceName, LF_FACESIZE, "%s", "MS Sans Serif");
    const LOGFONTA left = RotatedTabFont(raster, false);
    EXPECT_EQ(left.lfEscapement, 900);
    EXPECT_EQ(left.lfOrientation, 900);
    EXPECT_STREQ(left.lfFaceName, "Arial");
    EXPECT_EQ(left.lfHeight, -11);
    LOGFONTA outline{};
    std::snprintf(outline.lfFaceName, LF_FACESIZE, "%s", "Tahoma");
    const LOGFONTA right = RotatedTabFont(outline, true);
    EXPECT_EQ(right.lfEscapement, 2700);
    EXPECT_EQ(right.lfOrientation, 2700);
    EXPECT_STREQ(right.lfFaceName, "Tahoma");
}

} // namespace
} // namespace sj

// The decimal spin edit under Wine: typing through the character filter, stepping by
// keys, wheel and held arrows, reformatting on leaving, the skin following the edit and
// the stored form building it.
#include "skin/controls/sSpinEdit.h"

#include <gtest/gtest.h>

#include "forms/FormReader.h"
#include "forms/Forms.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {
namespace {

constexpr std::uint32_t EditNormal = 0x00C08040;
constexpr std::uint32_t EditHot = 0x004080C0;

TsGeneralData TwoStateSection(const std::string& name, std::int32_t normal, std::int32_t hot) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = 2;
    for (TsGenState& st : s.StateProps)
        st.Color = normal;
    s.StateProps[1].Color = hot;
    return s;
}

class SpinEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSpinEditClasses();
        manager = new TsSkinManager(nullptr);
        TsSkinModel& model = manager->Core().Model();
        model.GeneralData.push_back(TwoStateSection("GLOBALINFO", 0x00FFFFFF, 0x00FFFFFF));
        model.GeneralData.push_back(TwoStateSection("EDIT", EditNormal, EditHot));
        model.GeneralData.push_back(TwoStateSection("SPEEDBUTTON_SMALL", 0x00A0A0A0, 0x00B0B0B0));
        manager->Core().SetActive(true);
        form = new TForm(nullptr);
        form->SetBounds(80, 80, 300, 200);
        spin = new TsDecimalSpinEdit(form);
        spin->SetSystemDecSeparator('.');
        spin->SkinData().SetSkinSection("EDIT");
        spin->SetBounds(20, 20, 89, 21);
        spin->SetParent(form);
        spin->SetValue(1.0);
        other = new TEdit(form);
        other->SetBounds(20, 60, 89, 21);
        other->SetParent(form);
        form->Show();
        spin->SetFocus();
        Pump();
    }
    void TearDown() override {
        delete form;
        delete manager;
    }

    static void Pump() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    void Type(const std::string& keys) {
        for (char ch : keys)
            ::SendMessageA(spin->Handle(), WM_CHAR, static_cast<unsigned char>(ch), 1);
    }
    void Retype(const std::string& keys) {
        ::SendMessageA(spin->Handle(), EM_SETSEL, 0, -1);
        Type(keys);
    }
    void Leave() {
        other->SetFocus();
        Pump();
    }
    // Mouse messages at the middle of an arrow, as the spin button's window gets them.
    void Mouse(UINT msg, TsTimerSpeedButton* arrow) {
        const int x = arrow->Left() + arrow->Width() / 2;
        const int y = arrow->Top() + arrow->Height() / 2;
        ::SendMessageA(spin->Button().Handle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    }

    TsSkinManager* manager = nullptr;
    TForm* form = nullptr;
    TsDecimalSpinEdit* spin = nullptr;
    TEdit* other = nullptr;
};

TEST_F(SpinEditTest, TypedDigitsAreKeptAndShownRoundedAfterLeaving) {
    int changes = 0;
    spin->OnChange = [&](TObject*) { ++changes; };
    Retype("1.5x5.5");
    EXPECT_EQ(spin->Text(), "1.555") << "the letter and the second point are dropped";
    EXPECT_DOUBLE_EQ(spin->Value(), 1.555);
    EXPECT_EQ(changes, 5);
    Leave();
    EXPECT_EQ(spin->Text(), "1.56");
    EXPECT_DOUBLE_EQ(spin->Value(), 1.555) << "the stored value keeps every typed decimal";
    EXPECT_EQ(changes, 5) << "reformatting on leaving is no change";
}

TEST_F(SpinEditTest, HalfTypedNumbersCountAsZeroAndEnterInsertsNothing) {
    Retype("-");
    EXPECT_EQ(spin->Value(), 0.0);
    Retype(".");
    EXPECT_EQ(spin->Text(), ".");
    EXPECT_EQ(spin->Value(), 0.0);
    Retype("+");
    EXPECT_EQ(spin->Value(), 0.0);
    Retype("7\r\t");
    EXPECT_EQ(spin->Text(), "7");
    Type("-");
    EXPECT_EQ(spin->Text(), "7") << "no sign behind the number";
    Leave();
    EXPECT_EQ(spin->Text(), "7.00");
}

TEST_F(SpinEditTest, KeysAndWheelStepByIncrement) {
    spin->SetIncrement(0.5);
    ::SendMessageA(spin->Handle(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(spin->Text(), "1.50");
    ::SendMessageA(spin->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageA(spin->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(spin->Text(), "0.50");
    ::SendMessageA(spin->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
    EXPECT_DOUBLE_EQ(spin->Value(), 1.5);
    ::SendMessageA(spin->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
    EXPECT_DOUBLE_EQ(spin->Value(), 1.5) << "half a notch is nothing";
    spin->SetReadOnly(true);
    ::SendMessageA(spin->Handle(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_DOUBLE_EQ(spin->Value(), 1.5) << "a read-only edit only beeps";
}

TEST_F(SpinEditTest, BoundsApplyToTextAndStoredValue) {
    spin->SetMinValue(1);
    spin->SetValue(-5);
    EXPECT_EQ(spin->StoredValue(), -5) << "no range while MaxValue is 0";
    EXPECT_EQ(spin->Text(), "1.00");
    spin->SetMaxValue(3);
    spin->SetValue(7);
    EXPECT_EQ(spin->StoredValue(), 3);
    EXPECT_EQ(spin->Text(), "3.00");
    spin->SetDecimalPlaces(1);
    EXPECT_EQ(spin->Text(), "3.0");
}

TEST_F(SpinEditTest, AHeldArrowRepeatsAfterItsFirstDelay) {
    TsTimerSpeedButton* up = spin->Button().UpButton();
    Mouse(WM_LBUTTONDOWN, up);
    EXPECT_DOUBLE_EQ(spin->Value(), 1.0) << "pressing alone does not step";
    ASSERT_NE(up->RepeatTimer(), nullptr);
    EXPECT_EQ(up->RepeatTimer()->Interval(), 400u);
    up->RepeatTimer()->OnTimer()(up->RepeatTimer());
    EXPECT_EQ(up->RepeatTimer()->Interval(), 100u);
    up->RepeatTimer()->OnTimer()(up->RepeatTimer());
    EXPECT_DOUBLE_EQ(spin->Value(), 3.0) << "one step per tick while held";
    Mouse(WM_LBUTTONUP, up);
    EXPECT_DOUBLE_EQ(spin->Value(), 4.0) << "and the click on release";
    EXPECT_FALSE(up->RepeatTimer()->Enabled());

    TsTimerSpeedButton* down = spin->Button().DownButton();
    Mouse(WM_LBUTTONDOWN, down);
    Mouse(WM_LBUTTONUP, down);
    EXPECT_DOUBLE_EQ(spin->Value(), 3.0) << "a quick click steps once";
    EXPECT_EQ(spin->Button().FocusedButton(), down);
}

TEST_F(SpinEditTest, ArrowsSitInsideTheRightEdgeAndFollowEnabled) {
    TsSpinButton& button = spin->Button();
    EXPECT_EQ(button.Width(), 18);
    EXPECT_EQ(button.Left(), spin->Width() - 18 - 4);
    EXPECT_EQ(button.Height(), spin->Height() - 4);
    EXPECT_EQ(button.UpButton()->Height(), button.Height() / 2);
    EXPECT_EQ(button.DownButton()->Top() + button.DownButton()->Height(), button.Height());

    spin->SetEnabled(false);
    SendSkinCommand(spin, scNewSkin, 0, reinterpret_cast<LPARAM>(manager));
    EXPECT_FALSE(button.UpButton()->Enabled());
    EXPECT_FALSE(button.Visible()) << "a skinned disabled spin edit hides its arrows";
    spin->SetEnabled(true);
    SendSkinCommand(spin, scNewSkin, 0, reinterpret_cast<LPARAM>(manager));
    EXPECT_TRUE(button.DownButton()->Enabled());
    EXPECT_TRUE(button.Visible());
}

TEST_F(SpinEditTest, BorderRingComesFromTheEditSection) {
    // The face a plain two-state section gives, painted by the core for comparison.
    auto ringPixel = [&](int state) {
        TacPixmap expected(spin->Width(), spin->Height());
        PaintControlFace(expected.View(), TacRect{0, 0, spin->Width(), spin->Height()}, &manager->Core().Model(),
                         spin->SkinData().FaceParams(), state, true, TBackdropRef{}, 0, 0);
        return expected.View().At(0, 0);
    };
    Leave();
    spin->PaintFace();
    TacPixelsView face = spin->SkinData().CacheBitmap->Pixels();
    EXPECT_EQ(face.At(1, 1) & 0x00FFFFFF, ringPixel(0) & 0x00FFFFFF);
    EXPECT_EQ(face.At(1, 1) & 0x00FFFFFF, ColorToPixelOrder(EditNormal));

    spin->SetFocus();
    Pump();
    HDC dc = ::GetWindowDC(spin->Handle());
    const COLORREF onScreen = ::GetPixel(dc, 0, spin->Height() / 2);
    ::ReleaseDC(spin->Handle(), dc);
    EXPECT_EQ(onScreen, EditHot) << "the focused edit shows the hot ring";
    EXPECT_EQ(spin->SkinData().CacheBitmap->Pixels().At(0, 5) & 0x00FFFFFF, ringPixel(1) & 0x00FFFFFF);
}

// The arrows show the edit's face through them: they follow it when it turns hot and
// back, and the pointer entering or leaving the edit takes their hover away.
TEST_F(SpinEditTest, ArrowsFollowTheEditsFaceAndLoseTheirHoverWithThePointer) {
    TsGeneralData& arrows = manager->Core().Model().GeneralData[2];
    ASSERT_EQ(arrows.SectionName, "SPEEDBUTTON_SMALL");
    for (TsGenState& state : arrows.StateProps)
        state.Transparency = 100;
    SendSkinCommand(spin, scRefresh, 0, reinterpret_cast<LPARAM>(manager));
    TsSpinButton& button = spin->Button();
    auto shown = [&](TsTimerSpeedButton* arrow) {
        Pump();
        HDC dc = ::GetDC(button.Handle());
        const COLORREF pixel = ::GetPixel(dc, arrow->Left() + 1, arrow->Top() + 1);
        ::ReleaseDC(button.Handle(), dc);
        return static_cast<std::uint32_t>(pixel);
    };
    auto expectArrowsOn = [&](std::uint32_t face, const char* when) {
        for (TsTimerSpeedButton* arrow : {button.UpButton(), button.DownButton()}) {
            EXPECT_EQ(shown(arrow), face) << when;
            EXPECT_EQ(arrow->SkinData().CacheBitmap->Pixels().At(1, 1) & 0x00FFFFFF, ColorToPixelOrder(face))
                << when;
        }
    };
    expectArrowsOn(EditHot, "focused");
    Leave();
    expectArrowsOn(EditNormal, "after leaving");
    spin->SetFocus();
    expectArrowsOn(EditHot, "focused again");

    TsTimerSpeedButton* up = button.UpButton();
    up->Perform(CM_MOUSEENTER);
    ASSERT_TRUE(up->SkinData().Hovered);
    spin->Perform(CM_MOUSEENTER);
    EXPECT_FALSE(up->SkinData().Hovered) << "the pointer went back into the edit";
    EXPECT_FALSE(button.DownButton()->SkinData().Hovered);
    up->Perform(CM_MOUSEENTER);
    spin->Perform(CM_MOUSELEAVE);
    EXPECT_FALSE(up->SkinData().Hovered) << "the pointer left the edit";
    expectArrowsOn(EditHot, "still focused");
}

// The caption label belongs to the form and goes with its parent; the edit must not
// free it a second time.
TEST_F(SpinEditTest, CaptionLabelFreedByItsFormIsNotFreedAgain) {
    spin->BoundLabel().SetCaption("Size");
    spin->BoundLabel().SetActive(true);
    TLabel* label = spin->BoundLabel().Label();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Owner(), form);
    delete label;
    EXPECT_FALSE(spin->BoundLabel().Active()) << "the edit forgot the freed label";
    spin->BoundLabel().SetActive(true);
    ASSERT_NE(spin->BoundLabel().Label(), nullptr);
    spin->BoundLabel().SetActive(false);
    EXPECT_EQ(spin->BoundLabel().Label(), nullptr);
    // The form frees edit and label in its own order when it goes (TearDown).
    spin->BoundLabel().SetActive(true);
}

TEST_F(SpinEditTest, CaptionLabelFollowsTheEditsPlaceVisibilityAndEnabledState) {
    spin->BoundLabel().SetCaption("Size");
    spin->BoundLabel().SetActive(true);
    TLabel* label = spin->BoundLabel().Label();
    ASSERT_NE(label, nullptr);
    auto expectBeside = [&](const char* when) {
        EXPECT_EQ(label->Left(), spin->Left() - label->Width() - 4) << when;
        EXPECT_EQ(label->Top(), spin->Top() + (spin->Height() - label->Height()) / 2 - 1) << when;
    };
    expectBeside("at first");
    spin->SetBounds(spin->Left() + 30, spin->Top() + 12, spin->Width(), spin->Height() + 6);
    expectBeside("after a move and a resize");

    spin->SetVisible(false);
    EXPECT_FALSE(label->Visible());
    spin->SetVisible(true);
    EXPECT_TRUE(label->Visible());

    // A blended disabled edit stays readable, and so does its caption; a greyed one
    // takes its caption along.
    spin->SetEnabled(false);
    EXPECT_TRUE(label->Enabled());
    spin->SetDisabledKind(dkGrayed);
    EXPECT_FALSE(label->Enabled());
    spin->SetEnabled(true);
    EXPECT_TRUE(label->Enabled());
    spin->SetDisabledKind(dkBlended);
}

TEST(SpinEditStoredForm, TheSplitPageFieldReadsBack) {
    RegisterSpinEditClasses();
    TForm holder(nullptr);
    TFormReader reader(holder);
    reader.ReadText("object Holder: TForm\n"
                    "  object Field: TsDecimalSpinEdit\n"
                    "    Left = 281\n    Top = 96\n    Width = 89\n    Height = 21\n"
                    "    Color = clWhite\n    Text = '1.00'\n"
                    "    SkinData.SkinSection = 'EDIT'\n"
                    "    BoundLabel.Indent = 0\n    BoundLabel.Layout = sclLeft\n"
                    "    Increment = 1.000000000000000000\n    Value = 1.000000000000000000\n"
                    "  end\n"
                    "end\n");
    auto* field = dynamic_cast<TsDecimalSpinEdit*>(holder.FindComponent("Field"));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->Text(), "1.00");
    EXPECT_DOUBLE_EQ(field->Value(), 1.0);
    EXPECT_DOUBLE_EQ(field->Increment(), 1.0);
    EXPECT_EQ(field->DecimalPlaces(), 2);
    EXPECT_EQ(field->SkinData().SkinSection(), "EDIT");
}

} // namespace
} // namespace sj

// Standard controls under Wine: radio groups by parent, edits and their change
// events, buttons handing their modal result, labels sizing to their caption.
#include "forms/StdCtrls.h"

#include <gtest/gtest.h>

#include "forms/Buttons.h"
#include "forms/ComCtrls.h"
#include "forms/Forms.h"
#include "forms/MessageRecorder.h"

namespace sj {
namespace {

class StdCtrlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(nullptr);
        form->SetBounds(60, 60, 400, 300);
    }
    void TearDown() override { delete form; }

    template <class T> T* Add(TWinControl* parent) {
        auto* control = new T(form);
        control->SetParent(parent);
        return control;
    }

    TForm* form = nullptr;
};

TEST_F(StdCtrlsTest, RadioButtonsAreGroupedByTheirParent) {
    auto* sizes = Add<TGroupBox>(form);
    auto* other = Add<TGroupBox>(form);
    auto* floppy = Add<TRadioButton>(sizes);
    auto* cd = Add<TRadioButton>(sizes);
    auto* user = Add<TRadioButton>(sizes);
    auto* elsewhere = Add<TRadioButton>(other);
    elsewhere->SetChecked(true);
    floppy->SetChecked(true);
    form->Show();
    EXPECT_EQ(::SendMessageA(floppy->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    int clicks = 0;
    cd->OnClick = [&](TObject*) { ++clicks; };
    ::SendMessageA(cd->Handle(), BM_CLICK, 0, 0); // the user clicks it
    EXPECT_TRUE(cd->Checked());
    EXPECT_FALSE(floppy->Checked());
    EXPECT_FALSE(user->Checked());
    EXPECT_EQ(::SendMessageA(floppy->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(elsewhere->Checked()) << "another parent is another group";
    EXPECT_TRUE(cd->TabStop());
    EXPECT_FALSE(floppy->TabStop()) << "only the checked button of a group is a tab stop";

    ::SendMessageA(cd->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1) << "clicking the checked button changes nothing";
    user->SetChecked(true);
    int checked = 0;
    for (TRadioButton* button : {floppy, cd, user})
        checked += button->Checked() ? 1 : 0;
    EXPECT_EQ(checked, 1);
}

TEST_F(StdCtrlsTest, EditReportsChangesAndKeepsItsProperties) {
    auto* edit = Add<TEdit>(form);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    edit->SetMaxLength(5);
    edit->SetText("abc");
    EXPECT_EQ(changes, 0) << "text set before the window exists raises no change";
    HWND window = edit->Handle();
    EXPECT_EQ(changes, 0) << "nor does making the window";
    ::SendMessageA(window, EM_SETSEL, 3, 3);
    ::SendMessageA(window, WM_CHAR, 'd', 0);
    EXPECT_EQ(changes, 1);
    ::SendMessageA(window, WM_CHAR, 'e', 0);
    EXPECT_EQ(changes, 2);
    ::SendMessageA(window, WM_CHAR, 'f', 0); // beyond the limit
    EXPECT_EQ(edit->Text(), "abcde");
    edit->SetReadOnly(true);
    EXPECT_TRUE(::GetWindowLongPtrA(window, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(StdCtrlsTest, ButtonHandsItsModalResultToTheForm) {
    auto* group = Add<TGroupBox>(form);
    auto* button = Add<TButton>(group);
    button->SetModalResult(mrYes);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    form->Show();
    ::SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->ModalResult(), mrYes);
    EXPECT_EQ(clicks, 1);
    button->SetDefault(true);
    EXPECT_EQ(::GetWindowLongPtrA(button->Handle(), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
}

TEST_F(StdCtrlsTest, LabelSizesToItsCaption) {
    auto* label = Add<TLabel>(form);
    label->SetCaption("Short");
    int shortWidth = label->Width();
    label->SetCaption("A much longer caption than before");
    EXPECT_GT(label->Width(), shortWidth);
    int oneLine = label->Height();
    EXPECT_GT(oneLine, 0);

    label->SetAutoSize(false);
    label->SetWidth(60);
    label->SetWordWrap(true);
    label->SetAutoSize(true);
    EXPECT_EQ(label->Width(), 60) << "a word-wrapped label keeps its width";
    EXPECT_GT(label->Height(), oneLine * 2);

    auto* fixed = Add<TLabel>(form);
    fixed->SetAutoSize(false);
    fixed->SetBounds(0, 0, 40, 10);
    fixed->SetCaption("A caption that does not fit");
    EXPECT_EQ(fixed->Width(), 40);
    EXPECT_EQ(fixed->Height(), 10);
}

TEST_F(StdCtrlsTest, GroupBoxLetsItsLabelsBeClicked) {
    auto* group = Add<TGroupBox>(form);
    group->SetBounds(10, 10, 200, 100);
    auto* label = new TLabel(form);
    label->SetParent(group);
    label->SetBounds(10, 20, 60, 16);
    form->Show();
    POINT inside{15, 25};
    ::ClientToScreen(group->Handle(), &inside);
    EXPECT_EQ(::SendMessageA(group->Handle(), WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), HTCLIENT);
}

TEST_F(StdCtrlsTest, PageControlShowsOnlyTheActiveSheet) {
    auto* pages = Add<TPageControl>(form);
    pages->SetBounds(0, 0, 300, 200);
    auto* first = new TTabSheet(form);
    first->SetPageControl(pages);
    first->SetCaption("Split");
    auto* second = new TTabSheet(form);
    second->SetPageControl(pages);
    second->SetCaption("Join");
    form->Show();
    EXPECT_EQ(pages->ActivePage(), first) << "the first page becomes active";
    EXPECT_EQ(::SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
    pages->SetActivePage(second);
    EXPECT_EQ(::SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(::IsWindowVisible(second->Handle()));
    EXPECT_FALSE(::IsWindowVisible(first->Handle()));
    RECT display = pages->DisplayRect();
    EXPECT_EQ(second->Left(), display.left);
    EXPECT_EQ(second->Width(), display.right - display.left);

    second->SetTabVisible(false);
    EXPECT_EQ(pages->ActivePage(), first);
    EXPECT_EQ(::SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
    delete first;
    EXPECT_EQ(pages->PageCount(), 1);
}

} // namespace
} // namespace sj

namespace sj {
namespace {

class SpeedButtonTest : public StdCtrlsTest {};

TEST_F(SpeedButtonTest, GroupedButtonsStayDownOneAtATime) {
    auto* left = new TSpeedButton(form);
    auto* right = new TSpeedButton(form);
    auto* lone = new TSpeedButton(form);
    for (TSpeedButton* button : {left, right, lone})
        button->SetParent(form);
    left->SetBounds(0, 0, 30, 30);
    right->SetBounds(40, 0, 30, 30);
    lone->SetBounds(80, 0, 30, 30);
    left->SetGroupIndex(1);
    right->SetGroupIndex(1);
    int clicks = 0;
    right->OnClick = [&](TObject*) { ++clicks; };
    form->Show();

    left->SetDown(true);
    EXPECT_TRUE(left->Down());
    // The user presses the other one of the group.
    ::SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 10));
    EXPECT_EQ(right->State(), TButtonState::bsDown);
    ::SendMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(50, 10));
    EXPECT_TRUE(right->Down());
    EXPECT_FALSE(left->Down());
    EXPECT_EQ(clicks, 1);

    right->SetDown(false);
    EXPECT_TRUE(right->Down()) << "without AllowAllUp the last button down stays down";
    right->SetAllowAllUp(true);
    right->SetDown(false);
    EXPECT_FALSE(right->Down());

    lone->SetDown(true);
    EXPECT_FALSE(lone->Down()) << "a button outside any group never stays down";

    // Pressed, then released outside: no click, back up.
    ::SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 10));
    ::SendMessageA(form->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 200));
    ::SendMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(right->Down());
}

TEST_F(SpeedButtonTest, FlatButtonShowsItsFrameOnlyUnderTheMouse) {
    auto* button = new TSpeedButton(form);
    button->SetParent(form);
    button->SetBounds(10, 10, 40, 30);
    button->SetFlat(true);
    button->SetColor(clWhite);
    form->Show();
    auto plain = CaptureControl(*button);
    ::SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_TRUE(button->MouseInControl());
    auto hot = CaptureControl(*button);
    // The raised edge's shadow runs along the bottom.
    EXPECT_EQ(plain->ScanLine(29)[20] & 0xFFFFFFu, 0xFFFFFFu);
    EXPECT_NE(hot->ScanLine(29)[20] & 0xFFFFFFu, 0xFFFFFFu) << "the frame appears";
    ::SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
    EXPECT_FALSE(button->MouseInControl());
}

} // namespace
} // namespace sj

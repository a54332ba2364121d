// Controls under Wine: the WindowProc chain, notifications as messages,
// reflection of child notifications, the exception boundary, windows made on
// demand, graphic children (painting and mouse), tab order and destruction.
#include "forms/Controls.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "forms/Forms.h"
#include "forms/MessageRecorder.h"
#include "forms/StdCtrls.h"

namespace sj {
namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 400, 300);
    }
    void TearDown() override { delete form; }

    TForm* form = nullptr;
};

TEST_F(ControlsTest, HooksRunNewestFirstAndUnhookInAnyOrder) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    std::vector<std::string> order;
    TWindowProcHook first = edit->HookWindowProc([&](TMessage& m, const TWndNext& next) {
        if (m.Msg == CM_TEXTCHANGED)
            order.push_back("first");
        next(m);
    });
    TWindowProcHook second = edit->HookWindowProc([&](TMessage& m, const TWndNext& next) {
        if (m.Msg == CM_TEXTCHANGED)
            order.push_back("second");
        next(m);
    });
    edit->SetText("a");
    EXPECT_EQ(order, (std::vector<std::string>{"second", "first"}));

    // The older hook leaves first: the newer one still chains to the control.
    first.Unhook();
    order.clear();
    edit->SetText("b");
    EXPECT_EQ(order, std::vector<std::string>{"second"});
    EXPECT_EQ(edit->Text(), "b");
    EXPECT_FALSE(first.Hooked());
    EXPECT_TRUE(second.Hooked());

    second = TWindowProcHook();
    order.clear();
    edit->SetText("c");
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(edit->Text(), "c");
}

TEST_F(ControlsTest, HookCanSwallowMessagesAndUnhookWhileRunning) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->HandleNeeded();
    TWindowProcHook swallow = edit->HookWindowProc([](TMessage& m, const TWndNext& next) {
        if (m.Msg == WM_SETTEXT) {
            m.Result = TRUE;
            return; // the window never sees it
        }
        next(m);
    });
    ::SendMessageA(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ignored"));
    EXPECT_EQ(edit->Text(), "");
    swallow.Unhook();

    TWindowProcHook self;
    int calls = 0;
    self = edit->HookWindowProc([&](TMessage& m, const TWndNext& next) {
        ++calls;
        self.Unhook(); // an adapter letting go of a window while it handles a message
        next(m);
    });
    ::SendMessageA(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("kept"));
    ::SendMessageA(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("again"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(edit->Text(), "again");
}

TEST_F(ControlsTest, HookOutlivingItsControlIsHarmless) {
    auto* edit = new TEdit(form);
    TWindowProcHook hook = edit->HookWindowProc([](TMessage& m, const TWndNext& next) { next(m); });
    delete edit;
    EXPECT_FALSE(hook.Hooked());
    hook.Unhook();
}

TEST_F(ControlsTest, StateChangesArriveAsMessages) {
    auto* group = new TGroupBox(form);
    group->SetParent(form);
    auto* edit = new TEdit(form);
    edit->SetParent(group);
    TMessageRecorder record(*edit);
    edit->SetEnabled(false);
    edit->SetText("x");
    edit->SetColor(clYellow);
    edit->SetVisible(false);
    EXPECT_EQ(record.Count(CM_ENABLEDCHANGED), 1);
    EXPECT_EQ(record.Count(CM_TEXTCHANGED), 1);
    EXPECT_EQ(record.Count(CM_COLORCHANGED), 1);
    EXPECT_EQ(record.Count(CM_VISIBLECHANGED), 1);
    EXPECT_LT(record.IndexOf(WM_SETTEXT), record.IndexOf(CM_TEXTCHANGED)) << "the text is set before it is announced";

    // A font set on the parent reaches children that follow it, not the others.
    auto* own = new TEdit(form);
    own->SetParent(group);
    own->Font().SetName("Courier New");
    record.Clear();
    group->Font().SetHeight(-20);
    EXPECT_EQ(record.Count(CM_PARENTFONTCHANGED), 1);
    EXPECT_EQ(edit->Font().Height(), -20);
    EXPECT_TRUE(edit->ParentFont());
    EXPECT_FALSE(own->ParentFont());
    EXPECT_EQ(own->Font().Height(), -11);
}

TEST_F(ControlsTest, WindowsAreMadeOnDemandWithOurClassOverTheSystemOne) {
    auto* group = new TGroupBox(form);
    auto* edit = new TEdit(form);
    edit->SetParent(group);
    group->SetParent(form);
    edit->SetText("before");
    EXPECT_FALSE(form->HandleAllocated());
    HWND window = edit->Handle();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(form->HandleAllocated());
    EXPECT_EQ(::GetParent(window), group->Handle());
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "TEdit");
    EXPECT_EQ(TWinControl::FindControl(window), edit);
    EXPECT_EQ(edit->Text(), "before");
    // Typing goes through the system's edit procedure.
    ::SendMessageA(window, EM_SETSEL, 6, 6);
    ::SendMessageA(window, WM_CHAR, 'z', 0);
    EXPECT_EQ(edit->Text(), "beforez");
}

TEST_F(ControlsTest, ParentReflectsChildNotificationsToTheChild) {
    auto* button = new TButton(form);
    button->SetParent(form);
    int clicks = 0;
    button->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, button);
        ++clicks;
    };
    TMessageRecorder record(*button);
    ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(button->Handle()));
    EXPECT_EQ(record.Count(CN_COMMAND), 1);
    EXPECT_EQ(clicks, 1);

    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetColor(clRed);
    HDC dc = ::GetDC(edit->Handle());
    auto brush = ::SendMessageA(form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                reinterpret_cast<LPARAM>(edit->Handle()));
    EXPECT_NE(brush, 0);
    EXPECT_EQ(::GetBkColor(dc), RGB(255, 0, 0));
    ::ReleaseDC(edit->Handle(), dc);
}

TEST_F(ControlsTest, ExceptionsStopAtTheWindowProcedure) {
    std::vector<std::string> caught;
    TExceptionEvent saved = Application->OnException;
    Application->OnException = [&](TObject*, const std::exception_ptr& error) {
        caught.push_back(TApplication::ExceptionMessage(error));
    };
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    TWindowProcHook thrower = edit->HookWindowProc([](TMessage& m, const TWndNext& next) {
        if (m.Msg == WM_USER + 5)
            throw Exception("Boom");
        next(m);
    });
    LRESULT result = ::SendMessageA(edit->Handle(), WM_USER + 5, 0, 0);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(caught.size(), 1u);
    EXPECT_EQ(caught[0], "Boom");
    Application->OnException = saved;
}

TEST_F(ControlsTest, GraphicChildrenArePaintedAndClickedThroughTheirParent) {
    form->Show();
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetTransparent(false);
    label->SetColor(clBlue);
    label->SetBounds(20, 30, 50, 20);
    label->SetAutoSize(false);
    int clicks = 0;
    label->OnClick = [&](TObject*) { ++clicks; };
    ::SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 35));
    ::SendMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(25, 35));
    EXPECT_EQ(clicks, 1);
    ::SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 200));
    ::SendMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(clicks, 1) << "a click beside the label is the form's";

    // A press on the label released outside it is no click.
    ::SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 35));
    ::SendMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(clicks, 1);

    auto image = CaptureControl(*form);
    ASSERT_GE(image->Width(), 70);
    EXPECT_EQ(image->ScanLine(40)[30] & 0xFFFFFFu, 0x0000FFu) << "label fill (0x00RRGGBB pixel)";
    EXPECT_NE(image->ScanLine(5)[5] & 0xFFFFFFu, 0x0000FFu);
}

TEST_F(ControlsTest, MouseEnterAndLeaveFollowGraphicChildren) {
    form->Show();
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetBounds(20, 30, 50, 20);
    std::vector<std::string> events;
    label->OnMouseEnter = [&](TObject*) { events.push_back("enter label"); };
    label->OnMouseLeave = [&](TObject*) { events.push_back("leave label"); };
    form->OnMouseEnter = [&](TObject*) { events.push_back("enter form"); };
    ::SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
    ::SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(25, 35));
    ::SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(26, 36));
    ::SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(events, (std::vector<std::string>{"enter form", "enter label", "leave label", "enter form"}));
    delete label;
    EXPECT_NE(MouseControl(), label);
}

TEST_F(ControlsTest, TabOrderDecidesTheNextControl) {
    auto* a = new TEdit(form);
    auto* b = new TEdit(form);
    auto* c = new TEdit(form);
    for (TEdit* edit : {a, b, c})
        edit->SetParent(form);
    c->SetTabOrder(0);
    EXPECT_EQ(c->TabOrder(), 0);
    EXPECT_EQ(a->TabOrder(), 1);
    EXPECT_EQ(b->TabOrder(), 2);
    EXPECT_EQ(form->FindNextControl(nullptr, true, true, false), c);
    EXPECT_EQ(form->FindNextControl(c, true, true, false), a);
    a->SetEnabled(false);
    EXPECT_EQ(form->FindNextControl(c, true, true, false), b);
    EXPECT_EQ(form->FindNextControl(b, true, true, false), c) << "wraps around";
    EXPECT_EQ(form->FindNextControl(c, false, true, false), b);
    b->SetTabStop(false);
    EXPECT_EQ(form->FindNextControl(c, true, true, false), nullptr);
    EXPECT_EQ(form->FindNextControl(c, true, false, false), b);
}

TEST_F(ControlsTest, ParentDestroysChildrenAndTheirWindows) {
    TComponent owner(nullptr);
    auto* panel = new TGroupBox(&owner);
    panel->SetParent(form);
    auto* edit = new TEdit(&owner); // owned elsewhere, parented in the panel
    edit->SetParent(panel);
    HWND window = edit->Handle();
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_EQ(owner.ComponentCount(), 2);
    delete panel;
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(owner.ComponentCount(), 0) << "children go with their parent and leave their owner";
    EXPECT_EQ(form->ControlCount(), 0);
}

TEST_F(ControlsTest, RecorderOnAPlainWindow) {
    HWND window = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    {
        TMessageRecorder record(window);
        ::SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello"));
        EXPECT_EQ(record.Count(WM_SETTEXT), 1);
        char text[16] = {};
        ::GetWindowTextA(window, text, sizeof text);
        EXPECT_STREQ(text, "hello");
    }
    ::SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("after"));
    ::DestroyWindow(window);
}

} // namespace
} // namespace sj

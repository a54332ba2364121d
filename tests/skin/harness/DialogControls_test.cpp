// The skinned dialog beyond its frame, under Wine: the raw common controls a dialog may
// hold (combo box, tool bars, tab control, track bar, link, size grip) take their
// adapters and show the faces the painting core paints for their sections; the frame's
// WM_PAINT handling; the show and hide animations by the manager's dialog settings,
// judged from what is handed to the layered-window function; nothing left behind.
#include "ThreadTimers.h"
#include "tests/skin/harness/HarnessKit.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/data/sMaskData.h"
#include "skin/frame/acDials.h"
#include "skin/frame/sFade.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/paint/LayeredWindowRecorder.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSectionPaint.h"

namespace sj::harness::test {
namespace {

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

// A modeless dialog of `width` x `height` pixels, hidden, for children to be put in.
HWND MakeDialog(int width, int height, DWORD extraStyle = 0) {
    struct alignas(4) TTemplate {
        DLGTEMPLATE Dialog;
        WORD Menu, Class, Title;
    } data{};
    data.Dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | extraStyle;
    HWND dialog = ::CreateDialogIndirectParamA(
        nullptr, &data.Dialog, nullptr, [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; },
        0);
    if (dialog != nullptr)
        ::SetWindowPos(dialog, nullptr, 120, 90, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return dialog;
}

HWND Child(HWND dialog, const char* cls, const char* text, DWORD style, int x, int y, int w, int h) {
    return ::CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dialog, nullptr, nullptr,
                             nullptr);
}

void ShowAndActivate(HWND dialog) {
    ::ShowWindow(dialog, SW_SHOW);
    ::SetActiveWindow(dialog);
    Pump(60);
}

std::string KindOf(HWND child) {
    TacMainWnd* adapter = AdapterOf(child);
    return adapter == nullptr ? "none" : ClassOf(child) + ":" + adapter->SkinData().SkinSection();
}

// What the screen shows of a window's client area, as 0x00RRGGBB words.
struct TShown {
    int Width = 0, Height = 0;
    std::vector<std::uint32_t> Pixels;
    std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y * Width + x)]; }
};
TShown Shown(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    TShown shown;
    shown.Width = r.right;
    shown.Height = r.bottom;
    TBitmap copy(r.right, r.bottom);
    HDC dc = ::GetDC(window);
    ::BitBlt(copy.Canvas().Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    ::ReleaseDC(window, dc);
    ::GdiFlush();
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            shown.Pixels.push_back(copy.Pixels().At(x, y) & 0x00FFFFFFu);
    return shown;
}

// The face the painting core paints for `section` in `state` over the dialog's
// background at the child's place: a bitmap of `area` (child client coordinates).
struct TExpected {
    TExpected(int width, int height, RECT area) : Bitmap(width, height), Area(area) {}
    TBitmap Bitmap;
    RECT Area;
    std::uint32_t At(int x, int y) { return Bitmap.Pixels().At(x - Area.left, y - Area.top) & 0x00FFFFFFu; }
};
std::unique_ptr<TExpected> ExpectedFace(HWND dialog, HWND child, const TsSkinModel& model, const char* section,
                                        int state, RECT area) {
    TacDialogWnd* frame = HookedProviderOf(dialog)->DialogFrame();
    TBitmap* picture = frame->Frame();
    if (picture == nullptr)
        return nullptr;
    RECT r{};
    ::GetWindowRect(child, &r);
    RECT d{};
    ::GetWindowRect(dialog, &d);
    const int x = r.left - d.left + area.left, y = r.top - d.top + area.top;
    auto expected = std::make_unique<TExpected>(area.right - area.left, area.bottom - area.top, area);
    TacPixelsView target = expected->Bitmap.Pixels();
    CopyPixels(target, 0, 0, picture->Pixels(), TacRect{x, y, x + target.Width, y + target.Height});
    const std::int32_t index = model.SectionIndexOf(section);
    if (model.HasSection(index)) {
        const int states = model.GeneralData[static_cast<std::size_t>(index)].States;
        PaintSectionFace(target, TacRect{0, 0, target.Width, target.Height}, &model, index, section,
                         std::clamp(state, 0, std::max(0, states - 1)), true, BitmapBackdrop(picture->Pixels(), x, y),
                         0, 0);
    }
    return expected;
}

// Screen words are 0x00RRGGBB, picture words 0x00RRGGBB too (blue in the low byte of
// both); a pixel matches within a small rounding of the blends.
bool Near(std::uint32_t a, std::uint32_t b) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 2)
            return false;
    return true;
}

using DialogControlsTest = HarnessTest;

TEST_F(DialogControlsTest, RawControlsTakeTheirAdaptersSectionsAndSkinFaces) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&init);
    HWND dialog = MakeDialog(460, 300, WS_THICKFRAME);
    ASSERT_NE(dialog, nullptr);
    HWND combo = Child(dialog, "ComboBox", "", CBS_DROPDOWNLIST, 10, 10, 160, 200);
    for (const char* item : {"First", "Second"})
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    ::SendMessageA(combo, CB_SETCURSEL, 1, 0);
    const DWORD bar = CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | TBSTYLE_FLAT;
    HWND wrapping = Child(dialog, "ToolbarWindow32", "", bar | TBSTYLE_WRAPABLE, 10, 44, 200, 26);
    HWND plainBar = Child(dialog, "ToolbarWindow32", "", bar, 220, 44, 200, 26);
    HWND tabs = Child(dialog, "SysTabControl32", "", 0, 10, 80, 220, 110);
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>("One");
    TabCtrl_InsertItem(tabs, 0, &tab);
    tab.pszText = const_cast<char*>("Two");
    TabCtrl_InsertItem(tabs, 1, &tab);
    HWND track = Child(dialog, "msctls_trackbar32", "", TBS_NOTICKS, 240, 80, 180, 30);
    HWND link = Child(dialog, "SysLink", "Go <a>there</a>", 0, 240, 120, 180, 20);
    RECT client{};
    ::GetClientRect(dialog, &client);
    HWND grip = Child(dialog, "ScrollBar", "", SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN, client.right - 20,
                      client.bottom - 20, 20, 20);
    ShowAndActivate(dialog);
    ::SetFocus(dialog);
    Pump(30);

    ASSERT_NE(HookedProviderOf(dialog), nullptr);
    if (const char* hold = std::getenv("SJ_HOLD_MS"))
        Pump(static_cast<DWORD>(std::atoi(hold)));
    EXPECT_EQ(KindOf(combo), "ComboBox:COMBOBOX");
    EXPECT_EQ(KindOf(wrapping), "ToolbarWindow32:BAR");
    EXPECT_EQ(KindOf(plainBar), "ToolbarWindow32:CHECKBOX");
    EXPECT_EQ(KindOf(tabs), "SysTabControl32:PAGECONTROL");
    EXPECT_EQ(KindOf(track), "msctls_trackbar32:TRACKBAR");
    EXPECT_EQ(KindOf(grip), "ScrollBar:CHECKBOX");
    if (link != nullptr)
        EXPECT_EQ(KindOf(link), "SysLink:CHECKBOX");
    else
        std::printf("no SysLink class here: the link is not checked\n");

    const TsSkinModel& model = form->Manager->Model();
    struct TProbe {
        const char* Name;
        HWND Window;
        const char* Section;
        int State;
        RECT Area;          // where the expected face lies
        POINT At;           // a pixel of it that nothing else covers
    };
    RECT comboRect{}, tabsRect{}, trackRect{}, thumb{}, gripRect{};
    ::GetClientRect(combo, &comboRect);
    ::GetClientRect(tabs, &tabsRect);
    ::GetClientRect(track, &trackRect);
    ::GetClientRect(grip, &gripRect);
    ::SendMessageA(track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    RECT display = tabsRect;
    TabCtrl_AdjustRect(tabs, FALSE, &display);
    const RECT body{0, display.top - 2, tabsRect.right, tabsRect.bottom};
    std::vector<TProbe> probes = {
        {"combo border", combo, "COMBOBOX", 0, comboRect, {1, comboRect.bottom / 2}},
        {"wrapping bar", wrapping, "BAR", 0, RECT{0, 0, 200, 26}, {196, 13}},
        {"plain bar", plainBar, "CHECKBOX", 0, RECT{0, 0, 200, 26}, {196, 13}},
        {"tab body", tabs, "PAGECONTROL", 0, body, {tabsRect.right / 2, tabsRect.bottom - 2}},
        {"track bar", track, "TRACKBAR", 0, trackRect, {1, 1}},
        {"thumb", track, "BUTTON", 0, thumb, {(thumb.left + thumb.right) / 2, thumb.top + 1}},
    };
    if (link != nullptr)
        probes.push_back({"link", link, "CHECKBOX", 0, RECT{0, 0, 180, 20}, {178, 18}});
    // A second track bar with ticks below: the tick at the end of the range is drawn.
    HWND ticked = Child(dialog, "msctls_trackbar32", "", TBS_AUTOTICKS, 240, 150, 180, 34);
    ::SendMessageA(ticked, TBM_SETRANGE, TRUE, MAKELPARAM(0, 4));
    ::UpdateWindow(dialog);
    Pump(20);
    for (const TProbe& probe : probes) {
        auto expected = ExpectedFace(dialog, probe.Window, model, probe.Section, probe.State, probe.Area);
        ASSERT_NE(expected, nullptr);
        const TShown shown = Shown(probe.Window);
        const std::uint32_t want = expected->At(probe.At.x, probe.At.y), got = shown.At(probe.At.x, probe.At.y);
        EXPECT_TRUE(Near(got, want)) << probe.Name << std::hex << ": shown " << got << ", face " << want;
    }

    {
        EXPECT_EQ(KindOf(ticked), "msctls_trackbar32:TRACKBAR") << "made after the dialog was skinned";
        RECT t{}, c{};
        ::SendMessageA(ticked, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
        ::SendMessageA(ticked, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&c));
        const TShown shown = Shown(ticked);
        const int x = c.left + (t.right - t.left) / 2, y = t.bottom + 2;
        auto expected = ExpectedFace(dialog, ticked, model, "TRACKBAR", 0, RECT{0, 0, shown.Width, shown.Height});
        EXPECT_FALSE(Near(shown.At(x, y), expected->At(x, y))) << "a tick mark below the thumb's first place";
        EXPECT_TRUE(Near(shown.At(x + 3, y), expected->At(x + 3, y))) << "beside it the face";
    }

    // The grip: the skin's grip image over the dialog's background, pixel by pixel.
    if (model.HasImage(model.StdIndexes.GripImage)) {
        auto expected = ExpectedFace(dialog, grip, model, "CHECKBOX", 0, gripRect);
        const TsMaskData& image = model.Masks[static_cast<std::size_t>(model.StdIndexes.GripImage)];
        TacPixelsView target = expected->Bitmap.Pixels();
        DrawStateImage(target, std::max(0, target.Width - FrameWidth(image)),
                       std::max(0, target.Height - FrameHeight(image)), 0, BitmapBackdrop(target, 0, 0), image,
                       simNormal);
        const TShown shown = Shown(grip);
        int differing = 0;
        for (int y = 0; y < shown.Height; ++y)
            for (int x = 0; x < shown.Width; ++x)
                differing += Near(shown.At(x, y), expected->At(x, y)) ? 0 : 1;
        EXPECT_EQ(differing, 0);
    }

    // The link's text is drawn, its link part underlined: a straight run of text pixels
    // longer than any stroke of a letter.
    if (link != nullptr) {
        const TShown shown = Shown(link);
        const std::uint32_t face = shown.At(shown.Width - 2, shown.Height - 2);
        int longest = 0, inked = 0;
        for (int y = 0; y < shown.Height; ++y)
            for (int x = 0, run = 0; x < shown.Width; ++x) {
                const bool ink = !Near(shown.At(x, y), face);
                inked += ink ? 1 : 0;
                run = ink ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        EXPECT_GT(inked, 20) << "text drawn";
        EXPECT_GE(longest, 15) << "the link is underlined";
    }

    // Each adapter goes with its window; the rest with the dialog.
    const std::size_t before = HookedProviderOf(dialog)->Adapters().size();
    ::DestroyWindow(track);
    EXPECT_EQ(HookedProviderOf(dialog)->Adapters().size(), before - 1);
    ::DestroyWindow(dialog);
    Pump();
    EXPECT_EQ(HookedProviderOf(dialog), nullptr);
    EXPECT_EQ(HookedProviderCount(), 0);
}

TEST(DialogLinkText, RunsSplitAtTheLinkTags) {
    const std::vector<TacLinkRun> runs = LinkRuns("Go <a href=\"x\">there</a> now <A>again</A>");
    const std::vector<TacLinkRun> expected = {
        {"Go ", false}, {"there", true}, {" now ", false}, {"again", true}};
    EXPECT_EQ(runs, expected);
    // A lone "<" is text, and an unclosed link runs to the end.
    EXPECT_EQ(LinkRuns("a < b <a>c"), (std::vector<TacLinkRun>{{"a < b ", false}, {"c", true}}));
    EXPECT_TRUE(LinkRuns("").empty());
}

// On Windows 6 and later the dialog's own WM_PAINT runs; a dialog with a list box has
// its client area painted by the frame in WM_PAINT.
TEST_F(DialogControlsTest, ListBoxSwitchesTheFramesPaintSuppressionOff) {
    const bool windows6 = LOBYTE(LOWORD(::GetVersion())) >= 6;
    HWND plain = MakeDialog(240, 160);
    HWND withList = MakeDialog(240, 160);
    Child(withList, "ListBox", "", WS_BORDER, 10, 10, 100, 80);
    ShowAndActivate(plain);
    ShowAndActivate(withList);
    TacDialogWnd* plainFrame = HookedProviderOf(plain)->DialogFrame();
    TacDialogWnd* listFrame = HookedProviderOf(withList)->DialogFrame();
    EXPECT_EQ(plainFrame->PaintSuppressed(), windows6);
    EXPECT_FALSE(listFrame->PaintSuppressed());
    // A paint into a DC of ours: the frame fills it from its picture only when it is
    // not suppressed.
    auto paintedPixel = [](HWND dialog) {
        TBitmap target(40, 40);
        FillPixels(target.Pixels(), TacRect{0, 0, 40, 40}, 0x123456, 0xFF);
        const std::uint32_t filled = target.Pixels().At(5, 5) & 0x00FFFFFFu;
        ::SendMessageA(dialog, WM_PAINT, reinterpret_cast<WPARAM>(target.Canvas().Handle()), 0);
        ::GdiFlush();
        const std::uint32_t now = target.Pixels().At(5, 5) & 0x00FFFFFFu;
        return now == filled ? 0xFFFFFFFFu : now;
    };
    const POINT offset = listFrame->ClientOffset();
    const std::uint32_t face = listFrame->Frame()->Pixels().At(offset.x + 5, offset.y + 5) & 0x00FFFFFFu;
    EXPECT_EQ(paintedPixel(withList), face);
    if (windows6) {
        EXPECT_EQ(paintedPixel(plain), 0xFFFFFFFFu) << "the dialog's own paint leaves the DC alone";
    }
    ::DestroyWindow(plain);
    ::DestroyWindow(withList);
    Pump();
    EXPECT_EQ(HookedProviderCount(), 0);
}

// ---- show and hide animations ----------------------------------------------------------

// The constant alphas handed over for windows of the dialog's size other than the
// dialog itself, in order.
HWND NextVisibleWindow(HWND window) {
    HWND next = ::GetWindow(window, GW_HWNDNEXT);
    while (next != nullptr && !::IsWindowVisible(next))
        next = ::GetWindow(next, GW_HWNDNEXT);
    return next;
}

SIZE SizeOf(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

std::vector<int> AnimationAlphas(const TLayeredWindowRecorder& recorder, HWND dialog, SIZE size,
                                 std::size_t from = 0) {
    std::vector<int> alphas;
    for (std::size_t i = from; i < recorder.Calls.size(); ++i) {
        const TLayeredCall& call = recorder.Calls[i];
        if (call.Window != dialog && call.Size.cx == size.cx && call.Size.cy == size.cy)
            alphas.push_back(call.Blend.SourceConstantAlpha);
    }
    return alphas;
}

HWND AnimationWindowLeft() {
    return ::FindWindowA("acAnimationWindow", nullptr);
}

TEST_F(DialogControlsTest, DialogShowZoomsTheDialogInByTheManagersSetting) {
    form->Manager->AnimEffects.DialogShow = TacFormAnimation{true, 70, TacAnimType::atAero};
    TLayeredWindowRecorder recorder;
    HWND dialog = MakeDialog(300, 200);
    Child(dialog, "Button", "OK", BS_PUSHBUTTON, 10, 10, 80, 24);
    ShowAndActivate(dialog);
    RECT r{};
    ::GetWindowRect(dialog, &r);
    // Shown before the dialog was skinned (it is judged when it becomes active).
    std::vector<int> expected{0};
    for (const TacAnimFrame& frame : ShowAnimationFrames(r.right - r.left, r.bottom - r.top, 5, 255, true))
        expected.push_back(frame.Alpha);
    expected.push_back(255);
    EXPECT_EQ(AnimationAlphas(recorder, dialog, SizeOf(dialog)), expected);
    // The zoom: the first frame shows the picture inset by an eighth on every side.
    const TLayeredCall* first = nullptr;
    for (const TLayeredCall& call : recorder.Calls)
        if (call.Window != dialog && call.Blend.SourceConstantAlpha == expected[1] && !call.Pixels.Empty()) {
            first = &call;
            break;
        }
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Pixels.At(2, 2) >> 24, 0u) << "outside the 75 % picture";
    EXPECT_EQ(first->Pixels.At(first->Size.cx / 2, first->Size.cy / 2) >> 24, 255u);
    EXPECT_EQ(AnimationWindowLeft(), nullptr);
    EXPECT_EQ(::GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_LAYERED, 0) << "drawn normally again";
    EXPECT_TRUE(::IsWindowVisible(dialog));

    // Hidden and shown again while skinned: the animation runs once more.
    form->Manager->AnimEffects.DialogHide.Active = false;
    ::ShowWindow(dialog, SW_HIDE);
    const std::size_t mark = recorder.Calls.size();
    ShowAndActivate(dialog);
    EXPECT_EQ(AnimationAlphas(recorder, dialog, SizeOf(dialog), mark), expected);

    // Switched off, or too short for a step: the dialog simply appears.
    for (const TacFormAnimation setting : {TacFormAnimation{false, 70, TacAnimType::atAero},
                                           TacFormAnimation{true, 11, TacAnimType::atAero}}) {
        form->Manager->AnimEffects.DialogShow = setting;
        ::ShowWindow(dialog, SW_HIDE);
        const std::size_t from = recorder.Calls.size();
        ShowAndActivate(dialog);
        EXPECT_TRUE(AnimationAlphas(recorder, dialog, SizeOf(dialog), from).empty());
        EXPECT_EQ(::GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    }
    ::DestroyWindow(dialog);
    Pump();
}

TEST_F(DialogControlsTest, DialogHideFadesOutOnItsOwnWindowAndLeavesNothing) {
    form->Manager->AnimEffects.DialogHide = TacFormAnimation{true, 36, TacAnimType::atFading};
    HWND dialog = MakeDialog(300, 200);
    ShowAndActivate(dialog);
    RECT r{};
    ::GetWindowRect(dialog, &r);
    TLayeredWindowRecorder recorder;
    ::ShowWindow(dialog, SW_HIDE);
    for (int i = 0; i < 100 && HideAnimationRunning(); ++i)
        Pump(12);
    EXPECT_FALSE(HideAnimationRunning());
    std::vector<int> expected{255};
    for (const TacAnimFrame& frame : HideAnimationFrames(r.right - r.left, r.bottom - r.top, 3, 255, false))
        expected.push_back(frame.Alpha);
    EXPECT_EQ(AnimationAlphas(recorder, dialog, SizeOf(dialog)), expected);
    EXPECT_EQ(AnimationWindowLeft(), nullptr);

    // Destroyed while visible: the hide runs on and outlives the dialog.
    ShowAndActivate(dialog);
    const std::size_t mark = recorder.Calls.size();
    const SIZE size = SizeOf(dialog);
    ::DestroyWindow(dialog);
    for (int i = 0; i < 100 && HideAnimationRunning(); ++i)
        Pump(12);
    EXPECT_EQ(AnimationAlphas(recorder, dialog, size, mark).size(), expected.size());
    EXPECT_EQ(AnimationWindowLeft(), nullptr);
    EXPECT_EQ(HookedProviderCount(), 0);

    // The program's setting (no time): a message box closes without an animation.
    form->Manager->AnimEffects.DialogHide = TacFormAnimation{};
    const std::size_t before = recorder.Calls.size();
    HWND box = nullptr;
    SIZE boxSize{};
    sj::test::After(150, [&] {
        box = ::GetActiveWindow();
        boxSize = SizeOf(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    ::MessageBoxA(nullptr, "Bye", "Hook", MB_OK);
    Pump(50);
    EXPECT_GT(boxSize.cx, 0);
    EXPECT_TRUE(AnimationAlphas(recorder, box, boxSize, before).empty());
    EXPECT_EQ(AnimationWindowLeft(), nullptr);
}

// ---- extended borders ----------------------------------------------------------------------

std::uint32_t Premultiplied(std::uint32_t p) {
    const unsigned a = p >> 24;
    auto channel = [&](int shift) { return (((p >> shift) & 0xFFu) * a + 127) / 255; };
    return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
}

TEST_F(DialogControlsTest, ExtendedBordersShowTheShadowBehindTheDialogInStepWithIt) {
    form->Manager->SetExtendedBorders(true);
    Pump(30);
    EXPECT_TRUE(form->Manager->SkinGlobals().Ready) << "the reloaded skin is ready";
    const TsSkinModel& model = form->Manager->Model();
    const TsMargins m = model.ExtBorderMargins;
    ASSERT_GT(m[0], 0) << "the skin has margins with extended borders";
    ASSERT_FALSE(model.ExtBorderActive.Empty());
    TLayeredWindowRecorder recorder;
    HWND dialog = MakeDialog(300, 200);
    Child(dialog, "Button", "OK", BS_PUSHBUTTON, 10, 10, 80, 24);
    HWND combo = Child(dialog, "ComboBox", "", CBS_DROPDOWNLIST, 100, 10, 150, 120);
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Zest"));
    ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
    HWND tabs = Child(dialog, "SysTabControl32", "", 0, 10, 44, 180, 80);
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>("Shadow");
    TabCtrl_InsertItem(tabs, 0, &tab);
    Child(dialog, "msctls_trackbar32", "", TBS_NOTICKS, 10, 130, 180, 28);
    Child(dialog, "SysLink", "A <a>link</a> here", 0, 200, 50, 80, 40);
    ShowAndActivate(dialog);
    ASSERT_NE(HookedProviderOf(dialog), nullptr) << "dialogs are still skinned after the switch";
    TacDialogWnd* frame = HookedProviderOf(dialog)->DialogFrame();
    ASSERT_NE(frame->BorderForm(), nullptr);
    HWND border = frame->BorderForm()->BorderWindow();
    RECT d{}, b{};
    ::GetWindowRect(dialog, &d);
    ::GetWindowRect(border, &b);
    EXPECT_EQ(b.left, d.left - m[0]);
    EXPECT_EQ(b.top, d.top - m[1]);
    EXPECT_EQ(b.right, d.right + m[2]);
    EXPECT_EQ(b.bottom, d.bottom + m[3]);
    EXPECT_TRUE(::IsWindowVisible(border));
    EXPECT_EQ(NextVisibleWindow(dialog), border) << "directly behind the dialog";

    // The picture: the shadow image's corners at the corners, the frame inside.
    const TLayeredCall* call = recorder.LastOf(border);
    ASSERT_NE(call, nullptr);
    const TacPixmap& active = model.ExtBorderActive;
    const int w = call->Size.cx, h = call->Size.cy;
    EXPECT_EQ(w, d.right - d.left + m[0] + m[2]);
    EXPECT_EQ(call->Pixels.At(0, 0), Premultiplied(active.At(0, 0)));
    EXPECT_EQ(call->Pixels.At(w - 1, h - 1), Premultiplied(active.At(active.Width() - 1, active.Height() - 1)));
    EXPECT_EQ(call->Pixels.At(w - 1, 0), Premultiplied(active.At(active.Width() - 1, 0)));
    EXPECT_EQ(call->Pixels.At(m[0] + 150, m[1] + 3), 0u) << "the dialog shows its frame itself";
    EXPECT_EQ(call->Pixels.At(m[0] + 150, m[1] + 150), 0u);
    // The frame's clear corners show the ring.
    const std::vector<RECT>& corners = frame->ClearCorners();
    if (!corners.empty()) {
        const RECT c = corners.front();
        EXPECT_NE(call->Pixels.At(m[0] + c.left, m[1] + c.top), 0u);
    }
    EXPECT_EQ(call->Blend.SourceConstantAlpha, 255);
    EXPECT_EQ(call->Blend.AlphaFormat, AC_SRC_ALPHA);

    if (const char* hold = std::getenv("SJ_HOLD_MS"))
        Pump(static_cast<DWORD>(std::atoi(hold)));

    // Deactivated: the inactive shadow.
    ::SendMessageA(dialog, WM_NCACTIVATE, FALSE, 0);
    call = recorder.LastOf(border);
    const TacPixmap& inactive = model.ExtBorderInactive;
    EXPECT_EQ(call->Pixels.At(w - 1, h - 1),
              Premultiplied(inactive.At(inactive.Width() - 1, inactive.Height() - 1)));
    ::SendMessageA(dialog, WM_NCACTIVATE, TRUE, 0);

    // A move only moves the border window; a new size gives it a new picture.
    const int pictures = recorder.CountOf(border);
    ::SetWindowPos(dialog, nullptr, d.left + 40, d.top + 25, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(20);
    EXPECT_EQ(recorder.CountOf(border), pictures);
    ::GetWindowRect(border, &b);
    EXPECT_EQ(b.left, d.left + 40 - m[0]);
    EXPECT_EQ(b.top, d.top + 25 - m[1]);
    // Another window brought over the dialog and gone again: the border stays behind it.
    HWND other = ::CreateWindowExA(0, "Static", "Over", WS_POPUP | WS_VISIBLE, d.left, d.top, 100, 60, nullptr,
                                   nullptr, nullptr, nullptr);
    Pump(10);
    ::SetActiveWindow(dialog);
    ::SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(10);
    EXPECT_EQ(NextVisibleWindow(dialog), border);
    ::DestroyWindow(other);
    ::SetWindowPos(dialog, nullptr, 0, 0, 340, 230, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(20);
    EXPECT_EQ(recorder.LastOf(border)->Size.cx, 340 + m[0] + m[2]);
    EXPECT_EQ(recorder.LastOf(border)->Size.cy, 230 + m[1] + m[3]);

    // Hidden: the border window goes; shown again: a new one.
    ::ShowWindow(dialog, SW_HIDE);
    Pump(20);
    EXPECT_FALSE(::IsWindow(border));
    EXPECT_EQ(frame->BorderForm(), nullptr);
    ShowAndActivate(dialog);
    ASSERT_NE(frame->BorderForm(), nullptr);
    border = frame->BorderForm()->BorderWindow();
    EXPECT_TRUE(::IsWindowVisible(border));

    // Extended borders switched off: the border window goes with them.
    form->Manager->SetExtendedBorders(false);
    Pump(20);
    EXPECT_EQ(frame->BorderForm(), nullptr);
    EXPECT_FALSE(::IsWindow(border));
    form->Manager->SetExtendedBorders(true);
    Pump(20);
    ASSERT_NE(frame->BorderForm(), nullptr);
    border = frame->BorderForm()->BorderWindow();

    // Destroyed: nothing of it stays on the screen.
    ::DestroyWindow(dialog);
    Pump();
    EXPECT_FALSE(::IsWindow(border));
    EXPECT_EQ(::FindWindowA("acDialogBorderWindow", nullptr), nullptr);

    // A message box has its shadow while it is up, and none after.
    HWND boxBorder = nullptr;
    sj::test::After(200, [&] {
        HWND box = ::GetActiveWindow();
        if (TacProvider* provider = HookedProviderOf(box); provider != nullptr && provider->DialogFrame() != nullptr)
            if (TacDialogBorderForm* shadow = provider->DialogFrame()->BorderForm())
                boxBorder = shadow->BorderWindow();
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    ::MessageBoxA(nullptr, "Shadow", "Hook", MB_OK);
    Pump(30);
    EXPECT_NE(boxBorder, nullptr);
    EXPECT_FALSE(::IsWindow(boxBorder));
    EXPECT_EQ(::FindWindowA("acDialogBorderWindow", nullptr), nullptr);
}

} // namespace
} // namespace sj::harness::test

// The skinned scroll bars on the harness's multi-line edit, under Wine, through
// messages: the layout, the hit parts, arrows with their repeat, the thumb drag, track
// clicks, disabled bars, left-side bars and the size box, the painted faces against the
// core's, a monkey run, and nothing left behind.
#include "tests/skin/harness/HarnessKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinImages.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sSectionPaint.h"

namespace sj::harness::test {
namespace {

class ScrollBarsTest : public HarnessTest {
protected:
    TacScrollWnd& Bars() {
        TacScrollWnd* bars = ScrollAdapterOf(Memo());
        EXPECT_NE(bars, nullptr);
        return *bars;
    }
    SCROLLINFO Info(int bar) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        ::GetScrollInfo(Memo(), bar, &info);
        return info;
    }
    LRESULT HitTest(POINT p) { return ::SendMessageA(Memo(), WM_NCHITTEST, 0, ScreenPoint(p.x, p.y)); }
    void Press(POINT p, WPARAM hit) {
        ::SetCursorPos(p.x, p.y);
        ::SendMessageA(Memo(), WM_NCLBUTTONDOWN, hit, ScreenPoint(p.x, p.y));
    }
    void MoveTo(POINT screen) {
        ::SetCursorPos(screen.x, screen.y);
        POINT client = screen;
        ::ScreenToClient(Memo(), &client);
        ::SendMessageA(Memo(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    }
    void Release() { ::SendMessageA(Memo(), WM_LBUTTONUP, 0, 0); }
    void Tick(UINT_PTR id) { ::SendMessageA(Memo(), WM_TIMER, id, 0); }
};

TEST_F(ScrollBarsTest, BarsTakeTheSystemsSpaceAndThumbFollowsTheRange) {
    TacScrollWnd& bars = Bars();
    ASSERT_TRUE(bars.HorzBar().Shown);
    ASSERT_TRUE(bars.VertBar().Shown);
    const int thickness = ::GetSystemMetrics(SM_CXVSCROLL);
    RECT window{};
    RECT client{};
    ::GetWindowRect(Memo(), &window);
    ::GetClientRect(Memo(), &client);
    EXPECT_EQ(bars.Edges().Left, 2);
    EXPECT_EQ(bars.Edges().Bottom, 2);
    EXPECT_EQ(client.right, window.right - window.left - 4 - thickness);
    EXPECT_EQ(client.bottom, window.bottom - window.top - 4 - ::GetSystemMetrics(SM_CYHSCROLL));
    const RECT v = bars.VertBarRect();
    EXPECT_EQ(v.right, window.right - 2);
    EXPECT_EQ(v.left, window.right - 2 - thickness);
    EXPECT_EQ(v.top, window.top + 2);
    EXPECT_EQ(v.bottom, window.bottom - 2 - ::GetSystemMetrics(SM_CYHSCROLL));

    // The painted length, used for hit testing too: the system's arrow unless the skin's
    // left arrow asks for its own size.
    const int arrow = bars.ArrowLengthOf(bars.VertBar());
    const TsSkinModel& model = form->Manager->Model();
    const std::int32_t left = model.StdIndexes.ScrollBtnLeftSection;
    const std::int32_t top = model.StdIndexes.ScrollBtnTopBorders;
    const bool own = model.HasSection(left) && model.GeneralData[static_cast<std::size_t>(left)].ReservedBoolean &&
                     model.HasImage(top);
    const int a = ::GetSystemMetrics(SM_CXHSCROLL);
    EXPECT_EQ(arrow, own ? FrameHeight(model.Masks[static_cast<std::size_t>(top)]) + a - 17 : a);
    std::printf("arrow length %d (own size %d), system arrow %d, bar thickness %d\n", arrow, own ? 1 : 0, a,
                thickness);
    const SCROLLINFO info = Info(SB_VERT);
    const int length = v.bottom - v.top;
    const int track = length - 2 * arrow;
    const int range = info.nMax - info.nMin + 1;
    const int size = std::max(::MulDiv(static_cast<int>(info.nPage), track, range), 10);
    const TacThumb thumb = bars.ThumbOf(bars.VertBar(), v);
    std::printf("vertical bar %d px, range %d..%d page %u: thumb %d px at %d\n", length, info.nMin, info.nMax,
                info.nPage, thumb.Size, thumb.Start);
    EXPECT_EQ(thumb.Size, size);
    EXPECT_EQ(thumb.Start, arrow);
    // At the last position the thumb touches the second arrow.
    ::SendMessageA(Memo(), WM_VSCROLL, SB_BOTTOM, 0);
    Pump();
    const TacThumb last = bars.ThumbOf(bars.VertBar(), v);
    EXPECT_EQ(last.Start + last.Size, length - arrow);
}

TEST_F(ScrollBarsTest, HitCodesAndPartsUnderThePointer) {
    TacScrollWnd& bars = Bars();
    const RECT v = bars.VertBarRect();
    const RECT h = bars.HorzBarRect();
    const int arrow = bars.ArrowLengthOf(bars.VertBar());
    EXPECT_EQ(HitTest(OnBar(v, true, 1)), HTVSCROLL);
    EXPECT_EQ(HitTest(OnBar(h, false, 1)), HTHSCROLL);
    // The corner square of a window that does not fill its parent's corner is no grip.
    EXPECT_NE(HitTest(POINT{v.left + 2, h.top + 2}), HTBOTTOMRIGHT);
    EXPECT_EQ(HitTest(POINT{v.left - 10, v.top + 10}), HTCLIENT);

    const auto part = [&](int along) { return bars.PartAt(bars.VertBar(), v, OnBar(v, true, along)); };
    EXPECT_EQ(part(0), spFirstArrow);
    EXPECT_EQ(part(arrow - 1), spFirstArrow); // the whole painted arrow answers, not only A pixels
    EXPECT_EQ(part(arrow), spThumb);
    const TacThumb thumb = bars.ThumbOf(bars.VertBar(), v);
    EXPECT_EQ(part(thumb.Start + thumb.Size), spTrackAfter);
    EXPECT_EQ(part(v.bottom - v.top - arrow), spSecondArrow);
    EXPECT_EQ(part(v.bottom - v.top - 1), spSecondArrow);
}

TEST_F(ScrollBarsTest, HeldArrowScrollsAtPressThenOnEachRepeatTickWhileOver) {
    TacScrollWnd& bars = Bars();
    TMessageRecorder recorder(*form->Memo);
    const RECT v = bars.VertBarRect();
    const POINT down = OnBar(v, true, v.bottom - v.top - 3);
    Press(down, HTVSCROLL);
    EXPECT_EQ(::GetCapture(), Memo());
    EXPECT_EQ(ScrollInteraction().PressedPart, spSecondArrow);
    EXPECT_EQ(ScrollCalls(recorder, WM_VSCROLL), (std::vector<TScrollCall>{{SB_LINEDOWN, 0}}));
    // The 300 ms tick scrolls and hands over to the 55 ms timer; each of those scrolls.
    Tick(TacScrollRepeat::FirstTimer);
    EXPECT_EQ(ScrollInteraction().RepeatTimer, TacScrollRepeat::NextTimer);
    Tick(TacScrollRepeat::NextTimer);
    Tick(TacScrollRepeat::NextTimer);
    EXPECT_EQ(ScrollCalls(recorder, WM_VSCROLL).size(), 4u);
    // Off the arrow: the repeat pauses and the arrow shows unpressed; back on, it resumes.
    MoveTo(POINT{v.left - 20, down.y});
    EXPECT_EQ(ScrollInteraction().PressedLookPart, spNoPart);
    Tick(TacScrollRepeat::NextTimer);
    EXPECT_EQ(ScrollCalls(recorder, WM_VSCROLL).size(), 4u);
    MoveTo(down);
    EXPECT_EQ(ScrollInteraction().PressedLookPart, spSecondArrow);
    Tick(TacScrollRepeat::NextTimer);
    EXPECT_EQ(ScrollCalls(recorder, WM_VSCROLL).size(), 5u);
    Release();
    const auto calls = ScrollCalls(recorder, WM_VSCROLL);
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls.back(), (TScrollCall{SB_ENDSCROLL, 0}));
    EXPECT_NE(::GetCapture(), Memo());
    EXPECT_EQ(ScrollInteraction().PressedPart, spNoPart);
    EXPECT_EQ(ScrollInteraction().RepeatTimer, 0u);
    EXPECT_EQ(Info(SB_VERT).nPos, 5);
}

TEST_F(ScrollBarsTest, ThumbDragSendsTrackPositionsOnlyOnChangeThenPositionAndEnd) {
    TacScrollWnd& bars = Bars();
    const RECT v = bars.VertBarRect();
    const SCROLLINFO info = Info(SB_VERT);
    const int arrow = bars.ArrowLengthOf(bars.VertBar());
    const TacThumb thumb = bars.ThumbOf(bars.VertBar(), v);
    const int span = (v.bottom - v.top) - 2 * arrow - thumb.Size;
    const int last = info.nMax - static_cast<int>(info.nPage) + 1;
    TMessageRecorder recorder(*form->Memo);
    const POINT grip = OnBar(v, true, thumb.Start + 3);
    Press(grip, HTVSCROLL);
    EXPECT_TRUE(bars.DraggingThumb());
    // The pixel offset where position 10 is drawn, then one pixel that changes nothing,
    // then far beyond the end.
    const int offset10 = ::MulDiv(10, span, last - info.nMin);
    MoveTo(POINT{grip.x, grip.y + offset10});
    MoveTo(POINT{grip.x + 1, grip.y + offset10});
    MoveTo(POINT{grip.x, grip.y + 4000});
    Release();
    const std::vector<TScrollCall> expected{{SB_THUMBTRACK, 10}, {SB_THUMBTRACK, last}, {SB_THUMBPOSITION, last},
                                            {SB_ENDSCROLL, last}};
    EXPECT_EQ(ScrollCalls(recorder, WM_VSCROLL), expected);
    EXPECT_EQ(::SendMessageA(Memo(), EM_GETFIRSTVISIBLELINE, 0, 0), last);
    EXPECT_FALSE(bars.DraggingThumb());
    std::printf("drag: span %d px, position 10 at +%d px, last position %d\n", span, offset10, last);
}

TEST_F(ScrollBarsTest, HorizontalDragReachesBothEndsOfTheRange) {
    TacScrollWnd& bars = Bars();
    const RECT h = bars.HorzBarRect();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ::GetScrollInfo(Memo(), SB_HORZ, &info);
    ASSERT_GT(info.nMax, 0);
    const int last = info.nMax - static_cast<int>(info.nPage) + 1;
    TMessageRecorder recorder(*form->Memo);
    const TacThumb thumb = bars.ThumbOf(bars.HorzBar(), h);
    const POINT grip = OnBar(h, false, thumb.Start + 2);
    Press(grip, HTHSCROLL);
    MoveTo(POINT{grip.x + 4000, grip.y});
    MoveTo(POINT{grip.x - 4000, grip.y});
    Release();
    const auto calls = ScrollCalls(recorder, WM_HSCROLL);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], (TScrollCall{SB_THUMBTRACK, last}));
    EXPECT_EQ(calls[1], (TScrollCall{SB_THUMBTRACK, info.nMin}));
    EXPECT_EQ(calls[2], (TScrollCall{SB_THUMBPOSITION, info.nMin}));
}

TEST_F(ScrollBarsTest, TrackClickPagesAndDisabledBarCannotBePressed) {
    TacScrollWnd& bars = Bars();
    const RECT v = bars.VertBarRect();
    TMessageRecorder recorder(*form->Memo);
    Press(OnBar(v, true, v.bottom - v.top - bars.ArrowLengthOf(bars.VertBar()) - 3), HTVSCROLL);
    Release();
    EXPECT_EQ(ScrollCalls(recorder, WM_VSCROLL), (std::vector<TScrollCall>{{SB_PAGEDOWN, 0}, {SB_ENDSCROLL, 0}}));

    ::EnableScrollBar(Memo(), SB_VERT, ESB_DISABLE_BOTH);
    EXPECT_FALSE(bars.BarEnabled(bars.VertBar()));
    EXPECT_EQ(HitTest(OnBar(v, true, 2)), HTNOWHERE);
    recorder.Clear();
    Press(OnBar(v, true, 2), HTVSCROLL);
    EXPECT_TRUE(ScrollCalls(recorder, WM_VSCROLL).empty());
    EXPECT_EQ(ScrollInteraction().PressedPart, spNoPart);
    ::EnableScrollBar(Memo(), SB_VERT, ESB_ENABLE_BOTH);
}

// A raw edit with a skin of plain sections: each part of a bar shows its own section's
// colour where the geometry puts it, and a disabled bar 40 % of it over 60 % of the face.
TEST_F(ScrollBarsTest, BarPartsArePaintedFromTheirSectionsWhereTheGeometryPutsThem) {
    constexpr std::int32_t Face = 0x00F0E0D0, Track1 = 0x00203040, Track2 = 0x00405060, Up = 0x000000C0,
                           Down = 0x0000C000, Slider = 0x00C00000;
    TsSkinManager plain(nullptr);
    TsSkinModel& model = plain.Core().Model();
    const auto section = [&model](const char* name, std::int32_t color) {
        TsGeneralData s;
        s.SectionName = name;
        s.States = 1;
        for (TsGenState& st : s.StateProps)
            st.Color = color;
        model.GeneralData.push_back(s);
    };
    section("GLOBALINFO", Face);
    section("EDIT", Face);
    section("SCROLLBAR1V", Track1);
    section("SCROLLBAR2V", Track2);
    section("SCROLLBTNTOP", Up);
    section("SCROLLBTNBOTTOM", Down);
    section("SCROLLSLIDERV", Slider);
    CacheStandardIndexes(model, false, BuiltinBorderImages());
    plain.Core().SetActive(true);

    HWND top = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 40, 40, 220, 260, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    HWND edit = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, 0,
                                  0, 200, 240, top, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "line\r\n";
    ::SetWindowTextA(edit, text.c_str());
    ::SendMessageA(edit, EM_LINESCROLL, 0, 40);
    auto adapter = std::make_unique<TacEditWnd>(edit, "EDIT", &plain);
    adapter->Hook();
    Pump();
    const auto rgb = [](std::int32_t c) { return ColorToPixelOrder(static_cast<TColor>(c)) & 0x00FFFFFF; };
    const auto shown = [&] {
        RECT w{};
        ::GetWindowRect(edit, &w);
        auto bitmap = CreateBitmap32(w.right - w.left, w.bottom - w.top);
        ::SendMessageA(edit, WM_PRINT, reinterpret_cast<WPARAM>(bitmap->Canvas().Handle()), PRF_NONCLIENT);
        return bitmap;
    };
    RECT window{};
    ::GetWindowRect(edit, &window);
    const RECT v = adapter->VertBarRect();
    const int x = (v.left + v.right) / 2 - window.left;
    const int y0 = v.top - window.top;
    const int length = v.bottom - v.top;
    const int a = adapter->ArrowLengthOf(adapter->VertBar());
    const TacThumb thumb = adapter->ThumbOf(adapter->VertBar(), v);
    ASSERT_TRUE(thumb.Shown);
    ASSERT_GT(thumb.Start, a + 2);
    ASSERT_LT(thumb.Start + thumb.Size, length - a - 2);
    auto bitmap = shown();
    const auto at = [&](int along) { return bitmap->Pixels().At(x, y0 + along) & 0x00FFFFFF; };
    EXPECT_EQ(at(a / 2), rgb(Up));
    EXPECT_EQ(at(length - a / 2), rgb(Down));
    EXPECT_EQ(at((a + thumb.Start) / 2), rgb(Track1));
    EXPECT_EQ(at(thumb.Start + thumb.Size / 2), rgb(Slider));
    EXPECT_EQ(at((thumb.Start + thumb.Size + length - a) / 2), rgb(Track2));
    std::printf("bar %d px, arrows %d, thumb %d px at %d\n", length, a, thumb.Size, thumb.Start);

    ::EnableScrollBar(edit, SB_VERT, ESB_DISABLE_BOTH);
    bitmap = shown();
    // 40 % of the face over 60 % of the edit's face behind it, halves to even.
    const auto blend = [&](std::int32_t part) {
        const TPixel32 d = rgb(part);
        const TPixel32 b = rgb(Face);
        TPixel32 result = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const double s = (b >> shift) & 0xFF;
            const double t = (d >> shift) & 0xFF;
            result |= static_cast<TPixel32>(std::nearbyint(s - 0.4 * (s - t))) << shift;
        }
        return result;
    };
    EXPECT_EQ(at(a / 2), blend(Up));
    EXPECT_EQ(at(length - a / 2), blend(Down));
    adapter.reset();
    ::DestroyWindow(top);
}

TEST_F(ScrollBarsTest, LowWindowHasNoHorizontalBarAndLeftBarsSwapSides) {
    form->Memo->SetBounds(12, 12, 300, 14);
    Pump();
    EXPECT_FALSE(Bars().HorzBar().Shown);
    form->Memo->SetBounds(12, 12, 300, 170);
    Pump();
    EXPECT_TRUE(Bars().HorzBar().Shown);

    ::SetWindowLongA(Memo(), GWL_EXSTYLE, ::GetWindowLongA(Memo(), GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    ::SetWindowPos(Memo(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    Pump();
    TacScrollWnd& bars = Bars();
    EXPECT_TRUE(bars.VertBarAtLeft());
    RECT window{};
    ::GetWindowRect(Memo(), &window);
    const RECT v = bars.VertBarRect();
    const RECT h = bars.HorzBarRect();
    EXPECT_EQ(v.left, window.left + 2);
    EXPECT_EQ(h.left, v.right);
    POINT origin{0, 0};
    ::ClientToScreen(Memo(), &origin);
    EXPECT_EQ(origin.x, v.right);
}

// A raw edit filling its top-level window: the corner square is the window's size box.
TEST_F(ScrollBarsTest, SizeBoxOfAWindowFillingItsParentsCornerOnEitherSide) {
    HWND top = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    RECT client{};
    ::GetClientRect(top, &client);
    HWND edit = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL |
                                      ES_MULTILINE, 0, 0, client.right, client.bottom, top, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    auto adapter = std::make_unique<TacEditWnd>(edit, "EDIT", form->Manager);
    adapter->Hook();
    Pump();
    TacBarRects bars = adapter->BarRects();
    EXPECT_TRUE(adapter->SitsInParentCorner());
    POINT corner{(bars.Corner.Left + bars.Corner.Right) / 2, (bars.Corner.Top + bars.Corner.Bottom) / 2};
    EXPECT_EQ(::SendMessageA(edit, WM_NCHITTEST, 0, ScreenPoint(corner.x, corner.y)), HTBOTTOMRIGHT);

    ::SetWindowLongA(edit, GWL_EXSTYLE, ::GetWindowLongA(edit, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    ::SetWindowPos(edit, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    bars = adapter->BarRects();
    corner = POINT{(bars.Corner.Left + bars.Corner.Right) / 2, (bars.Corner.Top + bars.Corner.Bottom) / 2};
    EXPECT_EQ(::SendMessageA(edit, WM_NCHITTEST, 0, ScreenPoint(corner.x, corner.y)), HTBOTTOMLEFT);

    // Short of the parent's bottom: no size box.
    ::SetWindowPos(edit, nullptr, 0, 0, client.right, client.bottom - 10, SWP_NOMOVE | SWP_NOZORDER);
    bars = adapter->BarRects();
    corner = POINT{(bars.Corner.Left + bars.Corner.Right) / 2, (bars.Corner.Top + bars.Corner.Bottom) / 2};
    EXPECT_NE(::SendMessageA(edit, WM_NCHITTEST, 0, ScreenPoint(corner.x, corner.y)), HTBOTTOMLEFT);
    adapter.reset();
    EXPECT_EQ(::GetPropA(edit, AdaptedWindowProperty), nullptr);
    ::DestroyWindow(top);
}

// A window destroyed in the middle of a press leaves no capture, timer or state.
TEST_F(ScrollBarsTest, WindowDestroyedDuringAPressEndsTheInteraction) {
    const RECT v = Bars().VertBarRect();
    Press(OnBar(v, true, 2), HTVSCROLL);
    EXPECT_EQ(ScrollInteraction().TrackedWindow, Memo());
    form->Memo->DestroyHandle();
    EXPECT_EQ(ScrollInteraction().TrackedWindow, nullptr);
    EXPECT_EQ(ScrollInteraction().PressedPart, spNoPart);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(ScrollBarsTest, RemovedSkinGivesTheSystemBarsBack) {
    HWND memo = Memo();
    const LONG_PTR adapted = ::GetWindowLongPtrA(memo, GWLP_WNDPROC);
    ::SendMessageA(memo, SkinCommandMessage, SkinCommand(scRemoveSkin), reinterpret_cast<LPARAM>(form->Manager));
    Pump();
    EXPECT_EQ(AdapterOf(memo), nullptr);
    EXPECT_EQ(::GetWindowLongPtrA(memo, GWLP_WNDPROC), adapted); // a framework control keeps its procedure
    EXPECT_EQ(::SendMessageA(memo, SkinCommandMessage, SkinCommand(scIsSkinned), 0), 0);
    // The system answers for its own bars again.
    RECT window{};
    ::GetWindowRect(memo, &window);
    EXPECT_EQ(::SendMessageA(memo, WM_NCHITTEST, 0, ScreenPoint(window.right - 4, window.top + 5)), HTVSCROLL);
}

// Random clicks, drags and wheel turns over the three scrolling windows: no crash, no
// state left, and GDI objects flat.
TEST_F(ScrollBarsTest, MonkeyRunLeavesNothingBehind) {
    std::mt19937 random(20261209);
    const HWND windows[] = {Memo(), List(), Tree()};
    const auto step = [&](int n) {
        for (int i = 0; i < n; ++i) {
            const auto [target, x, y, hit] = RandomPointOver(random, windows);
            ::SetCursorPos(x, y);
            switch (random() % 5) {
            case 0:
                ::SendMessageA(target, WM_NCMOUSEMOVE, hit, ScreenPoint(x, y));
                ::SendMessageA(target, WM_TIMER, TacScrollRepeat::HoverTimer, 0);
                break;
            case 1:
                ::SendMessageA(target, WM_NCLBUTTONDOWN, hit, ScreenPoint(x, y));
                ::SendMessageA(target, WM_TIMER, TacScrollRepeat::FirstTimer, 0);
                ::SendMessageA(target, WM_LBUTTONUP, 0, 0);
                break;
            case 2: {
                ::SendMessageA(target, WM_NCLBUTTONDOWN, hit, ScreenPoint(x, y));
                POINT to{x + static_cast<int>(random() % 200) - 100, y + static_cast<int>(random() % 200) - 100};
                ::ScreenToClient(target, &to);
                ::SendMessageA(target, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
                ::SendMessageA(target, WM_LBUTTONUP, 0, 0);
                break;
            }
            case 3:
                ::SendMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(0, (random() % 2 != 0 ? 1 : -1) * WHEEL_DELTA),
                               ScreenPoint(x, y));
                break;
            default:
                ::SendMessageA(target, WM_NCPAINT, 1, 0);
                break;
            }
            Pump();
            if (::GetCapture() != nullptr)
                ::ReleaseCapture();
        }
    };
    step(50); // caches and bitmaps made once
    const DWORD before = LiveGdiObjects();
    step(400);
    const DWORD after = LiveGdiObjects();
    EXPECT_LE(after, before + 2);
    EXPECT_EQ(ScrollInteraction().PressedPart, spNoPart);
    TacScrollWnd* memo = ScrollAdapterOf(Memo());
    ASSERT_NE(memo, nullptr);
    EXPECT_FALSE(memo->DraggingThumb());
    std::printf("GDI objects: %lu before, %lu after\n", before, after);
}

TEST_F(ScrollBarsTest, ClosingTheHarnessLeavesNoAdaptedWindow) {
    const HWND memo = Memo();
    const HWND list = List();
    form.reset();
    Pump();
    EXPECT_FALSE(::IsWindow(memo));
    EXPECT_FALSE(::IsWindow(list));
    EXPECT_EQ(ScrollInteraction().TrackedWindow, nullptr);
    int marked = 0;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM count) -> BOOL {
            if (::GetPropA(window, AdaptedWindowProperty) != nullptr)
                ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&marked));
    EXPECT_EQ(marked, 0);
}

} // namespace
} // namespace sj::harness::test

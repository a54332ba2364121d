// The provider harness under Wine: user title buttons (place, faces and glyphs against
// the painting core, hit codes, hover hints, the click events through the form and the
// border window), the caption icon of its own, the added title without the caption,
// the size grip, caption alignment and right-to-left captions changed at run time, the
// caption glow, the extended frame's hit-test event, cursors and edge stretch, and the
// title buttons read from a stored form.
#include "tests/skin/frame/ProviderHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sMaskPaint.h"

namespace sj::provider_harness {
namespace {

struct TClick {
    TMouseButton Button;
    int X, Y;
};

bool SamePixels(const TacPixmap& a, const TacPixmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.At(x, y) != b.At(x, y))
                return false;
    return true;
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

class ProviderHarness : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { Open(GetParam()); }
    void TearDown() override {
        form.reset();
        Pump();
    }
    void Open(bool extended) {
        form.reset();
        form = std::make_unique<TProviderHarnessForm>(Application, kZest, extended);
        form->AddUserButtons();
        form->Show();
        Pump(100);
        ASSERT_TRUE(provider().PaintFrame());
    }
    TsSkinProvider& provider() { return *form->Provider; }
    TsTitleButton& pin() { return provider().TitleButtons().Items(0); }
    TsTitleButton& star() { return provider().TitleButtons().Items(1); }
    TBitmap& cache() { return *provider().FrameCache(); }
    const TsSkinModel& model() { return form->Manager->Model(); }
    const TsMaskData* Global(const char* key) {
        const TsSkinModel& m = model();
        const std::int32_t index = m.ImageIndexOf(m.SectionIndexOf("GLOBALINFO"), "GLOBALINFO", key);
        return m.HasImage(index) ? &m.Masks[static_cast<std::size_t>(index)] : nullptr;
    }
    // The screen point of a frame-cache point.
    POINT Screen(POINT cache) {
        RECT r{};
        HWND frame = provider().BorderForm() != nullptr ? provider().BorderForm()->BorderWindow() : form->Handle();
        ::GetWindowRect(frame, &r);
        return POINT{r.left + cache.x, r.top + cache.y};
    }
    static POINT Middle(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    static LPARAM At(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }
    // Non-client mouse input where the user would give it: on the border window when
    // there is one (which translates the point itself), else on the form with its code.
    void Mouse(UINT msg, POINT screen, int code) {
        if (TacBorderForm* border = provider().BorderForm(); border != nullptr && border->BorderWindow() != nullptr)
            ::SendMessageA(border->BorderWindow(), msg, HTOBJECT, At(screen));
        else
            ::SendMessageA(form->Handle(), msg, static_cast<WPARAM>(code), At(screen));
    }

    std::unique_ptr<TProviderHarnessForm> form;
};

// ---- user title buttons ------------------------------------------------------------------

TEST_P(ProviderHarness, UserButtonsLieLeftOfTheSystemButtonsAndWidenTheButtonBlock) {
    const TsMaskData* face = Global("TITLEBUTTON");
    const int faceWidth = face != nullptr ? FrameWidth(*face) : 21;
    const int gap = model().SkinGlobals.BISpace; // a sizeable form has the big set
    const RECT minimize = provider().Button(HTMINBUTTON).Rect;
    const RECT a = pin().Record().Rect, b = star().Record().Rect;
    EXPECT_EQ(a.right, minimize.left - gap - 6);
    EXPECT_EQ(a.right - a.left, std::max(12 + 2, faceWidth));
    EXPECT_EQ(b.right, a.left - gap);
    EXPECT_EQ(b.right - b.left, std::max(10 + 2, faceWidth));
    // Centred on the caption's centre line like the system buttons.
    EXPECT_EQ((a.top + a.bottom) / 2, provider().CaptionCenterLine());

    const int withButtons = provider().ButtonBlockWidth();
    pin().SetVisible(false);
    star().SetVisible(false);
    EXPECT_FALSE(provider().SkinData().CacheStale) << "a change at run time repaints at once";
    EXPECT_EQ(withButtons - provider().ButtonBlockWidth(), 6 + (a.right - a.left) + gap + (b.right - b.left) + gap);
    EXPECT_FALSE(pin().Record().Placed());
    // The caption text may now reach where the buttons were.
    EXPECT_GT(provider().CaptionTextRect().right, a.left - 12 - 1);
}

TEST_P(ProviderHarness, UserButtonsAnswerTheirHitCodesAndADisabledOneNoButton) {
    const POINT a = Screen(Middle(pin().Record().Rect)), b = Screen(Middle(star().Record().Rect));
    auto hit = [&](POINT p) {
        if (TacBorderForm* border = provider().BorderForm()) {
            RECT r{};
            ::GetWindowRect(border->BorderWindow(), &r);
            return border->BorderWindowHitTest(POINT{p.x - r.left, p.y - r.top});
        }
        return provider().NonClientHitTest(p);
    };
    EXPECT_EQ(hit(a), 1000);
    EXPECT_EQ(hit(b), 1001);
    star().SetEnabled(false);
    EXPECT_EQ(hit(b), provider().BorderForm() != nullptr ? HTCAPTION : HTCLIENT);
    EXPECT_EQ(hit(a), 1000);
}

// The face is the skin's TITLEBUTTON frame for the state, drawn by the painting core
// over the caption; the keyed glyph shows its ink opaque and the caption through its key.
TEST_P(ProviderHarness, UserButtonFaceAndGlyphAreTheCoresFramesOverTheCaption) {
    const TsMaskData* face = Global("TITLEBUTTON");
    ASSERT_NE(face, nullptr) << "the harness skin has a title-button face";
    const RECT r = pin().Record().Rect;
    const auto glyph = KeyedGlyph(static_cast<TColor>(0x000000C0), static_cast<TColor>(0x00FF00FF));
    pin().SetUseSkinData(false);
    pin().SetGlyph(TBitmap());
    ASSERT_TRUE(::EqualRect(&r, &pin().Record().Rect)) << "the face width decides";
    const TacPixmap caption = AreaOf(cache(), r);

    TacPixmap expected = caption;
    const int fx = (r.right - r.left - FrameWidth(*face)) / 2, fy = (r.bottom - r.top - FrameHeight(*face)) / 2;
    DrawStateImage(expected.View(), fx, fy, 0, BitmapBackdrop(expected.View(), fx, fy), *face,
                   provider().FormActive() != 0 ? simNormal : simFaded);
    pin().SetUseSkinData(true);
    EXPECT_TRUE(SamePixels(AreaOf(cache(), r), expected));

    pin().SetGlyph(*glyph);
    const TacPixmap shown = AreaOf(cache(), r);
    const int gx = (r.right - r.left - 12) / 2, gy = (r.bottom - r.top - 12) / 2;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool key = x == 0 || y == 11 || (x > 8 && y < 3);
            const TPixel32 want = key ? expected.At(gx + x, gy + y) : 0xFFC00000u;
            ASSERT_EQ(shown.At(gx + x, gy + y), want) << x << "," << y;
        }
}

// The glyph with alpha is blended by it: opaque middle exactly the ink, the half
// transparent edge half way between the face and the ink.
TEST_P(ProviderHarness, GlyphWithAlphaIsBlendedOverTheFace) {
    const RECT r = star().Record().Rect;
    star().SetGlyph(TBitmap());
    const TacPixmap under = AreaOf(cache(), r);
    star().SetGlyph(*AlphaGlyph(static_cast<TColor>(0x0000A000)));
    const TacPixmap shown = AreaOf(cache(), r);
    const int gx = (r.right - r.left - 10) / 2, gy = (r.bottom - r.top - 10) / 2;
    EXPECT_EQ(shown.At(gx + 5, gy + 5) & 0x00FFFFFFu, 0x0000A000u);
    const TPixel32 below = under.At(gx, gy + 5), edge = shown.At(gx, gy + 5);
    const int green = static_cast<int>((below >> 8) & 0xFF);
    EXPECT_EQ(static_cast<int>((edge >> 8) & 0xFF),
              green + static_cast<int>(std::floor(0x80 * (0xA0 - green) / 256.0)));
}

TEST_P(ProviderHarness, HoverShowsTheHintAndAPressAndReleaseOverTheButtonClicksIt) {
    std::vector<TClick> downs, ups;
    pin().OnMouseDown = [&](TObject*, TMouseButton button, TShiftState, int x, int y) {
        downs.push_back(TClick{button, x, y});
    };
    pin().OnMouseUp = [&](TObject*, TMouseButton button, TShiftState, int x, int y) {
        ups.push_back(TClick{button, x, y});
    };
    const POINT at = Screen(Middle(pin().Record().Rect));
    Mouse(WM_NCMOUSEMOVE, at, 1000);
    EXPECT_EQ(provider().HoverCode(), 1000);
    EXPECT_EQ(pin().Record().State, 1);
    HWND hint = pin().HintWindow();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(::IsWindowVisible(hint));
    char text[64] = {};
    ::GetWindowTextA(hint, text, sizeof text);
    EXPECT_STREQ(text, "Keep this window on top");
    RECT hintRect{};
    ::GetWindowRect(hint, &hintRect);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const RECT area = WorkAreaOf(form->Handle());
    EXPECT_EQ(hintRect.left, std::min<LONG>(cursor.x + 8, area.right - (hintRect.right - hintRect.left)));
    // The star has no hint: none opens for it, and the pin's goes.
    Mouse(WM_NCMOUSEMOVE, Screen(Middle(star().Record().Rect)), 1001);
    EXPECT_EQ(pin().HintWindow(), nullptr);
    EXPECT_FALSE(::IsWindow(hint));
    EXPECT_EQ(star().HintWindow(), nullptr);
    EXPECT_EQ(pin().Record().State, 0);

    Mouse(WM_NCLBUTTONDOWN, at, 1000);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].Button, TMouseButton::mbLeft);
    EXPECT_EQ(downs[0].X, at.x);
    EXPECT_EQ(downs[0].Y, at.y);
    EXPECT_EQ(pin().Record().State, 2);
    EXPECT_TRUE(ups.empty());
    Mouse(WM_NCLBUTTONUP, at, 1000);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].X, at.x);
    EXPECT_EQ(pin().Record().State, 0);
    EXPECT_EQ(provider().HoverCode(), 0);

    // Released elsewhere: pressed and let go, but no click.
    Mouse(WM_NCLBUTTONDOWN, at, 1000);
    const POINT away = Screen(POINT{provider().CaptionTextRect().left + 2, provider().CaptionCenterLine()});
    Mouse(WM_NCLBUTTONUP, away, HTCAPTION);
    EXPECT_EQ(downs.size(), 2u);
    EXPECT_EQ(ups.size(), 1u);
    EXPECT_EQ(pin().Record().State, 0);
    if (::GetCapture() == form->Handle())
        ::ReleaseCapture();
}

TEST_P(ProviderHarness, ADeletedButtonEndsItsHoverAndTheOthersMoveUp) {
    const POINT at = Screen(Middle(pin().Record().Rect));
    Mouse(WM_NCMOUSEMOVE, at, 1000);
    ASSERT_NE(pin().HintWindow(), nullptr);
    HWND hint = pin().HintWindow();
    const RECT pinRect = pin().Record().Rect;
    provider().TitleButtons().Delete(0);
    EXPECT_FALSE(::IsWindow(hint));
    EXPECT_EQ(provider().HoverCode(), 0);
    ASSERT_EQ(provider().TitleButtons().Count(), 1);
    EXPECT_EQ(provider().TitleButtons().Items(0).HitCode(), 1000);
    EXPECT_EQ(provider().TitleButtons().Items(0).Record().Rect.right, pinRect.right);
}

// ---- caption --------------------------------------------------------------------------------

TEST_P(ProviderHarness, TitleIconGlyphReplacesTheFormIconWithItsKeyLeftOut) {
    ASSERT_GT(provider().IconRect().right, provider().IconRect().left) << "a sizeable form shows its icon";
    const int caption = provider().CaptionHeight(true);
    EXPECT_EQ(provider().IconRect().right - provider().IconRect().left, TitleIconSize(caption));
    provider().TitleIcon().Visible = false;
    provider().TitleIconChanged();
    const RECT empty = provider().IconRect();
    EXPECT_EQ(empty.right, empty.left);
    const TacPixmap behind = AreaOf(cache(), RECT{empty.left, provider().CaptionCenterLine() - 6, empty.left + 12,
                                                  provider().CaptionCenterLine() + 6});

    provider().TitleIcon().Visible = true;
    provider().TitleIcon().Width = 12;
    provider().TitleIcon().Height = 12;
    provider().TitleIcon().Glyph->Assign(*KeyedGlyph(static_cast<TColor>(0x00C00000), static_cast<TColor>(0x00FF00FF)));
    provider().TitleIconChanged();
    const RECT icon = provider().IconRect();
    ASSERT_EQ(icon.right - icon.left, 12);
    ASSERT_EQ(icon.bottom - icon.top, 12);
    ASSERT_EQ(icon.top, provider().CaptionCenterLine() - 6);
    const TacPixmap shown = AreaOf(cache(), icon);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool key = x == 0 || y == 11 || (x > 8 && y < 3);
            ASSERT_EQ(shown.At(x, y), key ? behind.At(x, y) : 0xFF0000C0u) << x << "," << y;
        }
}

TEST_P(ProviderHarness, AddedTitleWithoutTheMainCaptionDrawsOnlyTheAddedText) {
    provider().SetAddedTitleText("");
    form->SetCaption("");
    Pump(20);
    ASSERT_TRUE(provider().PaintFrame());
    const RECT title{0, 0, cache().Width(), provider().ClientOffsetY()};
    const TacPixmap bare = AreaOf(cache(), title);
    form->SetCaption("Provider harness");
    Pump(20);
    ASSERT_TRUE(provider().PaintFrame());
    EXPECT_FALSE(SamePixels(AreaOf(cache(), title), bare));
    provider().SetAddedTitleShowMainCaption(false);
    EXPECT_TRUE(SamePixels(AreaOf(cache(), title), bare)) << "the caption is left out";
    const int captionLeft = provider().CaptionTextRect().left;
    provider().SetAddedTitleText("- added");
    EXPECT_FALSE(SamePixels(AreaOf(cache(), title), bare)) << "the added text shows";
    EXPECT_EQ(provider().CaptionTextRect().left, captionLeft) << "where the caption would start";
}

TEST_P(ProviderHarness, AlignmentChangesAtRunTimeAndRightToLeftSwapsIt) {
    provider().SetAddedTitleText("");
    const RECT left = provider().CaptionTextRect();
    provider().SetCaptionAlignment(TAlignment::taRightJustify);
    EXPECT_FALSE(provider().SkinData().CacheStale);
    const RECT right = provider().CaptionTextRect();
    EXPECT_GT(right.left, left.left);
    EXPECT_EQ(right.right, left.right);

    const LONG exStyle = ::GetWindowLongA(form->Handle(), GWL_EXSTYLE);
    ::SetWindowLongA(form->Handle(), GWL_EXSTYLE, exStyle | WS_EX_RTLREADING);
    provider().SetCaptionAlignment(TAlignment::taLeftJustify);
    EXPECT_EQ(provider().CaptionTextRect().left, right.left) << "left reads as right";
    provider().SetCaptionAlignment(TAlignment::taRightJustify);
    EXPECT_EQ(provider().CaptionTextRect().left, left.left);
    ::SetWindowLongA(form->Handle(), GWL_EXSTYLE, exStyle);
}

// A title section with a text glow lays the glow colour around the caption's ink.
TEST_P(ProviderHarness, TitleSectionGlowTintsAroundTheCaption) {
    TsSkinModel& skin = form->Manager->Core().Model();
    const std::int32_t title = skin.SectionIndexOf("FORMTITLE");
    ASSERT_TRUE(skin.HasSection(title));
    TsGeneralData& section = skin.GeneralData[static_cast<std::size_t>(title)];
    const RECT text = provider().CaptionTextRect();
    const RECT around{std::max<LONG>(0, text.left - 2), std::max<LONG>(0, text.top - 4), text.right,
                      std::max<LONG>(0, text.top)};
    const TacPixmap plain = AreaOf(cache(), around);
    for (TsGenState& state : section.StateProps) {
        state.GSize = 4;
        state.GCol = 0x000000FF; // red
    }
    provider().SetCaptionAlignment(TAlignment::taCenter);
    provider().SetCaptionAlignment(TAlignment::taLeftJustify);
    const TacPixmap glowing = AreaOf(cache(), around);
    int redder = 0;
    for (int y = 0; y < plain.Height(); ++y)
        for (int x = 0; x < plain.Width(); ++x) {
            const int before = static_cast<int>((plain.At(x, y) >> 16) & 0xFF) - static_cast<int>(plain.At(x, y) & 0xFF);
            const int after =
                static_cast<int>((glowing.At(x, y) >> 16) & 0xFF) - static_cast<int>(glowing.At(x, y) & 0xFF);
            redder += after > before ? 1 : 0;
        }
    EXPECT_GT(redder, plain.Width() / 2) << "the glow reaches above the text";
    for (TsGenState& state : section.StateProps)
        state.GSize = 0;
}

// ---- size grip --------------------------------------------------------------------------------

TEST_P(ProviderHarness, SizeGripSitsInTheClientCornerAsTheCoreDrawsItAndSizesAForm) {
    const TsSkinModel& m = model();
    ASSERT_TRUE(m.HasImage(m.StdIndexes.GripImage));
    const TsMaskData& grip = m.Masks[static_cast<std::size_t>(m.StdIndexes.GripImage)];
    EXPECT_EQ(provider().GripRect().right, provider().GripRect().left) << "gmNone shows none";
    const int right = provider().ClientOffsetX() + form->ClientWidth();
    const int bottom = provider().ClientOffsetY() + form->ClientHeight();
    const RECT place{right - FrameWidth(grip), bottom - FrameHeight(grip), right, bottom};
    TacPixmap expected = AreaOf(cache(), place);
    DrawStateImage(expected.View(), 0, 0, 0, BitmapBackdrop(expected.View(), 0, 0), grip, simNormal);

    provider().SetGripMode(TsGripMode::gmRightBottom);
    const RECT r = provider().GripRect();
    ASSERT_TRUE(::EqualRect(&r, &place));
    EXPECT_TRUE(SamePixels(AreaOf(cache(), r), expected));
    // The window shows it too, also where the client is a plain face.
    ::RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = ::GetDC(form->Handle());
    const int cx = r.left - provider().ClientOffsetX(), cy = r.top - provider().ClientOffsetY();
    int same = 0;
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x) {
            const TPixel32 want = expected.At(x, y);
            const COLORREF got = ::GetPixel(dc, cx + x, cy + y);
            const COLORREF wantRgb = RGB((want >> 16) & 0xFF, (want >> 8) & 0xFF, want & 0xFF);
            same += got == wantRgb ? 1 : 0;
        }
    ::ReleaseDC(form->Handle(), dc);
    EXPECT_EQ(same, expected.Width() * expected.Height());
    const POINT corner = Screen(POINT{r.right - 2, r.bottom - 2});
    EXPECT_EQ(::SendMessageA(form->Handle(), WM_NCHITTEST, 0, At(corner)), HTBOTTOMRIGHT);
    const POINT inside = Screen(POINT{r.left - 20, r.top - 20});
    EXPECT_EQ(::SendMessageA(form->Handle(), WM_NCHITTEST, 0, At(inside)), HTCLIENT);
    // A form that cannot be sized has no grip.
    const LONG style = ::GetWindowLongA(form->Handle(), GWL_STYLE);
    ::SetWindowLongA(form->Handle(), GWL_STYLE, style & ~WS_THICKFRAME);
    EXPECT_EQ(provider().GripRect().right, provider().GripRect().left);
    ::SetWindowLongA(form->Handle(), GWL_STYLE, style);
}

TEST_P(ProviderHarness, FormThatGrowsPaintsItsOldGripPlaceAgain) {
    provider().SetGripMode(TsGripMode::gmRightBottom);
    Pump(50);
    const RECT before = form->ClientRect();
    ::ValidateRect(form->Handle(), nullptr);
    RECT window{};
    ::GetWindowRect(form->Handle(), &window);
    ::SetWindowPos(form->Handle(), nullptr, 0, 0, window.right - window.left + 40, window.bottom - window.top + 30,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HRGN update = ::CreateRectRgn(0, 0, 0, 0);
    ::GetUpdateRgn(form->Handle(), update, FALSE);
    // Not exposed by the growth, yet it still shows the grip of the old size.
    EXPECT_TRUE(::PtInRegion(update, before.right - 2, before.bottom - 2));
    EXPECT_FALSE(::PtInRegion(update, before.right / 2, before.bottom / 2)) << "the rest of the client stays";
    ::DeleteObject(update);
}

INSTANTIATE_TEST_SUITE_P(Frames, ProviderHarness, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Extended" : "System";
                         });

// ---- the extended frame ---------------------------------------------------------------------

class ExtendedFrame : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TProviderHarnessForm>(Application, kZest, true);
        form->AddUserButtons();
        form->Show();
        Pump(100);
        border = form->Provider->BorderForm();
        ASSERT_NE(border, nullptr);
        ASSERT_NE(border->BorderWindow(), nullptr);
    }
    void TearDown() override {
        form.reset();
        Pump();
    }
    RECT BorderRect() {
        RECT r{};
        ::GetWindowRect(border->BorderWindow(), &r);
        return r;
    }
    // A point on the left edge of the visible frame, half way down, in screen coordinates.
    POINT LeftEdge() {
        const RECT r = BorderRect();
        const TsMargins m = form->Provider->Margins();
        return POINT{r.left + m[0] + 1, (r.top + r.bottom) / 2};
    }

    std::unique_ptr<TProviderHarnessForm> form;
    TacBorderForm* border = nullptr;
};

TEST_F(ExtendedFrame, HitTestEventIsAskedFirstWithTheScreenPointAndANonzeroAnswerWins) {
    const RECT pin = form->Provider->TitleButtons().Items(0).Record().Rect;
    const POINT p{(pin.left + pin.right) / 2, (pin.top + pin.bottom) / 2};
    std::vector<POINT> asked;
    LRESULT answer = 0;
    form->Provider->OnExtHitTest = [&](TMessage& message) {
        asked.push_back(POINT{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))});
        message.Result = answer;
    };
    EXPECT_EQ(border->BorderWindowHitTest(p), 1000) << "a zero answer leaves the frame's own";
    ASSERT_EQ(asked.size(), 1u);
    const RECT r = BorderRect();
    EXPECT_EQ(asked[0].x, r.left + p.x);
    EXPECT_EQ(asked[0].y, r.top + p.y);
    answer = HTCAPTION;
    EXPECT_EQ(border->BorderWindowHitTest(p), HTCAPTION);
}

TEST_F(ExtendedFrame, EdgesOfASizeableFormShowTheResizeCursors) {
    const POINT edge = LeftEdge();
    ASSERT_TRUE(::SetCursorPos(edge.x, edge.y));
    ::SendMessageA(border->BorderWindow(), WM_SETCURSOR, reinterpret_cast<WPARAM>(border->BorderWindow()),
                   MAKELPARAM(HTOBJECT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_SIZEWE));
    const RECT r = BorderRect();
    const TsMargins m = form->Provider->Margins();
    ASSERT_TRUE(::SetCursorPos((r.left + r.right) / 2, r.bottom - m[3] - 1));
    ::SendMessageA(border->BorderWindow(), WM_SETCURSOR, reinterpret_cast<WPARAM>(border->BorderWindow()),
                   MAKELPARAM(HTOBJECT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_SIZENS));
    ASSERT_TRUE(::SetCursorPos((r.left + r.right) / 2, r.top + m[1] + 10));
    ::SendMessageA(border->BorderWindow(), WM_SETCURSOR, reinterpret_cast<WPARAM>(border->BorderWindow()),
                   MAKELPARAM(HTOBJECT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_ARROW)) << "the caption";
}

TEST_F(ExtendedFrame, DoubleClickOnASideEdgeStretchesAcrossTheAreaAndASecondGivesThePlaceBack) {
    HWND window = form->Handle();
    RECT before{};
    ::GetWindowRect(window, &before);
    const RECT area = WorkAreaOf(window);
    const int d = form->Provider->FrameBorderWidth(true) - form->Provider->FrameBorderWidth(false);
    ::SendMessageA(border->BorderWindow(), WM_NCLBUTTONDBLCLK, HTOBJECT,
                   MAKELPARAM(static_cast<WORD>(LeftEdge().x), static_cast<WORD>(LeftEdge().y)));
    Pump(20);
    RECT stretched{};
    ::GetWindowRect(window, &stretched);
    EXPECT_EQ(stretched.left, area.left + d);
    EXPECT_EQ(stretched.right - stretched.left, area.right - area.left - 2 * d);
    EXPECT_EQ(stretched.top, before.top);
    EXPECT_EQ(stretched.bottom, before.bottom);
    EXPECT_TRUE(form->Provider->Stretched(true));
    ::SendMessageA(border->BorderWindow(), WM_NCLBUTTONDBLCLK, HTOBJECT,
                   MAKELPARAM(static_cast<WORD>(LeftEdge().x), static_cast<WORD>(LeftEdge().y)));
    Pump(20);
    RECT back{};
    ::GetWindowRect(window, &back);
    EXPECT_TRUE(::EqualRect(&back, &before));
    EXPECT_FALSE(form->Provider->Stretched(true));
}

// ---- outline move and resize -----------------------------------------------------------------

class OutlineDrag : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        BOOL full = FALSE;
        ::SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
        wasFull = full != FALSE;
        ::SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
        form = std::make_unique<TProviderHarnessForm>(Application, kZest, GetParam());
        form->Provider->ResizeMode = TsResizeMode::rmBorder;
        form->Show();
        Pump(100);
        ::GetWindowRect(form->Handle(), &start);
    }
    void TearDown() override {
        form.reset();
        Pump();
        ::SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, wasFull ? TRUE : FALSE, nullptr, 0);
    }
    // The frame press where the user makes it: on the border window when there is one.
    void Press(int code, POINT screen) {
        const LPARAM at = MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y));
        TacBorderForm* border = form->Provider->BorderForm();
        if (border != nullptr && border->BorderWindow() != nullptr)
            ::SendMessageA(border->BorderWindow(), WM_NCLBUTTONDOWN, HTOBJECT, at);
        else
            ::SendMessageA(form->Handle(), WM_NCLBUTTONDOWN, static_cast<WPARAM>(code), at);
    }
    void Client(UINT msg, POINT screen) {
        ::ScreenToClient(form->Handle(), &screen);
        ::SendMessageA(form->Handle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                       MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
    }
    RECT Now() {
        RECT r{};
        ::GetWindowRect(form->Handle(), &r);
        return r;
    }
    // A caption point away from the title buttons.
    POINT OnCaption() {
        const RECT text = form->Provider->CaptionTextRect();
        RECT origin{};
        HWND frame = form->Provider->BorderForm() != nullptr ? form->Provider->BorderForm()->BorderWindow()
                                                             : form->Handle();
        ::GetWindowRect(frame, &origin);
        return POINT{origin.left + text.left + 3, origin.top + form->Provider->CaptionCenterLine()};
    }

    std::unique_ptr<TProviderHarnessForm> form;
    RECT start{};
    bool wasFull = false;
};

TEST_P(OutlineDrag, CaptionDragMovesTheWindowOnlyAtTheRelease) {
    const POINT from = OnCaption();
    Press(HTCAPTION, from);
    ASSERT_TRUE(form->Provider->OutlineDragging());
    Client(WM_MOUSEMOVE, POINT{from.x + 30, from.y + 20});
    RECT now = Now();
    EXPECT_TRUE(::EqualRect(&now, &start)) << "only the outline follows the mouse";
    RECT target = form->Provider->OutlineTarget();
    EXPECT_EQ(target.left, start.left + 30);
    EXPECT_EQ(target.top, start.top + 20);
    Client(WM_LBUTTONUP, POINT{from.x + 40, from.y + 25});
    EXPECT_FALSE(form->Provider->OutlineDragging());
    now = Now();
    EXPECT_EQ(now.left, start.left + 40);
    EXPECT_EQ(now.top, start.top + 25);
    EXPECT_EQ(now.right - now.left, start.right - start.left);
    EXPECT_NE(::GetCapture(), form->Handle());
}

TEST_P(OutlineDrag, EscapeLeavesTheWindowWhereItWas) {
    const POINT from = OnCaption();
    Press(HTCAPTION, from);
    ASSERT_TRUE(form->Provider->OutlineDragging());
    Client(WM_MOUSEMOVE, POINT{from.x + 50, from.y + 50});
    ::SendMessageA(form->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(form->Provider->OutlineDragging());
    const RECT now = Now();
    EXPECT_TRUE(::EqualRect(&now, &start));
}

TEST_P(OutlineDrag, CornerDragResizesAtTheRelease) {
    // The bottom-right corner of the visible frame.
    POINT corner{start.right - 2, start.bottom - 2};
    if (TacBorderForm* border = form->Provider->BorderForm()) {
        RECT r{};
        ::GetWindowRect(border->BorderWindow(), &r);
        const TsMargins m = form->Provider->Margins();
        corner = POINT{r.right - m[2] - 2, r.bottom - m[3] - 2};
    }
    Press(HTBOTTOMRIGHT, corner);
    ASSERT_TRUE(form->Provider->OutlineDragging());
    Client(WM_LBUTTONUP, POINT{corner.x + 35, corner.y + 15});
    const RECT now = Now();
    EXPECT_EQ(now.left, start.left);
    EXPECT_EQ(now.top, start.top);
    EXPECT_EQ(now.right, start.right + 35);
    EXPECT_EQ(now.bottom, start.bottom + 15);
}

INSTANTIATE_TEST_SUITE_P(Frames, OutlineDrag, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Extended" : "System";
                         });

TEST(ProviderPlacement, OutlineResizeKeepsTheSmallestSizeOnTheDraggedSide) {
    const RECT from{100, 100, 400, 300};
    const RECT moved = OutlineRect(from, HTCAPTION, -20, 5, SIZE{50, 40});
    EXPECT_EQ(moved.left, 80);
    EXPECT_EQ(moved.bottom, 305);
    const RECT narrow = OutlineRect(from, HTTOPLEFT, 290, 250, SIZE{50, 40});
    EXPECT_EQ(narrow.left, 350);
    EXPECT_EQ(narrow.top, 260);
    EXPECT_EQ(narrow.right, 400);
    EXPECT_EQ(narrow.bottom, 300);
    const RECT wide = OutlineRect(from, HTRIGHT, -500, 70, SIZE{50, 40});
    EXPECT_EQ(wide.right, 150);
    EXPECT_EQ(wide.bottom, 300) << "a side resize leaves the other axis";
}

// ---- the control adapter --------------------------------------------------------------------

TEST(ProviderAdapter, SkinItemEventDecidesWhetherAndWithWhichSectionAControlIsSkinned) {
    auto form = std::make_unique<TProviderHarnessForm>(Application, kZest, false);
    form->Show();
    Pump(50);
    TacCtrlAdapter* adapter = form->Provider->Adapter();
    ASSERT_NE(adapter, nullptr);
    ASSERT_NE(adapter->ItemOf(form->Edit), nullptr) << "the manager's lists skin the edit";
    EXPECT_EQ(adapter->ItemOf(form->Edit)->SkinData().SkinSection(), "EDIT");

    std::vector<TComponent*> asked;
    bool allow = false;
    form->Provider->OnSkinItem = [&](TComponent* item, bool& canBeAdded, std::string& section) {
        asked.push_back(item);
        canBeAdded = allow;
        if (allow)
            section = "PANEL";
    };
    adapter->RemoveAllItems();
    adapter->AddAllItems(*form);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], form->Edit);
    EXPECT_EQ(adapter->ItemOf(form->Edit), nullptr);
    allow = true;
    adapter->AddAllItems(*form);
    ASSERT_NE(adapter->ItemOf(form->Edit), nullptr);
    EXPECT_EQ(adapter->ItemOf(form->Edit)->SkinData().SkinSection(), "PANEL");
}

TEST_F(ExtendedFrame, DoubleClickOnTheBottomEdgeStretchesDownTheAreaBelowTheSkinTitle) {
    HWND window = form->Handle();
    RECT before{};
    ::GetWindowRect(window, &before);
    const RECT area = WorkAreaOf(window);
    TsSkinProvider& provider = *form->Provider;
    const int w = provider.FrameBorderWidth(false);
    const int above = provider.CaptionHeight(true) - provider.SystemCaptionHeight() - w;
    const int below = provider.FrameBorderWidth(true) - w;
    const RECT r = BorderRect();
    const POINT edge{(r.left + r.right) / 2, r.bottom - provider.Margins()[3] - 1};
    ::SendMessageA(border->BorderWindow(), WM_NCLBUTTONDBLCLK, HTOBJECT,
                   MAKELPARAM(static_cast<WORD>(edge.x), static_cast<WORD>(edge.y)));
    Pump(20);
    RECT stretched{};
    ::GetWindowRect(window, &stretched);
    EXPECT_EQ(stretched.top, area.top + above);
    EXPECT_EQ(stretched.bottom - stretched.top, area.bottom - area.top - above - below);
    EXPECT_EQ(stretched.left, before.left);
    EXPECT_EQ(stretched.right, before.right);
    EXPECT_TRUE(provider.Stretched(false));
    EXPECT_FALSE(provider.Stretched(true));
}

// ---- stored forms -----------------------------------------------------------------------------

TEST(ProviderStored, TitleButtonsAreReadFromTheFormDescription) {
    std::string text = ProviderHarnessFormText(kZest, false);
    const std::string empty = "    TitleButtons = <>\n";
    const std::size_t at = text.find(empty);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, empty.size(),
                 "    TitleButtons = <\n      item\n        Name = 'Pin'\n        Hint = 'Pin it'\n"
                 "        Enabled = False\n      end\n      item\n        Name = 'Other'\n"
                 "        UseSkinData = False\n        Visible = False\n      end>\n"
                 "    AddedTitle.ShowMainCaption = False\n    GripMode = gmRightBottom\n    ResizeMode = rmBorder\n");
    auto form = std::make_unique<TProviderHarnessForm>(Application, text);
    TsSkinProvider* provider = form->Provider;
    ASSERT_NE(provider, nullptr);
    ASSERT_EQ(provider->TitleButtons().Count(), 2);
    EXPECT_EQ(provider->TitleButtons().Items(0).Name, "Pin");
    EXPECT_EQ(provider->TitleButtons().Items(0).Hint, "Pin it");
    EXPECT_FALSE(provider->TitleButtons().Items(0).Enabled());
    EXPECT_TRUE(provider->TitleButtons().Items(0).UseSkinData());
    EXPECT_FALSE(provider->TitleButtons().Items(1).UseSkinData());
    EXPECT_FALSE(provider->TitleButtons().Items(1).Visible());
    EXPECT_EQ(provider->TitleButtons().Items(1).HitCode(), 1001);
    EXPECT_FALSE(provider->AddedTitleShowMainCaption());
    EXPECT_EQ(provider->GripMode(), TsGripMode::gmRightBottom);
    EXPECT_EQ(provider->ResizeMode, TsResizeMode::rmBorder);
}

// ---- placement rules ---------------------------------------------------------------------------

TEST(ProviderPlacement, HintsStayInsideTheAreaAndStretchesLeaveTheFrameOutside) {
    const RECT area{0, 0, 800, 600};
    EXPECT_EQ(TitleHintPosition(POINT{100, 100}, SIZE{50, 20}, area).x, 108);
    EXPECT_EQ(TitleHintPosition(POINT{100, 100}, SIZE{50, 20}, area).y, 116);
    EXPECT_EQ(TitleHintPosition(POINT{780, 590}, SIZE{50, 20}, area).x, 750);
    EXPECT_EQ(TitleHintPosition(POINT{780, 590}, SIZE{50, 20}, area).y, 580);
    const TEdgeStretch place = StretchedPlace(0, 800, 2, 2);
    EXPECT_EQ(place.Start, 2);
    EXPECT_EQ(place.Extent, 796);
    EXPECT_EQ(TitleIconSize(8), 1);
    EXPECT_EQ(TitleIconSize(9), 8);
    EXPECT_EQ(TitleIconSize(16), 8);
    EXPECT_EQ(TitleIconSize(17), 16);
}

} // namespace
} // namespace sj::provider_harness

namespace sj::provider_harness {
namespace {

TEST(ProviderManager, NamedManagerThatGoesLeavesTheFormToThePrimaryOne) {
    auto form = std::make_unique<TProviderHarnessForm>(Application, kZest, true);
    form->Show();
    Pump(100);
    TsSkinProvider& provider = *form->Provider;
    ASSERT_EQ(provider.SkinManager(), form->Manager);
    auto* other = new TsSkinManager(nullptr);
    provider.SkinData().SetSkinManager(other);
    EXPECT_EQ(provider.SkinManager(), other);
    delete other;
    EXPECT_EQ(provider.SkinManager(), form->Manager) << "no pointer to the manager that went is kept";
    Pump(100);
    EXPECT_TRUE(provider.PaintFrame()) << "the primary manager's skin paints the frame again";
    EXPECT_NE(provider.BorderForm(), nullptr);
    form.reset();
    Pump();
}

} // namespace
} // namespace sj::provider_harness

namespace sj::provider_harness {
namespace {

// A form whose window region another owner manages says so when asked; the provider
// then never sets one, while the frame is still skinned.
TEST(ProviderRegion, FormThatManagesItsOwnRegionKeepsIt) {
    for (const bool answers : {true, false}) {
        auto form = std::make_unique<TProviderHarnessForm>(Application, kZest, false);
        int probes = 0;
        TWindowProcHook hook = form->HookWindowProc([&](TMessage& message, const TWndNext& next) {
            if (message.Msg == 0xBC4D && message.WParam == 0x41A2) {
                ++probes;
                message.Result = answers ? 0x41A2 : 0;
                return;
            }
            next(message);
        });
        form->Show();
        Pump(100);
        ASSERT_TRUE(form->Provider->PaintFrame());
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        const int kind = ::GetWindowRgn(form->Handle(), region);
        ::DeleteObject(region);
        EXPECT_EQ(probes, 1) << "asked once";
        if (answers)
            EXPECT_EQ(kind, ERROR) << "no region of the provider's";
        else
            EXPECT_NE(kind, ERROR) << "the frame's clear corners are cut away";
        hook.Unhook();
        form.reset();
        Pump();
    }
}

} // namespace
} // namespace sj::provider_harness

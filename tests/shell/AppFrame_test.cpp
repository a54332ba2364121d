// The skinned frames of the program's windows: style, title buttons and their place,
// hit testing, the window region, the title face against the core's, presses, the
// window menu with the skin choice, snapping, and what is left behind. The layered
// windows (border window, button cross-fades, glows) are watched through the system
// table: every UpdateLayeredWindow is recorded with its blend and, when asked, a copy
// of the bitmap it was handed.
#include "shell/About.h"
#include "shell/MainUnit.h"
#include "shell/UtilFuncs.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/acGlow.h"
#include "forms/MessageRecorder.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/paint/LayeredWindowRecorder.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sSectionPaint.h"
#include "skin/paint/sSystemFunctions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AppWindowFixture.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace sj {
namespace {

using test::kZest;
using test::PumpUntil;
using test::ThreadWindows;

class AppFrameTest : public test::TAppWindowTest {
protected:
    AppFrameTest() : TAppWindowTest(true) {}

    // The screen point of (x, y) in a provider's frame cache: the border window's corner
    // with extended borders, else the window's.
    static POINT OnCache(TsSkinProvider& provider, int x, int y) {
        RECT r{};
        HWND shown =
            provider.BorderForm() != nullptr ? provider.BorderForm()->BorderWindow() : provider.Form().Handle();
        ::GetWindowRect(shown, &r);
        return POINT{r.left + x, r.top + y};
    }
    LRESULT HitTest(HWND window, POINT screen) {
        return ::SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    }
    static POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    // The form's client area in frame-cache coordinates.
    static RECT ClientOnCache(TsSkinProvider& provider) {
        const int x = provider.ClientOffsetX(), y = provider.ClientOffsetY();
        return RECT{x, y, x + provider.Form().ClientWidth(), y + provider.Form().ClientHeight()};
    }
    // Pixels of a picture handed to the border window that differ from the frame cache
    // outside the client area, or are not clear inside it.
    static int DifferencesFromHandedFrame(const TacPixmap& handed, TsSkinProvider& provider) {
        TBitmap& cache = *provider.FrameCache();
        const RECT client = ClientOnCache(provider);
        int differing = 0;
        for (int y = 0; y < cache.Height(); ++y)
            for (int x = 0; x < cache.Width(); ++x) {
                const bool inClient = x >= client.left && x < client.right && y >= client.top && y < client.bottom;
                differing += handed.At(x, y) != (inClient ? 0u : cache.Pixels().At(x, y)) ? 1 : 0;
            }
        return differing;
    }

};

// ---- layered windows as the system sees them ------------------------------------------

int LiveGlowCount() {
    int count = 0;
    for (const auto& glow : TacGlowEffects())
        count += glow && glow->Handle() != nullptr && ::IsWindow(glow->Handle()) ? 1 : 0;
    return count;
}

// The premultiplied form of a straight-alpha pixel, rounded to nearest.
TPixel32 Premultiplied(TPixel32 p) {
    const unsigned a = p >> 24;
    auto channel = [&](int shift) { return (((p >> shift) & 0xFFu) * a + 127) / 255; };
    return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
}

// The built-in shadow as a nine-slice over w x h at (x, y): corners of (size - 1) / 2
// unscaled; its middle row and column are one pixel wide, so sides repeat them.
TPixel32 ShadowRingAt(const TacPixmap& shadow, int w, int h, int x, int y) {
    const int border = (shadow.Width() - 1) / 2;
    auto source = [&](int at, int size, int imageSize) {
        return at < border ? at : at >= size - border ? imageSize - (size - at) : border;
    };
    return Premultiplied(shadow.At(source(x, w, shadow.Width()), source(y, h, shadow.Height())));
}

TEST_F(AppFrameTest, BothWindowsLoseTheSystemCaptionButtons) {
    EXPECT_FALSE(Provider().Inert());
    EXPECT_TRUE(Provider().HasSysButtons());
    EXPECT_EQ(::GetWindowLongA(Form().Handle(), GWL_STYLE) & WS_SYSMENU, 0);
    TFormAbout about(&Form());
    about.Show();
    Application->ProcessMessages();
    EXPECT_EQ(::GetWindowLongA(about.Handle(), GWL_STYLE) & WS_SYSMENU, 0);
    EXPECT_TRUE(about.sSkinProvider1->HasSysButtons());
    // The About box has a dialog border: the small close button only.
    EXPECT_TRUE(about.sSkinProvider1->Button(HTCLOSE).Placed());
    EXPECT_FALSE(about.sSkinProvider1->Button(HTMINBUTTON).Placed());
    const TsSkinModel& model = Manager().Model();
    const auto small = model.ImageIndexOf(model.SectionIndexOf("GLOBALINFO"), "GLOBALINFO", "SICONCLOSE");
    if (model.HasImage(small)) {
        EXPECT_EQ(about.sSkinProvider1->Button(HTCLOSE).ImageIndex, small);
    }
    about.Close();
    Application->ProcessMessages();
}

TEST_F(AppFrameTest, MainWindowShowsMinimiseLeftOfCloseAtTheSkinsPlaces) {
    ASSERT_EQ(Manager().SkinName(), kZest);
    TsSkinProvider& provider = Provider();
    ASSERT_NE(provider.FrameCache(), nullptr);
    const TsSkinData& globals = Manager().Model().SkinGlobals;
    const RECT close = provider.Button(HTCLOSE).Rect;
    const RECT minimize = provider.Button(HTMINBUTTON).Rect;
    EXPECT_FALSE(provider.Button(HTMAXBUTTON).Placed()) << "the main window has no maximise box";
    EXPECT_FALSE(provider.Button(HTHELP).Placed());
    const TsMargins margins = provider.Margins();
    EXPECT_EQ(close.right,
              provider.FrameCache()->Width() - globals.BIRight - margins[2] - provider.FrameBorderWidth(true));
    EXPECT_EQ(minimize.right, close.left - globals.BISpace);
    EXPECT_EQ(provider.ButtonBlockWidth(),
              globals.BIRight + (close.right - close.left) + (minimize.right - minimize.left) + globals.BISpace);
    // Centred on the caption's centre line.
    EXPECT_EQ(close.top, provider.CaptionCenterLine() - (close.bottom - close.top) / 2);
    // The caption text lies between the left frame and the button block.
    const RECT text = provider.CaptionTextRect();
    EXPECT_GE(text.left, margins[0] + provider.FrameBorderWidth(true));
    EXPECT_LE(text.right, provider.FrameCache()->Width() - margins[2] - provider.ButtonBlockWidth() - 12);
}

// A centred caption wider than the free space starts at its left edge and ends before
// the buttons (with an ellipsis); changing it repaints the frame from the cache.
TEST_F(AppFrameTest, LongCaptionStaysBetweenTheFrameAndTheButtons) {
    TsSkinProvider& provider = Provider();
    const RECT shortText = provider.CaptionTextRect();
    Form().SetCaption(std::string(300, 'W'));
    Application->ProcessMessages();
    ASSERT_TRUE(provider.PaintFrame());
    const RECT text = provider.CaptionTextRect();
    const TsMargins m = provider.Margins();
    const int freeLeft = m[0] + provider.FrameBorderWidth(true) + Manager().Model().SkinGlobals.BILeft + 4;
    EXPECT_GE(text.left, freeLeft);
    EXPECT_LE(text.left, freeLeft + 2) << "the caption starts at the left of the free space";
    EXPECT_EQ(text.right, provider.FrameCache()->Width() - provider.ButtonBlockWidth() - m[2] - 12);
    EXPECT_LT(text.left, shortText.left) << "a short caption is centred";
    EXPECT_FALSE(provider.SkinData().CacheStale);
}

// A skin's TITLEBAR image lies behind the title buttons: as wide as the button block
// plus twice the item's frame width, ending at the frame cache's right edge (the part
// in the shadow ring is the ring's).
TEST_F(AppFrameTest, TitleBarStripEndsAtTheCacheEdgeAndTakesTwoFrameWidthsMore) {
    TsSkinProvider& provider = Provider();
    TsSkinModel& model = Manager().Core().Model();
    constexpr TPixel32 StripColor = 0xFF2050A0;
    constexpr int FrameWidthOfItem = 12;
    TsMaskData bar;
    bar.Section = provider.SkinData().SkinSection();
    bar.Key = "TITLEBAR";
    bar.OwnBitmap = std::make_shared<TacPixmap>(FrameWidthOfItem, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < FrameWidthOfItem; ++x)
            bar.OwnBitmap->At(x, y) = StripColor;
    bar.SourceRect = TacRect{0, 0, FrameWidthOfItem, 20};
    bar.FrameCount = 1;
    bar.BorderLeft = bar.BorderTop = bar.BorderRight = bar.BorderBottom = 4;
    bar.PaintFlags = 4;
    bar.Owner = &model;
    model.Masks.push_back(bar);
    provider.SkinData().CacheStale = true;
    ASSERT_TRUE(provider.PaintFrame());
    TBitmap& cache = *provider.FrameCache();
    const int width = cache.Width();
    const int left = width - provider.ButtonBlockWidth() - 2 * FrameWidthOfItem;
    const int y = provider.CaptionCenterLine();
    auto at = [&](int x) { return cache.Pixels().At(x, y) & 0x00FFFFFF; };
    EXPECT_EQ(at(left), StripColor & 0x00FFFFFF);
    EXPECT_EQ(at(left + 1), StripColor & 0x00FFFFFF);
    EXPECT_NE(at(left - 1), StripColor & 0x00FFFFFF) << "the strip starts where its width says";
    const TsMargins m = provider.Margins();
    EXPECT_EQ(cache.Pixels().At(width - m[2] - 1, y) & 0x00FFFFFF, StripColor & 0x00FFFFFF)
        << "the strip runs to the visible frame's right edge";
    EXPECT_NE(cache.Pixels().At(width - 1, y) & 0x00FFFFFF, StripColor & 0x00FFFFFF) << "the ring covers the rest";
    model.Masks.pop_back();
    provider.SkinData().CacheStale = true;
    provider.PaintFrame();
}

TEST_F(AppFrameTest, BorderWindowAnswersTheFrameAndLetsTheShadowThrough) {
    TsSkinProvider& provider = Provider();
    ASSERT_NE(provider.BorderForm(), nullptr) << "the manager enables extended borders";
    TacBorderForm& border = *provider.BorderForm();
    HWND shown = border.BorderWindow();
    const RECT close = provider.Button(HTCLOSE).Rect;
    const RECT minimize = provider.Button(HTMINBUTTON).Rect;
    EXPECT_EQ(border.BorderWindowHitTest(Centre(close)), HTCLOSE);
    EXPECT_EQ(border.BorderWindowHitTest(Centre(minimize)), HTMINBUTTON);
    const int captionY = provider.CaptionCenterLine();
    const int width = provider.FrameCache()->Width(), height = provider.FrameCache()->Height();
    EXPECT_EQ(border.BorderWindowHitTest({width / 3, captionY}), HTCAPTION);
    const TsMargins margins = provider.Margins();
    EXPECT_EQ(border.BorderWindowHitTest({margins[0] + 1, height / 2}), -1) << "a fixed frame does not size";
    // The frame comes to the border window as non-client input; the shadow as client
    // input, which punches the hole for the click below.
    const POINT frame = OnCache(provider, width / 3, captionY);
    EXPECT_EQ(::SendMessageA(shown, WM_NCHITTEST, 0, MAKELPARAM(frame.x, frame.y)), HTOBJECT);
    const POINT shadow = OnCache(provider, 2, height / 2);
    EXPECT_TRUE(border.IsOverShadow({2, height / 2}));
    EXPECT_EQ(::SendMessageA(shown, WM_NCHITTEST, 0, MAKELPARAM(shadow.x, shadow.y)), HTCLIENT);
    ::SetCursorPos(shadow.x, shadow.y);
    ::SendMessageA(shown, WM_LBUTTONDOWN, 0, MAKELPARAM(2, height / 2));
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(::GetWindowRgn(shown, region), ERROR);
    EXPECT_FALSE(::PtInRegion(region, 2, height / 2)) << "one-pixel hole under the cursor";
    EXPECT_TRUE(::PtInRegion(region, 3, height / 2));
    // The next mouse message closes it again.
    ::SendMessageA(shown, WM_NCMOUSEMOVE, HTOBJECT, MAKELPARAM(frame.x, frame.y));
    ::GetWindowRgn(shown, region);
    EXPECT_TRUE(::PtInRegion(region, 2, height / 2));
    ::DeleteObject(region);
    ::SetCursorPos(0, 0);
    POINT client{10, 10};
    ::ClientToScreen(Form().Handle(), &client);
    EXPECT_EQ(::SendMessageA(Form().Handle(), WM_NCHITTEST, 0, MAKELPARAM(client.x, client.y)), HTCLIENT);
}

// The figures of the main window with Zest: client 644 x 467, a visible frame of
// 5-pixel sides and bottom and a 31-pixel caption, and the 9-pixel shadow around it.
TEST_F(AppFrameTest, BorderWindowLiesAroundTheFormWithTheShadowRing) {
    TsSkinProvider& provider = Provider();
    ASSERT_NE(provider.BorderForm(), nullptr);
    HWND shown = provider.BorderForm()->BorderWindow();
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(shown, GWL_EXSTYLE)) & 0x08080080u, 0x08080080u);
    EXPECT_EQ(::GetWindow(shown, GW_OWNER), Form().Handle());
    EXPECT_TRUE(::IsWindowVisible(shown));
    // Next to the form in z-order (the system keeps an owned window above its owner;
    // the border window's region leaves the form's client area free).
    EXPECT_TRUE(::GetWindow(Form().Handle(), GW_HWNDNEXT) == shown ||
                ::GetWindow(Form().Handle(), GW_HWNDPREV) == shown)
        << "next: " << ::GetWindow(Form().Handle(), GW_HWNDNEXT)
        << " previous: " << ::GetWindow(Form().Handle(), GW_HWNDPREV) << " border: " << shown;
    EXPECT_EQ(Form().ClientWidth(), 644);
    EXPECT_EQ(Form().ClientHeight(), 467);
    const TsMargins margins = provider.Margins();
    EXPECT_EQ(margins, (TsMargins{9, 9, 9, 9}));
    RECT r{};
    ::GetWindowRect(shown, &r);
    EXPECT_EQ(r.right - r.left, 644 + 2 * 5 + 18);
    EXPECT_EQ(r.bottom - r.top, 467 + 31 + 5 + 18);
    EXPECT_EQ(provider.FrameCache()->Height(), Form().ClientHeight() + 54);
    // The client area of the real window lies exactly in the hole of the border window.
    POINT client{0, 0};
    ::ClientToScreen(Form().Handle(), &client);
    EXPECT_EQ(client.x - r.left, provider.ClientOffsetX());
    EXPECT_EQ(client.y - r.top, provider.ClientOffsetY());
    // Clicks on the client area reach the form's controls, not the border window.
    POINT middle{Form().ClientWidth() / 2, Form().ClientHeight() - 20};
    ::ClientToScreen(Form().Handle(), &middle);
    EXPECT_EQ(::GetAncestor(::WindowFromPoint(middle), GA_ROOT), Form().Handle());
    EXPECT_EQ(provider.ClientOffsetX(), 9 + 5);
    EXPECT_EQ(provider.ClientOffsetY(), 9 + 31);
    // The real window keeps only its client area.
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(::GetWindowRgn(Form().Handle(), region), ERROR);
    RECT box{};
    ::GetRgnBox(region, &box);
    RECT window{};
    ::GetWindowRect(Form().Handle(), &window);
    EXPECT_EQ(box.left, client.x - window.left);
    EXPECT_EQ(box.top, client.y - window.top);
    EXPECT_EQ(box.right - box.left, 644);
    EXPECT_EQ(box.bottom - box.top, 467);
    ::DeleteObject(region);
    // Zest's minimise and close buttons.
    for (int code : {HTMINBUTTON, HTCLOSE}) {
        const RECT button = provider.Button(code).Rect;
        EXPECT_EQ(button.right - button.left, 23) << code;
        EXPECT_EQ(button.bottom - button.top, 19) << code;
    }
    // The About box: client 365 x 221 inside a 375 x 257 frame and a 393 x 275 border window.
    {
        TFormAbout about(&Form());
        about.Show();
        Application->ProcessMessages();
        ASSERT_NE(about.sSkinProvider1->BorderForm(), nullptr);
        RECT aboutBox{};
        ::GetWindowRect(about.sSkinProvider1->BorderForm()->BorderWindow(), &aboutBox);
        EXPECT_EQ(about.ClientWidth(), 365);
        EXPECT_EQ(about.ClientHeight(), 221);
        EXPECT_EQ(aboutBox.right - aboutBox.left, 393);
        EXPECT_EQ(aboutBox.bottom - aboutBox.top, 275);
        const TsMargins aboutMargins = about.sSkinProvider1->Margins();
        EXPECT_EQ(aboutBox.right - aboutBox.left - aboutMargins[0] - aboutMargins[2], 375);
        EXPECT_EQ(aboutBox.bottom - aboutBox.top - aboutMargins[1] - aboutMargins[3], 257);
        about.Close();
        Application->ProcessMessages();
    }
    // Hidden, the form has no border window; shown again, it has one.
    Form().Hide();
    Application->ProcessMessages();
    EXPECT_FALSE(::IsWindow(shown));
    Form().Show();
    Application->ProcessMessages();
    ASSERT_NE(provider.BorderForm(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(provider.BorderForm()->BorderWindow()));
}

// The cache handed to the layered window: premultiplied, opaque over the visible frame
// and the caption, the ring the built-in shadow's nine-slice (its corners unscaled).
TEST_F(AppFrameTest, FrameCacheIsOpaqueFrameInsideTheShadowRing) {
    TsSkinProvider& provider = Provider();
    TBitmap& cache = *provider.FrameCache();
    const TsMargins m = provider.Margins();
    const TsSkinModel& model = Manager().Model();
    ASSERT_FALSE(model.HasImage(model.StdIndexes.ExBorderImage)) << "Zest uses the built-in shadow";
    const TacPixmap& shadow = provider.FormActive() != 0 ? model.ExtBorderActive : model.ExtBorderInactive;
    ASSERT_EQ(shadow.Width(), 33);
    auto premultiplied = [](TPixel32 p) {
        const unsigned a = p >> 24;
        auto channel = [&](int shift) { return (((p >> shift) & 0xFF) * a + 127) / 255; };
        return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    };
    // Ring corners: the shadow's corner pixels, premultiplied.
    for (int y = 0; y < m[1]; ++y)
        for (int x = 0; x < m[0]; ++x)
            EXPECT_EQ(cache.Pixels().At(x, y), premultiplied(shadow.At(x, y))) << x << "," << y;
    for (int y = 0; y < m[3]; ++y)
        for (int x = 0; x < m[2]; ++x)
            EXPECT_EQ(cache.Pixels().At(cache.Width() - 1 - x, cache.Height() - 1 - y),
                      premultiplied(shadow.At(32 - x, 32 - y)));
    // Every premultiplied channel is at most the alpha.
    for (int y = 0; y < cache.Height(); ++y)
        for (int x = 0; x < cache.Width(); ++x) {
            const TPixel32 p = cache.Pixels().At(x, y);
            const unsigned a = p >> 24;
            ASSERT_TRUE(((p >> 16) & 0xFF) <= a && ((p >> 8) & 0xFF) <= a && (p & 0xFF) <= a) << x << "," << y;
        }
    // The visible frame beyond its corners, and the caption text, are opaque.
    for (int y = m[1] + 8; y < cache.Height() - m[3] - 8; ++y) {
        EXPECT_EQ(cache.Pixels().At(m[0] + 1, y) >> 24, 255u);
        EXPECT_EQ(cache.Pixels().At(cache.Width() - m[2] - 2, y) >> 24, 255u);
    }
    const RECT text = provider.CaptionTextRect();
    for (int y = text.top; y < text.bottom; ++y)
        for (int x = text.left; x < text.right; ++x)
            ASSERT_EQ(cache.Pixels().At(x, y) >> 24, 255u) << x << "," << y;
}

// The title strip of the frame cache away from text and buttons is the FORMTITLE face
// the core paints over the FORM face for the same geometry and state.
TEST_F(AppFrameTest, TitleStripIsTheCoresTitleFace) {
    TsSkinProvider& provider = Provider();
    TBitmap& cache = *provider.FrameCache();
    const TsSkinModel& model = Manager().Model();
    const std::int32_t form = model.SectionIndexOf("FORM");
    const std::int32_t title = model.SectionIndexOf("FORMTITLE");
    ASSERT_TRUE(model.HasSection(title));
    auto expected = CreateBitmap32(cache.Width(), cache.Height());
    const TsMargins m = provider.Margins();
    const TacRect whole{m[0], m[1], cache.Width() - m[2], cache.Height() - m[3]};
    const int state = std::min(provider.FormActive(), model.GeneralData[static_cast<size_t>(form)].States - 1);
    const TColor color = static_cast<TColor>(model.GeneralData[static_cast<size_t>(form)].PropsOfState(state).Color);
    FillPixels(expected->Pixels(), whole, ColorToPixelOrder(PaintColorToRGB(color)), 0xFF);
    PaintSectionFace(expected->Pixels(), whole, &model, form, "FORM", state, true,
                     ColorBackdrop(PaintColorToRGB(color)), 0, 0);
    const int titleState = std::min(provider.FormActive(), model.GeneralData[static_cast<size_t>(title)].States - 1);
    const int stripBottom = m[1] + provider.FrameTopBorder(true) + provider.CaptionHeight(true);
    PaintSectionFace(expected->Pixels(), TacRect{m[0], m[1], cache.Width() - m[2], stripBottom}, &model, title,
                     "FORMTITLE", titleState, true, BitmapBackdrop(expected->Pixels(), 0, 0), 0, 0);
    // Columns left of the caption text, rows of the strip.
    const int right = provider.CaptionTextRect().left - 6;
    int compared = 0;
    // Rows and columns clear of the rounded corners.
    for (int y = m[1] + 2; y < stripBottom; ++y)
        for (int x = m[0] + 12; x < right; ++x) {
            ASSERT_EQ(cache.Pixels().At(x, y) & 0xFFFFFF, expected->Pixels().At(x, y) & 0xFFFFFF) << x << "," << y;
            ++compared;
        }
    EXPECT_GT(compared, 100);
}

TEST_F(AppFrameTest, CloseButtonClosesOnlyWhenReleasedOverIt) {
    TFormAbout about(&Form());
    about.Show();
    Application->ProcessMessages();
    TsSkinProvider& provider = *about.sSkinProvider1;
    HWND window = about.Handle();
    const POINT close =
        OnCache(provider, Centre(provider.Button(HTCLOSE).Rect).x, Centre(provider.Button(HTCLOSE).Rect).y);
    ::SendMessageA(window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close.x, close.y));
    EXPECT_EQ(provider.Button(HTCLOSE).State, 2);
    EXPECT_EQ(::GetCapture(), window);
    // Released over the caption: nothing closes, the button is normal again.
    POINT away = OnCache(provider, provider.FrameCache()->Width() / 3, provider.CaptionCenterLine());
    ::ScreenToClient(window, &away);
    ::SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(away.x, away.y));
    Application->ProcessMessages();
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(provider.Button(HTCLOSE).State, 0);
    EXPECT_NE(::GetCapture(), window);
    // Pressed and released over it: the box closes.
    ::SendMessageA(window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close.x, close.y));
    POINT over = close;
    ::ScreenToClient(window, &over);
    ::SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(over.x, over.y));
    Application->ProcessMessages();
    EXPECT_FALSE(::IsWindowVisible(window));
}

TEST_F(AppFrameTest, HoverRepaintsOnlyTheButton) {
    TsSkinProvider& provider = Provider();
    HWND window = Form().Handle();
    const RECT rect = provider.Button(HTCLOSE).Rect;
    const POINT close = OnCache(provider, Centre(rect).x, Centre(rect).y);
    TBitmap& cache = *provider.FrameCache();
    auto copy = [&cache] {
        auto bitmap = CreateBitmap32(cache.Width(), cache.Height());
        CopyPixels(bitmap->Pixels(), 0, 0, cache.Pixels(), TacRect{0, 0, cache.Width(), cache.Height()});
        return bitmap;
    };
    auto normal = copy();
    ::SendMessageA(window, WM_NCMOUSEMOVE, HTCLOSE, MAKELPARAM(close.x, close.y));
    EXPECT_EQ(provider.Button(HTCLOSE).State, 1);
    EXPECT_EQ(provider.HoverCode(), HTCLOSE);
    auto hot = copy();
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < cache.Height(); ++y)
        for (int x = 0; x < cache.Width(); ++x) {
            const bool changed = hot->Pixels().At(x, y) != normal->Pixels().At(x, y);
            const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
            (inside ? changedInside : changedOutside) += changed ? 1 : 0;
        }
    EXPECT_GT(changedInside, 0) << "the hot frame looks like the normal one";
    EXPECT_EQ(changedOutside, 0);
    // Leaving restores the normal frame exactly.
    ::SendMessageA(window, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(close.x - 200, close.y));
    EXPECT_EQ(provider.Button(HTCLOSE).State, 0);
    auto back = copy();
    EXPECT_TRUE(
        std::equal(back->Pixels().Bits, back->Pixels().Bits + cache.Width() * cache.Height(), normal->Pixels().Bits));
}

TEST_F(AppFrameTest, WindowMenuOffersTheSkinsInThreeColumns) {
    TsSkinProvider& provider = Provider();
    TsSystemMenu* menu = provider.SystemMenu();
    ASSERT_NE(menu, nullptr);
    menu->UpdateItems(true);
    menu->MakeSkinItems();
    TMenuItem* skins = menu->SkinItem();
    ASSERT_NE(skins, nullptr);
    EXPECT_EQ(skins->Caption(), "Available skins");
    EXPECT_EQ(menu->Items().IndexOf(skins), 0);
    EXPECT_TRUE(menu->Items().Items(1)->IsLine());
    ASSERT_EQ(skins->Count(), 43);
    int checked = 0;
    for (int i = 0; i < skins->Count(); ++i) {
        TMenuItem* item = skins->Items(i);
        EXPECT_TRUE(item->RadioItem());
        EXPECT_EQ(item->Break() == TMenuBreak::mbBreak, i == 20 || i == 40) << i;
        if (item->Checked()) {
            ++checked;
            EXPECT_EQ(SkinNameFromMenuCaption(item->Caption()), kZest);
        }
    }
    EXPECT_EQ(checked, 1);
    // The standard items of a fixed window with a minimise box.
    TMenuItem* close = menu->FindComponentOf<TMenuItem>("acIC");
    TMenuItem* minimize = menu->FindComponentOf<TMenuItem>("acIN");
    TMenuItem* maximize = menu->FindComponentOf<TMenuItem>("acIX");
    TMenuItem* size = menu->FindComponentOf<TMenuItem>("acIS");
    TMenuItem* move = menu->FindComponentOf<TMenuItem>("acIM");
    ASSERT_TRUE(close && minimize && maximize && size && move);
    EXPECT_TRUE(close->Visible());
    EXPECT_TRUE(minimize->Visible());
    EXPECT_TRUE(minimize->Enabled());
    EXPECT_FALSE(maximize->Visible());
    EXPECT_FALSE(size->Visible() && size->Enabled()) << "a single border is not sized";
    EXPECT_TRUE(move->Enabled());
}

TEST_F(AppFrameTest, ChoosingASkinInTheMenuSwitchesBothWindows) {
    TFormAbout about(&Form());
    about.Show();
    Application->ProcessMessages();
    const TPixel32 before = Provider().FrameCache()->Pixels().At(Provider().FrameCache()->Width() / 3, 8);
    TsSystemMenu* menu = Provider().SystemMenu();
    menu->UpdateItems(true);
    menu->MakeSkinItems();
    TMenuItem* skins = menu->SkinItem();
    ASSERT_NE(skins, nullptr);
    TMenuItem* marina = nullptr;
    for (int i = 0; i < skins->Count(); ++i)
        if (SkinNameFromMenuCaption(skins->Items(i)->Caption()) == "Marina Deck (internal)")
            marina = skins->Items(i);
    ASSERT_NE(marina, nullptr);
    marina->Click();
    Application->ProcessMessages();
    EXPECT_EQ(Manager().SkinName(), "Marina Deck (internal)");
    EXPECT_NE(Provider().FrameCache()->Pixels().At(Provider().FrameCache()->Width() / 3, 8), before);
    EXPECT_FALSE(Provider().SkinData().CacheStale);
    ASSERT_NE(about.sSkinProvider1->FrameCache(), nullptr);
    EXPECT_FALSE(about.sSkinProvider1->SkinData().CacheStale) << "the About box repainted in the new skin";
    menu->MakeSkinItems();
    for (int i = 0; i < menu->SkinItem()->Count(); ++i) {
        TMenuItem* item = menu->SkinItem()->Items(i);
        EXPECT_EQ(item->Checked(), SkinNameFromMenuCaption(item->Caption()) == "Marina Deck (internal)");
    }
    about.Close();
    Application->ProcessMessages();
}

// The menu opens on Alt+Space and on a right click on the caption; it is read through
// its handle while it is open, then closed.
TEST_F(AppFrameTest, WindowMenuOpensOnAltSpaceAndRightClick) {
    HWND window = Form().Handle();
    static int openedItems = -1;
    static RECT openedAt{};
    auto closeSoon = [] {
        openedItems = -1;
        openedAt = RECT{};
        ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            HWND popup = ::FindWindowA("#32768", nullptr);
            if (popup != nullptr) {
                HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
                openedItems = menu != nullptr ? ::GetMenuItemCount(menu) : 0;
                ::GetWindowRect(popup, &openedAt);
            }
            ::EndMenu();
        });
    };
    closeSoon();
    ::SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    Application->ProcessMessages();
    // Below the icon's place on the visible title, which the border window shows.
    TsSkinProvider& provider = Provider();
    ASSERT_NE(provider.BorderForm(), nullptr);
    const POINT below = OnCache(provider, provider.IconRect().left,
                                provider.Margins()[1] + provider.FrameTopBorder(true) + provider.CaptionHeight(true));
    EXPECT_EQ(openedAt.left, below.x);
    EXPECT_EQ(openedAt.top, below.y);
    POINT clientTop{0, 0};
    ::ClientToScreen(window, &clientTop);
    EXPECT_EQ(openedAt.top, clientTop.y) << "the visible title ends where the client area starts";
    // What the menu shows: its visible items, "Available skins" first.
    TsSystemMenu* menu = Provider().SystemMenu();
    ASSERT_NE(menu, nullptr);
    int visible = 0;
    for (int i = 0; i < menu->Items().Count(); ++i)
        visible += menu->Items().Items(i)->Visible() ? 1 : 0;
    ASSERT_NE(menu->SkinItem(), nullptr);
    EXPECT_EQ(openedItems, visible);
    EXPECT_GE(openedItems, 6);
    closeSoon();
    const POINT caption = OnCache(Provider(), 100, Provider().CaptionCenterLine());
    ::SendMessageA(window, WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(caption.x, caption.y));
    Application->ProcessMessages();
    EXPECT_EQ(openedItems, visible);
}

// Every skin switch hands the border window the new frame, whatever asked for the frame
// to be painted first (the controls' backdrops ask before the frame is painted itself).
TEST_F(AppFrameTest, BorderWindowShowsTheNewSkinAfterEverySwitch) {
    TsSkinProvider& provider = Provider();
    ASSERT_NE(provider.BorderForm(), nullptr);
    for (const char* skin : {"Marina Deck (internal)", "Harbor Mist (internal)", "Zest (internal)"}) {
        SCOPED_TRACE(skin);
        TLayeredWindowRecorder recorder;
        Manager().SetSkinName(skin);
        Application->ProcessMessages();
        ASSERT_NE(provider.BorderForm(), nullptr);
        const TLayeredCall* last = recorder.LastOf(provider.BorderForm()->BorderWindow());
        ASSERT_NE(last, nullptr) << "the border window was not given the new frame";
        TBitmap& cache = *provider.FrameCache();
        ASSERT_EQ(last->Pixels.Width(), cache.Width());
        ASSERT_EQ(last->Pixels.Height(), cache.Height());
        EXPECT_EQ(DifferencesFromHandedFrame(last->Pixels, provider), 0);
    }
}

TEST_F(AppFrameTest, SkinSwitchesLeaveNoWindowBehind) {
    const size_t before = ThreadWindows().size();
    std::vector<std::string> skins;
    Manager().ListSkins(skins, 0);
    ASSERT_EQ(skins.size(), 43u);
    for (const std::string& skin : skins) {
        Manager().SetSkinName(skin);
        Application->ProcessMessages();
        ASSERT_TRUE(Provider().PaintFrame()) << skin;
    }
    Manager().SetSkinName(kZest);
    Application->ProcessMessages();
    EXPECT_EQ(ThreadWindows().size(), before);
}

TEST_F(AppFrameTest, RemovingTheSkinGivesTheSystemFrameBack) {
    HWND window = Form().Handle();
    Manager().SetActive(false);
    Application->ProcessMessages();
    EXPECT_NE(::GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU, 0);
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetWindowRgn(window, region), ERROR) << "no region is left";
    ::DeleteObject(region);
    Manager().SetActive(true);
    Application->ProcessMessages();
    EXPECT_EQ(::GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU, 0);
}

// The visible frame snaps to the work area's edge: with the border window it reaches
// m pixels left of the real window (the skin's wider border), the shadow may go beyond.
TEST_F(AppFrameTest, MovesSnapToTheWorkAreaWithinTheBuffer) {
    HWND window = Form().Handle();
    TsSkinProvider& provider = Provider();
    ASSERT_NE(provider.BorderForm(), nullptr);
    const int m =
        provider.FrameBorderWidth(true) - provider.FrameBorderWidth(false) + Manager().Model().SkinGlobals.AlignOffset;
    RECT area{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT r{};
    ::SetWindowPos(window, nullptr, area.left + m + 9, area.top + 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, area.left + m);
    ::SetWindowPos(window, nullptr, area.left + m + 10, area.top + 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, area.left + m + 10) << "at exactly the buffer nothing snaps";
}

// ---- what the border window is handed -------------------------------------------------------

// The FORMTITLE face over the FORM face, as the painting core draws them for a state.
std::unique_ptr<TBitmap> ExpectedTitleFace(const TsSkinModel& model, int width, int height, const TsMargins& m,
                                           int stripBottom, int formActive) {
    const std::int32_t form = model.SectionIndexOf("FORM");
    const std::int32_t title = model.SectionIndexOf("FORMTITLE");
    auto expected = CreateBitmap32(width, height);
    const TacRect whole{m[0], m[1], width - m[2], height - m[3]};
    const int state = std::min(formActive, model.GeneralData[static_cast<size_t>(form)].States - 1);
    const TColor color = static_cast<TColor>(model.GeneralData[static_cast<size_t>(form)].PropsOfState(state).Color);
    FillPixels(expected->Pixels(), whole, ColorToPixelOrder(PaintColorToRGB(color)), 0xFF);
    PaintSectionFace(expected->Pixels(), whole, &model, form, "FORM", state, true,
                     ColorBackdrop(PaintColorToRGB(color)), 0, 0);
    const int titleState = std::min(formActive, model.GeneralData[static_cast<size_t>(title)].States - 1);
    PaintSectionFace(expected->Pixels(), TacRect{m[0], m[1], width - m[2], stripBottom}, &model, title, "FORMTITLE",
                     titleState, true, BitmapBackdrop(expected->Pixels(), 0, 0), 0, 0);
    return expected;
}

TEST_F(AppFrameTest, BorderWindowIsHandedThePremultipliedFrameCache) {
    TsSkinProvider& provider = Provider();
    ASSERT_NE(provider.BorderForm(), nullptr);
    HWND border = provider.BorderForm()->BorderWindow();
    const TsSkinModel& model = Manager().Model();
    ASSERT_FALSE(model.HasImage(model.StdIndexes.ExBorderImage)) << "Zest uses the built-in shadow";
    const TsMargins m = provider.Margins();
    const int stripBottom = m[1] + provider.FrameTopBorder(true) + provider.CaptionHeight(true);

    for (const int active : {1, 0}) {
        SCOPED_TRACE(active != 0 ? "active" : "inactive");
        TLayeredWindowRecorder recorder(true);
        if (active != 0)
            provider.BorderForm()->UpdateBorderWindow(true);
        else
            ::SendMessageA(Form().Handle(), WM_NCACTIVATE, FALSE, 0);
        ASSERT_EQ(provider.FormActive(), active);
        const TLayeredCall* call = recorder.LastOf(border);
        ASSERT_NE(call, nullptr) << "the border window was handed its content";
        EXPECT_EQ(call->Blend.BlendOp, AC_SRC_OVER);
        EXPECT_EQ(call->Blend.SourceConstantAlpha, 255);
        EXPECT_EQ(call->Blend.AlphaFormat, AC_SRC_ALPHA);
        EXPECT_EQ(call->Flags, static_cast<DWORD>(ULW_ALPHA));
        TBitmap& cache = *provider.FrameCache();
        const int w = cache.Width(), h = cache.Height();
        ASSERT_EQ(call->Size.cx, w);
        ASSERT_EQ(call->Size.cy, h);
        ASSERT_EQ(call->Pixels.Width(), w);
        RECT shown{};
        ::GetWindowRect(border, &shown);
        EXPECT_EQ(call->Position.x, shown.left);
        EXPECT_EQ(call->Position.y, shown.top);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const TPixel32 p = call->Pixels.At(x, y);
                const unsigned a = PixelA(p);
                ASSERT_TRUE(PixelR(p) <= a && PixelG(p) <= a && PixelB(p) <= a) << "premultiplied at " << x << "," << y;
            }
        EXPECT_EQ(DifferencesFromHandedFrame(call->Pixels, provider), 0)
            << "the bitmap handed over is the frame cache, clear over the client area";
        // Clear exactly over the client area: the frame's pixels next to it stay opaque,
        // so window systems that cut holes by alpha show the form's controls and no more.
        const RECT client = ClientOnCache(provider);
        ASSERT_GT(client.right - client.left, 100);
        for (int y = client.top; y < client.bottom; ++y) {
            EXPECT_EQ(PixelA(call->Pixels.At(client.left - 1, y)), 255) << y;
            EXPECT_EQ(PixelA(call->Pixels.At(client.right, y)), 255) << y;
        }
        for (int x = client.left; x < client.right; ++x) {
            EXPECT_EQ(PixelA(call->Pixels.At(x, client.top - 1)), 255) << x;
            EXPECT_EQ(PixelA(call->Pixels.At(x, client.bottom)), 255) << x;
        }
        // The ring is the shadow of the activation state; the visible frame and the
        // caption text are opaque.
        const TacPixmap& shadow = active != 0 ? model.ExtBorderActive : model.ExtBorderInactive;
        ASSERT_EQ(shadow.Width(), 33);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (x >= m[0] && x < w - m[2] && y >= m[1] && y < h - m[3])
                    continue;
                ASSERT_EQ(call->Pixels.At(x, y), ShadowRingAt(shadow, w, h, x, y)) << x << "," << y;
            }
        for (int y = m[1] + 8; y < h - m[3] - 8; ++y) {
            EXPECT_EQ(PixelA(call->Pixels.At(m[0], y)), 255);
            EXPECT_EQ(PixelA(call->Pixels.At(w - m[2] - 1, y)), 255);
        }
        for (int x = m[0] + 8; x < w - m[2] - 8; ++x) {
            EXPECT_EQ(PixelA(call->Pixels.At(x, m[1])), 255);
            EXPECT_EQ(PixelA(call->Pixels.At(x, h - m[3] - 1)), 255);
        }
        const RECT text = provider.CaptionTextRect();
        for (int y = text.top; y < text.bottom; ++y)
            for (int x = text.left; x < text.right; ++x)
                ASSERT_EQ(PixelA(call->Pixels.At(x, y)), 255) << x << "," << y;
        // The title strip of this activation state, left of the caption text.
        auto expected = ExpectedTitleFace(model, w, h, m, stripBottom, active);
        int compared = 0;
        for (int y = m[1] + 2; y < stripBottom; ++y)
            for (int x = m[0] + 12; x < provider.CaptionTextRect().left - 6; ++x) {
                ASSERT_EQ(call->Pixels.At(x, y) & 0xFFFFFF, expected->Pixels().At(x, y) & 0xFFFFFF) << x << "," << y;
                ++compared;
            }
        EXPECT_GT(compared, 100);
    }
    ::SendMessageA(Form().Handle(), WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ(provider.FormActive(), 1);
}

// ---- faults of the provider ------------------------------------------------------------

// A form whose own handling of a caption change fails.
class TFailingCaptionForm : public TForm {
    SJ_CLASS(TFailingCaptionForm, TForm)
public:
    using TForm::TForm;
    bool Fail = false;

protected:
    void WndProc(TMessage& message) override {
        if (Fail && message.Msg == WM_SETTEXT)
            throw std::runtime_error("caption refused");
        TForm::WndProc(message);
    }
};

TEST_F(AppFrameTest, WindowShowsAgainWhenTheDefaultCaptionHandlingThrows) {
    TFailingCaptionForm form(nullptr);
    auto* provider = new TsSkinProvider(&form);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    Application->ProcessMessages();
    ASSERT_TRUE(provider->Skinned());
    form.Fail = true;
    ::SendMessageA(form.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Refused"));
    form.Fail = false;
    EXPECT_NE(::GetWindowLongA(form.Handle(), GWL_STYLE) & WS_VISIBLE, 0) << "the window is drawn again";
    form.Hide();
    Application->ProcessMessages();
}

// Without a border window the window region cuts the clear corners of the frame: a
// resize cuts them at the new width at once, and a frame repaint that changes nothing
// of the window's shape does not set the region again.
TEST_F(AppFrameTest, RegionFollowsAResizeAtOnceAndIsNotSetAgainForNothing) {
    TsSkinProvider& provider = Provider();
    provider.SetAllowExtBorders(false);
    provider.SetExtendedBorders(false);
    Application->ProcessMessages();
    ASSERT_EQ(provider.BorderForm(), nullptr);
    HWND window = Form().Handle();
    auto inRegion = [&](int x, int y) {
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        const bool has = ::GetWindowRgn(window, region) != ERROR;
        const bool inside = has && ::PtInRegion(region, x, y);
        ::DeleteObject(region);
        return inside;
    };
    RECT r{};
    ::GetWindowRect(window, &r);
    const int oldWidth = r.right - r.left;
    ASSERT_FALSE(inRegion(oldWidth - 1, 0)) << "the top right corner is cut";
    ::SetWindowPos(window, nullptr, 0, 0, oldWidth + 40, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(inRegion(oldWidth + 40 - 1, 0)) << "cut at the new width";
    EXPECT_TRUE(inRegion(oldWidth - 1, 0)) << "not at the old one";
    Application->ProcessMessages();

    TMessageRecorder recorder(Form());
    for (BOOL active : {FALSE, TRUE, FALSE, TRUE})
        ::SendMessageA(window, WM_NCACTIVATE, active, 0);
    Application->ProcessMessages();
    EXPECT_EQ(recorder.Count(WM_WINDOWPOSCHANGING), 0) << "the same region was set again";
    ::SetWindowPos(window, nullptr, 0, 0, oldWidth, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The caption makes the frame under its text opaque, not the shadow beyond the frame.
TEST_F(AppFrameTest, CaptionLeavesTheShadowBesideItClear) {
    TsSkinProvider& provider = Provider();
    ASSERT_NE(provider.BorderForm(), nullptr);
    provider.SkinData().CacheStale = true;
    ASSERT_TRUE(provider.PaintFrame());
    TBitmap& cache = *provider.FrameCache();
    const RECT text = provider.CaptionTextRect();
    ASSERT_LT(text.top, text.bottom);
    for (int y = text.top; y < text.bottom; ++y)
        EXPECT_LT(PixelA(cache.Pixels().At(cache.Width() - 1, y)), 255) << y;
}

// ---- title-button cross-fades -----------------------------------------------------------------

class TitleButtonFadeTest : public AppFrameTest {
protected:
    POINT ButtonOnScreen(int code) {
        const RECT r = Provider().Button(code).Rect;
        return OnCache(Provider(), Centre(r).x, Centre(r).y);
    }
    // The frame's mouse moves arrive at the border window, which shows the frame.
    HWND FrameWindow() {
        return Provider().BorderForm() != nullptr ? Provider().BorderForm()->BorderWindow() : Form().Handle();
    }
    // The border window translates the point itself; the form takes the system's code.
    void Hover(int code) {
        const POINT p = ButtonOnScreen(code);
        const WPARAM hit = Provider().BorderForm() != nullptr ? HTOBJECT : static_cast<WPARAM>(code);
        ::SendMessageA(FrameWindow(), WM_NCMOUSEMOVE, hit, MAKELPARAM(p.x, p.y));
        ASSERT_EQ(Provider().HoverCode(), code);
    }
    void Leave() {
        const POINT p = OnCache(Provider(), Provider().FrameCache()->Width() / 3, Provider().CaptionCenterLine());
        const WPARAM hit = Provider().BorderForm() != nullptr ? HTOBJECT : HTCAPTION;
        ::SendMessageA(FrameWindow(), WM_NCMOUSEMOVE, hit, MAKELPARAM(p.x, p.y));
    }
    bool Idle(int code) {
        const TacSBAnimation* animation = Provider().ButtonAnimation(code);
        return animation == nullptr || !animation->Active();
    }
    bool FadedIn(int code) {
        const TacSBAnimation* animation = Provider().ButtonAnimation(code);
        return animation != nullptr && animation->Steps() == -1;
    }
    // The cache pixels of a button as the cache shows them now.
    TacPixmap CacheOf(int code) {
        const RECT r = Provider().Button(code).Rect;
        TacPixmap pixels(r.right - r.left, r.bottom - r.top);
        CopyPixels(pixels.View(), 0, 0, Provider().FrameCache()->Pixels(), TacRect{r.left, r.top, r.right, r.bottom});
        return pixels;
    }
    void TearDown() override {
        ::SetCursorPos(0, 0);
        AppFrameTest::TearDown();
    }
    // The form went down to the task bar (itself, or with the application when it is the
    // application's main form).
    bool Minimised() { return Application->Minimized() || ::IsIconic(Form().Handle()); }
    void RestoreForm() {
        if (Application->Minimized())
            Application->Restore();
        else
            ::SendMessageA(Form().Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
        PumpUntil([&] { return ::IsWindowVisible(Form().Handle()) && !::IsIconic(Form().Handle()); }, 2000);
    }
};

std::vector<int> Rising(int steps) {
    std::vector<int> alphas;
    for (int step = 1; step < steps; ++step)
        alphas.push_back(255 / steps * step);
    alphas.push_back(255);
    return alphas;
}

TEST_F(TitleButtonFadeTest, HoverFadesTheHotFrameInOverTenTicksAndOutAgain) {
    TsSkinProvider& provider = Provider();
    ASSERT_TRUE(provider.AnimatesTitleButtons()) << "extended borders animate every hover";
    HWND border = provider.BorderForm()->BorderWindow();
    TLayeredWindowRecorder recorder(true);
    ::SetCursorPos(ButtonOnScreen(HTCLOSE).x, ButtonOnScreen(HTCLOSE).y);
    const DWORD start = ::GetTickCount();
    Hover(HTCLOSE);
    const TacSBAnimation* animation = provider.ButtonAnimation(HTCLOSE);
    ASSERT_NE(animation, nullptr);
    HWND popup = animation->Window();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(animation->Target(), 1);
    EXPECT_TRUE(animation->TimerRunning());
    EXPECT_EQ(recorder.AlphasOf(popup), std::vector<int>{25}) << "the first step shows at once";
    EXPECT_EQ(recorder.CountOf(border), 0) << "the frame below keeps the normal button while it fades";

    // The popup: a non-activating, click-through layered tool window over the button,
    // owned by the form and above it.
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(popup, GWL_EXSTYLE));
    const DWORD wanted = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT;
    EXPECT_EQ(exStyle & wanted, wanted);
    EXPECT_EQ(::GetWindow(popup, GW_OWNER), Form().Handle());
    EXPECT_TRUE(::IsWindowVisible(popup));
    EXPECT_EQ(::SendMessageA(popup, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    bool formBelow = false;
    for (HWND w = ::GetWindow(popup, GW_HWNDNEXT); w != nullptr && !formBelow; w = ::GetWindow(w, GW_HWNDNEXT))
        formBelow = w == Form().Handle();
    EXPECT_TRUE(formBelow) << "the popup lies above the form";
    const RECT screen = provider.ButtonScreenRect(provider.Button(HTCLOSE));
    const TLayeredCall& first = recorder.Calls.front();
    EXPECT_EQ(first.Position.x, screen.left);
    EXPECT_EQ(first.Position.y, screen.top);
    EXPECT_EQ(first.Size.cx, screen.right - screen.left);
    EXPECT_EQ(first.Size.cy, screen.bottom - screen.top);
    EXPECT_EQ(first.Blend.AlphaFormat, AC_SRC_ALPHA);
    // The frame is the hot button on the caption, as the cache shows it now.
    const TacPixmap hot = CacheOf(HTCLOSE);
    ASSERT_EQ(first.Pixels.Width(), hot.Width());
    for (int y = 0; y < hot.Height(); ++y)
        for (int x = 0; x < hot.Width(); ++x) {
            ASSERT_EQ(first.Pixels.At(x, y), hot.At(x, y) | 0xFF000000u) << x << "," << y;
        }

    ASSERT_TRUE(PumpUntil([&] { return FadedIn(HTCLOSE); }));
    EXPECT_GE(::GetTickCount() - start, 80u) << "nine ticks of 12 ms";
    EXPECT_EQ(recorder.AlphasOf(popup), Rising(10)) << "rising in steps of 255 div 10";
    EXPECT_FALSE(animation->TimerRunning());
    EXPECT_EQ(provider.Button(HTCLOSE).State, 1) << "the cursor stayed on the button";
    // Faded in, the frame below takes the hot button too.
    const TLayeredCall* below = recorder.LastOf(border);
    ASSERT_NE(below, nullptr);
    const RECT r = provider.Button(HTCLOSE).Rect;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            ASSERT_EQ(below->Pixels.At(x, y), hot.At(x - r.left, y - r.top));

    // Leaving: the normal button shows below at once and the hot frame fades out over it.
    const std::size_t before = recorder.Calls.size();
    ::SetCursorPos(0, 0);
    Leave();
    EXPECT_EQ(provider.Button(HTCLOSE).State, 0);
    EXPECT_EQ(animation->Target(), 0);
    ASSERT_GE(recorder.CountOf(border, before), 1);
    ASSERT_TRUE(PumpUntil([&] { return Idle(HTCLOSE); }));
    std::vector<int> falling = Rising(10);
    falling.pop_back();
    std::reverse(falling.begin(), falling.end());
    EXPECT_EQ(recorder.AlphasOf(popup, before), falling);
    EXPECT_FALSE(::IsWindow(popup)) << "the popup goes after fading out";
    EXPECT_EQ(animation->Window(), nullptr);
}

TEST_F(TitleButtonFadeTest, PressSwitchesAtOnceOnAFreshPopup) {
    TsSkinProvider& provider = Provider();
    TLayeredWindowRecorder recorder(false);
    ::SetCursorPos(ButtonOnScreen(HTCLOSE).x, ButtonOnScreen(HTCLOSE).y);
    Hover(HTCLOSE);
    HWND hoverPopup = provider.ButtonAnimation(HTCLOSE)->Window();
    ASSERT_NE(hoverPopup, nullptr);
    const POINT p = ButtonOnScreen(HTCLOSE);
    ::SendMessageA(Form().Handle(), WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(p.x, p.y));
    const TacSBAnimation* animation = provider.ButtonAnimation(HTCLOSE);
    EXPECT_EQ(provider.Button(HTCLOSE).State, 2);
    EXPECT_EQ(animation->Target(), 2);
    EXPECT_FALSE(::IsWindow(hoverPopup)) << "a press does not fade from the hover";
    HWND pressPopup = animation->Window();
    ASSERT_NE(pressPopup, nullptr);
    EXPECT_EQ(recorder.AlphasOf(pressPopup), std::vector<int>{255});
    EXPECT_FALSE(animation->TimerRunning());
    // The pressed look lies in the cache too.
    Application->ProcessMessages();
    EXPECT_EQ(recorder.AlphasOf(pressPopup), std::vector<int>{255});

    // Released beside the button: nothing closes, the popup fades and goes.
    POINT away = OnCache(provider, provider.FrameCache()->Width() / 3, provider.CaptionCenterLine());
    ::SetCursorPos(away.x, away.y);
    ::ScreenToClient(Form().Handle(), &away);
    ::SendMessageA(Form().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(away.x, away.y));
    EXPECT_EQ(provider.Button(HTCLOSE).State, 0);
    ASSERT_TRUE(PumpUntil([&] { return Idle(HTCLOSE); }));
    EXPECT_FALSE(::IsWindow(pressPopup));
    EXPECT_TRUE(::IsWindowVisible(Form().Handle()));
}

TEST_F(TitleButtonFadeTest, MovingTheFormEndsTheFadeWithTheFrameShowingTheState) {
    TsSkinProvider& provider = Provider();
    HWND border = provider.BorderForm()->BorderWindow();
    TLayeredWindowRecorder recorder(true);
    ::SetCursorPos(ButtonOnScreen(HTMINBUTTON).x, ButtonOnScreen(HTMINBUTTON).y);
    Hover(HTMINBUTTON);
    HWND popup = provider.ButtonAnimation(HTMINBUTTON)->Window();
    ASSERT_NE(popup, nullptr);
    const TacPixmap hot = CacheOf(HTMINBUTTON);
    RECT r{};
    ::GetWindowRect(Form().Handle(), &r);
    ::SetWindowPos(Form().Handle(), nullptr, r.left + 40, r.top + 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Idle(HTMINBUTTON));
    EXPECT_FALSE(::IsWindow(popup));
    EXPECT_EQ(provider.Button(HTMINBUTTON).State, 1);
    const TLayeredCall* below = recorder.LastOf(border);
    ASSERT_NE(below, nullptr);
    const RECT b = provider.Button(HTMINBUTTON).Rect;
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x)
            ASSERT_EQ(below->Pixels.At(x, y), hot.At(x - b.left, y - b.top)) << "the frame shows the hot button";
}

TEST_F(TitleButtonFadeTest, NoWindowIsLeftAfterHoversPressesAndSkinSwitches) {
    TsSkinProvider& provider = Provider();
    const size_t before = ThreadWindows().size();
    for (int round = 0; round < 4; ++round) {
        const int code = round % 2 == 0 ? HTCLOSE : HTMINBUTTON;
        ::SetCursorPos(ButtonOnScreen(code).x, ButtonOnScreen(code).y);
        Hover(code);
        PumpUntil([] { return false; }, 30); // leave halfway through the fade
        ::SetCursorPos(0, 0);
        Leave();
    }
    ASSERT_TRUE(PumpUntil([&] { return Idle(HTCLOSE) && Idle(HTMINBUTTON); }));
    EXPECT_EQ(ThreadWindows().size(), before);
    std::vector<std::string> skins;
    Manager().ListSkins(skins, 0);
    ASSERT_EQ(skins.size(), 43u);
    for (const std::string& skin : skins) {
        Hover(HTCLOSE); // still fading when the skin changes
        ASSERT_NE(provider.ButtonAnimation(HTCLOSE), nullptr);
        Manager().SetSkinName(skin);
        ASSERT_EQ(provider.ButtonAnimation(HTCLOSE), nullptr) << "a new skin frees the animations: " << skin;
        ASSERT_EQ(provider.Button(HTCLOSE).State, 0) << skin;
        Application->ProcessMessages();
    }
    Manager().SetSkinName(kZest);
    Application->ProcessMessages();
    EXPECT_EQ(ThreadWindows().size(), before);
}

TEST_F(TitleButtonFadeTest, WithoutExtendedBordersOnlyGlowingAnimates) {
    TsSkinProvider& provider = Provider();
    provider.SetAllowExtBorders(false);
    provider.SetExtendedBorders(false);
    Application->ProcessMessages();
    ASSERT_EQ(provider.BorderForm(), nullptr);
    ASSERT_FALSE(Manager().Effects.AllowGlowing());
    EXPECT_FALSE(provider.AnimatesTitleButtons());
    Hover(HTCLOSE);
    EXPECT_EQ(provider.Button(HTCLOSE).State, 1);
    EXPECT_EQ(provider.ButtonAnimation(HTCLOSE), nullptr) << "repainted at once";
    Leave();
    EXPECT_EQ(provider.Button(HTCLOSE).State, 0);

    Manager().Effects.StoredAllowGlowing = true;
    EXPECT_TRUE(provider.AnimatesTitleButtons());
    Hover(HTCLOSE);
    ASSERT_NE(provider.ButtonAnimation(HTCLOSE), nullptr);
    HWND popup = provider.ButtonAnimation(HTCLOSE)->Window();
    ASSERT_NE(popup, nullptr);
    RECT shown{};
    ::GetWindowRect(popup, &shown);
    const RECT button = provider.ButtonScreenRect(provider.Button(HTCLOSE));
    EXPECT_TRUE(::EqualRect(&shown, &button)) << "over the button on the form's own frame";
    Leave();
    ASSERT_TRUE(PumpUntil([&] { return Idle(HTCLOSE); }));
    EXPECT_FALSE(::IsWindow(popup));
    Manager().Effects.StoredAllowGlowing = false;
}

// A held title button follows the window menu's state machine: dragged off it turns
// normal and stays so on the way back, no other button turns hot meanwhile, and only a
// release over the button that was pressed runs a command.
TEST_F(TitleButtonFadeTest, PressedButtonDraggedOffTurnsNormalAndOnlyItsOwnReleaseCounts) {
    TsSkinProvider& provider = Provider();
    HWND window = Form().Handle();
    auto moveTo = [&](POINT screen) {
        ::ScreenToClient(window, &screen);
        ::SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(screen.x, screen.y));
    };
    auto releaseAt = [&](POINT screen) {
        ::ScreenToClient(window, &screen);
        ::SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(screen.x, screen.y));
        Application->ProcessMessages();
    };
    const POINT minimize = ButtonOnScreen(HTMINBUTTON), close = ButtonOnScreen(HTCLOSE);
    const POINT caption = OnCache(provider, provider.FrameCache()->Width() / 3, provider.CaptionCenterLine());

    ::SendMessageA(window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close.x, close.y));
    ASSERT_EQ(provider.Button(HTCLOSE).State, 2);
    moveTo(caption);
    EXPECT_EQ(provider.Button(HTCLOSE).State, 0) << "dragged off";
    moveTo(close);
    EXPECT_EQ(provider.Button(HTCLOSE).State, 0) << "back over it: not pressed again";
    moveTo(minimize);
    EXPECT_EQ(provider.Button(HTMINBUTTON).State, 0) << "nothing turns hot while a button is held";
    releaseAt(minimize);
    EXPECT_TRUE(::IsWindowVisible(window)) << "a release over another button runs nothing";
    EXPECT_FALSE(Minimised());
    EXPECT_EQ(provider.Button(HTMINBUTTON).State, 0);
    EXPECT_EQ(provider.Button(HTCLOSE).State, 0);

    // Dragged off and back, the release over the pressed button still counts.
    ::SendMessageA(window, WM_NCLBUTTONDOWN, HTMINBUTTON, MAKELPARAM(minimize.x, minimize.y));
    moveTo(caption);
    moveTo(minimize);
    EXPECT_EQ(provider.Button(HTMINBUTTON).State, 0);
    releaseAt(minimize);
    EXPECT_TRUE(Minimised());
    RestoreForm();
    EXPECT_TRUE(::IsWindowVisible(window));
}

// A title-button popup handed the release (it lies right under the pointer) passes it
// on: the press and release over the button run its command.
TEST_F(TitleButtonFadeTest, ReleaseHandedToTheButtonPopupRunsTheCommand) {
    TsSkinProvider& provider = Provider();
    HWND window = Form().Handle();
    const POINT minimize = ButtonOnScreen(HTMINBUTTON);
    ::SetCursorPos(minimize.x, minimize.y);
    Hover(HTMINBUTTON);
    ::SendMessageA(window, WM_NCLBUTTONDOWN, HTMINBUTTON, MAKELPARAM(minimize.x, minimize.y));
    HWND popup = provider.ButtonAnimation(HTMINBUTTON)->Window();
    ASSERT_NE(popup, nullptr);
    POINT at = minimize;
    ::ScreenToClient(popup, &at);
    ::SendMessageA(popup, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    Application->ProcessMessages();
    EXPECT_TRUE(Minimised());
    RestoreForm();
    EXPECT_TRUE(::IsWindowVisible(window));
}

// Restored and clicked at once with the pointer coming from the client area, as a user
// does it: every round's first click on the minimise button minimises.
TEST_F(TitleButtonFadeTest, MinimiseTakesTheFirstClickAfterARestore) {
    TsSkinProvider& provider = Provider();
    HWND window = Form().Handle();
    // As the program's main window: minimising takes the application down with it.
    struct TMainFormScope {
        TCustomForm* Saved;
        explicit TMainFormScope(TCustomForm& form) : Saved(Application->MainForm()) { Application->SetMainForm(&form); }
        ~TMainFormScope() { Application->SetMainForm(Saved); }
    } mainForm(Form());
    auto click = [] {
        INPUT input[2]{};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(1, &input[0], sizeof(INPUT));
        PumpUntil([] { return false; }, 40);
        ::SendInput(1, &input[1], sizeof(INPUT));
    };
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(::IsWindowVisible(window));
        ASSERT_TRUE(PumpUntil([&] { return provider.BorderForm() != nullptr && !provider.SkinData().CacheStale; }));
        RECT client{};
        ::GetClientRect(window, &client);
        POINT inside{client.right / 2, client.bottom / 2};
        ::ClientToScreen(window, &inside);
        ::SetCursorPos(inside.x, inside.y);
        PumpUntil([] { return false; }, 60);
        const POINT minimize = ButtonOnScreen(HTMINBUTTON);
        ::SetCursorPos(minimize.x, minimize.y);
        PumpUntil([&] { return provider.HoverCode() == HTMINBUTTON; }, 500);
        click();
        EXPECT_TRUE(PumpUntil([&] { return Minimised(); }, 2000)) << "the first click minimised";
        RestoreForm();
    }
    ::SetCursorPos(0, 0);
}

// ---- glows ------------------------------------------------------------------------------

class GlowFrameTest : public TitleButtonFadeTest {
protected:
    void SetUp() override {
        TitleButtonFadeTest::SetUp();
        ClearGlows();
        Manager().SetSkinName("Nocturne Velvet (internal)");
        Application->ProcessMessages();
    }
    void TearDown() override {
        Manager().Effects.StoredAllowGlowing = false;
        ClearGlows();
        TitleButtonFadeTest::TearDown();
    }
};

TEST_F(GlowFrameTest, HotCloseButtonGlowsOnlyWhenGlowingIsAllowed) {
    const TsSkinModel& model = Manager().Model();
    ASSERT_GT(model.SkinGlobals.BIconCloseGlow, 0);
    const std::int32_t image = model.ExactImageIndexOf("GLOBALINFO", "BICONCLOSEGLOW0");
    ASSERT_TRUE(model.HasImage(image));
    TsSkinProvider& provider = Provider();
    ASSERT_EQ(model.Masks[static_cast<size_t>(provider.Button(HTCLOSE).ImageIndex)].Key, "BICONCLOSE");

    // The program's setting: never a glow.
    ASSERT_FALSE(Manager().Effects.AllowGlowing());
    Hover(HTCLOSE);
    EXPECT_EQ(provider.Button(HTCLOSE).GlowId, -1);
    EXPECT_EQ(LiveGlowCount(), 0);
    Leave();

    Manager().Effects.StoredAllowGlowing = true;
    ASSERT_TRUE(Manager().Effects.AllowGlowing());
    ::SetCursorPos(ButtonOnScreen(HTCLOSE).x, ButtonOnScreen(HTCLOSE).y);
    Hover(HTCLOSE);
    const int id = provider.Button(HTCLOSE).GlowId;
    ASSERT_GE(id, 0);
    ASSERT_NE(GlowEffectOf(id), nullptr);
    HWND glow = GlowEffectOf(id)->Handle();
    EXPECT_TRUE(::IsWindowVisible(glow));
    EXPECT_EQ(LiveGlowCount(), 1);
    // Around the button: the glow image's borders reach out of it, less the margin.
    const TsMaskData& item = model.Masks[static_cast<size_t>(image)];
    const int margin = model.SkinGlobals.BIconCloseGlowMargin;
    const RECT button = provider.ButtonScreenRect(provider.Button(HTCLOSE));
    RECT shown{};
    ::GetWindowRect(glow, &shown);
    EXPECT_EQ(shown.left, button.left + margin - item.BorderLeft);
    EXPECT_EQ(shown.top, button.top + margin - item.BorderTop);
    EXPECT_EQ(shown.right, button.right - margin + item.BorderRight);
    EXPECT_EQ(shown.bottom, button.bottom - margin + item.BorderBottom);
    // A mouse move on the same button keeps the one glow.
    Hover(HTCLOSE);
    EXPECT_EQ(provider.Button(HTCLOSE).GlowId, id);

    ::SetCursorPos(0, 0);
    Leave();
    EXPECT_EQ(provider.Button(HTCLOSE).GlowId, -1);
    EXPECT_FALSE(::IsWindow(glow));
    EXPECT_EQ(LiveGlowCount(), 0);

    // A move of the form takes a shown glow away.
    ::SetCursorPos(ButtonOnScreen(HTCLOSE).x, ButtonOnScreen(HTCLOSE).y);
    Hover(HTCLOSE);
    ASSERT_EQ(LiveGlowCount(), 1);
    RECT r{};
    ::GetWindowRect(Form().Handle(), &r);
    ::SetWindowPos(Form().Handle(), nullptr, r.left + 20, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(LiveGlowCount(), 0);
    EXPECT_EQ(provider.Button(HTCLOSE).GlowId, -1);
}

// Another form's move clears every glow and the list gives its slots out again: the
// glow id a button kept must not take away a glow that now belongs to someone else.
TEST_F(GlowFrameTest, AButtonsStaleGlowIdLeavesOtherGlowsAlone) {
    Manager().Effects.StoredAllowGlowing = true;
    TsSkinProvider& provider = Provider();
    ::SetCursorPos(ButtonOnScreen(HTCLOSE).x, ButtonOnScreen(HTCLOSE).y);
    Hover(HTCLOSE);
    ASSERT_GE(provider.Button(HTCLOSE).GlowId, 0);
    TFormAbout about(&Form());
    about.Show();
    Application->ProcessMessages();
    RECT r{};
    ::GetWindowRect(about.Handle(), &r);
    ::SetWindowPos(about.Handle(), nullptr, r.left + 30, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(LiveGlowCount(), 0) << "the About box's move cleared every glow";
    const RECT button = provider.ButtonScreenRect(provider.Button(HTCLOSE));
    int other = ShowGlow(button, button, "GLOBALINFO", &Manager().Model(), about.Handle(), 255,
                         Manager().Model().SkinGlobals.BIconCloseGlowMargin, "BICONCLOSEGLOW");
    ASSERT_GE(other, 0);
    HWND otherWindow = GlowEffectOf(other)->Handle();
    ::SetCursorPos(0, 0);
    Leave();
    EXPECT_EQ(provider.Button(HTCLOSE).GlowId, -1);
    EXPECT_TRUE(::IsWindow(otherWindow)) << "the other glow stays";
    ASSERT_NE(GlowEffectOf(other), nullptr);
    HideGlow(other);
    about.Close();
    Application->ProcessMessages();
}

TEST_F(GlowFrameTest, HoveredSpinEditGlowsThroughTheControlHook) {
    Manager().Effects.StoredAllowGlowing = true;
    TsDecimalSpinEdit& edit = *Form().sDecimalSpinEditMB;
    ASSERT_TRUE(edit.HandleAllocated());
    edit.Perform(CM_MOUSEENTER, 0, 0);
    ASSERT_EQ(LiveGlowCount(), 1) << "the EDIT section of this skin glows";
    edit.Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(LiveGlowCount(), 0);
    Manager().Effects.StoredAllowGlowing = false;
    edit.Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(LiveGlowCount(), 0);
    edit.Perform(CM_MOUSELEAVE, 0, 0);
}

// ---- maximised geometry -----------------------------------------------------------------

// The update commands a container sends its form: in an update the frame waits (busy),
// the end of the parent's update draws it, and "paint immediately" draws it at once. A
// cache that is merely stale does not make the form busy: it is painted anew when asked.
TEST_F(AppFrameTest, UpdateCommandsHoldAndReleaseTheFrame) {
    TFormMain& form = Form();
    form.Show();
    Application->ProcessMessages();
    TsSkinProvider& provider = Provider();
    ASSERT_TRUE(provider.PaintFrame());
    EXPECT_EQ(SendSkinCommand(&form, scQueryBusy), 0);
    provider.SkinData().CacheStale = true;
    EXPECT_EQ(SendSkinCommand(&form, scQueryBusy), 0) << "stale is not busy";
    ASSERT_TRUE(provider.PaintFrame());

    SendSkinCommand(&form, scSetInUpdate, 1);
    EXPECT_EQ(SendSkinCommand(&form, scQueryBusy), 1);
    EXPECT_TRUE(provider.SkinData().CacheStale) << "the frame is drawn anew after the update";

    SendSkinCommand(&form, 6); // the parent's update ended
    EXPECT_FALSE(provider.SkinData().InUpdate);
    EXPECT_EQ(SendSkinCommand(&form, scQueryBusy), 0);
    EXPECT_FALSE(provider.SkinData().CacheStale) << "and drawn at once";

    provider.SkinData().CacheStale = true;
    SendSkinCommand(&form, scSetPaintImmediately, 1);
    EXPECT_TRUE(provider.SkinData().PaintImmediately);
    EXPECT_FALSE(provider.SkinData().CacheStale) << "painted at once";
    SendSkinCommand(&form, scSetPaintImmediately, 0);
    EXPECT_FALSE(provider.SkinData().PaintImmediately);
}

TEST_F(AppFrameTest, MaximisedPlacementCoversTheWorkAreaWithTheFrameOutside) {
    TsSkinProvider& provider = Provider();
    MINMAXINFO info{};
    ::SendMessageA(Form().Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    RECT area{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int w = provider.FrameBorderWidth(false), g = provider.TitleGrowth();
    EXPECT_EQ(info.ptMaxPosition.x, -w);
    EXPECT_EQ(info.ptMaxPosition.y, g - w);
    EXPECT_EQ(info.ptMaxSize.x, area.right - area.left + 2 * w);
    EXPECT_EQ(info.ptMaxSize.y, area.bottom - area.top + 2 * w - g);
    EXPECT_EQ(provider.CaptionHeight(false), provider.SystemCaptionHeight()) << "a normal form keeps its title";
}

// ---- geometry without windows ----------------------------------------------------------

TEST(TitleButtonRow, PlacesRightToLeftWithGapsOnlyForTheBigSet) {
    TTitleButtonGeometry g;
    g.CacheWidth = 300;
    g.FrameBorder = 5;
    g.BIRight = 1;
    g.BISpace = 2;
    g.CenterLine = 15;
    std::vector<RECT> rects;
    const int block = LayoutTitleButtonRow(g, {{true, 23, 19}, {false, 23, 19}, {true, 23, 19}}, rects);
    EXPECT_EQ(block, 49);
    EXPECT_EQ(rects[0].right, 294);
    EXPECT_EQ(rects[0].left, 271);
    EXPECT_EQ(rects[0].top, 15 - 9);
    EXPECT_EQ(rects[1].left, rects[1].right) << "invisible";
    EXPECT_EQ(rects[2].right, 269);
    g.BigSet = false;
    EXPECT_EQ(LayoutTitleButtonRow(g, {{true, 16, 14}, {true, 16, 14}}, rects), 1 + 16 + 16);
    EXPECT_EQ(rects[1].right, rects[0].left);
    g.AlignedTop = 4;
    LayoutTitleButtonRow(g, {{true, 16, 14}}, rects);
    EXPECT_EQ(rects[0].top, 4);
    EXPECT_EQ(LayoutTitleButtonRow(g, {{false, 16, 14}}, rects), 0);
}

TEST(ScreenSnap, SnapsStrictlyInsideTheBuffer) {
    const RECT area{0, 0, 1000, 700};
    const SIZE size{200, 100};
    EXPECT_EQ(SnapToArea({9, 300}, size, area, 10, 0, 0).x, 0);
    EXPECT_EQ(SnapToArea({10, 300}, size, area, 10, 0, 0).x, 10);
    EXPECT_EQ(SnapToArea({791, 300}, size, area, 10, 0, 0).x, 800);
    EXPECT_EQ(SnapToArea({300, 595}, size, area, 10, 0, 0).y, 600);
    EXPECT_EQ(SnapToArea({300, 5}, size, area, 10, 0, 7).y, 7) << "the top keeps the title's margin";
    EXPECT_EQ(SnapToArea({12, 300}, size, area, 10, 4, 0).x, 4);
}

TEST(ClearCorners, KeyRunsBecomeOnePixelRows) {
    TacPixmap image(6, 2);
    for (int x = 0; x < 6; ++x) {
        image.At(x, 0) = x < 3 ? 0x00FF00FFu : 0xFF000000u;
        image.At(x, 1) = x == 0 || x == 4 ? 0x00FF00FFu : 0xFF102030u;
    }
    std::vector<RECT> runs;
    CollectKeyRuns(image, 0, 6, 0, 2, 10, 20, runs);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].left, 10);
    EXPECT_EQ(runs[0].right, 13);
    EXPECT_EQ(runs[0].top, 20);
    EXPECT_EQ(runs[1].left, 10);
    EXPECT_EQ(runs[1].right, 11);
    EXPECT_EQ(runs[1].top, 21);
    EXPECT_EQ(runs[2].left, 14);
    runs.clear();
    CollectKeyRuns(image, 4, 10, 0, 5, 0, 0, runs); // beyond the image: clipped
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].left, 0);
}

TEST(MaximizedGeometry, FrameBeyondTheAreaAndTitleGrowthAtTheTop) {
    const TMaximizedPlacement plain = MaximizedPlacement(RECT{0, 0, 1280, 770}, 3, 0);
    EXPECT_EQ(plain.Position.x, -3);
    EXPECT_EQ(plain.Position.y, -3);
    EXPECT_EQ(plain.Size.cx, 1286);
    EXPECT_EQ(plain.Size.cy, 776);
    // A work area beside a left task bar: only its size counts.
    const TMaximizedPlacement grown = MaximizedPlacement(RECT{60, 0, 1280, 800}, 4, 9);
    EXPECT_EQ(grown.Position.x, -4);
    EXPECT_EQ(grown.Position.y, 5);
    EXPECT_EQ(grown.Size.cx, 1228);
    EXPECT_EQ(grown.Size.cy, 800 + 8 - 9);
}

TEST(FadeStepAlpha, RisesByTheStepShareAndStopsAtOpaque) {
    EXPECT_EQ(FadeStepAlpha(10, 1), 25);
    EXPECT_EQ(FadeStepAlpha(10, 9), 225);
    EXPECT_EQ(FadeStepAlpha(10, 10), 250) << "255 div 10 * 10";
    EXPECT_EQ(FadeStepAlpha(1, 1), 255);
    EXPECT_EQ(FadeStepAlpha(1, 2), 255) << "capped";
    EXPECT_EQ(FadeStepAlpha(3, 2), 170);
    EXPECT_EQ(FadeStepAlpha(0, 5), 255) << "no steps: no fade";
    EXPECT_EQ(FadeStepAlpha(10, -1), 0);
}

TEST(SkinMenuCaption, DropsAcceleratorMarksAndCutsAfterTheInternalSuffix) {
    EXPECT_EQ(SkinNameFromMenuCaption("Zest (internal)"), "Zest (internal)");
    EXPECT_EQ(SkinNameFromMenuCaption("R&&B (internal) extra"), "R&B (internal)");
    EXPECT_EQ(SkinNameFromMenuCaption("&Plain"), "Plain");
}

} // namespace
} // namespace sj

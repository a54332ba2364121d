// The skinned speed button and the auto-repeating arrow under Wine: faces of the
// normal, hot and down states against the core face painter, the arrow triangle, and
// the repeat timing of a held arrow.
#include "skin/controls/sSpeedButton.h"

#include <gtest/gtest.h>

#include <uxtheme.h>
#include <vssym32.h>

#include "forms/MessageRecorder.h"

#include <memory>
#include <string>

#include "forms/Forms.h"
#include "forms/StdCtrls.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {
namespace {

TsGeneralData Section(const std::string& name, std::int32_t normal, std::int32_t hot) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = 3;
    s.StateProps[0].Color = normal;
    s.StateProps[0].FontColor = 0x00000000;
    s.StateProps[1].Color = hot;
    s.StateProps[1].FontColor = 0x000000FF;
    return s;
}

void PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
}

class SpeedButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSpeedButtonClasses();
        manager = new TsSkinManager(nullptr);
        TsSkinModel& model = manager->Core().Model();
        model.GeneralData.push_back(Section("GLOBALINFO", 0x00FFFFFF, 0x00FFFFFF));
        model.GeneralData.push_back(Section("SPEEDBUTTON_SMALL", 0x00304050, 0x0090A0B0));
        manager->Core().SetActive(true);
        form = new TForm(nullptr);
        form->SetBounds(-3000, -3000, 200, 100);
        form->SetColor(0x00D0D0D0);
        form->HandleNeeded();
    }
    void TearDown() override {
        delete form;
        delete manager;
    }

    template <class T> T* NewArrow(int left, int top) {
        auto* button = new T(form);
        button->SetBounds(left, top, 18, 10);
        button->SetParent(form);
        button->SkinData().SetSkinSection("SPEEDBUTTON_SMALL");
        return button;
    }

    // The face the core paints for the section and state, at the button's place.
    std::unique_ptr<TBitmap> CoreFace(TsSpeedButton* button, int state) {
        auto face = std::make_unique<TBitmap>(button->Width(), button->Height());
        TBackdropRef backdrop;
        button->SkinData().GetBackdrop(backdrop);
        PaintControlFace(face->Pixels(), TacRect{0, 0, face->Width(), face->Height()}, button->SkinData().Model(),
                         button->SkinData().FaceParams(), state, true, backdrop, button->Left(), button->Top());
        return face;
    }

    static bool SameColours(TBitmap& a, TBitmap& b) {
        TacPixelsView pa = a.Pixels();
        TacPixelsView pb = b.Pixels();
        if (pa.Width != pb.Width || pa.Height != pb.Height)
            return false;
        for (int y = 0; y < pa.Height; ++y) {
            for (int x = 0; x < pa.Width; ++x) {
                if ((pa.Bits[y * pa.Stride + x] & 0x00FFFFFF) != (pb.Bits[y * pb.Stride + x] & 0x00FFFFFF))
                    return false;
            }
        }
        return true;
    }

    TsSkinManager* manager = nullptr;
    TForm* form = nullptr;
};

TEST_F(SpeedButtonTest, FacesOfNormalHotAndDownStatesAreTheSectionFaces) {
    auto* button = NewArrow<TsSpeedButton>(10, 10);
    ASSERT_TRUE(button->SkinData().IsSkinned());
    button->PaintFace();
    EXPECT_TRUE(SameColours(*button->SkinData().CacheBitmap, *CoreFace(button, 0)));

    button->Perform(CM_MOUSEENTER);
    EXPECT_EQ(button->ButtonState(), 1);
    EXPECT_EQ(manager->HotButton(), button);
    button->PaintFace();
    EXPECT_TRUE(SameColours(*button->SkinData().CacheBitmap, *CoreFace(button, 1)));

    button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(button->ButtonState(), 2);
    button->PaintFace();
    EXPECT_TRUE(SameColours(*button->SkinData().CacheBitmap, *CoreFace(button, 2)));
    button->Perform(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));

    button->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(button->ButtonState(), 0);
}

// A press the pointer leaves before the release shows the button up again, as a press
// released outside would.
TEST_F(SpeedButtonTest, PressedButtonLeftByThePointerTurnsBackUp) {
    auto* button = NewArrow<TsSpeedButton>(10, 10);
    button->Perform(CM_MOUSEENTER);
    button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ASSERT_EQ(button->ButtonState(), 2);
    button->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(button->ButtonState(), 0);
    button->PaintFace();
    EXPECT_TRUE(SameColours(*button->SkinData().CacheBitmap, *CoreFace(button, 0)));

    // A button held down by its group stays down.
    auto* grouped = NewArrow<TsSpeedButton>(40, 10);
    grouped->SetGroupIndex(1);
    grouped->SetAllowAllUp(true);
    grouped->SetDown(true);
    grouped->Perform(CM_MOUSEENTER);
    grouped->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(grouped->ButtonState(), 2);
}

// Windowless siblings above the button that overlap it are drawn over its face, so
// they stay visible when the face is copied on its own (a fade); siblings below it or
// beside it are not.
TEST_F(SpeedButtonTest, OverlappingSiblingAboveStaysOnTopOfTheFace) {
    auto* below = new TLabel(form);
    below->SetBounds(10, 10, 60, 20);
    below->SetParent(form);
    auto* button = NewArrow<TsSpeedButton>(10, 10);
    button->SetBounds(10, 10, 60, 20);
    auto* above = new TLabel(form);
    above->SetBounds(30, 12, 40, 16);
    above->SetParent(form);
    auto* beside = new TLabel(form);
    beside->SetBounds(100, 10, 40, 16);
    beside->SetParent(form);
    for (TLabel* label : {below, above, beside}) {
        label->SetTransparent(true);
        label->SetCaption("WWWW");
    }
    below->Font().SetColor(static_cast<TColor>(0x0000FF00)); // green
    above->Font().SetColor(static_cast<TColor>(0x000000FF)); // red
    beside->Font().SetColor(static_cast<TColor>(0x00FF0000));
    button->PaintFace();
    TacPixelsView face = button->SkinData().CacheBitmap->Pixels();
    int redInside = 0, redOutside = 0, green = 0;
    for (int y = 0; y < face.Height; ++y)
        for (int x = 0; x < face.Width; ++x) {
            const TPixel32 p = face.Bits[y * face.Stride + x];
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (r > 200 && g < 60 && b < 60)
                ++(x >= 20 && y >= 2 ? redInside : redOutside);
            if (g > 200 && r < 60 && b < 60)
                ++green;
        }
    EXPECT_GT(redInside, 10) << "the label above shows on the face";
    EXPECT_EQ(redOutside, 0) << "where the label lies, and nowhere else";
    EXPECT_EQ(green, 0) << "the label below is covered by the button";
}

// Without a skin (and without themes, as here) the button looks like the system's: a
// separator is a 2-pixel etched line down its middle, a disabled caption is embossed.
TEST_F(SpeedButtonTest, UnskinnedSeparatorAndDisabledCaptionLookLikeTheSystems) {
    manager->Core().SetActive(false);
    auto* separator = NewArrow<TsSpeedButton>(10, 10);
    separator->SetBounds(10, 10, 8, 20);
    separator->SetButtonStyle(TsToolButtonStyle::tbsSeparator);
    ASSERT_FALSE(separator->SkinData().IsSkinned(true));
    const auto rgb = [](TColor c) { return ColorToPixelOrder(static_cast<TColor>(ColorToRGB(c))) & 0x00FFFFFF; };
    // Themes off for this process (where the system honours that): the classic look.
    const DWORD themeProperties = ::GetThemeAppProperties();
    ::SetThemeAppProperties(0);
    if (!::IsThemeActive() || !::IsAppThemed()) {
        auto shown = CaptureControl(*separator);
        EXPECT_EQ(shown->Pixels().At(3, 10) & 0x00FFFFFF, rgb(clBtnShadow)) << "etched: shadow, then";
        EXPECT_EQ(shown->Pixels().At(4, 10) & 0x00FFFFFF, rgb(clBtnHighlight)) << "highlight";
        EXPECT_EQ(shown->Pixels().At(1, 10), shown->Pixels().At(6, 10)) << "plain on both sides of the line";
        EXPECT_NE(shown->Pixels().At(1, 10) & 0x00FFFFFF, rgb(clBtnShadow));
    }
    ::SetThemeAppProperties(themeProperties);
    // With themes on, the theme's separator part over the button's colour.
    if (::IsThemeActive() && ::IsAppThemed()) {
        HTHEME theme = ::OpenThemeData(form->Handle(), L"TOOLBAR");
        ASSERT_NE(theme, nullptr);
        auto reference = std::make_unique<TBitmap>(separator->Width(), separator->Height());
        RECT all{0, 0, separator->Width(), separator->Height()};
        reference->Canvas().Brush().SetColor(separator->Color());
        reference->Canvas().FillRect(all);
        ::DrawThemeBackground(theme, reference->Canvas().Handle(), TP_SEPARATOR, TS_NORMAL, &all, nullptr);
        ::CloseThemeData(theme);
        auto shown = CaptureControl(*separator);
        EXPECT_TRUE(SameColours(*shown, *reference));
        EXPECT_NE(shown->Pixels().At(2, 10), shown->Pixels().At(0, 10)) << "a line shows";

        // A plain button is the theme's push button in its normal state.
        auto* plain = NewArrow<TsSpeedButton>(120, 10);
        plain->SetBounds(120, 10, 40, 24);
        HTHEME buttons = ::OpenThemeData(form->Handle(), L"BUTTON");
        ASSERT_NE(buttons, nullptr);
        auto pushButton = std::make_unique<TBitmap>(plain->Width(), plain->Height());
        RECT area{0, 0, plain->Width(), plain->Height()};
        pushButton->Canvas().Brush().SetColor(plain->Color());
        pushButton->Canvas().FillRect(area);
        ::DrawThemeBackground(buttons, pushButton->Canvas().Handle(), BP_PUSHBUTTON, PBS_NORMAL, &area, nullptr);
        ::CloseThemeData(buttons);
        EXPECT_TRUE(SameColours(*CaptureControl(*plain), *pushButton));
    }

    auto* disabled = NewArrow<TsSpeedButton>(40, 10);
    disabled->SetBounds(40, 10, 60, 24);
    disabled->SetCaption("IIII");
    disabled->SetEnabled(false);
    auto face = CaptureControl(*disabled);
    int embossed = 0, grey = 0;
    for (int y = 4; y < 20; ++y)
        for (int x = 4; x < 56; ++x) {
            const TPixel32 p = face->Pixels().At(x, y) & 0x00FFFFFF;
            if (p == rgb(clBtnShadow) && (face->Pixels().At(x + 1, y + 1) & 0x00FFFFFF) == rgb(clBtnHighlight))
                ++embossed;
            if (p == rgb(clGrayText) && rgb(clGrayText) != rgb(clBtnShadow))
                ++grey;
        }
    EXPECT_GT(embossed, 4) << "strokes in shadow colour with their highlight one pixel down and right";
    EXPECT_EQ(grey, 0) << "not the flat grey of disabled text";
}

// While painting is blocked the face is not rebuilt; a face already made still shows.
TEST_F(SpeedButtonTest, BlockedPaintShowsAFreshFaceAndBuildsNoStaleOne) {
    auto* button = NewArrow<TsSpeedButton>(10, 10);
    button->PaintFace();
    button->SkinData().InUpdate = true;
    ASSERT_TRUE(button->SkinData().RepaintBlocked());
    auto shown = CaptureControl(*button);
    EXPECT_TRUE(SameColours(*shown, *CoreFace(button, 0))) << "the fresh face shows";
    button->SkinData().CacheStale = true;
    auto blank = CaptureControl(*button);
    EXPECT_EQ(blank->Pixels().At(5, 5) & 0x00FFFFFF, 0u) << "nothing is painted from a stale face";
    EXPECT_TRUE(button->SkinData().CacheStale) << "and none is built";
    button->SkinData().InUpdate = false;
}

TEST_F(SpeedButtonTest, ArrowTriangleIsDrawnInTheSectionFontColour) {
    auto* up = NewArrow<TsTimerSpeedButton>(10, 10);
    up->SetArrow(TsArrowKind::akUp);
    up->PaintFace();
    TacPixelsView p = up->SkinData().CacheBitmap->Pixels();
    // 18 x 10: apex (8, 3), base from (5, 6) to (11, 6); black font colour of state 0.
    EXPECT_EQ(p.Bits[5 * p.Stride + 8] & 0x00FFFFFF, 0u);
    EXPECT_EQ(p.Bits[6 * p.Stride + 6] & 0x00FFFFFF, 0u);
    // Outside the triangle the face colour stays.
    EXPECT_EQ(p.Bits[1 * p.Stride + 1] & 0x00FFFFFF, ColorToPixelOrder(0x00304050));
    EXPECT_EQ(p.Bits[3 * p.Stride + 5] & 0x00FFFFFF, ColorToPixelOrder(0x00304050));

    auto* down = NewArrow<TsTimerSpeedButton>(10, 30);
    down->SetArrow(TsArrowKind::akDown);
    down->Perform(CM_MOUSEENTER);
    down->PaintFace();
    TacPixelsView q = down->SkinData().CacheBitmap->Pixels();
    // Hot: red font colour; apex at (8, 6).
    EXPECT_EQ(q.Bits[4 * q.Stride + 8] & 0x00FFFFFF, 0x00FF0000u);
    EXPECT_EQ(q.Bits[8 * q.Stride + 8] & 0x00FFFFFF, ColorToPixelOrder(0x0090A0B0));
}

TEST_F(SpeedButtonTest, HeldArrowRepeatsAfterTheFirstDelayThenFasterAndStopsOnRelease) {
    auto* arrow = NewArrow<TsTimerSpeedButton>(20, 20);
    int clicks = 0;
    arrow->OnClick = [&clicks](TObject*) { ++clicks; };
    HWND parent = form->Handle();
    // Through the parent window, as the system delivers it: the parent takes the capture.
    SendMessageA(parent, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 25));
    ASSERT_NE(arrow->RepeatTimer(), nullptr);
    EXPECT_TRUE(arrow->RepeatTimer()->Enabled());
    EXPECT_EQ(arrow->RepeatTimer()->Interval(), RepeatFirstDelay);
    PumpMessages(250);
    EXPECT_EQ(clicks, 0);
    PumpMessages(650);
    EXPECT_EQ(arrow->RepeatTimer()->Interval(), RepeatInterval);
    EXPECT_GE(clicks, 2);
    const int held = clicks;
    SendMessageA(parent, WM_LBUTTONUP, 0, MAKELPARAM(25, 25));
    EXPECT_FALSE(arrow->RepeatTimer()->Enabled());
    EXPECT_EQ(clicks, held + 1); // the regular click of the release
    PumpMessages(250);
    EXPECT_EQ(clicks, held + 1);
}

TEST_F(SpeedButtonTest, RepeatWaitsWhenTheMouseIsNoLongerCaptured) {
    auto* arrow = NewArrow<TsTimerSpeedButton>(20, 20);
    int clicks = 0;
    arrow->OnClick = [&clicks](TObject*) { ++clicks; };
    SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 25));
    ReleaseCapture();
    PumpMessages(600);
    EXPECT_EQ(clicks, 0);
    arrow->SetAllowTimer(false);
    arrow->Perform(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

} // namespace
} // namespace sj

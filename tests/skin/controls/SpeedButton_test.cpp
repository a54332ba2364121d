// The skinned speed button and the auto-repeating arrow under Wine: faces of the
// normal, hot and down states against the core face painter, the arrow triangle, and
// the repeat timing of a held arrow.
#include "skin/controls/sSpeedButton.h"

#include <gtest/gtest.h>

#include "forms/MessageRecorder.h"

#include <memory>
#include <string>

#include "forms/Forms.h"
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

// State fades of the skinned push button and speed button on real windows under Wine:
// the frames between the old and the new face, a fade turned back half way, which
// events fade, and that no fade timer outlives its control. The steps are taken by
// hand (Tick), so nothing here waits for the timer.
#include "skin/controls/sButton.h"
#include "skin/controls/sSpeedButton.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "forms/Forms.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/frame/sFade.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"

namespace sj {
namespace {

TsGeneralData FadingSection(const std::string& name, std::int32_t normal, std::int32_t hot, int iterations) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = 3;
    s.StateProps[0].Color = normal;
    s.StateProps[1].Color = hot;
    s.StateProps[2].Color = 0x00202020;
    s.FadingEnabled = iterations > 0;
    s.FadingIterations = iterations;
    return s;
}

std::unique_ptr<TBitmap> CopyOf(TBitmap& source) {
    auto copy = std::make_unique<TBitmap>(source.Width(), source.Height());
    CopyPixels(copy->Pixels(), 0, 0, source.Pixels(), TacRect{0, 0, source.Width(), source.Height()});
    return copy;
}

// The frame of a level: the old look keeps 255 - level * 255 div iterations of itself.
std::unique_ptr<TBitmap> ExpectedFrame(TBitmap& oldLook, TBitmap& newLook, int level, int iterations) {
    auto frame = CopyOf(oldLook);
    BlendEqualBitmaps(frame->Pixels(), newLook.Pixels(), static_cast<std::uint8_t>(FadeOldWeight(level, iterations)));
    return frame;
}

int DifferingPixels(TBitmap& a, TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return -1;
    int count = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            count += (a.Pixels().At(x, y) & 0x00FFFFFF) != (b.Pixels().At(x, y) & 0x00FFFFFF) ? 1 : 0;
    return count;
}

class FadeTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSkinButtonClasses();
        Application->ResetTerminated(); // fades stop while the application ends
        manager = new TsSkinManager(nullptr);
        TsSkinModel& model = manager->Core().Model();
        model.GeneralData.push_back(FadingSection("GLOBALINFO", 0x00FFFFFF, 0x00FFFFFF, 0));
        model.GeneralData.push_back(FadingSection("BUTTON", 0x00C08040, 0x0040C0F0, 10));
        model.GeneralData.push_back(FadingSection("SPEEDBUTTON", 0x00304050, 0x0090A0B0, 6));
        model.GeneralData.push_back(FadingSection("STILL", 0x00304050, 0x0090A0B0, 0));
        manager->Core().SetActive(true);
        form = new TForm(nullptr);
        form->SetBounds(-3000, -3000, 300, 200);
        form->SetColor(0x00D0D0D0);
        form->HandleNeeded();
        timersBefore = FadeTimerCount();
    }
    void TearDown() override {
        delete form;
        delete manager;
    }

    TsButton* NewButton(const std::string& section = "BUTTON") {
        auto* button = new TsButton(form);
        button->SetBounds(20, 30, 110, 26);
        button->SetParent(form);
        button->SetCaption("Start");
        button->SkinData().SetSkinSection(section);
        button->HandleNeeded();
        // A first paint puts the normal face into the cache.
        TBitmap shot(button->Width(), button->Height());
        SendMessageA(button->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot.Canvas().Handle()), PRF_CLIENT);
        return button;
    }

    TsSkinManager* manager = nullptr;
    TForm* form = nullptr;
    int timersBefore = 0;
};

TEST_F(FadeTest, HoverFadesFromTheOldFaceToTheNewInTheSectionsIterations) {
    TsButton* button = NewButton();
    auto normal = CopyOf(*button->SkinData().CacheBitmap);
    button->Perform(CM_MOUSEENTER);
    TsFadeTimer* fade = button->StateFade();
    ASSERT_NE(fade, nullptr);
    ASSERT_TRUE(fade->Running());
    EXPECT_EQ(fade->Iterations, 10);
    EXPECT_EQ(fade->Interval(), 10u);
    EXPECT_EQ(fade->Direction, fdIn);
    EXPECT_EQ(DifferingPixels(fade->OldLook(), *normal), 0);
    // The cache already holds the hot face: another colour than the normal one.
    auto hot = CopyOf(*button->SkinData().CacheBitmap);
    ASSERT_GT(DifferingPixels(*hot, *normal), 0);

    fade->Tick();
    EXPECT_EQ(DifferingPixels(fade->Frame(), *ExpectedFrame(*normal, *hot, 1, 10)), 0);
    EXPECT_GT(DifferingPixels(fade->Frame(), *normal), 0);
    for (int level = 2; level <= 10; ++level)
        fade->Tick();
    EXPECT_EQ(fade->ShownLevel(), 10);
    EXPECT_EQ(DifferingPixels(fade->Frame(), *hot), 0) << "the last frame is the new face";
    EXPECT_TRUE(fade->Running());
    fade->Tick();
    EXPECT_FALSE(fade->Running()) << "the tick after the last level ends the fade";
}

TEST_F(FadeTest, AFadeTurnedBackGoesOnFromTheLevelItReached) {
    TsButton* button = NewButton();
    auto normal = CopyOf(*button->SkinData().CacheBitmap);
    button->Perform(CM_MOUSEENTER);
    TsFadeTimer* fade = button->StateFade();
    ASSERT_NE(fade, nullptr);
    auto hot = CopyOf(*button->SkinData().CacheBitmap);
    for (int i = 0; i < 3; ++i)
        fade->Tick();
    // Shown: 255 - 76 of the normal face. Back to normal, from the hot face at level 8.
    button->Perform(CM_MOUSELEAVE);
    ASSERT_TRUE(fade->Running());
    EXPECT_EQ(fade->Level, 8);
    EXPECT_EQ(fade->Direction, fdOut);
    EXPECT_EQ(DifferingPixels(fade->OldLook(), *hot), 0);
    EXPECT_EQ(DifferingPixels(*button->SkinData().CacheBitmap, *normal), 0);
    fade->Tick();
    EXPECT_EQ(DifferingPixels(fade->Frame(), *ExpectedFrame(*hot, *normal, 8, 10)), 0);
    fade->Tick();
    fade->Tick();
    EXPECT_EQ(DifferingPixels(fade->Frame(), *normal), 0) << "three steps back after three forward";
    fade->Tick();
    EXPECT_FALSE(fade->Running());
}

TEST_F(FadeTest, PressFadesInHalfTheStepsAndAQuickClickStopsIt) {
    TsButton* button = NewButton();
    button->Perform(CM_MOUSEENTER);
    for (int i = 0; i < 11; ++i)
        button->StateFade()->Tick();
    ASSERT_FALSE(button->StateFade()->Running());
    button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(button->StateFade()->Running());
    EXPECT_EQ(button->StateFade()->Iterations, 5);
    EXPECT_EQ(button->StateFade()->ToState, bstPressed);
    button->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    // The release fades back out of the pressed face, again in half the steps.
    TsFadeTimer* fade = button->StateFade();
    EXPECT_EQ(fade->Iterations, 5);
    EXPECT_EQ(fade->FromState, bstPressed);
    ReleaseCapture();
}

TEST_F(FadeTest, TheManagersButtonEventsDecideForGlobalDefaultOnly) {
    EXPECT_TRUE(ButtonEventAnimates(aeGlobalDef, aeMouseEnter, manager));
    manager->AnimEffects.ButtonEvents = beMouseLeave;
    EXPECT_FALSE(ButtonEventAnimates(aeGlobalDef, aeMouseEnter, manager));
    EXPECT_TRUE(ButtonEventAnimates(aeGlobalDef, aeMouseLeave, manager));
    EXPECT_TRUE(ButtonEventAnimates(aeMouseEnter, aeMouseEnter, manager)) << "the control's own set";
    EXPECT_FALSE(ButtonEventAnimates(aeMouseEnter, aeMouseLeave, manager));

    TsButton* button = NewButton();
    button->Perform(CM_MOUSEENTER);
    EXPECT_TRUE(button->StateFade() == nullptr || !button->StateFade()->Running()) << "enter repaints at once";
    TBitmap shot(button->Width(), button->Height());
    SendMessageA(button->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot.Canvas().Handle()), PRF_CLIENT);
    button->Perform(CM_MOUSELEAVE);
    ASSERT_NE(button->StateFade(), nullptr);
    EXPECT_TRUE(button->StateFade()->Running()) << "leave fades";
}

TEST_F(FadeTest, NoFadeWithoutFadingSectionStaleCacheOrDuringASkinChange) {
    TsButton* still = NewButton("STILL");
    still->Perform(CM_MOUSEENTER);
    EXPECT_EQ(still->StateFade(), nullptr);

    TsButton* stale = NewButton();
    stale->SkinData().CacheStale = true;
    stale->Perform(CM_MOUSEENTER);
    EXPECT_TRUE(stale->StateFade() == nullptr || !stale->StateFade()->Running());

    TsButton* changing = NewButton();
    SkinChangeInProgress = true;
    changing->Perform(CM_MOUSEENTER);
    SkinChangeInProgress = false;
    EXPECT_TRUE(changing->StateFade() == nullptr || !changing->StateFade()->Running());
}

TEST_F(FadeTest, DisablingOrASkinChangeStopsTheFade) {
    TsButton* button = NewButton();
    button->Perform(CM_MOUSEENTER);
    ASSERT_TRUE(button->StateFade()->Running());
    button->SetEnabled(false);
    EXPECT_FALSE(button->StateFade()->Running());

    TsButton* other = NewButton();
    other->Perform(CM_MOUSEENTER);
    ASSERT_TRUE(other->StateFade()->Running());
    SendMessageA(other->Handle(), SkinCommandMessage, SkinCommand(scRefresh), reinterpret_cast<LPARAM>(manager));
    EXPECT_FALSE(other->StateFade()->Running());
}

TEST_F(FadeTest, NoFadeTimerOutlivesItsControl) {
    TsButton* button = NewButton();
    button->Perform(CM_MOUSEENTER);
    ASSERT_TRUE(button->StateFade()->Running());
    EXPECT_EQ(FadeTimerCount(), timersBefore + 1);
    delete button;
    EXPECT_EQ(FadeTimerCount(), timersBefore);
    // Ticks already queued for the timer find nothing to paint.
    MSG msg;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 60) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(5);
    }
}

TEST_F(FadeTest, TheTimerRunsTheFadeToItsEndOnItsOwn) {
    TsButton* button = NewButton();
    auto normal = CopyOf(*button->SkinData().CacheBitmap);
    button->Perform(CM_MOUSEENTER);
    TsFadeTimer* fade = button->StateFade();
    ASSERT_TRUE(fade->Running());
    MSG msg;
    const DWORD start = GetTickCount();
    while (fade->Running() && GetTickCount() - start < 3000) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(2);
    }
    EXPECT_FALSE(fade->Running());
    EXPECT_EQ(fade->ShownLevel(), 10);
    EXPECT_EQ(DifferingPixels(fade->Frame(), *button->SkinData().CacheBitmap), 0);
}

// A modal loop run from inside a paint (a message box or a menu opened there) dispatches
// the fade's timer: no step is taken while the paint of the button or of its form is on
// the stack; the fade goes on once the paint is over.
TEST_F(FadeTest, NoStepRunsWhileAModalLoopIsInsideAPaintOfItsWindow) {
    TsButton* button = NewButton();
    for (TWinControl* painted : {static_cast<TWinControl*>(button), static_cast<TWinControl*>(form)}) {
        SCOPED_TRACE(painted == form ? "form" : "button");
        button->Perform(painted == form ? CM_MOUSELEAVE : CM_MOUSEENTER);
        TsFadeTimer* fade = button->StateFade();
        ASSERT_NE(fade, nullptr);
        ASSERT_TRUE(fade->Running());
        int stepsDuringPaint = -1;
        TWindowProcHook hook = painted->HookWindowProc([&](TMessage& message, const TWndNext& next) {
            if (message.Msg == WM_PAINT && stepsDuringPaint < 0) {
                const int before = fade->ShownLevel();
                MSG msg;
                const DWORD start = GetTickCount();
                while (GetTickCount() - start < 150) {
                    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                        DispatchMessageA(&msg);
                    Sleep(2);
                }
                stepsDuringPaint = fade->ShownLevel() - before;
            }
            next(message);
        });
        SendMessageA(painted->Handle(), WM_PAINT, 0, 0);
        hook.Unhook();
        EXPECT_EQ(stepsDuringPaint, 0);
        EXPECT_TRUE(fade->Running());
        MSG msg;
        const DWORD start = GetTickCount();
        while (fade->Running() && GetTickCount() - start < 3000) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(2);
        }
        EXPECT_FALSE(fade->Running());
        EXPECT_EQ(fade->ShownLevel(), fade->Iterations) << "it ran to its end after the paint";
    }
}

TEST_F(FadeTest, SpeedButtonBlendsAndShowsTheFrameWhileItRuns) {
    auto* button = new TsSpeedButton(form);
    button->SetBounds(10, 10, 18, 10);
    button->SetParent(form);
    button->SkinData().SetSkinSection("SPEEDBUTTON");
    button->PaintFace();
    auto normal = CopyOf(*button->SkinData().CacheBitmap);
    button->Perform(CM_MOUSEENTER);
    TsFadeTimer* fade = button->StateFade();
    ASSERT_NE(fade, nullptr);
    ASSERT_TRUE(fade->Running());
    EXPECT_NE(dynamic_cast<TsAnimTimer*>(fade), nullptr);
    EXPECT_EQ(fade->Iterations, 6);
    auto hot = CopyOf(*button->SkinData().CacheBitmap);
    fade->Tick();
    EXPECT_EQ(DifferingPixels(fade->Frame(), *ExpectedFrame(*normal, *hot, 1, 6)), 0);
    for (int level = 2; level <= 6; ++level)
        fade->Tick();
    EXPECT_EQ(DifferingPixels(fade->Frame(), *hot), 0);
    fade->Tick();
    EXPECT_FALSE(fade->Running());
    delete button;
    EXPECT_EQ(FadeTimerCount(), timersBefore);
}

} // namespace
} // namespace sj

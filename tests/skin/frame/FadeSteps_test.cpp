// The figures of the animations as the program's settings give them: a 70 ms show in
// 5 steps zooming from 75 %, a 100 ms skin change in 8 steps with the old look fading
// in the last third, a 200 ms minimise in 13 steps, and the blend weights of a
// 10-iteration button fade with its turn back.
#include "skin/frame/sFadeSteps.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace sj {
namespace {

std::vector<int> Alphas(const std::vector<TacAnimFrame>& frames) {
    std::vector<int> alphas;
    for (const TacAnimFrame& frame : frames)
        alphas.push_back(frame.Alpha);
    return alphas;
}

TEST(FadeSteps, StepCountsOfTheStoredTimes) {
    EXPECT_EQ(FormAnimationSteps(70), 5);
    EXPECT_EQ(FormAnimationSteps(100), 8);
    EXPECT_EQ(FormAnimationSteps(11), 0) << "below 12 ms the form shows at once";
    EXPECT_EQ(FormAnimationSteps(12), 1);
    EXPECT_EQ(FormAnimationSteps(0), 0);
    EXPECT_EQ(MinimizeSteps(200), 13);
    EXPECT_EQ(MinimizeSteps(0), 1);
    EXPECT_EQ(MinimizeSteps(14), 1);
}

TEST(FadeSteps, ShowZoomsFromThreeQuartersToFullSizeWhileAlphaRises) {
    const auto frames = ShowAnimationFrames(800, 480, 5, 255, true);
    ASSERT_EQ(frames.size(), 6u) << "steps + 1 frames";
    EXPECT_EQ(Alphas(frames), (std::vector<int>{51, 102, 153, 204, 255, 255}));
    EXPECT_EQ(frames[0].Rect, (TacRect{100, 60, 700, 420})) << "75 % of each side, centred";
    EXPECT_EQ(frames[1].Rect, (TacRect{80, 48, 720, 432}));
    EXPECT_EQ(frames[4].Rect, (TacRect{20, 12, 780, 468}));
    EXPECT_EQ(frames[5].Rect, (TacRect{0, 0, 800, 480})) << "the last frame is the whole picture";
}

TEST(FadeSteps, ShowOfAnOddSizeEndsExactlyAtFullSize) {
    // The About box with its shadow ring and the main window are not multiples of 8.
    const auto frames = ShowAnimationFrames(662, 485, 5, 255, true);
    EXPECT_EQ(frames.front().Rect, (TacRect{83, 61, 579, 424}));
    EXPECT_EQ(frames.back().Rect, (TacRect{0, 0, 662, 485}));
    for (std::size_t i = 1; i < frames.size(); ++i) {
        EXPECT_LE(frames[i].Rect.Left, frames[i - 1].Rect.Left);
        EXPECT_GE(frames[i].Rect.Right, frames[i - 1].Rect.Right);
    }
}

TEST(FadeSteps, FadingOnlyKeepsTheWholePictureAndAnAlphaBlendedFormItsAlpha) {
    const auto frames = ShowAnimationFrames(100, 50, 5, 200, false);
    EXPECT_EQ(Alphas(frames), (std::vector<int>{40, 80, 120, 160, 200, 200}));
    for (const TacAnimFrame& frame : frames)
        EXPECT_EQ(frame.Rect, (TacRect{0, 0, 100, 50}));
    EXPECT_TRUE(ShowAnimationFrames(100, 50, 0, 255, true).empty());
}

TEST(FadeSteps, HideShrinksAndFadesToNothing) {
    const auto frames = HideAnimationFrames(800, 480, 5, 255, true);
    EXPECT_EQ(Alphas(frames), (std::vector<int>{204, 153, 102, 51, 0}));
    EXPECT_EQ(frames[0].Rect, (TacRect{0, 0, 800, 480}));
    EXPECT_EQ(frames[4].Rect, (TacRect{80, 48, 720, 432}));
    EXPECT_TRUE(HideAnimationFrames(800, 480, 0, 255, true).empty()) << "time 0: nothing to show";
}

TEST(FadeSteps, SkinChangeKeepsTheOldLookUntilTheNewPassesTwoThirds) {
    const auto alphas = SkinChangeAlphas(8, 255);
    ASSERT_EQ(alphas.size(), 9u) << "9 frames of 12 ms";
    std::vector<int> rising, falling;
    for (const auto& pair : alphas) {
        rising.push_back(pair.New);
        falling.push_back(pair.Old);
    }
    EXPECT_EQ(rising, (std::vector<int>{32, 64, 96, 128, 159, 191, 223, 255, 255}));
    EXPECT_EQ(falling, (std::vector<int>{255, 255, 255, 255, 255, 192, 96, 0, 0}));
}

TEST(FadeSteps, ButtonFadeWeightsAndTheTurnBack) {
    EXPECT_EQ(FadeOldWeight(1, 10), 230);
    EXPECT_EQ(FadeOldWeight(5, 10), 128);
    EXPECT_EQ(FadeOldWeight(10, 10), 0) << "the last frame is the new face";
    EXPECT_EQ(FadeOldWeight(3, 5), 102);
    // Turned back after showing level 3 of 10: level 8 from the other end.
    EXPECT_EQ(RestartFadeLevel(3, 10, true), 8);
    EXPECT_EQ(RestartFadeLevel(9, 10, true), 2);
    EXPECT_EQ(RestartFadeLevel(0, 10, true), 10) << "nothing shown yet: straight to the old face";
    EXPECT_EQ(RestartFadeLevel(4, 10, false), 1) << "a new target starts over";
}

TEST(FadeSteps, ThumbnailFitsTheTaskbarsBoxWithTheWindowsProportions) {
    EXPECT_EQ(FitInside(644, 467, 200, 120), (TacSizeI{165, 120})) << "the height binds";
    EXPECT_EQ(FitInside(644, 467, 160, 300), (TacSizeI{160, 116})) << "the width binds";
    EXPECT_EQ(FitInside(644, 467, 800, 600), (TacSizeI{644, 467})) << "never enlarged";
    EXPECT_EQ(FitInside(3000, 2, 100, 100), (TacSizeI{100, 1})) << "a sliver keeps one row";
    EXPECT_EQ(FitInside(100000, 100000, 300, 200), (TacSizeI{200, 200})) << "no overflow";
    EXPECT_EQ(FitInside(644, 467, 0, 120), (TacSizeI{})) << "no room, no thumbnail";
    EXPECT_EQ(FitInside(0, 467, 200, 120), (TacSizeI{}));
}

// The program's 200 ms minimise of the main window (662 x 485 with its shadow ring) to
// a bottom taskbar: 13 steps of 15 ms, the alpha falling by 255 / 12 a step, so that
// the picture is gone one step before it reaches the taskbar.
TEST(FadeSteps, MinimiseFliesToTheTaskbarEdgeAndFadesOut) {
    const TacRect source{100, 100, 762, 585};
    const TacRect taskbar{0, 738, 1024, 768};
    const TacRect target = MinimizeTarget(&taskbar, source, nullptr);
    EXPECT_EQ(target, (TacRect{431, 738, 431, 738})) << "the bar's inner edge below the window's centre";
    const TacMinimizePath path(source, target, MinimizeSteps(200), 255);
    EXPECT_EQ(path.Frame(0).Screen, source);
    EXPECT_EQ(path.Frame(0).Alpha, 255);
    EXPECT_EQ(path.Frame(1).Screen, (TacRect{125, 149, 737, 597}));
    EXPECT_EQ(path.Frame(13).Screen, target) << "the last step ends on the target";
    std::vector<int> alphas;
    for (int k = 1; k <= path.LastVisibleStep(); ++k)
        alphas.push_back(path.Frame(k).Alpha);
    EXPECT_EQ(alphas, (std::vector<int>{234, 213, 191, 170, 149, 128, 106, 85, 64, 43, 21}));
    EXPECT_EQ(path.Frame(12).Alpha, 0) << "step 12 ends the minimise: nothing shown at alpha 0";
    for (int k = 1; k <= 13; ++k) {
        SCOPED_TRACE(k);
        const TacMinimizeFrame frame = path.Frame(k), before = path.Frame(k - 1);
        EXPECT_GT(frame.Screen.Bottom, before.Screen.Bottom - 1) << "moving down towards the bar";
        EXPECT_LE(frame.Screen.Width(), before.Screen.Width());
        EXPECT_LE(frame.Screen.Height(), before.Screen.Height());
        // The window keeps the source's size; the picture is centred in it over the frame.
        EXPECT_EQ(frame.Window.Width(), source.Width());
        EXPECT_EQ(frame.Window.Height(), source.Height());
        EXPECT_EQ(frame.Window.Left + frame.InWork.Left, frame.Screen.Left);
        EXPECT_EQ(frame.Window.Top + frame.InWork.Top, frame.Screen.Top);
        EXPECT_EQ(frame.InWork.Width(), frame.Screen.Width());
        EXPECT_LE(std::abs(frame.InWork.Left - (source.Width() - frame.InWork.Right)), 1) << "centred";
    }
    // A start alpha below 255 (an alpha-blended form) falls from there.
    EXPECT_EQ(TacMinimizePath(source, target, 13, 180).Frame(1).Alpha, 165);
    // One step: straight from the window to the target, and gone.
    const TacMinimizePath quick(source, target, MinimizeSteps(10), 255);
    EXPECT_EQ(quick.Steps(), 1);
    EXPECT_EQ(quick.LastVisibleStep(), 0);
}

TEST(FadeSteps, TheTaskbarEdgeAndTheTargetOnIt) {
    const TacRect window{200, 100, 400, 300}; // centre (300, 200)
    const TacRect bottom{0, 738, 1024, 768}, top{0, 0, 1024, 30}, left{0, 0, 60, 768};
    const TacRect rightFromTop{964, 0, 1024, 768}, rightBelowTop{964, 20, 1024, 768}, wideBottom{-2, 738, 1026, 770};
    EXPECT_EQ(TaskbarEdge(bottom), tbeBottom);
    EXPECT_EQ(TaskbarEdge(wideBottom), tbeBottom) << "a bar a little beyond the screen's left edge";
    EXPECT_EQ(TaskbarEdge(top), tbeTop);
    EXPECT_EQ(TaskbarEdge(left), tbeLeft);
    // A right-hand bar starts at the top like a left or top one: its left edge tells.
    EXPECT_EQ(TaskbarEdge(rightFromTop), tbeRight);
    EXPECT_EQ(TaskbarEdge(rightBelowTop), tbeRight);
    EXPECT_EQ(MinimizeTarget(&top, window, nullptr), (TacRect{300, 30, 300, 30}));
    EXPECT_EQ(MinimizeTarget(&left, window, nullptr), (TacRect{60, 200, 60, 200}));
    EXPECT_EQ(MinimizeTarget(&rightFromTop, window, nullptr), (TacRect{964, 200, 964, 200}));
    const TacRect button{120, 740, 280, 768};
    EXPECT_EQ(MinimizeTarget(&bottom, window, &button), button) << "the button when it is known";
    EXPECT_EQ(MinimizeTarget(nullptr, window, nullptr), (TacRect{})) << "no taskbar: the screen's corner";
}

TEST(FadeSteps, BlendOnMovingGoesDownToTheBlendValue) {
    EXPECT_EQ(BlendOnMovingStep(1000, 170), 1) << "the stored 1000 ms: one a tick";
    EXPECT_EQ(BlendOnMovingStep(12, 170), 85) << "below 13 ms at once";
    EXPECT_EQ(BlendOnMovingAlphas(255, 170, 12), (std::vector<int>{255, 170}));
    EXPECT_EQ(BlendOnMovingAlphas(255, 170, 120),
              (std::vector<int>{255, 246, 237, 228, 219, 210, 201, 192, 183, 174, 170}))
        << "never below the blend value";
    EXPECT_EQ(BlendOnMovingAlphas(255, 170, 1000).size(), 86u);
    EXPECT_EQ(BlendOnMovingAlphas(255, 255, 1000), (std::vector<int>{255})) << "nothing to blend";
}

} // namespace
} // namespace sj

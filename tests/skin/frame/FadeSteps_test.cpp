// The figures of the animations as the program's settings give them: a 70 ms show in
// 5 steps zooming from 75 %, a 100 ms skin change in 8 steps with the old look fading
// in the last third, a 200 ms minimise in 13 steps, and the blend weights of a
// 10-iteration button fade with its turn back.
#include "skin/frame/sFadeSteps.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace sj

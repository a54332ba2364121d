#include "shell/Placement.h"

#include <gtest/gtest.h>

#include <climits>

namespace sj {
namespace {

constexpr int ScreenW = 1920;
constexpr int ScreenH = 1080;

TFormPlacement Clamped(int x, int y, int w, int h) {
    return ClampToScreen({x, y, w, h, false}, ScreenW, ScreenH);
}

TEST(ClampToScreen, KeepsAPlacementThatFits) {
    EXPECT_EQ(Clamped(100, 50, 660, 500), (TFormPlacement{100, 50, 660, 500, false}));
    EXPECT_EQ(Clamped(1260, 580, 660, 500), (TFormPlacement{1260, 580, 660, 500, false}));
}

TEST(ClampToScreen, ShrinksToTheScreenThenMovesOntoIt) {
    EXPECT_EQ(Clamped(300, 0, 5000, 500), (TFormPlacement{0, 0, 1920, 500, false}));
    EXPECT_EQ(Clamped(0, 300, 640, 4000), (TFormPlacement{0, 0, 640, 1080, false}));
    EXPECT_EQ(Clamped(1800, 0, 640, 480), (TFormPlacement{1280, 0, 640, 480, false}));
    EXPECT_EQ(Clamped(0, 1000, 640, 480), (TFormPlacement{0, 600, 640, 480, false}));
    EXPECT_EQ(Clamped(-50, -7, 640, 480), (TFormPlacement{0, 0, 640, 480, false}));
}

TEST(ClampToScreen, ExtremeStoredCoordinatesDoNotOverflow) {
    EXPECT_EQ(Clamped(INT_MAX, INT_MAX, 640, 480), (TFormPlacement{1280, 600, 640, 480, false}));
    EXPECT_EQ(Clamped(INT_MIN, INT_MIN, 640, 480), (TFormPlacement{0, 0, 640, 480, false}));
}

TEST(ClampToScreen, KeepsTheMaximizedFlagAndIgnoresAScreenWithoutSize) {
    EXPECT_TRUE(ClampToScreen({0, 0, 10, 10, true}, ScreenW, ScreenH).Maximized);
    EXPECT_EQ(ClampToScreen({-5, 9000, 10, 10, false}, 0, 0), (TFormPlacement{-5, 9000, 10, 10, false}));
}

TEST(CenterOnScreen, HalvesTheFreeSpaceRoundingTowardZero) {
    EXPECT_EQ(CenterOnScreen({7, 7, 661, 501, false}, ScreenW, ScreenH), (TFormPlacement{629, 289, 661, 501, false}));
    // A window larger than the screen: -201 / 2 is -100, not -101.
    EXPECT_EQ(CenterOnScreen({0, 0, 1001, 600, false}, 800, 600).Left, -100);
}

TEST(MergeStoredPlacement, MissingValuesKeepTheCurrentOnes) {
    const TFormPlacement current{10, 20, 660, 500, true};
    EXPECT_EQ(MergeStoredPlacement({}, current), (TFormPlacement{10, 20, 660, 500, false}));
    TStoredPlacement stored;
    stored.Left = -50;
    stored.Height = 300;
    EXPECT_EQ(MergeStoredPlacement(stored, current), (TFormPlacement{-50, 20, 660, 300, false}));
}

TEST(MergeStoredPlacement, AnyNonZeroMaximizedValueMeansMaximized) {
    TStoredPlacement stored;
    for (const int value : {1, -1, 2, 0x10}) {
        stored.Maximized = value;
        EXPECT_TRUE(MergeStoredPlacement(stored, {}).Maximized) << value;
    }
    stored.Maximized = 0;
    EXPECT_FALSE(MergeStoredPlacement(stored, {}).Maximized);
}

TEST(MergeStoredPlacement, SizesBelowOnePixelAreTreatedAsBroken) {
    TStoredPlacement stored;
    stored.Width = 0;
    stored.Height = -480;
    EXPECT_EQ(MergeStoredPlacement(stored, {10, 20, 660, 500, false}), (TFormPlacement{10, 20, 660, 500, false}));
}

} // namespace
} // namespace sj

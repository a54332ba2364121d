#include "skin/paint/acBlit.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

TacPixmap Numbered(int w, int h) {
    TacPixmap p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.At(x, y) = static_cast<TPixel32>(y * 100 + x);
    return p;
}

TEST(BlitTest, CopyClipsSourceAndTargetOnEverySide) {
    TacPixmap source = Numbered(4, 4);
    TacPixmap target(3, 3, 0xEEEEEEEE);
    // Lands at (-1, -1): the first row and column of the piece fall outside.
    CopyPixels(target.View(), -1, -1, source.View(), {1, 1, 5, 5});
    EXPECT_EQ(target.At(0, 0), 202u);
    EXPECT_EQ(target.At(1, 1), 303u);
    EXPECT_EQ(target.At(2, 2), 0xEEEEEEEEu); // the piece ran out of source there
    EXPECT_EQ(target.At(2, 0), 0xEEEEEEEEu);
}

TEST(BlitTest, StretchDoublesEachPixelAndShrinksByNearestSample) {
    TacPixmap source = Numbered(2, 2);
    TacPixmap big(4, 4);
    StretchPixels(big.View(), {0, 0, 4, 4}, source.View(), {0, 0, 2, 2});
    EXPECT_EQ(big.At(0, 0), 0u);
    EXPECT_EQ(big.At(1, 1), 0u);
    EXPECT_EQ(big.At(2, 1), 1u);
    EXPECT_EQ(big.At(3, 3), 101u);

    TacPixmap small(2, 1);
    StretchPixels(small.View(), {0, 0, 2, 1}, Numbered(4, 1).View(), {0, 0, 4, 1});
    EXPECT_EQ(small.At(0, 0), 1u); // centre of the first half: column 1
    EXPECT_EQ(small.At(1, 0), 3u);
}

TEST(BlitTest, ClippedStretchShowsThePixelsOfTheUnclippedOne) {
    TacPixmap source = Numbered(3, 1);
    TacPixmap whole(6, 1), clipped(3, 1);
    StretchPixels(whole.View(), {0, 0, 6, 1}, source.View(), {0, 0, 3, 1});
    StretchPixels(clipped.View(), {-3, 0, 3, 1}, source.View(), {0, 0, 3, 1});
    for (int x = 0; x < 3; ++x) EXPECT_EQ(clipped.At(x, 0), whole.At(x + 3, 0));
}

} // namespace
} // namespace sj

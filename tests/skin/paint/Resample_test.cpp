#include "skin/paint/acResample.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <vector>

namespace sj {
namespace {

TacPixmap Grey(int w, int h, std::uint8_t v) {
    return TacPixmap(w, h, MakePixel(v, v, v, v));
}

// One row per y, each a copy of `values` as grey pixels.
TacPixmap Rows(std::initializer_list<std::uint8_t> values, int h) {
    TacPixmap p(static_cast<int>(values.size()), h);
    for (int y = 0; y < h; ++y) {
        int x = 0;
        for (std::uint8_t v : values)
            p.At(x++, y) = MakePixel(v, v, v, 255);
    }
    return p;
}

TEST(ResampleTest, RefusesSourcesBelowTwoByTwoAndIgnoresEmptyTargets) {
    TacPixmap target(3, 3, 0x12345678);
    for (TacPixmap tiny : {Grey(1, 5, 9), Grey(5, 1, 9)}) {
        try {
            ResampleBitmap(tiny.View(), target, 4, 4, TacResampleFilter::Mitchell);
            FAIL() << "a source of " << tiny.Width() << " x " << tiny.Height() << " was accepted";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Source bitmap is too small");
        }
    }
    TacPixmap source = Grey(4, 4, 9);
    ResampleBitmap(source.View(), target, 0, 4, TacResampleFilter::Triangle);
    ResampleBitmap(source.View(), target, 4, 0, TacResampleFilter::Triangle);
    ASSERT_EQ(target.Width(), 3);
    EXPECT_EQ(target.At(1, 1), 0x12345678u);
}

TEST(ResampleTest, EqualSizesCopyTheSource) {
    TacPixmap source(3, 2);
    for (int i = 0; i < 6; ++i)
        source.View().Bits[i] = 0x01020304u * static_cast<TPixel32>(i + 1);
    TacPixmap target;
    ResampleBitmap(source.View(), target, 3, 2, TacResampleFilter::Mitchell);
    EXPECT_EQ(target.Data(), source.Data());
}

// Expected values come from the weight rule by hand: centre i * source / target, weights
// f(|centre - j| * scale) * scale in 16.16, mirrored edges, sums shifted down 16 bits.
TEST(ResampleTest, WeightsFollowTheFilterFormulas) {
    auto greens = [](std::initializer_list<std::uint8_t> row, int width, TacResampleFilter filter) {
        TacPixmap target;
        ResampleBitmap(Rows(row, 2).View(), target, width, 2, filter);
        std::vector<int> out;
        for (int x = 0; x < width; ++x)
            out.push_back(PixelG(target.At(x, 1)));
        return out;
    };
    // Centres 0, 0.5, 1, 1.5; the last reaches past the edge and mirrors onto column 1.
    EXPECT_EQ(greens({0, 255}, 4, TacResampleFilter::Triangle), (std::vector<int>{0, 127, 255, 255}));
    // Halving widens the support to two source pixels: weights 1/4, 1/2, 1/4.
    EXPECT_EQ(greens({0, 0, 255, 255}, 2, TacResampleFilter::Triangle), (std::vector<int>{0, 191}));
    // Centre 2/3: triangle 255 * 2/3 = 170; Hermite f(1/3) = 20/27 -> 48545 / 65536 -> 188.9.
    EXPECT_EQ(greens({0, 255}, 3, TacResampleFilter::Triangle)[1], 170);
    EXPECT_EQ(greens({0, 255}, 3, TacResampleFilter::Hermite)[1], 188);
}

TEST(ResampleTest, MitchellKeepsFlatAreasFlatInEveryChannel) {
    TacPixmap target;
    ResampleBitmap(Grey(3, 3, 200).View(), target, 7, 5, TacResampleFilter::Mitchell);
    for (TPixel32 p : target.Data()) {
        for (int v : {PixelR(p), PixelG(p), PixelB(p), PixelA(p)})
            EXPECT_NEAR(v, 200, 1);
    }
}

// Shrinking hard widens the support past one whole source length: a single mirror would
// land outside the source (AddressSanitizer watches), the clamp keeps it inside.
TEST(ResampleTest, HeavyShrinkStaysInsideTheSource) {
    for (auto filter : {TacResampleFilter::Triangle, TacResampleFilter::Hermite, TacResampleFilter::Mitchell}) {
        for (int w : {2, 3, 40}) {
            TacPixmap target;
            ResampleBitmap(Grey(w, 2, 100).View(), target, 1, 1, filter);
            ASSERT_EQ(target.Width(), 1);
            EXPECT_NEAR(PixelR(target.At(0, 0)), 100, 8) << w;
        }
    }
}

} // namespace
} // namespace sj

#include "skin/paint/sTextPaint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

namespace sj {
namespace {

TEST(GaussianKernel, CutWhereTheTailsReachOneIn510) {
    EXPECT_TRUE(GaussianKernel(0).empty());
    EXPECT_TRUE(GaussianKernel(-2).empty());
    EXPECT_EQ(GaussianKernel(0.1).size(), 3u) << "never below radius 1";

    for (double sigma : {1.0, 2.5, 7.0, 40.0}) {
        const std::vector<float> taps = GaussianKernel(sigma);
        const int j = static_cast<int>(taps.size() / 2);
        // The tails of the full 201-tap kernel in double precision: the pairs beyond j
        // carry at least 1/510 of the weight, those beyond j + 1 less.
        double total = 0, beyond = 0, beyondNext = 0;
        for (int q = -100; q <= 100; ++q) {
            const double k = std::exp(-(q / sigma) * (q / sigma) / 2);
            total += k;
            beyond += std::abs(q) > j ? k : 0;
            beyondNext += std::abs(q) > j + 1 ? k : 0;
        }
        EXPECT_GE(beyond / total, 1.0 / 510) << sigma;
        EXPECT_LT(beyondNext / total, 1.0 / 510) << sigma;
        EXPECT_NEAR(std::accumulate(taps.begin(), taps.end(), 0.0), 1.0, 1e-5);
    }
}

// Rows, then columns of the result, edge pixels repeated, truncated: written plainly.
TacGrayImage ReferenceBlur(const TacGrayImage& in, double sigma) {
    const std::vector<float> taps = GaussianKernel(sigma);
    const int j = static_cast<int>(taps.size() / 2), w = in.Width(), h = in.Height();
    auto pass = [&](const TacGrayImage& src, bool rows) {
        TacGrayImage out(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                double sum = 0;
                for (int q = -j; q <= j; ++q) {
                    const int sx = rows ? std::clamp(x - q, 0, w - 1) : x;
                    const int sy = rows ? y : std::clamp(y - q, 0, h - 1);
                    sum += static_cast<double>(taps[static_cast<std::size_t>(q + j)]) * src.At(sx, sy);
                }
                out.At(x, y) = static_cast<std::uint8_t>(std::clamp(static_cast<int>(sum + 1.0 / 1024), 0, 255));
            }
        return out;
    };
    return pass(pass(in, true), false);
}

TEST(GaussianBlur, MatchesPlainTwoPassConvolution) {
    std::mt19937 rng(5);
    TacGrayImage image(23, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x)
            image.At(x, y) = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() % 256 : 255);
    for (double sigma : {0.6, 3.0}) {
        TacGrayImage blurred = image;
        GaussianBlur(blurred, sigma);
        const TacGrayImage expected = ReferenceBlur(image, sigma);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 23; ++x)
                ASSERT_EQ(blurred.At(x, y), expected.At(x, y)) << sigma << " at " << x << "," << y;
    }
}

TEST(GaussianBlur, UniformAreasStayUniformAndZeroSigmaLeavesTheImage) {
    for (double sigma = 0.25; sigma <= 64; sigma *= 1.7) {
        TacGrayImage white(12, 5, 255), grey(6, 6, 77);
        GaussianBlur(white, sigma);
        GaussianBlur(grey, sigma);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 12; ++x)
                ASSERT_EQ(white.At(x, y), 255) << "sigma " << sigma;
        ASSERT_EQ(grey.At(3, 3), 77) << "sigma " << sigma;
    }
    TacGrayImage dot(3, 3, 255);
    dot.At(1, 1) = 0;
    GaussianBlur(dot, 0);
    GaussianBlur(dot, -1);
    EXPECT_EQ(dot.At(1, 1), 0);
    EXPECT_EQ(dot.At(0, 0), 255);
}

TEST(BlurredText, RendersOnceForItsSizeThenReusesTheImage) {
    const TacRect rect{10, 5, 30, 15};
    TacGrayImage kept;
    int renders = 0;
    std::vector<TacRect> placesSeen;
    auto render = [&](TacGrayImage& image, const std::vector<TacRect>& places) {
        ++renders;
        placesSeen = places;
        EXPECT_EQ(image.At(0, 0), 255) << "handed over white";
        image.At(places.back().Left, places.back().Top) = 0;
    };
    TacPixmap target(60, 40, 0x00000000);
    DrawBlurredText(target.View(), rect, kept, 0x00FFFFFF, 2, tcLeft | tcBottom, render);
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(kept.Width(), 20 + 2 * 6);
    EXPECT_EQ(kept.Height(), 10 + 2 * 6);
    const std::vector<TacRect> expected{{5, 6, 25, 16}, {6, 7, 26, 17}, {6, 6, 26, 16}};
    EXPECT_EQ(placesSeen, expected) << "left contour, bottom contour, then the text";

    // The same size again: no rendering, even for another text.
    DrawBlurredText(target.View(), {0, 0, 20, 10}, kept, 0x00FFFFFF, 2, tcAll, render);
    EXPECT_EQ(renders, 1);
    DrawBlurredText(target.View(), rect, kept, 0x00FFFFFF, 3, tcAll, render);
    EXPECT_EQ(renders, 2) << "a larger radius needs a larger image";
}

TEST(BlurredText, InkMovesColourAndAlphaTowardTheGlow) {
    TacGrayImage image(8, 8, 255);
    image.At(4, 4) = 0;   // full ink
    image.At(5, 4) = 128; // half ink
    image.At(0, 0) = 0;   // lands before the target's first column: lost
    TacPixmap target(6, 6, MakePixel(0, 40, 250, 0x00));
    target.At(3, 1) = MakePixel(0, 40, 250, 0x80);
    // Margin 4 + 0: image (x, y) lands at (1 + 1 - 4 + x, 0 + 1 - 4 + y).
    CompositeBlurredText(target.View(), {1, 0, 5, 4}, image, 0x000000FF, 0);
    EXPECT_EQ(target.At(2, 1), MakePixel(255, 0, 0, 255)) << "exactly the colour, opaque";
    // c + trunc((t - c) * v / 255); alpha a + trunc((255 - v) * (255 - a) / 255).
    EXPECT_EQ(target.At(3, 1), MakePixel(255 - 128, 40 * 128 / 255, 250 * 128 / 255, 0x80 + 127 * 127 / 255));
    EXPECT_EQ(target.At(4, 1), MakePixel(0, 40, 250, 0x00)) << "no ink, untouched";
}

TEST(TextLayer, BlackGivesTheColourWhiteLeavesTheTarget) {
    TacPixmap scratch(3, 2, 0xFFFFFFFF);
    scratch.At(0, 0) = 0x00000000;
    scratch.At(1, 0) = 0x00FFFFFF;
    scratch.At(2, 0) = MakePixel(128, 64, 255, 0);
    scratch.At(0, 1) = 0xFF000000;
    TacPixmap target(4, 2, MakePixel(10, 200, 100, 0x33));
    CompositeTextLayer(target.View(), {1, 0, 4, 2}, scratch.View(), 0x00306090);
    EXPECT_EQ(target.At(1, 0), MakePixel(0x90, 0x60, 0x30, 255));
    EXPECT_EQ(target.At(2, 0), MakePixel(10, 200, 100, 0x33));
    // floor((C * 256 + (T - C) * s) / 256) per channel.
    EXPECT_EQ(target.At(3, 0), MakePixel((0x90 * 128 + 10 * 128) / 256, (0x60 * 192 + 200 * 64) / 256,
                                         (0x30 * 1 + 100 * 255) / 256, 255));
    EXPECT_EQ(target.At(2, 1), MakePixel(10, 200, 100, 0x33)) << "opaque white too";
    EXPECT_EQ(target.At(0, 0), MakePixel(10, 200, 100, 0x33)) << "left of rect";

    // Clipped on the right instead of written past the row.
    TacPixmap narrow(2, 1, 0x12345678);
    CompositeTextLayer(narrow.View(), {1, 0, 4, 1}, scratch.View(), 0);
    EXPECT_EQ(narrow.At(1, 0), 0xFF000000u);
}

TEST(TruncateText, LongestStartThatFitsWithDots) {
    auto tenPerChar = [](const std::string& s) { return 10 * static_cast<int>(s.size()); };
    EXPECT_EQ(TruncateText("abcdef", 60, tenPerChar), "abcdef");
    EXPECT_EQ(TruncateText("abcdef", 59, tenPerChar), "ab...");
    EXPECT_EQ(TruncateText("abcdef", 45, tenPerChar), "a...");
    EXPECT_EQ(TruncateText("abcdef", 39, tenPerChar), "") << "not even one character fits: no dots";
    EXPECT_EQ(TruncateText("abcdef", 0, tenPerChar), "");
    EXPECT_EQ(TruncateText("", 100, tenPerChar), "");
}

} // namespace
} // namespace sj

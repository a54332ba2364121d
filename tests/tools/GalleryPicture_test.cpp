#include "tools/gallery/GalleryPicture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace sj::tools {
namespace {

TacPixmap RandomImage(std::mt19937& random, int width, int height) {
    TacPixmap image(width, height);
    std::uniform_int_distribution<std::uint32_t> any;
    std::uniform_int_distribution<int> kind(0, 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            TPixel32 p = any(random);
            // Plenty of the two alpha values that matter most: clear and opaque.
            if (const int k = kind(random); k == 0)
                p &= 0x00FFFFFF;
            else if (k == 1)
                p |= 0xFF000000;
            image.At(x, y) = p;
        }
    return image;
}

std::uint8_t RoundHalfUp(double value) {
    return static_cast<std::uint8_t>(std::floor(value + 0.5));
}

// The mean of the block as a person would write it: each colour weighted by its
// pixel's alpha, the weights' mean as the alpha. (Whole-number sums keep the halves
// exact, so rounding is the rule's and not the floating point's.)
TPixel32 ReferenceBlockMean(const TacPixmap& image, int left, int top, int factor) {
    double alpha = 0, red = 0, green = 0, blue = 0;
    int count = 0;
    for (int y = top; y < std::min(top + factor, image.Height()); ++y)
        for (int x = left; x < std::min(left + factor, image.Width()); ++x) {
            const TPixel32 p = image.At(x, y);
            const double a = PixelA(p);
            alpha += a;
            red += a * PixelR(p);
            green += a * PixelG(p);
            blue += a * PixelB(p);
            ++count;
        }
    if (alpha == 0)
        return 0;
    return MakePixel(RoundHalfUp(red / alpha), RoundHalfUp(green / alpha), RoundHalfUp(blue / alpha),
                     RoundHalfUp(alpha / count));
}

TEST(GalleryFileStem, DropsTheInternalSuffixAndReplacesUnsafeCharacters) {
    EXPECT_EQ(GalleryFileStem("Zest (internal)"), "Zest");
    EXPECT_EQ(GalleryFileStem("Harbor Mist (internal)"), "Harbor_Mist");
    EXPECT_EQ(GalleryFileStem("Folder Skin"), "Folder_Skin");
    // Only a trailing suffix is the internal-skin mark.
    EXPECT_EQ(GalleryFileStem("A (internal) B"), "A__internal__B");
    EXPECT_EQ(GalleryFileStem("a/b\\c:d*e?f\"g<h>i|j#k"), "a_b_c_d_e_f_g_h_i_j_k");
    EXPECT_EQ(GalleryFileStem("v1.2-beta_x"), "v1.2-beta_x");
}

TEST(GalleryFileStem, NeverNamesNothingOrAFolder) {
    EXPECT_EQ(GalleryFileStem(""), "skin");
    EXPECT_EQ(GalleryFileStem(" (internal)"), "__internal_"); // the suffix alone is a name
    EXPECT_EQ(GalleryFileStem(".."), "skin..");
}

TEST(UnpremultiplyAlpha, MatchesTheDivisionOnEveryAlpha) {
    std::mt19937 random(7);
    TacPixmap image = RandomImage(random, 64, 64);
    const TacPixmap original = image;
    UnpremultiplyAlpha(image.View());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const TPixel32 p = original.At(x, y);
            const int a = PixelA(p);
            TPixel32 expected = p;
            if (a == 0) {
                expected = 0;
            } else if (a < 255) {
                auto straight = [a](int c) { return RoundHalfUp(std::min(255.0, c * 255.0 / a)); };
                expected = MakePixel(straight(PixelR(p)), straight(PixelG(p)), straight(PixelB(p)),
                                     static_cast<std::uint8_t>(a));
            }
            ASSERT_EQ(image.At(x, y), expected) << "at " << x << "," << y << " from " << std::hex << p;
        }
}

TEST(UnpremultiplyAlpha, RestoresStraightColoursOfAHalfTransparentPixel) {
    TacPixmap image(1, 1, MakePixel(64, 32, 0, 128));
    UnpremultiplyAlpha(image.View());
    EXPECT_EQ(image.At(0, 0), MakePixel(128, 64, 0, 128)); // 64 * 255 / 128 = 127.5
}

TEST(ShrinkImage, AveragesEachBlockInPremultipliedColour) {
    std::mt19937 random(11);
    for (const auto& [width, height, factor] : {std::tuple{16, 12, 4}, {17, 10, 4}, {9, 13, 3}, {5, 5, 8}, {7, 3, 2}}) {
        const TacPixmap image = RandomImage(random, width, height);
        const TacPixmap small = ShrinkImage(image, factor);
        ASSERT_EQ(small.Width(), (width + factor - 1) / factor);
        ASSERT_EQ(small.Height(), (height + factor - 1) / factor);
        for (int y = 0; y < small.Height(); ++y)
            for (int x = 0; x < small.Width(); ++x)
                ASSERT_EQ(small.At(x, y), ReferenceBlockMean(image, x * factor, y * factor, factor))
                    << width << "x" << height << " / " << factor << " at " << x << "," << y;
    }
}

TEST(ShrinkImage, LendsNoColourFromTransparentPixels) {
    TacPixmap image(2, 1);
    image.At(0, 0) = MakePixel(255, 0, 0);
    image.At(1, 0) = MakePixel(0, 255, 0, 0); // a clear pixel with a stray colour
    const TacPixmap small = ShrinkImage(image, 2);
    ASSERT_EQ(small.Width(), 1);
    EXPECT_EQ(small.At(0, 0), MakePixel(255, 0, 0, 128)); // 255 / 2 rounds up
}

TEST(ShrinkImage, KeepsTheImageWithFactorOneOrLess) {
    std::mt19937 random(3);
    const TacPixmap image = RandomImage(random, 5, 4);
    // Factor 1 must still divide the premultiplied colours out, which changes nothing.
    TacPixmap expected = image;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            if (PixelA(expected.At(x, y)) == 0)
                expected.At(x, y) = 0;
    EXPECT_EQ(ShrinkImage(image, 1).Data(), expected.Data());
    EXPECT_EQ(ShrinkImage(image, 0).Data(), expected.Data());
    EXPECT_TRUE(ShrinkImage(TacPixmap(), 4).Empty());
}

TEST(IsUniform, TellsABlankPictureFromAPaintedOne) {
    TacPixmap image(6, 4, 0x00000000);
    EXPECT_TRUE(IsUniform(image));
    image.At(5, 3) = 0xFF000000; // alpha alone paints nothing
    EXPECT_TRUE(IsUniform(image));
    image.At(5, 3) = 0x00000001;
    EXPECT_FALSE(IsUniform(image));
    EXPECT_TRUE(IsUniform(TacPixmap()));
}

TWindowPaint OpaquePaint() {
    TWindowPaint paint;
    paint.Cache.SetSize(10, 8, 0x00336699); // GDI painting: alpha bytes 0
    paint.Client.SetSize(4, 3, 0x00ABCDEF);
    paint.ClientX = 3;
    paint.ClientY = 4;
    return paint;
}

TEST(ComposeWindowPicture, OpaqueCacheWithTheClientLaidOver) {
    const TacPixmap picture = ComposeWindowPicture(OpaquePaint());
    ASSERT_EQ(picture.Width(), 10);
    ASSERT_EQ(picture.Height(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inClient = x >= 3 && x < 7 && y >= 4 && y < 7;
            EXPECT_EQ(picture.At(x, y), inClient ? 0xFFABCDEFu : 0xFF336699u) << x << "," << y;
        }
}

TEST(ComposeWindowPicture, RegionCutsTheCornersAwayClientIncluded) {
    TWindowPaint paint = OpaquePaint();
    // Rows 0 and 1 lose two pixels at each end, as a rounded frame's region does;
    // the client (3..7, 4..7) is cut by the region's bottom edge at row 6.
    paint.VisibleRects = {{2, 0, 8, 1}, {1, 1, 9, 2}, {0, 2, 10, 6}};
    const TacPixmap picture = ComposeWindowPicture(paint);
    auto visible = [](int x, int y) {
        return (y == 0 && x >= 2 && x < 8) || (y == 1 && x >= 1 && x < 9) || (y >= 2 && y < 6);
    };
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(picture.At(x, y) == 0, !visible(x, y)) << x << "," << y;
    EXPECT_EQ(picture.At(3, 5), 0xFFABCDEFu);
}

TEST(ComposeWindowPicture, LayeredCacheKeepsItsAlphaInStraightForm) {
    TWindowPaint paint = OpaquePaint();
    paint.CacheHasAlpha = true;
    paint.Cache.At(0, 0) = MakePixel(50, 100, 0, 100); // shadow: premultiplied
    paint.Cache.At(1, 0) = 0;
    paint.Cache.At(2, 0) = 0xFF102030;
    // A layered window's alpha already shapes it: the region plays no part.
    paint.VisibleRects = {{5, 5, 6, 6}};
    const TacPixmap picture = ComposeWindowPicture(paint);
    EXPECT_EQ(picture.At(0, 0), MakePixel(128, 255, 0, 100)); // 50*255/100 = 127.5
    EXPECT_EQ(picture.At(1, 0), 0u);
    EXPECT_EQ(picture.At(2, 0), 0xFF102030u);
    EXPECT_EQ(picture.At(3, 4), 0xFFABCDEFu);
    EXPECT_EQ(picture.At(9, 7), 0u); // the cache's alpha 0 stays clear
}

TEST(ComposeWindowPicture, ClientBeyondTheCacheIsClipped) {
    for (const auto& [x, y] : {std::pair{-2, -1}, {8, 6}, {-10, 0}, {20, 20}}) {
        TWindowPaint paint = OpaquePaint();
        paint.ClientX = x;
        paint.ClientY = y;
        const TacPixmap picture = ComposeWindowPicture(paint);
        int clientPixels = 0;
        for (int py = 0; py < 8; ++py)
            for (int px = 0; px < 10; ++px)
                clientPixels += picture.At(px, py) == 0xFFABCDEFu;
        const int overlapX = std::max(0, std::min(x + 4, 10) - std::max(x, 0));
        const int overlapY = std::max(0, std::min(y + 3, 8) - std::max(y, 0));
        EXPECT_EQ(clientPixels, overlapX * overlapY) << x << "," << y;
    }
}

} // namespace
} // namespace sj::tools

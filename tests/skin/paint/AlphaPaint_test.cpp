#include "skin/paint/sAlphaPaint.h"

#include "skin/paint/acBlit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace sj {
namespace {

// Slow references straight from the rules, in floating point.
int FloorBlend(int s, int d, int w) {
    return s + static_cast<int>(std::floor(w * (d - s) / 256.0));
}
// ref(channel of a, channel of b, channel index) for red, green, blue; the given alpha.
template <typename Ref> TPixel32 Expected(TPixel32 a, TPixel32 b, int alpha, Ref ref) {
    auto ch = [&](int i) { return static_cast<std::uint8_t>(ref((a >> (8 * i)) & 0xFF, (b >> (8 * i)) & 0xFF, i)); };
    return MakePixel(ch(2), ch(1), ch(0), static_cast<std::uint8_t>(alpha));
}

TacPixmap RandomPixmap(std::mt19937& rng, int w, int h) {
    TacPixmap p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.At(x, y) = static_cast<TPixel32>(rng());
    return p;
}

TEST(BitmapBlends, EqualBitmapsAndMixesAgainstReference) {
    std::mt19937 rng(7);
    const TacPixmap a = RandomPixmap(rng, 5, 4), b = RandomPixmap(rng, 5, 4), mask = RandomPixmap(rng, 5, 4);
    TacPixmap blended = a, mixed(5, 4, 0x7F000000), masked(5, 4, 0x01000000);
    BlendEqualBitmaps(blended.View(), ViewOf(b), 200);
    MixBitmapsInto(mixed.View(), ViewOf(a), ViewOf(b), 100);
    MixBitmapsInto(masked.View(), ViewOf(a), ViewOf(b), 100, ViewOf(mask));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const TPixel32 pa = a.At(x, y), pb = b.At(x, y), m = mask.At(x, y);
            ASSERT_EQ(blended.At(x, y),
                      Expected(pb, pa, PixelA(pa), [](int s, int t, int) { return FloorBlend(s, t, 200); }));
            ASSERT_EQ(mixed.At(x, y),
                      Expected(pb, pa, 0x7F, [](int bc, int ac, int) { return FloorBlend(bc, ac, 100); }));
            ASSERT_EQ(masked.At(x, y), Expected(pb, pa, 0x01, [m](int bc, int ac, int i) {
                          return FloorBlend(bc, ac, static_cast<int>((m >> (8 * i)) & 0xFF));
                      }));
        }
    // Mismatched sizes do nothing; a smaller destination limits the work.
    TacPixmap other(4, 4, 0x11223344), small(2, 2, 0);
    BlendEqualBitmaps(other.View(), ViewOf(a), 0);
    MixBitmapsInto(other.View(), ViewOf(a), ViewOf(small), 0);
    EXPECT_EQ(other.At(0, 0), 0x11223344u);
    MixBitmapsInto(small.View(), ViewOf(a), ViewOf(b), 256);
    EXPECT_EQ(small.At(1, 1), a.At(1, 1) & 0xFFFFFF) << "weight 256 gives a";
}

TEST(BitmapBlends, ColourSkippingOnlyTheWholeKeyPixel) {
    TacPixmap bmp(4, 1);
    bmp.At(0, 0) = clKeyPixel;
    bmp.At(1, 0) = 0xFFFF00FF; // magenta with alpha is an ordinary pixel
    bmp.At(2, 0) = MakePixel(100, 0, 3, 0x42);
    bmp.At(3, 0) = MakePixel(1, 3, 5, 9);
    TacPixmap half = bmp;
    BlendColorSkippingKey(bmp.View(), 0x00000000, 0.4);
    EXPECT_EQ(bmp.At(0, 0), clKeyPixel);
    EXPECT_EQ(bmp.At(1, 0), MakePixel(102, 0, 102, 0xFF)) << "0.4 * 255 = 102";
    EXPECT_EQ(bmp.At(2, 0), MakePixel(40, 0, 1, 0x42));
    BlendColorSkippingKey(half.View(), 0x00000000, 0.5);
    EXPECT_EQ(half.At(3, 0), MakePixel(0, 2, 2, 9)) << "0.5, 1.5 and 2.5 round to even";
}

TEST(AlphaPiece, StraightAlphaOverTargetAgainstReference) {
    std::mt19937 rng(9);
    const TacPixmap source = RandomPixmap(rng, 6, 6), before = RandomPixmap(rng, 5, 5);
    TacPixmap target = before;
    // Target rect starts at (-1, 2): the piece is shifted and cut on the left and bottom.
    BlendAlphaPiece(target.View(), {-1, 2, 5, 8}, ViewOf(source), {0, 0, 6, 6}, false, ColorBackdrop(0));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const TPixel32 t = before.At(x, y), s = y < 2 ? 0 : source.At(x + 1, y - 2);
            const int a = PixelA(s), ta = PixelA(t);
            ASSERT_EQ(target.At(x, y), Expected(t, s, a > 0 ? ta + a * (255 - ta) / 255 : ta,
                                                [a](int tc, int sc, int) { return FloorBlend(tc, sc, a); }));
        }
}

TEST(AlphaPiece, KeyPixelsShowBitmapBackdropOnlyWithUseBackdrop) {
    TacPixmap source(2, 1);
    source.At(0, 0) = clKeyPixel;
    source.At(1, 0) = 0x80FF0000;
    TacPixmap back(4, 4, 0x10203040);
    back.At(3, 2) = 0x00ABCDEF;
    const TBackdropRef backdrop = BitmapBackdrop(back.View(), 2, 1);
    auto paint = [&](bool useBackdrop, const TBackdropRef& b) {
        TacPixmap t(3, 2, 0x40FFFFFF);
        BlendAlphaPiece(t.View(), {1, 1, 3, 2}, ViewOf(source), {0, 0, 2, 1}, useBackdrop, b);
        return t;
    };
    const TacPixmap shown = paint(true, backdrop);
    EXPECT_EQ(shown.At(1, 1), 0xFFABCDEFu) << "backdrop at (1 + 2, 1 + 1), made opaque";
    EXPECT_EQ(shown.At(2, 1), MakePixel(255, 127, 127, 0x40 + 128 * (255 - 0x40) / 255));
    EXPECT_EQ(paint(false, backdrop).At(1, 1), 0x40FFFFFFu);
    EXPECT_EQ(paint(true, backdrop.Shifted(5, 0)).At(1, 1), 0x40FFFFFFu) << "beyond the backdrop";
}

TEST(AlphaChannel, PremultiplyKeepsClearWhiteApartFromOpaqueWhite) {
    TacPixmap bmp(3, 2, 0xFFFFFFFF);
    bmp.At(0, 0) = 0x00FFFFFF;
    bmp.At(1, 0) = 0x80FF8040;
    PremultiplyAlpha(bmp.View(), {-5, -5, 2, 1}); // clipped to the bitmap
    EXPECT_EQ(bmp.At(0, 0), 0u);
    EXPECT_EQ(bmp.At(1, 0), 0x807F4020u);
    EXPECT_EQ(bmp.At(2, 0), 0xFFFFFFFFu) << "outside rect";
    PremultiplyAlpha(bmp.View(), {0, 1, 9, 9});
    EXPECT_EQ(bmp.At(2, 1), 0xFFFEFEFEu) << "opaque white: 255 * 255 div 256 = 254";
}

TEST(AlphaChannel, ShadeAndSetAlphaClipToTheBitmap) {
    TacPixmap bmp(3, 2, MakePixel(255, 1, 3, 0x10));
    ShadeRect(bmp.View(), {1, -1, 10, 1}, 0x00000000, 0xC0, 50);
    EXPECT_EQ(bmp.At(0, 0), MakePixel(255, 1, 3, 0x10));
    EXPECT_EQ(bmp.At(1, 0), MakePixel(128, 0, 2, 0xC0)) << "127.5, 0.5 and 1.5 round to even";
    ShadeRect(bmp.View(), {0, 1, 1, 2}, 0x00FF0000, 0xFF, 100);
    EXPECT_EQ(bmp.At(0, 1), MakePixel(0, 0, 255, 0xFF)) << "percent 100 gives the colour (blue)";

    TacPixmap keyed(2, 2, 0x00123456);
    keyed.At(0, 0) = clKeyPixel;
    SetRectAlpha(keyed.View(), {-3, -3, 1, 5}, 0xFF, true);
    EXPECT_EQ(keyed.At(0, 0), clKeyPixel);
    EXPECT_EQ(keyed.At(0, 1), 0xFF123456u);
    EXPECT_EQ(keyed.At(1, 1), 0x00123456u);
}

// The soft wash with mask level g: the share of the pixel kept.
TPixel32 Washed(TPixel32 p, TPixel32 k, int g) {
    return Expected(k, p, PixelA(p), [g](int kc, int pc, int) { return FloorBlend(kc, pc, g); });
}

TEST(SoftColour, RingsFadeTowardTheEdgeAndClippingKeepsTheShape) {
    // The callers' arguments give a uniform 60 %: 153.
    const TPixel32 face = MakePixel(200, 100, 50, 0x33);
    TacPixmap uniform(6, 4, face);
    BlendColorSoft(uniform.View(), {0, 0, 7, 5}, 60, 0, 0, 0x000000FF);
    EXPECT_EQ(uniform.At(0, 0), Washed(face, 0xFFFF0000, 153));
    EXPECT_EQ(uniform.At(5, 3), Washed(face, 0xFFFF0000, 153));

    // Two rings: 153 + round(102 * 2 / 3) = 221 and 153 + round(102 / 3) = 187, the
    // centre 153 covers ring 2; a pen-less fill leaves out each shape's last column.
    TacPixmap bmp(11, 11, 0xFFFFFFFF);
    BlendColorSoft(bmp.View(), {0, 0, 11, 11}, 60, 0, 2, 0);
    const int expected[11] = {255, 221, 153, 153, 153, 153, 153, 153, 221, 255, 0};
    for (int x = 0; x < 11; ++x)
        EXPECT_EQ(bmp.At(x, 5), Washed(0xFFFFFFFF, 0xFF000000, expected[x])) << x;

    TacPixmap part(4, 4, 0xFFFFFFFF);
    BlendColorSoft(part.View(), {-7, -3, 4, 8}, 60, 0, 2, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(part.At(x, y), bmp.At(x + 7, y + 3));
}

} // namespace
} // namespace sj

#include "skin/paint/sGraphUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace sj {
namespace {

TacPixmap Filled(int w, int h, TPixel32 p) {
    return TacPixmap(w, h, p);
}

TEST(ColourMixing, MixColorsRoundsHalvesToEven) {
    EXPECT_EQ(MixColors(0x000000FF, 0x00000000, 0.5), 0x00000080u); // 127.5 -> 128
    EXPECT_EQ(MixColors(0x00000001, 0x00000000, 0.5), 0x00000000u); // 0.5 -> 0
    EXPECT_EQ(MixColors(0x00000003, 0x00000000, 0.5), 0x00000002u); // 1.5 -> 2
    EXPECT_EQ(MixColors(0x12FF0000, 0x3400FF00, 1.0), 0x12FF0000u) << "high byte of the first colour";
    EXPECT_EQ(MixColors(0x00102030, 0x00305070, 0.25), 0x00284460u);
}

TEST(ColourMixing, ColourAndPixelOrders) {
    EXPECT_EQ(ColorToPixelOrder(0x00332211), 0x00112233u);
    EXPECT_EQ(PixelToColorOrder(0xAA112233), 0xAA332211u);
}

TEST(HueShift, HandCheckedPixels) {
    const TPixel32 red = 0xFFFF0000;
    EXPECT_EQ(ShiftColorHue(120, red), 0xFF00FF00u);
    EXPECT_EQ(ShiftColorHue(240, red), 0xFF0000FFu);
    EXPECT_EQ(ShiftColorHue(-120, red), 0xFF0000FFu);
    EXPECT_EQ(ShiftColorHue(480, red), 0xFF00FF00u) << "offsets wrap around the circle";
    EXPECT_EQ(ShiftColorHue(0, 0x12345678), 0x12345678u);
    EXPECT_EQ(ShiftColorHue(77, 0x80646464), 0x80646464u) << "grey has no hue";
    // (200, 100, 50): hue 20, S 0.75 -> hue 50: (200, 175, 50), alpha kept.
    EXPECT_EQ(ShiftColorHue(30, MakePixel(200, 100, 50, 7)), MakePixel(200, 175, 50, 7));
    // The colour form works on 0x00BBGGRR words.
    EXPECT_EQ(ShiftHue(TColor{0x000000FF}, 120), 0x0000FF00u);
}

// Turning the hue keeps value and saturation, so the largest and the smallest channel
// survive any shift; the hue itself moves by the offset (within rounding).
TEST(HueShift, RandomPixelsKeepValueAndSaturation) {
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> byte(0, 255), offset(-400, 400);
    auto hueOf = [](TPixel32 p) {
        const double r = PixelR(p), g = PixelG(p), b = PixelB(p);
        return std::atan2(std::sqrt(3.0) * (g - b), 2 * r - g - b) * 180 / std::numbers::pi;
    };
    for (int i = 0; i < 20000; ++i) {
        const TPixel32 p = MakePixel(byte(rng), byte(rng), byte(rng), byte(rng));
        const int off = offset(rng);
        const TPixel32 q = ShiftColorHue(off, p);
        const int pmax = std::max({PixelR(p), PixelG(p), PixelB(p)});
        const int pmin = std::min({PixelR(p), PixelG(p), PixelB(p)});
        ASSERT_EQ(PixelA(q), PixelA(p));
        ASSERT_EQ(std::max({PixelR(q), PixelG(q), PixelB(q)}), pmax);
        ASSERT_EQ(std::min({PixelR(q), PixelG(q), PixelB(q)}), pmin);
        if (pmax - pmin >= 60) {
            double moved = std::remainder(hueOf(q) - hueOf(p) - off, 360.0);
            ASSERT_LT(std::abs(moved), 8.0) << std::hex << p << " by " << std::dec << off;
        }
    }
}

TEST(HueShift, BitmapSkipsKeyAndGrey) {
    TacPixmap bmp(3, 1);
    bmp.At(0, 0) = clKeyPixel;
    bmp.At(1, 0) = 0xFF808080;
    bmp.At(2, 0) = 0xFFFF0000;
    ShiftHue(bmp.View(), 120);
    EXPECT_EQ(bmp.At(0, 0), clKeyPixel);
    EXPECT_EQ(bmp.At(1, 0), 0xFF808080u);
    EXPECT_EQ(bmp.At(2, 0), 0xFF00FF00u);
}

TEST(Saturation, HandCheckedColours) {
    EXPECT_EQ(ChangeColorSaturation(-100, 0x001F140A), 0x00141414u) << "grey (10 + 20 + 31) / 3";
    EXPECT_EQ(ChangeColorSaturation(50, 0x00003264), 0x0000327Du) << "(100, 50, 0) -> (125, 50, 0)";
    EXPECT_EQ(ChangeColorSaturation(0, 0xAB123456), 0xAB123456u);
    // (1, 0, 2) by 50: blue 2 + 0.5 = 2.5 rounds to 2, green -0.5 to 0.
    EXPECT_EQ(ChangeColorSaturation(50, 0x00020001), 0x00020001u);
    EXPECT_EQ(ChangeColorSaturation(100, 0x55FF8000) >> 24, 0x55u);
}

TEST(Saturation, BitmapSkipsKeyAndGrey) {
    TacPixmap bmp(3, 1);
    bmp.At(0, 0) = clKeyPixel;
    bmp.At(1, 0) = 0xFF404040;
    bmp.At(2, 0) = MakePixel(100, 50, 0);
    ChangeSaturation(bmp.View(), 50);
    EXPECT_EQ(bmp.At(0, 0), clKeyPixel);
    EXPECT_EQ(bmp.At(1, 0), 0xFF404040u);
    EXPECT_EQ(bmp.At(2, 0), MakePixel(125, 50, 0));
}

TEST(Grayscale, AverageWithOptionalKey) {
    TacPixmap bmp(2, 1);
    bmp.At(0, 0) = MakePixel(10, 20, 32, 9);
    bmp.At(1, 0) = clKeyPixel;
    MakeGrayscale(bmp.View(), clKeyPixel);
    EXPECT_EQ(bmp.At(0, 0), MakePixel(20, 20, 20, 9));
    EXPECT_EQ(bmp.At(1, 0), clKeyPixel);
    MakeGrayscale(bmp.View());
    EXPECT_EQ(bmp.At(1, 0), MakePixel(170, 170, 170, 0));
}

TEST(BitmapBlend, WeightRuleWithFloor) {
    TacPixmap target = Filled(1, 1, MakePixel(200, 0, 0, 0x33));
    TacPixmap source = Filled(1, 1, MakePixel(0, 200, 201, 0x77));
    BlendBitmaps(target.View(), source.View(), 128, 0, 0, {0, 0, 1, 1});
    // 0 + floor(128 * 200 / 256) = 100; 200 + floor(-100) = 100; 201 + floor(-100.5) = 100.
    EXPECT_EQ(target.At(0, 0), MakePixel(100, 100, 100, 0x33));
    BlendBitmaps(target.View(), source.View(), 0, 0, 0, {0, 0, 1, 1});
    EXPECT_EQ(target.At(0, 0), MakePixel(0, 200, 201, 0x33));
}

// Clipping against a per-pixel reference: every target pixel that has a source pixel
// inside both bitmaps is blended, all others stay - the right and bottom edges included.
TEST(BitmapBlend, RandomRectanglesMatchReference) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> coord(-6, 12), size(0, 14), byte(0, 255);
    for (int i = 0; i < 500; ++i) {
        TacPixmap target(size(rng) + 1, size(rng) + 1), source(size(rng) + 1, size(rng) + 1);
        for (auto* bmp : {&target, &source})
            for (int y = 0; y < bmp->Height(); ++y)
                for (int x = 0; x < bmp->Width(); ++x)
                    bmp->At(x, y) = MakePixel(byte(rng), byte(rng), byte(rng), byte(rng));
        const TacPixmap before = target;
        const int px = coord(rng), py = coord(rng), weight = byte(rng);
        const TacRect sr{coord(rng), coord(rng), coord(rng) + 4, coord(rng) + 4};
        BlendBitmaps(target.View(), source.View(), weight, px, py, sr);
        for (int y = 0; y < target.Height(); ++y)
            for (int x = 0; x < target.Width(); ++x) {
                const int sx = x - px + sr.Left, sy = y - py + sr.Top;
                const bool inside = sx >= std::max(sr.Left, 0) && sx < std::min(sr.Right, source.Width()) &&
                                    sy >= std::max(sr.Top, 0) && sy < std::min(sr.Bottom, source.Height());
                TPixel32 expected = before.At(x, y);
                if (inside) {
                    const TPixel32 s = source.At(sx, sy), t = before.At(x, y);
                    auto ch = [&](int sv, int tv) {
                        return static_cast<std::uint8_t>(sv + static_cast<int>(std::floor(weight * (tv - sv) / 256.0)));
                    };
                    expected = MakePixel(ch(PixelR(s), PixelR(t)), ch(PixelG(s), PixelG(t)), ch(PixelB(s), PixelB(t)),
                                         PixelA(t));
                }
                ASSERT_EQ(target.At(x, y), expected) << "case " << i << " at " << x << "," << y;
            }
    }
}

TEST(RectFills, BlendColorAndFillAreClipped) {
    TacPixmap bmp = Filled(3, 2, MakePixel(0, 100, 200, 0x44));
    // Keep 30 percent of each pixel, 70 percent of red (0x00BBGGRR 0x000000FF).
    BlendColorIntoRect(bmp.View(), {-5, -5, 1, 1}, 30, 0x000000FF);
    EXPECT_EQ(bmp.At(0, 0), MakePixel(178, 30, 60, 0x44)); // 178.5 -> 178
    EXPECT_EQ(bmp.At(1, 0), MakePixel(0, 100, 200, 0x44));
    FillPixels(bmp.View(), {2, 1, 10, 10}, 0x00332211, 0x80);
    EXPECT_EQ(bmp.At(2, 1), 0x80112233u);
    EXPECT_EQ(bmp.At(1, 1), MakePixel(0, 100, 200, 0x44));
    FillPixels(bmp.View(), {2, 2, 1, 1}, 0, 0); // inverted: nothing
}

TEST(RectFills, PremultiplyByAlpha) {
    TacPixmap bmp(2, 1);
    bmp.At(0, 0) = 0x80FF8040;
    bmp.At(1, 0) = 0xFFFFFFFF;
    PremultiplyAlpha(bmp.View());
    EXPECT_EQ(bmp.At(0, 0), 0x807F4020u);
    EXPECT_EQ(bmp.At(1, 0), 0xFFFEFEFEu);
}

TEST(AlphaImageBlend, AlphaTransparencyAndKey) {
    TacPixmap target = Filled(3, 1, 0x20FFFFFF);
    TacPixmap source(3, 1);
    source.At(0, 0) = 0x80FF0000; // red at alpha 128
    source.At(1, 0) = 0x00FF00FF; // key
    source.At(2, 0) = 0xFF000000;
    TacPixmap plain = target;
    BlendAlphaImage(plain.View(), {0, 0, 3, 1}, source.View(), {0, 0, 3, 1});
    EXPECT_EQ(plain.At(0, 0), 0x80FF7F7Fu) << "255 + floor(128 * -255 / 256) = 127";
    EXPECT_EQ(plain.At(1, 0), 0x20FFFFFFu) << "alpha 0 changes nothing";
    EXPECT_EQ(plain.At(2, 0), 0xFF000000u);

    TacPixmap faded = target;
    TacAlphaBlendOptions half;
    half.Transparency = 50;
    BlendAlphaImage(faded.View(), {0, 0, 3, 1}, source.View(), {0, 0, 3, 1}, half);
    EXPECT_EQ(faded.At(0, 0), 0x40FFBFBFu) << "alpha 64: 255 + floor(64 * -255 / 256) = 191";

    TacPixmap keyed = target;
    source.At(1, 0) = 0xFFFF00FF;
    TacAlphaBlendOptions key;
    key.UseKey = true;
    key.Key = 0xFFFF00FF;
    BlendAlphaImage(keyed.View(), {0, 0, 3, 1}, source.View(), {0, 0, 3, 1}, key);
    EXPECT_EQ(keyed.At(1, 0), 0x20FFFFFFu);

    // With a backdrop the key pixel at x 1 shows the backdrop at (1 + 2, 0 + 1).
    TacPixmap backdrop(4, 2, 0xFF000000);
    backdrop.At(3, 1) = 0xFF123456;
    key.Backdrop = backdrop.View();
    key.BackdropX = 2;
    key.BackdropY = 1;
    TacPixmap shown = target;
    BlendAlphaImage(shown.View(), {0, 0, 3, 1}, source.View(), {0, 0, 3, 1}, key);
    EXPECT_EQ(shown.At(1, 0), 0xFF123456u);
}

TEST(AlphaImageBlend, ClipsAndReflects) {
    TacPixmap source = Filled(2, 4, 0xFF000000);
    source.At(0, 3) = 0xFF0000FF; // the bottom-left pixel, first in the reflection
    TacPixmap target = Filled(3, 7, 0xFFFFFFFF);
    TacAlphaBlendOptions reflected;
    reflected.Reflected = true;
    BlendAlphaImage(target.View(), {-1, 0, 3, 4}, source.View(), {0, 0, 2, 4}, reflected);
    EXPECT_EQ(target.At(0, 0), 0xFF000000u) << "source column 1 lands at x 0";
    EXPECT_EQ(target.At(1, 0), 0xFFFFFFFFu);
    // Row 4 mirrors source row 3 at alpha 255 / 3 = 85; row 5 at 85 - 127.5 < 0: untouched.
    TacPixmap wide = Filled(2, 7, 0xFFFFFFFF);
    BlendAlphaImage(wide.View(), {0, 0, 2, 4}, source.View(), {0, 0, 2, 4}, reflected);
    EXPECT_EQ(wide.At(0, 4), MakePixel(170, 170, 255)) << "255 + floor(85 * -255 / 256)";
    EXPECT_EQ(wide.At(1, 4), MakePixel(170, 170, 170));
    EXPECT_EQ(wide.At(0, 5), 0xFFFFFFFFu);
}

} // namespace
} // namespace sj

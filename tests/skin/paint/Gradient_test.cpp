#include "skin/paint/sGradient.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>
#include <vector>

namespace sj {
namespace {

constexpr TPixel32 kUntouched = 0x12345678;

TPixel32 Opaque(std::int32_t color) {
    return MakePixel(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

int FloorDiv(int a, int b) {
    return static_cast<int>(std::floor(static_cast<double>(a) / b));
}

// The colour of position p inside a band [first, last] of a step, straight from the rule:
// Color1 + (Color2 - Color1) * k / L, rounded with halves to even.
TPixel32 BandColour(const TsGradPie& step, int p, int first, int last) {
    auto ch = [&](int shift) {
        const int c1 = (step.Color1 >> shift) & 0xFF, c2 = (step.Color2 >> shift) & 0xFF;
        return static_cast<std::uint8_t>(std::nearbyint(c1 + (c2 - c1) * double(p - first) / (last - first)));
    };
    return MakePixel(ch(0), ch(8), ch(16));
}

// Slow reference of the band layouts along one axis of [from, to): the bands are worked
// out first, then each position takes the colour of the last band that contains it.
std::vector<TPixel32> ReferenceBands(const TsGradArray& steps, int from, int to, bool horizontal) {
    struct Band {
        int First, Last;
        std::size_t Step;
    };
    std::vector<Band> bands;
    const int length = to - from;
    int start = from;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        int end;
        if (i + 1 == steps.size())
            end = to - 1;
        else if (horizontal)
            end = std::min(int(std::nearbyint(steps[i].Percent * length / 100.0 + start)), to - 1);
        else
            end = std::min(start + length * steps[i].Percent / 100, to - 1);
        if (end - start > 0)
            bands.push_back({start, end, i});
        start = end;
    }
    std::vector<TPixel32> out;
    for (int p = from; p < to; ++p) {
        TPixel32 c = Opaque(steps[0].Color1); // a single position: the gradient's first colour
        for (const Band& b : bands)
            if (p >= b.First && p <= b.Last)
                c = BandColour(steps[b.Step], p, b.First, b.Last);
        out.push_back(c);
    }
    return out;
}

TEST(GradientBands, TheSkinExampleOverOneHundredRows) {
    const TsGradArray steps = ParseGradientData("16777215;14477287;97;0;0;14477287;14477287;0;0;0");
    TacPixmap bmp(4, 100, kUntouched);
    DrawGradient(bmp.View(), {0, 0, 4, 100}, steps);
    const TPixel32 second = Opaque(14477287);
    EXPECT_EQ(bmp.At(0, 0), 0xFFFFFFFFu);
    for (int y = 0; y <= 97; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(bmp.At(x, y), BandColour(steps[0], y, 0, 97)) << y;
    for (int y = 97; y < 100; ++y)
        EXPECT_EQ(bmp.At(3, y), second);
}

TEST(GradientBands, HorizontalBandEndsRoundHalvesToEven) {
    // Black up to the first band's end, then white. The end is round(start + 10 * p / 100):
    // 0 + 2.5 -> 2, 0 + 3.5 -> 4, and from a rect at x = 1: 1 + 2.5 -> 4.
    for (auto [left, percent, firstWhite] : {std::tuple{0, 25, 2}, std::tuple{0, 35, 4}, std::tuple{1, 25, 4}}) {
        TsGradArray steps = {{0, 0, percent, 1}, {0xFFFFFF, 0xFFFFFF, 0, 0}};
        TacPixmap bmp(left + 10, 1);
        DrawGradient(bmp.View(), {left, 0, left + 10, 1}, steps);
        EXPECT_EQ(bmp.At(firstWhite - 1, 0), 0xFF000000u) << percent;
        EXPECT_EQ(bmp.At(firstWhite, 0), 0xFFFFFFFFu) << percent;
    }
}

// Only the first step's Mode counts: the others carry random modes, triangles included.
TEST(GradientBands, RandomStepsMatchTheReferenceAndStayInsideTheClippedRect) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> colour(0, 0xFFFFFF), percent(0, 100), count(1, 4), coord(-6, 30), mode(0, 2);
    for (int round = 0; round < 400; ++round) {
        TsGradArray steps(static_cast<std::size_t>(count(rng)));
        for (TsGradPie& s : steps)
            s = {colour(rng), colour(rng), percent(rng), mode(rng)};
        steps[0].Mode = mode(rng) % 2;
        const int w = 24, h = 20;
        TacPixmap bmp(w, h, kUntouched);
        int l = coord(rng), t = coord(rng), r = coord(rng), b = coord(rng);
        if (l > r)
            std::swap(l, r);
        if (t > b)
            std::swap(t, b);
        DrawGradient(bmp.View(), {l, t, r, b}, steps);
        const int cl = std::max(l, 0), ct = std::max(t, 0), cr = std::min(r, w), cb = std::min(b, h);
        const bool horizontal = steps[0].Mode == 1;
        std::vector<TPixel32> ref;
        if (cl < cr && ct < cb)
            ref = horizontal ? ReferenceBands(steps, cl, cr, true) : ReferenceBands(steps, ct, cb, false);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool inside = x >= cl && x < cr && y >= ct && y < cb;
                const TPixel32 want = !inside ? kUntouched : ref[horizontal ? x - cl : y - ct];
                ASSERT_EQ(bmp.At(x, y), want) << "round " << round << " at " << x << "," << y;
            }
    }
}

// Records what the gradient hands to the triangle fill.
std::vector<TacTriVertex> GVertices;
std::vector<TacTriangle> GTriangles;
void RecordTriangles(TacPixelsView, std::span<const TacTriVertex> v, std::span<const TacTriangle> t) {
    GVertices.assign(v.begin(), v.end());
    GTriangles.assign(t.begin(), t.end());
}

TEST(GradientTriangles, FiveCornersFromTheStepsWithSixteenBitColours) {
    TsGradArray steps = {{0x0000FF, 0, 0, 2}, {0x00FF00, 0, 0, 0}, {0xFF0000, 0, 0, 0}};
    SetTriangleGradientFill(&RecordTriangles);
    TacPixmap bmp(20, 10);
    DrawGradient(bmp.View(), {2, 1, 12, 9}, steps);
    SetTriangleGradientFill(&FillGradientTriangles);
    ASSERT_EQ(GVertices.size(), 5u);
    EXPECT_EQ(GVertices[0].X, 2);
    EXPECT_EQ(GVertices[0].Y, 1);
    EXPECT_EQ(GVertices[0].Red, 0xFF00);
    EXPECT_EQ(GVertices[0].Alpha, 0xFF00);
    EXPECT_EQ(GVertices[1].X, 7);
    EXPECT_EQ(GVertices[1].Y, 5);
    EXPECT_EQ(GVertices[1].Green, 0xFF00);
    EXPECT_EQ(GVertices[2].X, 12);
    EXPECT_EQ(GVertices[2].Blue, 0xFF00);
    // Missing steps repeat the last colour.
    EXPECT_EQ(GVertices[3].Blue, 0xFF00);
    EXPECT_EQ(GVertices[4].Blue, 0xFF00);
    EXPECT_EQ(GVertices[4].X, 2);
    EXPECT_EQ(GVertices[4].Y, 9);
    EXPECT_EQ(GTriangles.size(), 4u);
}

TEST(GradientTriangles, PortableFillCoversTheRectAndInterpolates) {
    TsGradArray uniform = {{0x336699, 0, 0, 2}};
    TacPixmap bmp(16, 12, kUntouched);
    DrawGradient(bmp.View(), {2, 2, 14, 10}, uniform);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 2 && x < 14 && y >= 2 && y < 10;
            ASSERT_EQ(bmp.At(x, y), inside ? Opaque(0x336699) : kUntouched) << x << "," << y;
        }

    // Black corners, white centre: brightness grows toward the middle.
    TsGradArray centre = {{0, 0, 0, 2}, {0xFFFFFF, 0, 0, 0}, {0, 0, 0, 0}};
    TacPixmap big(41, 41);
    DrawGradient(big.View(), {0, 0, 41, 41}, centre);
    EXPECT_LT(PixelR(big.At(0, 0)), 16);
    EXPECT_GT(PixelR(big.At(20, 20)), 240);
    EXPECT_LT(PixelR(big.At(10, 10)), PixelR(big.At(15, 15)));
    EXPECT_NEAR(PixelR(big.At(10, 20)), 133, 2); // centre weight 10.5 / 20
}

TEST(GradientTriangles, WithoutATriangleFillNothingIsDrawn) {
    SetTriangleGradientFill(nullptr);
    TsGradArray steps = {{0xFFFFFF, 0, 0, 2}};
    TacPixmap bmp(5, 5, kUntouched);
    DrawGradient(bmp.View(), {0, 0, 5, 5}, steps);
    EXPECT_FALSE(CanDrawGradient(steps));
    SetTriangleGradientFill(&FillGradientTriangles);
    EXPECT_EQ(bmp.At(2, 2), kUntouched);
    EXPECT_TRUE(CanDrawGradient(steps));
}

TEST(GradientBands, OneRowTakesTheFirstColourAndEmptyInputsDrawNothing) {
    TsGradArray steps = {{0x0000FF, 0x00FF00, 100, 0}};
    TacPixmap row(6, 3, kUntouched);
    DrawGradient(row.View(), {0, 1, 6, 2}, steps);
    EXPECT_EQ(row.At(3, 1), Opaque(0x0000FF));
    EXPECT_EQ(row.At(3, 0), kUntouched);

    TacPixmap bmp(4, 4, kUntouched);
    DrawGradient(bmp.View(), {0, 0, 4, 4}, {});
    DrawGradient(bmp.View(), {3, 3, 1, 1}, steps);
    DrawGradient(bmp.View(), {5, 5, 9, 9}, steps);
    DrawGradient(TacPixelsView{}, {0, 0, 4, 4}, steps);
    for (TPixel32 p : bmp.Data())
        ASSERT_EQ(p, kUntouched);
}

TEST(GradientWithTexture, EveryPixelMovesTowardTheTileByTheWeight) {
    TsGradArray steps = {{0x102030, 0xF0E0D0, 100, 0}};
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::uint32_t> any;
    TacPixmap texture(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            texture.At(x, y) = any(rng);
    const TacRect tile{2, 1, 5, 4}; // 3 x 3 tile inside the texture image
    const TacRect rect{3, 2, 17, 13};
    TacPixmap plain(20, 15);
    DrawGradient(plain.View(), rect, steps);
    TacPixmap mixed(20, 15, kUntouched);
    DrawGradientWithTexture(mixed.View(), rect, steps, 200, 102, tile, texture.View());
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x) {
            if (x < rect.Left || x >= rect.Right || y < rect.Top || y >= rect.Bottom) {
                ASSERT_EQ(mixed.At(x, y), kUntouched);
                continue;
            }
            // The tiles start at the bitmap's origin, not at rect's.
            const TPixel32 t = texture.At(tile.Left + x % 3, tile.Top + y % 3), g = plain.At(x, y);
            auto ch = [](int gc, int tc) { return static_cast<std::uint8_t>(gc + FloorDiv(102 * (tc - gc), 256)); };
            ASSERT_EQ(mixed.At(x, y),
                      MakePixel(ch(PixelR(g), PixelR(t)), ch(PixelG(g), PixelG(t)), ch(PixelB(g), PixelB(t)), 200))
                << x << "," << y;
        }
}

} // namespace
} // namespace sj

#include "tools/common/Raster.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace sj::tools {
namespace {

template <typename TReal> double AlphaSum(const TBasicLayer<TReal>& layer) {
    double sum = 0;
    for (int y = 0; y < layer.Height(); ++y)
        for (int x = 0; x < layer.Width(); ++x)
            sum += layer.At(x, y).A;
    return sum;
}

TEST(Raster, CoverageFollowsTheShapeArea) {
    TLayerF rect(10, 10);
    rect.Fill(RoundRect(2, 2, 5.5, 4, 0), TColorF{1, 0, 0, 1});
    EXPECT_FLOAT_EQ(rect.At(3, 2).A, 1.0f);
    EXPECT_FLOAT_EQ(rect.At(5, 3).A, 0.5f); // half a pixel covered
    EXPECT_FLOAT_EQ(rect.At(6, 3).A, 0.0f);
    EXPECT_NEAR(AlphaSum(rect), 3.5 * 2, 1e-4);

    TLayerF disc(40, 40);
    disc.Fill(Circle(20, 20, 12), TColorF{0, 0, 1, 1});
    EXPECT_NEAR(AlphaSum(disc), std::numbers::pi * 144, 144 * 0.02);

    TLayerF triangle(20, 20);
    triangle.Fill(Polygon({{0, 0}, {16, 0}, {0, 16}}), TColorF{0, 1, 0, 1});
    EXPECT_NEAR(AlphaSum(triangle), 128, 128 * 0.03);

    TLayer ring(32, 32, 1, 16);
    ring.Fill(Difference(Circle(16, 16, 10), Circle(16, 16, 6)), Rgb(0));
    EXPECT_NEAR(AlphaSum(ring), std::numbers::pi * (100 - 36), 2.0);
}

TEST(Raster, ScaledLayersDrawTheDesignAtTheirSize) {
    for (const int size : {16, 64}) {
        TLayer layer(size, size, size / 16.0, 16);
        layer.Fill(Circle(8, 8, 5), Rgb(0));
        const double scale = size / 16.0;
        EXPECT_NEAR(AlphaSum(layer), std::numbers::pi * 25 * scale * scale, 0.01 * 25 * 3.15 * scale * scale);
    }
    // Paints see drawing coordinates too: the gradient spans the design, not the pixels.
    TLayer layer(8, 8, 2);
    layer.Fill(Rect(0, 0, 4, 4), VerticalGradient(0, Rgb(0x000000), 4, Rgb(0xFF0000)));
    EXPECT_NEAR(layer.At(0, 0).R, 0.25 / 4, 1e-12);
    EXPECT_NEAR(layer.At(0, 7).R, 3.75 / 4, 1e-12);
}

TEST(Raster, EdgePixelsKeepTheirStraightColour) {
    TLayer layer(4, 4, 1, 16);
    layer.Fill(Polygon({{0, 0}, {2.5, 0}, {2.5, 4}, {0, 4}}), Rgb(0xFF0000));
    const TacPixmap image = layer.ToPixmap();
    EXPECT_EQ(image.At(1, 2), MakePixel(255, 0, 0, 255));
    EXPECT_EQ(image.At(2, 2), MakePixel(255, 0, 0, 128));
    EXPECT_EQ(image.At(3, 2), 0u);

    TLayerF edge(2, 1);
    edge.Fill(Rect(0, 0, 1.5, 1), TColorF{0.2f, 0.4f, 0.6f, 1});
    EXPECT_NEAR(edge.At(1, 0).R, 0.2f, 1e-5);
    EXPECT_NEAR(edge.At(1, 0).A, 0.5f, 1e-5);
    EXPECT_EQ(edge.ToPixmap().At(0, 0), MakePixel(51, 102, 153, 255));
}

TEST(Raster, FillsComposeOver) {
    TLayer layer(1, 1);
    layer.Fill(Rect(0, 0, 1, 1), Rgb(0x0000FF, 0.5));
    layer.Fill(Rect(0, 0, 1, 1), Rgb(0xFF0000, 0.5));
    const TPixel32 p = layer.ToPixmap().At(0, 0);
    EXPECT_EQ(PixelA(p), 191); // 0.5 + 0.5 * 0.5
    EXPECT_EQ(PixelR(p), 170); // red 0.5 of 0.75
    EXPECT_EQ(PixelB(p), 85);

    // A whole layer drawn over another, partly beyond its edge.
    TLayerF below(2, 1), above(2, 1);
    below.Fill(Rect(0, 0, 2, 1), TColorF{1, 1, 1, 1});
    above.Fill(Rect(0, 0, 2, 1), TColorF{0, 0, 0, 0.5f});
    below.Draw(above, 1, 0);
    EXPECT_FLOAT_EQ(below.At(0, 0).R, 1.0f);
    EXPECT_FLOAT_EQ(below.At(1, 0).R, 0.5f);
    EXPECT_FLOAT_EQ(below.At(1, 0).A, 1.0f);

    // Clipping keeps the share of each pixel inside the shape.
    below.ClipTo(Rect(0, 0, 1.5, 1));
    EXPECT_FLOAT_EQ(below.At(0, 0).A, 1.0f);
    EXPECT_FLOAT_EQ(below.At(1, 0).A, 0.5f);
    EXPECT_FLOAT_EQ(below.At(1, 0).R, 0.5f);
}

TEST(Raster, ShapesAnswerTheirOwnPoints) {
    // Half-open rectangles: a point on a shared edge belongs to one of them only.
    const TShape left = Rect(0, 0, 2, 2), right = Rect(2, 0, 4, 2);
    EXPECT_TRUE(left.Contains(0.0, 0.0));
    EXPECT_FALSE(left.Contains(2.0, 1.0));
    EXPECT_TRUE(right.Contains(2.0, 1.0));

    // The same outline twice, both turns clockwise: non-zero winding fills it once.
    const TShape twice = Polygon({{2, 2}, {6, 2}, {6, 6}, {2, 6}, {2, 2}, {6, 2}, {6, 6}, {2, 6}});
    EXPECT_TRUE(twice.Contains(4.0, 4.0));

    const TShape stroke = Line({0, 0}, {4, 0}, 2);
    EXPECT_TRUE(stroke.Contains(-0.9, 0.0)); // round cap
    EXPECT_FALSE(stroke.Contains(-0.9, 0.9));
    EXPECT_TRUE(stroke.Contains(2.0, 0.99));

    // A quarter band turning clockwise on screen from the right to the bottom.
    const TShape quarter = Arc(0, 0, 1, 2, 0, 90);
    EXPECT_TRUE(quarter.Contains(1.5, 0.1));
    EXPECT_TRUE(quarter.Contains(0.1, 1.5));
    EXPECT_FALSE(quarter.Contains(0.1, -1.5));
    EXPECT_FALSE(quarter.Contains(0.5, 0.5)); // inside the inner radius

    const TShape moved = Offset(Circle(0, 0, 1), 10, 5);
    EXPECT_TRUE(moved.Contains(10.5, 5.5));
    EXPECT_FALSE(moved.Contains(0.0, 0.0));
    EXPECT_DOUBLE_EQ(moved.Bounds().Left, 9);
    EXPECT_DOUBLE_EQ(moved.Bounds().Bottom, 6);

    const TShape both = Intersection(Circle(0, 0, 2), Rect(0, -5, 5, 5));
    EXPECT_TRUE(both.Contains(1.0, 0.0));
    EXPECT_FALSE(both.Contains(-1.0, 0.0));
    EXPECT_DOUBLE_EQ(both.Bounds().Left, 0);
}

TEST(Raster, BothPrecisionsCoverTheSamePixels) {
    const TShape shape = Union({Difference(RoundRect(1, 1, 15, 11, 4), Circle(8, 6, 2.5)), Line({2, 14}, {14, 12}, 1.5),
                                Polygon({{3, 3}, {7, 3}, {5, 9}}), Arc(8, 8, 3, 5, 45, 120)});
    TLayerF single(16, 16);
    TLayer twice(16, 16);
    single.Fill(shape, TColorF{0, 0, 0, 1});
    twice.Fill(shape, TColor{0, 0, 0, 1});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(single.At(x, y).A, static_cast<float>(twice.At(x, y).A)) << x << "," << y;
}

TEST(Raster, ShapesWithoutAreaOrFarOffTheLayerDrawNothing) {
    TLayer layer(8, 8, 8, 6);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const TShape& shape : {TShape(), Union({}), Polygon({}), Polygon({{1, 1}, {5, 5}}), Offset(Union({}), 3, 3),
                                Circle(1e12, -1e12, 5), Circle(nan, 0, 1), Rect(3, 3, 1, 1)}) {
        layer.Fill(shape, Rgb(0xFF0000));
        EXPECT_EQ(AlphaSum(layer), 0);
    }
    // A negative corner radius draws square corners.
    TLayer square(4, 4);
    square.Fill(RoundRect(0, 0, 4, 4, -2), Rgb(0));
    EXPECT_EQ(AlphaSum(square), 16);
}

TEST(Raster, GradientsRunEitherWay) {
    const TColor red = Rgb(0xFF0000), blue = Rgb(0x0000FF);
    const TPaint down = VerticalGradient(0, red, 10, blue), up = VerticalGradient(10, red, 0, blue);
    EXPECT_DOUBLE_EQ(down(0, 2.5).R, 0.75);
    EXPECT_DOUBLE_EQ(up(0, 2.5).R, 0.25);
    EXPECT_DOUBLE_EQ(up(0, -4).B, 1); // clamped beyond the end
    EXPECT_DOUBLE_EQ(HorizontalGradient(10, red, 0, blue)(7.5, 0).R, 0.75);
    EXPECT_DOUBLE_EQ(VerticalGradient(3, red, 3, blue)(0, 9).R, 1); // no length: the first colour
    // Along a diagonal: constant across it.
    const TPaint diagonal = LinearGradient({0, 0}, red, {4, 4}, blue);
    EXPECT_DOUBLE_EQ(diagonal(4, 0).R, 0.5);
    EXPECT_DOUBLE_EQ(diagonal(0, 4).R, 0.5);
    EXPECT_DOUBLE_EQ(diagonal(9, 9).B, 1);
}

TEST(Raster, PixelsOutsideTheLayerAreClearAndLeftAlone) {
    TLayerF layer(2, 2);
    layer.Set(-1, 0, TColorF{1, 1, 1, 1});
    layer.Set(2, 1, TColorF{1, 1, 1, 1});
    EXPECT_EQ(AlphaSum(layer), 0);
    EXPECT_EQ(layer.At(5, 5).A, 0);
    EXPECT_EQ(layer.At(-1, -1).A, 0);
    layer.Set(1, 1, TColorF{0.5f, 0.25f, 1, 0.5f});
    EXPECT_FLOAT_EQ(layer.At(1, 1).G, 0.25f);
    layer.Clear();
    EXPECT_EQ(AlphaSum(layer), 0);

    EXPECT_EQ(TLayer(-3, 2).Width(), 0);
    EXPECT_THROW(TLayer(4, 4, 0), Exception);
    EXPECT_THROW(TLayer(4, 4, std::numeric_limits<double>::infinity()), Exception);
    EXPECT_THROW(TLayer(4, 4, 1, 0), Exception);
}

TEST(Raster, FaintPixelsKeepTheirColourOrTurnClear) {
    TLayer layer(1, 1);
    layer.Set(0, 0, Rgb(0x336699, 0.001));
    EXPECT_EQ(layer.ToPixmap().At(0, 0), MakePixel(0x33, 0x66, 0x99, 0));
    EXPECT_EQ(layer.ToPixmap(TFaintPixels::Clear).At(0, 0), 0u);
}

TEST(Raster, ColoursConvertBothWays) {
    EXPECT_EQ(ColorRefOf(Rgb(0x123456)), 0x563412u);
    EXPECT_EQ(ColorRefOf(ColorFromRef<float>(0x563412)), 0x563412u);
    EXPECT_FLOAT_EQ(Rgb<float>(0xFF0000, 0.5f).A, 0.5f);
    const TColorF mid = Mix(TColorF{0, 0, 0, 0}, TColorF{1, 0.5f, 0, 1}, 0.5f);
    EXPECT_FLOAT_EQ(mid.R, 0.5f);
    EXPECT_FLOAT_EQ(mid.G, 0.25f);
    EXPECT_FLOAT_EQ(mid.A, 0.5f);
    EXPECT_FLOAT_EQ(WithAlpha(mid, 0.1f).A, 0.1f);
    EXPECT_EQ(ChannelByte(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(ChannelByte(2.0), 255);
}

TEST(Raster, DistanceOutsideARoundedRectangle) {
    const TBox box{0, 0, 10, 10};
    EXPECT_EQ(DistanceOutside(box, 2, {5, 5}), 0);
    EXPECT_GT(DistanceOutside(box, 2, {0.5, 0.5}), 0) << "in the box's corner, beyond its rounding";
    EXPECT_DOUBLE_EQ(DistanceOutside(box, 2, {13, 5}), 3);
    EXPECT_DOUBLE_EQ(DistanceOutside(box, 2, {13, 13}), std::hypot(5, 5) - 2);
}

} // namespace
} // namespace sj::tools

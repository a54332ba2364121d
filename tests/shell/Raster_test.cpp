#include "IcoWriter.h"
#include "Raster.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace sj::art {
namespace {

double TotalCoverage(const TacPixmap& image) {
    double sum = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            sum += PixelA(image.At(x, y)) / 255.0;
    return sum;
}

TEST(Raster, EdgesThroughPixelsGivePartialCoverage) {
    TCanvas canvas(4, 4);
    canvas.Fill(Polygon({{0, 0}, {2.5, 0}, {2.5, 4}, {0, 4}}), Rgb(0xFF0000));
    const TacPixmap image = canvas.ToPixmap();
    EXPECT_EQ(image.At(1, 2), MakePixel(255, 0, 0, 255));
    EXPECT_NEAR(PixelA(image.At(2, 2)), 128, 1);
    EXPECT_EQ(PixelR(image.At(2, 2)), 255) << "straight alpha keeps the colour";
    EXPECT_EQ(image.At(3, 2), 0u);
}

TEST(Raster, AreasMatchTheGeometryAtAnyScale) {
    for (const int size : {16, 64}) {
        TCanvas canvas(size, 16);
        canvas.Fill(Circle(8, 8, 5), Rgb(0));
        const double scale = size / 16.0;
        EXPECT_NEAR(TotalCoverage(canvas.ToPixmap()), std::numbers::pi * 25 * scale * scale,
                    0.01 * 25 * 3.15 * scale * scale);
    }
    TCanvas ring(32, 32);
    ring.Fill(Difference(Circle(16, 16, 10), Circle(16, 16, 6)), Rgb(0));
    EXPECT_NEAR(TotalCoverage(ring.ToPixmap()), std::numbers::pi * (100 - 36), 2.0);
}

TEST(Raster, OverlappingFillsComposeOver) {
    TCanvas canvas(1, 1);
    canvas.Fill(Polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}), Rgb(0x0000FF, 0.5));
    canvas.Fill(Polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}), Rgb(0xFF0000, 0.5));
    const TPixel32 p = canvas.ToPixmap().At(0, 0);
    EXPECT_NEAR(PixelA(p), 191, 1); // 0.5 + 0.5 * 0.5
    EXPECT_NEAR(PixelR(p), 170, 1); // red 0.5 of 0.75
    EXPECT_NEAR(PixelB(p), 85, 1);
}

TEST(Raster, WindingRuleFillsSelfOverlapOnce) {
    TCanvas canvas(8, 8);
    // The same square twice in one polygon, both turns clockwise: non-zero winding fills it once.
    canvas.Fill(Polygon({{2, 2}, {6, 2}, {6, 6}, {2, 6}, {2, 2}, {6, 2}, {6, 6}, {2, 6}}), Rgb(0, 0.5));
    EXPECT_NEAR(PixelA(canvas.ToPixmap().At(4, 4)), 128, 1);
}

TEST(IcoWriter, RefusesImagesAnIconCannotHold) {
    EXPECT_THROW(EncodeIco({}), Exception);
    EXPECT_THROW(EncodeIco({TacPixmap(16, 8)}), Exception);
    EXPECT_THROW(EncodeIco({TacPixmap(300, 300)}), Exception);
}

} // namespace
} // namespace sj::art

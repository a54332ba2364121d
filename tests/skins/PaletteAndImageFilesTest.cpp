#include "tools/skingen/ImageFiles.h"
#include "tools/skingen/Palette.h"

#include <gtest/gtest.h>

namespace sj::skingen {
namespace {

TEST(Palette, ContrastAndReadableText) {
    EXPECT_NEAR(ContrastRatio(Rgb(0xFFFFFF), Rgb(0x000000)), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Rgb(0x777777), Rgb(0xFFFFFF)), 4.48, 0.01);
    // A preferred colour that is too weak is pushed until it reads on every face given.
    const TColorF text = ReadableOn({Rgb(0x3366CC), Rgb(0x2255AA)}, Rgb(0x4477DD));
    EXPECT_GE(ContrastRatio(text, Rgb(0x3366CC)), 4.8);
    EXPECT_GE(ContrastRatio(text, Rgb(0x2255AA)), 4.8);
    // Faces no colour can serve both get the better of black and white.
    EXPECT_EQ(RefOf(ReadableOn({Rgb(0x3366CC), Rgb(0x5588EE)}, Rgb(0x4477DD))), 0x000000u);
    const TColorF kept = ReadableOn({Rgb(0xFFFFFF)}, Rgb(0x202020));
    EXPECT_EQ(RefOf(kept), RefOf(Rgb(0x202020)));
}

TEST(ImageFiles, Bmp24IsBottomUpWithPaddedRows) {
    TacPixmap pix(3, 2);
    pix.At(0, 0) = MakePixel(255, 0, 255, 0); // the key colour keeps its RGB
    pix.At(2, 1) = MakePixel(1, 2, 3);
    const std::vector<std::uint8_t> b = EncodeBmp24(pix);
    ASSERT_EQ(b.size(), 54u + 2 * 12); // 9 bytes of pixels padded to 12 per row
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[28], 24);
    // First stored row is the bottom one: its last pixel is (2, 1) in B, G, R order.
    EXPECT_EQ(b[54 + 6], 3);
    EXPECT_EQ(b[54 + 7], 2);
    EXPECT_EQ(b[54 + 8], 1);
    // Second stored row is the top one, starting with magenta.
    EXPECT_EQ(b[54 + 12], 255);
    EXPECT_EQ(b[54 + 13], 0);
    EXPECT_EQ(b[54 + 14], 255);
}

TEST(ImageFiles, JpegHasMarkers) {
    TacPixmap pix(16, 8, MakePixel(200, 100, 50));
    const std::vector<std::uint8_t> j = EncodeJpeg(pix, 90);
    ASSERT_GT(j.size(), 4u);
    EXPECT_EQ(j[0], 0xFF);
    EXPECT_EQ(j[1], 0xD8);
    EXPECT_EQ(j[j.size() - 2], 0xFF);
    EXPECT_EQ(j[j.size() - 1], 0xD9);
}

} // namespace
} // namespace sj::skingen

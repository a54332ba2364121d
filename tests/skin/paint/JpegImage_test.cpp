#include "skin/paint/acJpegImage.h"

#include "JpegBuilder.h"
#include "PeakMemory.h"

#include <gtest/gtest.h>

#include <vector>

namespace sj {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::EncodeJpeg;

// Lossy: channels within a small tolerance.
void ExpectNear(TPixel32 actual, std::uint8_t r, std::uint8_t g, std::uint8_t b, int tolerance = 3) {
    EXPECT_NEAR(PixelR(actual), r, tolerance);
    EXPECT_NEAR(PixelG(actual), g, tolerance);
    EXPECT_NEAR(PixelB(actual), b, tolerance);
    EXPECT_EQ(PixelA(actual), 255);
}

Bytes Solid(int w, int h, std::initializer_list<std::uint8_t> sample) {
    Bytes b;
    for (int i = 0; i < w * h; ++i)
        b.insert(b.end(), sample);
    return b;
}

TEST(JpegDecode, ColourGreyAndProgressive) {
    // Left half red, right half blue, so rows and columns cannot be swapped unnoticed.
    Bytes rgb;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x)
            rgb.insert(rgb.end(), x < 8 ? std::initializer_list<std::uint8_t>{200, 30, 40}
                                        : std::initializer_list<std::uint8_t>{20, 40, 220});
    for (bool progressive : {false, true}) {
        const TacPixmap img = DecodeJpeg(EncodeJpeg(24, 16, 3, JCS_RGB, rgb, progressive));
        ASSERT_EQ(img.Width(), 24);
        ASSERT_EQ(img.Height(), 16);
        ExpectNear(img.At(2, 3), 200, 30, 40);
        ExpectNear(img.At(20, 14), 20, 40, 220);
    }
    const TacPixmap grey = DecodeJpeg(EncodeJpeg(9, 5, 1, JCS_GRAYSCALE, Solid(9, 5, {77})));
    ExpectNear(grey.At(8, 4), 77, 77, 77, 1);
}

TEST(JpegDecode, AdobeCmyk) {
    // Adobe files store the inks inverted: 255 - C, 255 - M, 255 - Y, 255 - K.
    // C 0, M 255, Y 255, K 0 is red.
    const TacPixmap img = DecodeJpeg(EncodeJpeg(8, 8, 4, JCS_CMYK, Solid(8, 8, {255, 0, 0, 255})));
    ExpectNear(img.At(4, 4), 255, 0, 0);
}

TEST(JpegDecode, ExactMagentaFollowsTheAlphaRule) {
    const Bytes file = EncodeJpeg(8, 8, 3, JCS_RGB, Solid(8, 8, {255, 0, 255}));
    const TacPixmap keyed = DecodeJpeg(file);
    const TacPixmap opaque = DecodeJpeg(file, TacNoAlpha::Opaque);
    for (int i = 0; i < 64; ++i) {
        const TPixel32 p = opaque.Data()[static_cast<std::size_t>(i)];
        ASSERT_EQ(PixelA(p), 255);
        const bool magenta = (p & 0xFFFFFF) == 0xFF00FF;
        ASSERT_EQ(keyed.Data()[static_cast<std::size_t>(i)], magenta ? clKeyPixel : p);
    }
}

TEST(JpegDecode, BadDataThrowsInsteadOfExiting) {
    EXPECT_THROW(DecodeJpeg(Bytes{}), EInvalidGraphic);
    try {
        DecodeJpeg(Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0});
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot load image. Invalid or unexpected JPEG image format. ", 0), 0u)
            << e.what();
    }
    const Bytes good = EncodeJpeg(16, 16, 3, JCS_RGB, Solid(16, 16, {1, 2, 3}));
    // Every prefix either decodes (libjpeg fills what is missing) or throws.
    for (std::size_t n = 0; n < good.size(); n += 7) {
        try {
            DecodeJpeg(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)));
        } catch (const EInvalidGraphic&) {
        }
    }
    // The frame header declares 60000 x 60000 pixels: refused before decoding.
    Bytes huge = good;
    for (std::size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 0xEA;
            huge[i + 6] = 0x60;
            huge[i + 7] = 0xEA;
            huge[i + 8] = 0x60;
            break;
        }
    try {
        DecodeJpeg(huge);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Cannot load image. Image size is not supported for JPEG files.");
    }
}

// The size in the frame header of the first baseline frame set to width x height.
Bytes WithFrameSize(Bytes file, std::uint16_t width, std::uint16_t height) {
    for (std::size_t i = 0; i + 8 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = static_cast<std::uint8_t>(height >> 8);
            file[i + 6] = static_cast<std::uint8_t>(height);
            file[i + 7] = static_cast<std::uint8_t>(width >> 8);
            file[i + 8] = static_cast<std::uint8_t>(width);
            break;
        }
    return file;
}

// libjpeg would fill a cut-short image with grey, so only the data's size can show
// that a header claims far more than the file holds.
TEST(JpegDecode, HugeClaimsOverLittleDataFailBeforeAllocating) {
    const Bytes small = EncodeJpeg(16, 16, 3, JCS_RGB, Solid(16, 16, {1, 2, 3}));
    ASSERT_LT(small.size(), 2000u);
    const std::int64_t peak = test::PeakResidentKilobytes();
    EXPECT_THROW(DecodeJpeg(WithFrameSize(small, 8000, 8000)), EInvalidGraphic);
    EXPECT_TRUE(test::PeakGrewLessThan(peak, 64 * 1024));
    EXPECT_THROW(DecodeJpeg(small, TacNoAlpha::KeyClear, 255), EImageTooLarge);

    // A plain picture, as compressible as pictures get, is well within what data can hold.
    const Bytes plain = EncodeJpeg(512, 512, 1, JCS_GRAYSCALE, Solid(512, 512, {90}));
    ExpectNear(DecodeJpeg(plain).At(511, 511), 90, 90, 90);
}

} // namespace
} // namespace sj

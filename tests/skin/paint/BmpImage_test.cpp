#include "skin/paint/acBmpImage.h"

#include "PeakMemory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace sj {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ::testing::ElementsAre;

std::vector<TPixel32> RowOf(const TacPixmap& image, int y) {
    return std::vector<TPixel32>(image.Row(y), image.Row(y) + image.Width());
}

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// Builds a BMP file with a 40-byte header from rows given top-down (each row the
// file's row bytes without padding).
struct BmpPlan {
    int Width = 1;
    int Height = 1;
    int Bits = 24;
    std::uint32_t Compression = 0;
    bool TopDown = false;
    std::vector<std::uint32_t> Palette; // 0x00RRGGBB
    std::vector<std::uint32_t> Masks;   // bit fields after the header
    std::vector<Bytes> Rows;            // top-down
    Bytes Rle;                          // compressed data instead of rows
};

Bytes BuildBmp(const BmpPlan& s) {
    const std::size_t stride = ((static_cast<std::size_t>(s.Width) * s.Bits + 31) / 32) * 4;
    const std::size_t paletteOffset = 14 + 40 + 4 * s.Masks.size();
    const std::size_t pixelOffset = paletteOffset + 4 * s.Palette.size();
    Bytes b(pixelOffset);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, static_cast<std::uint32_t>(pixelOffset));
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<std::uint32_t>(s.Width));
    Put32(b, 22, static_cast<std::uint32_t>(s.TopDown ? -s.Height : s.Height));
    Put16(b, 26, 1);
    Put16(b, 28, static_cast<std::uint32_t>(s.Bits));
    Put32(b, 30, s.Compression);
    Put32(b, 46, static_cast<std::uint32_t>(s.Palette.size()));
    for (std::size_t i = 0; i < s.Masks.size(); ++i)
        Put32(b, 54 + 4 * i, s.Masks[i]);
    for (std::size_t i = 0; i < s.Palette.size(); ++i)
        Put32(b, paletteOffset + 4 * i, s.Palette[i]);
    if (!s.Rle.empty()) {
        b.insert(b.end(), s.Rle.begin(), s.Rle.end());
    } else {
        for (int i = 0; i < s.Height; ++i) {
            const Bytes& row = s.Rows[static_cast<std::size_t>(s.TopDown ? i : s.Height - 1 - i)];
            Bytes padded = row;
            padded.resize(stride, 0);
            b.insert(b.end(), padded.begin(), padded.end());
        }
    }
    Put32(b, 2, static_cast<std::uint32_t>(b.size()));
    return b;
}

std::string ErrorOf(const Bytes& file) {
    try {
        ReadBmp(file);
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "no error";
}

TEST(BmpDecode, TrueColourRowsAndKeyColour) {
    BmpPlan s;
    s.Width = 3;
    s.Height = 2;
    // Top row: blue, magenta, white; bottom row: red, green, almost-magenta.
    s.Rows = {{0xFF, 0, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0xFF, 0, 0xFF, 0, 0xFE, 0, 0xFF}};
    for (bool topDown : {false, true}) {
        s.TopDown = topDown;
        const TacBmpImage img = ReadBmp(BuildBmp(s));
        ASSERT_EQ(img.Pixels.Width(), 3);
        ASSERT_EQ(img.Pixels.Height(), 2);
        EXPECT_EQ(img.BitsPerPixel, 24);
        EXPECT_FALSE(img.HasAlpha);
        EXPECT_THAT(RowOf(img.Pixels, 0), ElementsAre(0xFF0000FFu, clKeyPixel, 0xFFFFFFFFu))
            << "magenta is the clear key pixel";
        EXPECT_THAT(RowOf(img.Pixels, 1), ElementsAre(0xFFFF0000u, 0xFF00FF00u, 0xFFFF00FEu));
    }
    s.TopDown = false;
    EXPECT_EQ(ReadBmp(BuildBmp(s), TacNoAlpha::Opaque).Pixels.At(1, 0), 0xFFFF00FFu);
}

TEST(BmpDecode, ThirtyTwoBitsKeepStoredAlpha) {
    BmpPlan s;
    s.Width = 2;
    s.Bits = 32;
    s.Rows = {{0xFF, 0, 0xFF, 0xFF, 0x10, 0x20, 0x30, 0x40}};
    const TacBmpImage img = ReadBmp(BuildBmp(s));
    EXPECT_TRUE(img.HasAlpha);
    EXPECT_EQ(img.Pixels.At(0, 0), 0xFFFF00FFu) << "opaque magenta is an ordinary pixel";
    EXPECT_EQ(img.Pixels.At(1, 0), 0x40302010u);

    s.Compression = 3; // bit fields, no alpha mask: the fourth byte is padding
    s.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    s.Rows = {{0xFF, 0, 0xFF, 0x00, 0x10, 0x20, 0x30, 0x40}};
    const TacBmpImage fields = ReadBmp(BuildBmp(s));
    EXPECT_FALSE(fields.HasAlpha);
    EXPECT_EQ(fields.Pixels.At(0, 0), clKeyPixel);
    EXPECT_EQ(fields.Pixels.At(1, 0), 0xFF302010u);
}

// Most writers leave the fourth byte of a 32-bit pixel 0 and call it unused.
TEST(BmpDecode, ThirtyTwoBitsWithAlphaZeroEverywhereAreOpaque) {
    BmpPlan s;
    s.Width = 3;
    s.Bits = 32;
    s.Rows = {{0x10, 0x20, 0x30, 0, 0xFF, 0, 0xFF, 0, 0x01, 0x02, 0x03, 0}};
    BmpPlan fields = s; // the same pixels with an alpha bit field
    fields.Compression = 6;
    fields.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    for (const BmpPlan& plan : {s, fields}) {
        const TacBmpImage img = ReadBmp(BuildBmp(plan));
        EXPECT_FALSE(img.HasAlpha);
        EXPECT_THAT(RowOf(img.Pixels, 0), ElementsAre(0xFF302010u, clKeyPixel, 0xFF030201u));
        EXPECT_EQ(ReadBmp(BuildBmp(plan), TacNoAlpha::Opaque).Pixels.At(1, 0), 0xFFFF00FFu);
    }

    // One pixel with alpha: the byte is alpha after all, and every pixel keeps its own.
    s.Rows[0][11] = 0x80;
    const TacBmpImage some = ReadBmp(BuildBmp(s));
    EXPECT_TRUE(some.HasAlpha);
    EXPECT_THAT(RowOf(some.Pixels, 0), ElementsAre(0x00302010u, 0x00FF00FFu, 0x80030201u));
}

TEST(BmpDecode, SixteenBitLayouts) {
    BmpPlan s;
    s.Width = 2;
    s.Bits = 16;
    // 5-5-5: pure red 0x7C00, mid grey (16,16,16) 0x4210.
    s.Rows = {{0x00, 0x7C, 0x10, 0x42}};
    TacBmpImage img = ReadBmp(BuildBmp(s));
    EXPECT_EQ(img.Pixels.At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(img.Pixels.At(1, 0), 0xFF848484u); // 16 * 255 / 31 rounded = 132
    // 5-6-5 bit fields: pure green 0x07E0, magenta 0xF81F.
    s.Compression = 3;
    s.Masks = {0xF800, 0x07E0, 0x001F};
    s.Rows = {{0xE0, 0x07, 0x1F, 0xF8}};
    img = ReadBmp(BuildBmp(s));
    EXPECT_EQ(img.Pixels.At(0, 0), 0xFF00FF00u);
    EXPECT_EQ(img.Pixels.At(1, 0), clKeyPixel);
    // An alpha bit field (1-5-5-5) is not honoured, whatever its bits say.
    s.Compression = 6;
    s.Masks = {0x7C00, 0x03E0, 0x001F, 0x8000};
    s.Rows = {{0x00, 0x7C, 0x10, 0xC2}};
    img = ReadBmp(BuildBmp(s));
    EXPECT_FALSE(img.HasAlpha);
    EXPECT_THAT(RowOf(img.Pixels, 0), ElementsAre(0xFFFF0000u, 0xFF848484u));
}

TEST(BmpDecode, PalettedDepths) {
    BmpPlan s;
    s.Width = 9;
    s.Height = 1;
    s.Palette = {0x000000, 0xFF00FF, 0x123456};
    s.Bits = 8;
    s.Rows = {{0, 1, 2, 3, 255, 0, 1, 2, 0}};
    TacBmpImage img = ReadBmp(BuildBmp(s));
    EXPECT_EQ(img.BitsPerPixel, 8);
    const TPixel32 black = 0xFF000000u, other = 0xFF123456u;
    EXPECT_THAT(RowOf(img.Pixels, 0),
                ElementsAre(black, clKeyPixel, other, black, black, black, clKeyPixel, other, black))
        << "index beyond a short palette shows black";

    s.Bits = 4;
    s.Rows = {{0x01, 0x20, 0x12, 0x00, 0x20}};
    img = ReadBmp(BuildBmp(s));
    EXPECT_THAT(RowOf(img.Pixels, 0),
                ElementsAre(black, clKeyPixel, other, black, clKeyPixel, other, black, black, other));

    s.Bits = 1;
    s.Palette = {0xFFFFFF, 0x0000FF};
    s.Rows = {{0b10100000, 0b10000000}};
    img = ReadBmp(BuildBmp(s));
    const TPixel32 white = 0xFFFFFFFFu, blue = 0xFF0000FFu;
    EXPECT_THAT(RowOf(img.Pixels, 0), ElementsAre(blue, white, blue, white, white, white, white, white, blue));
}

TEST(BmpDecode, OldOs2Header) {
    Bytes b(14 + 12 + 3 * 2);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, static_cast<std::uint32_t>(b.size()));
    Put32(b, 14, 12);
    Put16(b, 18, 2);
    Put16(b, 20, 1);
    Put16(b, 22, 1);
    Put16(b, 24, 1);
    b[31] = 0xFF;      // entry 1: red (entries are blue, green, red)
    b.push_back(0x40); // pixels 0 and 1: indexes 0, 1
    b.insert(b.end(), 3, 0);
    const TacPixmap img = DecodeBmp(b);
    EXPECT_THAT(RowOf(img, 0), ElementsAre(0xFF000000u, 0xFFFF0000u));
}

TEST(BmpDecode, RunLengthEncoded) {
    BmpPlan s;
    s.Width = 4;
    s.Height = 3;
    s.Bits = 8;
    s.Compression = 1;
    s.Palette = {0x111111, 0x222222, 0x333333};
    // Bottom row: one index 1, the absolute run 2, 1, 2 (padded to a word), end of
    // line; the middle row is skipped by a delta of (1, 1); top row from x = 1: a run
    // of 2s past the width, end of bitmap.
    s.Rle = {1, 1, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 1, 1, 8, 2, 0, 1};
    const TacPixmap img = DecodeBmp(BuildBmp(s));
    const TPixel32 one = 0xFF111111u, two = 0xFF222222u, three = 0xFF333333u;
    EXPECT_THAT(RowOf(img, 2), ElementsAre(two, three, two, three));
    EXPECT_THAT(RowOf(img, 1), ElementsAre(one, one, one, one)) << "pixels the data skips keep palette entry 0";
    EXPECT_THAT(RowOf(img, 0), ElementsAre(one, three, three, three));

    s.Bits = 4;
    s.Compression = 2;
    s.Height = 1;
    s.Rle = {3, 0x12, 0, 3, 0x20, 0x10, 0, 1};
    const TacPixmap four = DecodeBmp(BuildBmp(s));
    EXPECT_THAT(RowOf(four, 0), ElementsAre(two, three, two, three));
}

TEST(BmpDecode, BadFilesThrowClearErrors) {
    BmpPlan s;
    s.Width = 2;
    s.Height = 2;
    s.Rows = {Bytes(6, 1), Bytes(6, 2)};
    const Bytes good = BuildBmp(s);
    const std::string invalid = "Cannot load image. Invalid or unexpected BMP image format.";

    Bytes wrongMagic = good;
    wrongMagic[0] = 'X';
    EXPECT_EQ(ErrorOf(wrongMagic), invalid);
    EXPECT_EQ(ErrorOf(Bytes(good.begin(), good.end() - 4)), invalid) << "pixel data cut short";
    EXPECT_EQ(ErrorOf(Bytes(good.begin(), good.begin() + 20)), invalid) << "header cut short";

    Bytes zeroWidth = good;
    Put32(zeroWidth, 18, 0);
    EXPECT_EQ(ErrorOf(zeroWidth), invalid);
    Bytes huge = good;
    Put32(huge, 18, 0x7FFFFFFF);
    Put32(huge, 22, 0x80000000); // the most negative height, top-down
    EXPECT_EQ(ErrorOf(huge), "Cannot load image. Image size is not supported for BMP files.");
    Bytes twoBits = good;
    Put16(twoBits, 28, 2);
    EXPECT_EQ(ErrorOf(twoBits), "Cannot load image. The bit depth is not supported for BMP files.");
    Bytes jpegInside = good;
    Put32(jpegInside, 30, 4);
    EXPECT_EQ(ErrorOf(jpegInside), "Cannot load image. The compression scheme is not supported for BMP files.");
    Bytes oddHeader = good;
    Put32(oddHeader, 14, 20);
    EXPECT_EQ(ErrorOf(oddHeader), invalid);
}

// A few hundred bytes whose header claims 8192 x 8192 pixels (256 MB) are refused
// before the image is allocated.
TEST(BmpDecode, HugeClaimsOverLittleDataFailBeforeAllocating) {
    BmpPlan raw;
    raw.Width = 2;
    raw.Height = 2;
    raw.Rows = {Bytes(6, 1), Bytes(6, 2)};
    BmpPlan rle;
    rle.Width = 4;
    rle.Height = 1;
    rle.Bits = 8;
    rle.Compression = 1;
    rle.Palette = {0x111111, 0x222222};
    rle.Rle = {4, 1, 0, 0, 0, 1};
    const std::int64_t peak = test::PeakResidentKilobytes();
    for (const BmpPlan& s : {raw, rle}) {
        Bytes file = BuildBmp(s);
        file.resize(600, 0);
        Put32(file, 18, 8192);
        Put32(file, 22, 8192);
        EXPECT_EQ(ErrorOf(file), "Cannot load image. Invalid or unexpected BMP image format.") << s.Compression;
    }
    EXPECT_TRUE(test::PeakGrewLessThan(peak, 64 * 1024));

    // Run-length data may leave any part of the image to palette entry 0; a small image
    // may do so with next to no data.
    Bytes sparse = BuildBmp(rle);
    Put32(sparse, 18, 1000);
    Put32(sparse, 22, 1000);
    const TacPixmap blank = DecodeBmp(sparse);
    EXPECT_EQ(blank.At(3, 999), 0xFF222222u);
    EXPECT_EQ(blank.At(999, 0), 0xFF111111u);
    // What a skin may still hold can lower the limit for one call.
    EXPECT_THROW(ReadBmp(sparse, TacNoAlpha::KeyClear, 999999), EImageTooLarge);
}

// Every prefix of valid files either decodes or throws EInvalidGraphic.
TEST(BmpDecode, TruncatedFilesNeverReadOutOfBounds) {
    BmpPlan rle;
    rle.Width = 5;
    rle.Height = 2;
    rle.Bits = 8;
    rle.Compression = 1;
    rle.Palette = {1, 2, 3};
    rle.Rle = {0, 5, 1, 2, 0, 1, 2, 0, 0, 0, 5, 2, 0, 1};
    BmpPlan paletted;
    paletted.Width = 7;
    paletted.Height = 3;
    paletted.Bits = 4;
    paletted.Palette = {1, 2};
    paletted.Rows = {Bytes(4, 0x10), Bytes(4, 0x01), Bytes(4, 0x11)};
    for (const BmpPlan& s : {rle, paletted}) {
        const Bytes file = BuildBmp(s);
        for (std::size_t n = 0; n <= file.size(); ++n) {
            const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
            try {
                ReadBmp(prefix);
            } catch (const EInvalidGraphic&) {
            }
        }
    }
}

} // namespace
} // namespace sj

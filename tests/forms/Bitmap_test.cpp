// The 32-bit bitmap: memory layout, resizing, BMP reading and writing (including
// damaged files), and drawing with alpha and with a transparent colour.
#include "forms/Bitmap.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace sj {
namespace {

void Put16(std::string& s, std::size_t at, std::uint32_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    Put16(s, at, v & 0xFFFF);
    Put16(s, at + 2, v >> 16);
}

// A BMP file: headers, `palette` (4 bytes per entry) and `rows` already padded.
std::string MakeBmp(int width, int height, int bits, const std::string& palette, const std::string& rows,
                    std::uint32_t compression = 0) {
    std::string file(54, '\0');
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 10, static_cast<std::uint32_t>(54 + palette.size()));
    Put32(file, 14, 40);
    Put32(file, 18, static_cast<std::uint32_t>(width));
    Put32(file, 22, static_cast<std::uint32_t>(height));
    Put16(file, 26, 1);
    Put16(file, 28, static_cast<std::uint32_t>(bits));
    Put32(file, 30, compression);
    file += palette;
    file += rows;
    Put32(file, 2, static_cast<std::uint32_t>(file.size()));
    return file;
}

void LoadBmp(TBitmap& bitmap, const std::string& file) {
    std::istringstream in(file);
    bitmap.LoadFromStream(in);
}

TEST(Bitmap, TopDownBgraLayoutWithoutPadding) {
    TBitmap bitmap(3, 2);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf32bit);
    const TacPixelsView view = bitmap.Pixels();
    ASSERT_EQ(view.Width, 3);
    ASSERT_EQ(view.Stride, 3);
    EXPECT_EQ(bitmap.ScanLine(1), bitmap.ScanLine(0) + 3);

    bitmap.ScanLine(0)[0] = MakePixel(0x11, 0x22, 0x33, 0x44);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(bitmap.ScanLine(0));
    EXPECT_EQ(bytes[0], 0x33); // blue first
    EXPECT_EQ(bytes[1], 0x22);
    EXPECT_EQ(bytes[2], 0x11);
    EXPECT_EQ(bytes[3], 0x44);
    // GDI sees the first row in memory as the top row.
    EXPECT_EQ(bitmap.Canvas().Pixel(0, 0), static_cast<TColor>(RGB(0x11, 0x22, 0x33)));

    EXPECT_THROW(bitmap.ScanLine(2), Exception);
    EXPECT_THROW(bitmap.ScanLine(-1), Exception);
    EXPECT_THROW(bitmap.SetPixelFormat(TPixelFormat::pf24bit), Exception);
}

TEST(Bitmap, ResizeKeepsTheOverlapAndCanvasFollows) {
    TBitmap bitmap(2, 2);
    bitmap.ScanLine(1)[1] = 0xFF123456;
    int changes = 0;
    bitmap.OnChange = [&] { ++changes; };
    bitmap.SetSize(4, 3);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(bitmap.ScanLine(1)[1], 0xFF123456u);
    EXPECT_EQ(bitmap.ScanLine(2)[3], 0u);

    bitmap.Canvas().Brush().SetColor(clRed);
    bitmap.Canvas().FillRect(RECT{0, 0, 4, 3});
    EXPECT_EQ(bitmap.ScanLine(2)[3] & 0xFFFFFF, 0xFF0000u) << "the canvas draws into the new DIB";

    bitmap.SetSize(0, 5);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Pixels().Bits, nullptr);
}

TEST(Bitmap, PixmapRoundTrip) {
    TacPixmap pixmap(3, 2, 0x80FF00FF);
    pixmap.At(2, 1) = clKeyPixel;
    TBitmap bitmap;
    bitmap.Assign(pixmap);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.ScanLine(1)[2], clKeyPixel);
    TacPixmap back = bitmap.ToPixmap();
    EXPECT_EQ(back.Data(), pixmap.Data());

    TBitmap copy;
    copy.Assign(bitmap);
    EXPECT_EQ(copy.ToPixmap().Data(), pixmap.Data());
}

TEST(Bitmap, BmpRoundTripKeepsAlpha) {
    TacPixmap pixmap(5, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            pixmap.At(x, y) = MakePixel(static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 80), 7,
                                        static_cast<std::uint8_t>(x * 50 + y));
        }
    }
    TBitmap bitmap;
    bitmap.Assign(pixmap);
    std::ostringstream out;
    bitmap.SaveToStream(out);
    EXPECT_EQ(out.str().size(), 54u + 5 * 3 * 4);

    TBitmap loaded;
    LoadBmp(loaded, out.str());
    EXPECT_EQ(loaded.ToPixmap().Data(), pixmap.Data());
}

TEST(Bitmap, LoadsBottomUp24BitAndPalettedFilesWithAlphaZero) {
    // 2 x 2, 24 bits, bottom-up: first stored row is the bottom one; rows pad to 4 bytes.
    std::string rows;
    rows += std::string("\x01\x02\x03\x04\x05\x06\0\0", 8); // bottom: (3,2,1) (6,5,4) as RGB
    rows += std::string("\xFF\x00\xFF\x10\x20\x30\0\0", 8); // top: magenta, (0x30,0x20,0x10)
    TBitmap bitmap;
    LoadBmp(bitmap, MakeBmp(2, 2, 24, "", rows));
    ASSERT_EQ(bitmap.Width(), 2);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.ScanLine(0)[0], clKeyPixel) << "the key colour survives with alpha 0";
    EXPECT_EQ(bitmap.ScanLine(0)[1], 0x00302010u);
    EXPECT_EQ(bitmap.ScanLine(1)[0], 0x00030201u);
    EXPECT_EQ(bitmap.ScanLine(1)[1], 0x00060504u);

    // 3 x 1, 8 bits with a two-colour palette.
    const std::string palette("\x00\x00\xFF\x00\x00\xFF\x00\x00", 8); // red, green
    std::string paletted = MakeBmp(3, 1, 8, palette, std::string("\x01\x00\x01\x00", 4));
    Put32(paletted, 46, 2); // colours used
    LoadBmp(bitmap, paletted);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0x0000FF00u);
    EXPECT_EQ(bitmap.ScanLine(0)[1], 0x00FF0000u);
}

TEST(Bitmap, DamagedFilesAreRefusedAndLeaveTheBitmapAlone) {
    TBitmap bitmap(1, 1);
    bitmap.ScanLine(0)[0] = 0xFF010203;
    const std::string good = MakeBmp(2, 2, 32, "", std::string(16, '\x7F'));

    std::vector<std::string> damaged;
    damaged.push_back("");
    damaged.push_back("BM");
    damaged.push_back(good.substr(0, good.size() - 1)); // pixel data cut short
    std::string notBmp = good;
    notBmp[0] = 'X';
    damaged.push_back(notBmp);
    std::string huge = good;
    Put32(huge, 18, 0x7FFFFFFF); // width far beyond the data
    damaged.push_back(huge);
    std::string zeroWidth = good;
    Put32(zeroWidth, 18, 0);
    damaged.push_back(zeroWidth);
    std::string badDepth = good;
    Put16(badDepth, 28, 7);
    damaged.push_back(badDepth);
    std::string offsetPastEnd = good;
    Put32(offsetPastEnd, 10, 0x10000);
    damaged.push_back(offsetPastEnd);
    std::string badHeaderSize = good;
    Put32(badHeaderSize, 14, 0xFFFFFF00);
    damaged.push_back(badHeaderSize);

    for (std::size_t i = 0; i < damaged.size(); ++i) {
        std::istringstream in(damaged[i]);
        EXPECT_THROW(bitmap.LoadFromStream(in), Exception) << "case " << i;
        EXPECT_EQ(bitmap.Width(), 1) << "case " << i;
        EXPECT_EQ(bitmap.ScanLine(0)[0], 0xFF010203u) << "case " << i;
    }
}

TEST(Bitmap, DrawsWithStraightAlpha) {
    TBitmap target(2, 1);
    target.Canvas().Brush().SetColor(clWhite);
    target.Canvas().FillRect(RECT{0, 0, 2, 1});

    TBitmap source(2, 1);
    source.ScanLine(0)[0] = MakePixel(0, 0, 0, 0);   // fully clear
    source.ScanLine(0)[1] = MakePixel(0, 0, 0, 128); // half black
    source.SetAlphaFormat(TAlphaFormat::afDefined);
    target.Canvas().Draw(0, 0, source);

    EXPECT_EQ(target.ScanLine(0)[0] & 0xFFFFFF, 0xFFFFFFu);
    const int red = PixelR(target.ScanLine(0)[1]);
    EXPECT_NEAR(red, 127, 2);
}

TEST(Bitmap, TransparentDrawSkipsTheBottomLeftColour) {
    TBitmap target(2, 2);
    target.Canvas().Brush().SetColor(clBlue);
    target.Canvas().FillRect(RECT{0, 0, 2, 2});

    TBitmap source(2, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            source.ScanLine(y)[x] = 0x00FF00FF;
        }
    }
    source.ScanLine(0)[1] = 0x00FF0000; // one red pixel at the top right
    source.SetTransparent(true);
    EXPECT_EQ(source.TransparentColor(), clFuchsia);
    target.Canvas().Draw(0, 0, source);
    EXPECT_EQ(target.ScanLine(0)[1] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target.ScanLine(0)[0] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(target.ScanLine(1)[1] & 0xFFFFFF, 0x0000FFu);
}

} // namespace
} // namespace sj

#include "skin/paint/acPNG.h"

#include "PngBuilder.h"
#include "tools/common/PngWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

namespace sj {
namespace {

using test::BuildPng;
using test::Bytes;
using test::Chunk;
using test::PngPlan;

std::string ErrorOf(const Bytes& file) {
    try {
        DecodePng(file);
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "no error";
}

std::uint8_t Scaled(unsigned v, int depth) {
    return static_cast<std::uint8_t>(depth == 16 ? v * 255 / 65535 : v * 255 / ((1u << depth) - 1));
}

// The pixel a decoded sample list must give (no palette, no gamma, no tRNS).
TPixel32 Expected(const PngPlan& s, const std::vector<unsigned>& v) {
    auto c = [&s](unsigned x) { return Scaled(x, s.Depth); };
    switch (s.ColorType) {
    case 0:
    case 4:
        return MakePixel(c(v[0]), c(v[0]), c(v[0]));
    case 2:
        if (c(v[0]) == 255 && c(v[1]) == 0 && c(v[2]) == 255)
            return clKeyPixel;
        return MakePixel(c(v[0]), c(v[1]), c(v[2]));
    default:
        return MakePixel(c(v[0]), c(v[1]), c(v[2]), c(v[3]));
    }
}

PngPlan RandomImage(std::mt19937& rng, int colorType, int depth, int w, int h) {
    PngPlan s;
    s.Width = w;
    s.Height = h;
    s.ColorType = colorType;
    s.Depth = depth;
    const unsigned max = depth == 16 ? 65535 : (1u << depth) - 1;
    std::uniform_int_distribution<unsigned> sample(0, max);
    for (int i = 0; i < w * h; ++i) {
        std::vector<unsigned> px(static_cast<std::size_t>(test::ChannelsOf(colorType)));
        for (auto& v : px)
            v = sample(rng);
        s.Pixels.push_back(px);
    }
    return s;
}

TEST(PngDecode, RoundTripOfTheToolEncoder) {
    TacPixmap image(5, 4);
    std::mt19937 rng(7);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            image.At(x, y) = static_cast<TPixel32>(rng());
    TPNGGraphic png;
    png.LoadFromBytes(tools::EncodePng(image));
    EXPECT_EQ(png.BitsPerPixel(), 32);
    EXPECT_TRUE(png.HasAlpha());
    EXPECT_EQ(png.Pixels().Data(), image.Data()) << "RGBA keeps colour and alpha unchanged";

    std::istringstream stream(
        std::string(reinterpret_cast<const char*>(tools::EncodePng(image).data()), tools::EncodePng(image).size()));
    TPNGGraphic fromStream;
    fromStream.LoadFromStream(stream);
    EXPECT_EQ(fromStream.Pixels().Data(), image.Data());
}

// Every colour type and depth, plain and interlaced, at sizes that leave some Adam7
// passes empty, against the sample values the file was built from.
TEST(PngDecode, EveryColourFormatPlainAndInterlaced) {
    struct Format {
        int ColorType, Depth, StoredBits;
    };
    const Format formats[] = {{0, 1, 1},   {0, 2, 4}, {0, 4, 4},  {0, 8, 8},  {0, 16, 8}, {2, 8, 24},
                              {2, 16, 24}, {4, 8, 8}, {4, 16, 8}, {6, 8, 32}, {6, 16, 32}};
    const std::pair<int, int> sizes[] = {{1, 1}, {3, 2}, {13, 9}, {8, 8}};
    std::mt19937 rng(42);
    for (const Format& f : formats)
        for (auto [w, h] : sizes)
            for (bool interlaced : {false, true}) {
                PngPlan s = RandomImage(rng, f.ColorType, f.Depth, w, h);
                s.Interlaced = interlaced;
                s.FirstFilter = w + h;
                TPNGGraphic png;
                png.LoadFromBytes(BuildPng(s, {}, 3));
                SCOPED_TRACE(::testing::Message() << "type " << f.ColorType << " depth " << f.Depth << " " << w << "x"
                                                  << h << (interlaced ? " interlaced" : ""));
                ASSERT_EQ(png.Width(), w);
                ASSERT_EQ(png.Height(), h);
                EXPECT_EQ(png.BitsPerPixel(), f.StoredBits);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(png.Pixels().At(x, y), Expected(s, s.Pixels[static_cast<std::size_t>(y * w + x)]))
                            << "at " << x << "," << y;
            }
}

TEST(PngDecode, IndexedImagesUseTheirPalette) {
    const Bytes plte{0, 0, 0, 255, 0, 255, 10, 20, 30};
    std::mt19937 rng(3);
    for (int depth : {1, 2, 4, 8})
        for (bool interlaced : {false, true}) {
            PngPlan s = RandomImage(rng, 3, depth, 11, 5);
            s.Interlaced = interlaced;
            for (auto& px : s.Pixels)
                px[0] %= 4; // index 3 lies past the three entries
            TPNGGraphic png;
            png.LoadFromBytes(BuildPng(s, {Chunk("PLTE", plte), Chunk("tRNS", {0, 0, 0})}));
            EXPECT_EQ(png.BitsPerPixel(), depth == 8 ? 8 : depth == 1 ? 1 : 4);
            const TPixel32 colours[] = {0xFF000000, clKeyPixel, MakePixel(10, 20, 30), 0xFF000000};
            for (int i = 0; i < 55; ++i)
                ASSERT_EQ(png.Pixels().Data()[static_cast<std::size_t>(i)],
                          colours[s.Pixels[static_cast<std::size_t>(i)][0]])
                    << "depth " << depth << " pixel " << i << " (palette alpha is ignored)";
        }
}

TEST(PngDecode, TransparentColourOfGreyAndRgb) {
    PngPlan grey;
    grey.Width = 3;
    grey.ColorType = 0;
    grey.Depth = 4;
    grey.Pixels = {{5}, {6}, {15}};
    TPNGGraphic png;
    png.LoadFromBytes(BuildPng(grey, {Chunk("tRNS", {0, 5})}));
    EXPECT_EQ(png.Pixels().At(0, 0), MakePixel(85, 85, 85, 0));
    EXPECT_EQ(png.Pixels().At(1, 0), MakePixel(102, 102, 102));
    ASSERT_TRUE(png.TransparentColor());
    EXPECT_EQ(*png.TransparentColor(), MakePixel(85, 85, 85, 0));

    PngPlan rgb;
    rgb.Width = 2;
    rgb.ColorType = 2;
    rgb.Depth = 16;
    rgb.Pixels = {{0x1234, 0x5678, 0x9ABC}, {0x1235, 0x5678, 0x9ABC}};
    png.LoadFromBytes(BuildPng(rgb, {Chunk("tRNS", {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC})}));
    // Matching is done on the 16-bit samples, before they are reduced.
    EXPECT_EQ(PixelA(png.Pixels().At(0, 0)), 0);
    EXPECT_EQ(PixelA(png.Pixels().At(1, 0)), 255);
    EXPECT_EQ(png.Pixels().At(0, 0) & 0xFFFFFF, png.Pixels().At(1, 0) & 0xFFFFFF);
}

TEST(PngDecode, GammaAndBackground) {
    PngPlan s;
    s.Width = 2;
    s.ColorType = 2;
    s.Pixels = {{128, 0, 255}, {10, 20, 30}};
    TPNGGraphic png;
    // File gamma 1.0: samples become round((v / 255) ^ (1 / 2.2) * 255); 128 -> 186.
    png.LoadFromBytes(BuildPng(s, {Chunk("gAMA", {0, 1, 0x86, 0xA0}), Chunk("bKGD", {0, 1, 0, 2, 0, 3})}));
    EXPECT_EQ(png.Pixels().At(0, 0), MakePixel(186, 0, 255));
    auto g = [](int v) { return static_cast<std::uint8_t>(std::lround(std::pow(v / 255.0, 1 / 2.2) * 255)); };
    EXPECT_EQ(png.Pixels().At(1, 0), MakePixel(g(10), g(20), g(30)));
    EXPECT_EQ(png.BackgroundColor(), MakePixel(1, 2, 3));

    // A gamma of 0 is ignored rather than dividing by zero.
    png.LoadFromBytes(BuildPng(s, {Chunk("gAMA", {0, 0, 0, 0})}));
    EXPECT_EQ(png.Pixels().At(1, 0), MakePixel(10, 20, 30));
    EXPECT_EQ(png.BackgroundColor(), 0xFFFFFFFFu) << "white without bKGD";
}

TEST(PngDecode, ChunkRules) {
    PngPlan s;
    s.Width = 2;
    s.Pixels = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    // Unknown ancillary chunks are skipped without a CRC check.
    Bytes text = Chunk("tEXt", {'a', 'b'});
    text.back() ^= 0xFF;
    EXPECT_EQ(DecodePng(BuildPng(s, {text})).At(1, 0), 0x08050607u);
    EXPECT_EQ(ErrorOf(BuildPng(s, {Chunk("ABCD", {1})})),
              "Cannot load PNG image. Unexpected but critical chunk detected.");

    Bytes badPalette = Chunk("PLTE", Bytes(10, 0));
    EXPECT_EQ(ErrorOf(BuildPng(s, {badPalette})), "Cannot load image. Palette in PNG file is invalid.");
    Bytes badGamma = Chunk("gAMA", {0, 1, 0x86, 0xA0});
    badGamma.back() ^= 1;
    EXPECT_EQ(ErrorOf(BuildPng(s, {badGamma})), "Cannot load image. CRC error found in PNG file.");
    Bytes file = BuildPng(s);
    file[file.size() - 14] ^= 0x40; // inside the IDAT data
    EXPECT_EQ(ErrorOf(file), "Cannot load image. CRC error found in PNG file.");

    PngPlan indexed = s;
    indexed.ColorType = 3;
    indexed.Pixels = {{0}, {1}};
    EXPECT_EQ(ErrorOf(BuildPng(indexed)), "Cannot load image. Palette in PNG file is invalid.")
        << "indexed image without palette";
}

TEST(PngDecode, HeaderErrors) {
    PngPlan s;
    s.Pixels = {{1, 2, 3, 4}};
    const std::string invalid = "Cannot load image. Invalid or unexpected PNG image format.";
    auto withHeader = [](const Bytes& header) {
        Bytes f = test::Signature();
        const Bytes ihdr = Chunk("IHDR", header);
        f.insert(f.end(), ihdr.begin(), ihdr.end());
        const Bytes end = Chunk("IEND", {});
        f.insert(f.end(), end.begin(), end.end());
        return f;
    };
    EXPECT_EQ(ErrorOf(withHeader(test::HeaderData(s, 1))),
              "Cannot load image. The compression scheme is not supported for PNG files.");
    PngPlan wrongDepth = s;
    wrongDepth.ColorType = 2;
    wrongDepth.Depth = 4;
    EXPECT_EQ(ErrorOf(withHeader(test::HeaderData(wrongDepth))), "Invalid color format in PNG file.");
    PngPlan empty = s;
    empty.Width = 0;
    EXPECT_EQ(ErrorOf(withHeader(test::HeaderData(empty))), invalid);
    PngPlan huge = s;
    huge.Width = 100000;
    EXPECT_EQ(ErrorOf(withHeader(test::HeaderData(huge))),
              "Cannot load image. Image size is not supported for PNG files.");
    EXPECT_EQ(ErrorOf(withHeader(test::HeaderData(s))), invalid) << "no image data";

    Bytes notPng = BuildPng(s);
    notPng[1] = 'X';
    EXPECT_EQ(ErrorOf(notPng), invalid);
    Bytes dataFirst = test::Signature();
    const Bytes end = Chunk("IEND", {});
    dataFirst.insert(dataFirst.end(), end.begin(), end.end());
    EXPECT_EQ(ErrorOf(dataFirst), invalid) << "the first chunk must be IHDR";
}

TEST(PngDecode, ImageDataErrors) {
    PngPlan s;
    s.Width = 4;
    s.Height = 4;
    s.ColorType = 0;
    s.Pixels.assign(16, {77});
    const Bytes raw = test::RawImageData(s);
    auto withData = [&s](const Bytes& z) {
        Bytes f = test::Signature();
        for (const Bytes& c : {Chunk("IHDR", test::HeaderData(s)), Chunk("IDAT", z), Chunk("IEND", {})})
            f.insert(f.end(), c.begin(), c.end());
        return f;
    };
    Bytes longer = raw;
    longer.insert(longer.end(), {0, 1, 2, 3, 4});
    EXPECT_EQ(ErrorOf(withData(test::Compress(longer))), "Cannot load image. Extra compressed data found in PNG file.");
    EXPECT_EQ(ErrorOf(withData(test::Compress(Bytes(raw.begin(), raw.end() - 2)))),
              "Cannot load image. Compression error found in PNG file.");
    EXPECT_EQ(ErrorOf(withData({1, 2, 3, 4, 5, 6})), "Cannot load image. Compression error found in PNG file.");
    Bytes badFilter = raw;
    badFilter[5] = 9; // second row's filter byte
    EXPECT_EQ(ErrorOf(withData(test::Compress(badFilter))),
              "Cannot load image. Invalid or unexpected PNG image format.");

    // A header that asks for far more pixels than the data could hold is refused
    // before anything is allocated.
    PngPlan big = s;
    big.Width = 8000;
    big.Height = 8000;
    Bytes f = test::Signature();
    for (const Bytes& c : {Chunk("IHDR", test::HeaderData(big)), Chunk("IDAT", test::Compress(raw)), Chunk("IEND", {})})
        f.insert(f.end(), c.begin(), c.end());
    EXPECT_EQ(ErrorOf(f), "Cannot load image. Compression error found in PNG file.");
}

TEST(PngDecode, FailedDecodeKeepsRowsOverBackground) {
    PngPlan s;
    s.Width = 2;
    s.Height = 3;
    s.ColorType = 2;
    s.Pixels.assign(6, {9, 9, 9});
    Bytes raw = test::RawImageData(s);
    raw.resize(raw.size() - 7); // the last row is missing
    Bytes f = test::Signature();
    for (const Bytes& c : {Chunk("IHDR", test::HeaderData(s)), Chunk("bKGD", {0, 0, 0, 200, 0, 0}),
                           Chunk("IDAT", test::Compress(raw)), Chunk("IEND", {})})
        f.insert(f.end(), c.begin(), c.end());
    TPNGGraphic png;
    EXPECT_THROW(png.LoadFromBytes(f), EGraphicCompression);
    ASSERT_EQ(png.Height(), 3);
    EXPECT_EQ(png.Pixels().At(1, 1), MakePixel(9, 9, 9));
    EXPECT_EQ(png.Pixels().At(1, 2), MakePixel(0, 200, 0));
}

TEST(PngDecode, TruncatedAndDamagedFilesNeverReadOutOfBounds) {
    std::mt19937 rng(5);
    PngPlan s = RandomImage(rng, 2, 8, 9, 7);
    s.Interlaced = true;
    const Bytes file = BuildPng(s, {Chunk("gAMA", {0, 0, 0xB1, 0x8F})}, 2);
    for (std::size_t n = 0; n < file.size(); ++n) {
        const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_THROW(DecodePng(prefix), EInvalidGraphic) << "prefix " << n;
    }
    // Flipped bits: CRCs catch most; whatever happens, only EInvalidGraphic may leave.
    for (int i = 0; i < 300; ++i) {
        Bytes damaged = file;
        damaged[rng() % damaged.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        try {
            DecodePng(damaged);
        } catch (const EInvalidGraphic&) {
        }
    }
}

TEST(PngDraw, BlendsAtSizeAndStretches) {
    TacPixmap image(2, 2, 0x80FF0000);
    image.At(1, 1) = 0xFF0000FF;
    TPNGGraphic png;
    png.LoadFromBytes(tools::EncodePng(image));

    TacPixmap canvas(4, 4, 0xFFFFFFFF);
    png.Draw(canvas.View(), {1, 1, 3, 3});
    EXPECT_EQ(canvas.At(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(canvas.At(1, 1), 0xFFFF7F7Fu);
    EXPECT_EQ(canvas.At(2, 2), 0xFF0000FFu);

    TacPixmap big(4, 4, 0xFFFFFFFF);
    png.Draw(big.View(), {0, 0, 4, 4});
    EXPECT_EQ(big.At(1, 1), 0xFFFF7F7Fu);
    EXPECT_EQ(big.At(3, 3), 0xFF0000FFu);
    EXPECT_EQ(big.At(2, 2), 0xFF0000FFu);

    png.SetReflected(true);
    TacPixmap reflected(2, 3, 0xFFFFFFFF);
    png.Draw(reflected.View(), {0, 0, 2, 2});
    EXPECT_EQ(reflected.At(1, 2), MakePixel(170, 170, 255)) << "row 1 mirrored at a third of its alpha";

    png.Draw(canvas.View(), {-100, -100, 100000, 100000}); // clipped, never throws
}

} // namespace
} // namespace sj

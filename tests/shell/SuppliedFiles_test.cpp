// Checks the files the build puts next to the program, as they came out of the build.

#include "shell/ConfigFile.h"
#include "shell/SuppliedFiles.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sj {
namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing " << path;
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Supplied(const char* name) {
    return std::string(SJ_BUILD_BIN) + "/" + name;
}

std::uint32_t BE32(const TBytes& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}
std::uint32_t LE32(const TBytes& b, std::size_t at) {
    return b[at] | (std::uint32_t{b[at + 1]} << 8) | (std::uint32_t{b[at + 2]} << 16) |
           (std::uint32_t{b[at + 3]} << 24);
}
unsigned LE16(const TBytes& b, std::size_t at) {
    return b[at] | (unsigned{b[at + 1]} << 8);
}

struct TDecodedPng {
    int Width = 0;
    int Height = 0;
    int ColourType = -1;
    TBytes Rgba; // 4 bytes per pixel, rows top-down
};

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// A reader for 8-bit RGBA PNG files, independent of the program's encoder and decoder.
TDecodedPng DecodeRgbaPng(const TBytes& file) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    TDecodedPng png;
    if (file.size() < 8 || !std::equal(signature, signature + 8, file.begin()))
        return png;
    TBytes packed;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = BE32(file, at);
        const std::string type(file.begin() + static_cast<long>(at) + 4, file.begin() + static_cast<long>(at) + 8);
        const std::size_t data = at + 8;
        if (data + length + 4 > file.size())
            return png;
        const uLong crc = crc32(0L, file.data() + at + 4, length + 4);
        EXPECT_EQ(crc, BE32(file, data + length)) << "CRC of chunk " << type;
        if (type == "IHDR") {
            png.Width = static_cast<int>(BE32(file, data));
            png.Height = static_cast<int>(BE32(file, data + 4));
            EXPECT_EQ(file[data + 8], 8) << "bit depth";
            png.ColourType = file[data + 9];
        } else if (type == "IDAT") {
            packed.insert(packed.end(), file.begin() + static_cast<long>(data),
                          file.begin() + static_cast<long>(data + length));
        }
        at = data + length + 4;
    }
    if (png.ColourType != 6)
        return png;
    const std::size_t stride = static_cast<std::size_t>(png.Width) * 4;
    TBytes raw((stride + 1) * static_cast<std::size_t>(png.Height));
    uLongf rawSize = raw.size();
    if (uncompress(raw.data(), &rawSize, packed.data(), packed.size()) != Z_OK || rawSize != raw.size())
        return TDecodedPng{};
    png.Rgba.resize(stride * static_cast<std::size_t>(png.Height));
    for (int y = 0; y < png.Height; ++y) {
        const std::uint8_t filter = raw[y * (stride + 1)];
        const std::uint8_t* in = &raw[y * (stride + 1) + 1];
        std::uint8_t* out = &png.Rgba[y * stride];
        const std::uint8_t* up = y > 0 ? out - stride : nullptr;
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= 4 ? out[i - 4] : 0, b = up ? up[i] : 0, c = up && i >= 4 ? up[i - 4] : 0;
            const int predictor = filter == 1   ? a
                                  : filter == 2 ? b
                                  : filter == 3 ? (a + b) / 2
                                  : filter == 4 ? Paeth(a, b, c)
                                                : 0;
            out[i] = static_cast<std::uint8_t>(in[i] + predictor);
        }
    }
    return png;
}

struct TAlphaCensus {
    int Transparent = 0;
    int Opaque = 0;
    int Partial = 0;
};

TAlphaCensus CountAlpha(const TBytes& rgba) {
    TAlphaCensus census;
    for (std::size_t i = 3; i < rgba.size(); i += 4)
        (rgba[i] == 0 ? census.Transparent : rgba[i] == 255 ? census.Opaque : census.Partial)++;
    return census;
}

TEST(ConfigurationFile, DecodesToItsSourceLineByLine) {
    const TBytes source = ReadBytes(SJ_CONFIG_SOURCE);
    const TBytes stored = ReadBytes(Supplied(ConfigFileBaseName));
    ASSERT_EQ(stored.size(), source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        const bool lineBreak = source[i] == '\r' || source[i] == '\n';
        ASSERT_EQ(stored[i], lineBreak ? source[i] : static_cast<std::uint8_t>(~source[i])) << "byte " << i;
    }
}

TEST(ConfigurationFile, NamesTheProductAndAllItsLinks) {
    const TMemIniFile ini = ReadConfigFile(Supplied(ConfigFileBaseName));
    EXPECT_EQ(ini.ReadString(ConfigSection, ConfigKeyName, ""), "SplitJoin");
    EXPECT_FALSE(ini.ReadString(ConfigSection, ConfigKeyVersion, "").empty());
    EXPECT_FALSE(ini.ReadString(ConfigSection, ConfigKeyCopyright, "").empty());
    for (const char* key : {ConfigKeyHelpContent, ConfigKeyHowTo, ConfigKeyHomePage, ConfigKeyMoreFreeTools,
                            ConfigKeyCheckForUpdates, ConfigKeySupport})
        EXPECT_EQ(ini.ReadString(ConfigSection, key, "").rfind("https://", 0), 0u) << key;
}

TEST(ApplicationIcon, HoldsFiveSizesOf32BitColourWithAlpha) {
    const TBytes ico = ReadBytes(Supplied(IconFileName));
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(LE16(ico, 0), 0u);
    EXPECT_EQ(LE16(ico, 2), 1u) << "type icon";
    ASSERT_EQ(LE16(ico, 4), 5u);
    ASSERT_GE(ico.size(), 6u + 5 * 16);
    const int expected[] = {16, 24, 32, 48, 256};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(expected[i]);
        const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
        const int size = expected[i];
        EXPECT_EQ(ico[entry], size == 256 ? 0 : size);
        EXPECT_EQ(ico[entry + 1], size == 256 ? 0 : size);
        EXPECT_EQ(LE16(ico, entry + 6), 32u) << "bits per pixel";
        const std::uint32_t length = LE32(ico, entry + 8);
        const std::uint32_t offset = LE32(ico, entry + 12);
        ASSERT_LE(std::size_t{offset} + length, ico.size());
        const TBytes image(ico.begin() + offset, ico.begin() + offset + length);
        if (size == 256) {
            const TDecodedPng png = DecodeRgbaPng(image);
            EXPECT_EQ(png.Width, 256);
            EXPECT_EQ(png.Height, 256);
            const TAlphaCensus alpha = CountAlpha(png.Rgba);
            EXPECT_GT(alpha.Transparent, 0);
            EXPECT_GT(alpha.Opaque, 256 * 256 / 2);
            continue;
        }
        ASSERT_GE(image.size(), 40u);
        EXPECT_EQ(LE32(image, 0), 40u);
        EXPECT_EQ(LE32(image, 4), static_cast<std::uint32_t>(size));
        EXPECT_EQ(LE32(image, 8), static_cast<std::uint32_t>(2 * size)) << "colour and mask rows";
        EXPECT_EQ(LE16(image, 14), 32u);
        const std::size_t maskStride = ((static_cast<std::size_t>(size) + 31) / 32) * 4;
        ASSERT_EQ(image.size(), 40 + 4u * size * size + maskStride * size);
        const TBytes pixels(image.begin() + 40, image.begin() + 40 + 4 * size * size);
        EXPECT_GT(CountAlpha(pixels).Opaque, size * size / 2);
        // Mask bit set exactly where the pixel is transparent (bottom-up like the colours).
        for (int row = 0; row < size; ++row)
            for (int x = 0; x < size; ++x) {
                const bool transparent = pixels[(static_cast<std::size_t>(row) * size + x) * 4 + 3] == 0;
                const std::uint8_t maskByte = image[40 + 4 * size * size + row * maskStride + x / 8];
                ASSERT_EQ((maskByte & (0x80 >> (x % 8))) != 0, transparent) << row << "," << x;
            }
    }
}

TEST(Pictures, HaveTheirSizesAndAnAlphaChannel) {
    const struct {
        const char* Name;
        int Size;
    } pictures[] = {{IconOpenFilePng, 16},    {IconFolderPng, 16},       {IconStartPng, 16},
                    {IconHelpPng, 16},        {TabSplitPng, 32},         {TabJoinPng, 32},
                    {PictureSplitTopPng, 32}, {PictureSplitFilePng, 32}, {PictureSplitSizePng, 32},
                    {PictureJoinTopPng, 32},  {PictureJoinFilePng, 32}};
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.Name);
        const TDecodedPng png = DecodeRgbaPng(ReadBytes(Supplied(picture.Name)));
        EXPECT_EQ(png.ColourType, 6) << "RGBA";
        EXPECT_EQ(png.Width, picture.Size);
        EXPECT_EQ(png.Height, picture.Size);
        const TAlphaCensus alpha = CountAlpha(png.Rgba);
        EXPECT_GT(alpha.Transparent, 0) << "no transparent background";
        EXPECT_GT(alpha.Opaque, picture.Size * picture.Size / 4) << "too little drawn";
        EXPECT_GT(alpha.Partial, 0) << "edges not anti-aliased";
    }
}

} // namespace
} // namespace sj

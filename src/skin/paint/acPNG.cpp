#include "skin/paint/acPNG.h"

#include "skin/paint/sGraphUtils.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <istream>
#include <iterator>
#include <vector>

namespace sj {

namespace {

constexpr const char* PngFormat = "PNG";
constexpr std::array<std::uint8_t, 8> PngSignature{137, 80, 78, 71, 13, 10, 26, 10};
constexpr std::uint32_t MaxChunkLength = 0x7FFFFFFF;
// Deflate cannot expand data by more than about 1032 : 1; image data that would need
// more is damaged, and is refused before the bitmap is allocated.
constexpr std::uint64_t MaxInflateRatio = 1032;

[[noreturn]] void FailInvalid() {
    throw EInvalidGraphic(InvalidImageFormatText(PngFormat));
}
[[noreturn]] void FailCrc() {
    throw EInvalidGraphic("Cannot load image. CRC error found in PNG file.");
}
[[noreturn]] void FailPalette() {
    throw EInvalidGraphic("Cannot load image. Palette in PNG file is invalid.");
}
[[noreturn]] void FailCompression() {
    throw EGraphicCompression("Cannot load image. Compression error found in PNG file.");
}

enum TColorType : std::uint8_t { ctGrey = 0, ctRGB = 2, ctIndexed = 3, ctGreyAlpha = 4, ctRGBAlpha = 6 };

struct TPngHeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    int BitDepth = 0;
    int ColorType = 0;
    bool Interlaced = false;

    int Channels() const {
        switch (ColorType) {
        case ctRGB:
            return 3;
        case ctGreyAlpha:
            return 2;
        case ctRGBAlpha:
            return 4;
        default:
            return 1;
        }
    }
    // Distance of the byte a filter compares with: whole pixels, at least one byte.
    std::size_t FilterStep() const {
        return std::max<std::size_t>(1, static_cast<std::size_t>(Channels()) * BitDepth / 8);
    }
    std::size_t RowBytes(std::uint32_t width) const {
        return static_cast<std::size_t>((std::uint64_t{width} * Channels() * BitDepth + 7) / 8);
    }
};

bool ValidColorFormat(int colorType, int depth) {
    switch (colorType) {
    case ctGrey:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case ctIndexed:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case ctRGB:
    case ctGreyAlpha:
    case ctRGBAlpha:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

int StoredBitsPerPixel(const TPngHeader& h) {
    switch (h.ColorType) {
    case ctRGB:
        return 24;
    case ctRGBAlpha:
        return 32;
    case ctGreyAlpha:
        return 8;
    default: // grey and indexed: palette bitmaps, depth 2 widened to 4 bits
        return h.BitDepth == 1 ? 1 : h.BitDepth <= 4 ? 4 : 8;
    }
}

struct TChunk {
    std::uint32_t Type = 0;
    std::span<const std::uint8_t> Data;
    std::uint32_t Crc = 0;
};

constexpr std::uint32_t ChunkType(const char (&name)[5]) {
    return (std::uint32_t(std::uint8_t(name[0])) << 24) | (std::uint32_t(std::uint8_t(name[1])) << 16) |
           (std::uint32_t(std::uint8_t(name[2])) << 8) | std::uint32_t(std::uint8_t(name[3]));
}
constexpr std::uint32_t IHDR = ChunkType("IHDR");
constexpr std::uint32_t PLTE = ChunkType("PLTE");
constexpr std::uint32_t IDAT = ChunkType("IDAT");
constexpr std::uint32_t IEND = ChunkType("IEND");
constexpr std::uint32_t gAMA = ChunkType("gAMA");
constexpr std::uint32_t bKGD = ChunkType("bKGD");
constexpr std::uint32_t tRNS = ChunkType("tRNS");

// The chunk's type is checked along with its data, as the standard computes it.
void CheckCrc(const TChunk& c, std::span<const std::uint8_t> typeBytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, typeBytes.data(), 4);
    if (!c.Data.empty())
        crc = crc32(crc, c.Data.data(), static_cast<uInt>(c.Data.size()));
    if (static_cast<std::uint32_t>(crc) != c.Crc)
        FailCrc();
}

std::uint16_t U16BE(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint16_t>((d[at] << 8) | d[at + 1]);
}

// 16-bit samples are reduced to 8 bits by v * 255 / 65535, smaller ones stretched to
// the full range (the grey ramp of a palette bitmap).
std::uint8_t ScaleSample(unsigned v, int depth) {
    if (depth == 16)
        return static_cast<std::uint8_t>(v * 255u / 65535u);
    if (depth == 8)
        return static_cast<std::uint8_t>(v);
    return static_cast<std::uint8_t>(v * 255u / ((1u << depth) - 1u));
}

// zlib's inflate over the image data of the IDAT chunks, fed chunk by chunk.
class TLZ77Decoder {
public:
    explicit TLZ77Decoder(const std::vector<std::span<const std::uint8_t>>& input) : FInput(input) {
        std::memset(&FStream, 0, sizeof FStream);
        if (inflateInit(&FStream) != Z_OK)
            throw EGraphicCompression("LZ77 decompression error.");
    }
    ~TLZ77Decoder() { inflateEnd(&FStream); }
    TLZ77Decoder(const TLZ77Decoder&) = delete;
    TLZ77Decoder& operator=(const TLZ77Decoder&) = delete;

    // Fills out completely, or throws the compression error.
    void Read(std::span<std::uint8_t> out) {
        if (Inflate(out) != out.size())
            FailCompression();
    }

    // After the last row: any further image data is an error.
    void CheckFinished() {
        if (FEnded)
            return;
        std::uint8_t probe = 0;
        if (Inflate({&probe, 1}) != 0)
            throw EGraphicCompression("Cannot load image. Extra compressed data found in PNG file.");
    }

private:
    std::size_t Inflate(std::span<std::uint8_t> out) {
        FStream.next_out = out.data();
        FStream.avail_out = static_cast<uInt>(out.size());
        while (FStream.avail_out > 0 && !FEnded) {
            if (FStream.avail_in == 0) {
                if (FNext == FInput.size())
                    break; // the data stops short; the caller decides what that means
                const auto chunk = FInput[FNext++];
                FStream.next_in = const_cast<Bytef*>(chunk.data());
                FStream.avail_in = static_cast<uInt>(chunk.size());
                continue;
            }
            const int rc = inflate(&FStream, Z_SYNC_FLUSH);
            if (rc == Z_STREAM_END)
                FEnded = true;
            else if (rc != Z_OK && rc != Z_BUF_ERROR)
                FailCompression();
            else if (rc == Z_BUF_ERROR && FStream.avail_in > 0)
                FailCompression();
        }
        return out.size() - FStream.avail_out;
    }

    const std::vector<std::span<const std::uint8_t>>& FInput;
    std::size_t FNext = 0;
    z_stream FStream;
    bool FEnded = false;
};

void Unfilter(int filter, std::span<std::uint8_t> row, std::span<const std::uint8_t> prior, std::size_t step) {
    const std::size_t n = row.size();
    switch (filter) {
    case 0:
        break;
    case 1:
        for (std::size_t i = step; i < n; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + row[i - step]);
        break;
    case 2:
        for (std::size_t i = 0; i < n; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
        break;
    case 3:
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned left = i >= step ? row[i - step] : 0;
            row[i] = static_cast<std::uint8_t>(row[i] + (left + prior[i]) / 2);
        }
        break;
    case 4:
        for (std::size_t i = 0; i < n; ++i) {
            const int a = i >= step ? row[i - step] : 0;
            const int b = prior[i];
            const int c = i >= step ? prior[i - step] : 0;
            const int p = a + b - c;
            const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            row[i] = static_cast<std::uint8_t>(row[i] + predictor);
        }
        break;
    default:
        FailInvalid();
    }
}

struct TAdam7Pass {
    std::uint32_t X0, Y0, DX, DY;
};
constexpr std::array<TAdam7Pass, 7> Adam7{
    {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};
constexpr TAdam7Pass WholeImage{0, 0, 1, 1};

std::uint32_t PassSize(std::uint32_t size, std::uint32_t start, std::uint32_t step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

// Everything the chunks before the image data said, and the conversion of unfiltered
// rows into pixels.
class TPngDecoder {
public:
    TPngDecoder(TacPixmap& out, std::optional<TPixel32>& transparent, TPixel32& background,
                const TPNGGraphic::TProgressEvent& progress, std::int64_t maxPixels)
        : FOut(out), FTransparentOut(transparent), FBackgroundOut(background), FProgress(progress),
          FMaxPixels(maxPixels) {}

    int Decode(std::span<const std::uint8_t> data);

private:
    TChunk ReadChunk(const TacByteReader& in, std::size_t& pos) const;
    void ReadHeader(const TChunk& c);
    void ReadPalette(const TChunk& c);
    void CorrectPalette();
    void ReadGamma(const TChunk& c);
    void ReadBackground(const TChunk& c);
    void ReadTransparency(const TChunk& c);
    void DecodeImage(const std::vector<std::span<const std::uint8_t>>& idat);
    void DecodePass(TLZ77Decoder& inflater, const TAdam7Pass& pass);
    void ConvertRow(std::span<const std::uint8_t> row, std::uint32_t count, std::uint32_t y, const TAdam7Pass& pass);
    unsigned Sample(std::span<const std::uint8_t> row, std::size_t index) const;
    std::uint8_t Colour(unsigned raw) const { return FGamma[ScaleSample(raw, FHeader.BitDepth)]; }
    void Progress(const char* stage, int percent) const {
        if (FProgress)
            FProgress(stage, percent);
    }

    TacPixmap& FOut;
    std::optional<TPixel32>& FTransparentOut;
    TPixel32& FBackgroundOut;
    const TPNGGraphic::TProgressEvent& FProgress;
    std::int64_t FMaxPixels;

    TPngHeader FHeader;
    std::vector<TPixel32> FPalette;
    std::array<std::uint8_t, 256> FGamma{};
    TPixel32 FBackground = 0xFFFFFFFF;
    bool FHasTransparentColor = false;
    std::array<unsigned, 3> FTransparentRaw{}; // grey, or red, green, blue
    std::uint64_t FRowsDone = 0;
    std::uint64_t FRowsTotal = 0;
};

TChunk TPngDecoder::ReadChunk(const TacByteReader& in, std::size_t& pos) const {
    TChunk c;
    const std::uint32_t length = in.U32BE(pos);
    if (length > MaxChunkLength)
        FailInvalid();
    c.Type = in.U32BE(pos + 4);
    c.Data = in.Bytes(pos + 8, length);
    c.Crc = in.U32BE(pos + 8 + length);
    pos += 12 + static_cast<std::size_t>(length);
    return c;
}

int TPngDecoder::Decode(std::span<const std::uint8_t> data) {
    for (std::size_t i = 0; i < 256; ++i)
        FGamma[i] = static_cast<std::uint8_t>(i);
    const TacByteReader in(data, PngFormat);
    if (data.size() < PngSignature.size() || !std::equal(PngSignature.begin(), PngSignature.end(), data.begin()))
        FailInvalid();

    std::size_t pos = PngSignature.size();
    Progress("Preparing...", 0);
    TChunk header = ReadChunk(in, pos);
    if (header.Type != IHDR)
        FailInvalid();
    CheckCrc(header, in.Bytes(PngSignature.size() + 4, 4));
    ReadHeader(header);

    std::vector<std::span<const std::uint8_t>> idat;
    bool imageDone = false;
    for (;;) {
        const std::size_t start = pos;
        const TChunk c = ReadChunk(in, pos);
        const auto typeBytes = in.Bytes(start + 4, 4);
        if (c.Type != IDAT && !idat.empty() && !imageDone) {
            DecodeImage(idat);
            imageDone = true;
        }
        if (c.Type == IEND)
            break;
        if (c.Type == IHDR || c.Type == PLTE || c.Type == IDAT || c.Type == gAMA || c.Type == bKGD || c.Type == tRNS)
            CheckCrc(c, typeBytes);
        if (c.Type == IHDR) {
            FailInvalid(); // a second header
        } else if (c.Type == PLTE) {
            ReadPalette(c);
        } else if (c.Type == IDAT) {
            // Only the first run of IDAT chunks is image data.
            if (!imageDone)
                idat.push_back(c.Data);
        } else if (c.Type == gAMA) {
            ReadGamma(c);
        } else if (c.Type == bKGD) {
            ReadBackground(c);
        } else if (c.Type == tRNS) {
            ReadTransparency(c);
        } else if ((typeBytes[0] & 0x20) == 0) {
            throw EInvalidGraphic("Cannot load PNG image. Unexpected but critical chunk detected.");
        }
    }
    if (!imageDone)
        FailInvalid();
    Progress("", 100);
    return StoredBitsPerPixel(FHeader);
}

void TPngDecoder::ReadHeader(const TChunk& c) {
    if (c.Data.size() != 13)
        FailInvalid();
    const auto d = c.Data;
    FHeader.Width = (std::uint32_t{d[0]} << 24) | (std::uint32_t{d[1]} << 16) | (std::uint32_t{d[2]} << 8) | d[3];
    FHeader.Height = (std::uint32_t{d[4]} << 24) | (std::uint32_t{d[5]} << 16) | (std::uint32_t{d[6]} << 8) | d[7];
    FHeader.BitDepth = d[8];
    FHeader.ColorType = d[9];
    if (FHeader.Width == 0 || FHeader.Height == 0 || FHeader.Width > MaxChunkLength || FHeader.Height > MaxChunkLength)
        FailInvalid();
    if (d[10] != 0)
        throw EInvalidGraphic(NotSupportedText("The compression scheme is", PngFormat));
    // The filter method is taken as given; interlace method 1 is Adam7.
    FHeader.Interlaced = d[12] == 1;
    if (!ValidColorFormat(FHeader.ColorType, FHeader.BitDepth))
        throw EColorConversionError("Invalid color format in PNG file.");
    CheckImageSize(FHeader.Width, FHeader.Height, PngFormat, FMaxPixels);
}

void TPngDecoder::ReadPalette(const TChunk& c) {
    if (c.Data.size() % 3 != 0 || c.Data.size() / 3 > 256)
        FailPalette();
    FPalette.clear();
    for (std::size_t i = 0; i + 2 < c.Data.size(); i += 3)
        FPalette.push_back(MakePixel(c.Data[i], c.Data[i + 1], c.Data[i + 2]));
}

// Gamma applies to the palette too, whichever of PLTE and gAMA came first.
void TPngDecoder::CorrectPalette() {
    for (TPixel32& p : FPalette)
        p = PixelWithoutAlpha(FGamma[PixelR(p)], FGamma[PixelG(p)], FGamma[PixelB(p)], TacNoAlpha::KeyClear);
}

void TPngDecoder::ReadGamma(const TChunk& c) {
    if (c.Data.size() != 4)
        return;
    const std::uint32_t stored = (std::uint32_t{c.Data[0]} << 24) | (std::uint32_t{c.Data[1]} << 16) |
                                 (std::uint32_t{c.Data[2]} << 8) | c.Data[3];
    if (stored == 0)
        return; // a gamma of 0 means nothing; it would divide by zero
    const double fileGamma = stored / 100000.0;
    const double exponent = 1.0 / (fileGamma * 2.2);
    for (int v = 0; v < 256; ++v)
        FGamma[v] = static_cast<std::uint8_t>(std::clamp(std::lround(std::pow(v / 255.0, exponent) * 255.0), 0L, 255L));
}

void TPngDecoder::ReadBackground(const TChunk& c) {
    const auto d = c.Data;
    const int depth = FHeader.BitDepth;
    auto sample = [depth](unsigned v) {
        v = std::min(v, depth == 16 ? 65535u : (1u << depth) - 1u);
        return ScaleSample(v, depth);
    };
    if (FHeader.ColorType == ctIndexed) {
        if (d.size() >= 1 && d[0] < FPalette.size())
            FBackground = FPalette[d[0]] | 0xFF000000u;
    } else if (FHeader.ColorType == ctGrey || FHeader.ColorType == ctGreyAlpha) {
        if (d.size() >= 2) {
            const std::uint8_t g = sample(U16BE(d, 0));
            FBackground = MakePixel(g, g, g);
        }
    } else if (d.size() >= 6) {
        FBackground = MakePixel(sample(U16BE(d, 0)), sample(U16BE(d, 2)), sample(U16BE(d, 4)));
    }
}

void TPngDecoder::ReadTransparency(const TChunk& c) {
    // Indexed images keep their palette colours opaque: the palette bitmap has no alpha.
    const auto d = c.Data;
    if (FHeader.ColorType == ctGrey && d.size() >= 2) {
        FTransparentRaw[0] = U16BE(d, 0);
        FHasTransparentColor = true;
        const std::uint8_t g =
            ScaleSample(std::min<unsigned>(FTransparentRaw[0], (1u << FHeader.BitDepth) - 1u), FHeader.BitDepth);
        FTransparentOut = MakePixel(g, g, g, 0);
    } else if (FHeader.ColorType == ctRGB && d.size() >= 6) {
        FTransparentRaw = {U16BE(d, 0), U16BE(d, 2), U16BE(d, 4)};
        FHasTransparentColor = true;
        const int depth = FHeader.BitDepth;
        auto s = [depth](unsigned v) { return ScaleSample(std::min(v, depth == 16 ? 65535u : 255u), depth); };
        FTransparentOut = MakePixel(s(FTransparentRaw[0]), s(FTransparentRaw[1]), s(FTransparentRaw[2]), 0);
    }
}

void TPngDecoder::DecodeImage(const std::vector<std::span<const std::uint8_t>>& idat) {
    if (FHeader.ColorType == ctIndexed && FPalette.empty())
        FailPalette();
    CorrectPalette();
    const auto passes = FHeader.Interlaced ? std::span<const TAdam7Pass>(Adam7) : std::span(&WholeImage, 1);

    std::uint64_t rawSize = 0;
    for (const TAdam7Pass& p : passes) {
        const std::uint32_t w = PassSize(FHeader.Width, p.X0, p.DX);
        const std::uint32_t h = PassSize(FHeader.Height, p.Y0, p.DY);
        if (w > 0) {
            rawSize += std::uint64_t{h} * (1 + FHeader.RowBytes(w));
            FRowsTotal += h;
        }
    }
    std::uint64_t compressed = 0;
    for (const auto& chunk : idat)
        compressed += chunk.size();
    if (rawSize > compressed * MaxInflateRatio + 64)
        FailCompression();

    FBackgroundOut = FBackground;
    FOut.SetSize(static_cast<int>(FHeader.Width), static_cast<int>(FHeader.Height), FBackground);
    Progress("Transfering...", 0);
    TLZ77Decoder inflater(idat);
    for (const TAdam7Pass& p : passes)
        DecodePass(inflater, p);
    inflater.CheckFinished();
}

void TPngDecoder::DecodePass(TLZ77Decoder& inflater, const TAdam7Pass& pass) {
    const std::uint32_t width = PassSize(FHeader.Width, pass.X0, pass.DX);
    const std::uint32_t height = PassSize(FHeader.Height, pass.Y0, pass.DY);
    if (width == 0 || height == 0)
        return;
    const std::size_t rowBytes = FHeader.RowBytes(width);
    // Two alternating rows: the one being read and the one before it (zero at the top).
    std::vector<std::uint8_t> current(rowBytes + 1), prior(rowBytes + 1, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        inflater.Read(current);
        const std::span<std::uint8_t> row(current.data() + 1, rowBytes);
        Unfilter(current[0], row, std::span<const std::uint8_t>(prior.data() + 1, rowBytes), FHeader.FilterStep());
        ConvertRow(row, width, pass.Y0 + y * pass.DY, pass);
        std::swap(current, prior);
        ++FRowsDone;
        if (FRowsDone % 64 == 0)
            Progress("Transfering...", static_cast<int>(std::uint64_t{FRowsDone} * 100 / FRowsTotal));
    }
}

unsigned TPngDecoder::Sample(std::span<const std::uint8_t> row, std::size_t index) const {
    const int depth = FHeader.BitDepth;
    if (depth == 8)
        return row[index];
    if (depth == 16)
        return U16BE(row, 2 * index);
    const std::size_t bit = index * static_cast<std::size_t>(depth);
    const int shift = 8 - depth - static_cast<int>(bit % 8);
    return (row[bit / 8] >> shift) & ((1u << depth) - 1u);
}

void TPngDecoder::ConvertRow(std::span<const std::uint8_t> row, std::uint32_t count, std::uint32_t y,
                             const TAdam7Pass& pass) {
    TPixel32* out = FOut.Row(static_cast<int>(y));
    const std::size_t channels = static_cast<std::size_t>(FHeader.Channels());
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t s = i * channels;
        TPixel32 p;
        switch (FHeader.ColorType) {
        case ctGrey: {
            const unsigned raw = Sample(row, s);
            const std::uint8_t g = Colour(raw);
            const bool clear = FHasTransparentColor && raw == FTransparentRaw[0];
            p = MakePixel(g, g, g, clear ? 0 : 255);
            break;
        }
        case ctRGB: {
            const unsigned r = Sample(row, s), g = Sample(row, s + 1), b = Sample(row, s + 2);
            p = PixelWithoutAlpha(Colour(r), Colour(g), Colour(b), TacNoAlpha::KeyClear);
            if (FHasTransparentColor && r == FTransparentRaw[0] && g == FTransparentRaw[1] && b == FTransparentRaw[2])
                p &= 0x00FFFFFFu;
            break;
        }
        case ctIndexed: {
            const unsigned index = Sample(row, s);
            // Indexes past the palette show black, as in a palette bitmap.
            p = index < FPalette.size() ? FPalette[index] : 0xFF000000u;
            break;
        }
        case ctGreyAlpha: {
            const std::uint8_t g = Colour(Sample(row, s));
            p = MakePixel(g, g, g);
            break;
        }
        default: {
            const std::uint8_t alpha = ScaleSample(Sample(row, s + 3), FHeader.BitDepth);
            p = MakePixel(Colour(Sample(row, s)), Colour(Sample(row, s + 1)), Colour(Sample(row, s + 2)), alpha);
            break;
        }
        }
        out[pass.X0 + i * pass.DX] = p;
    }
}

// Nearest-neighbour stretch of the whole source to width x height.
TacPixmap StretchNearest(const TacPixmap& source, int width, int height) {
    TacPixmap out(width, height);
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>(std::int64_t{y} * source.Height() / height);
        for (int x = 0; x < width; ++x)
            out.At(x, y) = source.At(static_cast<int>(std::int64_t{x} * source.Width() / width), sy);
    }
    return out;
}

} // namespace

void TPNGGraphic::LoadFromBytes(std::span<const std::uint8_t> data, std::int64_t maxPixels) {
    FPixels = TacPixmap();
    FBitsPerPixel = 0;
    FTransparentColor.reset();
    FBackground = 0xFFFFFFFF;
    TPngDecoder decoder(FPixels, FTransparentColor, FBackground, FOnProgress, maxPixels);
    FBitsPerPixel = decoder.Decode(data);
}

void TPNGGraphic::LoadFromStream(std::istream& stream) {
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    LoadFromBytes(bytes);
}

void TPNGGraphic::Draw(TacPixelsView canvas, const TacRect& rect) const {
    if (FPixels.Empty() || rect.Empty() || canvas.Bits == nullptr || canvas.Empty())
        return;
    // Any size the canvas can show fits in memory; a larger rect is clipped first.
    if (std::int64_t{rect.Width()} * rect.Height() > MaxImagePixels)
        return;
    const bool sameSize = rect.Width() == Width() && rect.Height() == Height();
    TacPixmap stretched;
    // A view is writable by type only; the pixels are read, never written.
    TacPixelsView image{const_cast<TPixel32*>(FPixels.Data().data()), Width(), Height(), Width()};
    if (!sameSize) {
        stretched = StretchNearest(FPixels, rect.Width(), rect.Height());
        image = stretched.View();
    }
    const TacRect whole{0, 0, image.Width, image.Height};
    if (HasAlpha()) {
        TacAlphaBlendOptions options;
        options.Reflected = FReflected;
        BlendAlphaImage(canvas, rect, image, whole, options);
        return;
    }
    // Bitmaps without alpha are copied; a tRNS colour stays transparent.
    for (int y = 0; y < image.Height; ++y) {
        const int ty = rect.Top + y;
        if (ty < 0 || ty >= canvas.Height)
            continue;
        for (int x = 0; x < image.Width; ++x) {
            const int tx = rect.Left + x;
            const TPixel32 p = image.At(x, y);
            if (tx >= 0 && tx < canvas.Width && !(FTransparentColor && PixelA(p) == 0))
                canvas.At(tx, ty) = p;
        }
    }
}

TacPixmap DecodePng(std::span<const std::uint8_t> data, std::int64_t maxPixels) {
    TPNGGraphic png;
    png.LoadFromBytes(data, maxPixels);
    return std::move(png.Pixels());
}

} // namespace sj

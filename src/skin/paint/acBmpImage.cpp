#include "skin/paint/acBmpImage.h"

#include "skin/paint/acImageCommon.h"

#include <algorithm>
#include <array>
#include <bit>

namespace sj {

namespace {

constexpr const char* BmpFormat = "BMP";

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;
constexpr std::uint32_t BI_ALPHABITFIELDS = 6;

constexpr std::size_t FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t InfoHeaderSize = 40;
constexpr std::uint32_t LargestHeaderSize = 124;

// Run-length data may leave pixels unreached (end-of-line, delta and end-of-bitmap
// escapes), so it has no strict expansion limit. Encoders write about one two-byte run
// per 255 pixels; an image needing far more pixels per byte of data than that is
// refused before its pixels are allocated, unless it is small anyway.
constexpr std::int64_t RleFreePixels = std::int64_t{1} << 20;
constexpr std::int64_t RlePixelsPerByte = 4096;

struct TBmpLayout {
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    bool TopDown = false;
    int Bits = 0;
    std::uint32_t Compression = BI_RGB;
    std::array<std::uint32_t, 4> Masks{}; // red, green, blue, alpha
    std::size_t PaletteOffset = 0;
    std::size_t PaletteEntrySize = 4;
    std::size_t PaletteCount = 0;
    std::size_t PixelOffset = 0;
};

// One colour channel described by a bit mask, scaled to 0..255.
struct TChannel {
    std::uint32_t Mask = 0;
    int Shift = 0;
    std::uint32_t Max = 0;

    explicit TChannel(std::uint32_t mask) : Mask(mask) {
        if (mask == 0)
            return;
        Shift = std::countr_zero(mask);
        Max = mask >> Shift;
    }
    std::uint8_t Extract(std::uint32_t value) const {
        if (Max == 0)
            return 0;
        const std::uint64_t v = (value & Mask) >> Shift;
        return static_cast<std::uint8_t>((v * 255 + Max / 2) / Max);
    }
};

void CheckBitsAndCompression(const TBmpLayout& l) {
    if (l.Bits != 1 && l.Bits != 4 && l.Bits != 8 && l.Bits != 16 && l.Bits != 24 && l.Bits != 32)
        throw EInvalidGraphic(NotSupportedText("The bit depth is", BmpFormat));
    bool fits = false;
    switch (l.Compression) {
    case BI_RGB:
        fits = true;
        break;
    case BI_RLE8:
        fits = l.Bits == 8;
        break;
    case BI_RLE4:
        fits = l.Bits == 4;
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        fits = l.Bits == 16 || l.Bits == 32;
        break;
    default:
        break;
    }
    if (!fits)
        throw EInvalidGraphic(NotSupportedText("The compression scheme is", BmpFormat));
    // Run-length data is always stored bottom-up.
    if (l.TopDown && (l.Compression == BI_RLE8 || l.Compression == BI_RLE4))
        throw EInvalidGraphic(InvalidImageFormatText(BmpFormat));
}

TBmpLayout ReadLayout(const TacByteReader& in, std::int64_t maxPixels) {
    if (in.U8(0) != 'B' || in.U8(1) != 'M')
        in.Fail();
    TBmpLayout l;
    const std::uint32_t pixelOffset = in.U32LE(10);
    const std::uint32_t headerSize = in.U32LE(14);
    std::size_t extraMasks = 0;
    if (headerSize == CoreHeaderSize) {
        l.Width = in.U16LE(18);
        l.Height = in.U16LE(20);
        l.Bits = in.U16LE(24);
        l.PaletteEntrySize = 3;
    } else if (headerSize >= InfoHeaderSize && headerSize <= LargestHeaderSize) {
        l.Width = in.I32LE(18);
        l.Height = in.I32LE(22);
        l.Bits = in.U16LE(28);
        l.Compression = in.U32LE(30);
        l.PaletteCount = in.U32LE(46);
        if (headerSize >= 52) {
            l.Masks = {in.U32LE(54), in.U32LE(58), in.U32LE(62), headerSize >= 56 ? in.U32LE(66) : 0};
        } else if (l.Compression == BI_BITFIELDS || l.Compression == BI_ALPHABITFIELDS) {
            // The 40-byte header keeps its masks right after itself.
            extraMasks = l.Compression == BI_BITFIELDS ? 3 : 4;
            for (std::size_t i = 0; i < extraMasks; ++i)
                l.Masks[i] = in.U32LE(FileHeaderSize + InfoHeaderSize + 4 * i);
        }
    } else {
        in.Fail();
    }
    if (l.Height < 0) {
        l.TopDown = true;
        l.Height = -l.Height;
    }
    CheckImageSize(l.Width, l.Height, BmpFormat, maxPixels);
    CheckBitsAndCompression(l);

    l.PaletteOffset = FileHeaderSize + headerSize + 4 * extraMasks;
    if (l.Bits <= 8) {
        const std::size_t full = std::size_t{1} << l.Bits;
        l.PaletteCount = l.PaletteCount == 0 ? full : std::min<std::size_t>(l.PaletteCount, full);
    } else {
        l.PaletteCount = 0; // a colour table of a true-colour file is only a display hint
    }
    const std::size_t paletteEnd = l.PaletteOffset + l.PaletteCount * l.PaletteEntrySize;
    // Some writers leave the pixel offset 0; the pixels then follow the palette.
    l.PixelOffset = pixelOffset >= FileHeaderSize + headerSize ? pixelOffset : paletteEnd;
    if (l.Compression == BI_RGB && l.Bits == 16)
        l.Masks = {0x7C00, 0x03E0, 0x001F, 0};
    return l;
}

std::array<TPixel32, 256> ReadPalette(const TacByteReader& in, const TBmpLayout& l, TacNoAlpha alpha) {
    std::array<TPixel32, 256> palette;
    // Indexes beyond a short colour table show black, like the system does.
    palette.fill(PixelWithoutAlpha(0, 0, 0, alpha));
    for (std::size_t i = 0; i < l.PaletteCount; ++i) {
        const auto entry = in.Bytes(l.PaletteOffset + i * l.PaletteEntrySize, 3);
        palette[i] = PixelWithoutAlpha(entry[2], entry[1], entry[0], alpha);
    }
    return palette;
}

std::size_t RowStride(const TBmpLayout& l) {
    return static_cast<std::size_t>((l.Width * l.Bits + 31) / 32) * 4;
}

// Only 32-bit files keep an alpha channel. A 16-bit alpha bit field is ignored, as the
// system's own bitmap code ignores it: skin authors saw such files opaque.
class TBmpRowDecoder {
public:
    TBmpRowDecoder(const TBmpLayout& l, const std::array<TPixel32, 256>& palette, TacNoAlpha alpha)
        : FLayout(l), FPalette(palette), FAlpha(alpha), FRed(l.Masks[0]), FGreen(l.Masks[1]), FBlue(l.Masks[2]),
          FAlphaChannel(l.Bits == 32 ? l.Masks[3] : 0) {}

    bool KeepsAlpha() const {
        if (FLayout.Bits != 32)
            return false;
        return FLayout.Compression == BI_RGB || FAlphaChannel.Mask != 0;
    }

    void Decode(const std::uint8_t* src, TPixel32* dst) const {
        const int width = static_cast<int>(FLayout.Width);
        switch (FLayout.Bits) {
        case 1:
        case 4:
        case 8:
            DecodeIndexed(src, dst, width);
            break;
        case 16:
            for (int x = 0; x < width; ++x)
                dst[x] = FromMasks(static_cast<std::uint32_t>(src[2 * x] | (src[2 * x + 1] << 8)));
            break;
        case 24:
            for (int x = 0; x < width; ++x)
                dst[x] = PixelWithoutAlpha(src[3 * x + 2], src[3 * x + 1], src[3 * x], FAlpha);
            break;
        default:
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = src + 4 * x;
                if (FLayout.Compression == BI_RGB)
                    dst[x] = MakePixel(p[2], p[1], p[0], p[3]);
                else
                    dst[x] = FromMasks(std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
                                       (std::uint32_t{p[3]} << 24));
            }
            break;
        }
    }

private:
    void DecodeIndexed(const std::uint8_t* src, TPixel32* dst, int width) const {
        const int bits = FLayout.Bits;
        const int perByte = 8 / bits;
        const unsigned mask = (1u << bits) - 1;
        for (int x = 0; x < width; ++x) {
            const int shift = 8 - bits * (x % perByte + 1);
            dst[x] = FPalette[(src[x / perByte] >> shift) & mask];
        }
    }

    TPixel32 FromMasks(std::uint32_t value) const {
        const std::uint8_t r = FRed.Extract(value);
        const std::uint8_t g = FGreen.Extract(value);
        const std::uint8_t b = FBlue.Extract(value);
        if (FAlphaChannel.Mask != 0)
            return MakePixel(r, g, b, FAlphaChannel.Extract(value));
        return PixelWithoutAlpha(r, g, b, FAlpha);
    }

    const TBmpLayout& FLayout;
    const std::array<TPixel32, 256>& FPalette;
    TacNoAlpha FAlpha;
    TChannel FRed, FGreen, FBlue, FAlphaChannel;
};

void DecodeUncompressed(const TacByteReader& in, const TBmpLayout& l, const TBmpRowDecoder& rows, TacPixmap& out) {
    const std::size_t stride = RowStride(l);
    // The last row may lack its padding; what a row needs is its used bytes.
    const std::size_t used = static_cast<std::size_t>((l.Width * l.Bits + 7) / 8);
    const int height = static_cast<int>(l.Height);
    for (int row = 0; row < height; ++row) {
        const auto bytes = in.Bytes(l.PixelOffset + static_cast<std::size_t>(row) * stride, used);
        const int y = l.TopDown ? row : height - 1 - row;
        rows.Decode(bytes.data(), out.Row(y));
    }
}

// RLE8 and RLE4: runs and absolute runs of palette indexes, with end-of-line,
// end-of-bitmap and delta escapes. Pixels the data never reaches keep entry 0.
class TRleDecoder {
public:
    TRleDecoder(const TacByteReader& in, const TBmpLayout& l, const std::array<TPixel32, 256>& palette, TacPixmap& out)
        : FIn(in), FPos(l.PixelOffset), FFour(l.Compression == BI_RLE4), FPalette(palette), FOut(out) {}

    void Run() {
        while (FY < FOut.Height() && FIn.Has(FPos, 2)) {
            const unsigned count = FIn.U8(FPos);
            const unsigned value = FIn.U8(FPos + 1);
            FPos += 2;
            if (count > 0)
                EncodedRun(count, value);
            else if (value == 0)
                NextLine();
            else if (value == 1)
                return;
            else if (value == 2)
                Delta();
            else
                AbsoluteRun(value);
        }
    }

private:
    // x saturates at the width, so long runs past the edge cannot overflow it.
    void Put(unsigned index) {
        if (FX >= FOut.Width())
            return;
        FOut.At(FX, FOut.Height() - 1 - FY) = FPalette[index & 0xFF];
        ++FX;
    }
    void EncodedRun(unsigned count, unsigned value) {
        for (unsigned i = 0; i < count; ++i)
            Put(FFour ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
    }
    void AbsoluteRun(unsigned count) {
        const std::size_t bytes = FFour ? (count + 1) / 2 : count;
        const auto data = FIn.Bytes(FPos, bytes);
        for (unsigned i = 0; i < count; ++i)
            Put(FFour ? (i % 2 == 0 ? data[i / 2] >> 4 : data[i / 2] & 0x0F) : data[i]);
        FPos += bytes + (bytes & 1); // absolute runs are padded to whole words
    }
    void NextLine() {
        FX = 0;
        ++FY;
    }
    void Delta() {
        FX = std::min(FX + FIn.U8(FPos), FOut.Width());
        FY += FIn.U8(FPos + 1);
        FPos += 2;
    }

    const TacByteReader& FIn;
    std::size_t FPos;
    bool FFour;
    const std::array<TPixel32, 256>& FPalette;
    TacPixmap& FOut;
    int FX = 0;
    int FY = 0; // counted from the bottom row
};

// A header must not make us allocate for pixels the file cannot hold: uncompressed rows
// must all be present, run-length data must be able to reach the image's size.
void CheckPixelDataPresent(const TacByteReader& in, const TBmpLayout& l) {
    if (l.Compression == BI_RLE8 || l.Compression == BI_RLE4) {
        const std::int64_t bytes = in.Size() > l.PixelOffset ? static_cast<std::int64_t>(in.Size() - l.PixelOffset) : 0;
        if (l.Width * l.Height > std::max(RleFreePixels, bytes * RlePixelsPerByte))
            in.Fail();
        return;
    }
    const std::size_t used = static_cast<std::size_t>((l.Width * l.Bits + 7) / 8);
    if (!in.Has(l.PixelOffset, RowStride(l) * static_cast<std::size_t>(l.Height - 1) + used))
        in.Fail();
}

bool AllClear(const TacPixmap& image) {
    const auto& pixels = image.Data();
    return std::all_of(pixels.begin(), pixels.end(), [](TPixel32 p) { return PixelA(p) == 0; });
}

// Most writers of 32-bit files store 0 in the fourth byte, which they call unused. An
// image whose alpha is 0 everywhere would be invisible, so its alpha is no alpha.
void DropUnusedAlpha(TacBmpImage& image, TacNoAlpha alpha) {
    if (!image.HasAlpha || !AllClear(image.Pixels))
        return;
    for (int y = 0; y < image.Pixels.Height(); ++y) {
        TPixel32* row = image.Pixels.Row(y);
        for (int x = 0; x < image.Pixels.Width(); ++x)
            row[x] = PixelWithoutAlpha(PixelR(row[x]), PixelG(row[x]), PixelB(row[x]), alpha);
    }
    image.HasAlpha = false;
}

} // namespace

TacBmpImage ReadBmp(std::span<const std::uint8_t> data, TacNoAlpha alpha, std::int64_t maxPixels) {
    const TacByteReader in(data, BmpFormat);
    const TBmpLayout layout = ReadLayout(in, maxPixels);
    const auto palette = ReadPalette(in, layout, alpha);
    CheckPixelDataPresent(in, layout);

    TacBmpImage image;
    image.BitsPerPixel = layout.Bits;
    const bool rle = layout.Compression == BI_RLE8 || layout.Compression == BI_RLE4;
    image.Pixels.SetSize(static_cast<int>(layout.Width), static_cast<int>(layout.Height), rle ? palette[0] : 0);
    if (rle) {
        TRleDecoder(in, layout, palette, image.Pixels).Run();
    } else {
        const TBmpRowDecoder rows(layout, palette, alpha);
        image.HasAlpha = rows.KeepsAlpha();
        DecodeUncompressed(in, layout, rows, image.Pixels);
        DropUnusedAlpha(image, alpha);
    }
    return image;
}

} // namespace sj

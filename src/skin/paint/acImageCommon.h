// What the image decoders (BMP, PNG, JPEG) share: their error types, the standard
// texts of their messages, the size limits that keep a hostile file from asking for
// absurd amounts of memory, and a bounds-checked reader of little-endian bytes.
#pragma once

#include "platform/Exception.h"
#include "platform/Pixmap.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace sj {

// A file that is not an image of the expected format, or one that breaks its rules.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// Compressed image data that does not inflate or decode.
class EGraphicCompression : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

// An image whose colour layout cannot be turned into pixels.
class EColorConversionError : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

// How a decoder fills the alpha byte of an image format that has no alpha of its own.
enum class TacNoAlpha {
    KeyClear, // opaque, but magenta (red 255, green 0, blue 255) becomes the clear key pixel 0x00FF00FF
    Opaque,   // every pixel opaque
};

inline TPixel32 PixelWithoutAlpha(std::uint8_t r, std::uint8_t g, std::uint8_t b, TacNoAlpha rule) {
    if (rule == TacNoAlpha::KeyClear && r == 255 && g == 0 && b == 255)
        return clKeyPixel;
    return MakePixel(r, g, b, 255);
}

// "Cannot load image. Invalid or unexpected PNG image format."
inline std::string InvalidImageFormatText(const std::string& format) {
    return "Cannot load image. Invalid or unexpected " + format + " image format.";
}

// "Cannot load image. The compression scheme is not supported for PNG files."
inline std::string NotSupportedText(const std::string& what, const std::string& format) {
    return "Cannot load image. " + what + " not supported for " + format + " files.";
}

// Largest image side and pixel count a decoder accepts. Skin images are far below;
// the limits only stop a damaged or hostile header from allocating gigabytes.
inline constexpr std::int64_t MaxImageSide = 32768;
inline constexpr std::int64_t MaxImagePixels = std::int64_t{1} << 26;

// An image within the limits above that has more pixels than its caller allows (a
// caller may ask for less, e.g. for what is left of a skin's image memory).
class EImageTooLarge : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

inline bool ImageSizeAcceptable(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= MaxImageSide && height <= MaxImageSide &&
           width * height <= MaxImagePixels;
}

inline void CheckImageSize(std::int64_t width, std::int64_t height, const std::string& format,
                           std::int64_t maxPixels = MaxImagePixels) {
    if (width <= 0 || height <= 0)
        throw EInvalidGraphic(InvalidImageFormatText(format));
    if (!ImageSizeAcceptable(width, height))
        throw EInvalidGraphic(NotSupportedText("Image size is", format));
    if (width * height > maxPixels)
        throw EImageTooLarge(NotSupportedText("Image size is", format));
}

// Reads little- or big-endian numbers from a byte span; any read past the end throws
// EInvalidGraphic with the format's "invalid or unexpected" message, so truncated
// files end the decode instead of reading out of bounds.
class TacByteReader {
public:
    TacByteReader(std::span<const std::uint8_t> data, const char* format) : FData(data), FFormat(format) {}

    std::size_t Size() const { return FData.size(); }
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= FData.size() && count <= FData.size() - offset;
    }
    std::span<const std::uint8_t> Bytes(std::size_t offset, std::size_t count) const {
        Need(offset, count);
        return FData.subspan(offset, count);
    }
    std::uint8_t U8(std::size_t offset) const {
        Need(offset, 1);
        return FData[offset];
    }
    std::uint16_t U16LE(std::size_t offset) const {
        Need(offset, 2);
        return static_cast<std::uint16_t>(FData[offset] | (FData[offset + 1] << 8));
    }
    std::uint32_t U32LE(std::size_t offset) const {
        Need(offset, 4);
        return std::uint32_t{FData[offset]} | (std::uint32_t{FData[offset + 1]} << 8) |
               (std::uint32_t{FData[offset + 2]} << 16) | (std::uint32_t{FData[offset + 3]} << 24);
    }
    std::int32_t I32LE(std::size_t offset) const { return static_cast<std::int32_t>(U32LE(offset)); }
    std::uint32_t U32BE(std::size_t offset) const {
        Need(offset, 4);
        return (std::uint32_t{FData[offset]} << 24) | (std::uint32_t{FData[offset + 1]} << 16) |
               (std::uint32_t{FData[offset + 2]} << 8) | std::uint32_t{FData[offset + 3]};
    }
    [[noreturn]] void Fail() const { throw EInvalidGraphic(InvalidImageFormatText(FFormat)); }

private:
    void Need(std::size_t offset, std::size_t count) const {
        if (!Has(offset, count))
            Fail();
    }

    std::span<const std::uint8_t> FData;
    const char* FFormat;
};

} // namespace sj

// PNG images for the skin layer: the members of skin packages and the icons of the
// alpha image lists are decoded by TPNGGraphic into 32-bit pixmaps.
//
// Every colour type and bit depth of the PNG standard is read, interlaced (Adam7) or
// not. The image is kept in the bitmap format it would have as a device bitmap
// (BitsPerPixel): grey 1 bit (depth 1), 4 bits (depths 2 and 4) or 8 bits (8 and 16);
// RGB 24 bits; indexed 1, 4 (depth 2 and 4) or 8 bits; grey + alpha 8 bits with the
// alpha dropped; RGBA 32 bits with the alpha kept. The pixels are always delivered as
// 32-bit words:
//  - RGBA images keep their alpha as stored (not premultiplied);
//  - every other image is opaque, except that pure magenta becomes the clear key pixel
//    0x00FF00FF, and pixels matching a tRNS colour (grey and RGB images) get alpha 0.
// 16-bit samples are reduced by v * 255 / 65535. A gAMA chunk switches on gamma
// correction for a display gamma of 2.2.
//
// Errors throw EInvalidGraphic, EGraphicCompression or EColorConversionError
// (acImageCommon.h) with the English message; nothing is read out of bounds, and the
// image is allocated only when the compressed data could inflate to its rows.
#pragma once

#include "platform/Pixmap.h"
#include "skin/paint/acImageCommon.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>

namespace sj {

class TPNGGraphic {
public:
    // Called with the stage ("Preparing...", "Transfering...") and a percentage while
    // loading, and with an empty stage and 100 at the end.
    using TProgressEvent = std::function<void(const char* stage, int percent)>;

    // Decodes a complete PNG file. When decoding fails the error is thrown and the
    // graphic keeps the rows decoded so far over its background fill. `maxPixels`
    // lowers the size limit of acImageCommon.h; a larger image throws EImageTooLarge.
    void LoadFromBytes(std::span<const std::uint8_t> data, std::int64_t maxPixels = MaxImagePixels);
    // Reads the stream to its end and decodes what it read.
    void LoadFromStream(std::istream& stream);

    int Width() const { return FPixels.Width(); }
    int Height() const { return FPixels.Height(); }
    bool Empty() const { return FPixels.Empty(); }

    const TacPixmap& Pixels() const { return FPixels; }
    TacPixmap& Pixels() { return FPixels; }

    // Bits per pixel of the device bitmap format the image maps to: 1, 4, 8, 24 or 32.
    int BitsPerPixel() const { return FBitsPerPixel; }
    bool HasAlpha() const { return FBitsPerPixel == 32; }
    // The single transparent colour of a grey or RGB image with a tRNS chunk, as an
    // 0x00RRGGBB pixel word.
    std::optional<TPixel32> TransparentColor() const { return FTransparentColor; }
    // The background fill (bKGD, white without it), an opaque pixel word.
    TPixel32 BackgroundColor() const { return FBackground; }

    // Drawing adds a mirrored, fading copy of the lower half below the image.
    bool Reflected() const { return FReflected; }
    void SetReflected(bool value) { FReflected = value; }

    // Draws the image into rect of the canvas pixels: 32-bit images are blended by
    // their alpha (stretched to rect when the sizes differ), others copied.
    // Never throws; the parts of rect outside the canvas are clipped.
    void Draw(TacPixelsView canvas, const TacRect& rect) const;

    void SetOnProgress(TProgressEvent handler) { FOnProgress = std::move(handler); }

private:
    TProgressEvent FOnProgress;
    TacPixmap FPixels;
    int FBitsPerPixel = 0;
    std::optional<TPixel32> FTransparentColor;
    TPixel32 FBackground = 0xFFFFFFFF;
    bool FReflected = false;
};

// Convenience: the decoded pixels of a PNG file.
TacPixmap DecodePng(std::span<const std::uint8_t> data, std::int64_t maxPixels = MaxImagePixels);

} // namespace sj

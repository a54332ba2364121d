// Decodes Windows bitmap files (".BMP") into 32-bit pixmaps.
//
// Supported: the Windows header of any version (40, 52, 56, 108 or 124 bytes) and the
// old 12-byte OS/2 header; 1, 4 and 8 bits per pixel with a palette (also RLE8 and
// RLE4), 16 bits (5-5-5 or bit fields), 24 bits, 32 bits (plain or bit fields);
// bottom-up and top-down rows.
//
// Alpha: a 32-bit file keeps the alpha bytes it stores (or its alpha bit field), unless
// they are 0 in every pixel: that is the "unused" byte most writers leave, and such a
// file has no alpha. Every file without alpha (also a 16-bit one with an alpha bit
// field) comes out as the skin layer's images need it: alpha 255, except that pixels of
// exactly the key colour magenta (red 255, green 0, blue 255) become the clear key pixel
// 0x00FF00FF. TacNoAlpha::Opaque gives alpha 255 to every pixel instead.
//
// Bad data never reads out of bounds: it throws EInvalidGraphic (acImageCommon.h), and
// a header is never believed before the file shows it holds the pixel data: the image
// is allocated only after that check. `maxPixels` lowers the size limit of
// acImageCommon.h for one call; a larger image throws EImageTooLarge.
#pragma once

#include "platform/Pixmap.h"
#include "skin/paint/acImageCommon.h"

#include <cstdint>
#include <span>

namespace sj {

struct TacBmpImage {
    TacPixmap Pixels;
    int BitsPerPixel = 0;  // as stored in the file
    bool HasAlpha = false; // the file carried an alpha channel that was kept
};

TacBmpImage ReadBmp(std::span<const std::uint8_t> data, TacNoAlpha alpha = TacNoAlpha::KeyClear,
                    std::int64_t maxPixels = MaxImagePixels);

inline TacPixmap DecodeBmp(std::span<const std::uint8_t> data, TacNoAlpha alpha = TacNoAlpha::KeyClear,
                           std::int64_t maxPixels = MaxImagePixels) {
    return ReadBmp(data, alpha, maxPixels).Pixels;
}

} // namespace sj

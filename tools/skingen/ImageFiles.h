// Encoders for the image members of a skin package: 24-bit BMP (the master image
// and the bitmap members, whose key colour must survive exactly) and baseline JPEG.
#pragma once

#include "platform/Pixmap.h"

#include <cstdint>
#include <vector>

namespace sj::skingen {

// Bottom-up 24-bit BI_RGB bitmap; the alpha byte of every pixel is dropped.
std::vector<std::uint8_t> EncodeBmp24(const TacPixmap& image);

// Baseline JPEG of the colours (alpha dropped), quality 1..100.
std::vector<std::uint8_t> EncodeJpeg(const TacPixmap& image, int quality);

} // namespace sj::skingen

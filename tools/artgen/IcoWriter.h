// Writes Windows icon files: one directory entry per image, 32-bit colour with alpha.
// Images of 256 pixels are stored as PNG (as Windows expects for that size), smaller
// ones as device-independent bitmaps with their AND mask.
#pragma once

#include "platform/Pixmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sj::art {

// The icon file holding images (square, 1 to 256 pixels, in the given order).
std::vector<std::uint8_t> EncodeIco(const std::vector<TacPixmap>& images);

void WriteIcoFile(const std::string& path, const std::vector<TacPixmap>& images);

} // namespace sj::art

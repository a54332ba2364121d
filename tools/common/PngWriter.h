// A small PNG encoder for the build tools (skins, icons, pictures, preview sheets):
// 8-bit RGBA, non-interlaced, one zlib stream.
#pragma once

#include "platform/Pixmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sj::tools {

// Encodes the pixmap (BGRA words, see acPixmap.h) as an RGBA PNG.
std::vector<std::uint8_t> EncodePng(const TacPixmap& image);

// Writes EncodePng(image) to path; throws sj::Exception when the file cannot be written.
void WritePngFile(const std::string& path, const TacPixmap& image);

} // namespace sj::tools

// JPEG images of skins (textures and large background patterns), decoded with
// libjpeg into 32-bit pixmaps.
//
// Grey, YCbCr, RGB, CMYK and YCCK files are read. JPEG has no alpha: pixels come out
// as TacNoAlpha says (by default opaque, exact magenta as the clear key pixel).
// Any libjpeg error (not a JPEG, corrupt data, unsupported feature) throws
// EInvalidGraphic with libjpeg's message; libjpeg never ends the process. A file cut
// short decodes with its missing part grey, as libjpeg does, but a file far too short
// for the size its header declares is refused before anything is allocated.
// `maxPixels` lowers the size limit of acImageCommon.h for one call; a larger image
// throws EImageTooLarge.
#pragma once

#include "platform/Pixmap.h"
#include "skin/paint/acImageCommon.h"

#include <cstdint>
#include <span>

namespace sj {

TacPixmap DecodeJpeg(std::span<const std::uint8_t> data, TacNoAlpha alpha = TacNoAlpha::KeyClear,
                     std::int64_t maxPixels = MaxImagePixels);

} // namespace sj

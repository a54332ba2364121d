// JPEG images of skins (textures and large background patterns), decoded with
// libjpeg into 32-bit pixmaps.
//
// Grey, YCbCr, RGB, CMYK and YCCK files are read. JPEG has no alpha: pixels come out
// as TacNoAlpha says (by default opaque, exact magenta as the clear key pixel).
// Any libjpeg error (not a JPEG, corrupt data, unsupported feature) throws
// EInvalidGraphic with libjpeg's message; libjpeg never ends the process. A file cut
// short decodes with its missing part grey, as libjpeg does.
#pragma once

#include "skin/paint/acImageCommon.h"
#include "platform/Pixmap.h"

#include <cstdint>
#include <span>

namespace sj {

TacPixmap DecodeJpeg(std::span<const std::uint8_t> data, TacNoAlpha alpha = TacNoAlpha::KeyClear);

} // namespace sj

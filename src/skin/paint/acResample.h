// Filtered resizing of 32-bit bitmaps for smooth stretching and scaled images: two
// passes (horizontal, then vertical) with per-position weight tables in 16.16 fixed
// point. All four bytes of a pixel, alpha included, are filtered alike.
#pragma once

#include "platform/Pixmap.h"

namespace sj {

enum class TacResampleFilter {
    Triangle = 1, // support 1: 1 - x
    Hermite = 2,  // support 1: 2x^3 - 3x^2 + 1
    Mitchell = 6, // support 2: the cubic with B = C = 1/3
};

// Makes target newWidth x newHeight and fills it with source resampled by filter.
// Throws sj::Exception("Source bitmap is too small") when source is narrower or lower than
// 2 pixels. A target width or height of 0 (or below) leaves target untouched; equal sizes
// copy the source.
void ResampleBitmap(TacPixelsView source, TacPixmap& target, int newWidth, int newHeight, TacResampleFilter filter);

} // namespace sj

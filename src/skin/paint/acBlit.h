// Block transfers between 32-bit pixel views: the portable stand-ins for BitBlt with
// SRCCOPY and StretchBlt in COLORONCOLOR mode that the skin painters use for unmasked
// pieces. Both clip to the source and the target; nothing here throws.
#pragma once

#include "platform/Pixmap.h"

namespace sj {

// Copies sourceRect of source to (x, y) of target, whole pixels (alpha included).
// Source and target may be the same view when the areas do not overlap.
void CopyPixels(TacPixelsView target, int x, int y, TacPixelsView source, TacRect sourceRect);

// Stretches sourceRect of source over targetRect of target by nearest neighbour
// (COLORONCOLOR): target column i takes source column left + floor((i + 1/2) * w / W),
// likewise for rows. The mapping is computed from the unclipped rectangles, so a clipped
// target shows the same pixels as the visible part of the unclipped stretch.
void StretchPixels(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect);

// A const pixmap seen as a view; painters only read through it.
inline TacPixelsView ViewOf(const TacPixmap& pixmap) {
    auto& mutablePixmap = const_cast<TacPixmap&>(pixmap);
    return mutablePixmap.View();
}

} // namespace sj

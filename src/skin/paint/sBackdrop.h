// What lies behind a control: the record every painter that may show the backdrop
// takes. A bitmap backdrop is read at (target x + OffsetX, target y + OffsetY).
#pragma once

#include "platform/Pixmap.h"

#include <cstdint>

namespace sj {

// The unknown colour, also the key pixel of skin images.
inline constexpr std::uint32_t clUnknownColor = 0x00FF00FF;

struct TBackdropRef {
    TacPixelsView Bitmap{};     // the pixels behind, when IsBitmap
    std::int32_t OffsetX = 0;   // origin of the painted area inside Bitmap
    std::int32_t OffsetY = 0;
    std::uint32_t Color = 0;    // 0x00BBGGRR when there is no bitmap; clUnknownColor when unknown
    bool IsBitmap = false;

    // The same backdrop seen from an area that lies (dx, dy) further in.
    TBackdropRef Shifted(int dx, int dy) const {
        TBackdropRef r = *this;
        r.OffsetX += dx;
        r.OffsetY += dy;
        return r;
    }
    bool HasBitmap() const { return IsBitmap && Bitmap.Bits != nullptr && !Bitmap.Empty(); }
};

inline TBackdropRef ColorBackdrop(std::uint32_t color) {
    TBackdropRef r;
    r.Color = color;
    return r;
}
inline TBackdropRef BitmapBackdrop(TacPixelsView bitmap, int offsetX, int offsetY) {
    TBackdropRef r;
    r.Bitmap = bitmap;
    r.OffsetX = offsetX;
    r.OffsetY = offsetY;
    r.IsBitmap = true;
    return r;
}

} // namespace sj

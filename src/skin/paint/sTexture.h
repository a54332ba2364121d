// Textures of skin sections: image items laid over a rectangle in their texture mode
// (tiled, stretched, strips along an edge, whole tiles only), masked texture items whose
// clear pixels show the backdrop, and the separate pattern images of a skin, always
// tiled. Each painter returns in rect the part it left for the caller to fill, or
// txAllCovered. Rectangles are clipped to the target; nothing here throws. Backdrop
// colours are plain 0x00BBGGRR values: callers resolve system colour codes first.
#pragma once

#include "platform/Pixmap.h"
#include "skin/paint/sBackdrop.h"

#include <cstdint>

namespace sj {

struct TsMaskData;

// Texture modes, the value of a texture item's PaintFlags.
inline constexpr int tmTile = 0;
inline constexpr int tmStretch = 1;
inline constexpr int tmTopRow = 2;
inline constexpr int tmLeftColumn = 3;
inline constexpr int tmTopStrip = 4;
inline constexpr int tmLeftStrip = 5;
inline constexpr int tmBottomRow = 6;
inline constexpr int tmRightColumn = 7;
inline constexpr int tmWholeTiles = 10;

// The remainder reported when the texture covered all of rect.
inline constexpr TacRect txAllCovered{-1, -1, -1, -1};

// Whether a painter left part of rect for the caller.
inline bool HasRemainder(const TacRect& rect) {
    return !rect.Empty();
}

// sourceRect of source laid over rect in `mode`. Tiles start at rect's top-left and are
// cut at its edges. Remainders: below the top strip (modes 2, 4), right of the left one
// (3, 5), above the bottom one (6), left of the right one (7), below the last whole row
// of tiles (10); unknown modes and empty sources leave all of rect.
void DrawTexture(TacPixelsView target, TacRect& rect, TacPixelsView source, TacRect sourceRect, int mode);

// An unmasked texture item: its SourceRect from its own image or its owner's master
// image. An item with neither image leaves all of rect.
void DrawTexture(TacPixelsView target, TacRect& rect, const TsMaskData& item, int mode);

// A separate pattern image of the skin: the whole image tiled over rect.
void DrawPatternTexture(TacPixelsView target, TacRect& rect, TacPixelsView image);

// A masked texture item: tiles of frame width x frame height with their mask below,
// blended by the mask, their clear pixels showing the backdrop (a bitmap at the pixel's
// place plus the offsets, or the colour; an unknown colour leaves them alone). Mode 0
// tiles all of rect; mode 10 lays only tiles that end before rect's right and bottom
// edges and gives the bands left over to the backdrop. Both report all covered; other
// modes leave all of rect.
void DrawMaskedTexture(TacPixelsView target, TacRect& rect, const TBackdropRef& backdrop, int mode,
                       const TsMaskData& item);

// rect shows what lies behind: copied from a bitmap backdrop (at the pixel's place plus
// the offsets, alpha included) or filled with the backdrop colour at alpha 255. Pixels a
// bitmap does not reach, and an unknown colour, take fallback (0x00BBGGRR) at alpha 255.
// A backdrop that is the target itself already shows there and is left alone.
void FillWithBackdrop(TacPixelsView target, TacRect rect, const TBackdropRef& backdrop, std::uint32_t fallback);

} // namespace sj

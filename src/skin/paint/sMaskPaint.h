// Copies pieces of skin image items into 32-bit bitmaps: the masked, keyed and stretched
// piece copiers, the nine-slice borders painter built from them (opaque, alpha-keeping and
// region-cutting), state frames of image items and the clear corners of a cached face.
//
// An item's mask lies below its frame; per channel the mask value M is the weight of what
// was already in the target: new = S + floor(M * (D - S) / 256). The key pixel 0x00FF00FF
// (compared as a whole word) marks clear skin pixels. All rectangles are right/bottom
// exclusive. Nothing here throws, reads or writes outside a bitmap: bad geometry and
// unchecked skin values (no frames, odd mask kinds, negative widths) clip or paint nothing.
#pragma once

#include "platform/Pixmap.h"
#include "skin/paint/sBackdrop.h"

#include <cstdint>
#include <vector>

namespace sj {

struct TsMaskData;
class TsSkinModel;

// DrawStateImage / BlendStateImage modes.
inline constexpr int simNormal = 1;
inline constexpr int simFaded = 2; // the disabled look: the mask lets more of the target through

// Corner bits of FillBackdropCorners.
inline constexpr unsigned bcTopLeft = 1;
inline constexpr unsigned bcBottomLeft = 2;
inline constexpr unsigned bcTopRight = 4;
inline constexpr unsigned bcBottomRight = 8;
inline constexpr unsigned bcAllCorners = 15;

// The nine-slice painter of a borders item over rect: corners, sides and (PaintFlags bit 2)
// the centre of the item's frame for `state`. Borders wider than rect are shrunk. Clear
// corner pixels show the backdrop when transparentCorners is set and the item's CornerKind
// is above 0; otherwise they keep what was there. An item without a skin manager (Owner)
// paints nothing.
void DrawBordersMask(TacPixelsView target, TacRect rect, bool transparentCorners, int state, const TsMaskData& item,
                     const TBackdropRef& backdrop);

// The same walk for bitmaps shown through layered windows: masked pieces keep a
// meaningful alpha (BlendMaskedPieceKeepAlpha, StretchMaskedPieceKeepAlpha). The pixels come
// from the item's own bitmap or the manager's master image; nothing is painted without a
// manager.
void DrawBordersMaskAlpha(TacPixelsView target, TacRect rect, bool transparentCorners, const TsSkinModel* manager,
                          int state, const TsMaskData& item, const TBackdropRef& backdrop);

// Paints the border pieces of `state` over the whole target (no centre) and appends to
// cutRuns, in target coordinates, one one-pixel-high rectangle per horizontal run of clear
// source pixels in the pieces. The caller removes them from the control's full
// rectangle to get the window region. cutRuns may be null (paint only). An item with
// fewer than one frame counts as one frame covering its whole image.
void DrawBordersMaskCutRegion(TacPixelsView target, int state, const TsMaskData& item, std::vector<TacRect>* cutRuns);

// One unstretched piece of a masked item: the overlap of sourceRect (in source) and
// targetRect, clipped to both bitmaps. The mask row lies (SourceRect height div 2) below.
// With useBackdrop, clear pixels show the backdrop (a bitmap backdrop also makes every
// touched pixel opaque); without it they leave the target alone.
void BlendMaskedPiece(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                      const TsMaskData& item, bool useBackdrop, const TBackdropRef& backdrop);

// One piece of an unmasked image at (x, y); pixels equal to key are clear: they show a
// bitmap backdrop with useBackdrop, are left alone over a bitmap, or take a colour
// backdrop's colour.
void CopyKeyedPiece(TacPixelsView target, int x, int y, TacPixelsView source, TacRect sourceRect, bool useBackdrop,
                    const TBackdropRef& backdrop, TPixel32 key = clKeyPixel);

// sourceRect (its mask maskOffset rows below; 0: an unmasked image, copied) stretched over
// targetRect. The result is opaque. smooth resamples with filters instead of picking
// nearest pixels.
void StretchMaskedPiece(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                        int maskOffset, bool smooth);

// The alpha-keeping counterparts for layered-window bitmaps. A clear pixel over a target
// that is itself clear stays clear; partly masked pixels raise the target alpha to at
// least 255 - mask.
void BlendMaskedPieceKeepAlpha(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                               const TsMaskData& item, bool useBackdrop, const TBackdropRef& backdrop);
void StretchMaskedPieceKeepAlpha(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                                 int maskOffset, bool smooth);

// The frame of `state` (clamped to the last one) of an image item with its top-left at
// (x, y); parts at negative coordinates are cut off. mode: simNormal or simFaded.
void DrawStateImage(TacPixelsView target, int x, int y, int state, const TBackdropRef& backdrop, const TsMaskData& item,
                    int mode);

// The masked copy behind DrawStateImage: sourceRect's pixels land at targetRect's top-left,
// limited by both rectangles and both bitmaps; the mask lies one frame height below. The
// target alpha grows with the coverage of each painted pixel.
void BlendStateImage(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                     const TsMaskData& item, int mode, TPixel32 key = clKeyPixel);

// For each source pixel other than key, each colour channel of the target pixel at
// (x, y) + offset becomes round(S - factor * (S - D)), halves to even; alpha kept.
void BlendSkippingKey(TacPixelsView target, int x, int y, TacPixelsView source, TacRect sourceRect, double factor,
                      TPixel32 key = clKeyPixel);

// After a control's face has been painted into cache: in the corners selected by `corners`
// (bc... bits), pixels that are clear in the borders item's frame for `state` take the
// backdrop. A bitmap backdrop is read at pixel + (controlX, controlY) + its offset, colour
// kept and alpha 0. For an unmasked item the cache's own key pixels are replaced.
void FillBackdropCorners(TacPixelsView cache, int controlX, int controlY, const TsMaskData& item, int state,
                         unsigned corners, const TBackdropRef& backdrop);

} // namespace sj

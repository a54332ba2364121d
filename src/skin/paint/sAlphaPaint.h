// Per-pixel work on 32-bit bitmaps whose alpha channel must stay meaningful (they end up
// in layered windows or in fades): blending equal bitmaps, mixing two into a third,
// laying a straight-alpha piece over a target, premultiplying, shading and setting alpha,
// and the soft colour wash of disabled scroll bars.
//
// The blend rules shared by the text, glyph and alpha painters are written once below.
// Colours are 0x00BBGGRR (TColor), pixels 0xAARRGGBB. Nothing here throws, reads or
// writes outside a bitmap: rectangles are clipped, mismatched sizes do nothing.
#pragma once

#include "platform/Pixmap.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sGraphUtils.h"

#include <algorithm>
#include <cstdint>

namespace sj {

// ---- Blend rules -------------------------------------------------------------------

// s + floor(w * (d - s) / 256): w is the weight of d. Written as one shift of a sum so
// that negative differences round toward minus infinity, not toward zero.
inline constexpr int Lerp256(int s, int d, int w) {
    return (s * (256 - w) + w * d) >> 8;
}

// c + trunc((t - c) * v / 255): the glow's rule, truncating toward zero on purpose.
inline constexpr int Lerp255Trunc(int c, int t, int v) {
    return c + (t - c) * v / 255;
}

// a + trunc(cover * (255 - a) / 255): alpha grows by the covered share of what is left.
inline constexpr int AlphaOver(int a, int cover) {
    return a + cover * (255 - a) / 255;
}

// num / den to the nearest integer, halves to even; den > 0. Integer inputs keep exact
// halves exact (76.5 is recognised as a half, which floating point may not do).
inline constexpr int RoundDivEven(int num, int den) {
    int q = num / den;
    int r = num % den;
    if (r < 0) {
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0))
        ++q;
    return q;
}

inline constexpr std::uint8_t ToByte(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// fn(channel of a, channel of b) for red, green and blue; the alpha byte is given.
template <typename Fn> constexpr TPixel32 MapChannels(TPixel32 a, TPixel32 b, std::uint8_t alpha, Fn fn) {
    return MakePixel(ToByte(fn(PixelR(a), PixelR(b))), ToByte(fn(PixelG(a), PixelG(b))),
                     ToByte(fn(PixelB(a), PixelB(b))), alpha);
}

// ---- Views and areas ---------------------------------------------------------------

// The part of v under r; r must lie inside v (clip it first).
inline TacPixelsView SubView(const TacPixelsView& v, TacRect r) {
    return {v.Row(r.Top) + r.Left, r.Width(), r.Height(), v.Stride};
}

// ---- Operations --------------------------------------------------------------------

// Each colour channel t of target becomes s + floor(weight * (t - s) / 256), s from
// source: the target keeps weight / 256 of itself. Alpha kept. Only for equal sizes.
void BlendEqualBitmaps(TacPixelsView target, TacPixelsView source, std::uint8_t weight);

// destination = b + floor(w * (a - b) / 256) per colour channel, w the mask's same
// channel when a mask is given (Bits set), weight otherwise; destination alpha kept.
// a and b must have equal sizes; the work is limited to the destination and the mask.
// Results beyond 0..255 (weights outside 0..256) are clamped.
void MixBitmapsInto(TacPixelsView destination, TacPixelsView a, TacPixelsView b, std::int16_t weight,
                    TacPixelsView mask = {});

// Every pixel but the key pixel gets each colour channel round(factor * c + (1 - factor)
// * k), halves to even, k from the 0x00BBGGRR colour; alpha kept.
void BlendColorSkippingKey(TacPixelsView bitmap, TColor color, double factor);

// Lays sourceRect of a straight-alpha source over targetRect (the overlap of both sizes,
// clipped to both bitmaps): channels t + floor(A * (s - t) / 256), alpha grows by A. With
// a bitmap backdrop, key source pixels are not laid: with useBackdrop they show the
// backdrop pixel at the target position plus the backdrop offset, opaque; otherwise they
// are skipped. With a colour backdrop every source pixel is laid.
void BlendAlphaPiece(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                     bool useBackdrop, const TBackdropRef& backdrop);

// Each colour channel c of rect becomes c * A div 256, A the pixel's alpha (kept); a
// clear white 0x00FFFFFF thus becomes 0, an opaque white 254, 254, 254. The whole-bitmap
// form is in sGraphUtils.h.
void PremultiplyAlpha(TacPixelsView bitmap, TacRect rect);

// Each colour channel c of rect becomes round(c - percent * (c - k) / 100), halves to
// even, k from the colour; the alpha byte becomes alpha.
void ShadeRect(TacPixelsView bitmap, TacRect rect, TColor color, std::uint8_t alpha, int percent);

// Every pixel of rect gets the alpha byte; with skipKey, key pixels are left alone.
void SetRectAlpha(TacPixelsView bitmap, TacRect rect, std::uint8_t alpha, bool skipKey);

// Every colour channel becomes k + floor(g * (p - k) / 256), g the mask's same channel, k
// from the colour: the mask is the share the pixel keeps. Limited to the overlap of both.
void BlendColorByMask(TacPixelsView bitmap, TacPixelsView mask, TColor color);

// A wash of colour over rect that is lighter toward the edges: the centre keeps about
// percent of itself, `steps` rounded rings (corner size `radius`) fade out to the edge.
// The rings are filled as a pen-less rounded rectangle fill does, leaving the last
// column and row of each shape unfilled; callers pass rect one pixel larger than the
// face for that reason. Pixels no shape covers take the colour.
void BlendColorSoft(TacPixelsView bitmap, TacRect rect, int percent, int radius, int steps, TColor color);

} // namespace sj

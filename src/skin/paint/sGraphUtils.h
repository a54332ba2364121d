// Colour helpers of the skin painters: mixing and blending colours and bitmaps, hue
// and saturation changes for a skin's colour adjustments, grey-scale.
//
// Two colour layouts meet here: TColor words of the skin model are 0x00BBGGRR (red in
// the low byte), pixel words are 0xAARRGGBB (acPixmap.h). Each function says which one
// it takes. Rounding follows the painters' rules: "round" is to nearest with halves to
// even, "floor" rounds toward minus infinity.
//
// Nothing here throws; rectangles are clipped to the bitmaps.
#pragma once

#include "platform/Pixmap.h"

#include <cstdint>

namespace sj {

using TColor = std::uint32_t; // 0x00BBGGRR

inline constexpr TColor ColorToPixelOrder(TColor c) {
    return (c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu);
}
// The same swap of red and blue turns a pixel word back into a colour.
inline constexpr TColor PixelToColorOrder(TPixel32 p) {
    return ColorToPixelOrder(p);
}

// Per channel round(x * a + (1 - x) * b); the high byte of a. Works on either layout.
TColor MixColors(TColor a, TColor b, double x);

// Hue shift of one pixel (0xAARRGGBB) by offset degrees through HSV; grey pixels and
// offset 0 return the pixel; alpha kept.
TPixel32 ShiftColorHue(int offset, TPixel32 pixel);
// The same for a 0x00BBGGRR colour.
TColor ShiftHue(TColor color, int offset);
// Every pixel that is neither the key pixel nor grey gets ShiftColorHue.
void ShiftHue(TacPixelsView bitmap, int offset);

// Saturation change: each channel c becomes round(c - (m - c) * amount / 100), m the
// mean of the three channels, limited to 0..255. -100 gives grey. Either layout.
TColor ChangeColorSaturation(int amount, TColor color);
// Every pixel that is neither the key pixel nor grey gets ChangeColorSaturation.
void ChangeSaturation(TacPixelsView bitmap, int amount);

// Every pixel gets (R + G + B) div 3 in its three channels; alpha kept.
void MakeGrayscale(TacPixelsView bitmap);
// The same, leaving pixels equal to key alone.
void MakeGrayscale(TacPixelsView bitmap, TPixel32 key);

// Each channel of the target at point + (x - sourceRect.Left, y - sourceRect.Top)
// becomes S + floor(weight * (T - S) / 256), S from source; alpha unchanged. Weight 0
// copies the source, 255 keeps (almost) the target.
void BlendBitmaps(TacPixelsView target, TacPixelsView source, int weight, int x, int y, TacRect sourceRect);

// Each channel v of rect becomes round(v * percent / 100 + c * (1 - percent / 100)),
// c from the 0x00BBGGRR colour; alpha unchanged.
void BlendColorIntoRect(TacPixelsView bitmap, TacRect rect, int percent, TColor color);

// Every pixel of rect becomes the 0x00BBGGRR colour with the given alpha.
void FillPixels(TacPixelsView target, TacRect rect, TColor color, std::uint8_t alpha);

// Multiplies red, green and blue of every pixel by its alpha, shifted right by 8 bits.
void PremultiplyAlpha(TacPixelsView bitmap);

// Blends the source pixels of sourceRect by their own alpha into the target at
// targetRect's top-left (the overlap of both rectangles, clipped to both bitmaps):
// each channel becomes T + floor(A * (S - T) / 256), the target alpha
// max(target alpha, A). transparency (0..100) first scales A by (100 - p) / 100.
// Source pixels equal to a given key are skipped, or, with a backdrop, show the
// backdrop's pixel at the same place shifted by the backdrop offsets. With reflected,
// a mirrored copy of the lower half follows below the image, fading from A / 3.
struct TacAlphaBlendOptions {
    bool Reflected = false;
    int Transparency = 0;
    bool UseKey = false;
    TPixel32 Key = clKeyPixel;
    TacPixelsView Backdrop{}; // no bits: key pixels are skipped
    int BackdropX = 0;
    int BackdropY = 0;
};
void BlendAlphaImage(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                     const TacAlphaBlendOptions& options = {});

} // namespace sj

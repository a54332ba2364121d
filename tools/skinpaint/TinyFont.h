// A 5 x 7 pixel bitmap font for labels on review sheets: upper-case letters, digits and
// a few signs; lower case draws as upper case and anything else as "?". Drawing clips
// to the pixmap.
#pragma once

#include "platform/Pixmap.h"

#include <string_view>

namespace sj::tools {

inline constexpr int TinyGlyphWidth = 5;
inline constexpr int TinyGlyphHeight = 7;
inline constexpr int TinyAdvance = TinyGlyphWidth + 1;

// Whether the glyph of `c` sets the pixel (x, y), 0 <= x < 5, 0 <= y < 7.
bool TinyGlyphPixel(char c, int x, int y);

// Width of the label in pixels (no trailing gap after the last glyph).
int TinyTextWidth(std::string_view text);

// Draws the label with its top-left at (x, y) in `color` (a whole pixel).
void DrawTinyText(TacPixmap& target, int x, int y, std::string_view text, TPixel32 color);

} // namespace sj::tools

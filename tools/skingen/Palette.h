// Colour arithmetic for deriving a skin's colours: relative luminance, contrast
// ratio and lightness changes, so that every text colour is chosen readable.
#pragma once

#include "tools/common/Raster.h"

#include <initializer_list>

namespace sj::skingen {

// Skins are drawn in single precision.
using tools::TColorF;

TColorF Rgb(unsigned rgb); // 0xRRGGBB
unsigned RefOf(const TColorF& c);

double RelativeLuminance(const TColorF& c);
double ContrastRatio(const TColorF& a, const TColorF& b);

TColorF Lighten(const TColorF& c, float amount); // towards white
TColorF Darken(const TColorF& c, float amount);  // towards black
bool IsDark(const TColorF& c);

// A text colour for the faces: starts from `preferred` and moves it towards black or
// white (whichever reads better) until its contrast against every face reaches minRatio.
TColorF ReadableOn(std::initializer_list<TColorF> faces, TColorF preferred, double minRatio = 4.8);

// For mid-tone faces that no text colour can serve: the face moved away from the text
// (darker under light text, lighter under dark text) until the pair reaches minRatio.
TColorF FaceFor(TColorF face, const TColorF& text, double minRatio = 4.8);

} // namespace sj::skingen

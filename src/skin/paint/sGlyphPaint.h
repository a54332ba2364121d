// Small pictures on top of a control's face: the glyphs of bit buttons and speed buttons
// (frames per state, disabled looks), the disabled look of a whole face, the small arrows
// of split and drop-down buttons, the dotted focus frame, copies that skip a transparent
// colour, and the corners of a frame that let a saved picture show through.
//
// Colours are 0x00BBGGRR (TColor) with system colour codes already converted by the
// caller; pixels are 0xAARRGGBB. Pixels set one by one are written opaque. Nothing here
// throws, reads or writes outside a bitmap.
#pragma once

#include "platform/Pixmap.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sGraphUtils.h"

namespace sj {

class TsSkinModel;

// The disabled looks of a control (a bit set): mixed with what lies behind, turned grey.
inline constexpr unsigned dkBlended = 1;
inline constexpr unsigned dkGrayed = 2;

// DrawSmallArrow kinds.
inline constexpr int saRight = 4; // 4 x 7 pixels pointing right
inline constexpr int saDown = 8;  // 8 x 4 pixels pointing down

// CopyThroughKeyPixels corners.
inline constexpr int ckTopLeft = 13;
inline constexpr int ckTopRight = 14;
inline constexpr int ckBottomLeft = 16;
inline constexpr int ckBottomRight = 17;

// A small solid arrow centred in rect; other kinds draw nothing.
void DrawSmallArrow(TacPixelsView canvas, TColor color, TacRect rect, int kind);

// The dotted focus frame: every third pixel of the four edges in dotColor, the pixel
// before each dot in gapColor. Like the frame it imitates, the first gaps fall one pixel
// before the left and top edges, and a dot may fall on the right edge itself.
void DrawFocusRectangle(TacPixelsView canvas, TacRect rect, TColor gapColor, TColor dotColor);

// Copies the whole source to (x, y), opaque, except pixels equal to the transparent
// colour (put into pixel order with its high byte as alpha). compareColourOnly compares
// red, green and blue alone, for sources that had no alpha channel of their own.
void CopyOverKey(TacPixelsView target, int x, int y, TacPixelsView source, TColor transparentColor,
                 bool compareColourOnly = false);

// Copies sourceRect (clipped to the source) to (x, y), writing whole pixels, alpha
// included, except those equal to the transparent colour (pixel order, high byte alpha).
void CopyKeyedRect(TacPixelsView target, int x, int y, TacPixelsView source, TacRect sourceRect,
                   TColor transparentColor);

// Lets source show through the clear pixels of a frame corner: over rect's size (limited
// by what the source holds from sourceRect's top-left), wherever the corner piece (ck...)
// of image item imageIndex's first frame is magenta (alpha not compared), the target
// pixel at rect's top-left + (x, y) takes the source pixel at sourceRect's top-left + (x,
// y). imageIndex -1 tests the target's own pixels instead; an unknown item does nothing.
void CopyThroughKeyPixels(TacPixelsView target, TacRect rect, TacPixelsView source, TacRect sourceRect, int corner,
                          const TsSkinModel* model, int imageIndex);

// How DrawGlyphBitmap draws a glyph.
struct TacGlyphDraw {
    int GlyphCount = 1;    // frames laid side by side: normal, hot, pressed, down
    int BitsPerPixel = 24; // of the glyph as loaded; 16-colour (4-bit) glyphs have no hot frame
    int State = 0;         // 0 normal, 1 hot, 2 pressed
    bool Down = false;
    bool Enabled = true;
    int BlendPercent = 0; // share of the target kept under a blended glyph
    unsigned DisabledKinds = dkBlended;
};

// Draws the glyph (already converted to 32 bits) of a bit button or speed button at rect's
// top-left. The transparent colour is the bottom-left pixel of the frame drawn. A glyph
// count below 1 draws nothing.
void DrawGlyphBitmap(TacPixelsView target, TacRect rect, TacPixelsView glyph, const TacGlyphDraw& how);

// The disabled look of a control face painted for position (x, y) of the control:
// dkGrayed turns it grey; dkBlended then mixes 60 % of a bitmap backdrop into every face
// pixel whose backdrop pixel is not the key pixel, or half of the backdrop colour
// (faceColor, the control's own colour, when the backdrop colour is unknown).
void PaintDisabledLook(TacPixelsView face, unsigned kinds, TColor faceColor, int x, int y,
                       const TBackdropRef& backdrop);

} // namespace sj

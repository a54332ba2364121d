// The framework-side forms of the portable painters: 32-bit bitmaps of the framework,
// the face colour a control shows, the disabled look and the glyphs painted into
// framework bitmaps, the small arrows and the dotted focus frame set pixel by pixel on
// any device context, and the window region cut from the clear pixels of a border.
// Windows only; user-interface thread only. Nothing here throws for bad geometry.
#pragma once

#include <windows.h>

#include <memory>

#include "forms/Bitmap.h"
#include "forms/Controls.h"
#include "forms/GdiHandles.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sGlyphPaint.h"

namespace sj {

struct TsMaskData;

// A 32-bit top-down device-independent bitmap of the given size, zero-filled; negative
// sizes become 0.
std::unique_ptr<TBitmap> CreateBitmap32(int width, int height);

// The colour a control's face shows, as RGB: a skinned control's answer to scQueryColor,
// any other control's own colour; clUnknownColor without a control.
TColor ControlFaceColor(TControl* control);

// The disabled look of a face painted for `position` of control (see the portable
// PaintDisabledLook); the control's face colour is asked only when the backdrop is an
// unknown colour.
void PaintDisabledLook(TBitmap& face, unsigned kinds, TControl* control, POINT position, const TBackdropRef& backdrop);

// The glyph of a bit button or speed button at rect's top-left. bitsPerPixel is the
// depth the glyph was loaded with (16-colour glyphs have no hot frame).
void DrawGlyphBitmap(TBitmap& glyph, TBitmap& target, const RECT& rect, bool down, int blendPercent, int state,
                     unsigned kinds, bool enabled, int glyphCount, int bitsPerPixel = 24);

// A small solid arrow (saRight, saDown) centred in rect, set pixel by pixel on dc.
// System colour codes are allowed.
void DrawSmallArrow(HDC dc, TColor color, const RECT& rect, int kind);
// The dotted focus frame of skinned buttons, set pixel by pixel on dc. System colour
// codes are allowed (the buttons pass clBtnFace for the gaps).
void DrawFocusRectangle(HDC dc, const RECT& rect, TColor gapColor, TColor dotColor);

// Paints the border pieces of `state` over the whole target (no centre) and removes
// every clear source pixel of them from region, which the caller started as the
// control's full rectangle. region may be null (paint only).
void DrawBordersMaskCutRegion(TBitmap& target, HRGN region, int state, const TsMaskData& item);
// The same with a region made here: the target's full rectangle minus the clear pixels.
TGdiRegion BordersCutRegion(TBitmap& target, int state, const TsMaskData& item);

} // namespace sj

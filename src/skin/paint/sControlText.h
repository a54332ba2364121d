// Skinned text on device contexts and 32-bit bitmaps: captions in the section's font
// colour with their one-pixel contours, the disabled colour and the blurred glow; the
// section whose font colour child text takes over; section faces painted onto device
// contexts; solid fills of rectangles and border rings. Windows only; the pixel rules
// live in the portable painters. Nothing here throws for bad geometry.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "forms/Bitmap.h"
#include "forms/Controls.h"
#include "skin/data/sSkinManager.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sTextPaint.h"

namespace sj {

class TsCommonData;

// The caption of a skinned control, in the colours of its section.
void DrawControlText(TCanvas& canvas, const std::string& text, bool enabled, bool hot, TsCommonData& skinData,
                     UINT format, const RECT& rect);

// The same for painters that know a section index but have no skin data. A null
// manager means the primary one.
void DrawSectionTextOnCanvas(TCanvas& canvas, const std::string& text, bool enabled, TsSkinManager* manager, bool hot,
                             std::int32_t sectionIndex, UINT format, const RECT& rect);

// Text into a 32-bit bitmap; every touched pixel becomes opaque.
void DrawSectionText(TBitmap& target, const std::string& text, bool withContours, TsSkinManager* manager, bool hot,
                     std::int32_t sectionIndex, UINT format, const RECT& rect);

// One layer of DrawSectionText: the text in colour at rect, in the target canvas's font.
void DrawTextLayer(TBitmap& target, const std::string& text, TColor color, UINT format, const RECT& rect);

// The glow behind a caption (see the portable DrawBlurredText), rendered with the
// target canvas's font.
void DrawBlurredText(TBitmap& target, const std::string& text, const RECT& rect, TacGrayImage& blurImage, TColor color,
                     std::uint8_t radius, unsigned contours, UINT format);

// The section whose font colour the text of control takes over: the nearest parent
// section that is at most half transparent, when it gives its own font; else own.
std::int32_t EffectiveParentSection(TControl* control, std::int32_t own, TsSkinManager* manager, int state);

// A section face painted into a scratch bitmap of rect's size and copied to dc at rect.
void PaintSectionFaceToDC(std::int32_t sectionIndex, const std::string& sectionName, const TBackdropRef& backdrop,
                          TsSkinManager* manager, HDC dc, POINT offset, const RECT& rect, int state,
                          bool transparentCorners);

// The face of sectionName (or else fallbackName) over the whole target. With a source
// DC its pixels at rect are the backdrop; otherwise backdropColor is. Returns the
// section index used, -1 when neither name exists.
std::int32_t PaintSectionFaceByName(TBitmap& target, const std::string& sectionName, const std::string& fallbackName,
                                    HDC sourceDC, TColor backdropColor, const RECT& rect, TsSkinManager* manager,
                                    int state);

// A solid fill; the DC's state is kept.
void FillRectDC(HDC dc, const RECT& rect, TColor color);
// The four border strips of rect: top at full width, left below it, bottom right of
// the left strip, right between top and bottom strips.
void FillBorderDC(HDC dc, const RECT& rect, int leftWidth, TColor color, int bottomWidth, int rightWidth, int topWidth);

} // namespace sj

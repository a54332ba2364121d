#include "skin/paint/sCanvasPaint.h"

#include <algorithm>
#include <vector>

#include "skin/data/sMaskData.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"

namespace sj {

std::unique_ptr<TBitmap> CreateBitmap32(int width, int height) {
    return std::make_unique<TBitmap>(std::max(0, width), std::max(0, height));
}

TColor ControlFaceColor(TControl* control) {
    if (control == nullptr)
        return clUnknownColor;
    if (SendSkinCommand(control, scIsSkinned) == 1)
        return ColorToRGB(static_cast<TColor>(SendSkinCommand(control, scQueryColor, 0, clUnknownColor)));
    return ColorToRGB(control->Color());
}

void PaintDisabledLook(TBitmap& face, unsigned kinds, TControl* control, POINT position, const TBackdropRef& backdrop) {
    const bool needsFaceColor = (kinds & dkBlended) != 0 && !backdrop.IsBitmap && backdrop.Color == clUnknownColor;
    const TColor faceColor = needsFaceColor ? ControlFaceColor(control) : clUnknownColor;
    PaintDisabledLook(face.Pixels(), kinds, faceColor, position.x, position.y, backdrop);
}

void DrawGlyphBitmap(TBitmap& glyph, TBitmap& target, const RECT& rect, bool down, int blendPercent, int state,
                     unsigned kinds, bool enabled, int glyphCount, int bitsPerPixel) {
    TacGlyphDraw how;
    how.GlyphCount = glyphCount;
    how.BitsPerPixel = bitsPerPixel;
    how.State = state;
    how.Down = down;
    how.Enabled = enabled;
    how.BlendPercent = blendPercent;
    how.DisabledKinds = kinds;
    DrawGlyphBitmap(target.Pixels(), TacRect{rect.left, rect.top, rect.right, rect.bottom}, glyph.Pixels(), how);
}

namespace {

// Pixels the portable painters set one by one are drawn into a clear scratch picture
// (alpha 0 everywhere); every pixel they wrote is opaque and is set on the DC. The
// scratch covers `area` cut to the DC's clip box, so a huge rectangle costs nothing.
template <class Paint> void SetPaintedPixels(HDC dc, RECT area, Paint paint) {
    if (dc == nullptr)
        return;
    RECT clip{};
    if (GetClipBox(dc, &clip) == ERROR || !IntersectRect(&area, &area, &clip))
        return;
    TacPixmap scratch(area.right - area.left, area.bottom - area.top, 0);
    paint(scratch.View(), area.left, area.top);
    for (int y = 0; y < scratch.Height(); ++y)
        for (int x = 0; x < scratch.Width(); ++x) {
            const TPixel32 p = scratch.At(x, y);
            if ((p >> 24) != 0)
                SetPixelV(dc, area.left + x, area.top + y, PixelToColorOrder(p) & 0x00FFFFFF);
        }
}

TacRect Shifted(const RECT& r, int dx, int dy) {
    return TacRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

RECT Grown(const RECT& r, int by) {
    return RECT{r.left - by, r.top - by, r.right + by, r.bottom + by};
}

} // namespace

void DrawSmallArrow(HDC dc, TColor color, const RECT& rect, int kind) {
    const TColor rgb = ColorToRGB(color) & 0x00FFFFFF;
    // The arrow is centred, so for rectangles smaller than the arrow it reaches a few
    // pixels beyond them.
    SetPaintedPixels(dc, Grown(rect, 8), [&](TacPixelsView canvas, int ox, int oy) {
        DrawSmallArrow(canvas, rgb, Shifted(rect, -ox, -oy), kind);
    });
}

void DrawFocusRectangle(HDC dc, const RECT& rect, TColor gapColor, TColor dotColor) {
    const TColor gap = ColorToRGB(gapColor) & 0x00FFFFFF;
    const TColor dot = ColorToRGB(dotColor) & 0x00FFFFFF;
    // Gaps fall one pixel before the left and top edges, dots may fall on the right edge.
    SetPaintedPixels(dc, Grown(rect, 2), [&](TacPixelsView canvas, int ox, int oy) {
        DrawFocusRectangle(canvas, Shifted(rect, -ox, -oy), gap, dot);
    });
}

void DrawBordersMaskCutRegion(TBitmap& target, HRGN region, int state, const TsMaskData& item) {
    std::vector<TacRect> runs;
    DrawBordersMaskCutRegion(target.Pixels(), state, item, region != nullptr ? &runs : nullptr);
    for (const TacRect& run : runs) {
        TGdiRegion cut(CreateRectRgn(run.Left, run.Top, run.Right, run.Bottom));
        if (cut)
            CombineRgn(region, region, cut.Get(), RGN_DIFF);
    }
}

TGdiRegion BordersCutRegion(TBitmap& target, int state, const TsMaskData& item) {
    TGdiRegion region(CreateRectRgn(0, 0, target.Width(), target.Height()));
    DrawBordersMaskCutRegion(target, region.Get(), state, item);
    return region;
}

} // namespace sj

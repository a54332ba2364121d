#include "skin/paint/sGlyphPaint.h"

#include "skin/data/sSkinModel.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sMaskPaint.h"

namespace sj {

namespace {

inline constexpr TPixel32 cOpaque = 0xFF000000u;
inline constexpr TPixel32 cColourBits = 0x00FFFFFFu;

TPixel32 OpaquePixel(TColor color) {
    return ColorToPixelOrder(color) | cOpaque;
}

void Plot(const TacPixelsView& canvas, int x, int y, TPixel32 pixel) {
    if (canvas.Contains(x, y))
        canvas.At(x, y) = pixel;
}

bool IsMagenta(TPixel32 p) {
    return (p & cColourBits) == clKeyPixel;
}

} // namespace

void DrawSmallArrow(TacPixelsView canvas, TColor color, TacRect rect, int kind) {
    if (!HasPixels(canvas))
        return;
    const TPixel32 pixel = OpaquePixel(color);
    const int w = rect.Width(), h = rect.Height();
    if (kind == saRight) {
        const int x0 = rect.Left + (w - 3) / 2, y0 = rect.Top + (h - 6) / 2;
        for (int i = 0; i <= 3; ++i)
            for (int y = y0 + i; y <= y0 + 6 - i; ++y)
                Plot(canvas, x0 + i, y, pixel);
    } else if (kind == saDown) {
        const int x0 = rect.Left + (w - 6) / 2 - 1, y0 = rect.Top + (h - 3) / 2 - 1;
        for (int i = 0; i <= 3; ++i)
            for (int x = x0 + i; x <= x0 + 7 - i; ++x)
                Plot(canvas, x, y0 + i, pixel);
    }
}

void DrawFocusRectangle(TacPixelsView canvas, TacRect rect, TColor gapColor, TColor dotColor) {
    if (!HasPixels(canvas))
        return;
    const TPixel32 gap = OpaquePixel(gapColor), dot = OpaquePixel(dotColor);
    const int right = rect.Right - 1, bottom = rect.Bottom - 1;
    // Steps that lie wholly before the canvas are skipped, and the walk stops past its
    // end, so a huge rectangle costs no more than the canvas.
    for (int i = std::max(0, -rect.Left / 3); i <= rect.Width() / 3; ++i) {
        const int x = rect.Left + 3 * i;
        if (x - 1 >= canvas.Width)
            break;
        Plot(canvas, x, rect.Top, dot);
        Plot(canvas, x, bottom, dot);
        Plot(canvas, x - 1, rect.Top, gap);
        Plot(canvas, x - 1, bottom, gap);
    }
    for (int j = std::max(0, -rect.Top / 3); j <= rect.Height() / 3; ++j) {
        const int y = rect.Top + 3 * j;
        if (y - 1 >= canvas.Height)
            break;
        Plot(canvas, rect.Left, y, dot);
        Plot(canvas, right, y, dot);
        Plot(canvas, rect.Left, y - 1, gap);
        Plot(canvas, right, y - 1, gap);
    }
}

void CopyOverKey(TacPixelsView target, int x, int y, TacPixelsView source, TColor transparentColor,
                 bool compareColourOnly) {
    if (!HasPixels(target) || !HasPixels(source))
        return;
    const TPixel32 key = ColorToPixelOrder(transparentColor);
    const TPixel32 compared = compareColourOnly ? cColourBits : 0xFFFFFFFFu;
    TacCopyArea area{x, y, 0, 0, source.Width, source.Height};
    area.ClipTo(target, source);
    area.ForEachPair(target, source, [&](TPixel32& t, TPixel32 s, int, int) {
        if ((s & compared) != (key & compared))
            t = s | cOpaque;
    });
}

void CopyKeyedRect(TacPixelsView target, int x, int y, TacPixelsView source, TacRect sourceRect,
                   TColor transparentColor) {
    if (!HasPixels(target) || !HasPixels(source))
        return;
    const TacRect clipped = ClipRect(sourceRect, source);
    const TPixel32 key = ColorToPixelOrder(transparentColor);
    TacCopyArea area{x + clipped.Left - sourceRect.Left,
                     y + clipped.Top - sourceRect.Top,
                     clipped.Left,
                     clipped.Top,
                     clipped.Width(),
                     clipped.Height()};
    area.ClipTo(target, source);
    area.ForEachPair(target, source, [key](TPixel32& t, TPixel32 s, int, int) {
        if (s != key)
            t = s;
    });
}

namespace {

// Where the corner piece of an item's first frame starts in its image.
void CornerOrigin(const TsMaskData& item, int corner, int& x, int& y) {
    x = item.SourceRect.Left;
    y = item.SourceRect.Top;
    if (corner == ckTopRight || corner == ckBottomRight)
        x += FrameWidth(item) - item.BorderRight;
    if (corner == ckBottomLeft || corner == ckBottomRight)
        y += FrameHeight(item) - item.BorderBottom;
}

} // namespace

void CopyThroughKeyPixels(TacPixelsView target, TacRect rect, TacPixelsView source, TacRect sourceRect, int corner,
                          const TsSkinModel* model, int imageIndex) {
    if (!HasPixels(target) || !HasPixels(source))
        return;
    const bool ownPixels = imageIndex == -1;
    if (!ownPixels && (model == nullptr || !model->HasImage(imageIndex)))
        return;
    TacPixelsView image{};
    int cornerX = 0, cornerY = 0;
    if (!ownPixels) {
        const TsMaskData& item = model->Masks[static_cast<std::size_t>(imageIndex)];
        image = ViewOf(item.OwnBitmap ? *item.OwnBitmap : model->MasterBitmap);
        CornerOrigin(item, corner, cornerX, cornerY);
    }
    const int w = std::min(rect.Width(), source.Width - sourceRect.Left);
    const int h = std::min(rect.Height(), source.Height - sourceRect.Top);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int tx = rect.Left + x, ty = rect.Top + y;
            const int sx = sourceRect.Left + x, sy = sourceRect.Top + y;
            if (!target.Contains(tx, ty) || !source.Contains(sx, sy))
                continue;
            const int ix = cornerX + x, iy = cornerY + y;
            const bool clear =
                ownPixels ? IsMagenta(target.At(tx, ty)) : image.Contains(ix, iy) && IsMagenta(image.At(ix, iy));
            if (clear)
                target.At(tx, ty) = source.At(sx, sy);
        }
}

namespace {

// Which frame of a multi-frame glyph shows. 16-colour glyphs have no hot frame; a
// pressed glyph without its own frame falls back to the hot one.
int GlyphFrameIndex(const TacGlyphDraw& how) {
    if (!how.Enabled)
        return 0;
    const bool fourBit = how.BitsPerPixel == 4;
    switch (how.State) {
    case 1:
        return fourBit ? 0 : 1;
    case 2: {
        const int pressed = 2 + (how.Down ? 1 : 0);
        if (pressed < how.GlyphCount)
            return pressed;
        return fourBit ? 0 : std::min(1, how.GlyphCount - 1);
    }
    default:
        return 0;
    }
}

TColor KeyAsColor(TPixel32 key) {
    return PixelToColorOrder(key);
}

void DrawSingleGlyph(TacPixelsView target, TacRect rect, TacPixelsView glyph, const TacGlyphDraw& how) {
    const TacRect area{0, 0, rect.Width(), rect.Height()};
    auto key = [&glyph] { return glyph.At(0, glyph.Height - 1); };
    if (how.Enabled) {
        if (how.State != 0 || how.BlendPercent < 1)
            CopyOverKey(target, rect.Left, rect.Top, glyph, KeyAsColor(key()));
        else
            BlendSkippingKey(target, rect.Left, rect.Top, glyph, area, how.BlendPercent / 100.0, key());
        return;
    }
    // Grey first, so the transparent colour is read from the grey glyph.
    if ((how.DisabledKinds & dkGrayed) != 0)
        MakeGrayscale(glyph);
    if ((how.DisabledKinds & dkBlended) != 0)
        BlendSkippingKey(target, rect.Left, rect.Top, glyph, area, 0.5, key());
    else
        CopyOverKey(target, rect.Left, rect.Top, glyph, KeyAsColor(key()));
}

void DrawGlyphFrame(TacPixelsView target, TacRect rect, TacPixelsView glyph, const TacGlyphDraw& how) {
    const int frameWidth = glyph.Width / how.GlyphCount;
    if (frameWidth <= 0)
        return;
    auto frame = [&](int e) { return TacRect{e * frameWidth, 0, (e + 1) * frameWidth, glyph.Height}; };
    auto key = [&](int e) { return glyph.At(e * frameWidth, glyph.Height - 1); };
    if (!how.Enabled && how.State == 0 && how.BlendPercent > 0) {
        BlendSkippingKey(target, rect.Left, rect.Top, glyph, frame(0), how.BlendPercent / 100.0, key(0));
        return;
    }
    const int e = GlyphFrameIndex(how);
    CopyKeyedRect(target, rect.Left, rect.Top, glyph, frame(e), KeyAsColor(key(how.Enabled ? e : 0)));
}

} // namespace

void DrawGlyphBitmap(TacPixelsView target, TacRect rect, TacPixelsView glyph, const TacGlyphDraw& how) {
    if (!HasPixels(target) || !HasPixels(glyph) || how.GlyphCount < 1)
        return;
    // A copy of our own: the disabled look turns it grey.
    TacPixmap copy(glyph.Width, glyph.Height);
    CopyPixels(copy.View(), 0, 0, glyph, {0, 0, glyph.Width, glyph.Height});
    if (how.GlyphCount == 1)
        DrawSingleGlyph(target, rect, copy.View(), how);
    else
        DrawGlyphFrame(target, rect, copy.View(), how);
}

void PaintDisabledLook(TacPixelsView face, unsigned kinds, TColor faceColor, int x, int y,
                       const TBackdropRef& backdrop) {
    if (!HasPixels(face))
        return;
    if ((kinds & dkGrayed) != 0)
        MakeGrayscale(face);
    if ((kinds & dkBlended) == 0)
        return;
    if (backdrop.IsBitmap) {
        if (!backdrop.HasBitmap())
            return;
        const int bx = backdrop.OffsetX + x, by = backdrop.OffsetY + y;
        BlendSkippingKey(face, 0, 0, backdrop.Bitmap, {bx, by, bx + face.Width, by + face.Height}, 0.4, clKeyPixel);
        return;
    }
    const TColor color = backdrop.Color == clUnknownColor ? faceColor : backdrop.Color;
    BlendColorIntoRect(face, {0, 0, face.Width, face.Height}, 50, color);
}

} // namespace sj

#include "skin/paint/sAlphaPaint.h"

namespace sj {

namespace {

bool SameSize(const TacPixelsView& a, const TacPixelsView& b) {
    return a.Width == b.Width && a.Height == b.Height;
}

// fn(pixel) for every pixel of rect clipped to the bitmap.
template <typename Fn> void ForEachPixelIn(TacPixelsView bitmap, TacRect rect, Fn fn) {
    if (!HasPixels(bitmap))
        return;
    rect = ClipRect(rect, bitmap);
    for (int y = rect.Top; y < rect.Bottom; ++y) {
        TPixel32* row = bitmap.Row(y);
        for (int x = rect.Left; x < rect.Right; ++x)
            fn(row[x]);
    }
}

// Lays one straight-alpha pixel s over t.
TPixel32 LayOver(TPixel32 t, TPixel32 s) {
    const int cover = PixelA(s);
    const int alpha = cover > 0 ? AlphaOver(PixelA(t), cover) : PixelA(t);
    return MapChannels(t, s, ToByte(alpha), [cover](int tc, int sc) { return Lerp256(tc, sc, cover); });
}

} // namespace

void BlendEqualBitmaps(TacPixelsView target, TacPixelsView source, std::uint8_t weight) {
    if (!HasPixels(target) || !HasPixels(source) || !SameSize(target, source))
        return;
    const TacCopyArea area{0, 0, 0, 0, target.Width, target.Height};
    area.ForEachPair(target, source, [weight](TPixel32& t, TPixel32 s, int, int) {
        t = MapChannels(s, t, PixelA(t), [weight](int sc, int tc) { return Lerp256(sc, tc, weight); });
    });
}

void MixBitmapsInto(TacPixelsView destination, TacPixelsView a, TacPixelsView b, std::int16_t weight,
                    TacPixelsView mask) {
    if (!HasPixels(destination) || !HasPixels(a) || !HasPixels(b) || !SameSize(a, b))
        return;
    const bool masked = mask.Bits != nullptr;
    if (masked && mask.Empty())
        return;
    int w = std::min(a.Width, destination.Width);
    int h = std::min(a.Height, destination.Height);
    if (masked) {
        w = std::min(w, mask.Width);
        h = std::min(h, mask.Height);
    }
    auto mix = [](int bc, int ac, int wc) { return ToByte(Lerp256(bc, ac, wc)); };
    for (int y = 0; y < h; ++y) {
        TPixel32* d = destination.Row(y);
        const TPixel32* pa = a.Row(y);
        const TPixel32* pb = b.Row(y);
        for (int x = 0; x < w; ++x) {
            const TPixel32 m = masked ? mask.Row(y)[x] : 0;
            const int wr = masked ? PixelR(m) : weight;
            const int wg = masked ? PixelG(m) : weight;
            const int wb = masked ? PixelB(m) : weight;
            d[x] = MakePixel(mix(PixelR(pb[x]), PixelR(pa[x]), wr), mix(PixelG(pb[x]), PixelG(pa[x]), wg),
                             mix(PixelB(pb[x]), PixelB(pa[x]), wb), PixelA(d[x]));
        }
    }
}

void BlendColorSkippingKey(TacPixelsView bitmap, TColor color, double factor) {
    if (!HasPixels(bitmap))
        return;
    const TPixel32 k = ColorToPixelOrder(color);
    ForEachPixelIn(bitmap, {0, 0, bitmap.Width, bitmap.Height}, [k, factor](TPixel32& p) {
        // MixColors keeps the high byte of its first argument: the pixel's alpha.
        if (p != clKeyPixel)
            p = MixColors(p, k, factor);
    });
}

void BlendAlphaPiece(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                     bool useBackdrop, const TBackdropRef& backdrop) {
    if (!HasPixels(target) || !HasPixels(source))
        return;
    TacCopyArea area{targetRect.Left,
                     targetRect.Top,
                     sourceRect.Left,
                     sourceRect.Top,
                     std::min(targetRect.Width(), sourceRect.Width()),
                     std::min(targetRect.Height(), sourceRect.Height())};
    area.ClipTo(target, source);
    if (area.Empty())
        return;
    if (!backdrop.IsBitmap) {
        area.ForEachPair(target, source, [](TPixel32& t, TPixel32 s, int, int) { t = LayOver(t, s); });
        return;
    }
    const bool showBackdrop = useBackdrop && backdrop.HasBitmap();
    area.ForEachPair(target, source, [&](TPixel32& t, TPixel32 s, int tx, int ty) {
        if (s != clKeyPixel) {
            t = LayOver(t, s);
            return;
        }
        const int bx = tx + backdrop.OffsetX, by = ty + backdrop.OffsetY;
        if (showBackdrop && backdrop.Bitmap.Contains(bx, by))
            t = backdrop.Bitmap.At(bx, by) | 0xFF000000u;
    });
}

void PremultiplyAlpha(TacPixelsView bitmap, TacRect rect) {
    if (!HasPixels(bitmap))
        return;
    rect = ClipRect(rect, bitmap);
    if (!rect.Empty())
        PremultiplyAlpha(SubView(bitmap, rect));
}

void ShadeRect(TacPixelsView bitmap, TacRect rect, TColor color, std::uint8_t alpha, int percent) {
    const TPixel32 k = ColorToPixelOrder(color);
    ForEachPixelIn(bitmap, rect, [k, alpha, percent](TPixel32& p) {
        p = MapChannels(p, k, alpha,
                        [percent](int c, int kc) { return RoundDivEven(c * 100 - percent * (c - kc), 100); });
    });
}

void SetRectAlpha(TacPixelsView bitmap, TacRect rect, std::uint8_t alpha, bool skipKey) {
    const TPixel32 alphaBits = TPixel32{alpha} << 24;
    ForEachPixelIn(bitmap, rect, [alphaBits, skipKey](TPixel32& p) {
        if (!(skipKey && p == clKeyPixel))
            p = (p & 0x00FFFFFFu) | alphaBits;
    });
}

void BlendColorByMask(TacPixelsView bitmap, TacPixelsView mask, TColor color) {
    if (!HasPixels(bitmap) || !HasPixels(mask))
        return;
    const TPixel32 k = ColorToPixelOrder(color);
    const int w = std::min(bitmap.Width, mask.Width);
    const int h = std::min(bitmap.Height, mask.Height);
    for (int y = 0; y < h; ++y) {
        TPixel32* row = bitmap.Row(y);
        const TPixel32* g = mask.Row(y);
        for (int x = 0; x < w; ++x) {
            const TPixel32 p = row[x];
            row[x] = MakePixel(ToByte(Lerp256(PixelR(k), PixelR(p), PixelR(g[x]))),
                               ToByte(Lerp256(PixelG(k), PixelG(p), PixelG(g[x]))),
                               ToByte(Lerp256(PixelB(k), PixelB(p), PixelB(g[x]))), PixelA(p));
        }
    }
}

namespace {

// Whether a pen-less rounded rectangle fill of (l, t, r, b) with corner ellipses of
// `corner` pixels covers pixel (x, y). Such a fill leaves out the last column and row.
// Corner pixels are tested by their centre against the quarter ellipse.
bool RoundRectCovers(int x, int y, int l, int t, int r, int b, int corner) {
    --r;
    --b;
    if (x < l || x >= r || y < t || y >= b)
        return false;
    const double rx = std::min(corner, r - l) / 2.0;
    const double ry = std::min(corner, b - t) / 2.0;
    if (rx < 1.0 || ry < 1.0)
        return true;
    const double cx = x + 0.5, cy = y + 0.5;
    const double ax = cx < l + rx ? l + rx : (cx > r - rx ? r - rx : cx);
    const double ay = cy < t + ry ? t + ry : (cy > b - ry ? b - ry : cy);
    const double dx = (cx - ax) / rx, dy = (cy - ay) / ry;
    return dx * dx + dy * dy <= 1.0;
}

// The soft mask's grey level at (x, y) of a w x h area: the last drawn shape that covers
// the pixel wins (rings from the edge inward, then the centre at `base`); 0 where none does.
struct TSoftMask {
    int W, H, Rings, Corner, Base;

    int LevelAt(int x, int y) const {
        if (RoundRectCovers(x, y, Rings, Rings, W - Rings, H - Rings, Rings))
            return Base;
        for (int u = Rings; u >= 0; --u)
            if (RoundRectCovers(x, y, u, u, W - u, H - u, Corner))
                return RingLevel(u);
        return 0;
    }
    int RingLevel(int u) const { return u == 0 ? 255 : Base + RoundDivEven((255 - Base) * (Rings - u + 1), Rings + 1); }
};

} // namespace

void BlendColorSoft(TacPixelsView bitmap, TacRect rect, int percent, int radius, int steps, TColor color) {
    if (!HasPixels(bitmap) || rect.Empty())
        return;
    const int w = rect.Width(), h = rect.Height();
    const int halfSide = std::min(w / 2, h / 2);
    const TSoftMask shape{w, h, std::clamp(steps, 0, halfSide), std::clamp(radius, 0, halfSide),
                          std::clamp(percent, 0, 100) * 255 / 100};
    // Only the part inside the bitmap is masked and washed; the shapes still follow the
    // whole rectangle.
    const TacRect visible = ClipRect(rect, bitmap);
    if (visible.Empty())
        return;
    TacPixmap mask(visible.Width(), visible.Height());
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x) {
            const auto g =
                static_cast<std::uint8_t>(shape.LevelAt(x + visible.Left - rect.Left, y + visible.Top - rect.Top));
            mask.At(x, y) = MakePixel(g, g, g);
        }
    BlendColorByMask(SubView(bitmap, visible), mask.View(), color);
}

} // namespace sj

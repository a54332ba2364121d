#include "skin/paint/sMaskPaint.h"

#include "platform/Exception.h"
#include "skin/data/sMaskData.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/acResample.h"
#include "skin/paint/sGraphUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace sj {

namespace {

constexpr TPixel32 kAlphaBits = 0xFF000000u;
constexpr TPixel32 kColourBits = 0x00FFFFFFu;

// ---------------------------------------------------------------------------------------
// Blend rules

inline std::uint32_t ChannelAt(TPixel32 p, int shift) {
    return (p >> shift) & 0xFFu;
}

// S + floor(M * (D - S) / 256). Written as a sum of non-negative terms so that the shift
// floors; dividing the signed difference would round toward zero instead.
inline std::uint32_t MaskBlendChannel(std::uint32_t s, std::uint32_t d, std::uint32_t m) {
    return (s * (256 - m) + m * d) >> 8;
}

// Red, green and blue of the mask blend, each weighted by its own mask channel; alpha 0.
inline TPixel32 MaskBlendColour(TPixel32 s, TPixel32 d, TPixel32 mask) {
    TPixel32 result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        result |= MaskBlendChannel(ChannelAt(s, shift), ChannelAt(d, shift), ChannelAt(mask, shift)) << shift;
    }
    return result;
}

// (D * m + S * (255 - m)) div 256, all channels weighted by one mask value: the rule of
// bitmaps shown through layered windows. Unlike MaskBlendChannel it never quite reaches S
// (255 gives 254); layered frames are painted with it and opaque faces with the other, so
// the two must not be merged.
inline TPixel32 KeepAlphaColour(TPixel32 s, TPixel32 d, std::uint32_t m) {
    TPixel32 result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        result |= ((ChannelAt(d, shift) * m + ChannelAt(s, shift) * (255 - m)) >> 8) << shift;
    }
    return result;
}

inline TPixel32 WithAlpha(TPixel32 colour, std::uint32_t alpha) {
    return (colour & kColourBits) | (alpha << 24);
}

inline TPixel32 OpaqueBlend(TPixel32 s, TPixel32 d, TPixel32 mask) {
    return WithAlpha(MaskBlendColour(s, d, mask), 255);
}

// A skin pixel over a layered-window pixel: coverage 255 - m raises the alpha, never
// lowers it.
inline TPixel32 KeepAlphaBlend(TPixel32 s, TPixel32 d, std::uint32_t m) {
    return WithAlpha(KeepAlphaColour(s, d, m), std::max(PixelA(d), static_cast<std::uint8_t>(255 - m)));
}

// The stretched variant also lets a clear target (low alpha) show more of the skin.
inline TPixel32 StretchKeepAlphaBlend(TPixel32 s, TPixel32 d, TPixel32 mask) {
    const std::uint32_t m = PixelR(mask);
    if (m == 0) {
        return WithAlpha(s, 255);
    }
    if (m == 255) {
        return d;
    }
    const std::uint32_t a = PixelA(d);
    return WithAlpha(KeepAlphaColour(s, d, std::min(m, a)), std::max(a, 255 - m));
}

// Per channel round(S - factor * (S - D)), halves to even (the current rounding mode).
inline TPixel32 FactorBlend(TPixel32 s, TPixel32 d, double factor) {
    TPixel32 result = d & kAlphaBits;
    for (int shift = 0; shift < 24; shift += 8) {
        const double sc = ChannelAt(s, shift);
        const double value = std::nearbyint(sc - factor * (sc - ChannelAt(d, shift)));
        result |= static_cast<TPixel32>(std::clamp(value, 0.0, 255.0)) << shift;
    }
    return result;
}

// ---------------------------------------------------------------------------------------
// Geometry

TacRect RectAt(int x, int y, int width, int height) {
    return TacRect{x, y, x + width, y + height};
}

// The part of a piece that can be copied: the overlap of the two rectangles, shifted past
// negative coordinates on either side, limited by both bitmaps and, for masked pieces, by
// the mask rows that still lie inside the source.
struct TacPieceSpan {
    int TargetX = 0, TargetY = 0;
    int SourceX = 0, SourceY = 0;
    int Width = 0, Height = 0;
    bool Empty() const { return Width <= 0 || Height <= 0; }
};

TacPieceSpan ClipPiece(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                       int maskOffset) {
    if (!HasPixels(target) || !HasPixels(source)) {
        return {};
    }
    using I = std::int64_t;
    I tx = targetRect.Left, ty = targetRect.Top, sx = sourceRect.Left, sy = sourceRect.Top;
    I w = std::min<I>(I{targetRect.Right} - tx, I{sourceRect.Right} - sx);
    I h = std::min<I>(I{targetRect.Bottom} - ty, I{sourceRect.Bottom} - sy);
    const I dx = std::max<I>({0, -tx, -sx});
    const I dy = std::max<I>({0, -ty, -sy, -(sy + maskOffset)});
    tx += dx, sx += dx, w -= dx;
    ty += dy, sy += dy, h -= dy;
    w = std::min<I>({w, target.Width - tx, source.Width - sx});
    h = std::min<I>({h, target.Height - ty, source.Height - sy, source.Height - (sy + maskOffset)});
    if (w <= 0 || h <= 0) {
        return {};
    }
    return {static_cast<int>(tx), static_cast<int>(ty), static_cast<int>(sx),
            static_cast<int>(sy), static_cast<int>(w),  static_cast<int>(h)};
}

// Calls visit(skin pixel, mask pixel, target pixel, target x, target y) for every pixel of
// the span.
template <class Visit>
void ForEachPiecePixel(const TacPieceSpan& span, TacPixelsView target, TacPixelsView source, int maskOffset,
                       Visit&& visit) {
    for (int row = 0; row < span.Height; ++row) {
        const int y = span.TargetY + row;
        TPixel32* out = target.Row(y) + span.TargetX;
        const TPixel32* in = source.Row(span.SourceY + row) + span.SourceX;
        const TPixel32* mask = source.Row(span.SourceY + row + maskOffset) + span.SourceX;
        for (int col = 0; col < span.Width; ++col) {
            visit(in[col], mask[col], out[col], span.TargetX + col, y);
        }
    }
}

// The backdrop bitmap's pixel behind target pixel (x, y); false when the bitmap does not
// reach there.
bool BackdropPixelAt(const TBackdropRef& backdrop, int x, int y, TPixel32& pixel) {
    if (!backdrop.HasBitmap()) {
        return false;
    }
    const std::int64_t bx = std::int64_t{x} + backdrop.OffsetX;
    const std::int64_t by = std::int64_t{y} + backdrop.OffsetY;
    if (bx < 0 || by < 0 || bx >= backdrop.Bitmap.Width || by >= backdrop.Bitmap.Height) {
        return false;
    }
    pixel = backdrop.Bitmap.At(static_cast<int>(bx), static_cast<int>(by));
    return true;
}

// Where the masked piece copiers find the mask: half the item's height for the usual
// one-mask item. Items with more rows than image and mask are not made by any skin; for
// them the mask is taken right below the frame, as the stretching copier does.
int PieceMaskOffset(const TsMaskData& item) {
    const int offset = item.MaskKind > 1 ? FrameHeight(item) : item.SourceRect.Height() / 2;
    return std::max(offset, 0);
}

// One state frame of an item in its image. Unchecked skin values (no frames, a mask kind
// below -1, an empty frame) leave nothing to paint.
struct TacFrame {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int MaskOffset = 0; // 0 for unmasked items
};

bool FrameOf(const TsMaskData& item, int state, TacFrame& frame) {
    if (item.FrameCount <= 0 || item.MaskKind < -1) {
        return false;
    }
    frame.Width = FrameWidth(item);
    frame.Height = FrameHeight(item);
    if (frame.Width <= 0 || frame.Height <= 0) {
        return false;
    }
    frame.Left = FrameLeft(item, state);
    frame.Top = item.SourceRect.Top;
    frame.MaskOffset = item.MaskKind != 0 ? frame.Height : 0;
    return true;
}

// ---------------------------------------------------------------------------------------
// Piece copiers

template <class Rule>
void BlendSinglePixelInto(TacPixelsView target, TacRect rect, TPixel32 colour, std::uint32_t m, Rule rule) {
    if (m == 0) {
        FillPixels(target, rect, PixelToColorOrder(colour) & kColourBits, 255);
        return;
    }
    if (m == 255) {
        return;
    }
    const TPixel32 mask = m * 0x010101u;
    const int x1 = std::min(rect.Right, target.Width), y1 = std::min(rect.Bottom, target.Height);
    for (int y = rect.Top; y < y1; ++y) {
        TPixel32* out = target.Row(y);
        for (int x = rect.Left; x < x1; ++x) {
            out[x] = rule(colour, out[x], mask);
        }
    }
}

bool PieceAndMaskInside(TacPixelsView source, TacRect piece, int maskOffset) {
    return !piece.Empty() && piece.Left >= 0 && piece.Top >= 0 && piece.Right <= source.Width &&
           piece.Top + maskOffset >= 0 && std::int64_t{piece.Bottom} + maskOffset <= source.Height;
}

// Filters round off what nearest sampling would drop: a smooth stretch asks for them, and a
// shrink along one axis alone would otherwise lose whole rows or columns. The filtered
// scratch covers the whole unclipped piece, so a runaway rectangle is sampled instead.
bool ShouldResample(TacRect piece, int width, int height, bool smooth) {
    constexpr std::int64_t kMaxFilteredPixels = std::int64_t{1} << 24;
    if (width <= 1 || height <= 1 || std::int64_t{width} * height > kMaxFilteredPixels) {
        return false;
    }
    const int sw = piece.Width(), sh = piece.Height();
    return smooth || (sw > width && sh == height) || (sh > height && sw == width);
}

// The piece in a scratch bitmap of at least 2 x 2, the resampler's minimum; a missing
// second row or column repeats the last one.
TacPixmap PaddedCopy(TacPixelsView source, TacRect piece) {
    const int w = std::max(piece.Width(), 2), h = std::max(piece.Height(), 2);
    TacPixmap copy(w, h);
    for (int y = 0; y < h; ++y) {
        const TPixel32* in = source.Row(piece.Top + std::min(y, piece.Height() - 1)) + piece.Left;
        for (int x = 0; x < w; ++x) {
            copy.At(x, y) = in[std::min(x, piece.Width() - 1)];
        }
    }
    return copy;
}

// The piece scaled over `size`. Nearest sampling keeps only the top-left `visible` part;
// its mapping still follows the whole size.
TacPixmap ScaledPiece(TacPixelsView source, TacRect piece, TacRect size, TacRect visible, bool resample,
                      TacResampleFilter filter) {
    TacPixmap scaled;
    if (resample) {
        TacPixmap padded = PaddedCopy(source, piece);
        try {
            ResampleBitmap(padded.View(), scaled, size.Width(), size.Height(), filter);
            return scaled;
        } catch (const Exception&) {
            // Cannot happen for a padded copy; painting must not raise all the same.
        }
    }
    scaled.SetSize(visible.Width(), visible.Height());
    StretchPixels(scaled.View(), size, source, piece);
    return scaled;
}

// The shared body of StretchMaskedPiece and its alpha-keeping twin; rule(S, D, mask)
// gives the new target pixel.
template <class Rule>
void StretchMaskedPieceWith(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                            int maskOffset, bool smooth, Rule rule) {
    const int width = targetRect.Width(), height = targetRect.Height();
    if (targetRect.Left < 0 || targetRect.Top < 0 || width <= 0 || height <= 0) {
        return;
    }
    if (!HasPixels(target) || !HasPixels(source) || target.Width <= 1 || target.Height <= 1) {
        return;
    }
    if (maskOffset == 0) {
        StretchPixels(target, targetRect, source, sourceRect);
        return;
    }
    if (!PieceAndMaskInside(source, sourceRect, maskOffset)) {
        return;
    }
    const TacRect maskRect{sourceRect.Left, sourceRect.Top + maskOffset, sourceRect.Right,
                           sourceRect.Bottom + maskOffset};
    if (smooth && sourceRect.Width() == 1 && sourceRect.Height() == 1) {
        const TPixel32 colour = source.At(sourceRect.Left, sourceRect.Top);
        BlendSinglePixelInto(target, targetRect, colour, PixelR(source.At(maskRect.Left, maskRect.Top)), rule);
        return;
    }
    // The origin is never negative, so the visible part starts at the piece's top-left.
    const TacRect size = RectAt(0, 0, width, height);
    const TacRect visible =
        RectAt(0, 0, std::min(width, target.Width - targetRect.Left), std::min(height, target.Height - targetRect.Top));
    if (visible.Empty()) {
        return;
    }
    const bool resample = ShouldResample(sourceRect, width, height, smooth);
    const TacPixmap colours = ScaledPiece(source, sourceRect, size, visible, resample, TacResampleFilter::Mitchell);
    const TacPixmap masks = ScaledPiece(source, maskRect, size, visible, resample, TacResampleFilter::Hermite);
    const int x1 = targetRect.Left + visible.Width(), y1 = targetRect.Top + visible.Height();
    for (int y = targetRect.Top; y < y1; ++y) {
        TPixel32* out = target.Row(y);
        const int row = y - targetRect.Top;
        for (int x = targetRect.Left; x < x1; ++x) {
            const int col = x - targetRect.Left;
            out[x] = rule(colours.At(col, row), out[x], masks.At(col, row));
        }
    }
}

// ---------------------------------------------------------------------------------------
// Nine-slice walker

struct TacSliceGeometry {
    TacRect Rect;                       // painted area of the target
    int BL = 0, BT = 0, BR = 0, BB = 0; // border widths, shrunk to Rect
    TacFrame Frame;
    int CW = 0, CH = 0; // source size of the tiled sides and centre
};

// Borders that together exceed the room lose half the overflow each, the far one the odd
// pixel. A very uneven pair can still overflow after that; it is capped so that no piece
// leaves the rectangle.
void ShrinkBorderPair(int& nearWidth, int& farWidth, int room) {
    nearWidth = std::max(nearWidth, 0);
    farWidth = std::max(farWidth, 0);
    const int overflow = nearWidth + farWidth - room;
    if (overflow > 0) {
        const int half = overflow / 2;
        nearWidth = std::max(nearWidth - half, 0);
        farWidth = std::max(farWidth - half - overflow % 2, 0);
    }
    nearWidth = std::min(nearWidth, room);
    farWidth = std::min(farWidth, room - nearWidth);
}

bool SliceGeometryOf(const TsMaskData& item, TacRect rect, int state, TacSliceGeometry& g) {
    if (rect.Width() < 2 || rect.Height() < 2 || !FrameOf(item, state, g.Frame)) {
        return false;
    }
    g.Rect = rect;
    g.BL = item.BorderLeft, g.BR = item.BorderRight, g.BT = item.BorderTop, g.BB = item.BorderBottom;
    ShrinkBorderPair(g.BL, g.BR, rect.Width());
    ShrinkBorderPair(g.BT, g.BB, rect.Height());
    g.CW = g.Frame.Width - g.BL - g.BR;
    g.CH = g.Frame.Height - g.BT - g.BB;
    return g.CW >= 0 && g.CH >= 0;
}

enum class TacCorner { TopLeft, BottomLeft, TopRight, BottomRight };

struct TacPiece {
    TacRect Target;
    TacRect Source;
};

TacPiece CornerPiece(const TacSliceGeometry& g, TacCorner corner) {
    const bool left = corner == TacCorner::TopLeft || corner == TacCorner::BottomLeft;
    const bool top = corner == TacCorner::TopLeft || corner == TacCorner::TopRight;
    const int w = left ? g.BL : g.BR, h = top ? g.BT : g.BB;
    const int x = left ? g.Rect.Left : g.Rect.Right - g.BR;
    const int y = top ? g.Rect.Top : g.Rect.Bottom - g.BB;
    const int sx = left ? g.Frame.Left : g.Frame.Left + g.BL + g.CW;
    const int sy = top ? g.Frame.Top : g.Frame.Top + g.Frame.Height - g.BB;
    return {RectAt(x, y, w, h), RectAt(sx, sy, w, h)};
}

// What the walker asks for; the borders painters differ only in how a piece is copied.
class TacPieceCopier {
public:
    virtual ~TacPieceCopier() = default;
    virtual void Corner(const TacPiece& piece) = 0;
    virtual void Tile(const TacPiece& piece) = 0; // target and source of equal size
    virtual void Stretch(const TacPiece& piece, bool smooth) = 0;
};

// Whole tiles from `from` while one still fits before `to`, then one partial tile up to
// it. A tile size of 0 lays only the partial one. Tiles wholly before 0 or from `limit` on
// would be clipped away, so they are not visited.
template <class Visit> void ForEachTile(int from, int to, int tile, int limit, Visit&& visit) {
    std::int64_t pos = from;
    if (tile > 0) {
        const std::int64_t wholeTiles = (std::int64_t{to} - from) / tile;
        const std::int64_t before = pos < 0 ? -pos / tile : 0;
        pos += std::min(before, std::max<std::int64_t>(wholeTiles, 0)) * tile;
        for (; pos + tile <= to; pos += tile) {
            if (pos >= limit) {
                return;
            }
            visit(static_cast<int>(pos), tile);
        }
    }
    if (pos < to && pos < limit) {
        visit(static_cast<int>(pos), static_cast<int>(to - pos));
    }
}

class TacNineSliceWalker {
public:
    TacNineSliceWalker(const TacSliceGeometry& g, TacPixelsView target, TacPieceCopier& copier, bool stretch)
        : G(g), Target(target), Copier(copier), StretchSides(stretch) {}

    // Pieces are laid in a fixed order; where they meet, later ones win.
    void Walk(bool centre) {
        const int innerTop = G.Rect.Top + G.BT, innerBottom = G.Rect.Bottom - G.BB;
        const int innerLeft = G.Rect.Left + G.BL, innerRight = G.Rect.Right - G.BR;
        const int sourceInnerX = G.Frame.Left + G.BL, sourceRightX = sourceInnerX + G.CW;
        const int sourceInnerY = G.Frame.Top + G.BT, sourceBottomY = G.Frame.Top + G.Frame.Height - G.BB;

        CornerAt(TacCorner::TopLeft);
        VerticalSide(G.Rect.Left, G.BL, innerTop, innerBottom, G.Frame.Left, sourceInnerY);
        HorizontalSide(innerLeft, innerRight, G.Rect.Top, G.BT, sourceInnerX, G.Frame.Top);
        CornerAt(TacCorner::BottomLeft);
        HorizontalSide(innerLeft, innerRight, innerBottom, G.BB, sourceInnerX, sourceBottomY);
        CornerAt(TacCorner::BottomRight);
        CornerAt(TacCorner::TopRight);
        VerticalSide(innerRight, G.BR, innerTop, innerBottom, sourceRightX, sourceInnerY);
        if (centre) {
            Centre(TacRect{innerLeft, innerTop, innerRight, innerBottom}, sourceInnerX, sourceInnerY);
        }
    }

private:
    void CornerAt(TacCorner corner) {
        const TacPiece piece = CornerPiece(G, corner);
        if (!piece.Target.Empty()) {
            Copier.Corner(piece);
        }
    }

    void HorizontalSide(int left, int right, int y, int height, int sx, int sy) {
        if (height <= 0 || right <= left) {
            return;
        }
        if (StretchSides) {
            Copier.Stretch({TacRect{left, y, right, y + height}, RectAt(sx, sy, G.CW, height)}, false);
            return;
        }
        ForEachTile(left, right, G.CW, Target.Width, [&](int x, int w) {
            Copier.Tile({RectAt(x, y, w, height), RectAt(sx, sy, w, height)});
        });
    }

    void VerticalSide(int x, int width, int top, int bottom, int sx, int sy) {
        if (width <= 0 || bottom <= top) {
            return;
        }
        if (StretchSides) {
            Copier.Stretch({TacRect{x, top, x + width, bottom}, RectAt(sx, sy, width, G.CH)}, false);
            return;
        }
        ForEachTile(top, bottom, G.CH, Target.Height, [&](int y, int h) {
            Copier.Tile({RectAt(x, y, width, h), RectAt(sx, sy, width, h)});
        });
    }

    void Centre(TacRect area, int sx, int sy) {
        if (area.Empty()) {
            return;
        }
        if (StretchSides) {
            Copier.Stretch({area, RectAt(sx, sy, G.CW, G.CH)}, true);
            return;
        }
        ForEachTile(area.Top, area.Bottom, G.CH, Target.Height, [&](int y, int h) {
            ForEachTile(area.Left, area.Right, G.CW, Target.Width, [&](int x, int w) {
                Copier.Tile({RectAt(x, y, w, h), RectAt(sx, sy, w, h)});
            });
        });
    }

    const TacSliceGeometry& G;
    TacPixelsView Target;
    TacPieceCopier& Copier;
    bool StretchSides;
};

using TacBlendPieceFn = void (*)(TacPixelsView, TacRect, TacPixelsView, TacRect, const TsMaskData&, bool,
                                 const TBackdropRef&);
using TacStretchPieceFn = void (*)(TacPixelsView, TacRect, TacPixelsView, TacRect, int, bool);

// Masked items: corners may show the backdrop; inner pieces pass the empty backdrop so
// that their clear pixels keep what was there.
class TacMaskedCopier : public TacPieceCopier {
public:
    TacMaskedCopier(TacPixelsView target, TacPixelsView source, const TsMaskData& item, int maskOffset,
                    bool useBackdrop, const TBackdropRef& backdrop, bool keepAlpha)
        : Target(target), Source(source), Item(item), MaskOffset(maskOffset), UseBackdrop(useBackdrop),
          Backdrop(backdrop), Blend(keepAlpha ? BlendMaskedPieceKeepAlpha : BlendMaskedPiece),
          StretchFn(keepAlpha ? StretchMaskedPieceKeepAlpha : StretchMaskedPiece) {}

    void Corner(const TacPiece& p) override { Blend(Target, p.Target, Source, p.Source, Item, UseBackdrop, Backdrop); }
    void Tile(const TacPiece& p) override { Blend(Target, p.Target, Source, p.Source, Item, false, TBackdropRef{}); }
    void Stretch(const TacPiece& p, bool smooth) override {
        StretchFn(Target, p.Target, Source, p.Source, MaskOffset, smooth);
    }

private:
    TacPixelsView Target, Source;
    const TsMaskData& Item;
    int MaskOffset;
    bool UseBackdrop;
    const TBackdropRef& Backdrop;
    TacBlendPieceFn Blend;
    TacStretchPieceFn StretchFn;
};

// Unmasked items: keyed corners, block transfers for the rest.
class TacUnmaskedCopier : public TacPieceCopier {
public:
    TacUnmaskedCopier(TacPixelsView target, TacPixelsView source, bool useBackdrop, const TBackdropRef& backdrop)
        : Target(target), Source(source), UseBackdrop(useBackdrop), Backdrop(backdrop) {}

    void Corner(const TacPiece& p) override {
        CopyKeyedPiece(Target, p.Target.Left, p.Target.Top, Source, p.Source, UseBackdrop, Backdrop, clKeyPixel);
    }
    void Tile(const TacPiece& p) override { CopyPixels(Target, p.Target.Left, p.Target.Top, Source, p.Source); }
    void Stretch(const TacPiece& p, bool) override { StretchPixels(Target, p.Target, Source, p.Source); }

private:
    TacPixelsView Target, Source;
    bool UseBackdrop;
    const TBackdropRef& Backdrop;
};

// Paints through another copier and notes where the source was clear, one run per row.
class TacCutRunRecorder : public TacPieceCopier {
public:
    TacCutRunRecorder(TacPieceCopier& painter, TacPixelsView target, TacPixelsView source, int maskOffset,
                      std::vector<TacRect>* runs)
        : Painter(painter), Target(target), Source(source), MaskOffset(maskOffset), Runs(runs) {}

    void Corner(const TacPiece& p) override {
        Painter.Corner(p);
        RecordUnstretched(p);
    }
    void Tile(const TacPiece& p) override {
        Painter.Tile(p);
        RecordUnstretched(p);
    }
    void Stretch(const TacPiece& p, bool smooth) override {
        Painter.Stretch(p, smooth);
        RecordStretched(p);
    }

private:
    void RecordUnstretched(const TacPiece& p) {
        const TacPieceSpan span = ClipPiece(Target, p.Target, Source, p.Source, MaskOffset);
        for (int row = 0; row < span.Height; ++row) {
            const TPixel32* in = Source.Row(span.SourceY + row) + span.SourceX;
            RecordRow(span.TargetX, span.TargetY + row, span.Width, [in](int col) { return in[col]; });
        }
    }

    // The clear pixels of a stretched piece are where nearest sampling lands on clear
    // source pixels.
    void RecordStretched(const TacPiece& p) {
        const TacRect& t = p.Target;
        const TacRect& s = p.Source;
        if (t.Empty() || s.Empty() || t.Left < 0 || t.Top < 0) {
            return;
        }
        const std::int64_t tw = t.Width(), th = t.Height(), sw = s.Width(), sh = s.Height();
        const int x1 = std::min(t.Right, Target.Width), y1 = std::min(t.Bottom, Target.Height);
        for (int y = t.Top; y < y1; ++y) {
            const std::int64_t sy = s.Top + ((2 * std::int64_t{y - t.Top} + 1) * sh) / (2 * th);
            if (sy < 0 || sy >= Source.Height) {
                continue;
            }
            const TPixel32* in = Source.Row(static_cast<int>(sy));
            RecordRow(t.Left, y, x1 - t.Left, [&](int col) {
                const std::int64_t sx = s.Left + ((2 * std::int64_t{col} + 1) * sw) / (2 * tw);
                return sx >= 0 && sx < Source.Width ? in[sx] : TPixel32{0};
            });
        }
    }

    template <class PixelAt> void RecordRow(int x, int y, int width, PixelAt at) {
        int col = 0;
        while (col < width) {
            if (at(col) != clKeyPixel) {
                ++col;
                continue;
            }
            const int start = col;
            while (col < width && at(col) == clKeyPixel) {
                ++col;
            }
            Runs->push_back(TacRect{x + start, y, x + col, y + 1});
        }
    }

    TacPieceCopier& Painter;
    TacPixelsView Target, Source;
    int MaskOffset;
    std::vector<TacRect>* Runs;
};

void DrawBordersFrom(TacPixelsView target, TacRect rect, bool transparentCorners, int state, const TsMaskData& item,
                     const TacPixmap* image, const TBackdropRef& backdrop, bool keepAlpha) {
    if (image == nullptr || !HasPixels(target) || (state == 0 && (item.PaintFlags & 2) != 0)) {
        return;
    }
    TacSliceGeometry g;
    if (!SliceGeometryOf(item, rect, state, g)) {
        return;
    }
    const TacPixelsView source = ViewOf(*image);
    const bool useBackdrop = transparentCorners && item.CornerKind > 0;
    const bool stretch = (item.PaintFlags & 1) != 0;
    const bool centre = (item.PaintFlags & 4) != 0;
    if (item.MaskKind != 0) {
        TacMaskedCopier copier(target, source, item, g.Frame.MaskOffset, useBackdrop, backdrop, keepAlpha);
        TacNineSliceWalker(g, target, copier, stretch).Walk(centre);
    } else {
        TacUnmaskedCopier copier(target, source, useBackdrop, backdrop);
        TacNineSliceWalker(g, target, copier, stretch).Walk(centre);
    }
}

// Replaces cache pixels of one corner with the backdrop where `isClear` says so;
// isClear(source pixel, cache pixel) sees the item's pixel at the same place.
template <class IsClear>
void FillCornerFromBackdrop(TacPixelsView cache, const TacPiece& piece, TacPixelsView source, int controlX,
                            int controlY, const TBackdropRef& backdrop, IsClear isClear) {
    const TacPieceSpan span = ClipPiece(cache, piece.Target, source, piece.Source, 0);
    ForEachPiecePixel(span, cache, source, 0, [&](TPixel32 s, TPixel32, TPixel32& d, int x, int y) {
        if (!isClear(s, d)) {
            return;
        }
        if (!backdrop.IsBitmap) {
            d = ColorToPixelOrder(backdrop.Color);
            return;
        }
        TPixel32 behind = 0;
        if (BackdropPixelAt(backdrop, x + controlX, y + controlY, behind)) {
            d = behind & kColourBits;
        }
    });
}

} // namespace

// -------------------------------------------------------------------------------------------
// Piece copiers

void BlendMaskedPiece(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                      const TsMaskData& item, bool useBackdrop, const TBackdropRef& backdrop) {
    const int maskOffset = PieceMaskOffset(item);
    const TacPieceSpan span = ClipPiece(target, targetRect, source, sourceRect, maskOffset);
    if (span.Empty()) {
        return;
    }
    if (useBackdrop && backdrop.IsBitmap) {
        // A backdrop pixel the bitmap does not hold leaves only that pixel alone; the rest
        // of the row is still painted.
        ForEachPiecePixel(span, target, source, maskOffset, [&](TPixel32 s, TPixel32 m, TPixel32& d, int x, int y) {
            TPixel32 behind = 0;
            if (s != clKeyPixel) {
                d = OpaqueBlend(s, d, m);
            } else if (BackdropPixelAt(backdrop, x, y, behind)) {
                d = WithAlpha(behind, 255);
            }
        });
    } else if (useBackdrop) {
        const TPixel32 colour = ColorToPixelOrder(backdrop.Color);
        ForEachPiecePixel(span, target, source, maskOffset, [&](TPixel32 s, TPixel32 m, TPixel32& d, int, int) {
            d = s == clKeyPixel ? colour : MaskBlendColour(s, d, m) | (d & kAlphaBits);
        });
    } else {
        ForEachPiecePixel(span, target, source, maskOffset, [](TPixel32 s, TPixel32 m, TPixel32& d, int, int) {
            if (s != clKeyPixel) {
                d = MaskBlendColour(s, d, m) | (d & kAlphaBits);
            }
        });
    }
}

void BlendMaskedPieceKeepAlpha(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                               const TsMaskData& item, bool useBackdrop, const TBackdropRef& backdrop) {
    const int maskOffset = PieceMaskOffset(item);
    const TacPieceSpan span = ClipPiece(target, targetRect, source, sourceRect, maskOffset);
    const bool showBackdrop = useBackdrop && backdrop.IsBitmap;
    ForEachPiecePixel(span, target, source, maskOffset, [&](TPixel32 s, TPixel32 m, TPixel32& d, int x, int y) {
        if (s != clKeyPixel) {
            d = KeepAlphaBlend(s, d, PixelR(m));
            return;
        }
        if (!showBackdrop) {
            d &= kColourBits;
            return;
        }
        TPixel32 behind = 0;
        if (BackdropPixelAt(backdrop, x, y, behind)) {
            d = behind;
        }
    });
}

void CopyKeyedPiece(TacPixelsView target, int x, int y, TacPixelsView source, TacRect sourceRect, bool useBackdrop,
                    const TBackdropRef& backdrop, TPixel32 key) {
    const TacRect targetRect = RectAt(x, y, sourceRect.Width(), sourceRect.Height());
    const TacPieceSpan span = ClipPiece(target, targetRect, source, sourceRect, 0);
    if (span.Empty()) {
        return;
    }
    if (backdrop.IsBitmap && useBackdrop && backdrop.Bitmap.Bits == target.Bits) {
        // The backdrop is already underneath: only make the copied pixels opaque.
        ForEachPiecePixel(span, target, source, 0, [key](TPixel32 s, TPixel32, TPixel32& d, int, int) {
            if (s != key) {
                d = WithAlpha(s, 255);
            }
        });
    } else if (backdrop.IsBitmap && useBackdrop) {
        ForEachPiecePixel(span, target, source, 0, [&](TPixel32 s, TPixel32, TPixel32& d, int tx, int ty) {
            TPixel32 behind = 0;
            if (s != key) {
                d = s;
            } else if (BackdropPixelAt(backdrop, tx, ty, behind)) {
                d = behind;
            }
        });
    } else if (backdrop.IsBitmap) {
        ForEachPiecePixel(span, target, source, 0, [key](TPixel32 s, TPixel32, TPixel32& d, int, int) {
            if (s != key) {
                d = s;
            }
        });
    } else {
        const TPixel32 colour = ColorToPixelOrder(backdrop.Color);
        ForEachPiecePixel(span, target, source, 0,
                          [key, colour](TPixel32 s, TPixel32, TPixel32& d, int, int) { d = s == key ? colour : s; });
    }
}

void StretchMaskedPiece(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                        int maskOffset, bool smooth) {
    StretchMaskedPieceWith(target, targetRect, source, sourceRect, maskOffset, smooth, OpaqueBlend);
}

void StretchMaskedPieceKeepAlpha(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                                 int maskOffset, bool smooth) {
    StretchMaskedPieceWith(target, targetRect, source, sourceRect, maskOffset, smooth, StretchKeepAlphaBlend);
}

// -------------------------------------------------------------------------------------------
// Borders

void DrawBordersMask(TacPixelsView target, TacRect rect, bool transparentCorners, int state, const TsMaskData& item,
                     const TBackdropRef& backdrop) {
    if (item.Owner == nullptr) {
        return;
    }
    DrawBordersFrom(target, rect, transparentCorners, state, item, item.SourceImage(), backdrop, false);
}

void DrawBordersMaskAlpha(TacPixelsView target, TacRect rect, bool transparentCorners, const TsSkinModel* manager,
                          int state, const TsMaskData& item, const TBackdropRef& backdrop) {
    if (manager == nullptr) {
        return;
    }
    const TacPixmap* image = item.OwnBitmap ? item.OwnBitmap.get() : &manager->MasterBitmap;
    DrawBordersFrom(target, rect, transparentCorners, state, item, image, backdrop, true);
}

void DrawBordersMaskCutRegion(TacPixelsView target, int state, const TsMaskData& item, std::vector<TacRect>* cutRuns) {
    const TacPixmap* image = item.SourceImage();
    if (item.Owner == nullptr || image == nullptr || !HasPixels(target)) {
        return;
    }
    TsMaskData oneFrameAtLeast = item;
    oneFrameAtLeast.FrameCount = std::max<std::int16_t>(item.FrameCount, 1);
    TacSliceGeometry g;
    if (!SliceGeometryOf(oneFrameAtLeast, RectAt(0, 0, target.Width, target.Height), state, g)) {
        return;
    }
    const TacPixelsView source = ViewOf(*image);
    const TBackdropRef none{};
    const bool stretch = (item.PaintFlags & 1) != 0;
    std::vector<TacRect> discarded;
    std::vector<TacRect>* runs = cutRuns != nullptr ? cutRuns : &discarded;
    if (item.MaskKind != 0) {
        TacMaskedCopier painter(target, source, oneFrameAtLeast, g.Frame.MaskOffset, false, none, false);
        TacCutRunRecorder recorder(painter, target, source, PieceMaskOffset(oneFrameAtLeast), runs);
        TacNineSliceWalker(g, target, recorder, stretch).Walk(false);
    } else {
        TacUnmaskedCopier painter(target, source, false, none);
        TacCutRunRecorder recorder(painter, target, source, 0, runs);
        TacNineSliceWalker(g, target, recorder, stretch).Walk(false);
    }
}

// -------------------------------------------------------------------------------------------
// State images

void BlendStateImage(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                     const TsMaskData& item, int mode, TPixel32 key) {
    if (item.MaskKind <= 0) {
        const TacPieceSpan span = ClipPiece(target, targetRect, source, sourceRect, 0);
        ForEachPiecePixel(span, target, source, 0, [key](TPixel32 s, TPixel32, TPixel32& d, int, int) {
            if (s != key) {
                d = (s & kColourBits) | (d & kAlphaBits);
            }
        });
        return;
    }
    const int maskOffset = std::max(FrameHeight(item), 0);
    const TacPieceSpan span = ClipPiece(target, targetRect, source, sourceRect, maskOffset);
    // The faded look lets at least 100/256 of the target through every channel.
    const std::uint32_t fade = mode == simNormal ? 0 : 100;
    ForEachPiecePixel(span, target, source, maskOffset, [&](TPixel32 s, TPixel32 m, TPixel32& d, int, int) {
        const std::uint32_t coverage = 255 - PixelR(m);
        if (s == key || coverage == 0) {
            return;
        }
        TPixel32 colour = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const std::uint32_t weight = std::min<std::uint32_t>(ChannelAt(m, shift) + fade, 255);
            colour |= MaskBlendChannel(ChannelAt(s, shift), ChannelAt(d, shift), weight) << shift;
        }
        const std::uint32_t a = PixelA(d);
        d = WithAlpha(colour, a + (((255 - a) * coverage) >> 8));
    });
}

void DrawStateImage(TacPixelsView target, int x, int y, int state, const TBackdropRef& backdrop, const TsMaskData& item,
                    int mode) {
    TacFrame frame;
    const TacPixmap* image = item.SourceImage();
    if (item.Owner == nullptr || image == nullptr || !FrameOf(item, state, frame)) {
        return;
    }
    if (item.OwnBitmap && (image->Width() < item.SourceRect.Right || image->Height() < item.SourceRect.Bottom)) {
        return;
    }
    // What would land left of or above the target is cut off the frame.
    const int cutX = std::max(-x, 0), cutY = std::max(-y, 0);
    const TacRect sourceRect{frame.Left + cutX, frame.Top + cutY, frame.Left + frame.Width, frame.Top + frame.Height};
    if (sourceRect.Empty()) {
        return;
    }
    const TacRect targetRect = RectAt(x + cutX, y + cutY, sourceRect.Width(), sourceRect.Height());
    const TacPixelsView source = ViewOf(*image);
    if (item.OwnBitmap || item.MaskKind > 0) {
        BlendStateImage(target, targetRect, source, sourceRect, item, mode, clKeyPixel);
    } else if (mode == simNormal) {
        CopyKeyedPiece(target, targetRect.Left, targetRect.Top, source, sourceRect, true, backdrop, clKeyPixel);
    } else {
        BlendSkippingKey(target, targetRect.Left, targetRect.Top, source, sourceRect, 0.5, clKeyPixel);
    }
}

void BlendSkippingKey(TacPixelsView target, int x, int y, TacPixelsView source, TacRect sourceRect, double factor,
                      TPixel32 key) {
    const TacRect targetRect = RectAt(x, y, sourceRect.Width(), sourceRect.Height());
    const TacPieceSpan span = ClipPiece(target, targetRect, source, sourceRect, 0);
    ForEachPiecePixel(span, target, source, 0, [key, factor](TPixel32 s, TPixel32, TPixel32& d, int, int) {
        if (s != key) {
            d = FactorBlend(s, d, factor);
        }
    });
}

// -------------------------------------------------------------------------------------------
// Backdrop corners

void FillBackdropCorners(TacPixelsView cache, int controlX, int controlY, const TsMaskData& item, int state,
                         unsigned corners, const TBackdropRef& backdrop) {
    const TacPixmap* image = item.SourceImage();
    TacSliceGeometry g;
    if (item.Owner == nullptr || image == nullptr || !HasPixels(cache) ||
        !SliceGeometryOf(item, RectAt(0, 0, cache.Width, cache.Height), state, g)) {
        return;
    }
    const struct {
        unsigned Bit;
        TacCorner Corner;
    } cornerBits[] = {{bcTopLeft, TacCorner::TopLeft},
                      {bcBottomLeft, TacCorner::BottomLeft},
                      {bcTopRight, TacCorner::TopRight},
                      {bcBottomRight, TacCorner::BottomRight}};
    const bool masked = item.MaskKind != 0;
    for (const auto& c : cornerBits) {
        if ((corners & c.Bit) == 0) {
            continue;
        }
        TacPiece piece = CornerPiece(g, c.Corner);
        if (masked) {
            FillCornerFromBackdrop(cache, piece, ViewOf(*image), controlX, controlY, backdrop,
                                   [](TPixel32 s, TPixel32) { return s == clKeyPixel; });
        } else {
            // An unmasked item's clear pixels were copied as they are: find them in the cache.
            piece.Source = piece.Target;
            FillCornerFromBackdrop(cache, piece, cache, controlX, controlY, backdrop,
                                   [](TPixel32, TPixel32 d) { return d == clKeyPixel; });
        }
    }
}

} // namespace sj

#include "skin/paint/sTexture.h"

#include "skin/data/sMaskData.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sGraphUtils.h"

#include <algorithm>

namespace sj {

namespace {

TacRect RemainderOrCovered(TacRect r) {
    return r.Empty() ? txAllCovered : r;
}

// Lays whole tiles of sourceRect from area's top-left, cutting the last row and column
// at area's edges; the view clips whatever lies outside it. Tiles that would land left
// of or above the view are not visited at all.
void TileArea(TacPixelsView view, TacRect area, TacPixelsView source, TacRect sourceRect) {
    const int w = sourceRect.Width(), h = sourceRect.Height();
    const int right = std::min(area.Right, view.Width), bottom = std::min(area.Bottom, view.Height);
    const int firstX = area.Left < 0 ? area.Left + (-area.Left / w) * w : area.Left;
    const int firstY = area.Top < 0 ? area.Top + (-area.Top / h) * h : area.Top;
    for (int y = firstY; y < bottom; y += h) {
        const int rows = std::min(h, area.Bottom - y);
        for (int x = firstX; x < right; x += w) {
            const int cols = std::min(w, area.Right - x);
            CopyPixels(view, x, y, source,
                       {sourceRect.Left, sourceRect.Top, sourceRect.Left + cols, sourceRect.Top + rows});
        }
    }
}

// Number of tiles of size `tile` laid from `from` while a tile's start lies before
// to - tile: only tiles that end strictly before `to`.
int WholeTilesBefore(int from, int to, int tile) {
    const int room = to - tile - from;
    return room > 0 ? (room + tile - 1) / tile : 0;
}

// The masked tile source of an item: frame 0 with its mask one frame height below, inside
// the image. Empty when the item cannot be tiled.
struct TMaskedTile {
    TacPixelsView Image;
    TacRect Frame;
    int MaskOffset = 0;

    bool Usable() const { return HasPixels(Image) && !Frame.Empty(); }
};

TMaskedTile MaskedTileOf(const TsMaskData& item) {
    const TacPixmap* image = item.SourceImage();
    if (image == nullptr || image->Empty())
        return {};
    const int fw = FrameWidth(item), fh = FrameHeight(item);
    const TacRect frame{FrameLeft(item, 0), item.SourceRect.Top, FrameLeft(item, 0) + fw, item.SourceRect.Top + fh};
    const TacPixelsView view = ViewOf(*image);
    const bool inside = fw > 0 && fh > 0 && frame.Left >= 0 && frame.Top >= 0 && frame.Right <= view.Width &&
                        frame.Bottom + fh <= view.Height;
    return inside ? TMaskedTile{view, frame, fh} : TMaskedTile{};
}

// One masked tile with its top-left at (x, y), limited to clip: each channel follows
// S + floor(M * (D - S) / 256) with its own mask channel; clear pixels show the backdrop.
void BlendMaskedTile(TacPixelsView target, TacRect clip, int x, int y, const TMaskedTile& tile,
                     const TBackdropRef& backdrop) {
    const TacRect area{std::max(x, clip.Left), std::max(y, clip.Top), std::min(x + tile.Frame.Width(), clip.Right),
                       std::min(y + tile.Frame.Height(), clip.Bottom)};
    const bool colorBackdrop = !backdrop.HasBitmap() && backdrop.Color != clUnknownColor;
    const TPixel32 backdropPixel = ColorToPixelOrder(backdrop.Color) | 0xFF000000u;
    for (int ty = area.Top; ty < area.Bottom; ++ty) {
        const int sy = tile.Frame.Top + ty - y;
        const TPixel32* src = tile.Image.Row(sy);
        const TPixel32* mask = tile.Image.Row(sy + tile.MaskOffset);
        TPixel32* row = target.Row(ty);
        for (int tx = area.Left; tx < area.Right; ++tx) {
            const int sx = tile.Frame.Left + tx - x;
            const TPixel32 s = src[sx];
            if (s != clKeyPixel) {
                const TPixel32 d = row[tx], m = mask[sx];
                row[tx] = MakePixel(ToByte(Lerp256(PixelR(s), PixelR(d), PixelR(m))),
                                    ToByte(Lerp256(PixelG(s), PixelG(d), PixelG(m))),
                                    ToByte(Lerp256(PixelB(s), PixelB(d), PixelB(m))));
            } else if (backdrop.HasBitmap()) {
                const int bx = tx + backdrop.OffsetX, by = ty + backdrop.OffsetY;
                if (backdrop.Bitmap.Contains(bx, by))
                    row[tx] = backdrop.Bitmap.At(bx, by) | 0xFF000000u;
            } else if (colorBackdrop) {
                row[tx] = backdropPixel;
            }
        }
    }
}

// Lays cols x rows masked tiles from (x0, y0), limited to clip and only the tiles that
// reach into it.
void LayMaskedTiles(TacPixelsView target, TacRect clip, int x0, int y0, int cols, int rows, const TMaskedTile& tile,
                    const TBackdropRef& backdrop) {
    const int w = tile.Frame.Width(), h = tile.Frame.Height();
    const int firstCol = x0 < clip.Left ? (clip.Left - x0) / w : 0;
    const int firstRow = y0 < clip.Top ? (clip.Top - y0) / h : 0;
    for (int r = firstRow; r < rows && y0 + r * h < clip.Bottom; ++r)
        for (int c = firstCol; c < cols && x0 + c * w < clip.Right; ++c)
            BlendMaskedTile(target, clip, x0 + c * w, y0 + r * h, tile, backdrop);
}

int TilesToCover(int length, int tile) {
    return length > 0 ? (length + tile - 1) / tile : 0;
}

} // namespace

void DrawTexture(TacPixelsView target, TacRect& rect, TacPixelsView source, TacRect sourceRect, int mode) {
    if (!HasPixels(target) || !HasPixels(source))
        return;
    const TacRect src = ClipRect(sourceRect, source);
    if (src.Empty() || rect.Empty())
        return;
    const int w = src.Width(), h = src.Height();
    const TacRect r = rect;
    TacRect remainder = txAllCovered;
    const TacRect clip = ClipRect(r, target);
    // Everything is drawn into the part of the target under rect, so strips and tiles
    // that reach beyond rect are cut at its edges.
    const TacPixelsView view = clip.Empty() ? TacPixelsView{} : SubView(target, clip);
    const TacRect local{r.Left - clip.Left, r.Top - clip.Top, r.Right - clip.Left, r.Bottom - clip.Top};
    auto tile = [&](TacRect area) {
        if (HasPixels(view))
            TileArea(view, area, source, src);
    };
    auto stretch = [&](TacRect area) {
        if (HasPixels(view))
            StretchPixels(view, area, source, src);
    };
    switch (mode) {
    case tmTile:
        tile(local);
        break;
    case tmStretch:
        stretch(local);
        break;
    case tmTopRow:
        tile({local.Left, local.Top, local.Right, local.Top + h});
        remainder = {r.Left, r.Top + h, r.Right, r.Bottom};
        break;
    case tmLeftColumn:
        tile({local.Left, local.Top, local.Left + w, local.Bottom});
        remainder = {r.Left + w, r.Top, r.Right, r.Bottom};
        break;
    case tmTopStrip:
        stretch({local.Left, local.Top, local.Right, local.Top + h});
        remainder = {r.Left, r.Top + h, r.Right, r.Bottom};
        break;
    case tmLeftStrip:
        stretch({local.Left, local.Top, local.Left + w, local.Bottom});
        remainder = {r.Left + w, r.Top, r.Right, r.Bottom};
        break;
    case tmBottomRow:
        tile({local.Left, local.Bottom - h, local.Right, local.Bottom});
        remainder = {r.Left, r.Top, r.Right, r.Bottom - h};
        break;
    case tmRightColumn:
        tile({local.Right - w, local.Top, local.Right, local.Bottom});
        remainder = {r.Left, r.Top, r.Right - w, r.Bottom};
        break;
    case tmWholeTiles: {
        // The band below the last whole row is handed back, so that it is filled instead of
        // keeping whatever was there.
        const int rowsHeight = WholeTilesBefore(r.Top, r.Bottom, h) * h;
        tile({local.Left, local.Top, local.Right, local.Top + rowsHeight});
        remainder = {r.Left, r.Top + rowsHeight, r.Right, r.Bottom};
        break;
    }
    default:
        return;
    }
    rect = RemainderOrCovered(remainder);
}

void DrawTexture(TacPixelsView target, TacRect& rect, const TsMaskData& item, int mode) {
    const TacPixmap* image = item.SourceImage();
    if (image == nullptr)
        return;
    DrawTexture(target, rect, ViewOf(*image), item.SourceRect, mode);
}

void DrawPatternTexture(TacPixelsView target, TacRect& rect, TacPixelsView image) {
    DrawTexture(target, rect, image, {0, 0, image.Width, image.Height}, tmTile);
}

void DrawMaskedTexture(TacPixelsView target, TacRect& rect, const TBackdropRef& backdrop, int mode,
                       const TsMaskData& item) {
    if (!HasPixels(target) || (mode != tmTile && mode != tmWholeTiles) || rect.Empty())
        return;
    const TMaskedTile tile = MaskedTileOf(item);
    if (!tile.Usable())
        return;
    const TacRect r = rect;
    const TacRect clip = ClipRect(r, target);
    const int w = tile.Frame.Width(), h = tile.Frame.Height();
    if (mode == tmTile) {
        // Every row and column, the last ones cut at rect's edges: no band is left over.
        LayMaskedTiles(target, clip, r.Left, r.Top, TilesToCover(r.Width(), w), TilesToCover(r.Height(), h), tile,
                       backdrop);
    } else {
        const int cols = WholeTilesBefore(r.Left, r.Right, w);
        const int rows = WholeTilesBefore(r.Top, r.Bottom, h);
        const int tilesRight = r.Left + cols * w, tilesBottom = r.Top + rows * h;
        if (cols > 0 && rows > 0)
            LayMaskedTiles(target, clip, r.Left, r.Top, cols, rows, tile, backdrop);
        if (backdrop.HasBitmap() || backdrop.Color != clUnknownColor) {
            FillWithBackdrop(target, {tilesRight, r.Top, r.Right, r.Bottom}, backdrop, backdrop.Color);
            FillWithBackdrop(target, {r.Left, tilesBottom, tilesRight, r.Bottom}, backdrop, backdrop.Color);
        }
    }
    rect = txAllCovered;
}

void FillWithBackdrop(TacPixelsView target, TacRect rect, const TBackdropRef& backdrop, std::uint32_t fallback) {
    if (!HasPixels(target))
        return;
    const TacRect r = ClipRect(rect, target);
    if (r.Empty())
        return;
    if (!backdrop.HasBitmap()) {
        FillPixels(target, r, backdrop.Color == clUnknownColor ? fallback : backdrop.Color, 255);
        return;
    }
    if (backdrop.Bitmap.Bits == target.Bits)
        return;
    const TacRect reached{std::max(r.Left, -backdrop.OffsetX), std::max(r.Top, -backdrop.OffsetY),
                          std::min(r.Right, backdrop.Bitmap.Width - backdrop.OffsetX),
                          std::min(r.Bottom, backdrop.Bitmap.Height - backdrop.OffsetY)};
    if (reached != r)
        FillPixels(target, r, fallback, 255);
    CopyPixels(
        target, r.Left, r.Top, backdrop.Bitmap,
        {r.Left + backdrop.OffsetX, r.Top + backdrop.OffsetY, r.Right + backdrop.OffsetX, r.Bottom + backdrop.OffsetY});
}

} // namespace sj

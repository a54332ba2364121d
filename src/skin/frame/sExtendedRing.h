// The extended border's ring image (the skin's border image or the built-in shadow) as
// a nine-slice over an area, asked pixel by pixel: corners unscaled, sides and centre
// stretched or tiled. Forms and skinned dialogs draw their border windows from it.
#pragma once

#include <algorithm>
#include <cstddef>

#include "skin/data/sMaskData.h"
#include "skin/data/sSkinModel.h"
#include "platform/Pixmap.h"

namespace sj {

struct TRingImage {
    const TacPixmap& Image;
    int Left, Top, Right, Bottom; // source border widths
    int Width, Height;            // the area
    bool Stretch;
    bool Premultiply;

    static int SourceAt(int at, int size, int first, int last, int imageSize, bool stretch) {
        if (at < first)
            return at;
        if (at >= size - last)
            return imageSize - (size - at);
        const int middle = imageSize - first - last, span = size - first - last;
        if (middle <= 0 || span <= 0)
            return std::clamp(first, 0, imageSize - 1);
        const int offset = at - first;
        return first + (stretch ? static_cast<int>(static_cast<long long>(offset) * middle / span) : offset % middle);
    }
    TPixel32 At(int x, int y) const {
        const int sx = SourceAt(x, Width, Left, Right, Image.Width(), Stretch);
        const int sy = SourceAt(y, Height, Top, Bottom, Image.Height(), Stretch);
        if (sx < 0 || sy < 0 || sx >= Image.Width() || sy >= Image.Height())
            return 0;
        const TPixel32 p = Image.At(sx, sy);
        if (!Premultiply)
            return p;
        const unsigned a = p >> 24;
        auto channel = [&](int shift) { return (((p >> shift) & 0xFFu) * a + 127) / 255; };
        return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }
};

// The active or inactive ring over a width x height area: the skin's "EXBORDER" item
// with its own borders and paint mode, else the built-in shadow halved and stretched.
inline TRingImage ExtendedRingOf(const TsSkinModel& model, bool active, int width, int height) {
    const TacPixmap& image = active ? model.ExtBorderActive : model.ExtBorderInactive;
    const bool builtIn = !model.HasImage(model.StdIndexes.ExBorderImage);
    // Skin images newer than 7.45 come premultiplied; the built-in shadow does not.
    TRingImage ring{image,
                    (image.Width() - 1) / 2,
                    (image.Height() - 1) / 2,
                    (image.Width() - 1) / 2,
                    (image.Height() - 1) / 2,
                    width,
                    height,
                    true,
                    builtIn || model.SkinGlobals.Version <= 7.45};
    if (!builtIn) {
        const TsMaskData& item = model.Masks[static_cast<std::size_t>(model.StdIndexes.ExBorderImage)];
        ring.Left = item.BorderLeft;
        ring.Top = item.BorderTop;
        ring.Right = item.BorderRight;
        ring.Bottom = item.BorderBottom;
        ring.Stretch = item.PaintFlags == 1;
    }
    return ring;
}

// A skin in BORDERMODE 1 draws the form's frame and caption strip as part of its
// "EXBORDER" image: the ring over a width x height cache reaches over them, so its top
// source border may take the caption strip (captionHeight) and half of what is left,
// the bottom one the other half, and bit 0 of the item's paint flags stretches.
inline TRingImage FramingRingOf(const TsSkinModel& model, bool active, int width, int height, int captionHeight) {
    TRingImage ring = ExtendedRingOf(model, active, width, height);
    if (!model.HasImage(model.StdIndexes.ExBorderImage))
        return ring;
    const TsMaskData& item = model.Masks[static_cast<std::size_t>(model.StdIndexes.ExBorderImage)];
    const int rest = std::max(0, height - captionHeight) / 2;
    ring.Top = std::min<int>(item.BorderTop, rest + captionHeight);
    ring.Bottom = std::min<int>(item.BorderBottom, rest);
    ring.Stretch = (item.PaintFlags & 1) != 0;
    return ring;
}

// The ring's pixels everywhere outside `inside`, which keeps what it holds.
inline void FillRing(TacPixelsView target, const TRingImage& ring, const TacRect& inside) {
    for (int y = 0; y < target.Height; ++y) {
        const bool rowInside = y >= inside.Top && y < inside.Bottom;
        for (int x = 0; x < target.Width; ++x) {
            if (rowInside && x >= inside.Left && x < inside.Right) {
                x = inside.Right - 1;
                continue;
            }
            target.At(x, y) = ring.At(x, y);
        }
    }
}

} // namespace sj

#include "skin/paint/sGraphUtils.h"

#include <algorithm>
#include <cmath>

namespace sj {

namespace {

// Nearest integer, halves to even (the rounding of the painters' colour maths).
int RoundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

std::uint8_t ClampByte(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

std::uint8_t Channel(std::uint32_t word, int index) {
    return static_cast<std::uint8_t>(word >> (8 * index));
}

bool IsGrey(TPixel32 p) {
    return PixelR(p) == PixelG(p) && PixelG(p) == PixelB(p);
}

// Applies fn to every pixel of the view.
template <typename Fn> void ForEachPixel(TacPixelsView bitmap, Fn fn) {
    if (bitmap.Bits == nullptr || bitmap.Empty())
        return;
    for (int y = 0; y < bitmap.Height; ++y) {
        TPixel32* row = bitmap.Row(y);
        for (int x = 0; x < bitmap.Width; ++x)
            row[x] = fn(row[x]);
    }
}


// T + floor(a * (S - T) / 256): moves the target channel toward the source by a / 256.
std::uint8_t BlendToward(std::uint8_t t, std::uint8_t s, int a) {
    return static_cast<std::uint8_t>(t + ((a * (s - t)) >> 8));
}

TPixel32 BlendByAlpha(TPixel32 t, TPixel32 s, int a) {
    const std::uint8_t alpha = std::max<std::uint8_t>(PixelA(t), static_cast<std::uint8_t>(a));
    return MakePixel(BlendToward(PixelR(t), PixelR(s), a), BlendToward(PixelG(t), PixelG(s), a),
                     BlendToward(PixelB(t), PixelB(s), a), alpha);
}

} // namespace

TColor MixColors(TColor a, TColor b, double x) {
    TColor result = a & 0xFF000000u;
    for (int i = 0; i < 3; ++i) {
        const int mixed = RoundEven(x * Channel(a, i) + (1.0 - x) * Channel(b, i));
        result |= TColor{ClampByte(mixed)} << (8 * i);
    }
    return result;
}

TPixel32 ShiftColorHue(int offset, TPixel32 pixel) {
    if (offset == 0)
        return pixel;
    const int r = PixelR(pixel), g = PixelG(pixel), b = PixelB(pixel);
    const int mx = std::max({r, g, b});
    const int mn = std::min({r, g, b});
    if (mx == mn)
        return pixel; // grey (also black): no hue to turn
    const double delta = mx - mn;
    double hue;
    if (mx == r)
        hue = 60.0 * (g - b) / delta;
    else if (mx == g)
        hue = 120.0 + 60.0 * (b - r) / delta;
    else
        hue = 240.0 + 60.0 * (r - g) / delta;
    if (hue < 0)
        hue += 360.0;

    int newHue = RoundEven(hue + offset) % 360;
    if (newHue < 0)
        newHue += 360;
    const double s = delta / mx;
    const double v = mx;
    const int sector = newHue / 60;
    const double f = newHue / 60.0 - sector;
    const std::uint8_t vb = ClampByte(mx);
    const std::uint8_t p = ClampByte(RoundEven(v * (1.0 - s)));
    const std::uint8_t q = ClampByte(RoundEven(v * (1.0 - f * s)));
    const std::uint8_t t = ClampByte(RoundEven(v * (1.0 - (1.0 - f) * s)));
    const std::uint8_t a = PixelA(pixel);
    switch (sector) {
    case 0:
        return MakePixel(vb, t, p, a);
    case 1:
        return MakePixel(q, vb, p, a);
    case 2:
        return MakePixel(p, vb, t, a);
    case 3:
        return MakePixel(p, q, vb, a);
    case 4:
        return MakePixel(t, p, vb, a);
    default:
        return MakePixel(vb, p, q, a);
    }
}

TColor ShiftHue(TColor color, int offset) {
    return PixelToColorOrder(ShiftColorHue(offset, ColorToPixelOrder(color)));
}

void ShiftHue(TacPixelsView bitmap, int offset) {
    if (offset == 0)
        return;
    ForEachPixel(bitmap, [offset](TPixel32 p) { return p == clKeyPixel || IsGrey(p) ? p : ShiftColorHue(offset, p); });
}

TColor ChangeColorSaturation(int amount, TColor color) {
    if (amount == 0)
        return color;
    const double mean = (Channel(color, 0) + Channel(color, 1) + Channel(color, 2)) / 3.0;
    TColor result = color & 0xFF000000u;
    for (int i = 0; i < 3; ++i) {
        const double c = Channel(color, i);
        result |= TColor{ClampByte(RoundEven(c - (mean - c) * amount / 100.0))} << (8 * i);
    }
    return result;
}

void ChangeSaturation(TacPixelsView bitmap, int amount) {
    if (amount == 0)
        return;
    ForEachPixel(bitmap,
                 [amount](TPixel32 p) { return p == clKeyPixel || IsGrey(p) ? p : ChangeColorSaturation(amount, p); });
}

namespace {
TPixel32 GreyOf(TPixel32 p) {
    const auto grey = static_cast<std::uint8_t>((PixelR(p) + PixelG(p) + PixelB(p)) / 3);
    return MakePixel(grey, grey, grey, PixelA(p));
}
} // namespace

void MakeGrayscale(TacPixelsView bitmap) {
    ForEachPixel(bitmap, GreyOf);
}

void MakeGrayscale(TacPixelsView bitmap, TPixel32 key) {
    ForEachPixel(bitmap, [key](TPixel32 p) { return p == key ? p : GreyOf(p); });
}

void BlendBitmaps(TacPixelsView target, TacPixelsView source, int weight, int x, int y, TacRect sourceRect) {
    if (!HasPixels(target) || !HasPixels(source))
        return;
    weight = std::clamp(weight, 0, 255);
    TacCopyArea area{x, y, sourceRect.Left, sourceRect.Top, sourceRect.Width(), sourceRect.Height()};
    area.ClipTo(target, source);
    if (area.Empty())
        return;
    // The target is the weighted side: weight 0 leaves the source colour.
    area.ForEachPair(target, source, [weight](TPixel32& t, TPixel32 s, int, int) {
        t = MakePixel(BlendToward(PixelR(s), PixelR(t), weight), BlendToward(PixelG(s), PixelG(t), weight),
                      BlendToward(PixelB(s), PixelB(t), weight), PixelA(t));
    });
}

void BlendColorIntoRect(TacPixelsView bitmap, TacRect rect, int percent, TColor color) {
    if (!HasPixels(bitmap))
        return;
    rect = ClipRect(rect, bitmap);
    if (rect.Empty())
        return;
    const double keep = std::clamp(percent, 0, 100) / 100.0;
    const TPixel32 c = ColorToPixelOrder(color);
    auto mix = [keep](std::uint8_t v, std::uint8_t cv) { return ClampByte(RoundEven(v * keep + cv * (1.0 - keep))); };
    for (int y = rect.Top; y < rect.Bottom; ++y) {
        TPixel32* row = bitmap.Row(y);
        for (int x = rect.Left; x < rect.Right; ++x) {
            const TPixel32 p = row[x];
            row[x] =
                MakePixel(mix(PixelR(p), PixelR(c)), mix(PixelG(p), PixelG(c)), mix(PixelB(p), PixelB(c)), PixelA(p));
        }
    }
}

void FillPixels(TacPixelsView target, TacRect rect, TColor color, std::uint8_t alpha) {
    if (!HasPixels(target))
        return;
    rect = ClipRect(rect, target);
    if (rect.Empty())
        return;
    const TPixel32 value = (ColorToPixelOrder(color) & 0x00FFFFFFu) | (TPixel32{alpha} << 24);
    for (int y = rect.Top; y < rect.Bottom; ++y)
        std::fill(target.Row(y) + rect.Left, target.Row(y) + rect.Right, value);
}

void PremultiplyAlpha(TacPixelsView bitmap) {
    ForEachPixel(bitmap, [](TPixel32 p) {
        const unsigned a = PixelA(p);
        return MakePixel(static_cast<std::uint8_t>((PixelR(p) * a) >> 8),
                         static_cast<std::uint8_t>((PixelG(p) * a) >> 8),
                         static_cast<std::uint8_t>((PixelB(p) * a) >> 8), static_cast<std::uint8_t>(a));
    });
}

void BlendAlphaImage(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect,
                     const TacAlphaBlendOptions& options) {
    if (!HasPixels(target) || !HasPixels(source))
        return;
    const int transparency = std::clamp(options.Transparency, 0, 100);
    auto opacity = [transparency](TPixel32 s) {
        const int a = PixelA(s);
        return transparency > 0 ? (100 - transparency) * a / 100 : a;
    };
    auto skipped = [&options](TPixel32 s) { return options.UseKey && s == options.Key; };
    // A key pixel with a backdrop takes the backdrop's pixel, when there is one there.
    auto showBackdrop = [&options](TPixel32& t, int tx, int ty) {
        const TacPixelsView& b = options.Backdrop;
        const int bx = tx + options.BackdropX, by = ty + options.BackdropY;
        if (b.Bits != nullptr && b.Contains(bx, by))
            t = b.At(bx, by);
    };

    TacCopyArea area{targetRect.Left,
                   targetRect.Top,
                   sourceRect.Left,
                   sourceRect.Top,
                   std::min(targetRect.Width(), sourceRect.Width()),
                   std::min(targetRect.Height(), sourceRect.Height())};
    const int imageHeight = area.Height;
    const int sourceTop = area.SourceY;
    const int targetTop = area.TargetY;
    area.ClipTo(target, source);
    if (area.Empty())
        return;
    area.ForEachPair(target, source, [&](TPixel32& t, TPixel32 s, int tx, int ty) {
        if (!skipped(s))
            t = BlendByAlpha(t, s, opacity(s));
        else
            showBackdrop(t, tx, ty);
    });
    if (!options.Reflected || imageHeight < 2)
        return;

    // The reflection: row k below the image mirrors source row (height - 1 - k) and
    // fades from a third of the pixel's opacity by 255 / (height / 2) per row.
    const int half = imageHeight / 2;
    const double fadeStep = 255.0 / half;
    for (int k = 0; k < half; ++k) {
        const int ty = targetTop + imageHeight + k;
        const int sy = sourceTop + imageHeight - 1 - k;
        if (ty < 0 || ty >= target.Height || sy < 0 || sy >= source.Height)
            continue;
        TPixel32* t = target.Row(ty) + area.TargetX;
        const TPixel32* s = source.Row(sy) + area.SourceX;
        for (int col = 0; col < area.Width; ++col) {
            if (skipped(s[col]))
                continue;
            const int a = static_cast<int>(opacity(s[col]) / 3 - k * fadeStep);
            if (a > 0)
                t[col] = BlendByAlpha(t[col], s[col], a);
        }
    }
}

} // namespace sj

#include "skin/paint/sGradient.h"

#include "skin/paint/sAlphaPaint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace sj {

namespace {

TacTriangleFill GTriangleFill = &FillGradientTriangles;

constexpr int ChannelOf(std::int32_t color, int shift) {
    return (color >> shift) & 0xFF;
}

// Row k of a band of length L: Color1 + (Color2 - Color1) * k / L per channel, to the
// nearest integer with halves to even. Kept in integers so that exact halves stay exact.
TPixel32 BandPixel(const TsGradPie& step, int k, int length) {
    auto channel = [&](int shift) {
        return ToByte(
            RoundDivEven(ChannelOf(step.Color1, shift) * (length - k) + ChannelOf(step.Color2, shift) * k, length));
    };
    return MakePixel(channel(0), channel(8), channel(16));
}

TPixel32 OpaquePixelOf(std::int32_t color) {
    return MakePixel(static_cast<std::uint8_t>(ChannelOf(color, 0)), static_cast<std::uint8_t>(ChannelOf(color, 8)),
                     static_cast<std::uint8_t>(ChannelOf(color, 16)));
}

// Calls paint(first, last, step) for each band laid along [from, to): band i ends
// Percent of the length after the previous one (bandEnd), never beyond the last
// position; the last band always ends there. Bands overlap by their shared end position,
// which the next band overwrites. Zero-length bands are skipped.
template <typename BandEnd, typename Paint>
void ForEachBand(const TsGradArray& steps, int from, int to, BandEnd bandEnd, Paint paint) {
    const int last = to - 1;
    int start = from;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const bool isLast = i + 1 == steps.size();
        const int end = isLast ? last : std::min(bandEnd(start, std::clamp(steps[i].Percent, 0, 100)), last);
        if (end > start)
            paint(start, end, steps[i]);
        start = std::max(start, end);
    }
}

void DrawVerticalBands(TacPixelsView target, TacRect r, const TsGradArray& steps) {
    const int height = r.Height();
    // A single row leaves every band empty; it shows where the gradient begins.
    if (height == 1)
        std::fill(target.Row(r.Top) + r.Left, target.Row(r.Top) + r.Right, OpaquePixelOf(steps[0].Color1));
    ForEachBand(
        steps, r.Top, r.Bottom, [height](int start, int percent) { return start + height * percent / 100; },
        [&](int first, int last, const TsGradPie& step) {
            for (int y = first; y <= last; ++y)
                std::fill(target.Row(y) + r.Left, target.Row(y) + r.Right, BandPixel(step, y - first, last - first));
        });
}

void DrawHorizontalBands(TacPixelsView target, TacRect r, const TsGradArray& steps) {
    const int width = r.Width();
    std::vector<TPixel32> row(static_cast<std::size_t>(width), OpaquePixelOf(steps[0].Color1));
    ForEachBand(
        steps, r.Left, r.Right,
        [width](int start, int percent) { return RoundDivEven(percent * width + 100 * start, 100); },
        [&](int first, int last, const TsGradPie& step) {
            for (int x = first; x <= last; ++x)
                row[static_cast<std::size_t>(x - r.Left)] = BandPixel(step, x - first, last - first);
        });
    for (int y = r.Top; y < r.Bottom; ++y)
        std::copy(row.begin(), row.end(), target.Row(y) + r.Left);
}

TacTriVertex VertexAt(int x, int y, std::int32_t color) {
    return {x,
            y,
            static_cast<std::uint16_t>(ChannelOf(color, 0) << 8),
            static_cast<std::uint16_t>(ChannelOf(color, 8) << 8),
            static_cast<std::uint16_t>(ChannelOf(color, 16) << 8),
            0xFF00};
}

void DrawTriangles(TacPixelsView target, TacRect r, const TsGradArray& steps) {
    if (GTriangleFill == nullptr)
        return;
    // Steps 0..4 colour the corners and the centre; missing steps repeat the last one.
    auto colorOf = [&](std::size_t i) { return steps[std::min(i, steps.size() - 1)].Color1; };
    const std::array<TacTriVertex, 5> vertices = {
        VertexAt(r.Left, r.Top, colorOf(0)),    VertexAt((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, colorOf(1)),
        VertexAt(r.Right, r.Top, colorOf(2)),   VertexAt(r.Right, r.Bottom, colorOf(3)),
        VertexAt(r.Left, r.Bottom, colorOf(4)),
    };
    const std::array<TacTriangle, 4> triangles = {{{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}}};
    GTriangleFill(target, vertices, triangles);
}

// Twice the signed area of (a, b, p): positive on one side of the edge a-b.
double EdgeFunction(double ax, double ay, double bx, double by, double px, double py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

std::uint8_t InterpolatedChannel(double w1, double w2, double w3, std::uint16_t c1, std::uint16_t c2,
                                 std::uint16_t c3) {
    const double value16 = w1 * c1 + w2 * c2 + w3 * c3;
    return ToByte(static_cast<int>(std::lround(value16)) >> 8);
}

void FillTriangle(TacPixelsView target, const TacTriVertex& a, const TacTriVertex& b, const TacTriVertex& c) {
    const double area = EdgeFunction(a.X, a.Y, b.X, b.Y, c.X, c.Y);
    if (area == 0)
        return;
    const TacRect box = ClipRect({std::min({a.X, b.X, c.X}), std::min({a.Y, b.Y, c.Y}), std::max({a.X, b.X, c.X}) + 1,
                                  std::max({a.Y, b.Y, c.Y}) + 1},
                                 target);
    // Pixel centres on a shared edge belong to both triangles; the colours agree there.
    constexpr double onEdge = -1e-9;
    for (int y = box.Top; y < box.Bottom; ++y) {
        TPixel32* row = target.Row(y);
        for (int x = box.Left; x < box.Right; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double wa = EdgeFunction(b.X, b.Y, c.X, c.Y, px, py) / area;
            const double wb = EdgeFunction(c.X, c.Y, a.X, a.Y, px, py) / area;
            const double wc = EdgeFunction(a.X, a.Y, b.X, b.Y, px, py) / area;
            if (wa < onEdge || wb < onEdge || wc < onEdge)
                continue;
            row[x] = MakePixel(InterpolatedChannel(wa, wb, wc, a.Red, b.Red, c.Red),
                               InterpolatedChannel(wa, wb, wc, a.Green, b.Green, c.Green),
                               InterpolatedChannel(wa, wb, wc, a.Blue, b.Blue, c.Blue),
                               InterpolatedChannel(wa, wb, wc, a.Alpha, b.Alpha, c.Alpha));
        }
    }
}

// Each gradient channel g becomes g + floor(weight * (t - g) / 256), t the texture pixel
// at (x mod width, y mod height) of its rectangle; alpha becomes `alpha`.
void MixTiledTexture(TacPixelsView target, TacRect r, TacPixelsView texture, TacRect textureRect, int weight,
                     std::uint8_t alpha) {
    const int tw = textureRect.Width(), th = textureRect.Height();
    for (int y = r.Top; y < r.Bottom; ++y) {
        TPixel32* row = target.Row(y);
        const TPixel32* tex = texture.Row(textureRect.Top + y % th) + textureRect.Left;
        for (int x = r.Left; x < r.Right; ++x)
            row[x] = MapChannels(row[x], tex[x % tw], alpha, [weight](int g, int t) { return Lerp256(g, t, weight); });
    }
}

void SetAlpha(TacPixelsView target, TacRect r, std::uint8_t alpha) {
    for (int y = r.Top; y < r.Bottom; ++y) {
        TPixel32* row = target.Row(y);
        for (int x = r.Left; x < r.Right; ++x)
            row[x] = (row[x] & 0x00FFFFFFu) | (TPixel32{alpha} << 24);
    }
}

} // namespace

void FillGradientTriangles(TacPixelsView target, std::span<const TacTriVertex> vertices,
                           std::span<const TacTriangle> triangles) {
    if (!HasPixels(target))
        return;
    for (const TacTriangle& t : triangles) {
        if (t.V1 >= vertices.size() || t.V2 >= vertices.size() || t.V3 >= vertices.size())
            continue;
        FillTriangle(target, vertices[t.V1], vertices[t.V2], vertices[t.V3]);
    }
}

void SetTriangleGradientFill(TacTriangleFill fill) {
    GTriangleFill = fill;
}

TacTriangleFill TriangleGradientFill() {
    return GTriangleFill;
}

bool CanDrawGradient(const TsGradArray& steps) {
    return !steps.empty() && (steps[0].Mode != 2 || GTriangleFill != nullptr);
}

void DrawGradient(TacPixelsView target, TacRect rect, const TsGradArray& steps) {
    if (!HasPixels(target) || steps.empty())
        return;
    const TacRect r = ClipRect(rect, target);
    if (r.Empty())
        return;
    switch (steps[0].Mode) {
    case 1:
        DrawHorizontalBands(target, r, steps);
        break;
    case 2:
        DrawTriangles(target, r, steps);
        break;
    default:
        DrawVerticalBands(target, r, steps);
        break;
    }
}

void DrawGradientWithTexture(TacPixelsView target, TacRect rect, const TsGradArray& steps, std::uint8_t alpha,
                             int weight, TacRect textureRect, TacPixelsView texture) {
    if (!HasPixels(target) || !CanDrawGradient(steps))
        return;
    const TacRect r = ClipRect(rect, target);
    if (r.Empty())
        return;
    DrawGradient(target, r, steps);
    const TacRect tr = HasPixels(texture) ? ClipRect(textureRect, texture) : TacRect{};
    if (tr.Empty())
        SetAlpha(target, r, alpha);
    else
        MixTiledTexture(target, r, texture, tr, std::clamp(weight, 0, 255), alpha);
}

} // namespace sj

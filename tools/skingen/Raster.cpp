#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace sj::skingen {
namespace {

constexpr int kSamples = 4; // per axis

float Clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

std::uint8_t ToByte(float v) {
    return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0f));
}

float DistanceToSegment(TPointF p, TPointF a, TPointF b) {
    const float dx = b.X - a.X, dy = b.Y - a.Y;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? ((p.X - a.X) * dx + (p.Y - a.Y) * dy) / len2 : 0;
    t = Clamp01(t);
    const float ex = a.X + t * dx - p.X, ey = a.Y + t * dy - p.Y;
    return std::sqrt(ex * ex + ey * ey);
}

} // namespace

TColorF ColorFromRef(unsigned colorRef, float alpha) {
    return {static_cast<float>(colorRef & 0xFF) / 255.0f, static_cast<float>((colorRef >> 8) & 0xFF) / 255.0f,
            static_cast<float>((colorRef >> 16) & 0xFF) / 255.0f, alpha};
}

unsigned ColorRefOf(const TColorF& c) {
    return unsigned{ToByte(c.R)} | (unsigned{ToByte(c.G)} << 8) | (unsigned{ToByte(c.B)} << 16);
}

TColorF Mix(const TColorF& a, const TColorF& b, float t) {
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t, a.A + (b.A - a.A) * t};
}

TColorF WithAlpha(TColorF c, float alpha) {
    c.A = alpha;
    return c;
}

TShape RoundRect(float left, float top, float right, float bottom, float radius) {
    radius = std::max(0.0f, std::min(radius, std::min(right - left, bottom - top) / 2));
    return {left, top, right, bottom, [=](float x, float y) {
                if (x < left || x >= right || y < top || y >= bottom)
                    return false;
                const float cx = std::clamp(x, left + radius, right - radius);
                const float cy = std::clamp(y, top + radius, bottom - radius);
                const float dx = x - cx, dy = y - cy;
                return dx * dx + dy * dy <= radius * radius;
            }};
}

TShape Circle(float cx, float cy, float radius) {
    return {cx - radius, cy - radius, cx + radius, cy + radius, [=](float x, float y) {
                const float dx = x - cx, dy = y - cy;
                return dx * dx + dy * dy <= radius * radius;
            }};
}

TShape Polygon(std::vector<TPointF> points) {
    TShape s;
    if (points.empty())
        return {0, 0, 0, 0, [](float, float) { return false; }};
    s.Left = s.Right = points[0].X;
    s.Top = s.Bottom = points[0].Y;
    for (const TPointF& p : points) {
        s.Left = std::min(s.Left, p.X);
        s.Right = std::max(s.Right, p.X);
        s.Top = std::min(s.Top, p.Y);
        s.Bottom = std::max(s.Bottom, p.Y);
    }
    s.Inside = [pts = std::move(points)](float x, float y) {
        // Even-odd rule by a ray towards +x.
        bool inside = false;
        for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const TPointF& a = pts[i];
            const TPointF& b = pts[j];
            if ((a.Y > y) != (b.Y > y) && x < (b.X - a.X) * (y - a.Y) / (b.Y - a.Y) + a.X)
                inside = !inside;
        }
        return inside;
    };
    return s;
}

TShape Line(TPointF a, TPointF b, float width) {
    const float h = width / 2;
    return {std::min(a.X, b.X) - h, std::min(a.Y, b.Y) - h, std::max(a.X, b.X) + h, std::max(a.Y, b.Y) + h,
            [=](float x, float y) {
                return DistanceToSegment({x, y}, a, b) <= h;
            }};
}

TShape Difference(TShape outer, TShape inner) {
    TShape s{outer.Left, outer.Top, outer.Right, outer.Bottom, nullptr};
    s.Inside = [o = std::move(outer.Inside), i = std::move(inner.Inside)](float x, float y) {
        return o(x, y) && !i(x, y);
    };
    return s;
}

TShape Union(TShape a, TShape b) {
    TShape s{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom),
             nullptr};
    s.Inside = [p = std::move(a.Inside), q = std::move(b.Inside)](float x, float y) { return p(x, y) || q(x, y); };
    return s;
}

TShape Intersection(TShape a, TShape b) {
    TShape s{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom),
             nullptr};
    s.Inside = [p = std::move(a.Inside), q = std::move(b.Inside)](float x, float y) { return p(x, y) && q(x, y); };
    return s;
}

TPaint Solid(TColorF c) {
    return [c](float, float) { return c; };
}

TPaint VerticalGradient(float y0, TColorF c0, float y1, TColorF c1) {
    return [=](float, float y) { return Mix(c0, c1, y1 > y0 ? Clamp01((y - y0) / (y1 - y0)) : 0); };
}

TPaint HorizontalGradient(float x0, TColorF c0, float x1, TColorF c1) {
    return [=](float x, float) { return Mix(c0, c1, x1 > x0 ? Clamp01((x - x0) / (x1 - x0)) : 0); };
}

TLayer::TLayer(int width, int height)
    : FWidth(std::max(width, 0)), FHeight(std::max(height, 0)),
      FPixels(static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight) * 4, 0.0f) {}

float TLayer::Coverage(const TShape& shape, int x, int y) const {
    int hits = 0;
    for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx)
            if (shape.Inside(static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / kSamples,
                             static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / kSamples))
                ++hits;
    return static_cast<float>(hits) / (kSamples * kSamples);
}

void TLayer::Fill(const TShape& shape, const TPaint& paint) {
    const int x0 = std::max(0, static_cast<int>(std::floor(shape.Left)));
    const int y0 = std::max(0, static_cast<int>(std::floor(shape.Top)));
    const int x1 = std::min(FWidth, static_cast<int>(std::ceil(shape.Right)) + 1);
    const int y1 = std::min(FHeight, static_cast<int>(std::ceil(shape.Bottom)) + 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float cover = Coverage(shape, x, y);
            if (cover <= 0)
                continue;
            const TColorF c = paint(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            const float a = Clamp01(c.A) * cover;
            float* p = &FPixels[(static_cast<std::size_t>(y) * FWidth + x) * 4];
            p[0] = c.R * a + p[0] * (1 - a);
            p[1] = c.G * a + p[1] * (1 - a);
            p[2] = c.B * a + p[2] * (1 - a);
            p[3] = a + p[3] * (1 - a);
        }
}

void TLayer::ClipTo(const TShape& shape) {
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            float* p = &FPixels[(static_cast<std::size_t>(y) * FWidth + x) * 4];
            if (p[3] <= 0)
                continue;
            const float cover = Coverage(shape, x, y);
            for (int i = 0; i < 4; ++i)
                p[i] *= cover;
        }
}

void TLayer::Set(int x, int y, TColorF c) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return;
    float* p = &FPixels[(static_cast<std::size_t>(y) * FWidth + x) * 4];
    const float a = Clamp01(c.A);
    p[0] = c.R * a;
    p[1] = c.G * a;
    p[2] = c.B * a;
    p[3] = a;
}

void TLayer::Clear() {
    std::fill(FPixels.begin(), FPixels.end(), 0.0f);
}

TColorF TLayer::At(int x, int y) const {
    const float* p = &FPixels[(static_cast<std::size_t>(y) * FWidth + x) * 4];
    if (p[3] <= 0)
        return {0, 0, 0, 0};
    return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

void TLayer::Draw(const TLayer& other, int dx, int dy) {
    for (int y = 0; y < other.FHeight; ++y)
        for (int x = 0; x < other.FWidth; ++x) {
            const int tx = x + dx, ty = y + dy;
            if (tx < 0 || ty < 0 || tx >= FWidth || ty >= FHeight)
                continue;
            const float* s = &other.FPixels[(static_cast<std::size_t>(y) * other.FWidth + x) * 4];
            float* d = &FPixels[(static_cast<std::size_t>(ty) * FWidth + tx) * 4];
            for (int i = 0; i < 4; ++i)
                d[i] = s[i] + d[i] * (1 - s[3]);
        }
}

TacPixmap TLayer::ToPixmap() const {
    TacPixmap out(FWidth, FHeight);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            const TColorF c = At(x, y);
            out.At(x, y) = MakePixel(ToByte(c.R), ToByte(c.G), ToByte(c.B), ToByte(c.A));
        }
    return out;
}

} // namespace sj::skingen

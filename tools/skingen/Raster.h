// A small anti-aliased rasterizer for drawing skin images: shapes are sampled on a
// 4 x 4 grid per pixel to get their coverage, and painted with solid colours or
// gradients into a float RGBA layer that composites "source over".
#pragma once

#include "skin/paint/acPixmap.h"

#include <functional>
#include <vector>

namespace sj::skingen {

// A straight (not premultiplied) colour with components 0..1.
struct TColorF {
    float R = 0, G = 0, B = 0, A = 1;
};

TColorF ColorFromRef(unsigned colorRef, float alpha = 1.0f); // 0x00BBGGRR
unsigned ColorRefOf(const TColorF& c);                       // alpha ignored
TColorF Mix(const TColorF& a, const TColorF& b, float t);    // t = 0 gives a
TColorF WithAlpha(TColorF c, float alpha);

struct TPointF {
    float X = 0, Y = 0;
};

// A shape answers whether a point lies inside it; the box bounds the points it may answer for.
struct TShape {
    float Left = 0, Top = 0, Right = 0, Bottom = 0;
    std::function<bool(float, float)> Inside;
};

TShape RoundRect(float left, float top, float right, float bottom, float radius);
TShape Circle(float cx, float cy, float radius);
TShape Polygon(std::vector<TPointF> points);
// A straight stroke with round caps.
TShape Line(TPointF a, TPointF b, float width);
// Points of the first shape that are not in the second.
TShape Difference(TShape outer, TShape inner);
TShape Union(TShape a, TShape b);
TShape Intersection(TShape a, TShape b);

using TPaint = std::function<TColorF(float x, float y)>;

TPaint Solid(TColorF c);
// Vertical gradient from c0 at y0 to c1 at y1, clamped beyond them.
TPaint VerticalGradient(float y0, TColorF c0, float y1, TColorF c1);
TPaint HorizontalGradient(float x0, TColorF c0, float x1, TColorF c1);

class TLayer {
public:
    TLayer(int width, int height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    void Fill(const TShape& shape, const TPaint& paint);
    void Fill(const TShape& shape, TColorF c) { Fill(shape, Solid(c)); }
    // Multiplies the alpha of every pixel outside the shape by 0 and of edge pixels by their coverage.
    void ClipTo(const TShape& shape);
    void Clear();
    void Set(int x, int y, TColorF c); // straight colour, replaces the pixel

    // Straight colour and alpha of one pixel.
    TColorF At(int x, int y) const;
    // Composites another layer of the same size over this one at (dx, dy).
    void Draw(const TLayer& other, int dx, int dy);

    // 32-bit pixels with straight alpha (PNG members, previews).
    TacPixmap ToPixmap() const;

private:
    float Coverage(const TShape& shape, int x, int y) const;

    int FWidth;
    int FHeight;
    std::vector<float> FPixels; // premultiplied R, G, B, A per pixel
};

} // namespace sj::skingen

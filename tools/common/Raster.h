// The build tools' one anti-aliased rasterizer (skin images, the program's artwork,
// border shadows). Shapes are point-inside tests; a pixel's coverage is the share of
// a grid of sample points inside the shape. Layers compose paints "over" in
// premultiplied floating point and hand out straight-alpha pixels.
//
// A layer works in single (TLayerF) or double (TLayer) precision, and every shape
// and paint is evaluated in the precision of the layer it is drawn on: each tool
// keeps the precision its files were first made with, so they stay byte for byte
// the same from build to build.
#pragma once

#include "platform/Pixmap.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

namespace sj::tools {

// ---- Colours ----------------------------------------------------------------------

// A straight (not premultiplied) colour with components 0..1.
template <typename TReal> struct TBasicColor { TReal R = 0, G = 0, B = 0, A = 1; };
using TColor = TBasicColor<double>;
using TColorF = TBasicColor<float>;

// 0xRRGGBB with an opacity.
template <typename TReal = double> TBasicColor<TReal> Rgb(unsigned rgb, std::type_identity_t<TReal> opacity = 1) {
    return {static_cast<TReal>((rgb >> 16) & 0xFFu) / TReal(255), static_cast<TReal>((rgb >> 8) & 0xFFu) / TReal(255),
            static_cast<TReal>(rgb & 0xFFu) / TReal(255), opacity};
}

// A Windows colour reference 0x00BBGGRR with an opacity.
template <typename TReal = double>
TBasicColor<TReal> ColorFromRef(unsigned colorRef, std::type_identity_t<TReal> alpha = 1) {
    return {static_cast<TReal>(colorRef & 0xFFu) / TReal(255), static_cast<TReal>((colorRef >> 8) & 0xFFu) / TReal(255),
            static_cast<TReal>((colorRef >> 16) & 0xFFu) / TReal(255), alpha};
}

// 0..1 to a byte, rounded to nearest; out-of-range values (NaN too) are clamped first.
template <typename TReal> std::uint8_t ChannelByte(TReal v) {
    const TReal clamped = !(v > 0) ? TReal(0) : (v > 1 ? TReal(1) : v);
    return static_cast<std::uint8_t>(std::lround(clamped * TReal(255)));
}

// The colour as 0x00BBGGRR; the alpha is left out.
template <typename TReal> unsigned ColorRefOf(const TBasicColor<TReal>& c) {
    return unsigned{ChannelByte(c.R)} | (unsigned{ChannelByte(c.G)} << 8) | (unsigned{ChannelByte(c.B)} << 16);
}

// t = 0 gives a, t = 1 gives b; the alpha is mixed too.
template <typename TReal>
TBasicColor<TReal> Mix(const TBasicColor<TReal>& a, const TBasicColor<TReal>& b, std::type_identity_t<TReal> t) {
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t, a.A + (b.A - a.A) * t};
}

template <typename TReal> TBasicColor<TReal> WithAlpha(TBasicColor<TReal> c, std::type_identity_t<TReal> alpha) {
    c.A = alpha;
    return c;
}

// ---- Geometry ---------------------------------------------------------------------

// Drawing coordinates: x to the right, y down; a layer's scale maps them to pixels.
struct TPoint {
    double X = 0, Y = 0;
};

// A point of single-precision drawing code; shapes take it without loss.
struct TPointF {
    float X = 0, Y = 0;
    operator TPoint() const { return {X, Y}; } // NOLINT: widening, exact
};

struct TBox {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// How far p lies outside the rounded rectangle box with corner radius `radius`;
// 0 inside it. Soft shadows and glows fade with this distance.
double DistanceOutside(const TBox& box, double radius, TPoint p);

// An immutable region of the plane; copies share it. A default shape is empty.
class TShape {
public:
    class TNode;

    TShape() = default;
    explicit TShape(std::shared_ptr<const TNode> node) : FNode(std::move(node)) {}

    bool Contains(double x, double y) const;
    bool Contains(float x, float y) const;
    // Contains is false outside this box.
    TBox Bounds() const;

private:
    std::shared_ptr<const TNode> FNode;
};

// Edges are half-open: left and top belong to the rectangle, right and bottom do not,
// so rectangles that meet cover each sample point once. The radius is limited to half
// the shorter side.
TShape RoundRect(double left, double top, double right, double bottom, double radius);
TShape Rect(double left, double top, double right, double bottom);
TShape Circle(double cx, double cy, double radius);
// Filled by the non-zero winding rule: a part the outline goes round twice is filled once.
TShape Polygon(std::vector<TPoint> points);
// A straight stroke `width` wide with round caps.
TShape Line(TPoint a, TPoint b, double width);
// The band between two radii, limited to the angles from `from` turning clockwise (on
// screen, y down) through `sweep` degrees; 0 degrees points right.
TShape Arc(double cx, double cy, double innerRadius, double outerRadius, double from, double sweep);
TShape Union(std::vector<TShape> shapes);
TShape Intersection(TShape a, TShape b);
// The points of `outer` that are not in `inner`.
TShape Difference(TShape outer, TShape inner);
// The shape moved by (dx, dy).
TShape Offset(TShape shape, double dx, double dy);

// ---- Paints -----------------------------------------------------------------------

// The colour at a point in drawing coordinates (the pixel's centre).
template <typename TReal> using TBasicPaint = std::function<TBasicColor<TReal>(TReal x, TReal y)>;
using TPaint = TBasicPaint<double>;
using TPaintF = TBasicPaint<float>;

template <typename TReal> TBasicPaint<TReal> Solid(TBasicColor<TReal> c);
// c0 at y0 to c1 at y1 (either way up), clamped beyond them.
template <typename TReal>
TBasicPaint<TReal> VerticalGradient(std::type_identity_t<TReal> y0, TBasicColor<TReal> c0,
                                    std::type_identity_t<TReal> y1, TBasicColor<TReal> c1);
template <typename TReal>
TBasicPaint<TReal> HorizontalGradient(std::type_identity_t<TReal> x0, TBasicColor<TReal> c0,
                                      std::type_identity_t<TReal> x1, TBasicColor<TReal> c1);
// c0 at `from` to c1 at `to`, constant across that direction and clamped beyond the ends.
template <typename TReal>
TBasicPaint<TReal> LinearGradient(TPoint from, TBasicColor<TReal> c0, TPoint to, TBasicColor<TReal> c1);

// ---- Layers -----------------------------------------------------------------------

// What becomes of a pixel whose alpha rounds to 0: it keeps its colour (images that
// are stretched or blended later, where a clear neighbour's colour still counts), or
// it turns fully clear (icons and pictures, which are shown as they are).
enum class TFaintPixels { KeepColour, Clear };

template <typename TReal> class TBasicLayer {
public:
    using TColorType = TBasicColor<TReal>;

    // `scale` pixels per drawing unit; `samplesPerAxis` rows and columns of sample
    // points per pixel. Throws sj::Exception unless the scale is a positive number and
    // the sample count lies in 1..64. Negative sizes give an empty layer.
    TBasicLayer(int width, int height, TReal scale = 1, int samplesPerAxis = 4);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TReal Scale() const { return FScale; }

    void Fill(const TShape& shape, const TBasicPaint<TReal>& paint);
    void Fill(const TShape& shape, const TColorType& c);
    // Keeps each pixel's share that lies inside the shape: pixels outside turn clear,
    // edge pixels keep their coverage.
    void ClipTo(const TShape& shape);
    void Clear();
    // Replaces one pixel; pixels outside the layer are ignored.
    void Set(int x, int y, const TColorType& c);
    // Straight colour and alpha of one pixel; clear outside the layer.
    TColorType At(int x, int y) const;
    // Composes another layer over this one, its top left at pixel (dx, dy).
    void Draw(const TBasicLayer& other, int dx, int dy);

    // 32-bit pixels with straight alpha; untouched pixels are 0. See TFaintPixels for
    // pixels too faint for one alpha step.
    TacPixmap ToPixmap(TFaintPixels faint = TFaintPixels::KeepColour) const;

private:
    TReal Coverage(const TShape& shape, int x, int y) const;
    TReal* PixelAt(int x, int y);
    const TReal* PixelAt(int x, int y) const;

    int FWidth;
    int FHeight;
    TReal FScale;
    int FSamples;
    std::vector<TReal> FPixels; // premultiplied R, G, B, A per pixel
};

using TLayer = TBasicLayer<double>;
using TLayerF = TBasicLayer<float>;

extern template class TBasicLayer<float>;
extern template class TBasicLayer<double>;

} // namespace sj::tools

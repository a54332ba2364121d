// A small anti-aliased rasterizer for the build's artwork: shapes are point-inside
// tests, and each pixel's coverage is the share of a grid of sample points (16 x 16
// for icon sizes, coarser for large images) that fall inside. Colours are composed "over" in premultiplied floating
// point and turned into straight-alpha pixels at the end.
#pragma once

#include "skin/paint/acPixmap.h"

#include <memory>
#include <vector>

namespace sj::art {

struct TPoint {
    double X = 0;
    double Y = 0;
};

struct TBox {
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;
};

class TShape {
public:
    virtual ~TShape() = default;
    virtual bool Contains(double x, double y) const = 0;
    // A box outside which Contains is false.
    virtual TBox Bounds() const = 0;
};

using TShapePtr = std::shared_ptr<const TShape>;

// A polygon filled by the non-zero winding rule.
TShapePtr Polygon(std::vector<TPoint> points);
TShapePtr Circle(double cx, double cy, double radius);
TShapePtr RoundRect(double left, double top, double right, double bottom, double radius);
// A thick line with round ends.
TShapePtr Capsule(double x0, double y0, double x1, double y1, double width);
// The band between two radii, limited to the angles from `from` turning clockwise (on
// screen, y down) through `sweep` degrees; 0 degrees points right.
TShapePtr Arc(double cx, double cy, double innerRadius, double outerRadius, double from, double sweep);
TShapePtr Union(std::vector<TShapePtr> shapes);
TShapePtr Intersection(TShapePtr a, TShapePtr b);
TShapePtr Difference(TShapePtr a, TShapePtr b);
// The shape moved by (dx, dy).
TShapePtr Offset(TShapePtr shape, double dx, double dy);

// A colour 0xRRGGBB with an opacity 0..1.
struct TColor {
    double R = 0;
    double G = 0;
    double B = 0;
    double A = 1;
};
TColor Rgb(unsigned rgb, double opacity = 1.0);

// A colour that may change linearly from one point to another.
class TPaint {
public:
    TPaint(TColor color) : FFrom(color), FTo(color) {} // NOLINT: a plain colour is a paint
    static TPaint Linear(TPoint from, TColor fromColor, TPoint to, TColor toColor);
    TColor At(double x, double y) const;

private:
    TPaint(TColor fromColor, TColor toColor, TPoint from, TPoint to)
        : FFrom(fromColor), FTo(toColor), FStart(from), FEnd(to) {}
    TColor FFrom;
    TColor FTo;
    TPoint FStart;
    TPoint FEnd;
};

// Premultiplied RGBA canvas whose drawing coordinates are scaled: a design drawn on a
// grid of `designSize` units fills the canvas at any pixel size.
class TCanvas {
public:
    TCanvas(int pixelSize, double designSize);

    void Fill(const TShapePtr& shape, const TPaint& paint);
    int Size() const { return FSize; }
    double Scale() const { return FScale; }
    TacPixmap ToPixmap() const;

private:
    struct TRgba {
        double R = 0, G = 0, B = 0, A = 0;
    };
    double Coverage(const TShape& shape, int px, int py) const;

    int FSize;
    double FScale;
    std::vector<TRgba> FPixels;
};

} // namespace sj::art

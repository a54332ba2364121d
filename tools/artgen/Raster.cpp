#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sj::art {
namespace {

// Small icons need fine coverage steps at their few edge pixels; large images have many
// edge pixels, each of which needs fewer steps.
int SamplesPerAxisFor(int pixelSize) {
    return pixelSize <= 64 ? 16 : 6;
}

TBox Grow(TBox a, const TBox& b) {
    a.Left = std::min(a.Left, b.Left);
    a.Top = std::min(a.Top, b.Top);
    a.Right = std::max(a.Right, b.Right);
    a.Bottom = std::max(a.Bottom, b.Bottom);
    return a;
}

class TPolygon final : public TShape {
public:
    explicit TPolygon(std::vector<TPoint> points) : FPoints(std::move(points)) {
        FBounds = {1e9, 1e9, -1e9, -1e9};
        for (const TPoint& p : FPoints)
            FBounds = Grow(FBounds, {p.X, p.Y, p.X, p.Y});
    }
    bool Contains(double x, double y) const override {
        int winding = 0;
        for (std::size_t i = 0; i < FPoints.size(); ++i) {
            const TPoint& a = FPoints[i];
            const TPoint& b = FPoints[(i + 1) % FPoints.size()];
            const double side = (b.X - a.X) * (y - a.Y) - (x - a.X) * (b.Y - a.Y);
            if (a.Y <= y && b.Y > y && side > 0)
                ++winding;
            else if (a.Y > y && b.Y <= y && side < 0)
                --winding;
        }
        return winding != 0;
    }
    TBox Bounds() const override { return FBounds; }

private:
    std::vector<TPoint> FPoints;
    TBox FBounds;
};

class TCircle final : public TShape {
public:
    TCircle(double cx, double cy, double r) : FX(cx), FY(cy), FR(r) {}
    bool Contains(double x, double y) const override { return (x - FX) * (x - FX) + (y - FY) * (y - FY) <= FR * FR; }
    TBox Bounds() const override { return {FX - FR, FY - FR, FX + FR, FY + FR}; }

private:
    double FX, FY, FR;
};

class TRoundRect final : public TShape {
public:
    TRoundRect(TBox box, double r)
        : FBox(box), FR(std::min({r, (box.Right - box.Left) / 2, (box.Bottom - box.Top) / 2})) {}
    bool Contains(double x, double y) const override {
        if (x < FBox.Left || x > FBox.Right || y < FBox.Top || y > FBox.Bottom)
            return false;
        const double cx = std::clamp(x, FBox.Left + FR, FBox.Right - FR);
        const double cy = std::clamp(y, FBox.Top + FR, FBox.Bottom - FR);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= FR * FR;
    }
    TBox Bounds() const override { return FBox; }

private:
    TBox FBox;
    double FR;
};

class TCapsule final : public TShape {
public:
    TCapsule(TPoint a, TPoint b, double width) : FA(a), FB(b), FR(width / 2) {}
    bool Contains(double x, double y) const override {
        const double dx = FB.X - FA.X;
        const double dy = FB.Y - FA.Y;
        const double length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? ((x - FA.X) * dx + (y - FA.Y) * dy) / length2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double nx = FA.X + t * dx - x;
        const double ny = FA.Y + t * dy - y;
        return nx * nx + ny * ny <= FR * FR;
    }
    TBox Bounds() const override {
        return {std::min(FA.X, FB.X) - FR, std::min(FA.Y, FB.Y) - FR, std::max(FA.X, FB.X) + FR,
                std::max(FA.Y, FB.Y) + FR};
    }

private:
    TPoint FA, FB;
    double FR;
};

class TArc final : public TShape {
public:
    TArc(TPoint centre, double inner, double outer, double from, double sweep)
        : FC(centre), FInner(inner), FOuter(outer), FFrom(from), FSweep(sweep) {}
    bool Contains(double x, double y) const override {
        const double dx = x - FC.X;
        const double dy = y - FC.Y;
        const double r2 = dx * dx + dy * dy;
        if (r2 < FInner * FInner || r2 > FOuter * FOuter)
            return false;
        double angle = std::atan2(dy, dx) * 180.0 / std::numbers::pi - FFrom;
        angle = std::fmod(angle + 720.0, 360.0);
        return angle <= FSweep;
    }
    TBox Bounds() const override { return {FC.X - FOuter, FC.Y - FOuter, FC.X + FOuter, FC.Y + FOuter}; }

private:
    TPoint FC;
    double FInner, FOuter, FFrom, FSweep;
};

class TUnion final : public TShape {
public:
    explicit TUnion(std::vector<TShapePtr> shapes) : FShapes(std::move(shapes)) {
        FBounds = {1e9, 1e9, -1e9, -1e9};
        for (const TShapePtr& shape : FShapes)
            FBounds = Grow(FBounds, shape->Bounds());
    }
    bool Contains(double x, double y) const override {
        return std::any_of(FShapes.begin(), FShapes.end(), [&](const TShapePtr& s) { return s->Contains(x, y); });
    }
    TBox Bounds() const override { return FBounds; }

private:
    std::vector<TShapePtr> FShapes;
    TBox FBounds;
};

class TIntersection final : public TShape {
public:
    TIntersection(TShapePtr a, TShapePtr b) : FA(std::move(a)), FB(std::move(b)) {}
    bool Contains(double x, double y) const override { return FA->Contains(x, y) && FB->Contains(x, y); }
    TBox Bounds() const override {
        const TBox a = FA->Bounds();
        const TBox b = FB->Bounds();
        return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                std::min(a.Bottom, b.Bottom)};
    }

private:
    TShapePtr FA, FB;
};

class TDifference final : public TShape {
public:
    TDifference(TShapePtr a, TShapePtr b) : FA(std::move(a)), FB(std::move(b)) {}
    bool Contains(double x, double y) const override { return FA->Contains(x, y) && !FB->Contains(x, y); }
    TBox Bounds() const override { return FA->Bounds(); }

private:
    TShapePtr FA, FB;
};

class TOffset final : public TShape {
public:
    TOffset(TShapePtr shape, double dx, double dy) : FShape(std::move(shape)), FDx(dx), FDy(dy) {}
    bool Contains(double x, double y) const override { return FShape->Contains(x - FDx, y - FDy); }
    TBox Bounds() const override {
        const TBox b = FShape->Bounds();
        return {b.Left + FDx, b.Top + FDy, b.Right + FDx, b.Bottom + FDy};
    }

private:
    TShapePtr FShape;
    double FDx, FDy;
};

std::uint8_t ToByte(double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

} // namespace

TShapePtr Polygon(std::vector<TPoint> points) {
    return std::make_shared<TPolygon>(std::move(points));
}
TShapePtr Circle(double cx, double cy, double radius) {
    return std::make_shared<TCircle>(cx, cy, radius);
}
TShapePtr RoundRect(double left, double top, double right, double bottom, double radius) {
    return std::make_shared<TRoundRect>(TBox{left, top, right, bottom}, radius);
}
TShapePtr Capsule(double x0, double y0, double x1, double y1, double width) {
    return std::make_shared<TCapsule>(TPoint{x0, y0}, TPoint{x1, y1}, width);
}
TShapePtr Arc(double cx, double cy, double innerRadius, double outerRadius, double from, double sweep) {
    return std::make_shared<TArc>(TPoint{cx, cy}, innerRadius, outerRadius, from, sweep);
}
TShapePtr Union(std::vector<TShapePtr> shapes) {
    return std::make_shared<TUnion>(std::move(shapes));
}
TShapePtr Intersection(TShapePtr a, TShapePtr b) {
    return std::make_shared<TIntersection>(std::move(a), std::move(b));
}
TShapePtr Difference(TShapePtr a, TShapePtr b) {
    return std::make_shared<TDifference>(std::move(a), std::move(b));
}
TShapePtr Offset(TShapePtr shape, double dx, double dy) {
    return std::make_shared<TOffset>(std::move(shape), dx, dy);
}

TColor Rgb(unsigned rgb, double opacity) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, opacity};
}

TPaint TPaint::Linear(TPoint from, TColor fromColor, TPoint to, TColor toColor) {
    return TPaint(fromColor, toColor, from, to);
}

TColor TPaint::At(double x, double y) const {
    const double dx = FEnd.X - FStart.X;
    const double dy = FEnd.Y - FStart.Y;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp(((x - FStart.X) * dx + (y - FStart.Y) * dy) / length2, 0.0, 1.0) : 0;
    return {FFrom.R + (FTo.R - FFrom.R) * t, FFrom.G + (FTo.G - FFrom.G) * t, FFrom.B + (FTo.B - FFrom.B) * t,
            FFrom.A + (FTo.A - FFrom.A) * t};
}

TCanvas::TCanvas(int pixelSize, double designSize)
    : FSize(pixelSize), FScale(pixelSize / designSize),
      FPixels(static_cast<std::size_t>(pixelSize) * static_cast<std::size_t>(pixelSize)) {}

double TCanvas::Coverage(const TShape& shape, int px, int py) const {
    int inside = 0;
    const int samples = SamplesPerAxisFor(FSize);
    for (int sy = 0; sy < samples; ++sy)
        for (int sx = 0; sx < samples; ++sx) {
            const double x = (px + (sx + 0.5) / samples) / FScale;
            const double y = (py + (sy + 0.5) / samples) / FScale;
            if (shape.Contains(x, y))
                ++inside;
        }
    return static_cast<double>(inside) / (samples * samples);
}

void TCanvas::Fill(const TShapePtr& shape, const TPaint& paint) {
    const TBox bounds = shape->Bounds();
    const int x0 = std::max(0, static_cast<int>(std::floor(bounds.Left * FScale)));
    const int y0 = std::max(0, static_cast<int>(std::floor(bounds.Top * FScale)));
    const int x1 = std::min(FSize - 1, static_cast<int>(std::ceil(bounds.Right * FScale)));
    const int y1 = std::min(FSize - 1, static_cast<int>(std::ceil(bounds.Bottom * FScale)));
    for (int py = y0; py <= y1; ++py)
        for (int px = x0; px <= x1; ++px) {
            const double coverage = Coverage(*shape, px, py);
            if (coverage <= 0)
                continue;
            const TColor c = paint.At((px + 0.5) / FScale, (py + 0.5) / FScale);
            const double a = c.A * coverage;
            TRgba& d =
                FPixels[static_cast<std::size_t>(py) * static_cast<std::size_t>(FSize) + static_cast<std::size_t>(px)];
            d.R = c.R * a + d.R * (1 - a);
            d.G = c.G * a + d.G * (1 - a);
            d.B = c.B * a + d.B * (1 - a);
            d.A = a + d.A * (1 - a);
        }
}

TacPixmap TCanvas::ToPixmap() const {
    TacPixmap image(FSize, FSize);
    for (int y = 0; y < FSize; ++y)
        for (int x = 0; x < FSize; ++x) {
            const TRgba& p =
                FPixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(FSize) + static_cast<std::size_t>(x)];
            const std::uint8_t alpha = ToByte(p.A);
            if (alpha == 0) {
                image.At(x, y) = 0;
                continue;
            }
            image.At(x, y) = MakePixel(ToByte(p.R / p.A), ToByte(p.G / p.A), ToByte(p.B / p.A), alpha);
        }
    return image;
}

} // namespace sj::art

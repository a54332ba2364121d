#include "Raster.h"

#include "platform/Exception.h"

#include <algorithm>
#include <numbers>

namespace sj::tools {

// A shape's test, in both precisions. Nodes keep their figures in double; a
// single-precision test turns them into float first and works in float throughout,
// so a float layer sees exactly what float arithmetic on the caller's values gives.
class TShape::TNode {
public:
    explicit TNode(const TBox& bounds) : FBounds(bounds) {}
    virtual ~TNode() = default;
    TNode(const TNode&) = delete;
    TNode& operator=(const TNode&) = delete;

    virtual bool Contains(double x, double y) const = 0;
    virtual bool Contains(float x, float y) const = 0;
    const TBox& Bounds() const { return FBounds; }

private:
    TBox FBounds;
};

namespace {

// std::clamp's result, without its precondition lo <= hi: corner centres of a
// rectangle thinner than one rounding step may cross.
template <typename TReal> TReal ClampBetween(TReal v, TReal lo, TReal hi) {
    return std::min(std::max(v, lo), hi);
}

template <typename TReal> TReal Clamp01(TReal v) {
    return !(v > 0) ? TReal(0) : (v > 1 ? TReal(1) : v);
}

TBox Grow(TBox a, const TBox& b) {
    a.Left = std::min(a.Left, b.Left);
    a.Top = std::min(a.Top, b.Top);
    a.Right = std::max(a.Right, b.Right);
    a.Bottom = std::max(a.Bottom, b.Bottom);
    return a;
}

// Answers both precisions from the node's one template Test.
template <typename TSelf> class TNodeOf : public TShape::TNode {
public:
    using TNode::TNode;
    bool Contains(double x, double y) const final { return static_cast<const TSelf&>(*this).Test(x, y); }
    bool Contains(float x, float y) const final { return static_cast<const TSelf&>(*this).Test(x, y); }
};

class TRoundRectNode final : public TNodeOf<TRoundRectNode> {
public:
    TRoundRectNode(const TBox& box, double radius) : TNodeOf(box), FBox(box), FRadius(radius) {}

    template <typename TReal> bool Test(TReal x, TReal y) const {
        const auto left = static_cast<TReal>(FBox.Left), top = static_cast<TReal>(FBox.Top);
        const auto right = static_cast<TReal>(FBox.Right), bottom = static_cast<TReal>(FBox.Bottom);
        if (x < left || x >= right || y < top || y >= bottom)
            return false;
        const TReal r =
            std::max(TReal(0), std::min(static_cast<TReal>(FRadius), std::min(right - left, bottom - top) / 2));
        const TReal dx = x - ClampBetween(x, left + r, right - r);
        const TReal dy = y - ClampBetween(y, top + r, bottom - r);
        return dx * dx + dy * dy <= r * r;
    }

private:
    TBox FBox;
    double FRadius;
};

class TCircleNode final : public TNodeOf<TCircleNode> {
public:
    TCircleNode(TPoint centre, double radius)
        : TNodeOf(TBox{centre.X - radius, centre.Y - radius, centre.X + radius, centre.Y + radius}), FCentre(centre),
          FRadius(radius) {}

    template <typename TReal> bool Test(TReal x, TReal y) const {
        const TReal dx = x - static_cast<TReal>(FCentre.X), dy = y - static_cast<TReal>(FCentre.Y);
        const auto r = static_cast<TReal>(FRadius);
        return dx * dx + dy * dy <= r * r;
    }

private:
    TPoint FCentre;
    double FRadius;
};

TBox BoundsOf(const std::vector<TPoint>& points) {
    if (points.empty())
        return {};
    TBox box{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (const TPoint& p : points)
        box = Grow(box, {p.X, p.Y, p.X, p.Y});
    return box;
}

class TPolygonNode final : public TNodeOf<TPolygonNode> {
public:
    explicit TPolygonNode(std::vector<TPoint> points) : TNodeOf(BoundsOf(points)), FPoints(std::move(points)) {}

    template <typename TReal> bool Test(TReal x, TReal y) const {
        // Crossings of a ray towards +x, counted with the edge's direction; each edge
        // holds its lower end and not its upper one, so a vertex is crossed once.
        int winding = 0;
        for (std::size_t i = 0; i < FPoints.size(); ++i) {
            const TPoint& from = FPoints[i];
            const TPoint& to = FPoints[(i + 1) % FPoints.size()];
            const auto ax = static_cast<TReal>(from.X), ay = static_cast<TReal>(from.Y);
            const auto bx = static_cast<TReal>(to.X), by = static_cast<TReal>(to.Y);
            const TReal side = (bx - ax) * (y - ay) - (x - ax) * (by - ay);
            if (ay <= y && by > y && side > 0)
                ++winding;
            else if (ay > y && by <= y && side < 0)
                --winding;
        }
        return winding != 0;
    }

private:
    std::vector<TPoint> FPoints;
};

class TLineNode final : public TNodeOf<TLineNode> {
public:
    TLineNode(TPoint a, TPoint b, double width)
        : TNodeOf(TBox{std::min(a.X, b.X) - width / 2, std::min(a.Y, b.Y) - width / 2, std::max(a.X, b.X) + width / 2,
                       std::max(a.Y, b.Y) + width / 2}),
          FA(a), FB(b), FHalfWidth(width / 2) {}

    template <typename TReal> bool Test(TReal x, TReal y) const {
        const auto ax = static_cast<TReal>(FA.X), ay = static_cast<TReal>(FA.Y);
        const TReal dx = static_cast<TReal>(FB.X) - ax, dy = static_cast<TReal>(FB.Y) - ay;
        const TReal length2 = dx * dx + dy * dy;
        // The nearest point of the segment, as a share of its length.
        const TReal t = length2 > 0 ? ClampBetween(((x - ax) * dx + (y - ay) * dy) / length2, TReal(0), TReal(1)) : 0;
        const TReal nx = ax + t * dx - x, ny = ay + t * dy - y;
        const auto h = static_cast<TReal>(FHalfWidth);
        return nx * nx + ny * ny <= h * h;
    }

private:
    TPoint FA, FB;
    double FHalfWidth;
};

class TArcNode final : public TNodeOf<TArcNode> {
public:
    TArcNode(TPoint centre, double inner, double outer, double from, double sweep)
        : TNodeOf(TBox{centre.X - outer, centre.Y - outer, centre.X + outer, centre.Y + outer}), FCentre(centre),
          FInner(inner), FOuter(outer), FFrom(from), FSweep(sweep) {}

    template <typename TReal> bool Test(TReal x, TReal y) const {
        const TReal dx = x - static_cast<TReal>(FCentre.X), dy = y - static_cast<TReal>(FCentre.Y);
        const TReal r2 = dx * dx + dy * dy;
        const auto inner = static_cast<TReal>(FInner), outer = static_cast<TReal>(FOuter);
        if (r2 < inner * inner || r2 > outer * outer)
            return false;
        TReal angle = std::atan2(dy, dx) * TReal(180) / std::numbers::pi_v<TReal> - static_cast<TReal>(FFrom);
        angle = std::fmod(angle + TReal(720), TReal(360));
        return angle <= static_cast<TReal>(FSweep);
    }

private:
    TPoint FCentre;
    double FInner, FOuter, FFrom, FSweep;
};

class TUnionNode final : public TNodeOf<TUnionNode> {
public:
    explicit TUnionNode(std::vector<TShape> shapes) : TNodeOf(BoundsOf(shapes)), FShapes(std::move(shapes)) {}

    template <typename TReal> bool Test(TReal x, TReal y) const {
        return std::any_of(FShapes.begin(), FShapes.end(), [&](const TShape& s) { return s.Contains(x, y); });
    }

private:
    static TBox BoundsOf(const std::vector<TShape>& shapes) {
        if (shapes.empty())
            return {};
        TBox box = shapes[0].Bounds();
        for (const TShape& s : shapes)
            box = Grow(box, s.Bounds());
        return box;
    }

    std::vector<TShape> FShapes;
};

class TIntersectionNode final : public TNodeOf<TIntersectionNode> {
public:
    TIntersectionNode(TShape a, TShape b) : TNodeOf(BoundsOf(a, b)), FA(std::move(a)), FB(std::move(b)) {}

    template <typename TReal> bool Test(TReal x, TReal y) const { return FA.Contains(x, y) && FB.Contains(x, y); }

private:
    static TBox BoundsOf(const TShape& a, const TShape& b) {
        const TBox p = a.Bounds(), q = b.Bounds();
        return {std::max(p.Left, q.Left), std::max(p.Top, q.Top), std::min(p.Right, q.Right),
                std::min(p.Bottom, q.Bottom)};
    }

    TShape FA, FB;
};

class TDifferenceNode final : public TNodeOf<TDifferenceNode> {
public:
    TDifferenceNode(TShape outer, TShape inner)
        : TNodeOf(outer.Bounds()), FOuter(std::move(outer)), FInner(std::move(inner)) {}

    template <typename TReal> bool Test(TReal x, TReal y) const {
        return FOuter.Contains(x, y) && !FInner.Contains(x, y);
    }

private:
    TShape FOuter, FInner;
};

class TOffsetNode final : public TNodeOf<TOffsetNode> {
public:
    TOffsetNode(TShape shape, double dx, double dy)
        : TNodeOf(Moved(shape.Bounds(), dx, dy)), FShape(std::move(shape)), FDx(dx), FDy(dy) {}

    template <typename TReal> bool Test(TReal x, TReal y) const {
        return FShape.Contains(x - static_cast<TReal>(FDx), y - static_cast<TReal>(FDy));
    }

private:
    static TBox Moved(const TBox& b, double dx, double dy) {
        return {b.Left + dx, b.Top + dy, b.Right + dx, b.Bottom + dy};
    }

    TShape FShape;
    double FDx, FDy;
};

template <typename TNodeType, typename... TArgs> TShape MakeShape(TArgs&&... args) {
    return TShape(std::make_shared<const TNodeType>(std::forward<TArgs>(args)...));
}

// The pixel index a drawing bound scaled to pixels falls to, kept inside 0..limit
// before it becomes an int: bounds far off the layer (or not numbers at all) are
// only clipped, never converted out of range.
int PixelIndex(double v, int limit) {
    if (!(v > 0))
        return 0;
    if (v >= limit)
        return limit;
    return static_cast<int>(v);
}

} // namespace

bool TShape::Contains(double x, double y) const {
    return FNode && FNode->Contains(x, y);
}

bool TShape::Contains(float x, float y) const {
    return FNode && FNode->Contains(x, y);
}

TBox TShape::Bounds() const {
    return FNode ? FNode->Bounds() : TBox{};
}

TShape RoundRect(double left, double top, double right, double bottom, double radius) {
    return MakeShape<TRoundRectNode>(TBox{left, top, right, bottom}, radius);
}

TShape Rect(double left, double top, double right, double bottom) {
    return RoundRect(left, top, right, bottom, 0);
}

TShape Circle(double cx, double cy, double radius) {
    return MakeShape<TCircleNode>(TPoint{cx, cy}, radius);
}

TShape Polygon(std::vector<TPoint> points) {
    if (points.size() < 3)
        return {};
    return MakeShape<TPolygonNode>(std::move(points));
}

TShape Line(TPoint a, TPoint b, double width) {
    return MakeShape<TLineNode>(a, b, width);
}

TShape Arc(double cx, double cy, double innerRadius, double outerRadius, double from, double sweep) {
    return MakeShape<TArcNode>(TPoint{cx, cy}, innerRadius, outerRadius, from, sweep);
}

TShape Union(std::vector<TShape> shapes) {
    return MakeShape<TUnionNode>(std::move(shapes));
}

TShape Intersection(TShape a, TShape b) {
    return MakeShape<TIntersectionNode>(std::move(a), std::move(b));
}

TShape Difference(TShape outer, TShape inner) {
    return MakeShape<TDifferenceNode>(std::move(outer), std::move(inner));
}

TShape Offset(TShape shape, double dx, double dy) {
    return MakeShape<TOffsetNode>(std::move(shape), dx, dy);
}

double DistanceOutside(const TBox& box, double radius, TPoint p) {
    const double cx = ClampBetween(p.X, box.Left + radius, box.Right - radius);
    const double cy = ClampBetween(p.Y, box.Top + radius, box.Bottom - radius);
    return std::max(0.0, std::hypot(p.X - cx, p.Y - cy) - radius);
}

template <typename TReal> TBasicPaint<TReal> Solid(TBasicColor<TReal> c) {
    return [c](TReal, TReal) { return c; };
}

template <typename TReal>
TBasicPaint<TReal> VerticalGradient(std::type_identity_t<TReal> y0, TBasicColor<TReal> c0,
                                    std::type_identity_t<TReal> y1, TBasicColor<TReal> c1) {
    return [=](TReal, TReal y) { return Mix(c0, c1, y1 != y0 ? Clamp01((y - y0) / (y1 - y0)) : TReal(0)); };
}

template <typename TReal>
TBasicPaint<TReal> HorizontalGradient(std::type_identity_t<TReal> x0, TBasicColor<TReal> c0,
                                      std::type_identity_t<TReal> x1, TBasicColor<TReal> c1) {
    return [=](TReal x, TReal) { return Mix(c0, c1, x1 != x0 ? Clamp01((x - x0) / (x1 - x0)) : TReal(0)); };
}

template <typename TReal>
TBasicPaint<TReal> LinearGradient(TPoint from, TBasicColor<TReal> c0, TPoint to, TBasicColor<TReal> c1) {
    const auto fx = static_cast<TReal>(from.X), fy = static_cast<TReal>(from.Y);
    const TReal dx = static_cast<TReal>(to.X) - fx, dy = static_cast<TReal>(to.Y) - fy;
    const TReal length2 = dx * dx + dy * dy;
    return [=](TReal x, TReal y) {
        // The share of the way along the gradient's direction.
        const TReal t = length2 > 0 ? ClampBetween(((x - fx) * dx + (y - fy) * dy) / length2, TReal(0), TReal(1)) : 0;
        return Mix(c0, c1, t);
    };
}

template <typename TReal>
TBasicLayer<TReal>::TBasicLayer(int width, int height, TReal scale, int samplesPerAxis)
    : FWidth(std::max(width, 0)), FHeight(std::max(height, 0)), FScale(scale), FSamples(samplesPerAxis),
      FPixels(static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight) * 4, TReal(0)) {
    if (!(scale > 0) || !std::isfinite(scale))
        throw Exception("A layer's scale must be a positive number");
    if (samplesPerAxis < 1 || samplesPerAxis > 64)
        throw Exception("A layer takes 1 to 64 samples per pixel side");
}

template <typename TReal> TReal* TBasicLayer<TReal>::PixelAt(int x, int y) {
    return &FPixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) + static_cast<std::size_t>(x)) * 4];
}

template <typename TReal> const TReal* TBasicLayer<TReal>::PixelAt(int x, int y) const {
    return &FPixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) + static_cast<std::size_t>(x)) * 4];
}

template <typename TReal> TReal TBasicLayer<TReal>::Coverage(const TShape& shape, int x, int y) const {
    int inside = 0;
    for (int sy = 0; sy < FSamples; ++sy)
        for (int sx = 0; sx < FSamples; ++sx) {
            const TReal px =
                (static_cast<TReal>(x) + (static_cast<TReal>(sx) + TReal(0.5)) / static_cast<TReal>(FSamples)) / FScale;
            const TReal py =
                (static_cast<TReal>(y) + (static_cast<TReal>(sy) + TReal(0.5)) / static_cast<TReal>(FSamples)) / FScale;
            if (shape.Contains(px, py))
                ++inside;
        }
    return static_cast<TReal>(inside) / static_cast<TReal>(FSamples * FSamples);
}

template <typename TReal> void TBasicLayer<TReal>::Fill(const TShape& shape, const TBasicPaint<TReal>& paint) {
    const TBox b = shape.Bounds();
    const double scale = FScale;
    // One pixel beyond the rounded-up bound: a sample there may still touch the edge.
    const int x0 = PixelIndex(std::floor(b.Left * scale), FWidth);
    const int y0 = PixelIndex(std::floor(b.Top * scale), FHeight);
    const int x1 = PixelIndex(std::ceil(b.Right * scale) + 1, FWidth);
    const int y1 = PixelIndex(std::ceil(b.Bottom * scale) + 1, FHeight);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const TReal cover = Coverage(shape, x, y);
            if (cover <= 0)
                continue;
            const TColorType c =
                paint((static_cast<TReal>(x) + TReal(0.5)) / FScale, (static_cast<TReal>(y) + TReal(0.5)) / FScale);
            const TReal a = Clamp01(c.A) * cover;
            TReal* p = PixelAt(x, y);
            p[0] = c.R * a + p[0] * (1 - a);
            p[1] = c.G * a + p[1] * (1 - a);
            p[2] = c.B * a + p[2] * (1 - a);
            p[3] = a + p[3] * (1 - a);
        }
}

template <typename TReal> void TBasicLayer<TReal>::Fill(const TShape& shape, const TColorType& c) {
    Fill(shape, Solid(c));
}

template <typename TReal> void TBasicLayer<TReal>::ClipTo(const TShape& shape) {
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            TReal* p = PixelAt(x, y);
            if (p[3] <= 0)
                continue;
            const TReal cover = Coverage(shape, x, y);
            for (int i = 0; i < 4; ++i)
                p[i] *= cover;
        }
}

template <typename TReal> void TBasicLayer<TReal>::Clear() {
    std::fill(FPixels.begin(), FPixels.end(), TReal(0));
}

template <typename TReal> void TBasicLayer<TReal>::Set(int x, int y, const TColorType& c) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return;
    TReal* p = PixelAt(x, y);
    const TReal a = Clamp01(c.A);
    p[0] = c.R * a;
    p[1] = c.G * a;
    p[2] = c.B * a;
    p[3] = a;
}

template <typename TReal> typename TBasicLayer<TReal>::TColorType TBasicLayer<TReal>::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return {0, 0, 0, 0};
    const TReal* p = PixelAt(x, y);
    if (p[3] <= 0)
        return {0, 0, 0, 0};
    return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

template <typename TReal> void TBasicLayer<TReal>::Draw(const TBasicLayer& other, int dx, int dy) {
    for (int y = 0; y < other.FHeight; ++y)
        for (int x = 0; x < other.FWidth; ++x) {
            const int tx = x + dx, ty = y + dy;
            if (tx < 0 || ty < 0 || tx >= FWidth || ty >= FHeight)
                continue;
            const TReal* s = other.PixelAt(x, y);
            TReal* d = PixelAt(tx, ty);
            for (int i = 0; i < 4; ++i)
                d[i] = s[i] + d[i] * (1 - s[3]);
        }
}

template <typename TReal> TacPixmap TBasicLayer<TReal>::ToPixmap(TFaintPixels faint) const {
    TacPixmap out(FWidth, FHeight);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            const TColorType c = At(x, y);
            const std::uint8_t alpha = ChannelByte(c.A);
            if (alpha == 0 && faint == TFaintPixels::Clear)
                out.At(x, y) = 0;
            else
                out.At(x, y) = MakePixel(ChannelByte(c.R), ChannelByte(c.G), ChannelByte(c.B), alpha);
        }
    return out;
}

template TBasicPaint<float> Solid(TBasicColor<float>);
template TBasicPaint<double> Solid(TBasicColor<double>);
template TBasicPaint<float> VerticalGradient<float>(float, TBasicColor<float>, float, TBasicColor<float>);
template TBasicPaint<double> VerticalGradient<double>(double, TBasicColor<double>, double, TBasicColor<double>);
template TBasicPaint<float> HorizontalGradient<float>(float, TBasicColor<float>, float, TBasicColor<float>);
template TBasicPaint<double> HorizontalGradient<double>(double, TBasicColor<double>, double, TBasicColor<double>);
template TBasicPaint<float> LinearGradient(TPoint, TBasicColor<float>, TPoint, TBasicColor<float>);
template TBasicPaint<double> LinearGradient(TPoint, TBasicColor<double>, TPoint, TBasicColor<double>);
template class TBasicLayer<float>;
template class TBasicLayer<double>;

} // namespace sj::tools

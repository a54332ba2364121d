#include "Artwork.h"

#include "shell/SuppliedFiles.h"
#include "tools/common/Raster.h"

#include <cmath>
#include <optional>

namespace sj::art {

using namespace tools;

namespace {

// Palette.
constexpr unsigned Blue = 0x2563EB;
constexpr unsigned BlueLight = 0x60A5FA;
constexpr unsigned BlueDark = 0x1D4ED8;
constexpr unsigned BluePale = 0xBFDBFE;
constexpr unsigned BlueMist = 0xDBEAFE;
constexpr unsigned Paper = 0xFFFFFF;
constexpr unsigned Orange = 0xF97316;
constexpr unsigned OrangeLight = 0xFDBA74;
constexpr unsigned Green = 0x16A34A;
constexpr unsigned GreenLight = 0x4ADE80;
constexpr unsigned Amber = 0xF59E0B;
constexpr unsigned AmberLight = 0xFCD34D;
constexpr unsigned Shadow = 0x0F172A;

// A square canvas on which a design drawn on a grid of `designSize` units fills all
// `size` pixels. Small icons need fine coverage steps at their few edge pixels; large
// images have many edge pixels, each of which needs fewer steps.
TLayer Canvas(int size, double designSize) {
    return TLayer(size, size, size / designSize, size <= 64 ? 16 : 6);
}

TPaint Vertical(double top, unsigned topColor, double bottom, unsigned bottomColor) {
    return LinearGradient({0, top}, Rgb(topColor), {0, bottom}, Rgb(bottomColor));
}

// A sheet of paper with its top-right corner folded over.
TShape PageShape(double l, double t, double r, double b, double fold, double radius) {
    return Intersection(Polygon({{l, t}, {r - fold, t}, {r, t + fold}, {r, b}, {l, b}}), RoundRect(l, t, r, b, radius));
}

TShape FoldShape(double t, double r, double fold) {
    return Polygon({{r - fold, t}, {r - fold, t + fold}, {r, t + fold}});
}

// Lines of "text" across the page's writing area.
TShape TextLines(double l, double r, double firstY, double lastY, double step, double width) {
    std::vector<TShape> lines;
    int index = 0;
    for (double y = firstY; y <= lastY + 1e-9; y += step, ++index) {
        // Ragged right edge, as text has.
        const double end = r - ((index % 3 == 1) ? (r - l) * 0.3 : (index % 3 == 2) ? (r - l) * 0.12 : 0);
        lines.push_back(Line({l, y}, {end, y}, width));
    }
    return Union(std::move(lines));
}

// The part of the plane above (above == true) or below the line through a and b.
TShape HalfPlane(TPoint a, TPoint b, bool above) {
    const double far = 1000;
    const double slope = (b.Y - a.Y) / (b.X - a.X);
    const TPoint left{-far, a.Y + slope * (-far - a.X)};
    const TPoint right{far, a.Y + slope * (far - a.X)};
    const double edge = above ? -far : far;
    return Polygon({left, right, {far, edge}, {-far, edge}});
}

struct TPageStyle {
    unsigned Edge = Blue;
    unsigned Fill = Paper;
    unsigned Fold = BluePale;
    unsigned Lines = BluePale;
    double EdgeWidth = 1.25;
    bool ShowLines = true;
};

// A page in box (l, t, r, b) of a 32-unit design, clipped to `clip` and moved by (dx, dy).
void DrawPagePiece(TLayer& canvas, double l, double t, double r, double b, const TPageStyle& style,
                   const std::optional<TShape>& clipOuter, const std::optional<TShape>& clipInner, double dx,
                   double dy) {
    const double fold = (r - l) * 0.32;
    const double w = style.EdgeWidth;
    auto clipped = [&](TShape shape, const std::optional<TShape>& clip) {
        return Offset(clip ? Intersection(std::move(shape), *clip) : std::move(shape), dx, dy);
    };
    canvas.Fill(clipped(PageShape(l, t, r, b, fold, 1.2), clipOuter), Rgb(style.Edge));
    canvas.Fill(clipped(PageShape(l + w, t + w, r - w, b - w, fold - w * 0.4, 0.6), clipInner), Rgb(style.Fill));
    if (style.ShowLines)
        canvas.Fill(clipped(TextLines(l + 3 * w, r - 3 * w, t + fold + 1.5, b - 3.2, 3.0, 1.3), clipInner),
                    Rgb(style.Lines));
    canvas.Fill(clipped(FoldShape(t, r, fold), clipOuter), Rgb(style.Fold));
}

// A page cut along a slanting line, its two pieces pulled `apart` units from each other.
void DrawCutPage(TLayer& canvas, double l, double t, double r, double b, const TPageStyle& style, double apart) {
    const double midY = (t + b) / 2;
    const TPoint a{l, midY + 2.5};
    const TPoint c{r, midY - 2.5};
    const double w = style.EdgeWidth;
    const TPoint aInner{a.X, a.Y - w}, cInner{c.X, c.Y - w};
    const TPoint aBelow{a.X, a.Y + w}, cBelow{c.X, c.Y + w};
    DrawPagePiece(canvas, l, t, r, b, style, HalfPlane(a, c, true), HalfPlane(aInner, cInner, true), -apart * 0.25,
                  -apart / 2);
    DrawPagePiece(canvas, l, t, r, b, style, HalfPlane(a, c, false), HalfPlane(aBelow, cBelow, false), apart * 0.25,
                  apart / 2);
}

// A dashed line from a to b.
TShape DashedLine(TPoint a, TPoint b, double width, double dash, double gap) {
    const double length = std::hypot(b.X - a.X, b.Y - a.Y);
    const double ux = (b.X - a.X) / length;
    const double uy = (b.Y - a.Y) / length;
    std::vector<TShape> dashes;
    for (double s = 0; s < length; s += dash + gap) {
        const double e = std::min(length, s + dash);
        dashes.push_back(Line({a.X + ux * s, a.Y + uy * s}, {a.X + ux * e, a.Y + uy * e}, width));
    }
    return Union(std::move(dashes));
}

// A round badge with a gradient, for the small glyphs.
void DrawBadge(TLayer& canvas, double cx, double cy, double r, unsigned light, unsigned dark, double ring) {
    if (ring > 0)
        canvas.Fill(Circle(cx, cy, r + ring), Rgb(Paper));
    canvas.Fill(Circle(cx, cy, r), Vertical(cy - r, light, cy + r, dark));
}

TShape PlusGlyph(double cx, double cy, double half, double width) {
    return Union({Line({cx - half, cy}, {cx + half, cy}, width), Line({cx, cy - half}, {cx, cy + half}, width)});
}

TacPixmap AppIcon(int size) {
    TLayer canvas = Canvas(size, 32);
    const bool small = size < 32;
    // Small sizes use the whole square, so the edge falls on whole pixels.
    const double inset = small ? 0 : 1;
    canvas.Fill(RoundRect(inset, inset, 32 - inset, 32 - inset, 7),
                LinearGradient({4, 1}, Rgb(BlueLight), {28, 31}, Rgb(BlueDark)));
    TPageStyle paper;
    paper.Edge = Paper;
    paper.Fold = BlueMist;
    paper.Lines = BluePale;
    paper.EdgeWidth = 1.0;
    paper.ShowLines = size >= 32;
    const double apart = small ? 3.2 : 3.6;
    // A soft shadow under the pieces lifts them off the background.
    const TShape page = PageShape(8, 5, 24, 28, 5.1, 1.2);
    canvas.Fill(Offset(Intersection(page, HalfPlane({8, 19}, {24, 14}, true)), -apart * 0.25 + 0.7, -apart / 2 + 0.9),
                Rgb(Shadow, 0.25));
    canvas.Fill(Offset(Intersection(page, HalfPlane({8, 19}, {24, 14}, false)), apart * 0.25 + 0.7, apart / 2 + 0.9),
                Rgb(Shadow, 0.25));
    DrawCutPage(canvas, 8, 5, 24, 28, paper, apart);
    if (small)
        canvas.Fill(Line({3.5, 19.2}, {28.5, 13.8}, 1.6), Rgb(OrangeLight));
    else
        canvas.Fill(DashedLine({3.5, 19.2}, {28.5, 13.8}, 1.5, 2.6, 1.8), Rgb(OrangeLight));
    return canvas.ToPixmap(TFaintPixels::Clear);
}

TacPixmap IconOpenFile(int size) {
    TLayer canvas = Canvas(size, 16);
    TPageStyle style;
    style.EdgeWidth = 1.0;
    DrawPagePiece(canvas, 2, 0, 14, 16, style, std::nullopt, std::nullopt, 0, 0);
    return canvas.ToPixmap(TFaintPixels::Clear);
}

TacPixmap IconFolder(int size) {
    TLayer canvas = Canvas(size, 16);
    const TShape back = Intersection(Polygon({{0.5, 2}, {6, 2}, {7.6, 3.8}, {15.5, 3.8}, {15.5, 14}, {0.5, 14}}),
                                     RoundRect(0.5, 2, 15.5, 14, 1.3));
    canvas.Fill(back, Rgb(Amber));
    canvas.Fill(RoundRect(1.8, 4.9, 14.2, 8, 0.5), Rgb(Paper));
    const TShape front =
        Intersection(Polygon({{1.8, 6.6}, {15.9, 6.6}, {14.8, 14}, {0.5, 14}}), RoundRect(0.5, 6.6, 15.9, 14, 1.0));
    canvas.Fill(front, Vertical(6.6, AmberLight, 14, Amber));
    return canvas.ToPixmap(TFaintPixels::Clear);
}

TacPixmap IconStart(int size) {
    TLayer canvas = Canvas(size, 16);
    DrawBadge(canvas, 8, 8, 7.3, GreenLight, Green, 0);
    canvas.Fill(Polygon({{6.1, 4.6}, {11.6, 8}, {6.1, 11.4}}), Rgb(Paper));
    return canvas.ToPixmap(TFaintPixels::Clear);
}

TacPixmap IconHelp(int size) {
    TLayer canvas = Canvas(size, 16);
    DrawBadge(canvas, 8, 8, 7.3, BlueLight, BlueDark, 0);
    const TShape question = Union({Arc(8, 6.2, 1.35, 3.05, 180, 215), Line({9.7, 7.4}, {8.05, 9.0}, 1.7),
                                   Line({8.05, 9.0}, {8.05, 9.9}, 1.7), Circle(8.05, 12.3, 1.05)});
    canvas.Fill(question, Rgb(Paper));
    return canvas.ToPixmap(TFaintPixels::Clear);
}

TacPixmap TabSplit(int size) {
    TLayer canvas = Canvas(size, 32);
    DrawCutPage(canvas, 7, 3, 25, 29, TPageStyle{}, 4.0);
    canvas.Fill(DashedLine({2.5, 18.8}, {29.5, 13.2}, 1.6, 2.8, 1.9), Rgb(Orange));
    return canvas.ToPixmap(TFaintPixels::Clear);
}

TacPixmap TabJoin(int size) {
    TLayer canvas = Canvas(size, 32);
    DrawCutPage(canvas, 7, 3, 25, 29, TPageStyle{}, 0.0);
    canvas.Fill(Line({4.5, 18.5}, {27.5, 13.5}, 1.7), Rgb(Green));
    return canvas.ToPixmap(TFaintPixels::Clear);
}

// Open scissors with the pivot at (px, py), blades pointing right, `scale` times the base size.
void DrawScissors(TLayer& canvas, double px, double py, double scale) {
    auto at = [&](double dx, double dy) { return TPoint{px + dx * scale, py + dy * scale}; };
    auto ring = [&](double dx, double dy) {
        const TPoint c = at(dx, dy);
        return Difference(Circle(c.X, c.Y, 2.9 * scale), Circle(c.X, c.Y, 1.5 * scale));
    };
    canvas.Fill(Polygon({at(-0.9, -1.2), at(6.5, -6.2), at(0.9, 0.8)}), Rgb(0x64748B));
    canvas.Fill(Polygon({at(-0.9, 0.6), at(6.3, 3.2), at(0.9, -0.9)}), Rgb(0x94A3B8));
    canvas.Fill(ring(-2.6, 5.8), Rgb(Orange));
    canvas.Fill(ring(2.4, 7.4), Rgb(Orange));
    const TPoint left = at(-1.6, 3.4), right = at(1.8, 4.8);
    canvas.Fill(Line(left, {px, py}, 1.8 * scale), Rgb(Orange));
    canvas.Fill(Line(right, {px, py}, 1.8 * scale), Rgb(Orange));
    canvas.Fill(Circle(px, py, 0.9 * scale), Rgb(0x334155));
}

TacPixmap PictureSplitTop(int size) {
    TLayer canvas = Canvas(size, 32);
    DrawCutPage(canvas, 2, 3, 20, 29, TPageStyle{}, 4.0);
    canvas.Fill(DashedLine({0.5, 18.4}, {23, 13.6}, 1.5, 2.6, 1.8), Rgb(Orange));
    DrawScissors(canvas, 23.2, 13.4, 1.2);
    return canvas.ToPixmap(TFaintPixels::Clear);
}

TacPixmap PictureSplitFile(int size) {
    TLayer canvas = Canvas(size, 32);
    const TShape back =
        Intersection(Polygon({{1, 5}, {11, 5}, {14, 8}, {31, 8}, {31, 28}, {1, 28}}), RoundRect(1, 5, 31, 28, 2.2));
    canvas.Fill(back, Rgb(Amber));
    TPageStyle style;
    DrawPagePiece(canvas, 7, 2, 25, 24, style, std::nullopt, std::nullopt, 0, 0);
    const TShape front =
        Intersection(Polygon({{3.5, 13}, {31.8, 13}, {29.8, 28}, {1, 28}}), RoundRect(1, 13, 31.8, 28, 1.8));
    canvas.Fill(Offset(front, 0.4, 0.6), Rgb(Shadow, 0.15));
    canvas.Fill(front, Vertical(13, AmberLight, 28, Amber));
    return canvas.ToPixmap(TFaintPixels::Clear);
}

TacPixmap PictureSplitSize(int size) {
    TLayer canvas = Canvas(size, 32);
    const double cx = 16, cy = 16;
    const TShape disc = Difference(Circle(cx, cy, 14.5), Circle(cx, cy, 2.6));
    canvas.Fill(Offset(disc, 0.5, 0.8), Rgb(Shadow, 0.18));
    canvas.Fill(disc, LinearGradient({4, 4}, Rgb(0xF1F5F9), {28, 28}, Rgb(0xA8B4C4)));
    // Rainbow sheen of the data side.
    canvas.Fill(Arc(cx, cy, 6.5, 13.0, 200, 50), Rgb(0x93C5FD, 0.55));
    canvas.Fill(Arc(cx, cy, 6.5, 13.0, 250, 30), Rgb(0xC4B5FD, 0.45));
    canvas.Fill(Arc(cx, cy, 6.5, 13.0, 20, 50), Rgb(0xFDE68A, 0.55));
    canvas.Fill(Arc(cx, cy, 6.5, 13.0, 70, 30), Rgb(0xFBCFE8, 0.5));
    canvas.Fill(Difference(Circle(cx, cy, 5.2), Circle(cx, cy, 2.6)), Rgb(0xE2E8F0));
    canvas.Fill(Difference(Circle(cx, cy, 14.5), Circle(cx, cy, 13.6)), Rgb(0x94A3B8));
    canvas.Fill(Difference(Circle(cx, cy, 3.5), Circle(cx, cy, 2.6)), Rgb(0x94A3B8));
    return canvas.ToPixmap(TFaintPixels::Clear);
}

TacPixmap PictureJoinTop(int size) {
    TLayer canvas = Canvas(size, 32);
    DrawCutPage(canvas, 4, 3, 22, 29, TPageStyle{}, 0.0);
    canvas.Fill(Line({2.0, 18.3}, {24.0, 13.7}, 1.6), Rgb(Green));
    DrawBadge(canvas, 24.5, 24.5, 6.3, GreenLight, Green, 1.2);
    canvas.Fill(PlusGlyph(24.5, 24.5, 3.2, 2.0), Rgb(Paper));
    return canvas.ToPixmap(TFaintPixels::Clear);
}

TacPixmap PictureJoinFile(int size) {
    TLayer canvas = Canvas(size, 32);
    TPageStyle back;
    back.Edge = BlueLight;
    back.ShowLines = false;
    DrawPagePiece(canvas, 12, 1, 28, 23, back, std::nullopt, std::nullopt, 0, 0);
    DrawPagePiece(canvas, 8, 4.5, 24, 26.5, back, std::nullopt, std::nullopt, 0, 0);
    DrawPagePiece(canvas, 4, 8, 20, 30, TPageStyle{}, std::nullopt, std::nullopt, 0, 0);
    return canvas.ToPixmap(TFaintPixels::Clear);
}

} // namespace

TacPixmap DrawAppIcon(int size) {
    return AppIcon(size);
}

const std::vector<int>& AppIconSizes() {
    static const std::vector<int> sizes{16, 24, 32, 48, 256};
    return sizes;
}

const std::vector<TPicture>& Pictures() {
    static const std::vector<TPicture> pictures{
        {IconOpenFilePng, 16, &IconOpenFile},
        {IconFolderPng, 16, &IconFolder},
        {IconStartPng, 16, &IconStart},
        {IconHelpPng, 16, &IconHelp},
        {TabSplitPng, 32, &TabSplit},
        {TabJoinPng, 32, &TabJoin},
        {PictureSplitTopPng, 32, &PictureSplitTop},
        {PictureSplitFilePng, 32, &PictureSplitFile},
        {PictureSplitSizePng, 32, &PictureSplitSize},
        {PictureJoinTopPng, 32, &PictureJoinTop},
        {PictureJoinFilePng, 32, &PictureJoinFile},
    };
    return pictures;
}

} // namespace sj::art

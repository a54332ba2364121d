#include "skin/paint/sTextPaint.h"

#include "skin/paint/sAlphaPaint.h"

#include <cmath>

namespace sj {

namespace {

constexpr int cKernelCentre = 100; // the kernel has 2 * 100 + 1 taps before the cut
constexpr double cDroppedTails = 1.0 / 510;

// The float taps never sum to exactly 1, so a uniform area came out a hair below its
// value and truncation turned 255 into 254 everywhere, tinting the whole glow rectangle.
// This tolerance, far above the float error and far below one level, keeps it uniform.
constexpr double cTruncationTolerance = 1.0 / 1024;

std::uint8_t TruncateLevel(double v) {
    return ToByte(static_cast<int>(v + cTruncationTolerance));
}

// One pass over `count` values read and written `step` apart from `first`: each value
// becomes the kernel's weighted sum around it, the edge values repeating.
void ConvolveLine(std::uint8_t* first, int count, std::ptrdiff_t step, const std::vector<float>& taps,
                  std::vector<std::uint8_t>& line) {
    line.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        line[static_cast<std::size_t>(i)] = first[i * step];
    const int j = static_cast<int>(taps.size() / 2);
    for (int p = 0; p < count; ++p) {
        double sum = 0;
        for (int q = -j; q <= j; ++q) {
            const int from = std::clamp(p - q, 0, count - 1);
            sum += static_cast<double>(taps[static_cast<std::size_t>(q + j)]) * line[static_cast<std::size_t>(from)];
        }
        first[p * step] = TruncateLevel(sum);
    }
}

} // namespace

std::vector<float> GaussianKernel(double sigma) {
    if (!(sigma > 0))
        return {};
    std::vector<float> full(2 * cKernelCentre + 1);
    double sum = 0;
    for (int i = 0; i < static_cast<int>(full.size()); ++i) {
        const double d = (i - cKernelCentre) / sigma;
        full[static_cast<std::size_t>(i)] = static_cast<float>(std::exp(-d * d / 2));
        sum += full[static_cast<std::size_t>(i)];
    }
    for (float& k : full)
        k = static_cast<float>(k / sum);

    // Drop tail pairs from the outside in until they carry 1/510 of the weight; the pair
    // that reaches it goes too.
    int j = cKernelCentre;
    double dropped = 0;
    while (dropped < cDroppedTails && j > 1) {
        dropped += 2.0 * full[static_cast<std::size_t>(cKernelCentre + j)];
        --j;
    }
    std::vector<float> taps(full.begin() + (cKernelCentre - j), full.begin() + (cKernelCentre + j + 1));
    double kept = 0;
    for (float k : taps)
        kept += k;
    for (float& k : taps)
        k = static_cast<float>(k / kept);
    return taps;
}

void GaussianBlur(TacGrayImage& image, double sigma) {
    if (image.Empty())
        return;
    const std::vector<float> taps = GaussianKernel(sigma);
    if (taps.empty())
        return;
    std::vector<std::uint8_t> line;
    for (int y = 0; y < image.Height(); ++y)
        ConvolveLine(image.Row(y), image.Width(), 1, taps, line);
    for (int x = 0; x < image.Width(); ++x)
        ConvolveLine(image.Row(0) + x, image.Height(), image.Width(), taps, line);
}

void BlurImageSize(TacRect rect, int radius, int& width, int& height) {
    const int margin = radius + 4;
    width = rect.Width() + 2 * margin;
    height = rect.Height() + 2 * margin;
}

namespace {

// Where the text and its contours go in the glow image: the text rectangle sits one
// margin in, each contour one pixel off it.
std::vector<TacRect> GlowTextPlaces(TacRect rect, int margin, unsigned contours) {
    const TacRect text{margin, margin, margin + rect.Width(), margin + rect.Height()};
    struct TContour {
        unsigned Bit;
        int Dx, Dy;
    };
    static constexpr TContour cContours[] = {{tcLeft, -1, 0}, {tcTop, 0, -1}, {tcRight, 1, 0}, {tcBottom, 0, 1}};
    std::vector<TacRect> places;
    for (const TContour& c : cContours)
        if ((contours & c.Bit) != 0)
            places.push_back({text.Left + c.Dx, text.Top + c.Dy, text.Right + c.Dx, text.Bottom + c.Dy});
    places.push_back(text);
    return places;
}

} // namespace

void DrawBlurredText(TacPixelsView target, TacRect rect, TacGrayImage& blurImage, TColor color, std::uint8_t radius,
                     unsigned contours, const TacGlowTextRenderer& render) {
    int width = 0, height = 0;
    BlurImageSize(rect, radius, width, height);
    if (width <= 0 || height <= 0)
        return;
    if (blurImage.Width() != width || blurImage.Height() != height) {
        blurImage.SetSize(width, height, 255);
        if (render)
            render(blurImage, GlowTextPlaces(rect, radius + 4, contours));
        GaussianBlur(blurImage, radius);
    }
    CompositeBlurredText(target, rect, blurImage, color, radius);
}

void CompositeBlurredText(TacPixelsView target, TacRect rect, const TacGrayImage& blurImage, TColor color,
                          std::uint8_t radius) {
    if (!HasPixels(target) || blurImage.Empty())
        return;
    const int margin = radius + 4;
    const int originX = rect.Left + 1 - margin, originY = rect.Top + 1 - margin;
    const TPixel32 c = ColorToPixelOrder(color);
    const int x0 = std::max(0, -originX), x1 = std::min(blurImage.Width(), target.Width - originX);
    const int y0 = std::max(0, -originY), y1 = std::min(blurImage.Height(), target.Height - originY);
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* ink = blurImage.Row(y);
        TPixel32* row = target.Row(originY + y);
        for (int x = x0; x < x1; ++x) {
            const int v = ink[x];
            if (v == 255)
                continue;
            TPixel32& t = row[originX + x];
            const auto alpha = ToByte(AlphaOver(PixelA(t), 255 - v));
            t = MapChannels(c, t, alpha, [v](int cc, int tc) { return Lerp255Trunc(cc, tc, v); });
        }
    }
}

void CompositeTextLayer(TacPixelsView target, TacRect rect, TacPixelsView scratch, TColor color) {
    if (!HasPixels(target) || !HasPixels(scratch))
        return;
    TacCopyArea area{
        rect.Left, rect.Top, 0, 0, std::min(rect.Width(), scratch.Width), std::min(rect.Height(), scratch.Height)};
    area.ClipTo(target, scratch);
    const TPixel32 c = ColorToPixelOrder(color);
    // The scratch channel is the share of the target that shows through.
    auto channel = [](int cc, int tc, int sc) { return ToByte(Lerp256(cc, tc, sc)); };
    area.ForEachPair(target, scratch, [&](TPixel32& t, TPixel32 ink, int, int) {
        if (ink == 0x00FFFFFFu || ink == 0xFFFFFFFFu)
            return;
        t = MakePixel(channel(PixelR(c), PixelR(t), PixelR(ink)), channel(PixelG(c), PixelG(t), PixelG(ink)),
                      channel(PixelB(c), PixelB(t), PixelB(ink)), 255);
    });
}

std::string TruncateText(const std::string& text, int maxWidth, const TacTextMeasure& measure) {
    std::string result = maxWidth > 0 ? text : std::string();
    if (result.empty() || !measure || measure(result) <= maxWidth)
        return result;
    while (!result.empty() && measure(result + "...") > maxWidth)
        result.pop_back();
    if (!result.empty())
        result += "...";
    return result;
}

} // namespace sj

#include "GalleryPicture.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace sj::tools {
namespace {

constexpr std::string_view kInternalSuffix = " (internal)";
constexpr TPixel32 kAlphaMask = 0xFF000000;

bool IsPlainFileNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
}

// num / den rounded half up; den > 0 and num >= 0.
std::uint32_t RoundedQuotient(std::uint64_t num, std::uint64_t den) {
    return static_cast<std::uint32_t>((2 * num + den) / (2 * den));
}

std::uint8_t Unpremultiplied(std::uint8_t colour, std::uint8_t alpha) {
    const std::uint32_t value = RoundedQuotient(std::uint64_t{colour} * 255, alpha);
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(value, 255));
}

void MakeOpaque(TacPixelsView pixels) {
    for (int y = 0; y < pixels.Height; ++y) {
        TPixel32* row = pixels.Row(y);
        for (int x = 0; x < pixels.Width; ++x)
            row[x] |= kAlphaMask;
    }
}

// The client area comes from GDI painting too, so its alpha bytes mean nothing.
void PlaceOpaque(TacPixelsView target, const TacPixmap& source, int left, int top) {
    const int firstX = std::max(0, -left), lastX = std::min(source.Width(), target.Width - left);
    const int firstY = std::max(0, -top), lastY = std::min(source.Height(), target.Height - top);
    for (int y = firstY; y < lastY; ++y) {
        const TPixel32* from = source.Row(y);
        TPixel32* to = target.Row(top + y) + left;
        for (int x = firstX; x < lastX; ++x)
            to[x] = from[x] | kAlphaMask;
    }
}

void ClearOutsideRegion(TacPixelsView pixels, const std::vector<TacRect>& visible) {
    const auto index = [&pixels](int x, int y) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(pixels.Width) + static_cast<std::size_t>(x);
    };
    std::vector<bool> inside(index(0, pixels.Height));
    for (const TacRect& rect : visible) {
        const TacRect clipped = ClipRect(rect, pixels);
        for (int y = clipped.Top; y < clipped.Bottom; ++y)
            for (int x = clipped.Left; x < clipped.Right; ++x)
                inside[index(x, y)] = true;
    }
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x)
            if (!inside[index(x, y)])
                pixels.At(x, y) = 0;
}

// Sums of one block: alpha, and each colour weighted by its alpha.
struct TBlockSums {
    std::uint64_t Alpha = 0, Red = 0, Green = 0, Blue = 0, Count = 0;

    void Add(TPixel32 p) {
        const std::uint64_t a = PixelA(p);
        Alpha += a;
        Red += a * PixelR(p);
        Green += a * PixelG(p);
        Blue += a * PixelB(p);
        ++Count;
    }

    TPixel32 Mean() const {
        if (Alpha == 0)
            return 0;
        auto colour = [this](std::uint64_t weighted) {
            return static_cast<std::uint8_t>(RoundedQuotient(weighted, Alpha));
        };
        return MakePixel(colour(Red), colour(Green), colour(Blue),
                         static_cast<std::uint8_t>(RoundedQuotient(Alpha, Count)));
    }
};

} // namespace

std::string GalleryFileStem(const std::string& skinName) {
    std::string_view name = skinName;
    if (name.size() > kInternalSuffix.size() && name.ends_with(kInternalSuffix))
        name.remove_suffix(kInternalSuffix.size());
    std::string stem;
    for (char c : name)
        stem += IsPlainFileNameChar(c) ? c : '_';
    // A stem of dots alone would name the folder itself or its parent.
    if (stem.find_first_not_of('.') == std::string::npos)
        stem = "skin" + stem;
    return stem;
}

bool IsUniform(const TacPixmap& image) {
    const std::vector<TPixel32>& pixels = image.Data();
    return std::all_of(pixels.begin(), pixels.end(), [first = pixels.empty() ? 0 : pixels.front()](TPixel32 p) {
        return ((p ^ first) & ~kAlphaMask) == 0;
    });
}

void UnpremultiplyAlpha(TacPixelsView pixels) {
    for (int y = 0; y < pixels.Height; ++y) {
        TPixel32* row = pixels.Row(y);
        for (int x = 0; x < pixels.Width; ++x) {
            const TPixel32 p = row[x];
            const std::uint8_t a = PixelA(p);
            if (a == 255)
                continue;
            row[x] = a == 0 ? 0
                            : MakePixel(Unpremultiplied(PixelR(p), a), Unpremultiplied(PixelG(p), a),
                                        Unpremultiplied(PixelB(p), a), a);
        }
    }
}

TacPixmap ComposeWindowPicture(const TWindowPaint& paint) {
    TacPixmap picture = paint.Cache;
    TacPixelsView view = picture.View();
    if (paint.CacheHasAlpha)
        UnpremultiplyAlpha(view);
    else
        MakeOpaque(view);
    PlaceOpaque(view, paint.Client, paint.ClientX, paint.ClientY);
    // The region clips the whole window, client area included.
    if (!paint.CacheHasAlpha && !paint.VisibleRects.empty())
        ClearOutsideRegion(view, paint.VisibleRects);
    return picture;
}

TacPixmap ShrinkImage(const TacPixmap& image, int factor) {
    factor = std::max(factor, 1);
    const int width = (image.Width() + factor - 1) / factor;
    const int height = (image.Height() + factor - 1) / factor;
    TacPixmap result(width, height);
    for (int ty = 0; ty < height; ++ty) {
        for (int tx = 0; tx < width; ++tx) {
            TBlockSums sums;
            const int bottom = std::min(image.Height(), (ty + 1) * factor);
            const int right = std::min(image.Width(), (tx + 1) * factor);
            for (int y = ty * factor; y < bottom; ++y)
                for (int x = tx * factor; x < right; ++x)
                    sums.Add(image.At(x, y));
            result.At(tx, ty) = sums.Mean();
        }
    }
    return result;
}

} // namespace sj::tools

#include "skin/paint/acResample.h"

#include "platform/Exception.h"
#include "skin/paint/acBlit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace sj {

namespace {

struct TacContribution {
    int Index;           // source position, already inside the source
    std::int32_t Weight; // 16.16
};
using TacWeightTable = std::vector<std::vector<TacContribution>>;

double FilterSupport(TacResampleFilter filter) {
    return filter == TacResampleFilter::Mitchell ? 2.0 : 1.0;
}

double FilterWeight(TacResampleFilter filter, double x) {
    switch (filter) {
    case TacResampleFilter::Triangle:
        return x < 1.0 ? 1.0 - x : 0.0;
    case TacResampleFilter::Hermite:
        return x < 1.0 ? (2.0 * x - 3.0) * x * x + 1.0 : 0.0;
    case TacResampleFilter::Mitchell:
        if (x < 1.0) {
            return (7.0 / 6.0) * x * x * x - 2.0 * x * x + 8.0 / 9.0;
        }
        if (x < 2.0) {
            return -(7.0 / 18.0) * x * x * x + 2.0 * x * x - (10.0 / 3.0) * x + 16.0 / 9.0;
        }
        return 0.0;
    }
    return 0.0;
}

// Positions outside the source are mirrored back in. A heavy shrink widens the support
// beyond one source length, where a single mirror still lands outside: clamp after it.
int MirroredIndex(int j, int size) {
    if (j < 0) {
        j = -j;
    } else if (j >= size) {
        j = 2 * size - 1 - j;
    }
    return std::clamp(j, 0, size - 1);
}

TacWeightTable BuildWeights(int sourceSize, int targetSize, TacResampleFilter filter) {
    const double ratio = static_cast<double>(targetSize) / sourceSize;
    const double scale = ratio < 1.0 ? ratio : 1.0;
    const double support = FilterSupport(filter) / scale;
    TacWeightTable table(static_cast<std::size_t>(targetSize));
    for (int i = 0; i < targetSize; ++i) {
        const double centre = static_cast<double>(i) * sourceSize / targetSize;
        const int first = static_cast<int>(std::floor(centre - support));
        const int last = static_cast<int>(std::ceil(centre + support));
        for (int j = first; j <= last; ++j) {
            const double w = FilterWeight(filter, std::fabs(centre - j) * scale) * scale;
            const auto fixed = static_cast<std::int32_t>(std::lround(w * 65536.0));
            if (fixed != 0) {
                table[static_cast<std::size_t>(i)].push_back({MirroredIndex(j, sourceSize), fixed});
            }
        }
    }
    return table;
}

std::uint8_t ClampedChannel(std::int64_t weightedSum) {
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(weightedSum / 65536, 0, 255));
}

// One output pixel from the contributions of a row or a column; `at` reads the source
// pixel at a contribution's index.
template <class PixelAt> TPixel32 FilteredPixel(const std::vector<TacContribution>& contributions, PixelAt at) {
    std::int64_t sum[4] = {0, 0, 0, 0};
    for (const TacContribution& c : contributions) {
        const TPixel32 p = at(c.Index);
        for (int channel = 0; channel < 4; ++channel) {
            sum[channel] += std::int64_t{c.Weight} * ((p >> (8 * channel)) & 0xFF);
        }
    }
    TPixel32 result = 0;
    for (int channel = 0; channel < 4; ++channel) {
        result |= TPixel32{ClampedChannel(sum[channel])} << (8 * channel);
    }
    return result;
}

} // namespace

void ResampleBitmap(TacPixelsView source, TacPixmap& target, int newWidth, int newHeight, TacResampleFilter filter) {
    if (source.Bits == nullptr || source.Width < 2 || source.Height < 2) {
        throw Exception("Source bitmap is too small");
    }
    if (newWidth <= 0 || newHeight <= 0) {
        return;
    }
    target.SetSize(newWidth, newHeight);
    if (newWidth == source.Width && newHeight == source.Height) {
        CopyPixels(target.View(), 0, 0, source, TacRect{0, 0, source.Width, source.Height});
        return;
    }

    const TacWeightTable columns = BuildWeights(source.Width, newWidth, filter);
    TacPixmap between(newWidth, source.Height);
    for (int y = 0; y < source.Height; ++y) {
        const TPixel32* in = source.Row(y);
        TPixel32* out = between.Row(y);
        for (int x = 0; x < newWidth; ++x) {
            out[x] = FilteredPixel(columns[static_cast<std::size_t>(x)], [in](int index) { return in[index]; });
        }
    }

    const TacWeightTable rows = BuildWeights(source.Height, newHeight, filter);
    for (int y = 0; y < newHeight; ++y) {
        TPixel32* out = target.Row(y);
        const auto& contributions = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < newWidth; ++x) {
            out[x] = FilteredPixel(contributions, [&between, x](int index) { return between.At(x, index); });
        }
    }
}

} // namespace sj

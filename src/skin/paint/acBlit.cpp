#include "skin/paint/acBlit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace sj {

void CopyPixels(TacPixelsView target, int x, int y, TacPixelsView source, TacRect sourceRect) {
    if (target.Empty() || source.Empty()) return;
    // Clip the source rectangle to the source, then the landing place to the target.
    int sl = std::max(sourceRect.Left, 0), st = std::max(sourceRect.Top, 0);
    int sr = std::min(sourceRect.Right, source.Width), sb = std::min(sourceRect.Bottom, source.Height);
    x += sl - sourceRect.Left;
    y += st - sourceRect.Top;
    if (x < 0) { sl -= x; x = 0; }
    if (y < 0) { st -= y; y = 0; }
    sr = std::min(sr, sl + (target.Width - x));
    sb = std::min(sb, st + (target.Height - y));
    if (sr <= sl || sb <= st) return;
    const std::size_t bytes = static_cast<std::size_t>(sr - sl) * sizeof(TPixel32);
    for (int row = st; row < sb; ++row)
        std::memmove(target.Row(y + row - st) + x, source.Row(row) + sl, bytes);
}

void StretchPixels(TacPixelsView target, TacRect targetRect, TacPixelsView source, TacRect sourceRect) {
    if (target.Empty() || source.Empty() || targetRect.Empty() || sourceRect.Empty()) return;
    const std::int64_t tw = targetRect.Width(), th = targetRect.Height();
    const std::int64_t sw = sourceRect.Width(), sh = sourceRect.Height();
    const int x0 = std::max(targetRect.Left, 0), x1 = std::min(targetRect.Right, target.Width);
    const int y0 = std::max(targetRect.Top, 0), y1 = std::min(targetRect.Bottom, target.Height);
    for (int y = y0; y < y1; ++y) {
        const std::int64_t sy = sourceRect.Top + ((2 * (y - targetRect.Top) + 1) * sh) / (2 * th);
        if (sy < 0 || sy >= source.Height) continue;
        const TPixel32* in = source.Row(static_cast<int>(sy));
        TPixel32* out = target.Row(y);
        for (int x = x0; x < x1; ++x) {
            const std::int64_t sx = sourceRect.Left + ((2 * (x - targetRect.Left) + 1) * sw) / (2 * tw);
            if (sx >= 0 && sx < source.Width) out[x] = in[sx];
        }
    }
}

} // namespace sj

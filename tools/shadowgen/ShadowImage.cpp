#include "tools/shadowgen/ShadowImage.h"

#include <algorithm>
#include <cmath>

namespace sj::tools {

namespace {

// Distance from a pixel centre to a rounded rectangle (0 inside).
double DistanceOutside(double x, double y, double left, double top, double right, double bottom, double radius) {
    double cx = std::clamp(x, left + radius, right - radius);
    double cy = std::clamp(y, top + radius, bottom - radius);
    double d = std::hypot(x - cx, y - cy) - radius;
    return std::max(0.0, d);
}

} // namespace

TacPixmap DrawShadowImage(bool active) {
    const double peak = active ? 120.0 : 64.0;
    // Light falls from above: the shadow sits a little lower than the form.
    const double drop = active ? 1.5 : 1.0;
    const double reach = ShadowMargin;
    const double inner = ShadowMargin;
    const double outer = ShadowImageSize - ShadowMargin;

    TacPixmap image(ShadowImageSize, ShadowImageSize);
    for (int y = 0; y < ShadowImageSize; ++y) {
        for (int x = 0; x < ShadowImageSize; ++x) {
            const bool underForm = x >= ShadowMargin && x < ShadowImageSize - ShadowMargin && y >= ShadowMargin &&
                                   y < ShadowImageSize - ShadowMargin;
            if (underForm)
                continue; // the form paints this part itself
            double d = DistanceOutside(x + 0.5, y + 0.5 - drop, inner, inner, outer, outer, 3.0);
            double falloff = std::max(0.0, 1.0 - d / reach);
            auto alpha = static_cast<std::uint8_t>(std::lround(peak * falloff * falloff));
            image.At(x, y) = MakePixel(0, 0, 0, alpha);
        }
    }
    return image;
}

} // namespace sj::tools

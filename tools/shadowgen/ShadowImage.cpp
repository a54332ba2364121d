#include "tools/shadowgen/ShadowImage.h"

#include "tools/common/Raster.h"

#include <algorithm>

namespace sj::tools {

TacPixmap DrawShadowImage(bool active) {
    const double peak = active ? 120.0 : 64.0; // of 255
    // Light falls from above: the shadow sits a little lower than the form.
    const double drop = active ? 1.5 : 1.0;
    const double reach = ShadowMargin;
    const double inner = ShadowMargin;
    const double outer = ShadowImageSize - ShadowMargin;
    const TBox form{inner, inner, outer, outer};

    TLayer layer(ShadowImageSize, ShadowImageSize);
    // The form paints its own place: the shadow fills only the margins around it.
    const TShape margins = Difference(Rect(0, 0, ShadowImageSize, ShadowImageSize), Rect(inner, inner, outer, outer));
    layer.Fill(margins, [&](double x, double y) {
        const double falloff = std::max(0.0, 1.0 - DistanceOutside(form, 3.0, {x, y - drop}) / reach);
        return TColor{0, 0, 0, peak * falloff * falloff / 255.0};
    });
    return layer.ToPixmap();
}

} // namespace sj::tools

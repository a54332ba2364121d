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
    // The shadow goes on under the form: the form covers it, except where its frame has
    // rounded corners, which show the shadow through.
    const TShape whole = Rect(0, 0, ShadowImageSize, ShadowImageSize);
    layer.Fill(whole, [&](double x, double y) {
        const double falloff = std::max(0.0, 1.0 - DistanceOutside(form, 3.0, {x, y - drop}) / reach);
        return TColor{0, 0, 0, peak * falloff * falloff / 255.0};
    });
    return layer.ToPixmap();
}

} // namespace sj::tools

#include "Palette.h"

#include <algorithm>
#include <cmath>

namespace sj::skingen {
namespace {

double Linear(float channel) {
    // Work on the 8-bit value that will be written, not on the float.
    const double c = std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f) / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double WorstContrast(std::initializer_list<TColorF> faces, const TColorF& text) {
    double worst = 100;
    for (const TColorF& f : faces)
        worst = std::min(worst, ContrastRatio(f, text));
    return worst;
}

} // namespace

TColorF Rgb(unsigned rgb) {
    return tools::Rgb<float>(rgb);
}

unsigned RefOf(const TColorF& c) {
    return ColorRefOf(c);
}

double RelativeLuminance(const TColorF& c) {
    return 0.2126 * Linear(c.R) + 0.7152 * Linear(c.G) + 0.0722 * Linear(c.B);
}

double ContrastRatio(const TColorF& a, const TColorF& b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TColorF Lighten(const TColorF& c, float amount) {
    return Mix(c, {1, 1, 1, c.A}, amount);
}
TColorF Darken(const TColorF& c, float amount) {
    return Mix(c, {0, 0, 0, c.A}, amount);
}
bool IsDark(const TColorF& c) {
    return RelativeLuminance(c) < 0.25;
}

TColorF ReadableOn(std::initializer_list<TColorF> faces, TColorF preferred, double minRatio) {
    preferred.A = 1;
    if (WorstContrast(faces, preferred) >= minRatio)
        return preferred;
    const TColorF black{0, 0, 0, 1}, white{1, 1, 1, 1};
    const TColorF target = WorstContrast(faces, black) >= WorstContrast(faces, white) ? black : white;
    for (int step = 1; step <= 20; ++step) {
        const TColorF c = Mix(preferred, target, static_cast<float>(step) / 20.0f);
        if (WorstContrast(faces, c) >= minRatio)
            return c;
    }
    return target;
}

} // namespace sj::skingen

namespace sj::skingen {

TColorF FaceFor(TColorF face, const TColorF& text, double minRatio) {
    const bool lightText = RelativeLuminance(text) > RelativeLuminance(face);
    for (int step = 0; step <= 20 && ContrastRatio(face, text) < minRatio; ++step)
        face = lightText ? Darken(face, 0.08f) : Lighten(face, 0.08f);
    return face;
}

} // namespace sj::skingen

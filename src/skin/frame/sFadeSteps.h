// The arithmetic of the form animations and control fades, kept apart from the windows
// that show them: step counts, the picture's rectangle and alpha in every frame, the
// weights of a control fade and where a reversed fade goes on from. Portable.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Pixmap.h"

namespace sj {

// Fixed step intervals in milliseconds.
inline constexpr int FormAnimationInterval = 12; // show, hide, skin change, move
inline constexpr int MinimizeInterval = 15;
inline constexpr int ControlFadeInterval = 10;

// Steps of a show, hide or skin-change animation of `time` milliseconds.
constexpr int FormAnimationSteps(int time) {
    return time > 0 ? time / FormAnimationInterval : 0;
}
// Steps of a minimise or restore animation: at least one.
constexpr int MinimizeSteps(int time) {
    const int steps = time > 0 ? time / MinimizeInterval : 0;
    return steps > 1 ? steps : 1;
}

// One frame: where the picture is stretched inside the animation window, and the
// window's constant alpha.
struct TacAnimFrame {
    TacRect Rect;
    std::uint8_t Alpha = 0;
};

// The steps + 1 frames of a show animation of a width x height picture: alpha rises by
// finalAlpha / steps up to finalAlpha; with zoom the picture starts inset by an eighth
// of its size on every side (75 %) and grows to the full size in the last frame. No
// frames without steps.
std::vector<TacAnimFrame> ShowAnimationFrames(int width, int height, int steps, int finalAlpha, bool zoom);

// The frames of a hide animation: alpha falls from startAlpha by startAlpha / steps a
// frame down to 0; with zoom each side moves inwards by an eighth of the size over the
// whole run.
std::vector<TacAnimFrame> HideAnimationFrames(int width, int height, int steps, int startAlpha, bool zoom);

// The alphas of a skin-change cross-fade: the new look rises as in the show animation,
// the old one stays opaque until the new passes two thirds and fades out in the last
// third: min(255, max(0, 3 * (final - new))).
struct TacCrossFadeAlpha {
    std::uint8_t New = 0;
    std::uint8_t Old = 0;
};
std::vector<TacCrossFadeAlpha> SkinChangeAlphas(int steps, int finalAlpha);

// How much of the old look a control-fade frame keeps (out of 255): 255 - level * 255
// div iterations; 0 at the last level, where the frame is the new look.
int FadeOldWeight(int level, int iterations);

// The level a fade restarts from, given the last level it showed (0: none yet). A fade
// turned back to the look it came from goes on from where it stood, seen from the other
// end: its next frame lies one step back from the one shown, and it takes as many steps
// back as it took forward. Any other start begins at level 1.
int RestartFadeLevel(int reachedLevel, int iterations, bool reversed);

// The largest size of a width x height picture that fits into maxWidth x maxHeight with
// its proportions kept (at least 1 x 1; a picture that fits keeps its size): the
// taskbar's thumbnail of a window.
struct TacSizeI {
    int Width = 0;
    int Height = 0;
    bool operator==(const TacSizeI&) const = default;
};
TacSizeI FitInside(int width, int height, int maxWidth, int maxHeight);

} // namespace sj

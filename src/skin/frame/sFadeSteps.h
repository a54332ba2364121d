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

// ---- minimise and restore ----------------------------------------------------------

// Where a taskbar lies, as seen from its rectangle on the screen: 1 left, 2 top,
// 4 right, 8 bottom (0 without a taskbar).
enum TacTaskbarEdge : int { tbeNone = 0, tbeLeft = 1, tbeTop = 2, tbeRight = 4, tbeBottom = 8 };
TacTaskbarEdge TaskbarEdge(const TacRect& taskbar);

// Where a minimised window flies: the rectangle of its taskbar button when one is
// known; else a point on the taskbar's inner edge level with the window's centre; the
// point (0, 0) without a taskbar.
TacRect MinimizeTarget(const TacRect* taskbar, const TacRect& window, const TacRect* button);

// One frame of a minimise: the window's picture in `Screen` (shrinking towards the
// target), shown at `Alpha`. The animation window keeps the size of the source: its
// picture is stretched into `InWork`, centred in it, and the window lies at `Window`
// so that the picture covers `Screen`.
struct TacMinimizeFrame {
    TacRect Screen;
    TacRect InWork;
    TacRect Window;
    std::uint8_t Alpha = 0;
};

// The arithmetic of a minimise from `source` to `target` in `steps` steps: each step
// moves the centre by (target centre - source centre) / steps and takes
// (source size - target size) / (2 * steps) off each half-size; the alpha falls from
// startAlpha by startAlpha / max(1, steps - 1) a step. Step 0 is the window itself.
class TacMinimizePath {
public:
    TacMinimizePath(const TacRect& source, const TacRect& target, int steps, int startAlpha);

    int Steps() const { return steps_; }
    int StartAlpha() const { return startAlpha_; }
    const TacRect& Source() const { return source_; }
    const TacRect& Target() const { return target_; }
    // The frame of step k (0 .. steps).
    TacMinimizeFrame Frame(int step) const;
    // The last step with a visible picture (alpha above 0 once rounded): the minimise
    // shows steps 1 .. LastVisibleStep and ends at the step after; a restore starts
    // from there and shows them backwards, then the window itself.
    int LastVisibleStep() const;

private:
    TacRect source_, target_;
    int steps_;
    int startAlpha_;
    double moveX_, moveY_, shrinkX_, shrinkY_, alphaStep_;
};

// ---- blend on moving -----------------------------------------------------------------

// The alpha a dragged form goes down by in every 12 ms tick: at once below 13 ms,
// else spread over the blend time.
int BlendOnMovingStep(int time, int targetAlpha);
// The alphas a drag shows tick by tick, from startAlpha down to targetAlpha.
std::vector<int> BlendOnMovingAlphas(int startAlpha, int targetAlpha, int time);

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

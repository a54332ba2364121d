#include "skin/frame/sFadeSteps.h"

#include <algorithm>
#include <cmath>

namespace sj {

namespace {

int Rounded(double value) {
    return static_cast<int>(std::lround(value));
}

std::uint8_t AlphaByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(Rounded(value), 0, 255));
}

// The picture inset by `inset` eighths-of-the-size units (1.0 = an eighth on each side).
TacRect Inset(int width, int height, double share) {
    const double dx = width / 8.0 * share, dy = height / 8.0 * share;
    return TacRect{Rounded(dx), Rounded(dy), width - Rounded(dx), height - Rounded(dy)};
}

} // namespace

std::vector<TacAnimFrame> ShowAnimationFrames(int width, int height, int steps, int finalAlpha, bool zoom) {
    std::vector<TacAnimFrame> frames;
    if (steps <= 0 || width <= 0 || height <= 0)
        return frames;
    const double step = static_cast<double>(finalAlpha) / steps;
    double alpha = 0;
    for (int i = 0; i <= steps; ++i) {
        alpha = std::min<double>(finalAlpha, alpha + step);
        TacAnimFrame frame;
        frame.Alpha = AlphaByte(alpha);
        frame.Rect = zoom ? Inset(width, height, 1.0 - static_cast<double>(i) / steps) : TacRect{0, 0, width, height};
        frames.push_back(frame);
    }
    return frames;
}

std::vector<TacAnimFrame> HideAnimationFrames(int width, int height, int steps, int startAlpha, bool zoom) {
    std::vector<TacAnimFrame> frames;
    if (steps <= 0 || width <= 0 || height <= 0)
        return frames;
    const double step = static_cast<double>(startAlpha) / steps;
    double alpha = startAlpha;
    for (int i = 0; i < steps; ++i) {
        alpha = std::max(0.0, alpha - step);
        TacAnimFrame frame;
        frame.Alpha = AlphaByte(alpha);
        frame.Rect = zoom ? Inset(width, height, static_cast<double>(i) / steps) : TacRect{0, 0, width, height};
        frames.push_back(frame);
    }
    return frames;
}

std::vector<TacCrossFadeAlpha> SkinChangeAlphas(int steps, int finalAlpha) {
    std::vector<TacCrossFadeAlpha> alphas;
    for (const TacAnimFrame& frame : ShowAnimationFrames(1, 1, steps, finalAlpha, false)) {
        TacCrossFadeAlpha pair;
        pair.New = frame.Alpha;
        pair.Old = static_cast<std::uint8_t>(std::clamp(3 * (finalAlpha - frame.Alpha), 0, 255));
        alphas.push_back(pair);
    }
    return alphas;
}

int FadeOldWeight(int level, int iterations) {
    if (iterations <= 0)
        return 0;
    return std::clamp(255 - level * 255 / iterations, 0, 255);
}

int RestartFadeLevel(int reachedLevel, int iterations, bool reversed) {
    if (!reversed || iterations <= 1)
        return 1;
    return std::clamp(iterations - reachedLevel + 1, 1, iterations);
}

TacSizeI FitInside(int width, int height, int maxWidth, int maxHeight) {
    if (width <= 0 || height <= 0 || maxWidth <= 0 || maxHeight <= 0)
        return TacSizeI{};
    if (width <= maxWidth && height <= maxHeight)
        return TacSizeI{width, height};
    // Scaled by the tighter of the two limits, in 64 bits: sizes multiply.
    const bool widthBinds = static_cast<long long>(maxWidth) * height <= static_cast<long long>(maxHeight) * width;
    if (widthBinds)
        return TacSizeI{maxWidth, std::max(1, static_cast<int>(static_cast<long long>(height) * maxWidth / width))};
    return TacSizeI{std::max(1, static_cast<int>(static_cast<long long>(width) * maxHeight / height)), maxHeight};
}

} // namespace sj

namespace sj {

// ---- minimise and restore ----------------------------------------------------------

TacTaskbarEdge TaskbarEdge(const TacRect& taskbar) {
    if (taskbar.Empty())
        return tbeNone;
    // A bar that starts at the screen's left edge (some lie a few pixels beyond it) is a
    // left, top or bottom bar; any other one lies at the right, whether or not it
    // starts at the top.
    const bool atLeft = taskbar.Left >= -4 && taskbar.Left <= 0;
    if (!atLeft)
        return tbeRight;
    if (taskbar.Top > 0)
        return tbeBottom;
    return taskbar.Height() > taskbar.Width() ? tbeLeft : tbeTop;
}

TacRect MinimizeTarget(const TacRect* taskbar, const TacRect& window, const TacRect* button) {
    if (button != nullptr && !button->Empty())
        return *button;
    if (taskbar == nullptr)
        return TacRect{};
    const int centreX = window.Left + window.Width() / 2;
    const int centreY = window.Top + window.Height() / 2;
    switch (TaskbarEdge(*taskbar)) {
    case tbeLeft:
        return TacRect{taskbar->Right, centreY, taskbar->Right, centreY};
    case tbeTop:
        return TacRect{centreX, taskbar->Bottom, centreX, taskbar->Bottom};
    case tbeRight:
        return TacRect{taskbar->Left, centreY, taskbar->Left, centreY};
    case tbeBottom:
        return TacRect{centreX, taskbar->Top, centreX, taskbar->Top};
    default:
        return TacRect{};
    }
}

TacMinimizePath::TacMinimizePath(const TacRect& source, const TacRect& target, int steps, int startAlpha)
    : source_(source), target_(target), steps_(std::max(1, steps)), startAlpha_(std::clamp(startAlpha, 0, 255)) {
    const double sourceX = (source.Left + source.Right) / 2.0, sourceY = (source.Top + source.Bottom) / 2.0;
    const double targetX = (target.Left + target.Right) / 2.0, targetY = (target.Top + target.Bottom) / 2.0;
    moveX_ = (targetX - sourceX) / steps_;
    moveY_ = (targetY - sourceY) / steps_;
    shrinkX_ = (source.Width() - target.Width()) / (2.0 * steps_);
    shrinkY_ = (source.Height() - target.Height()) / (2.0 * steps_);
    alphaStep_ = static_cast<double>(startAlpha_) / std::max(1, steps_ - 1);
}

TacMinimizeFrame TacMinimizePath::Frame(int step) const {
    const int k = std::clamp(step, 0, steps_);
    TacMinimizeFrame frame;
    frame.Screen = TacRect{Rounded(source_.Left + k * (moveX_ + shrinkX_)), Rounded(source_.Top + k * (moveY_ + shrinkY_)),
                           Rounded(source_.Right + k * (moveX_ - shrinkX_)),
                           Rounded(source_.Bottom + k * (moveY_ - shrinkY_))};
    frame.Alpha = AlphaByte(std::max(0.0, startAlpha_ - k * alphaStep_));
    // The picture, centred in a window of the source's size over the frame's centre.
    const int width = source_.Width(), height = source_.Height();
    const int shownWidth = std::max(0, frame.Screen.Width()), shownHeight = std::max(0, frame.Screen.Height());
    frame.InWork.Left = (width - shownWidth) / 2;
    frame.InWork.Top = (height - shownHeight) / 2;
    frame.InWork.Right = frame.InWork.Left + shownWidth;
    frame.InWork.Bottom = frame.InWork.Top + shownHeight;
    frame.Window = TacRect{frame.Screen.Left - frame.InWork.Left, frame.Screen.Top - frame.InWork.Top, 0, 0};
    frame.Window.Right = frame.Window.Left + width;
    frame.Window.Bottom = frame.Window.Top + height;
    return frame;
}

int TacMinimizePath::LastVisibleStep() const {
    int last = 0;
    while (last < steps_ && Frame(last + 1).Alpha > 0)
        ++last;
    return last;
}

// ---- blend on moving -----------------------------------------------------------------

int BlendOnMovingStep(int time, int targetAlpha) {
    const int span = std::max(0, 255 - std::clamp(targetAlpha, 0, 255));
    if (time < 13)
        return span;
    return std::max(1, Rounded(span / (time / static_cast<double>(FormAnimationInterval))));
}

std::vector<int> BlendOnMovingAlphas(int startAlpha, int targetAlpha, int time) {
    std::vector<int> alphas;
    const int step = BlendOnMovingStep(time, targetAlpha);
    int alpha = std::clamp(startAlpha, 0, 255);
    const int target = std::clamp(targetAlpha, 0, 255);
    alphas.push_back(alpha);
    while (alpha > target && step > 0) {
        alpha = std::max(target, alpha - step);
        alphas.push_back(alpha);
    }
    return alphas;
}

} // namespace sj

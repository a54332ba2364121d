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

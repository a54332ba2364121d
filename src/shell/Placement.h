// A form's placement as the settings file keeps it (outer bounds in screen pixels and
// the maximized flag), and the rules that keep a restored window on the screen.
#pragma once

#include <optional>

namespace sj {

struct TFormPlacement {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Maximized = false;

    bool operator==(const TFormPlacement&) const = default;
};

// The values found in the settings file; a missing or malformed value is empty.
struct TStoredPlacement {
    std::optional<int> Left;
    std::optional<int> Top;
    std::optional<int> Width;
    std::optional<int> Height;
    std::optional<int> Maximized;
};

// The stored values over the current placement: missing values keep the current
// ones, a width or height below 1 counts as malformed, and any maximized value other
// than 0 means maximized (missing means not maximized).
TFormPlacement MergeStoredPlacement(const TStoredPlacement& stored, const TFormPlacement& current);

// Shrinks the bounds to the screen, then moves them so that they lie on it: the size
// first, then the right and bottom edges, then the left and top edges. A screen
// without a size leaves the placement as it is.
TFormPlacement ClampToScreen(TFormPlacement placement, int screenWidth, int screenHeight);

// The placement moved to the centre of the screen (integer halves, rounded toward zero).
TFormPlacement CenterOnScreen(TFormPlacement placement, int screenWidth, int screenHeight);

} // namespace sj

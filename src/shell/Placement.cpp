#include "shell/Placement.h"

#include <cstdint>

namespace sj {

TFormPlacement MergeStoredPlacement(const TStoredPlacement& stored, const TFormPlacement& current) {
    TFormPlacement result = current;
    result.Maximized = stored.Maximized.value_or(0) != 0;
    result.Left = stored.Left.value_or(current.Left);
    result.Top = stored.Top.value_or(current.Top);
    // A window of no size cannot be seen or grabbed again: treat it like a broken value.
    if (stored.Width && *stored.Width > 0)
        result.Width = *stored.Width;
    if (stored.Height && *stored.Height > 0)
        result.Height = *stored.Height;
    return result;
}

TFormPlacement ClampToScreen(TFormPlacement placement, int screenWidth, int screenHeight) {
    if (screenWidth <= 0 || screenHeight <= 0)
        return placement;
    if (placement.Width > screenWidth)
        placement.Width = screenWidth;
    if (placement.Height > screenHeight)
        placement.Height = screenHeight;
    // Edges are summed in 64 bits: stored coordinates may be anything that fits an int.
    if (std::int64_t{placement.Left} + placement.Width > screenWidth)
        placement.Left = screenWidth - placement.Width;
    if (std::int64_t{placement.Top} + placement.Height > screenHeight)
        placement.Top = screenHeight - placement.Height;
    if (placement.Left < 0)
        placement.Left = 0;
    if (placement.Top < 0)
        placement.Top = 0;
    return placement;
}

TFormPlacement CenterOnScreen(TFormPlacement placement, int screenWidth, int screenHeight) {
    placement.Left = static_cast<int>((std::int64_t{screenWidth} - placement.Width) / 2);
    placement.Top = static_cast<int>((std::int64_t{screenHeight} - placement.Height) / 2);
    return placement;
}

} // namespace sj

// Review sheets of a skin: the master image and every image item's frames,
// enlarged, on a checkerboard so that clear and half-clear pixels show.
#pragma once

#include "platform/Pixmap.h"

#include <string>
#include <vector>

namespace sj::skingen {

struct TPreviewEntry {
    std::string Label;
    TacPixmap Image; // straight alpha, all frames side by side
    int Frames = 1;
    // Nine-part items: border widths and whether the centre is painted.
    int Left = -1, Top = -1, Right = -1, Bottom = -1;
    bool Centre = false;
};

// `window` is the window colour (0xAARRGGBB) of the small mock window drawn at the top.
TacPixmap MakePreviewSheet(const TacPixmap& master, const std::vector<TPreviewEntry>& items, TPixel32 window);

} // namespace sj::skingen

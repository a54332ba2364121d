// Review sheets of a skin: the master image and every image item's frames,
// enlarged, on a checkerboard so that clear and half-clear pixels show.
#pragma once

#include "skin/paint/acPixmap.h"

#include <string>
#include <vector>

namespace sj::skingen {

struct TPreviewEntry {
    std::string Label;
    TacPixmap Image; // straight alpha, all frames side by side
    int Frames = 1;
};

TacPixmap MakePreviewSheet(const TacPixmap& master, const std::vector<TPreviewEntry>& items);

} // namespace sj::skingen

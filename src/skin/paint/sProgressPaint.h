// The progress bar of long jobs, painted from the skin: the filled share from the
// skin's "PROGRESSH" section ("GAUGE" in skins without it) over a track. The track is
// the skin's "GAUGE" when that is a look of its own, else the "EDIT" field, so the
// share always stands out. Portable; nothing here throws.
#pragma once

#include "platform/Pixmap.h"
#include "skin/paint/sBackdrop.h"

#include <cstdint>

namespace sj {

class TsSkinModel;

// The sections a bar is painted from (-1: none) and the text colours on each
// (0x00BBGGRR; meaningful with a section only).
struct TsProgressLook {
    std::int32_t Track = -1;
    std::int32_t Fill = -1;
    std::uint32_t TrackText = 0;
    std::uint32_t FillText = 0;
};

TsProgressLook FindProgressLook(const TsSkinModel* model);

// The pixels of the bar's filled share: `done` of `total`, rounded down, within width.
int ProgressFillWidth(int width, std::int64_t done, std::int64_t total);

// Paints the bar over the whole target: the track over the backdrop (whose origin
// lies at (offsetX, offsetY), see PaintSectionFace), then fillWidth pixels of the
// filled share from the left over the track. Sections the skin lacks are left out.
void PaintProgressBar(TacPixelsView target, const TsSkinModel* model, const TsProgressLook& look, int fillWidth,
                      const TBackdropRef& backdrop, int offsetX, int offsetY);

} // namespace sj

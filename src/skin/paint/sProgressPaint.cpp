#include "skin/paint/sProgressPaint.h"

#include "skin/data/sSkinModel.h"
#include "skin/paint/sSectionPaint.h"

#include <algorithm>
#include <string>

namespace sj {

namespace {

const TsGeneralData* SectionAt(const TsSkinModel* model, std::int32_t index) {
    return model != nullptr && model->HasSection(index) ? &model->GeneralData[static_cast<std::size_t>(index)]
                                                        : nullptr;
}

std::uint32_t TextColorOf(const TsSkinModel* model, std::int32_t index) {
    const TsGeneralData* section = SectionAt(model, index);
    return section != nullptr ? PaintColorToRGB(static_cast<std::uint32_t>(section->StateProps[0].FontColor)) & 0x00FFFFFF
                              : 0;
}

} // namespace

TsProgressLook FindProgressLook(const TsSkinModel* model) {
    TsProgressLook look;
    if (model == nullptr)
        return look;
    const std::int32_t progress = model->SectionIndexOf("PROGRESSH");
    const std::int32_t gauge = model->SectionIndexOf("GAUGE");
    look.Fill = progress >= 0 ? progress : gauge;
    // A gauge that only borrows the progress section's look would hide the share.
    const TsGeneralData* gaugeSection = SectionAt(model, gauge);
    const bool gaugeOwnLook = gaugeSection != nullptr && gauge != look.Fill && gaugeSection->ParentClass != "PROGRESSH";
    look.Track = gaugeOwnLook ? gauge : model->SectionIndexOf("EDIT");
    look.TrackText = TextColorOf(model, look.Track);
    look.FillText = TextColorOf(model, look.Fill);
    return look;
}

int ProgressFillWidth(int width, std::int64_t done, std::int64_t total) {
    if (width <= 0 || total <= 0 || done <= 0)
        return 0;
    if (done >= total)
        return width;
    // done < total here, so the product stays below width * total.
    return static_cast<int>(static_cast<long double>(done) * width / static_cast<long double>(total));
}

void PaintProgressBar(TacPixelsView target, const TsSkinModel* model, const TsProgressLook& look, int fillWidth,
                      const TBackdropRef& backdrop, int offsetX, int offsetY) {
    if (!HasPixels(target))
        return;
    const TacRect whole{0, 0, target.Width, target.Height};
    if (const TsGeneralData* track = SectionAt(model, look.Track))
        PaintSectionFace(target, whole, model, look.Track, track->SectionName, 0, true, backdrop, offsetX, offsetY);
    const TsGeneralData* fill = SectionAt(model, look.Fill);
    fillWidth = std::clamp(fillWidth, 0, target.Width);
    if (fill == nullptr || fillWidth == 0)
        return;
    // The share lies over the track: its clear corners show the track painted above.
    TacPixmap under(target.Width, target.Height);
    for (int y = 0; y < target.Height; ++y)
        std::copy_n(target.Row(y), target.Width, under.Row(y));
    PaintSectionFace(target, {0, 0, fillWidth, target.Height}, model, look.Fill, fill->SectionName, 0, true,
                     BitmapBackdrop(under.View(), 0, 0), 0, 0);
}

} // namespace sj

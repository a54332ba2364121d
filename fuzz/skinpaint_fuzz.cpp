// libFuzzer target: a skin package loaded as an internal skin, then every section painted
// in every state (up to eight) at a fuzzed size, and one fuzzed section through the
// skinpaint tool's face painter. Input: section index, width - 1, height - 1, state,
// backdrop red, green, blue, then the package bytes.
#include "SkinPaintCli.h"

#include "platform/Exception.h"
#include "skin/data/sSkinCore.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sSectionPaint.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

constexpr std::size_t HeaderSize = 7;
constexpr int MaxStatesPainted = 8;

void PaintEverySection(const sj::TsSkinModel& model, int width, int height, std::uint32_t backdrop) {
    sj::TacPixmap face;
    for (std::size_t i = 0; i < model.GeneralData.size(); ++i) {
        const sj::TsGeneralData& section = model.GeneralData[i];
        const int states = std::clamp(section.States, 1, MaxStatesPainted);
        for (int state = 0; state < states; ++state) {
            face.SetSize(width, height, 0xFF808080u);
            sj::PaintSectionFace(face.View(), {0, 0, width, height}, &model, static_cast<std::int32_t>(i),
                                 section.SectionName, state, true, sj::ColorBackdrop(backdrop), 0, 0);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < HeaderSize) {
        return 0;
    }
    const int sectionIndex = data[0];
    const int width = data[1] + 1;
    const int height = data[2] + 1;
    const int state = data[3];
    const std::uint32_t backdrop = data[4] | (std::uint32_t{data[5]} << 8) | (std::uint32_t{data[6]} << 16);

    sj::TsSkinCore core;
    core.SetSkinDirectory("/nonexistent-skinpaint-fuzz-folder");
    sj::TsStoredSkin skin;
    skin.Name = "fuzz";
    skin.DataStream.assign(data + HeaderSize, data + size);
    core.InternalSkins.Add(std::move(skin));
    try {
        core.LoadSkin("fuzz");
    } catch (const std::exception&) {
        return 0;
    }
    const sj::TsSkinModel& model = core.Model();
    PaintEverySection(model, width, height, backdrop);
    if (!model.GeneralData.empty()) {
        const auto& section = model.GeneralData[static_cast<std::size_t>(sectionIndex) % model.GeneralData.size()];
        (void)sj::tools::skinpaint::PaintFace(model, section.SectionName, {width, height}, state, backdrop);
    }
    return 0;
}

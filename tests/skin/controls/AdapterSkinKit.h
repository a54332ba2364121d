// What the adapter tests build their small skins from: plain one-state sections and
// colours as the painters store them.
#pragma once

#include <cstdint>
#include <string>

#include "skin/data/sSkinModel.h"
#include "skin/paint/sGraphUtils.h"

namespace sj::test {

inline TPixel32 Rgb(std::int32_t color) {
    return ColorToPixelOrder(static_cast<TColor>(color)) & 0x00FFFFFF;
}

inline TsGeneralData PlainSection(const std::string& name, std::int32_t color, std::int32_t fontColor = 0) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = 1;
    for (TsGenState& st : s.StateProps) {
        st.Color = color;
        st.FontColor = fontColor;
    }
    return s;
}

} // namespace sj::test

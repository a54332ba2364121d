// A manager whose skin holds one masked borders item cut from the master image, for the
// Windows-side painter tests: a frame of 6 x 6 named pixels (red x, green y) at (1, 2)
// of the master image, a uniform mask value below it, and clear pixels where a test puts
// them. Expected pixels are then computed from the mask blend rule.
#pragma once

#include <cstdint>
#include <string>

#include "skin/data/sMaskData.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinManager.h"
#include "skin/data/sSkinModel.h"

namespace sj::testkit {

inline constexpr int kFrame = 6;
inline constexpr int kOriginX = 1;
inline constexpr int kOriginY = 2;

inline TPixel32 FramePixel(int fx, int fy) {
    return MakePixel(static_cast<std::uint8_t>(0x10 + fx), static_cast<std::uint8_t>(0x20 + fy), 0x77, 0xFF);
}

// Per channel (S * (256 - M) + M * D) >> 8, the mask blend rule; alpha from `alpha`.
inline TPixel32 MaskBlend(TPixel32 s, TPixel32 d, int m, std::uint8_t alpha) {
    TPixel32 out = static_cast<TPixel32>(alpha) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const int sc = static_cast<int>((s >> shift) & 0xFF);
        const int dc = static_cast<int>((d >> shift) & 0xFF);
        out |= static_cast<TPixel32>((sc * (256 - m) + m * dc) >> 8) << shift;
    }
    return out;
}

inline TsGeneralData Section(const std::string& name, std::int32_t color, std::int32_t transparency = 0,
                             std::int32_t states = 1) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = states;
    for (TsGenState& st : s.StateProps) {
        st.Color = color;
        st.Transparency = transparency;
    }
    return s;
}

// Adds the borders item (index 0) to the manager's skin; widths 2 on every side.
inline TsMaskData& AddBordersItem(TsSkinManager& manager, std::uint8_t maskValue) {
    TsSkinModel& model = manager.Core().Model();
    model.MasterBitmap.SetSize(kFrame + 3, 2 * kFrame + 4, clKeyPixel);
    for (int y = 0; y < kFrame; ++y)
        for (int x = 0; x < kFrame; ++x) {
            model.MasterBitmap.At(kOriginX + x, kOriginY + y) = FramePixel(x, y);
            model.MasterBitmap.At(kOriginX + x, kOriginY + kFrame + y) = MakePixel(maskValue, maskValue, maskValue);
        }
    TsMaskData item;
    item.Section = "FRAMED";
    item.Key = "BORDERSMASK";
    item.SourceRect = {kOriginX, kOriginY, kOriginX + kFrame, kOriginY + 2 * kFrame};
    item.FrameCount = 1;
    item.MaskKind = 1;
    item.BorderLeft = item.BorderTop = item.BorderRight = item.BorderBottom = 2;
    item.CornerKind = 1;
    model.Masks.push_back(item);
    model.AdoptItems();
    return model.Masks.back();
}

inline void ClearFramePixel(TsSkinManager& manager, int fx, int fy) {
    manager.Core().Model().MasterBitmap.At(kOriginX + fx, kOriginY + fy) = clKeyPixel;
}

// The frame pixel that lands on target (x, y) of a w x h rectangle when the 2-pixel
// borders are tiled with the 2-pixel centre pieces.
inline TPixel32 RingSource(int x, int y, int w, int h) {
    auto axis = [](int t, int length) {
        if (t < 2)
            return t;
        if (t >= length - 2)
            return kFrame - (length - t);
        return 2 + (t - 2) % (kFrame - 4);
    };
    return FramePixel(axis(x, w), axis(y, h));
}

} // namespace sj::testkit

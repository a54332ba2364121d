// The in-memory model of one loaded skin: skin-wide values, one section record per
// description section, the image items, JPEG patterns, the master image, the cached
// standard indexes and the extended-border images, with the lookups painters use.
// Every index field holds -1 for "none"; names compare case-sensitively.
#pragma once

#include "skin/data/acGradData.h"
#include "skin/data/sMaskData.h"
#include "platform/Pixmap.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sj {

// Skin-wide scalar values of [GLOBALINFO] after `Version`, `Author` and `Description`.
// clang-format off
#define SJ_SKIN_DATA_INT_FIELDS(X) \
    X(std::uint32_t, Shadow1Color) \
    X(std::int16_t, Shadow1Offset) \
    X(std::int16_t, Shadow1Blur) \
    X(std::int16_t, Shadow1Transparency) \
    X(std::int16_t, BorderWidth) \
    X(std::int16_t, TitleHeight) \
    X(std::int16_t, MaxHeight) \
    X(std::int16_t, FormOffset) \
    X(std::int16_t, AlignOffset) \
    X(std::int16_t, CenterOffset) \
    X(std::int16_t, BorderMode) \
    X(std::uint32_t, BorderColor) \
    X(std::int16_t, BISpace) \
    X(std::int16_t, BIVAlign) \
    X(std::int16_t, BIRight) \
    X(std::int16_t, BILeft) \
    X(std::int16_t, BITop) \
    X(std::int16_t, BIKeepHue) \
    X(std::int16_t, BIconCloseGlow) \
    X(std::int16_t, BIconCloseGlowMargin) \
    X(std::int16_t, BIconMaxGlow) \
    X(std::int16_t, BIconMaxGlowMargin) \
    X(std::int16_t, BIconMinGlow) \
    X(std::int16_t, BIconMinGlowMargin)
// clang-format on

struct TsSkinData {
    std::string SkinFolder; // trailing backslash; empty for an internal skin
    bool Ready = false;     // a skin is loaded and announced
    double Version = 0;
    std::string Author;
    std::string Description;
#define SJ_DECLARE_FIELD(type, name) type name = 0;
    SJ_SKIN_DATA_INT_FIELDS(SJ_DECLARE_FIELD)
#undef SJ_DECLARE_FIELD
    bool AeroBlur = false;
    std::uint32_t ExtShadow = 0;

    TsSkinData() {
        ResetValues();
    }
    // Every value back to its default (SkinFolder and Ready are left alone).
    void ResetValues();
};

// The values of one visual state of a section.
struct TsGenState {
    std::int32_t Color = 0;
    std::int32_t FontColor = 0;
    std::int32_t TCLeft = -1, TCTop = -1, TCRight = -1, TCBottom = -1;
    std::int32_t GradientPercent = 0;
    std::string GradientData;
    TsGradArray GradientSteps;
    std::int32_t ImagePercent = 0;
    std::int32_t PatternIndex = -1;
    std::int32_t GCol = 0;
    std::uint8_t GSize = 0;
    std::int32_t Transparency = 0;
};

using TsProps = std::array<TsGenState, 2>;

// One description section.
struct TsGeneralData {
    std::string ParentClass;
    std::string SectionName;
    std::int32_t States = 0;
    TsProps StateProps;
    bool GiveOwnFont = false;
    bool ReservedBoolean = false;
    bool ShowFocus = false;
    std::int32_t Glow = 0;
    std::int32_t GlowMargin = 0;
    std::int32_t BordersMaskIndex = -1;
    std::int32_t ImgTopLeftIndex = -1;
    std::int32_t ImgTopRightIndex = -1;
    std::int32_t ImgBtmLeftIndex = -1;
    std::int32_t ImgBtmRightIndex = -1;
    std::int32_t PatternIndex = -1;
    // Raw key values; painters use StateProps.
    std::int32_t Color = 0;
    std::int32_t Transparency = 0;
    std::int32_t GradientPercent = 0;
    std::string GradientData;
    TsGradArray GradientSteps;
    std::int32_t ImagePercent = 0;
    std::int32_t FontColor = 0;
    std::int32_t TCLeft = -1, TCTop = -1, TCRight = -1, TCBottom = -1;
    std::int32_t HotColor = 0;
    std::int32_t HotTransparency = 0;
    std::int32_t HotGradientPercent = 0;
    std::string HotGradientData;
    TsGradArray HotGradientSteps;
    std::int32_t HotImagePercent = 0;
    std::int32_t HotFontColor = 0;
    std::int32_t HotTCLeft = -1, HotTCTop = -1, HotTCRight = -1, HotTCBottom = -1;
    bool FadingEnabled = false;
    std::int32_t FadingIterations = 0;
    std::int32_t HGCol = 0;
    std::int32_t GCol = 0;
    std::uint8_t HGSize = 0;
    std::uint8_t GSize = 0;

    // The state values a painter uses for `state`: lowered to States - 1, then the
    // normal values for 0 and the hot values above.
    const TsGenState& PropsOfState(int state) const;
};

// Left, top, right, bottom.
using TsMargins = std::array<std::int32_t, 4>;

class TsSkinModel {
public:
    TsSkinData SkinGlobals;
    std::vector<TsGeneralData> GeneralData;
    std::vector<TsMaskData> Masks;
    std::vector<TsPatternData> Patterns;
    TacPixmap MasterBitmap;
    TsStdIndexes StdIndexes;
    TacPixmap ExtBorderActive;
    TacPixmap ExtBorderInactive;
    TsMargins ExtBorderMargins{0, 0, 0, 0};

    TsSkinModel() = default;
    // Items keep pointing at the model that holds them.
    TsSkinModel(TsSkinModel&& other) noexcept;
    TsSkinModel& operator=(TsSkinModel&& other) noexcept;
    TsSkinModel(const TsSkinModel&) = delete;
    TsSkinModel& operator=(const TsSkinModel&) = delete;

    // Empties sections, items, patterns, master image, indexes and border images.
    void Clear();

    std::int32_t SectionIndexOf(const std::string& name) const;
    bool HasSection(std::int32_t index) const;
    std::int32_t ImageIndexOf(std::int32_t sectionIndex, const std::string& section, const std::string& key) const;
    std::int32_t ExactImageIndexOf(const std::string& section, const std::string& key) const;
    std::int32_t TextureIndexOf(std::int32_t sectionIndex, const std::string& section, const std::string& key) const;
    std::int32_t JpegPatternIndexOf(std::int32_t sectionIndex, const std::string& section,
                                    const std::string& key) const;
    bool HasImage(std::int32_t index) const;

    // Border widths with fallbacks: own width, then CommonBorder, then the frame size.
    // BorderLeftOf turns a FrameCount of 0 into 1 first. Unknown indexes give 0.
    std::int32_t BorderLeftOf(std::int32_t index);
    std::int32_t BorderTopOf(std::int32_t index) const;
    std::int32_t BorderRightOf(std::int32_t index) const;
    std::int32_t BorderBottomOf(std::int32_t index) const;

    void AdoptItems(); // points every item's Owner at this model

private:
    template <class Match>
    std::int32_t InheritedIndexOf(std::int32_t sectionIndex, const std::string& section, const std::string& key,
                                  const Match& match) const;
};

} // namespace sj

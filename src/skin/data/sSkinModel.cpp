#include "skin/data/sSkinModel.h"

#include <algorithm>
#include <set>

namespace sj {

namespace {

// Position of the first element that matches, or -1.
template <class T, class Match> std::int32_t IndexOfFirst(const std::vector<T>& items, const Match& match) {
    const auto found = std::find_if(items.begin(), items.end(), match);
    return found == items.end() ? -1 : static_cast<std::int32_t>(found - items.begin());
}

// The border width of item `index`: its own, else its common border, else the whole
// frame; 0 when there is no such item.
std::int32_t BorderWithFallback(const std::vector<TsMaskData>& items, std::int32_t index,
                                std::int16_t TsMaskData::*border, std::int32_t (*frameSize)(const TsMaskData&)) {
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) {
        return 0;
    }
    const TsMaskData& item = items[static_cast<std::size_t>(index)];
    if (item.*border > 0) {
        return item.*border;
    }
    return item.CommonBorder > 0 ? item.CommonBorder : frameSize(item);
}

} // namespace

void TsSkinData::ResetValues() {
    Version = 0;
    Author.clear();
    Description.clear();
#define SJ_RESET_FIELD(type, name) name = 0;
    SJ_SKIN_DATA_INT_FIELDS(SJ_RESET_FIELD)
#undef SJ_RESET_FIELD
    Shadow1Blur = -1;
    BorderWidth = 4;
    TitleHeight = 30;
    MaxHeight = 30;
    AeroBlur = false;
    ExtShadow = 0;
}

const TsGenState& TsGeneralData::PropsOfState(int state) const {
    // min(state, States - 1) > 0, without States - 1: STATES is read unchecked and may
    // be the smallest integer.
    return StateProps[state > 0 && States > 1 ? 1 : 0];
}

TsSkinModel::TsSkinModel(TsSkinModel&& other) noexcept
    : SkinGlobals(std::move(other.SkinGlobals)), GeneralData(std::move(other.GeneralData)),
      Masks(std::move(other.Masks)), Patterns(std::move(other.Patterns)), MasterBitmap(std::move(other.MasterBitmap)),
      StdIndexes(other.StdIndexes), ExtBorderActive(std::move(other.ExtBorderActive)),
      ExtBorderInactive(std::move(other.ExtBorderInactive)), ExtBorderMargins(other.ExtBorderMargins) {
    AdoptItems();
}

TsSkinModel& TsSkinModel::operator=(TsSkinModel&& other) noexcept {
    if (this != &other) {
        SkinGlobals = std::move(other.SkinGlobals);
        GeneralData = std::move(other.GeneralData);
        Masks = std::move(other.Masks);
        Patterns = std::move(other.Patterns);
        MasterBitmap = std::move(other.MasterBitmap);
        StdIndexes = other.StdIndexes;
        ExtBorderActive = std::move(other.ExtBorderActive);
        ExtBorderInactive = std::move(other.ExtBorderInactive);
        ExtBorderMargins = other.ExtBorderMargins;
        AdoptItems();
    }
    return *this;
}

void TsSkinModel::AdoptItems() {
    for (TsMaskData& item : Masks) {
        item.Owner = this;
    }
}

void TsSkinModel::Clear() {
    GeneralData.clear();
    while (!Masks.empty()) {
        Masks.pop_back(); // last to first, as the items were made
    }
    Patterns.clear();
    MasterBitmap = TacPixmap();
    StdIndexes = TsStdIndexes();
    ExtBorderActive = TacPixmap();
    ExtBorderInactive = TacPixmap();
    ExtBorderMargins = {0, 0, 0, 0};
}

std::int32_t TsSkinModel::SectionIndexOf(const std::string& name) const {
    if (name.empty()) {
        return -1;
    }
    return IndexOfFirst(GeneralData, [&](const TsGeneralData& s) { return s.SectionName == name; });
}

bool TsSkinModel::HasSection(std::int32_t index) const {
    return index >= 0 && static_cast<std::size_t>(index) < GeneralData.size();
}

template <class Match>
std::int32_t TsSkinModel::InheritedIndexOf(std::int32_t sectionIndex, const std::string& section,
                                           const std::string& key, const Match& match) const {
    std::set<std::string> visited;
    std::int32_t index = sectionIndex;
    std::string name = section;
    while (index >= 0 && !name.empty()) {
        if (!visited.insert(name).second) {
            return -1; // the chain came back to a section already searched
        }
        const std::int32_t found = match(name, key);
        if (found >= 0) {
            return found;
        }
        if (!HasSection(index)) {
            return -1;
        }
        const std::string& parent = GeneralData[static_cast<std::size_t>(index)].ParentClass;
        if (parent.empty() || parent == name) {
            return -1;
        }
        index = SectionIndexOf(parent);
        name = parent;
    }
    return -1;
}

std::int32_t TsSkinModel::ImageIndexOf(std::int32_t sectionIndex, const std::string& section,
                                       const std::string& key) const {
    return InheritedIndexOf(sectionIndex, section, key,
                            [this](const std::string& s, const std::string& k) { return ExactImageIndexOf(s, k); });
}

std::int32_t TsSkinModel::ExactImageIndexOf(const std::string& section, const std::string& key) const {
    if (section.empty()) {
        return -1;
    }
    return IndexOfFirst(Masks, [&](const TsMaskData& m) { return m.Section == section && m.Key == key; });
}

std::int32_t TsSkinModel::TextureIndexOf(std::int32_t sectionIndex, const std::string& section,
                                         const std::string& key) const {
    if (Masks.empty()) {
        return -1;
    }
    return InheritedIndexOf(sectionIndex, section, key, [this](const std::string& s, const std::string& k) {
        return IndexOfFirst(
            Masks, [&](const TsMaskData& m) { return m.ItemKind == ikTexture && m.Section == s && m.Key == k; });
    });
}

std::int32_t TsSkinModel::JpegPatternIndexOf(std::int32_t sectionIndex, const std::string& section,
                                             const std::string& key) const {
    if (Patterns.empty()) {
        return -1;
    }
    return InheritedIndexOf(sectionIndex, section, key, [this](const std::string& s, const std::string& k) {
        return IndexOfFirst(Patterns, [&](const TsPatternData& p) { return p.Section == s && p.Key == k; });
    });
}

bool TsSkinModel::HasImage(std::int32_t index) const {
    return index >= 0 && static_cast<std::size_t>(index) < Masks.size();
}

std::int32_t TsSkinModel::BorderLeftOf(std::int32_t index) {
    if (HasImage(index)) {
        TsMaskData& item = Masks[static_cast<std::size_t>(index)];
        if (item.BorderLeft <= 0 && item.CommonBorder <= 0 && item.FrameCount == 0) {
            item.FrameCount = 1;
        }
    }
    return BorderWithFallback(Masks, index, &TsMaskData::BorderLeft, FrameWidth);
}

std::int32_t TsSkinModel::BorderTopOf(std::int32_t index) const {
    return BorderWithFallback(Masks, index, &TsMaskData::BorderTop, FrameHeight);
}

std::int32_t TsSkinModel::BorderRightOf(std::int32_t index) const {
    return BorderWithFallback(Masks, index, &TsMaskData::BorderRight, FrameWidth);
}

std::int32_t TsSkinModel::BorderBottomOf(std::int32_t index) const {
    return BorderWithFallback(Masks, index, &TsMaskData::BorderBottom, FrameHeight);
}

} // namespace sj

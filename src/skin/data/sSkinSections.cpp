#include "skin/data/sSkinSections.h"

#include "skin/data/acGradData.h"

#include <set>

namespace sj {

namespace {

const std::string sGlobalInfo = "GLOBALINFO";
const std::string sParentClass = "PARENTCLASS";

// Walks the PARENTCLASS chain from `section`, calling `probe(name)` on each section
// until it answers true; answers whether the value was found in a parent.
template <class Probe>
bool WalkChain(const TacMemIni& ini, const std::string& section, const Probe& probe, bool& found) {
    std::set<std::string> visited{section};
    std::string current = section;
    found = probe(current);
    if (found) {
        return false;
    }
    while (true) {
        const std::string parent = ini.ReadString(current, sParentClass, "?");
        if (parent.empty() || parent == "?" || visited.count(parent) != 0) {
            return false;
        }
        visited.insert(parent);
        current = parent;
        if (probe(current)) {
            found = true;
            return true;
        }
    }
}

std::int16_t Int16(std::int32_t v) {
    return static_cast<std::int16_t>(v);
}

std::int16_t StrictGlobal(const TacMemIni& ini, const std::string& key, std::int32_t def) {
    if (!ini.ValueExists(sGlobalInfo, key)) {
        return Int16(def);
    }
    return Int16(StrictDecimal(ini.ReadString(sGlobalInfo, key, "")));
}

std::int16_t IntGlobal(const TacMemIni& ini, const std::string& key, std::int32_t def) {
    return Int16(ini.ReadInteger(sGlobalInfo, key, def));
}

std::uint32_t ColorGlobal(const TacMemIni& ini, const std::string& key) {
    return static_cast<std::uint32_t>(ini.ReadInteger(sGlobalInfo, key, 0));
}

// Gradient text into steps; text of fewer than 2 characters zeroes the percent.
void SetGradient(const std::string& data, std::int32_t& percent, TsGradArray& steps) {
    if (data.size() < 2) {
        percent = 0;
        steps.clear();
    } else {
        steps = ParseGradientData(data);
    }
}

// The values of the normal (hot = false) or the hot state, from the section's raw keys.
TsGenState StateValues(const TsGeneralData& s, bool hot) {
    TsGenState st;
    st.Color = hot ? s.HotColor : s.Color;
    st.FontColor = hot ? s.HotFontColor : s.FontColor;
    st.TCLeft = hot ? s.HotTCLeft : s.TCLeft;
    st.TCTop = hot ? s.HotTCTop : s.TCTop;
    st.TCRight = hot ? s.HotTCRight : s.TCRight;
    st.TCBottom = hot ? s.HotTCBottom : s.TCBottom;
    st.GradientPercent = hot ? s.HotGradientPercent : s.GradientPercent;
    st.GradientData = hot ? s.HotGradientData : s.GradientData;
    st.GradientSteps = hot ? s.HotGradientSteps : s.GradientSteps;
    st.ImagePercent = hot ? s.HotImagePercent : s.ImagePercent;
    st.GCol = hot ? s.HGCol : s.GCol;
    st.GSize = hot ? s.HGSize : s.GSize;
    st.Transparency = hot ? s.HotTransparency : s.Transparency;
    return st;
}

TsGeneralData ReadSection(const TacMemIni& ini, const std::string& name, const TsSkinHost& host) {
    const auto integer = [&](const char* key, std::int32_t def) {
        return ReadInheritedInteger(ini, name, key, def, host);
    };
    const auto flag = [&](const char* key) { return ReadInheritedFlag(ini, name, key); };

    TsGeneralData s;
    s.SectionName = name;
    s.ParentClass = ini.ReadString(name, sParentClass, "");
    s.Color = ColorToRGB(integer("COLOR", 0xFFFFFF), host);
    s.ReservedBoolean = flag("RESERVEDBOOLEAN");
    s.GiveOwnFont = flag("GIVEOWNFONT");
    s.Glow = integer("GLOW", 0);
    s.GlowMargin = integer("GLOWMARGIN", 0);
    s.FontColor = integer("FONTCOLOR", 0);
    s.TCLeft = integer("TCLEFT", -1);
    s.TCTop = integer("TCTOP", -1);
    s.TCRight = integer("TCRIGHT", -1);
    s.TCBottom = integer("TCBOTTOM", -1);
    s.Transparency = integer("TRANSPARENCY", 0);
    s.GradientPercent = integer("GRADIENTPERCENT", 0);
    s.ImagePercent = integer("IMAGEPERCENT", 0);
    s.GradientData = ReadInheritedString(ini, name, "GRADIENTDATA", " ");
    SetGradient(s.GradientData, s.GradientPercent, s.GradientSteps);
    s.ShowFocus = flag("SHOWFOCUS");
    s.FadingEnabled = flag("FADINGENABLED");
    s.FadingIterations = integer("FADINGITERATIONS", 5);
    s.GCol = ColorToRGB(integer("GCOL", 0xFFFFFF), host);
    s.GSize = static_cast<std::uint8_t>(integer("GSIZE", 0));
    s.StateProps[0] = StateValues(s, false);

    s.States = integer("STATES", 3);
    if (s.States < 2) {
        s.StateProps[1] = s.StateProps[0];
        return s;
    }
    s.HotFontColor = integer("HOTFONTCOLOR", 0);
    s.HotTCLeft = integer("HOTTCLEFT", -1);
    s.HotTCTop = integer("HOTTCTOP", -1);
    s.HotTCRight = integer("HOTTCRIGHT", -1);
    s.HotTCBottom = integer("HOTTCBOTTOM", -1);
    s.HGCol = ColorToRGB(integer("HGCOL", 0xFFFFFF), host);
    s.HGSize = static_cast<std::uint8_t>(integer("HGSIZE", 0));
    s.HotColor = integer("HOTCOLOR", 0xFFFFFF);
    s.HotTransparency = integer("HOTTRANSPARENCY", 0);
    s.HotGradientPercent = integer("HOTGRADIENTPERCENT", 0);
    s.HotGradientData = ReadInheritedString(ini, name, "HOTGRADIENTDATA", "");
    SetGradient(s.HotGradientData, s.HotGradientPercent, s.HotGradientSteps);
    s.HotImagePercent = integer("HOTIMAGEPERCENT", 0);
    s.StateProps[1] = StateValues(s, true);
    return s;
}

// One section of the extra lines, each key falling back to the parent's field.
TsGeneralData ReadCommonSection(const TacCommonSections& lines, const TacCommonSections::TSection& sec,
                                const TsGeneralData* parent) {
    const auto integer = [&](const char* key, std::int32_t TsGeneralData::*field, std::int32_t def) {
        const std::int32_t v = lines.ReadInteger(sec, key, -1);
        if (v != -1) {
            return v;
        }
        return parent ? parent->*field : def;
    };
    // Absent reads 0 for these; only an explicit -1 takes the parent's value.
    const auto zeroInteger = [&](const char* key, std::int32_t parentValue) {
        const std::int32_t v = lines.ReadInteger(sec, key, 0);
        return v == -1 ? (parent ? parentValue : 0) : v;
    };
    const auto flag = [&](const char* key, bool TsGeneralData::*field) {
        const auto v = lines.ValueOf(sec, key);
        return v ? ParseFlag(*v) : (parent ? parent->*field : false);
    };
    const auto text = [&](const char* key, std::string TsGeneralData::*field, const char* def) {
        const auto v = lines.ValueOf(sec, key);
        return v ? *v : (parent ? parent->*field : std::string(def));
    };

    TsGeneralData s;
    s.SectionName = sec.Name;
    s.ParentClass = UpperCase(lines.ValueOf(sec, sParentClass).value_or("-1"));
    s.Color = integer("COLOR", &TsGeneralData::Color, 0xFFFFFF);
    s.HotColor = integer("HOTCOLOR", &TsGeneralData::HotColor, 0xFFFFFF);
    s.GCol = integer("GCOL", &TsGeneralData::GCol, 0xFFFFFF);
    s.HGCol = integer("HGCOL", &TsGeneralData::HGCol, 0xFFFFFF);
    s.FontColor = integer("FONTCOLOR", &TsGeneralData::FontColor, 0);
    s.TCLeft = integer("TCLEFT", &TsGeneralData::TCLeft, -1);
    s.TCTop = integer("TCTOP", &TsGeneralData::TCTop, -1);
    s.TCRight = integer("TCRIGHT", &TsGeneralData::TCRight, -1);
    s.TCBottom = integer("TCBOTTOM", &TsGeneralData::TCBottom, -1);
    s.HotFontColor = integer("HOTFONTCOLOR", &TsGeneralData::HotFontColor, 0);
    s.HotTCLeft = integer("HOTTCLEFT", &TsGeneralData::HotTCLeft, -1);
    s.HotTCTop = integer("HOTTCTOP", &TsGeneralData::HotTCTop, -1);
    s.HotTCRight = integer("HOTTCRIGHT", &TsGeneralData::HotTCRight, -1);
    s.HotTCBottom = integer("HOTTCBOTTOM", &TsGeneralData::HotTCBottom, -1);
    s.Transparency = integer("TRANSPARENCY", &TsGeneralData::Transparency, 0);
    s.HotTransparency = integer("HOTTRANSPARENCY", &TsGeneralData::HotTransparency, 0);
    s.GradientPercent = integer("GRADIENTPERCENT", &TsGeneralData::GradientPercent, 0);
    s.HotGradientPercent = integer("HOTGRADIENTPERCENT", &TsGeneralData::HotGradientPercent, 0);
    s.ImagePercent = integer("IMAGEPERCENT", &TsGeneralData::ImagePercent, 0);
    s.HotImagePercent = integer("HOTIMAGEPERCENT", &TsGeneralData::HotImagePercent, 0);
    s.FadingIterations = integer("FADINGITERATIONS", &TsGeneralData::FadingIterations, 5);
    s.Glow = zeroInteger("GLOW", parent ? parent->Glow : 0);
    s.GlowMargin = zeroInteger("GLOWMARGIN", parent ? parent->GlowMargin : 0);
    s.GSize = static_cast<std::uint8_t>(zeroInteger("GSIZE", parent ? parent->GSize : 0));
    s.HGSize = static_cast<std::uint8_t>(zeroInteger("HGSIZE", parent ? parent->HGSize : 0));
    s.GiveOwnFont = flag("GIVEOWNFONT", &TsGeneralData::GiveOwnFont);
    s.ReservedBoolean = flag("RESERVEDBOOLEAN", &TsGeneralData::ReservedBoolean);
    s.ShowFocus = flag("SHOWFOCUS", &TsGeneralData::ShowFocus);
    s.FadingEnabled = flag("FADINGENABLED", &TsGeneralData::FadingEnabled);
    s.GradientData = text("GRADIENTDATA", &TsGeneralData::GradientData, " ");
    s.HotGradientData = text("HOTGRADIENTDATA", &TsGeneralData::HotGradientData, "");
    if (s.GradientData.size() >= 2) {
        s.GradientSteps = ParseGradientData(s.GradientData);
    }
    if (s.HotGradientData.size() >= 2) {
        s.HotGradientSteps = ParseGradientData(s.HotGradientData);
    }
    // The lines' own STATES is not used: every appended section answers for normal,
    // hot and pressed, which the appended hot values always describe.
    s.States = 3;
    s.StateProps[0] = StateValues(s, false);
    s.StateProps[1] = StateValues(s, true);
    return s;
}

} // namespace

std::int32_t ReadInheritedInteger(const TacMemIni& ini, const std::string& section, const std::string& key,
                                  std::int32_t def, const TsSkinHost& host) {
    std::int32_t value = -1;
    bool found = false;
    const bool inParent = WalkChain(
        ini, section,
        [&](const std::string& s) {
            value = ini.ReadInteger(s, key, -1);
            return value != -1;
        },
        found);
    if (!found) {
        return def;
    }
    return inParent ? ColorToRGB(value, host) : value;
}

std::string ReadInheritedString(const TacMemIni& ini, const std::string& section, const std::string& key,
                                const std::string& def) {
    std::string value;
    bool found = false;
    WalkChain(
        ini, section,
        [&](const std::string& s) {
            value = ini.ReadString(s, key, "?");
            return value != "?";
        },
        found);
    return found ? value : def;
}

bool ReadInheritedFlag(const TacMemIni& ini, const std::string& section, const std::string& key) {
    return ParseFlag(ReadInheritedString(ini, section, key, ""));
}

double ReadSkinVersion(const TacMemIni& ini) {
    return ini.ReadFloat(sGlobalInfo, "VERSION", 0);
}

void ReadSkinGlobals(const TacMemIni& ini, TsSkinData& g, const TsSkinHost& host) {
    g.ResetValues();
    g.Version = ReadSkinVersion(ini);
    g.Author = ini.ReadString(sGlobalInfo, "AUTHOR", "");
    g.Description = ini.ReadString(sGlobalInfo, "DESCRIPTION", "");
    g.BorderWidth = IntGlobal(ini, "BORDERWIDTH", 4);
    g.TitleHeight = IntGlobal(ini, "TITLEHEIGHT", 30);
    if (g.TitleHeight == 0) {
        g.TitleHeight = 30;
    }
    g.MaxHeight = IntGlobal(ini, "MAXHEIGHT", 0);
    if (g.MaxHeight == 0) {
        g.MaxHeight = g.TitleHeight;
    }
    g.FormOffset = IntGlobal(ini, "FORMOFFSET", host.SystemMetric ? host.SystemMetric(SM_CXFRAME_INDEX) : 4);
    g.AlignOffset = IntGlobal(ini, "ALIGNOFFSET", 0);
    g.CenterOffset = IntGlobal(ini, "CENTEROFFSET", 0);
    g.BorderMode = IntGlobal(ini, "BORDERMODE", 0);
    g.Shadow1Color = ColorGlobal(ini, "SHADOW1COLOR");
    g.Shadow1Offset = StrictGlobal(ini, "SHADOW1OFFSET", 0);
    g.Shadow1Blur = StrictGlobal(ini, "SHADOW1BLUR", -1);
    g.Shadow1Transparency = StrictGlobal(ini, "SHADOW1TRANSPARENCY", 0);
    g.BISpace = IntGlobal(ini, "BISPACE", 0);
    g.BIVAlign = IntGlobal(ini, "BIVALIGN", 0);
    g.BIRight = IntGlobal(ini, "BIRIGHT", 0);
    g.BILeft = IntGlobal(ini, "BILEFT", 0);
    g.BITop = IntGlobal(ini, "BITOP", 0);
    g.BorderColor = ColorGlobal(ini, "BORDERCOLOR");
    g.BIKeepHue = IntGlobal(ini, "BIKEEPHUE", 0);
    g.BIconCloseGlow = StrictGlobal(ini, "BICONCLOSEGLOW", 0);
    g.BIconCloseGlowMargin = StrictGlobal(ini, "BICONCLOSEGLOWMARGIN", 0);
    g.BIconMaxGlow = StrictGlobal(ini, "BICONMAXGLOW", 0);
    g.BIconMaxGlowMargin = StrictGlobal(ini, "BICONMAXGLOWMARGIN", 0);
    g.BIconMinGlow = StrictGlobal(ini, "BICONMINGLOW", 0);
    g.BIconMinGlowMargin = StrictGlobal(ini, "BICONMINGLOWMARGIN", 0);
    g.AeroBlur = ini.ReadInteger(sGlobalInfo, "AEROBLUR", 0) != 0;
    g.ExtShadow = ColorGlobal(ini, "EXTSHADOW");
}

void LoadSectionTable(const TacMemIni& ini, TsSkinModel& model, const TsSkinHost& host) {
    model.GeneralData.clear();
    for (const TacIniSection& section : ini.Sections()) {
        model.GeneralData.push_back(ReadSection(ini, section.Name, host));
    }
}

void AppendCommonSections(const TacCommonSections& lines, TsSkinModel& model) {
    for (const TacCommonSections::TSection& sec : lines.Sections()) {
        if (model.SectionIndexOf(sec.Name) >= 0) {
            continue; // a skin's own section always wins
        }
        const std::string parentName = UpperCase(lines.ValueOf(sec, sParentClass).value_or("-1"));
        const TsGeneralData* parent = nullptr;
        for (const TsGeneralData& candidate : model.GeneralData) {
            if (UpperCase(candidate.SectionName) == parentName) {
                parent = &candidate;
                break;
            }
        }
        TsGeneralData appended = ReadCommonSection(lines, sec, parent);
        model.GeneralData.push_back(std::move(appended));
    }
}

void ResolveSectionImages(TsSkinModel& model) {
    for (std::size_t i = 0; i < model.GeneralData.size(); ++i) {
        TsGeneralData& s = model.GeneralData[i];
        if (s.SectionName == sGlobalInfo) {
            continue;
        }
        const auto index = static_cast<std::int32_t>(i);
        const std::string& name = s.SectionName;
        s.BordersMaskIndex = model.ImageIndexOf(index, name, "BORDERSMASK");
        s.ImgTopLeftIndex = model.ImageIndexOf(index, name, "IMGTOPLEFT");
        s.ImgTopRightIndex = model.ImageIndexOf(index, name, "IMGTOPRIGHT");
        s.ImgBtmLeftIndex = model.ImageIndexOf(index, name, "IMGBTMLEFT");
        s.ImgBtmRightIndex = model.ImageIndexOf(index, name, "IMGBTMRIGHT");
        s.PatternIndex = model.TextureIndexOf(index, name, "PATTERN");
        s.StateProps[0].PatternIndex = s.PatternIndex;
        if (s.States > 1) {
            s.StateProps[1].PatternIndex = model.TextureIndexOf(index, name, "HOTPATTERN");
        } else {
            s.StateProps[1].PatternIndex = s.PatternIndex;
        }
    }
}

} // namespace sj

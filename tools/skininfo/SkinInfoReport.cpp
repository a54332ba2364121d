#include "SkinInfoReport.h"

#include "platform/Exception.h"

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <sstream>

namespace sj::tools {

namespace fs = std::filesystem;

namespace {

std::string Number(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    std::string text(buffer);
    for (char& c : text) {
        if (c == ',') {
            c = '.';
        }
    }
    return text;
}

std::string Bool(bool v) {
    return v ? "true" : "false";
}

// Builds one JSON object, field by field, with the indentation of its depth.
class TJsonObject {
public:
    explicit TJsonObject(int depth) : FDepth(depth) {}

    TJsonObject& Raw(const std::string& name, const std::string& json) {
        FText += (FText.empty() ? "" : ",") + std::string("\n") + Indent(FDepth + 1) + JsonString(name) + ": " + json;
        return *this;
    }
    TJsonObject& Int(const std::string& name, std::int64_t v) { return Raw(name, std::to_string(v)); }
    TJsonObject& Str(const std::string& name, const std::string& v) { return Raw(name, JsonString(v)); }

    std::string Text() const { return FText.empty() ? "{}" : "{" + FText + "\n" + Indent(FDepth) + "}"; }

    static std::string Indent(int depth) { return std::string(static_cast<std::size_t>(depth) * 2, ' '); }

private:
    int FDepth;
    std::string FText;
};

std::string JsonArray(const std::vector<std::string>& items, int depth) {
    if (items.empty()) {
        return "[]";
    }
    std::string text = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i ? "," : "") + std::string("\n") + TJsonObject::Indent(depth + 1) + items[i];
    }
    return text + "\n" + TJsonObject::Indent(depth) + "]";
}

template <class T, std::size_t N> std::string IntList(const std::array<T, N>& values) {
    std::string text = "[";
    for (std::size_t i = 0; i < N; ++i) {
        text += (i ? ", " : "") + std::to_string(values[i]);
    }
    return text + "]";
}

std::string GlobalsJson(const TsSkinData& g, int depth) {
    TJsonObject o(depth);
    o.Str("SkinFolder", g.SkinFolder).Raw("Ready", Bool(g.Ready)).Raw("Version", Number(g.Version));
    o.Str("Author", g.Author).Str("Description", g.Description);
#define SJ_JSON_FIELD(type, name) o.Int(#name, g.name);
    SJ_SKIN_DATA_INT_FIELDS(SJ_JSON_FIELD)
#undef SJ_JSON_FIELD
    o.Raw("AeroBlur", Bool(g.AeroBlur)).Int("ExtShadow", g.ExtShadow);
    return o.Text();
}

std::string StepsJson(const TsGradArray& steps, int depth) {
    std::vector<std::string> items;
    for (const TsGradPie& step : steps) {
        TJsonObject o(depth + 1);
        o.Int("Color1", step.Color1).Int("Color2", step.Color2).Int("Percent", step.Percent).Int("Mode", step.Mode);
        items.push_back(o.Text());
    }
    return JsonArray(items, depth);
}

std::string StateJson(const TsGenState& s, int depth) {
    TJsonObject o(depth);
    o.Int("Color", s.Color).Int("FontColor", s.FontColor);
    o.Int("TCLeft", s.TCLeft).Int("TCTop", s.TCTop).Int("TCRight", s.TCRight).Int("TCBottom", s.TCBottom);
    o.Int("GradientPercent", s.GradientPercent).Str("GradientData", s.GradientData);
    o.Raw("GradientSteps", StepsJson(s.GradientSteps, depth + 1));
    o.Int("ImagePercent", s.ImagePercent).Int("PatternIndex", s.PatternIndex).Int("GCol", s.GCol);
    o.Int("GSize", s.GSize).Int("Transparency", s.Transparency);
    return o.Text();
}

std::string SectionJson(const TsGeneralData& s, int depth) {
    TJsonObject o(depth);
    o.Str("ParentClass", s.ParentClass).Str("SectionName", s.SectionName).Int("States", s.States);
    o.Raw("StateProps",
          JsonArray({StateJson(s.StateProps[0], depth + 2), StateJson(s.StateProps[1], depth + 2)}, depth + 1));
    o.Raw("GiveOwnFont", Bool(s.GiveOwnFont)).Raw("ReservedBoolean", Bool(s.ReservedBoolean));
    o.Raw("ShowFocus", Bool(s.ShowFocus)).Int("Glow", s.Glow).Int("GlowMargin", s.GlowMargin);
    o.Int("BordersMaskIndex", s.BordersMaskIndex).Int("ImgTopLeftIndex", s.ImgTopLeftIndex);
    o.Int("ImgTopRightIndex", s.ImgTopRightIndex).Int("ImgBtmLeftIndex", s.ImgBtmLeftIndex);
    o.Int("ImgBtmRightIndex", s.ImgBtmRightIndex).Int("PatternIndex", s.PatternIndex);
    o.Int("Color", s.Color).Int("Transparency", s.Transparency).Int("GradientPercent", s.GradientPercent);
    o.Str("GradientData", s.GradientData).Raw("GradientSteps", StepsJson(s.GradientSteps, depth + 1));
    o.Int("ImagePercent", s.ImagePercent).Int("FontColor", s.FontColor);
    o.Int("TCLeft", s.TCLeft).Int("TCTop", s.TCTop).Int("TCRight", s.TCRight).Int("TCBottom", s.TCBottom);
    o.Int("HotColor", s.HotColor).Int("HotTransparency", s.HotTransparency);
    o.Int("HotGradientPercent", s.HotGradientPercent).Str("HotGradientData", s.HotGradientData);
    o.Raw("HotGradientSteps", StepsJson(s.HotGradientSteps, depth + 1));
    o.Int("HotImagePercent", s.HotImagePercent).Int("HotFontColor", s.HotFontColor);
    o.Int("HotTCLeft", s.HotTCLeft).Int("HotTCTop", s.HotTCTop).Int("HotTCRight", s.HotTCRight);
    o.Int("HotTCBottom", s.HotTCBottom).Raw("FadingEnabled", Bool(s.FadingEnabled));
    o.Int("FadingIterations", s.FadingIterations).Int("HGCol", s.HGCol).Int("GCol", s.GCol);
    o.Int("HGSize", s.HGSize).Int("GSize", s.GSize);
    return o.Text();
}

std::string ItemJson(const TsMaskData& m, int depth) {
    const TacPixmap* image = m.SourceImage();
    TJsonObject o(depth);
    o.Str("Section", m.Section).Str("Key", m.Key).Int("ItemKind", m.ItemKind);
    o.Raw("SourceRect",
          IntList(std::array<int, 4>{m.SourceRect.Left, m.SourceRect.Top, m.SourceRect.Right, m.SourceRect.Bottom}));
    o.Int("FrameCount", m.FrameCount).Int("MaskKind", m.MaskKind).Int("CommonBorder", m.CommonBorder);
    o.Int("PaintFlags", m.PaintFlags).Int("BorderLeft", m.BorderLeft).Int("BorderTop", m.BorderTop);
    o.Int("BorderRight", m.BorderRight).Int("BorderBottom", m.BorderBottom).Int("CornerKind", m.CornerKind);
    o.Raw("OwnBitmap", Bool(m.OwnBitmap != nullptr));
    o.Int("Width", image ? image->Width() : 0).Int("Height", image ? image->Height() : 0);
    return o.Text();
}

std::string PatternJson(const TsPatternData& p, int depth) {
    TJsonObject o(depth);
    o.Str("Section", p.Section).Str("Key", p.Key);
    o.Int("Width", p.Jpeg ? p.Jpeg->Width() : 0).Int("Height", p.Jpeg ? p.Jpeg->Height() : 0);
    return o.Text();
}

std::string StdIndexesJson(const TsStdIndexes& x, int depth) {
    TJsonObject o(depth);
    x.ForEachField([&](const char* name, std::int32_t v) { o.Int(name, v); });
    return o.Text();
}

const char* ItemKindName(std::uint8_t kind) {
    static const char* const names[] = {"borders", "texture", "glyph", "bordered file", "plain file"};
    return kind <= ikPlainFile ? names[kind] : "?";
}

} // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

void LoadSkinForReport(const std::string& path, TsSkinCore& core) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    fs::path target = absolute.has_filename() ? absolute : absolute.parent_path();
    std::string name;
    if (fs::is_regular_file(target, ec)) {
        if (target.extension() != ".asz" && target.extension() != ".ASZ") {
            throw Exception("\"" + path + "\" is not a skin package (.asz)");
        }
        name = target.stem().string();
    } else if (fs::is_directory(target, ec)) {
        if (!fs::is_regular_file(target / "Options.dat", ec)) {
            throw Exception("The folder \"" + path + "\" holds no Options.dat");
        }
        name = target.filename().string();
    } else {
        throw Exception("\"" + path + "\" does not exist");
    }
    core.ExeFolder = target.parent_path().string() + static_cast<char>(fs::path::preferred_separator);
    core.SetSkinDirectory(target.parent_path().string());
    // The program's manager draws extended borders wherever layered windows exist.
    core.ExtendedBordersUsable = true;
    core.LoadSkin(name);
    if (!core.SkinLoaded()) {
        throw Exception("The skin \"" + name + "\" could not be found");
    }
}

void WriteJsonReport(const TsSkinCore& core, std::ostream& out) {
    const TsSkinModel& m = core.Model();
    std::vector<std::string> sections, items, patterns;
    for (const TsGeneralData& s : m.GeneralData) {
        sections.push_back(SectionJson(s, 2));
    }
    for (const TsMaskData& item : m.Masks) {
        items.push_back(ItemJson(item, 2));
    }
    for (const TsPatternData& p : m.Patterns) {
        patterns.push_back(PatternJson(p, 2));
    }
    TJsonObject root(0);
    root.Raw("globals", GlobalsJson(m.SkinGlobals, 1));
    root.Raw("sections", JsonArray(sections, 1));
    root.Raw("items", JsonArray(items, 1));
    root.Raw("patterns", JsonArray(patterns, 1));
    root.Raw("StdIndexes", StdIndexesJson(m.StdIndexes, 1));
    root.Raw("ExtBorderMargins", IntList(m.ExtBorderMargins));
    out << root.Text() << "\n";
}

void WriteTextReport(const TsSkinCore& core, std::ostream& out) {
    const TsSkinModel& m = core.Model();
    const TsSkinData& g = m.SkinGlobals;
    out << "Skin:        " << core.SkinName() << "\n";
    out << "Version:     " << core.SkinInfo() << "\n";
    out << "Author:      " << g.Author << "\n";
    out << "Description: " << g.Description << "\n";
    out << "Master:      " << m.MasterBitmap.Width() << " x " << m.MasterBitmap.Height() << "\n";
    out << "Title:       height " << g.TitleHeight << ", max " << g.MaxHeight << ", border " << g.BorderWidth
        << ", form offset " << g.FormOffset << "\n";
    out << "Ext. border: " << IntList(m.ExtBorderMargins) << "\n\n";

    out << m.GeneralData.size() << " sections:\n";
    for (const TsGeneralData& s : m.GeneralData) {
        out << "  " << s.SectionName;
        if (!s.ParentClass.empty()) {
            out << " (" << s.ParentClass << ")";
        }
        out << ": states " << s.States << ", colour " << s.Color << ", hot " << s.StateProps[1].Color << ", borders #"
            << s.BordersMaskIndex << ", pattern #" << s.PatternIndex << "\n";
    }
    out << "\n" << m.Masks.size() << " image items:\n";
    for (std::size_t i = 0; i < m.Masks.size(); ++i) {
        const TsMaskData& item = m.Masks[i];
        const auto& r = item.SourceRect;
        out << "  #" << i << " " << item.Section << "." << item.Key << ": " << ItemKindName(item.ItemKind) << " ("
            << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "), " << item.FrameCount
            << " frame(s), mask " << item.MaskKind << ", borders " << item.BorderLeft << "/" << item.BorderTop << "/"
            << item.BorderRight << "/" << item.BorderBottom << (item.OwnBitmap ? ", own image" : "") << "\n";
    }
    out << "\n" << m.Patterns.size() << " JPEG patterns:\n";
    for (const TsPatternData& p : m.Patterns) {
        out << "  " << p.Section << "." << p.Key << ": " << (p.Jpeg ? p.Jpeg->Width() : 0) << " x "
            << (p.Jpeg ? p.Jpeg->Height() : 0) << "\n";
    }
    out << "\nStandard indexes:\n";
    m.StdIndexes.ForEachField([&](const char* name, std::int32_t v) {
        if (v >= 0) {
            out << "  " << name << " = " << v << "\n";
        }
    });
}

} // namespace sj::tools

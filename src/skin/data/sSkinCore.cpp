#include "skin/data/sSkinCore.h"

#include "platform/Exception.h"
#include "skin/data/sSkinFiles.h"
#include "skin/data/sSkinSections.h"
#include "skin/paint/sGraphUtils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>

namespace sj {

namespace {

const std::string sGlobalInfo = "GLOBALINFO";
const std::string sOptionsDat = "Options.dat";

constexpr const char* sNewerSkinWarning =
    "This version of the skin have not complete support by used skin components release.\r\n"
    "Components must be updated up to latest version for using this skin.";

std::string OldSkinNotice(const std::string& skinName) {
    return "You are using an old version of the \"" + skinName +
           "\" skin. Please, update a skins to latest or link with the skin components support for upgrading of "
           "existing skin.\r\n\r\nThis notification occurs in design-time only for your information and will not "
           "occur in real-time.";
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string WithBackslash(const std::string& folder) {
    if (folder.empty() || IsSeparator(folder.back())) {
        return folder;
    }
    return folder + '\\';
}

// "name.asz" in any case names the package of "name".
std::string WithoutPackageExtension(const std::string& name) {
    if (name.size() > 4 && UpperCase(name.substr(name.size() - 4)) == ".ASZ") {
        return name.substr(0, name.size() - 4);
    }
    return name;
}

std::string FixedField(std::span<const std::uint8_t> block, std::size_t offset, std::size_t width) {
    const auto* begin = reinterpret_cast<const char*>(block.data() + offset);
    const std::size_t length = strnlen(begin, width);
    return std::string(begin, length);
}

std::string TextOf(const TacBytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

using TColorChange = std::function<TColor(TColor)>;

void ChangeColor(std::int32_t& color, const TColorChange& change) {
    color = static_cast<std::int32_t>(change(static_cast<TColor>(color)));
}

void ChangeTextColor(std::int32_t& color, const TColorChange& change) {
    if (color != -1) {
        ChangeColor(color, change);
    }
}

void ChangeSteps(TsGradArray& steps, const TColorChange& change) {
    for (TsGradPie& step : steps) {
        ChangeColor(step.Color1, change);
        ChangeColor(step.Color2, change);
    }
}

void ChangeSectionColors(TsGeneralData& s, const TColorChange& change) {
    for (std::int32_t* c : {&s.Color, &s.HotColor, &s.GCol, &s.HGCol}) {
        ChangeColor(*c, change);
    }
    for (std::int32_t* c : {&s.FontColor, &s.TCLeft, &s.TCTop, &s.TCRight, &s.TCBottom, &s.HotFontColor, &s.HotTCLeft,
                            &s.HotTCTop, &s.HotTCRight, &s.HotTCBottom}) {
        ChangeTextColor(*c, change);
    }
    ChangeSteps(s.GradientSteps, change);
    ChangeSteps(s.HotGradientSteps, change);
    for (TsGenState& st : s.StateProps) {
        ChangeColor(st.Color, change);
        ChangeColor(st.GCol, change);
        for (std::int32_t* c : {&st.FontColor, &st.TCLeft, &st.TCTop, &st.TCRight, &st.TCBottom}) {
            ChangeTextColor(*c, change);
        }
        // Painters read the state's own copy of the steps.
        ChangeSteps(st.GradientSteps, change);
    }
}

void ChangeModelColors(TsSkinModel& m, const TColorChange& change) {
    for (TsGeneralData& s : m.GeneralData) {
        ChangeSectionColors(s, change);
    }
    m.SkinGlobals.Shadow1Color = change(m.SkinGlobals.Shadow1Color);
    m.SkinGlobals.BorderColor = change(m.SkinGlobals.BorderColor);
}

TacPixmap CopyPiece(const TacPixmap& image, const TsMaskRect& r) {
    const int left = std::max(r.Left, 0);
    const int top = std::max(r.Top, 0);
    const int right = std::min(r.Right, image.Width());
    const int bottom = std::min(r.Bottom, image.Height());
    TacPixmap piece(std::max(right - left, 0), std::max(bottom - top, 0));
    for (int y = 0; y < piece.Height(); ++y) {
        std::copy_n(image.Row(top + y) + left, piece.Width(), piece.Row(y));
    }
    return piece;
}

void PastePiece(TacPixmap& image, const TacPixmap& piece, const TsMaskRect& r) {
    const int left = std::max(r.Left, 0);
    const int top = std::max(r.Top, 0);
    for (int y = 0; y < piece.Height(); ++y) {
        std::copy_n(piece.Row(y), piece.Width(), image.Row(top + y) + left);
    }
}

} // namespace

std::optional<TsLiveSkinRecord> ParseLiveSkinRecord(std::span<const std::uint8_t> block) {
    if (block.size() < LiveSkinRecordSize) {
        return std::nullopt;
    }
    const std::int32_t magic =
        static_cast<std::int32_t>(std::uint32_t{block[0]} | (std::uint32_t{block[1]} << 8) |
                                  (std::uint32_t{block[2]} << 16) | (std::uint32_t{block[3]} << 24));
    if (magic != LiveSkinMagic) {
        return std::nullopt;
    }
    return TsLiveSkinRecord{FixedField(block, 4, 128), FixedField(block, 132, 513), FixedField(block, 645, 30001)};
}

std::string SkinDirectoryWithBackslash(const std::string& dir) {
    if (dir.empty()) {
        return dir;
    }
    if (dir.back() == '/') {
        return dir.substr(0, dir.size() - 1) + '\\';
    }
    if (dir.size() == 1) {
        return dir + ":\\";
    }
    return WithBackslash(dir);
}

std::string ResolveSkinFolder(const std::string& dir, const std::string& exeFolder) {
    if (StartsWith(dir, "..")) {
        std::string parent = exeFolder;
        while (!parent.empty() && IsSeparator(parent.back())) {
            parent.pop_back();
        }
        const std::size_t cut = parent.find_last_of("\\/");
        parent = cut == std::string::npos ? std::string() : parent.substr(0, cut + 1);
        return parent + (dir.size() > 3 ? dir.substr(3) : std::string());
    }
    if (StartsWith(dir, ".\\") || StartsWith(dir, "./")) {
        return exeFolder + dir.substr(2);
    }
    if (!Contains(dir, ":") && !Contains(dir, "\\\\") && !StartsWith(dir, "/")) {
        return exeFolder + dir;
    }
    return dir;
}

TsSkinCore::TsSkinCore(TsSkinHost host, TsImageDecoders decoders)
    : Host(std::move(host)), Decoders(std::move(decoders)) {}

void TsSkinCore::SetSkinDirectory(const std::string& dir) {
    FSkinDirectory = dir;
    FModel.SkinGlobals.SkinFolder = ResolvedSkinFolder();
}

void TsSkinCore::SetCommonSections(const std::vector<std::string>& lines) {
    FCommonLines = NormalizeCommonSectionLines(lines);
    FCommon = TacCommonSections(FCommonLines);
}

void TsSkinCore::LoadSkin(const std::string& requested) {
    const std::string oldName = FSkinName;
    try {
        const std::string name = WithoutPackageExtension(requested);
        FSkinName = name;
        const std::string fullDir = ResolvedSkinFolder();
        const std::string folder = JoinSkinPath(fullDir, name);

        // Packages are looked for in the resolved folder, where the skin list finds them.
        const auto package = FindExistingPath(JoinSkinPath(fullDir, name + ".asz"));
        FFromPackage = package && SkinFileExists(*package);
        if (LiveSkinMode && SkinFolderExists(JoinSkinPath(fullDir, requested))) {
            FFromPackage = false;
        }

        std::unique_ptr<TacSkinConvertor> reader;
        TacMemIni description;
        std::string skinFolder;
        if (FFromPackage) {
            LoadPackageFile(*package, reader);
            description.SetText(TextOf(*reader->DescriptionStream));
            skinFolder = WithBackslash(fullDir);
            FLastSource = TsSkinSource::PackageFile;
        } else if (FLiveText) {
            description.SetText(*FLiveText);
            skinFolder = WithBackslash(folder);
            FLastSource = TsSkinSource::LiveText;
        } else if (const auto options = ReadSkinFile(JoinSkinPath(folder, sOptionsDat))) {
            description.SetText(TextOf(*options));
            skinFolder = WithBackslash(folder);
            FLastSource = TsSkinSource::Folder;
        } else {
            if (InternalSkins.Empty()) {
                FActive = false;
                FLastSource = TsSkinSource::None;
                UnloadSkin();
                return;
            }
            int index = InternalSkins.IndexOfSkin(name);
            if (index < 0) {
                index = 0;
                FSkinName = InternalSkins[0].Name;
            }
            reader = std::make_unique<TacSkinConvertor>();
            reader->ReadPackage(InternalSkins[index].DataStream);
            description.SetText(TextOf(*reader->DescriptionStream));
            FLastSource = TsSkinSource::Internal;
        }

        TsSkinModel model;
        model.SkinGlobals.SkinFolder = skinFolder;
        const TsSkinFiles files(skinFolder, reader.get());
        BuildModel(description, files, model);
        FModel.SkinGlobals.Ready = false;
        FModel = std::move(model);
        FLoaded = true;
    } catch (...) {
        FSkinName = oldName;
        throw;
    }
}

std::optional<std::string> TsSkinCore::ChangeSkin(const std::string& name) {
    try {
        LoadSkin(name);
        return std::nullopt;
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
}

void TsSkinCore::UnloadSkin() {
    FModel.SkinGlobals.Ready = false;
    FModel.Clear();
    FLoaded = false;
}

void TsSkinCore::BuildModel(const TacMemIni& description, const TsSkinFiles& files, TsSkinModel& model) const {
    model.SkinGlobals.Version = ReadSkinVersion(description);
    CheckSkinVersion(model);

    TsImageLoadContext context{description, files, Decoders, FCommon.Empty() ? nullptr : &FCommon, FCommonLines};
    context.ImagePixelBudget = ImagePixelBudget;
    LoadImageItems(context, model);
    LoadJpegPatterns(context, model);

    ReadSkinGlobals(description, model.SkinGlobals, Host);
    CheckSkinVersion(model);
    LoadSectionTable(description, model, Host);
    if (!FCommon.Empty()) {
        AppendCommonSections(FCommon, model);
    }
    ResolveSectionImages(model);
    ApplyHueAndSaturation(model);

    CacheStandardIndexes(model, FActive && ExtendedBordersUsable, BuiltinBorders);
}

void TsSkinCore::CheckSkinVersion(const TsSkinModel& model) const {
    const double v = model.SkinGlobals.Version;
    if (v > 8.99) {
        if (Host.ShowVersionWarning) {
            Host.ShowVersionWarning(sNewerSkinWarning);
        }
    } else if (v < 7 && Host.OldSkinNoticeWanted && Host.OldSkinNoticeWanted() && Host.ShowOldSkinNotice) {
        Host.ShowOldSkinNotice(OldSkinNotice(FSkinName));
    }
}

void TsSkinCore::ApplyHueAndSaturation(TsSkinModel& m) const {
    if (HueOffset != 0) {
        // Title-button images may keep their hue: pieces of the master image are put
        // back after the shift, items with images of their own are left out of it.
        std::vector<std::pair<TsMaskRect, TacPixmap>> kept;
        std::set<const TacPixmap*> skipped;
        if (m.SkinGlobals.BIKeepHue != 0) {
            std::vector<std::string> keys{"BICONCLOSE", "SICONCLOSE"};
            if (m.SkinGlobals.BIKeepHue == 1) {
                keys.insert(keys.end(),
                            {"BICONMAX", "BICONMIN", "BICONNORM", "BICONHELP", "SICONMAX", "SICONMIN", "SICONNORM"});
            }
            for (const std::string& key : keys) {
                const std::int32_t index = m.ExactImageIndexOf(sGlobalInfo, key);
                const TsMaskData* item = m.HasImage(index) ? &m.Masks[static_cast<std::size_t>(index)] : nullptr;
                if (item != nullptr && !item->OwnBitmap) {
                    kept.emplace_back(item->SourceRect, CopyPiece(m.MasterBitmap, item->SourceRect));
                    continue;
                }
                if (item != nullptr) {
                    skipped.insert(item->OwnBitmap.get());
                }
                const std::int32_t glow = m.ExactImageIndexOf(sGlobalInfo, key + "GLOW0");
                if (m.HasImage(glow) && m.Masks[static_cast<std::size_t>(glow)].OwnBitmap) {
                    skipped.insert(m.Masks[static_cast<std::size_t>(glow)].OwnBitmap.get());
                }
            }
        }
        ShiftHue(m.MasterBitmap.View(), HueOffset);
        for (TsMaskData& item : m.Masks) {
            if (item.OwnBitmap && skipped.count(item.OwnBitmap.get()) == 0) {
                ShiftHue(item.OwnBitmap->View(), HueOffset);
            }
        }
        for (const auto& [rect, piece] : kept) {
            PastePiece(m.MasterBitmap, piece, rect);
        }
        const std::int32_t offset = HueOffset;
        ChangeModelColors(m, [offset](TColor c) { return ShiftHue(c, offset); });
    }
    if (Saturation != 0) {
        const std::int32_t amount = Saturation % 101;
        ChangeSaturation(m.MasterBitmap.View(), amount);
        for (TsMaskData& item : m.Masks) {
            if (item.OwnBitmap) {
                ChangeSaturation(item.OwnBitmap->View(), amount);
            }
        }
        ChangeModelColors(m, [amount](TColor c) { return ChangeColorSaturation(amount, c); });
    }
}

void TsSkinCore::PrepareExtBorderImages() {
    sj::PrepareExtBorderImages(FModel, FActive && ExtendedBordersUsable, BuiltinBorders);
}

std::string TsSkinCore::ListSkins(std::vector<std::string>& list, int kinds) const {
    namespace fs = std::filesystem;
    list.clear();
    std::string first;
    for (int i = 0; i < InternalSkins.Count(); ++i) {
        list.push_back(InternalSkins[i].Name);
    }
    if (!list.empty()) {
        first = list.front();
    }
    const auto folder = FindExistingPath(ResolvedSkinFolder());
    std::error_code ec;
    if (folder && fs::is_directory(*folder, ec)) {
        for (fs::directory_iterator it(*folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string entry = it->path().filename().string();
            std::string name;
            if (it->is_directory(ec)) {
                if ((kinds == 0 || kinds == 2) && !StartsWith(entry, ".") &&
                    SkinFileExists(JoinSkinPath(it->path().string(), sOptionsDat))) {
                    name = entry;
                }
            } else if ((kinds == 1 || kinds == 2) && entry.size() > 4 && entry.substr(entry.size() - 4) == ".asz") {
                name = entry.substr(0, entry.find('.'));
            }
            if (!name.empty()) {
                list.push_back(name);
                if (first.empty()) {
                    first = name;
                }
            }
        }
    }
    std::sort(list.begin(), list.end());
    return first;
}

std::string TsSkinCore::SkinInfo() const {
    if (!FLoaded) {
        return "N/A";
    }
    // Shortest text that reads back as the same number, "." as separator.
    char buffer[64];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, FModel.SkinGlobals.Version);
        std::string text(buffer);
        for (char& c : text) {
            if (c == ',') {
                c = '.';
            }
        }
        if (ParseReal(text).value_or(NAN) == FModel.SkinGlobals.Version) {
            return text;
        }
    }
    return buffer;
}

const TsGeneralData* TsSkinCore::SectionNamed(const char* name) const {
    const std::int32_t index = FModel.SectionIndexOf(name);
    return index >= 0 ? &FModel.GeneralData[static_cast<std::size_t>(index)] : nullptr;
}

std::int32_t TsSkinCore::SkinBackColor() const {
    const TsGeneralData* g = SectionNamed("GLOBALINFO");
    return Converted(g ? g->Color : SkinSysColors::clBtnFace);
}

std::int32_t TsSkinCore::SkinTextColor() const {
    const TsGeneralData* g = SectionNamed("GLOBALINFO");
    return g ? Converted(g->FontColor) : static_cast<std::int32_t>(clKeyPixel);
}

std::int32_t TsSkinCore::FocusedEditColor() const {
    const TsGeneralData* g = SectionNamed("GLOBALINFO");
    return Converted(g ? g->HotColor : SkinSysColors::clWindow);
}

std::int32_t TsSkinCore::EditTextColor() const {
    const TsGeneralData* s = SectionNamed("EDIT");
    return s ? Converted(s->StateProps[0].FontColor) : SkinSysColors::clWindowText;
}

std::int32_t TsSkinCore::SelectionColor(bool focused) const {
    constexpr auto unknown = static_cast<std::int32_t>(clKeyPixel);
    std::int32_t color = -1;
    if (const TsGeneralData* s = SectionNamed("SELECTION")) {
        color = s->StateProps[focused && s->States > 1 ? 1 : 0].Color;
    }
    if (color == -1 || color == unknown) {
        const TsGeneralData* m = SectionNamed("MENUITEM");
        color = m ? m->HotColor : -1;
        if (color == -1 || color == unknown || color == 0x00FFFFFF) {
            color = SkinSysColors::clHighlight;
        }
    }
    return Converted(color);
}

std::int32_t TsSkinCore::SelectionTextColor(bool focused) const {
    constexpr auto unknown = static_cast<std::int32_t>(clKeyPixel);
    if (const TsGeneralData* s = SectionNamed("SELECTION")) {
        const std::int32_t color = s->StateProps[focused && s->States > 1 ? 1 : 0].FontColor;
        if (color != -1 && color != unknown) {
            return color;
        }
    }
    if (const TsGeneralData* m = SectionNamed("MENUITEM")) {
        if (m->HotFontColor != -1 && m->HotFontColor != unknown) {
            return Converted(m->HotFontColor);
        }
    }
    return SkinSysColors::clHighlightText;
}

} // namespace sj

// The portable heart of the skin manager: it resolves a skin name to a skin source
// (package file, live text from a skin editor, skin folder, internal skin), builds the
// skin model from it, re-colours it by hue and saturation, and answers the lookups,
// colour queries, skin lists and folder questions of the painters. The manager
// component of the form framework owns one and adds the windows side: announcing,
// hooks, message boxes.
//
// A load that fails leaves the previous model and skin name in place.
#pragma once

#include "skin/data/acCommonSections.h"
#include "skin/data/acSkinPack.h"
#include "skin/data/sSkinHost.h"
#include "skin/data/sSkinImages.h"
#include "skin/data/sSkinModel.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sj {

inline constexpr const char* sSkinComponentsVersion = "8.03";

// System colour codes (bit 31 set, index in the low byte) the colour queries answer.
// They live in their own namespace because the form framework's graphics unit defines
// the same names from the Windows headers; the values are the same.
namespace SkinSysColors {
inline constexpr std::int32_t clBtnFace = static_cast<std::int32_t>(0xFF00000F);
inline constexpr std::int32_t clWindow = static_cast<std::int32_t>(0xFF000005);
inline constexpr std::int32_t clWindowText = static_cast<std::int32_t>(0xFF000008);
inline constexpr std::int32_t clHighlight = static_cast<std::int32_t>(0xFF00000D);
inline constexpr std::int32_t clHighlightText = static_cast<std::int32_t>(0xFF00000E);
} // namespace SkinSysColors

enum class TsSkinSource { None, PackageFile, LiveText, Folder, Internal };

// The record a skin editor sends with a live skin description.
struct TsLiveSkinRecord {
    std::string SkinName;
    std::string SkinDirectory;
    std::string Text;
};
inline constexpr std::size_t LiveSkinRecordSize = 30646;
inline constexpr std::int32_t LiveSkinMagic = 0xA400;
// Nullopt unless the block is a whole record with the right magic.
std::optional<TsLiveSkinRecord> ParseLiveSkinRecord(std::span<const std::uint8_t> block);

// "c:\Skins" -> "c:\Skins\"; "c" -> "c:\"; a trailing "/" becomes "\"; "" stays "".
std::string SkinDirectoryWithBackslash(const std::string& dir);
// `dir` made absolute against `exeFolder` (which ends in a separator).
std::string ResolveSkinFolder(const std::string& dir, const std::string& exeFolder);

class TsSkinCore {
public:
    explicit TsSkinCore(TsSkinHost host = TsSkinHost::Defaults(), TsImageDecoders decoders = StandardImageDecoders());

    TsSkinHost Host;
    TsImageDecoders Decoders;
    TsBuiltinBorders BuiltinBorders; // "acSHDA" / "acSHDI", decoded by the caller
    TsStoredSkins InternalSkins;
    std::string ExeFolder; // folder of the executable, ending in a separator
    bool ExtendedBordersUsable = false;
    // Past this many pixels of decoded images a skin counts as damaged and fails to load.
    std::int64_t ImagePixelBudget = SkinImagePixelBudget;

    TsSkinModel& Model() { return FModel; }
    const TsSkinModel& Model() const { return FModel; }
    TsSkinData& SkinGlobals() { return FModel.SkinGlobals; }

    const std::string& SkinDirectory() const { return FSkinDirectory; }
    void SetSkinDirectory(const std::string& dir);
    std::string ResolvedSkinFolder() const { return ResolveSkinFolder(FSkinDirectory, ExeFolder); }

    const std::string& SkinName() const { return FSkinName; }
    void SetSkinNameOnly(const std::string& name) { FSkinName = name; }
    bool Active() const { return FActive; }
    void SetActive(bool active) { FActive = active; }
    bool FromPackage() const { return FFromPackage; }
    bool SkinLoaded() const { return FLoaded; }
    TsSkinSource LastSource() const { return FLastSource; }

    std::int32_t HueOffset = 0;
    std::int32_t Saturation = 0;

    const std::vector<std::string>& CommonSections() const { return FCommonLines; }
    void SetCommonSections(const std::vector<std::string>& lines);

    // Live skin text from a skin editor; while present it is the description of any
    // skin not found as a package file.
    void SetLiveSkinText(std::optional<std::string> text) { FLiveText = std::move(text); }
    bool LiveSkinMode = false;

    // Loads `name` (".asz" at its end is dropped) and makes it the skin. Throws the
    // load's error; the previous model and name then stay. With no source for the name
    // and no internal skins the core becomes inactive and the model is emptied.
    void LoadSkin(const std::string& name);
    // The skin change: LoadSkin, answering the error message instead of throwing.
    std::optional<std::string> ChangeSkin(const std::string& name);
    // Loads the current skin again (after a change of hue, saturation or borders).
    std::optional<std::string> ReloadSkin() { return ChangeSkin(FSkinName); }
    // Empties the model (the skin is removed).
    void UnloadSkin();

    // Names of internal skins, then (Kinds 0 or 2) skin folders and (1 or 2) package
    // files of the skin folder; sorted. Answers the first internal skin's name, else the
    // first folder or package found, else "".
    std::string ListSkins(std::vector<std::string>& list, int kinds = 2) const;
    // The loaded skin's version ("8" for 8.00), or "N/A".
    std::string SkinInfo() const;

    // Colour queries (0x00BBGGRR; system colour codes where the answer names one).
    std::int32_t SkinBackColor() const;
    std::int32_t SkinTextColor() const;
    std::int32_t FocusedEditColor() const;
    std::int32_t EditTextColor() const;
    std::int32_t SelectionColor(bool focused) const;
    std::int32_t SelectionTextColor(bool focused) const;

    // Extended-border images again, e.g. after ExtendedBordersUsable changed.
    void PrepareExtBorderImages();

private:
    struct TOpenedSkin;
    void BuildModel(const TacMemIni& description, const TsSkinFiles& files, TsSkinModel& model) const;
    void CheckSkinVersion(const TsSkinModel& model) const;
    void ApplyHueAndSaturation(TsSkinModel& model) const;
    std::int32_t Converted(std::int32_t color) const { return ColorToRGB(color, Host); }
    const TsGeneralData* SectionNamed(const char* name) const;

    TsSkinModel FModel;
    std::string FSkinDirectory;
    std::string FSkinName;
    bool FActive = true;
    bool FFromPackage = false;
    bool FLoaded = false;
    TsSkinSource FLastSource = TsSkinSource::None;
    std::vector<std::string> FCommonLines;
    TacCommonSections FCommon;
    std::optional<std::string> FLiveText;
};

} // namespace sj

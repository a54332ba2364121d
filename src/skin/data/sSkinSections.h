// Builds the section part of a skin model from a description: the skin-wide values
// of [GLOBALINFO], one section record per description section (keys inherited
// through PARENTCLASS), the sections added by the manager's extra lines, and each
// section's image indexes.
#pragma once

#include "skin/data/acCommonSections.h"
#include "skin/data/acMemIni.h"
#include "skin/data/sSkinHost.h"
#include "skin/data/sSkinModel.h"

#include <cstdint>
#include <string>

namespace sj {

// Keys read with inheritance through "PARENTCLASS". Values found in a parent (not in
// the section itself) are converted; -1 and "?" count as missing.
std::int32_t ReadInheritedInteger(const TacMemIni& ini, const std::string& section, const std::string& key,
                                  std::int32_t def, const TsSkinHost& host);
std::string ReadInheritedString(const TacMemIni& ini, const std::string& section, const std::string& key,
                                const std::string& def);
bool ReadInheritedFlag(const TacMemIni& ini, const std::string& section, const std::string& key);

// "VERSION" of [GLOBALINFO] ("." as separator), 0 when absent or malformed.
double ReadSkinVersion(const TacMemIni& ini);

// The [GLOBALINFO] scalar keys into `globals` (without inheritance). Throws for a
// strict key that is not a decimal integer.
void ReadSkinGlobals(const TacMemIni& ini, TsSkinData& globals, const TsSkinHost& host);

// Replaces `model.GeneralData` with one record per section of `ini`, in file order.
void LoadSectionTable(const TacMemIni& ini, TsSkinModel& model, const TsSkinHost& host);

// Appends the sections of the extra lines that the skin lacks.
void AppendCommonSections(const TacCommonSections& lines, TsSkinModel& model);

// Border, corner and texture indexes of every section but GLOBALINFO.
void ResolveSectionImages(TsSkinModel& model);

} // namespace sj

// The report of the skininfo tool: loads one skin the way the skin manager does and
// prints its model, as text for people or as one JSON object for scripts.
#pragma once

#include "skin/data/sSkinCore.h"

#include <iosfwd>
#include <string>

namespace sj::tools {

// Loads the skin at `path`: a package file (.asz) or a skin folder holding
// "Options.dat". Throws sj::Exception with the load's message when it fails.
void LoadSkinForReport(const std::string& path, TsSkinCore& core);

void WriteJsonReport(const TsSkinCore& core, std::ostream& out);
void WriteTextReport(const TsSkinCore& core, std::ostream& out);

// The JSON string literal of 8-bit text (bytes above 127 read as Latin-1).
std::string JsonString(const std::string& text);

} // namespace sj::tools

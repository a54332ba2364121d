// The product configuration file: INI text whose bytes are stored complemented
// (byte b stored as 255 - b) except the line breaks, which are stored as they are.
// Reading it never writes anything; a missing file is an error, missing keys are not.
#pragma once

#include "shell/MemIniFile.h"
#include "shell/_globals.h"

#include <string>
#include <string_view>
#include <vector>

namespace sj {

inline constexpr char ConfigSection[] = "SYSTEM";
inline constexpr char ConfigKeyName[] = "Name";
inline constexpr char ConfigKeyVersion[] = "Version";
inline constexpr char ConfigKeyCopyright[] = "Copyright";
inline constexpr char ConfigKeyHelpContent[] = "HelpContectLink";
inline constexpr char ConfigKeyHowTo[] = "HelpHowTosTutorialVideosLink";
inline constexpr char ConfigKeyHomePage[] = "HelpHomePageLink";
inline constexpr char ConfigKeyMoreFreeTools[] = "HelpMoreFreeToolsLink";
inline constexpr char ConfigKeyCheckForUpdates[] = "HelpCheckForUpdatesLink";
inline constexpr char ConfigKeySupport[] = "HelpSupportLink";

// Complements every byte of a stored line; its own inverse.
std::string DecodeConfigLine(std::string_view storedLine);

// The stored form of a whole text: line breaks kept, every other byte complemented.
// Throws sj::Exception for bytes whose stored form would read as a line break or a
// zero byte (0xF2, 0xF5, 0xFF), which the file cannot hold.
std::string EncodeConfigText(std::string_view text);

// The plain text of a stored file: line breaks kept, every other byte complemented.
std::string DecodeConfigText(std::string_view stored);

// Splits text at CR LF, lone CR or lone LF; the breaks belong to no line, and a
// break at the very end does not start another line.
std::vector<std::string> SplitLines(std::string_view text);

// The whole file as bytes; throws sj::EFileError when it cannot be opened or read.
std::string ReadFileBytes(const std::string& path);

// The configuration file at path, decoded line by line into an INI view.
TMemIniFile ReadConfigFile(const std::string& path);

// The application title (key Name) of the configuration file at path.
std::string ReadApplicationTitle(const std::string& path);

// Fills the product strings of vars (version, rights holder, the six links) from the
// configuration file at path; absent keys give empty strings.
void LoadProductStrings(const std::string& path, TGlobalVars& vars);

} // namespace sj

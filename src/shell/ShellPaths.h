// The shell's path helpers for Windows paths, usable without the Windows API: folders
// carry a trailing backslash, "\" and ":" end a folder or drive part, and a file's
// extension starts at the last "." of its file name.
#pragma once

#include <string>
#include <string_view>

namespace sj {

// The path with a trailing "\" added when it has none. An empty path stays empty:
// it names no folder, so a file name appended to it stays a bare name.
std::string AddBackslash(std::string_view path);

// The file-name part without its extension: "report.doc" gives "report", ".bashrc" gives "".
std::string FileNameWithoutExt(std::string_view path);

// The folder part of a Windows path including its trailing "\" (or the drive with its
// ":"); empty for a bare name.
std::string WindowsFolderOf(std::string_view path);

// The product configuration file that belongs to the executable at exePath.
std::string ConfigFileNameIn(std::string_view exePath);

// The per-user data folder named after the application title inside appData: every "/"
// of the title becomes a space, and the result ends in a backslash.
std::string DataFolderFor(std::string_view appData, std::string_view title);

} // namespace sj

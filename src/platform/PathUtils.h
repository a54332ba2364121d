// Path text helpers shared by every layer: file-name parts, the path delimiter of
// the build's platform and the "*"/"?" wildcard match used for directory listings.
// Pure string work, no file system access.
#pragma once

#include <string>
#include <string_view>

namespace sj {

#ifdef _WIN32
inline constexpr char PathDelimiter = '\\';
#else
inline constexpr char PathDelimiter = '/';
#endif

// Windows accepts both slashes (and a drive colon ends the folder part); POSIX only "/".
bool IsPathDelimiter(char c);

// The folder part of a path including its trailing delimiter; empty for a bare name.
std::string ExtractFilePath(std::string_view path);

// The name after the last delimiter.
std::string ExtractFileName(std::string_view path);

// The extension of the file name, from its last "." (dot included); empty when the
// name has no dot.
std::string ExtractFileExt(std::string_view path);

// The path without the extension of its file name.
std::string RemoveFileExt(std::string_view path);

// Appends the delimiter unless the path already ends with one. An empty path stays
// empty: it stands for the current folder, not for the root.
std::string IncludeTrailingPathDelimiter(std::string_view path);

// Matches a whole name against a pattern of "*" (any run) and "?" (one character).
// ignoreCase folds ASCII letters only, as file systems do for 8-bit names.
bool MatchesWildcard(std::string_view name, std::string_view pattern, bool ignoreCase);

// Compares two names ASCII-case-insensitively: <0, 0 or >0.
int CompareTextIgnoreCase(std::string_view a, std::string_view b);

} // namespace sj

// File-system queries and changes the engine needs, with one implementation per
// platform: existence tests, deleting, replacing by rename, wildcard listings of a
// folder, the name order shown to users and the identity of two paths.
#pragma once

#include <string>
#include <vector>

namespace sj {

// The system's text for an error code (errno / GetLastError), without line breaks.
std::string SystemErrorText(unsigned long code);
// The code of the calling thread's last failed system call.
unsigned long LastSystemErrorCode();

// True when a file (not a folder) exists at path.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Deletes a file; false when it could not be deleted (or did not exist).
bool RemoveFile(const std::string& path) noexcept;

// Moves from over to, replacing a file named to. The rename is how a finished
// output takes its final name, so a failure reads as the creation of to failing:
// "Cannot create file "TO". <reason>".
void RenameFileReplacing(const std::string& from, const std::string& to);

struct TDirEntry {
    std::string Name; // bare name, no folder
    bool IsDirectory = false;
};

// Every entry of folder (empty means the current folder) whose name matches the
// "*"/"?" pattern, hidden and system entries included, "." and ".." excluded.
// Matching follows the platform: case-insensitive on Windows, exact on POSIX.
// A folder that cannot be read yields no entries.
std::vector<TDirEntry> ListDirectory(const std::string& folder, const std::string& pattern);

// Orders names as the user sees them listed, ignoring case: <0, 0 or >0.
int CompareFileNames(const std::string& a, const std::string& b);

// True when both paths name the same existing file (links and different spellings
// of one path included).
bool IsSameFile(const std::string& a, const std::string& b);

} // namespace sj

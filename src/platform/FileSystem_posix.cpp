#include "platform/FileSystem.h"

#include "platform/Exception.h"
#include "platform/PathUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace sj {

namespace {

bool StatPath(const std::string& path, struct stat& info) { return ::stat(path.c_str(), &info) == 0; }

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::string SystemErrorText(unsigned long code) { return std::strerror(static_cast<int>(code)); }

unsigned long LastSystemErrorCode() { return static_cast<unsigned long>(errno); }

bool FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && StatPath(path, info) && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && StatPath(path, info) && S_ISDIR(info.st_mode);
}

bool RemoveFile(const std::string& path) noexcept { return ::unlink(path.c_str()) == 0; }

void RenameFileReplacing(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        throw EFileError("Cannot create file \"" + to + "\". " + SystemErrorText(LastSystemErrorCode()));
    }
}

std::vector<TDirEntry> ListDirectory(const std::string& folder, const std::string& pattern) {
    std::vector<TDirEntry> entries;
    std::string base = folder.empty() ? std::string(".") : folder;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(base.c_str()));
    if (!dir) {
        return entries;
    }
    std::string prefix = IncludeTrailingPathDelimiter(base);
    while (const dirent* entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !MatchesWildcard(name, pattern, false)) {
            continue;
        }
        entries.push_back({name, DirectoryExists(prefix + name)});
    }
    return entries;
}

int CompareFileNames(const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b); }

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat infoA {};
    struct stat infoB {};
    return StatPath(a, infoA) && StatPath(b, infoB) && infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

} // namespace sj

#include "platform/FileSystem.h"

#include "platform/Exception.h"
#include "platform/PathUtils.h"

#include <windows.h>

namespace sj {

namespace {

struct TFindHandle {
    HANDLE Handle;
    explicit TFindHandle(HANDLE h) : Handle(h) {}
    TFindHandle(const TFindHandle&) = delete;
    TFindHandle& operator=(const TFindHandle&) = delete;
    ~TFindHandle() {
        if (Handle != INVALID_HANDLE_VALUE) {
            ::FindClose(Handle);
        }
    }
};

struct THandle {
    HANDLE Handle;
    explicit THandle(HANDLE h) : Handle(h) {}
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    ~THandle() {
        if (Handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(Handle);
        }
    }
};

DWORD Attributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    // Opening with no access rights still yields the identity, even of locked files.
    THandle h(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h.Handle != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(h.Handle, &info);
}

} // namespace

std::string SystemErrorText(unsigned long code) {
    char* text = nullptr;
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                        FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                    reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length > 0 && text ? std::string(text, length) : std::string();
    if (text) {
        ::LocalFree(text);
    }
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == ' ')) {
        result.pop_back();
    }
    if (result.empty()) {
        result = "System error code " + std::to_string(code) + ".";
    }
    return result;
}

unsigned long LastSystemErrorCode() { return ::GetLastError(); }

bool FileExists(const std::string& path) {
    DWORD attributes = Attributes(path);
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = Attributes(path);
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& path) noexcept { return ::DeleteFileA(path.c_str()) != 0; }

void RenameFileReplacing(const std::string& from, const std::string& to) {
    if (!::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        throw EFileError("Cannot create file \"" + to + "\". " + SystemErrorText(LastSystemErrorCode()));
    }
}

std::vector<TDirEntry> ListDirectory(const std::string& folder, const std::string& pattern) {
    std::vector<TDirEntry> entries;
    WIN32_FIND_DATAA data{};
    TFindHandle find(::FindFirstFileA((IncludeTrailingPathDelimiter(folder) + pattern).c_str(), &data));
    if (find.Handle == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        std::string name = data.cFileName;
        // The search also matches 8.3 alias names ("*.doc" finds "a.docx" through
        // "A~1.DOC"); only the long name decides.
        if (name == "." || name == ".." || !MatchesWildcard(name, pattern, true)) {
            continue;
        }
        entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileA(find.Handle, &data));
    return entries;
}

int CompareFileNames(const std::string& a, const std::string& b) {
    int result = ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                  b.data(), static_cast<int>(b.size()));
    return result == 0 ? CompareTextIgnoreCase(a, b) : result - CSTR_EQUAL;
}

bool IsSameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION infoA{};
    BY_HANDLE_FILE_INFORMATION infoB{};
    return FileIdentity(a, infoA) && FileIdentity(b, infoB) &&
           infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber && infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

} // namespace sj

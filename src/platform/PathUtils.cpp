#include "platform/PathUtils.h"

#include <cstddef>

namespace sj {

namespace {

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameChar(char a, char b, bool ignoreCase) {
    return ignoreCase ? FoldCase(a) == FoldCase(b) : a == b;
}

// Index just past the last delimiter, 0 when there is none.
size_t FileNameStart(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (IsPathDelimiter(path[i - 1])) {
            return i;
        }
    }
    return 0;
}

// Index of the extension's dot within path, or npos.
size_t ExtensionStart(std::string_view path) {
    size_t nameStart = FileNameStart(path);
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart) {
        return std::string_view::npos;
    }
    return dot;
}

} // namespace

bool IsPathDelimiter(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

std::string ExtractFilePath(std::string_view path) {
    return std::string(path.substr(0, FileNameStart(path)));
}

std::string ExtractFileName(std::string_view path) {
    return std::string(path.substr(FileNameStart(path)));
}

std::string ExtractFileExt(std::string_view path) {
    size_t dot = ExtensionStart(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string RemoveFileExt(std::string_view path) {
    size_t dot = ExtensionStart(path);
    return std::string(dot == std::string_view::npos ? path : path.substr(0, dot));
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
    std::string result(path);
    if (!result.empty() && !IsPathDelimiter(result.back())) {
        result += PathDelimiter;
    }
    return result;
}

bool MatchesWildcard(std::string_view name, std::string_view pattern, bool ignoreCase) {
    // Iterative match with one backtrack point: the last "*" seen. Linear in practice
    // and free of the exponential blow-up of the recursive form.
    size_t n = 0;
    size_t p = 0;
    size_t starPattern = std::string_view::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || SameChar(pattern[p], name[n], ignoreCase))) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
    size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        auto ca = static_cast<unsigned char>(FoldCase(a[i]));
        auto cb = static_cast<unsigned char>(FoldCase(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

} // namespace sj

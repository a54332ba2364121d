#include "shell/ShellPaths.h"

#include "shell/SuppliedFiles.h"

#include <algorithm>

namespace sj {
namespace {

// Index just past the folder or drive part of path (0 for a bare name).
std::size_t FileNameStart(std::string_view path) {
    const std::size_t delimiter = path.find_last_of("\\:");
    return delimiter == std::string_view::npos ? 0 : delimiter + 1;
}

// Index of the extension's dot inside path, or npos.
std::size_t ExtensionStart(std::string_view path) {
    const std::size_t nameStart = FileNameStart(path);
    const std::size_t dot = path.find_last_of('.');
    return dot != std::string_view::npos && dot >= nameStart ? dot : std::string_view::npos;
}

} // namespace

std::string AddBackslash(std::string_view path) {
    std::string result(path);
    if (!result.empty() && result.back() != '\\')
        result += '\\';
    return result;
}

std::string WindowsFolderOf(std::string_view path) {
    return std::string(path.substr(0, FileNameStart(path)));
}

std::string FileNameWithoutExt(std::string_view path) {
    const std::size_t nameStart = FileNameStart(path);
    const std::size_t dot = ExtensionStart(path);
    const std::size_t end = dot == std::string_view::npos ? path.size() : dot;
    return std::string(path.substr(nameStart, end - nameStart));
}

std::string ConfigFileNameIn(std::string_view exePath) {
    return WindowsFolderOf(exePath) + ConfigFileBaseName;
}

std::string DataFolderFor(std::string_view appData, std::string_view title) {
    std::string folderName(title);
    std::replace(folderName.begin(), folderName.end(), '/', ' ');
    return AddBackslash(AddBackslash(appData) + folderName);
}

} // namespace sj

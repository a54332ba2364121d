#include "skin/data/sSkinFiles.h"

#include "platform/Exception.h"
#include "skin/data/acMemIni.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace sj {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

fs::path NativePath(const std::string& windowsPath) {
#ifdef _WIN32
    return fs::path(windowsPath);
#else
    std::string p = windowsPath;
    for (char& c : p) {
        if (c == '\\') {
            c = '/';
        }
    }
    return fs::path(p);
#endif
}

// Each component that is missing as written is looked up without regard to case.
std::optional<fs::path> ResolveCaseInsensitive(const fs::path& path) {
    std::error_code ec;
    if (fs::exists(path, ec)) {
        return path;
    }
#ifdef _WIN32
    return std::nullopt;
#else
    fs::path result = path.root_path();
    for (const fs::path& part : path.relative_path()) {
        fs::path candidate = result / part;
        if (!fs::exists(candidate, ec)) {
            const std::string wanted = UpperCase(part.string());
            const fs::path dir = result.empty() ? fs::path(".") : result;
            bool matched = false;
            for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
                if (UpperCase(it->path().filename().string()) == wanted) {
                    candidate = result / it->path().filename();
                    matched = true;
                    break;
                }
            }
            if (!matched) {
                return std::nullopt;
            }
        }
        result = candidate;
    }
    return result;
#endif
}

} // namespace

std::string JoinSkinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    std::string result = folder;
    std::size_t skip = 0;
    while (skip < name.size() && IsSeparator(name[skip])) {
        ++skip;
    }
    if (!IsSeparator(result.back())) {
        result += '\\';
    }
    return result + name.substr(skip);
}

std::optional<std::string> FindExistingPath(const std::string& windowsPath) {
    if (windowsPath.empty()) {
        return std::nullopt;
    }
    const auto found = ResolveCaseInsensitive(NativePath(windowsPath));
    return found ? std::optional<std::string>(found->string()) : std::nullopt;
}

bool SkinFileExists(const std::string& windowsPath) {
    const auto found = FindExistingPath(windowsPath);
    std::error_code ec;
    return found && fs::is_regular_file(*found, ec);
}

bool SkinFolderExists(const std::string& windowsPath) {
    const auto found = FindExistingPath(windowsPath);
    std::error_code ec;
    return found && fs::is_directory(*found, ec);
}

std::optional<TacBytes> ReadSkinFile(const std::string& windowsPath) {
    const auto found = FindExistingPath(windowsPath);
    std::error_code ec;
    if (!found || !fs::is_regular_file(*found, ec)) {
        return std::nullopt;
    }
    std::ifstream file(fs::path(*found), std::ios::binary);
    if (!file) {
        throw EFileError("Cannot open file \"" + windowsPath + "\"");
    }
    TacBytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        throw EFileError("Stream read error");
    }
    return bytes;
}

std::optional<TacBytes> TsSkinFiles::Find(const std::string& name, const std::string& memberName) const {
    if (FPackage != nullptr) {
        const TacImageItem* member = FPackage->FindMember(memberName);
        return member ? std::optional<TacBytes>(member->Content) : std::nullopt;
    }
    return FindLoose(name);
}

std::optional<TacBytes> TsSkinFiles::FindLoose(const std::string& name) const {
    if (name.empty()) {
        return std::nullopt;
    }
    return ReadSkinFile(Contains(name, ":") ? name : FSkinFolder + name);
}

} // namespace sj

// Where a skin's image files come from: the members of a package, or loose files in
// the skin folder. Paths are Windows paths; natively backslashes are read as "/" and
// a file whose case differs from the name written in the skin is still found, as it
// would be on Windows.
#pragma once

#include "skin/data/acSkinPack.h"

#include <functional>
#include <optional>
#include <span>
#include <string>

namespace sj {

// `folder` joined with `name`, with exactly one separator between them.
std::string JoinSkinPath(const std::string& folder, const std::string& name);
// Answers the existing file or folder for a Windows path, or nullopt.
std::optional<std::string> FindExistingPath(const std::string& windowsPath);
bool SkinFileExists(const std::string& windowsPath);
bool SkinFolderExists(const std::string& windowsPath);
// The whole file, or nullopt when it does not exist. Throws EFileError when it exists
// but cannot be read.
std::optional<TacBytes> ReadSkinFile(const std::string& windowsPath);

class TsSkinFiles {
public:
    // Loose files under `skinFolder`, or the members of `package` when it is given.
    TsSkinFiles(std::string skinFolder, const TacSkinConvertor* package)
        : FSkinFolder(std::move(skinFolder)), FPackage(package) {}

    bool Packed() const { return FPackage != nullptr; }
    const std::string& SkinFolder() const { return FSkinFolder; }

    // A packed skin: the first member whose upper-cased name equals `memberName`.
    // A loose skin: `name` under the skin folder (unless it holds ":"), when it exists.
    std::optional<TacBytes> Find(const std::string& name, const std::string& memberName) const;
    // Only loose files, whatever the skin is (the manager's extra lines).
    std::optional<TacBytes> FindLoose(const std::string& name) const;

private:
    std::string FSkinFolder;
    const TacSkinConvertor* FPackage;
};

} // namespace sj

// skingen: draws the program's internal skins and writes them as skin packages.
//
//   skingen <output folder> [<preview folder>] [--only <skin name>]
//
// Writes "<name>.asz" for every skin, a list "skins.lst" of the names in the order
// the program stores them, and, when a preview folder is given, "<name>.png".
#include "SkinBuilder.h"
#include "Theme.h"
#include "platform/Exception.h"
#include "tools/common/PngWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

int Run(int argc, char** argv) {
    std::string outDir, previewDir, only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (outDir.empty())
            outDir = arg;
        else if (previewDir.empty())
            previewDir = arg;
        else
            throw sj::Exception("Unexpected argument " + arg);
    }
    if (outDir.empty())
        throw sj::Exception("Usage: skingen <output folder> [<preview folder>] [--only <skin name>]");
    std::filesystem::create_directories(outDir);
    if (!previewDir.empty())
        std::filesystem::create_directories(previewDir);

    std::string names;
    for (const sj::skingen::TSkinTheme& theme : sj::skingen::AllThemes()) {
        names += theme.FullName() + "\n";
        if (!only.empty() && theme.Name != only && theme.FullName() != only)
            continue;
        const sj::skingen::TBuiltSkin skin = sj::skingen::BuildSkin(theme);
        const std::vector<std::uint8_t> bytes = skin.Package();
        const std::string path = outDir + "/" + skin.Name + ".asz";
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!file)
            throw sj::EFileError("Cannot write file " + path);
        if (!previewDir.empty())
            sj::tools::WritePngFile(previewDir + "/" + skin.Name + ".png", skin.Preview);
    }
    // Written last: the build takes the list as the sign that every package is there.
    std::ofstream list(outDir + "/skins.lst", std::ios::binary | std::ios::trunc);
    list << names;
    if (!list)
        throw sj::EFileError("Cannot write file " + outDir + "/skins.lst");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skingen: %s\n", e.what());
        return 1;
    }
}

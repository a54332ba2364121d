// artgen: draws the program's artwork into a folder: icon.ico and the PNG pictures.
//
//   artgen <output folder>

#include "Artwork.h"
#include "IcoWriter.h"
#include "shell/SuppliedFiles.h"
#include "tools/common/PngWriter.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: artgen <output folder>\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    try {
        std::vector<sj::TacPixmap> icons;
        for (const int size : sj::art::AppIconSizes())
            icons.push_back(sj::art::DrawAppIcon(size));
        sj::art::WriteIcoFile(folder + sj::IconFileName, icons);
        for (const sj::art::TPicture& picture : sj::art::Pictures())
            sj::tools::WritePngFile(folder + picture.FileName, picture.Draw(picture.Size));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "artgen: %s\n", error.what());
        return 1;
    }
    return 0;
}

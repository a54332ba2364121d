// shadowgen OUTDIR: writes acSHDA.png (active) and acSHDI.png (inactive) there.
#include "tools/common/PngWriter.h"
#include "tools/shadowgen/ShadowImage.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: shadowgen OUTDIR\n");
        return 2;
    }
    try {
        std::string dir = argv[1];
        sj::tools::WritePngFile(dir + "/acSHDA.png", sj::tools::DrawShadowImage(true));
        sj::tools::WritePngFile(dir + "/acSHDI.png", sj::tools::DrawShadowImage(false));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "shadowgen: %s\n", error.what());
        return 1;
    }
    return 0;
}

// skininfo PATH [--json]: prints the model of one skin (a package file or a skin
// folder) as the skin manager loads it.
#include "SkinInfoReport.h"

#include <cstring>
#include <exception>
#include <iostream>
#include <string>

namespace {

int Usage() {
    std::cerr << "usage: skininfo PATH [--json]\n"
                 "  PATH  a skin package (.asz) or a skin folder holding Options.dat\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string path;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (path.empty()) {
            path = argv[i];
        } else {
            return Usage();
        }
    }
    if (path.empty()) {
        return Usage();
    }
    try {
        sj::TsSkinCore core;
        sj::tools::LoadSkinForReport(path, core);
        if (json) {
            sj::tools::WriteJsonReport(core, std::cout);
        } else {
            sj::tools::WriteTextReport(core, std::cout);
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}

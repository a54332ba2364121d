// skinpaint: paints a skin's section faces into PNG files for skin authors and reviewers.
#include "SkinPaintCli.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return sj::tools::skinpaint::Run(args, std::cout, std::cerr);
}

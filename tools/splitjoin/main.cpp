// splitjoin: cuts a file into part files and joins them back from the command line,
// with the same engine and the same part files as the window.
#include "SplitJoinCli.h"

#include <cstdio>
#include <iostream>
#ifdef _WIN32
#include <io.h>
#define SJ_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define SJ_ISATTY(fd) isatty(fd)
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool stderrIsTerminal = SJ_ISATTY(2) != 0;
    return sj::cli::Run(args, std::cout, std::cerr, stderrIsTerminal);
}

// splitjoin: cuts a file into part files and joins them back from the command line,
// with the same engine and the same part files as the window.
#include "Interrupt.h"
#include "SplitJoinCli.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>
#ifdef _WIN32
#include <io.h>
#define SJ_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define SJ_ISATTY(fd) isatty(fd)
#endif

namespace {

// The tests interrupt a job while it runs; this environment variable (not meant for
// users, so not in --help) makes each copy take at least so many milliseconds.
std::chrono::milliseconds TestThrottle() {
    const char* value = std::getenv("SPLITJOIN_TEST_THROTTLE_MS");
    return std::chrono::milliseconds(value != nullptr ? std::atoi(value) : 0);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool stderrIsTerminal = SJ_ISATTY(2) != 0;
    sj::cli::InstallInterruptHandler();
    const std::chrono::milliseconds throttle = TestThrottle();
    auto cancel = [throttle] {
        if (throttle.count() > 0) {
            std::this_thread::sleep_for(throttle);
        }
        return sj::cli::InterruptRequested();
    };
    int code = sj::cli::Run(args, std::cout, std::cerr, stderrIsTerminal, cancel);
    sj::cli::JobEnded();
    return code;
}

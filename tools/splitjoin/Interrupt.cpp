#include "Interrupt.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace sj::cli {

namespace {

// Lock-free, so a signal handler may set it.
std::atomic<bool> interrupted{false};
std::atomic<bool> ended{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#ifdef _WIN32
BOOL WINAPI OnConsoleControl(DWORD event) {
    interrupted = true;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        return TRUE;
    }
    // Closing the console, logging off or shutting down ends the process as soon as
    // this returns: give the job a few seconds to remove what it wrote.
    for (int waited = 0; waited < 4000 && !ended; waited += 20) {
        ::Sleep(20);
    }
    return TRUE;
}
#else
extern "C" void OnSignal(int) { interrupted = true; }
#endif

} // namespace

void InstallInterruptHandler() {
#ifdef _WIN32
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

bool InterruptRequested() { return interrupted; }

void JobEnded() { ended = true; }

} // namespace sj::cli

// Ctrl+C for the command-line tool: SIGINT and SIGTERM natively, the console's
// control events on Windows. Either only notes the request; the running job sees it
// at its next copy, cleans up and ends with ExitCancelled.
#pragma once

namespace sj::cli {

void InstallInterruptHandler();
bool InterruptRequested();
// Called when the job has cleaned up, so a console that is closing may end the
// process (Windows waits for this after a close event).
void JobEnded();

} // namespace sj::cli

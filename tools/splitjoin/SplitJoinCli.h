// The "splitjoin" command line: argument parsing, the three commands (split, join,
// info) and their output. Kept apart from main() so tests can run it in-process.
#pragma once

#include "engine/JobControl.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sj::cli {

// ExitCancelled is what shells report for a program ended by Ctrl+C (128 + SIGINT).
enum TExitCode { ExitOk = 0, ExitFailure = 1, ExitUsage = 2, ExitCancelled = 130 };

// A byte count, a number with KB, MB or GB (binary multiples, fraction allowed,
// product truncated) or a preset name. Values too large to hold saturate at 2^63-1
// so the engine's own limit reports them. Empty when the text is none of these.
std::optional<int64_t> ParsePartSize(std::string_view text);

// Runs one command line (without the program name). showProgress enables the
// progress line on err. cancel is asked between copies; when it answers true the job
// cleans up, its message goes to err and the result is ExitCancelled.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool showProgress,
        const TCancelQuery& cancel = {});

} // namespace sj::cli

// The process's peak resident memory, to show that a decoder refused a hostile file
// before allocating the image its header claims.
#pragma once

#include <cstdint>

#ifdef __linux__
#include <sys/resource.h>
#endif

namespace sj::test {

// Kilobytes, or -1 where the system does not tell.
inline std::int64_t PeakResidentKilobytes() {
#ifdef __linux__
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0)
        return usage.ru_maxrss;
#endif
    return -1;
}

// True when the peak grew by less than `kilobytes` since `before` (or cannot be known).
inline bool PeakGrewLessThan(std::int64_t before, std::int64_t kilobytes) {
    const std::int64_t after = PeakResidentKilobytes();
    return before < 0 || after < 0 || after - before < kilobytes;
}

} // namespace sj::test

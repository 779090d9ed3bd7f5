#pragma once

#include <time.h>

namespace kell::testing {

// Processor time of the whole process so far, in seconds: what a wait cost, as against how long
// it took.
inline double ProcessCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace kell::testing

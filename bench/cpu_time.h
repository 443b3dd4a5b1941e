#pragma once
// Processor time for the benchmarks: CLOCK_PROCESS_CPUTIME_ID for the whole process,
// CLOCK_THREAD_CPUTIME_ID for the calling thread.

#include <time.h>

namespace yatbench {

inline double cpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace yatbench

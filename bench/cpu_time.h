// CPU time of the calling thread or of the whole process: on a shared
// machine it measures the work itself, not the wait for a core.
#pragma once

#include <time.h>

namespace bench {

inline double CpuSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

inline double ThreadCpuSeconds() { return CpuSeconds(CLOCK_THREAD_CPUTIME_ID); }

}  // namespace bench

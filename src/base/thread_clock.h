// Clocks for measuring where a run spends its time: the CPU time of the
// calling thread, and a monotonic wall clock.
#pragma once

#include <time.h>

#include <chrono>

namespace kov {

/// CPU seconds (user and system) that the calling thread has used so far.
inline double threadCpuSeconds() {
  timespec now{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) return 0;
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

/// Seconds on a monotonic clock, from an arbitrary start.
inline double wallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace kov

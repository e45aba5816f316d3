#pragma once
// CLOCK_MONOTONIC is one clock for every process on the machine, so a time
// read in a child can be set against the moment its parent launched it.
#include <ctime>
#include <cstdint>

namespace bench {

inline std::int64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

inline double MillisecondsBetween(std::int64_t startNs, std::int64_t endNs) {
  return static_cast<double>(endNs - startNs) / 1e6;
}

}  // namespace bench

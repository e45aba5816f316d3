#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

#include "query/query_outcome.h"

namespace exporter {

struct ProbeResult {
  std::optional<QueryOutcome> outcome;  // nothing when the deadline came first
  double durationSeconds = 0;
};

// Asks one server as the many-server engine does (its echo and its status
// request side by side, with their usual limits) on the calling thread, and
// gives up at `deadline` or once `stopping` is set: the waits in progress
// then end within one of their slices.
ProbeResult RunProbe(std::uint32_t target, std::chrono::steady_clock::time_point deadline,
                     const std::atomic<bool>& stopping);

}  // namespace exporter

#pragma once
#include <atomic>
#include <cstdint>
#include <string>

namespace exporter {

enum class Refusal { Forbidden, Busy, BadRequest };

// The exporter's own counters, shown at /metrics; updated from every worker.
class ExporterCounters {
 public:
  // Takes a place for a probe when fewer than `limit` run; false when none is free.
  bool TryStartProbe(std::uint64_t limit);
  void EndProbe(bool success);
  void Refused(Refusal reason);
  std::string Exposition() const;

 private:
  std::atomic<std::uint64_t> m_inFlight{0};
  std::atomic<std::uint64_t> m_succeeded{0};
  std::atomic<std::uint64_t> m_failed{0};
  std::atomic<std::uint64_t> m_forbidden{0};
  std::atomic<std::uint64_t> m_busy{0};
  std::atomic<std::uint64_t> m_badRequest{0};
};

}  // namespace exporter

#include "query/echo_round.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "icmp/echo_call_resources.h"
#include "platform/icmp/echo_batch.h"
#include "platform/icmp/icmp_diagnostics.h"
#include "query/query_messages.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kEchoTimeoutMs = 5000;
// Echoes leave at most this often, as the status requests do.
constexpr auto kSpacing = std::chrono::microseconds(500);

// What the dialog says when no echo handle could be had: no echo was sent.
CString RefusalText(const icmp::OpenFailureInfo& failure) {
  return EchoNotSentText(icmp::OpenFailureAdvice(failure).c_str());
}

class Round {
 public:
  Round(const std::vector<std::optional<IPAddr>>& destinations, std::size_t parallel, icmp::EchoBatch& batch,
        std::vector<EchoResult>& results)
      : m_destinations(destinations), m_parallel(parallel), m_batch(batch), m_results(results) {}

  // Starts as many echoes as spacings have passed since the first (so that a
  // late wake-up catches up), while fewer than the allowed number are in
  // flight, and takes in their outcomes meanwhile.
  void Run() {
    const Clock::time_point start = Clock::now();
    std::size_t started = 0;
    while (m_next < m_destinations.size() || m_batch.InFlight() > 0) {
      const auto due = static_cast<std::size_t>((Clock::now() - start) / kSpacing) + 1;
      while (m_next < m_destinations.size() && started < due && m_batch.InFlight() < m_parallel) {
        if (StartNext()) ++started;
      }
      const bool moreToStart = m_next < m_destinations.size() && m_batch.InFlight() < m_parallel;
      if (moreToStart && m_batch.InFlight() == 0) {
        std::this_thread::sleep_until(start +
                                      static_cast<long>(started) * kSpacing);  // nothing to wait for but the next start
        continue;
      }
      for (const icmp::EchoOutcome& outcome : m_batch.Wait(moreToStart ? 1 : -1)) Take(outcome);
    }
  }

 private:
  bool StartNext() {
    const std::size_t index = m_next++;
    if (!m_destinations[index]) return false;
    m_batch.Start(index, *m_destinations[index], m_request.Data(), icmp_detail::EchoRequest::kSize, kEchoTimeoutMs);
    return true;
  }

  void Take(const icmp::EchoOutcome& outcome) {
    if (outcome.tag >= m_results.size() || outcome.status != IP_SUCCESS) return;
    EchoResult& result = m_results[outcome.tag];
    result.replied = true;
    result.roundTripMs = outcome.roundTripMs;
    result.roundTripMicroseconds = outcome.roundTripMicroseconds;
  }

  const std::vector<std::optional<IPAddr>>& m_destinations;
  const std::size_t m_parallel;
  icmp::EchoBatch& m_batch;
  std::vector<EchoResult>& m_results;
  icmp_detail::EchoRequest m_request;  // the same 59 bytes as the dialog's echo
  std::size_t m_next = 0;
};

}  // namespace

EchoRoundReport RunEchoRound(const std::vector<std::optional<IPAddr>>& destinations, std::size_t nParallel) {
  EchoRoundReport report;
  report.results.resize(destinations.size());
  const bool anyToAsk =
      std::any_of(destinations.begin(), destinations.end(), [](const auto& d) { return d.has_value(); });
  if (!anyToAsk) return report;
  icmp::OpenFailureInfo failure;
  const std::unique_ptr<icmp::EchoBatch> batch = icmp::EchoBatch::Open(failure);
  if (!batch) {
    report.strRefusal = RefusalText(failure);
    return report;
  }
  Round(destinations, std::max<std::size_t>(nParallel, 1), *batch, report.results).Run();
  return report;
}

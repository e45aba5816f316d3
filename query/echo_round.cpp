#include "query/echo_round.h"

#include <algorithm>

#include "platform/icmp/icmp_diagnostics.h"
#include "query/query_messages.h"

namespace {

using Clock = CEchoRound::Clock;

constexpr DWORD kEchoTimeoutMs = 5000;
// Echoes leave at most this often, as the status requests do.
constexpr auto kSpacing = std::chrono::microseconds(500);

// What the dialog says when no echo handle could be had: no echo was sent.
CString RefusalText(const icmp::OpenFailureInfo& failure) {
  return EchoNotSentText(icmp::OpenFailureAdvice(failure).c_str());
}

}  // namespace

CEchoRound::CEchoRound(std::vector<IPAddr> destinations, std::size_t nParallel, DoneCallback onDone)
    : m_destinations(std::move(destinations)), m_parallel(std::max<std::size_t>(nParallel, 1)),
      m_onDone(std::move(onDone)) {}

void CEchoRound::Open() {
  if (m_destinations.empty()) return;
  icmp::OpenFailureInfo failure;
  m_batch = icmp::EchoBatch::Open(failure);
  if (m_batch) return;
  m_strRefusal = RefusalText(failure);
  for (; m_next < m_destinations.size(); ++m_next) m_onDone(m_next, EchoResult{});
}

// Starts as many echoes as spacings have passed since the first (so that a
// late wake-up catches up), while fewer than the allowed number are in flight.
void CEchoRound::StartDue(Clock::time_point now) {
  if (!m_batch) return;
  if (m_started == 0) m_firstStart = now;
  const auto due = static_cast<std::size_t>((now - m_firstStart) / kSpacing) + 1;
  while (m_next < m_destinations.size() && m_started < due && m_batch->InFlight() < m_parallel) {
    const std::size_t index = m_next++;
    m_batch->Start(index, m_destinations[index], m_request.Data(), icmp_detail::EchoRequest::kSize, kEchoTimeoutMs);
    ++m_started;
  }
}

Clock::time_point CEchoRound::NextStart() const {
  if (!m_batch || m_next == m_destinations.size() || m_batch->InFlight() >= m_parallel) {
    return Clock::time_point::max();
  }
  return m_firstStart + static_cast<long>(m_started) * kSpacing;
}

void CEchoRound::Take(const std::vector<icmp::EchoOutcome>& outcomes) {
  for (const icmp::EchoOutcome& outcome : outcomes) {
    if (outcome.tag >= m_destinations.size()) continue;
    EchoResult result;
    if (outcome.status == IP_SUCCESS) {
      result.replied = true;
      result.roundTripMs = outcome.roundTripMs;
      result.roundTripMicroseconds = outcome.roundTripMicroseconds;
    }
    m_onDone(outcome.tag, result);
  }
}

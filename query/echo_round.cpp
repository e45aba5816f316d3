#include "query/echo_round.h"

#include <algorithm>

#include "platform/icmpapi/icmp_diagnostics.h"
#include "query/query_messages.h"

namespace {

constexpr DWORD kEchoTimeoutMs = 5000;

// What the dialog says when no echo handle could be had: no echo was sent.
CString RefusalText(const icmpapi::OpenFailureInfo& failure) {
  return EchoNotSentText(icmpapi::OpenFailureAdvice(failure).c_str());
}

}  // namespace

CEchoRound::CEchoRound(std::vector<IPAddr> destinations, std::size_t nParallel, DoneCallback onDone)
    : m_destinations(std::move(destinations)),
      m_parallel(std::max<std::size_t>(nParallel, 1)),
      m_onDone(std::move(onDone)) {}

void CEchoRound::Open() {
  if (m_destinations.empty()) return;
  icmpapi::OpenFailureInfo failure;
  m_batch = icmpapi::EchoBatch::Open(failure);
  if (m_batch) return;
  m_strRefusal = RefusalText(failure);
  for (; m_next < m_destinations.size(); ++m_next) m_onDone(m_next, ServerEcho{});
}

bool CEchoRound::CanStart() const {
  return m_batch && m_next < m_destinations.size() && m_batch->InFlight() < m_parallel;
}

void CEchoRound::StartNext() {
  const std::size_t index = m_next++;
  m_batch->Start(index, m_destinations[index], m_request.Data(), probe::EchoRequestData::kSize, kEchoTimeoutMs);
}

void CEchoRound::Take(const std::vector<icmpapi::EchoOutcome>& outcomes) {
  for (const icmpapi::EchoOutcome& outcome : outcomes) {
    if (outcome.tag >= m_destinations.size()) continue;
    ServerEcho result;
    if (outcome.status == IP_SUCCESS) {
      result.replied = true;
      result.roundTripMs = outcome.roundTripMs;
      result.roundTripMicroseconds = outcome.roundTripMicroseconds;
    }
    m_onDone(outcome.tag, result);
  }
}

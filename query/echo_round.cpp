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

CEchoRound::CEchoRound(std::size_t nParallel, DoneCallback onDone)
    : m_parallel(std::max<std::size_t>(nParallel, 1)), m_onDone(std::move(onDone)) {}

void CEchoRound::Add(IPAddr destination) {
  m_destinations.push_back(destination);
  if (!m_opened) Open();
  if (!m_batch) m_onDone(m_next++, ServerEcho{});  // no transport: never sent
}

void CEchoRound::Open() {
  m_opened = true;
  icmpapi::OpenFailureInfo failure;
  m_batch = icmpapi::EchoBatch::Open(failure);
  if (!m_batch) m_strRefusal = RefusalText(failure);
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

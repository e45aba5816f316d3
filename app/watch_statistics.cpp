#include "app/watch_statistics.h"

#include <algorithm>
#include <cmath>

#include "query/query_messages.h"

namespace {

// The batch reports text that names no server with this message alone,
// and sends nothing for it.
bool WasAsked(const QueryOutcome& outcome) {
  return std::find(outcome.messages.begin(), outcome.messages.end(), CString(kInvalidAddressText)) ==
         outcome.messages.end();
}

}  // namespace

void CWatchStatistics::AddRound(const QueryOutcome& outcome) {
  ++m_rounds;
  m_lastRoundTrip = outcome.rttMicroseconds;
  if (!WasAsked(outcome)) return;
  ++m_asked;
  if (outcome.rttMicroseconds >= 0) {
    const long long rtt = outcome.rttMicroseconds;
    m_minRoundTrip = m_echoesAnswered == 0 ? rtt : std::min(m_minRoundTrip, rtt);
    m_maxRoundTrip = m_echoesAnswered == 0 ? rtt : std::max(m_maxRoundTrip, rtt);
    ++m_echoesAnswered;
    m_sumRoundTrip += static_cast<double>(rtt);
    m_sumSquaredRoundTrip += static_cast<double>(rtt) * static_cast<double>(rtt);
  }
  if (outcome.detected) {
    ++m_statusAnswered;
    m_host = outcome.m_strHost;
    m_players = outcome.m_strPlayers;
    m_timeLeft = outcome.m_strTimeLeft;
  }
}

std::optional<RoundTripFigures> CWatchStatistics::RoundTrips() const {
  if (m_echoesAnswered == 0) return std::nullopt;
  const auto count = static_cast<double>(m_echoesAnswered);
  const double mean = m_sumRoundTrip / count;
  // Rounding can make the difference a hair below zero when every echo took as long.
  const double variance = std::max(0.0, m_sumSquaredRoundTrip / count - mean * mean);
  // The processor's square root (this file is built without errno for
  // maths), not libm's, which the program would otherwise load at every start.
  return RoundTripFigures{m_minRoundTrip, m_maxRoundTrip, mean, std::sqrt(variance)};
}

std::optional<double> CWatchStatistics::LossPercent(std::size_t sent, std::size_t answered) {
  if (sent == 0) return std::nullopt;
  return 100.0 * static_cast<double>(sent - answered) / static_cast<double>(sent);
}

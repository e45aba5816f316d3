#pragma once
#include <cstddef>
#include <optional>

#include "platform/framework/cstring.h"
#include "query/query_outcome.h"

// One server's figures over the rounds of --watch, as ping keeps them: sums
// rather than samples, so that a watch of days takes no more memory than
// one of a minute.
struct RoundTripFigures {
  long long minMicroseconds = 0;
  long long maxMicroseconds = 0;
  double avgMicroseconds = 0;
  double mdevMicroseconds = 0;  // sqrt(mean(x^2) - mean(x)^2), ping's "mdev"
};

class CWatchStatistics {
 public:
  // A round of the server is over. An address that is none was not asked:
  // it counts as a round, but nothing was sent.
  void AddRound(const QueryOutcome& outcome);
  // The server was still waiting on an earlier round when one began: that
  // round counts neither as asked nor as lost.
  void AddSkipped() { ++m_skipped; }

  std::size_t Rounds() const { return m_rounds; }
  std::size_t Skipped() const { return m_skipped; }
  // Each round asked sends one echo and one status request.
  std::size_t EchoesSent() const { return m_asked; }
  std::size_t EchoesAnswered() const { return m_echoesAnswered; }
  std::size_t StatusAnswered() const { return m_statusAnswered; }
  // Per cent of those sent that got no answer; none while nothing was sent.
  std::optional<double> EchoLossPercent() const { return LossPercent(m_asked, m_echoesAnswered); }
  std::optional<double> StatusLossPercent() const { return LossPercent(m_asked, m_statusAnswered); }
  // The last round's echo, -1 when it got no answer (or none was sent yet).
  long long LastRoundTripMicroseconds() const { return m_lastRoundTrip; }
  // Over every echo answered; none before the first.
  std::optional<RoundTripFigures> RoundTrips() const;

  // The last status reply's texts; empty before the first.
  const CString& Host() const { return m_host; }
  const CString& Players() const { return m_players; }
  const CString& TimeLeft() const { return m_timeLeft; }

 private:
  static std::optional<double> LossPercent(std::size_t sent, std::size_t answered);

  std::size_t m_rounds = 0;
  std::size_t m_skipped = 0;
  std::size_t m_asked = 0;
  std::size_t m_echoesAnswered = 0;
  std::size_t m_statusAnswered = 0;
  long long m_lastRoundTrip = -1;
  long long m_minRoundTrip = 0;
  long long m_maxRoundTrip = 0;
  double m_sumRoundTrip = 0;
  double m_sumSquaredRoundTrip = 0;
  CString m_host;
  CString m_players;
  CString m_timeLeft;
};

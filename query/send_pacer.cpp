#include "query/send_pacer.h"

#include <algorithm>

namespace {

// Replies found waiting at one read: above the first the sends slow down
// (halving the rate), below the second they speed up a little.
constexpr std::size_t kFallingBehind = 64;
constexpr std::size_t kKeepingUp = 8;
// Speeding up takes a sixteenth off the spacing.
constexpr int kSpeedUpKept = 15;
constexpr int kSpeedUpOf = 16;

}  // namespace

void CSendPacer::Sent(Clock::time_point now) {
  // A send that is late may make up for at most a short burst; the first
  // has nothing to make up for.
  const long burst = m_nextAt == Clock::time_point{} ? 0 : static_cast<long>(kLongestBurst);
  const Clock::time_point earliest = now - burst * m_spacing;
  m_nextAt = std::max(m_nextAt, earliest) + m_spacing;
}

void CSendPacer::RepliesWaiting(std::size_t read) {
  if (read >= kFallingBehind) {
    m_spacing = std::min(m_spacing * 2, kLongestSpacing);
  } else if (read <= kKeepingUp) {
    m_spacing = std::max(m_spacing * kSpeedUpKept / kSpeedUpOf, kShortestSpacing);
  }
}

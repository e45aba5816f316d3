#pragma once
#include <chrono>
#include <cstddef>

// How fast a many-server run sends: each server's echo and status request
// leave together, a little after the previous server's. The spacing adapts
// to how well the receiving side keeps up: when replies pile up in a socket
// between two reads, sends slow down; while they are read as they come,
// sends speed up again. Sends that fell behind (a late wake-up) catch up in
// a short burst, never in a flood.
class CSendPacer {
 public:
  using Clock = std::chrono::steady_clock;
  using Spacing = std::chrono::nanoseconds;

  static constexpr Spacing kStartSpacing = std::chrono::microseconds(50);
  static constexpr Spacing kShortestSpacing = std::chrono::microseconds(20);
  static constexpr Spacing kLongestSpacing = std::chrono::milliseconds(1);
  static constexpr std::size_t kLongestBurst = 32;

  // True when a send may go now.
  bool Due(Clock::time_point now) const { return now >= m_nextAt; }
  // One send went now.
  void Sent(Clock::time_point now);
  // When the next send may go.
  Clock::time_point NextAt() const { return m_nextAt; }

  // `read` replies were waiting in a socket at one read: many mean the
  // receiving side falls behind.
  void RepliesWaiting(std::size_t read);

  Spacing spacing() const { return m_spacing; }

 private:
  Spacing m_spacing = kStartSpacing;
  Clock::time_point m_nextAt{};
};

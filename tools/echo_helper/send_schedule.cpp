#include "tools/echo_helper/send_schedule.h"

#include <algorithm>

namespace echo_helper {

namespace helper = icmpapi::helper;

void SendSchedule::Add(helper::Request request, Clock::time_point now) {
  ForgetIdle(now);
  const std::uint32_t destination = request.destination;
  Destination& entry = m_destinations[destination];
  // A time-out of 0 still gets its one try when nothing holds it back.
  const auto limit = std::max(std::chrono::milliseconds(request.timeoutMs), std::chrono::milliseconds(1));
  Waiting waiting{std::move(request), now, now + limit, m_nextOrder++};
  m_giveUps.emplace(waiting.giveUp, waiting.order, destination);
  entry.queue.push_back(std::move(waiting));
  if (entry.queue.size() == 1) m_turns.insert(TurnOf(destination, entry));
  ++m_waitingCount;
}

std::vector<std::uint64_t> SendSchedule::TakeExpired(Clock::time_point now) {
  std::vector<std::uint64_t> tags;
  while (!m_giveUps.empty() && std::get<0>(*m_giveUps.begin()) <= now) {
    const auto [giveUp, order, destination] = *m_giveUps.begin();
    Destination& entry = m_destinations.at(destination);
    const auto at = std::find_if(entry.queue.begin(), entry.queue.end(),
                                 [order = order](const Waiting& waiting) { return waiting.order == order; });
    const auto index = static_cast<std::size_t>(at - entry.queue.begin());
    if (index == 0) m_turns.erase(TurnOf(destination, entry));
    tags.push_back(TakeOut(destination, entry, index, now).request.tag);
    if (index == 0 && !entry.queue.empty()) m_turns.insert(TurnOf(destination, entry));
  }
  ForgetIdle(now);
  return tags;
}

std::optional<helper::Request> SendSchedule::TakeDue(Clock::time_point now) {
  if (now < m_nextSend || m_turns.empty() || std::get<0>(*m_turns.begin()) > now) return std::nullopt;
  const std::uint32_t destination = std::get<2>(*m_turns.begin());
  m_turns.erase(m_turns.begin());
  Destination& entry = m_destinations.at(destination);
  Waiting waiting = TakeOut(destination, entry, 0, now);
  entry.nextTurn = now + kMinDestinationSpacing;
  // After a pause, a short burst may make up for it; never more.
  const auto burst = helper::kSendBurst * kMinSendSpacing;
  m_nextSend = std::max(m_nextSend, now - burst) + kMinSendSpacing;
  if (!entry.queue.empty()) m_turns.insert(TurnOf(destination, entry));
  const long long waited = std::chrono::floor<std::chrono::milliseconds>(now - waiting.read).count();
  waiting.request.timeoutMs -= static_cast<std::uint32_t>(std::min<long long>(waited, waiting.request.timeoutMs));
  return std::move(waiting.request);
}

SendSchedule::Clock::time_point SendSchedule::NextWake() const {
  Clock::time_point wake = Clock::time_point::max();
  if (!m_turns.empty()) wake = std::max(std::get<0>(*m_turns.begin()), m_nextSend);
  if (!m_giveUps.empty()) wake = std::min(wake, std::get<0>(*m_giveUps.begin()));
  return wake;
}

// A destination may send when its spacing has ended, and its first request
// not before it came.
SendSchedule::Event SendSchedule::TurnOf(std::uint32_t destination, const Destination& entry) {
  const Waiting& first = entry.queue.front();
  return {std::max(entry.nextTurn, first.read), first.order, destination};
}

// The caller keeps the destination's turn right when it takes the first.
SendSchedule::Waiting SendSchedule::TakeOut(std::uint32_t destination, Destination& entry, std::size_t index,
                                            Clock::time_point now) {
  const auto at = entry.queue.begin() + static_cast<std::ptrdiff_t>(index);
  m_giveUps.erase({at->giveUp, at->order, destination});
  Waiting waiting = std::move(*at);
  entry.queue.erase(at);
  --m_waitingCount;
  if (entry.queue.empty()) m_idleChecks.emplace_back(now + kMinDestinationSpacing, destination);
  return waiting;
}

// A destination with nothing waiting and its spacing over is as good as new.
void SendSchedule::ForgetIdle(Clock::time_point now) {
  while (!m_idleChecks.empty() && m_idleChecks.front().first <= now) {
    const auto found = m_destinations.find(m_idleChecks.front().second);
    if (found != m_destinations.end() && found->second.queue.empty() && found->second.nextTurn <= now) {
      m_destinations.erase(found);
    }
    m_idleChecks.pop_front();
  }
}

}  // namespace echo_helper

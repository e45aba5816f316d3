#include "query/status_round.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <queue>
#include <unordered_map>

#include "protocol/blocking_socket.h"
#include "protocol/status_request.h"
#include "query/socket_failure_text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kSendWait = std::chrono::seconds(2);
constexpr auto kReplyWait = std::chrono::seconds(5);
// Between two requests, and before a request whose send would block is tried again.
constexpr auto kSpacing = std::chrono::microseconds(500);
constexpr std::size_t kExchangesPerSocket = 128;
constexpr std::size_t kMaxSockets = 16;
constexpr int kReceiveBufferBytes = 1 << 20;  // asked for; the system may give less
constexpr int kReadsPerWake = 256;

std::uint64_t KeyOf(const sockaddr_in& address) {
  return (static_cast<std::uint64_t>(address.sin_addr.s_addr) << 16) | address.sin_port;
}

struct RoundSocket {
  SOCKET handle = INVALID_SOCKET;
  std::unordered_map<std::uint64_t, std::size_t> inFlight;  // destination -> exchange
};

struct Deadline {
  Clock::time_point when;
  std::size_t exchange;
  bool operator>(const Deadline& other) const { return when > other.when; }
};

class Round {
 public:
  Round(const std::vector<std::optional<sockaddr_in>>& destinations, std::size_t parallel,
        std::vector<StatusExchange>& results)
      : m_destinations(destinations), m_parallel(parallel), m_results(results), m_socketOf(destinations.size(), -1) {
    for (std::size_t i = 0; i < destinations.size(); ++i) {
      if (destinations[i]) m_waiting.push_back(i);
    }
  }
  ~Round() {
    for (RoundSocket& socket : m_sockets) closesocket(socket.handle);
  }
  Round(const Round&) = delete;
  Round& operator=(const Round&) = delete;

  void Run() {
    if (m_waiting.empty() || !OpenSockets()) return;
    for (;;) {
      SendDue(Clock::now());
      if (m_waiting.empty() && m_inFlight == 0) return;  // the last sends may have failed at once
      Wait();
      Expire(Clock::now());
    }
  }

 private:
  // Enough sockets for the exchanges allowed at once, and one for each copy
  // of an address given several times, since a socket asks a destination
  // once at a time.
  std::size_t SocketCount() const {
    const std::size_t atOnce = std::min(m_parallel, m_waiting.size());
    std::unordered_map<std::uint64_t, std::size_t> copies;
    std::size_t mostCopies = 0;
    for (const std::size_t exchange : m_waiting) {
      mostCopies = std::max(mostCopies, ++copies[KeyOf(*m_destinations[exchange])]);
    }
    const std::size_t needed = std::max((atOnce + kExchangesPerSocket - 1) / kExchangesPerSocket, mostCopies);
    return std::clamp<std::size_t>(std::min(needed, atOnce), 1, kMaxSockets);
  }

  bool OpenSockets() {
    for (std::size_t i = SocketCount(); i > 0; --i) {
      RoundSocket socket;
      socket.handle = ::socket(AF_INET, SOCK_DGRAM, 0);
      if (socket.handle == INVALID_SOCKET) break;
      u_long nonBlocking = 1;
      ioctlsocket(socket.handle, FIONBIO, &nonBlocking);
      const int size = kReceiveBufferBytes;
      setsockopt(socket.handle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
      m_sockets.push_back(std::move(socket));
    }
    if (!m_sockets.empty()) return true;
    const CString failure = SocketFailureText("Create", WSAGetLastError());
    for (const std::size_t exchange : m_waiting) m_results[exchange].strFailure = failure;
    m_waiting.clear();
    return false;
  }

  // Sends what is due: as many requests as spacings have passed since the
  // first (so that a late wake-up catches up), while fewer than the allowed
  // number are in flight.
  void SendDue(Clock::time_point now) {
    if (m_sent == 0) m_firstSend = now;
    if (now < m_retryAt) return;
    const auto due = static_cast<std::size_t>((now - m_firstSend) / kSpacing) + 1;
    std::size_t later = 0;
    for (std::size_t tries = m_waiting.size(); tries > 0 && m_sent < due && m_inFlight < m_parallel; --tries) {
      const std::size_t exchange = m_waiting.front();
      m_waiting.pop_front();
      switch (TrySend(exchange, now)) {
        case SendResult::Sent: ++m_sent; break;
        case SendResult::Failed: break;
        case SendResult::Later:  // the others may go meanwhile
          m_waiting.push_back(exchange);
          ++later;
          break;
        case SendResult::Blocked:
          m_waiting.push_front(exchange);
          m_retryAt = now + kSpacing;
          m_onlyLaterLeft = false;
          return;
      }
    }
    // Nothing can go before an exchange in flight ends: no wake-up for sending.
    m_onlyLaterLeft = !m_waiting.empty() && later == m_waiting.size();
  }

  Clock::time_point NextSend() const {
    return std::max<Clock::time_point>(m_retryAt, m_firstSend + static_cast<long>(m_sent) * kSpacing);
  }

  enum class SendResult { Sent, Failed, Later, Blocked };

  SendResult TrySend(std::size_t exchange, Clock::time_point now) {
    const sockaddr_in& destination = *m_destinations[exchange];
    RoundSocket* socket = FreeSocketFor(KeyOf(destination));
    if (socket == nullptr) return SendResult::Later;  // the same destination is being asked on every socket
    const auto [first, inserted] = m_firstTry.try_emplace(exchange, now);
    if (now - first->second >= kSendWait) return Fail(exchange, SocketFailureText(kSendTimeoutText, 0));
    const int sent = sendto(socket->handle, kStatusRequestText.data(), static_cast<int>(kStatusRequestLength), 0,
                            reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return SendResult::Blocked;
    if (sent == SOCKET_ERROR) return Fail(exchange, SocketFailureText("SendDatagram", WSAGetLastError()));
    socket->inFlight.emplace(KeyOf(destination), exchange);
    m_socketOf[exchange] = static_cast<int>(socket - m_sockets.data());
    m_deadlines.push({now + kReplyWait, exchange});
    ++m_inFlight;
    return SendResult::Sent;
  }

  SendResult Fail(std::size_t exchange, const CString& failure) {
    m_results[exchange].strFailure = failure;
    return SendResult::Failed;
  }

  RoundSocket* FreeSocketFor(std::uint64_t key) {
    for (std::size_t i = 0; i < m_sockets.size(); ++i) {
      RoundSocket& socket = m_sockets[(m_nextSocket + i) % m_sockets.size()];
      if (!socket.inFlight.contains(key)) {
        m_nextSocket = (m_nextSocket + i + 1) % m_sockets.size();
        return &socket;
      }
    }
    return nullptr;
  }

  // Until a reply arrives, the next request is due or a reply wait ends.
  void Wait() {
    const Clock::time_point now = Clock::now();
    Clock::time_point until = now + kReplyWait;
    if (!m_deadlines.empty()) until = std::min(until, m_deadlines.top().when);
    if (!m_waiting.empty() && m_inFlight < m_parallel && !m_onlyLaterLeft) until = std::min(until, NextSend());
    const auto wait = std::chrono::ceil<std::chrono::microseconds>(std::max(until - now, Clock::duration::zero()));
    fd_set readable{};
    for (const RoundSocket& socket : m_sockets) FD_SET(socket.handle, &readable);
    timeval timeout{static_cast<long>(wait.count() / 1000000), static_cast<long>(wait.count() % 1000000)};
    if (select(0, &readable, nullptr, nullptr, &timeout) <= 0) return;
    for (RoundSocket& socket : m_sockets) {
      if (FD_ISSET(socket.handle, &readable)) ReadSocket(socket);
    }
  }

  void ReadSocket(RoundSocket& socket) {
    char buffer[kStatusReplyBufferSize];
    for (int i = 0; i < kReadsPerWake; ++i) {
      sockaddr_in sender{};
      int senderLength = sizeof sender;
      const int received = recvfrom(socket.handle, buffer, static_cast<int>(sizeof buffer), 0,
                                    reinterpret_cast<sockaddr*>(&sender), &senderLength);
      const int error = received == SOCKET_ERROR ? WSAGetLastError() : 0;
      if (error == WSAEWOULDBLOCK) return;
      if (error != 0 && error != WSAEMSGSIZE) continue;  // nothing to tell whose it was
      const auto match = socket.inFlight.find(KeyOf(sender));
      if (match == socket.inFlight.end()) continue;  // not from a server asked on this socket
      const std::size_t exchange = match->second;
      if (error == WSAEMSGSIZE) {
        m_results[exchange].strFailure = SocketFailureText("ReceiveDatagram", error);
      } else {
        m_results[exchange].reply.assign(buffer, buffer + received);
        m_results[exchange].replied = true;
      }
      Finish(socket, match);
    }
  }

  void Finish(RoundSocket& socket, std::unordered_map<std::uint64_t, std::size_t>::iterator entry) {
    m_socketOf[entry->second] = -1;
    socket.inFlight.erase(entry);
    --m_inFlight;
  }

  // Silence until the end of a reply wait.
  void Expire(Clock::time_point now) {
    while (!m_deadlines.empty() && m_deadlines.top().when <= now) {
      const std::size_t exchange = m_deadlines.top().exchange;
      m_deadlines.pop();
      const int socketIndex = m_socketOf[exchange];
      if (socketIndex < 0) continue;  // answered meanwhile
      RoundSocket& socket = m_sockets[static_cast<std::size_t>(socketIndex)];
      m_results[exchange].strFailure = SocketFailureText(kReceiveTimeoutText, 0);
      Finish(socket, socket.inFlight.find(KeyOf(*m_destinations[exchange])));
    }
  }

  const std::vector<std::optional<sockaddr_in>>& m_destinations;
  const std::size_t m_parallel;
  std::vector<StatusExchange>& m_results;
  std::vector<int> m_socketOf;  // the socket an exchange is in flight on, or -1
  std::deque<std::size_t> m_waiting;
  std::unordered_map<std::size_t, Clock::time_point> m_firstTry;
  std::priority_queue<Deadline, std::vector<Deadline>, std::greater<>> m_deadlines;
  std::vector<RoundSocket> m_sockets;
  std::size_t m_nextSocket = 0;
  std::size_t m_inFlight = 0;
  std::size_t m_sent = 0;
  bool m_onlyLaterLeft = false;  // every exchange waiting has its destination in flight on every socket
  Clock::time_point m_firstSend{};
  Clock::time_point m_retryAt{};
};

}  // namespace

std::vector<StatusExchange> CStatusRound::Run(const std::vector<std::optional<sockaddr_in>>& destinations) {
  std::vector<StatusExchange> results(destinations.size());
  Round round(destinations, m_nParallel, results);
  round.Run();
  return results;
}

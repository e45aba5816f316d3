#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <queue>
#include <unordered_map>
#include <vector>

#include "platform/framework/cstring.h"
#include "platform/winsock/winsock.h"

// The status exchanges of many servers at once: each server gets its one
// request and its own 2-second send wait and 5-second reply wait, and no
// server's wait delays another's. The round is driven step by step by one
// thread (the one that runs the echoes too, and says when each request may
// go) over a few datagram sockets. A reply counts only when it comes from
// the address and port its request went to, on the socket that request
// left from. Destinations may join while the round runs (a host name once
// it is resolved); sockets are opened as the destinations need them.
struct StatusExchange {
  std::vector<char> reply;  // the reply's bytes when one came
  bool replied = false;
  CString strFailure;  // otherwise what the dialog would show
};

class CStatusRound {
 public:
  using Clock = std::chrono::steady_clock;
  // Called once per destination when its exchange is over.
  using DoneCallback = std::function<void(std::size_t, StatusExchange&&)>;

  CStatusRound(std::size_t nParallel, DoneCallback onDone);
  ~CStatusRound();
  CStatusRound(const CStatusRound&) = delete;
  CStatusRound& operator=(const CStatusRound&) = delete;

  // Adds a destination, its index the number added before; it differs from
  // every other (a socket asks a destination once at a time, and the reply
  // is told apart by its sender). When no socket can be had, its exchange
  // ends at once.
  void Add(const sockaddr_in& destination);
  // True when a request is waiting to go, the allowed number in flight
  // leaves room for it, and no send would block now.
  bool CanSend(Clock::time_point now) const;
  // Sends the next request (or takes it back to try again a little later,
  // when the send would block).
  void SendNext(Clock::time_point now);
  // When a waiting request could go: now or after a blocked send's pause;
  // time_point::max() when none can before an exchange ends.
  Clock::time_point NextSendAt() const;
  // The end of the earliest reply wait; time_point::max() when none.
  Clock::time_point NextDeadline() const;
  // The sockets that replies are awaited on (none while nothing is in flight).
  std::vector<SOCKET> WaitingSockets() const;
  // Takes in what has arrived on one of them; returns the number of
  // datagrams that were waiting.
  std::size_t Read(SOCKET handle);
  // Ends the exchanges whose reply wait is over.
  void Expire(Clock::time_point now);
  bool Done() const { return m_waiting.empty() && m_inFlight == 0; }

 private:
  struct RoundSocket {
    SOCKET handle = INVALID_SOCKET;
    std::unordered_map<std::uint64_t, std::size_t> inFlight;  // destination -> exchange
  };
  struct Deadline {
    Clock::time_point when;
    std::size_t exchange;
    bool operator>(const Deadline& other) const { return when > other.when; }
  };
  enum class SendResult { Sent, Failed, Blocked };

  std::size_t SocketCount() const;
  void OpenSockets();
  SendResult TrySend(std::size_t exchange, Clock::time_point now);
  SendResult Fail(std::size_t exchange, const CString& failure);
  RoundSocket& NextSocket();
  void Finish(RoundSocket& socket, std::size_t exchange, StatusExchange&& result);

  std::vector<sockaddr_in> m_destinations;
  std::size_t m_parallel;
  DoneCallback m_onDone;
  std::vector<int> m_socketOf;  // the socket an exchange is in flight on, or -1
  std::deque<std::size_t> m_waiting;
  std::unordered_map<std::size_t, Clock::time_point> m_firstTry;  // of a request whose send would block
  std::priority_queue<Deadline, std::vector<Deadline>, std::greater<>> m_deadlines;
  std::vector<RoundSocket> m_sockets;
  std::size_t m_nextSocket = 0;
  std::size_t m_inFlight = 0;
  Clock::time_point m_retryAt{};
};

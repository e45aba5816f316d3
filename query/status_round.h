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
// thread (the one that runs the echoes too) over a few datagram sockets. A
// reply counts only when it comes from the address and port its request
// went to, on the socket that request left from. Requests leave a little
// apart, so that neither side's receive buffer overflows when a thousand
// servers answer at once.
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

  // Every destination differs from the others: a socket asks a destination
  // once at a time, and the reply is told apart by its sender.
  CStatusRound(std::vector<sockaddr_in> destinations, std::size_t nParallel, DoneCallback onDone);
  ~CStatusRound();
  CStatusRound(const CStatusRound&) = delete;
  CStatusRound& operator=(const CStatusRound&) = delete;

  // Opens the sockets; when none can be had, every exchange ends at once.
  void Open();
  // Sends what is due by now.
  void SendDue(Clock::time_point now);
  // When the round must act again without a reply: the next request due or
  // the end of a reply wait; time_point::max() when neither.
  Clock::time_point NextWake() const;
  // The sockets that replies are awaited on (none while nothing is in flight).
  std::vector<SOCKET> WaitingSockets() const;
  // Takes in what has arrived on one of them.
  void Read(SOCKET socket);
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
  std::size_t m_sent = 0;
  Clock::time_point m_firstSend{};
  Clock::time_point m_retryAt{};
};

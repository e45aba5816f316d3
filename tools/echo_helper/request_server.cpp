#include "tools/echo_helper/request_server.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <vector>

#include "platform/icmpapi/echo_helper_protocol.h"
#include "platform/icmpapi/echo_reply_record.h"
#include "platform/icmpapi/echo_socket_flights.h"
#include "platform/icmpapi/icmpapi.h"
#include "tools/echo_helper/request_stream.h"
#include "tools/echo_helper/send_schedule.h"
#include "tools/echo_helper/stream_io.h"

namespace echo_helper {
namespace {

namespace helper = icmpapi::helper;
using Clock = icmpapi::EchoClock;

// Requests waiting or in flight; beyond this the helper reads no more until
// some have ended, which bounds its memory.
constexpr std::size_t kMaxPending = 4096;
constexpr std::size_t kReadChunk = 65536;

helper::Reply Refusal(std::uint32_t lastError, std::uint64_t tag) { return helper::Reply{0, lastError, {}, tag, -1}; }

helper::Reply ReplyOf(const icmpapi::EchoResult& result) {
  if (!result.answered) return Refusal(result.status, result.tag);
  return helper::Reply{1, ERROR_SUCCESS, icmpapi::EchoRecordBytes(result), result.tag, result.roundTripMicroseconds};
}

icmpapi::EchoStart ToEchoStart(helper::Request request) {
  icmpapi::EchoStart start;
  start.tag = request.tag;
  start.destination = request.destination;
  start.payload = std::move(request.data);
  start.timeoutMs = request.timeoutMs;
  return start;
}

// The wait until `when`, to the microsecond: sends are spaced finer than
// poll's milliseconds. Null: no limit.
const timespec* WaitUntil(Clock::time_point when, timespec& wait) {
  if (when == Clock::time_point::max()) return nullptr;
  const auto ns = std::max<long long>((when - Clock::now()).count(), 0);
  wait = timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  return &wait;
}

bool MakeNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

class Server {
 public:
  Server(icmpapi::EchoSocket& socket, int inFd, int outFd) : m_flights(socket), m_inFd(inFd), m_outFd(outFd) {}

  ServeEnd Run() {
    for (;;) {
      pollfd fds[3] = {{m_inFd, static_cast<short>(WantsInput() ? POLLIN : 0), 0},
                       m_flights.PollRequest(),
                       {m_outFd, static_cast<short>(m_output.empty() ? 0 : POLLOUT), 0}};
      timespec wait{};
      const int ready = ::ppoll(fds, 3, WaitUntil(NextWake(), wait), nullptr);
      if (ready < 0 && errno != EINTR) return ServeEnd::PipeBroken;
      if (ready > 0 && fds[0].revents != 0) {
        if (std::optional<ServeEnd> end = ReadRequests()) return *end;
      }
      SendDue();
      if (ready > 0 && fds[1].revents != 0) m_flights.Service(fds[1].revents);
      m_flights.ExpireDue(Clock::now());
      for (const icmpapi::EchoResult& result : m_flights.TakeEnded()) {
        m_output.Append(helper::EncodeReply(ReplyOf(result)));
      }
      if (!m_output.Flush(m_outFd)) return ServeEnd::PipeBroken;
      if (m_badFraming && m_output.empty()) return ServeEnd::BadFraming;
    }
  }

 private:
  bool WantsInput() const { return !m_badFraming && m_schedule.size() + m_flights.InFlight() < kMaxPending; }

  Clock::time_point NextWake() const { return std::min(m_schedule.NextWake(), m_flights.NextDeadline()); }

  // An end of the service, or nothing while it goes on.
  std::optional<ServeEnd> ReadRequests() {
    std::vector<std::uint8_t> chunk(kReadChunk);
    const ssize_t n = ::read(m_inFd, chunk.data(), chunk.size());
    if (n < 0) return errno == EINTR || errno == EAGAIN ? std::nullopt : std::optional(ServeEnd::PipeBroken);
    // The parent has gone: echoes still in flight have nobody to answer.
    if (n == 0) return m_input.InsideMessage() ? ServeEnd::PipeBroken : ServeEnd::PipeClosed;
    m_input.Append(chunk.data(), static_cast<std::size_t>(n));
    const Clock::time_point now = Clock::now();
    while (std::optional<StreamItem> item = m_input.Next()) {
      if (item->badFraming) {
        m_output.Append(helper::EncodeReply(Refusal(ERROR_INVALID_PARAMETER, 0)));
        m_badFraming = true;
        break;
      }
      const std::uint32_t refused = helper::CheckRequest(item->request);
      if (refused != ERROR_SUCCESS) {
        m_output.Append(helper::EncodeReply(Refusal(refused, item->request.tag)));
      } else {
        m_schedule.Add(std::move(item->request), now);
      }
    }
    return std::nullopt;
  }

  // Ends the echoes whose time-out passed while they waited, then sends
  // every one whose turn has come.
  void SendDue() {
    if (m_badFraming) return;
    const Clock::time_point now = Clock::now();
    for (const std::uint64_t tag : m_schedule.TakeExpired(now)) {
      m_output.Append(helper::EncodeReply(Refusal(IP_REQ_TIMED_OUT, tag)));
    }
    while (std::optional<helper::Request> due = m_schedule.TakeDue(now)) m_flights.Start(ToEchoStart(std::move(*due)));
  }

  icmpapi::SocketEchoFlights m_flights;
  int m_inFd;
  int m_outFd;
  RequestStream m_input;
  SendSchedule m_schedule;  // checked requests waiting for their turn to be sent
  OutputQueue m_output;
  bool m_badFraming = false;
};

}  // namespace

ServeEnd ServeRequests(icmpapi::EchoSocket& socket, int inFd, int outFd) {
  if (!MakeNonBlocking(inFd) || !MakeNonBlocking(outFd)) return ServeEnd::PipeBroken;
  return Server(socket, inFd, outFd).Run();
}

}  // namespace echo_helper

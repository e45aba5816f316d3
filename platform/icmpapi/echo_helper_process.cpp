#include "platform/icmpapi/echo_helper_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

#include "platform/icmpapi/echo_helper_protocol.h"
#include "platform/icmpapi/echo_reply_record.h"
#include "platform/icmpapi/icmpapi.h"
#include "platform/kernel/sliced_poll.h"

namespace icmpapi {
namespace {

// The helper opens one socket and drops its capabilities before it says
// hello; anything slower than this is a helper that hangs.
constexpr int kHelloTimeoutMs = 5000;
// The helper answers within the request's time-out once it has sent the
// echo; this covers its start of the exchange and our reading of the answer.
constexpr auto kReplyGrace = std::chrono::milliseconds(2000);
// Reads per call; each takes what the pipe holds, up to the chunk size.
constexpr int kReadsPerService = 16;
constexpr std::size_t kReadChunk = 65536;

int RemainingMs(EchoClock::time_point deadline) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - EchoClock::now()).count();
  return static_cast<int>(std::clamp<long long>(ms, 0, INT_MAX));
}

void Reap(pid_t pid) {
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

helper::Request ToHelperRequest(const EchoStart& start, std::uint64_t wireTag) {
  helper::Request out;
  out.destination = start.destination;
  out.data = start.payload;
  out.timeoutMs = start.timeoutMs;
  out.tag = wireTag;
  return out;
}

}  // namespace

EchoHelperProcess::Launch EchoHelperProcess::Open(const std::vector<std::string>& candidates) {
  Launch first;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    Launch attempt;
    attempt.path = candidates[i];
    auto [process, spawnError] = Spawn(candidates[i]);
    if (!process) {
      attempt.outcome = HelperStart::CouldNotRun;
      attempt.error = spawnError;
    } else if (const std::optional<int> openErrno = process->ReadHello(); !openErrno) {
      attempt.outcome = HelperStart::NoAnswer;
    } else if (*openErrno != 0) {
      attempt.outcome = HelperStart::SocketRefused;
      attempt.error = *openErrno;
    } else if (::fcntl(process->m_fd, F_SETFL, O_NONBLOCK) != 0) {
      attempt.outcome = HelperStart::CouldNotRun;
      attempt.error = errno;
      process->m_broken = true;
    } else {
      attempt.outcome = HelperStart::Started;
      attempt.process = std::move(process);
      return attempt;
    }
    if (i == 0) first = std::move(attempt);
  }
  return first;
}

std::pair<std::unique_ptr<EchoHelperProcess>, int> EchoHelperProcess::Spawn(const std::string& path) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return {nullptr, errno};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The helper reads requests from its standard input and answers on its
  // standard output: both are its end of the pair.
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  char* const argv[] = {const_cast<char*>("quillmar-echo-helper"), nullptr};
  char* const envp[] = {nullptr};  // a privileged program gets no environment from us
  pid_t pid = -1;
  const int failed = ::posix_spawn(&pid, path.c_str(), &actions, &attributes, argv, envp);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  ::close(ends[1]);
  if (failed != 0) {
    ::close(ends[0]);
    return {nullptr, failed};
  }
  return {std::unique_ptr<EchoHelperProcess>(new EchoHelperProcess(pid, ends[0])), 0};
}

EchoHelperProcess::~EchoHelperProcess() {
  ::close(m_fd);
  if (m_broken) ::kill(m_pid, SIGKILL);
  Reap(m_pid);
}

std::optional<int> EchoHelperProcess::ReadHello() {
  std::uint8_t bytes[helper::kHelloSize];
  const std::optional<helper::Hello> hello =
      ReceiveExactly(bytes, sizeof bytes, kHelloTimeoutMs) ? helper::DecodeHello(bytes) : std::nullopt;
  if (!hello) {
    m_broken = true;
    return std::nullopt;
  }
  return hello->openErrno;
}

bool EchoHelperProcess::ReceiveExactly(std::uint8_t* buffer, std::size_t size, int timeoutMs) {
  const EchoClock::time_point deadline = EchoClock::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t done = 0;
  while (done < size) {
    pollfd waiting{m_fd, POLLIN, 0};
    if (kernel::SlicedPoll(&waiting, 1, RemainingMs(deadline)) <= 0) return false;
    const ssize_t n = ::recv(m_fd, buffer + done, size - done, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;  // the helper has gone
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void EchoHelperProcess::Start(EchoStart start) {
  if (m_broken) return EndWithFailure(start.tag, IP_GENERAL_FAILURE);
  if (start.payload.size() > helper::kMaxDataSize || start.timeoutMs > helper::kMaxTimeoutMs) {
    return EndWithFailure(start.tag, ERROR_INVALID_PARAMETER);
  }
  const std::uint64_t wireTag = m_nextWireTag++;
  const std::vector<std::uint8_t> bytes = helper::EncodeRequest(ToHelperRequest(start, wireTag));
  m_output.insert(m_output.end(), bytes.begin(), bytes.end());
  // The helper spaces its sends, so the echoes ahead of this one delay it.
  const auto queued = std::chrono::microseconds(helper::kMinSendSpacingMicroseconds) * (m_flights.size() + 1);
  const EchoClock::time_point deadline =
      EchoClock::now() + std::chrono::milliseconds(start.timeoutMs) + kReplyGrace + queued;
  m_flights.emplace(wireTag, Flight{start.tag, deadline});
  m_deadlines.emplace(deadline, wireTag);
  Flush();
}

pollfd EchoHelperProcess::PollRequest() const {
  const bool writing = m_outputDone < m_output.size();
  return pollfd{m_fd, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
}

void EchoHelperProcess::Service(short revents) {
  if (m_broken) return;
  if ((revents & POLLOUT) != 0) Flush();
  if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0) Receive();
}

void EchoHelperProcess::ExpireDue(EchoClock::time_point now) {
  // The helper ends each echo by its time-out; one that does not is stuck.
  if (!m_deadlines.empty() && m_deadlines.begin()->first <= now) Break();
}

EchoClock::time_point EchoHelperProcess::NextDeadline() const {
  return m_deadlines.empty() ? EchoClock::time_point::max() : m_deadlines.begin()->first;
}

EchoResult EchoHelperProcess::Exchange(const EchoRequest& request) {
  Start(ToEchoStart(request, 0));
  while (!HasEnded()) {
    if (!WaitForEnded(*this, EchoClock::time_point::max())) Break();
  }
  return TakeEnded().front();
}

void EchoHelperProcess::Flush() {
  while (!m_broken && m_outputDone < m_output.size()) {
    const ssize_t n =
        ::send(m_fd, m_output.data() + m_outputDone, m_output.size() - m_outputDone, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // POLLOUT tells when to go on
    if (n <= 0) return Break();
    m_outputDone += static_cast<std::size_t>(n);
  }
  m_output.clear();
  m_outputDone = 0;
}

void EchoHelperProcess::Receive() {
  std::uint8_t chunk[kReadChunk];
  for (int i = 0; i < kReadsPerService && !m_broken; ++i) {
    const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n <= 0) return Break();  // the helper has gone
    m_input.insert(m_input.end(), chunk, chunk + n);
    if (!TakeReplies()) return Break();
  }
}

// Ends the echoes whose replies are complete in the input. False when the
// input is no reply at all, or one to no echo of ours.
bool EchoHelperProcess::TakeReplies() {
  std::size_t at = 0;
  while (m_input.size() - at >= helper::kReplyHeaderSize) {
    const std::optional<helper::ReplyHeader> header =
        helper::DecodeReplyHeader(helper::Bytes(m_input.data() + at, helper::kReplyHeaderSize));
    if (!header) return false;
    if (m_input.size() - at - helper::kReplyHeaderSize < header->recordSize) break;
    const auto flight = m_flights.find(header->tag);
    if (flight == m_flights.end()) return false;
    EchoResult result;
    if (header->count == 1) {
      const Bytes record(m_input.data() + at + helper::kReplyHeaderSize, header->recordSize);
      std::optional<EchoResult> answered = EchoResultFromRecord(record, header->roundTripMicroseconds);
      if (!answered) return false;
      result = std::move(*answered);
    } else {
      result.status = header->lastError != ERROR_SUCCESS ? header->lastError : IP_GENERAL_FAILURE;
    }
    result.tag = flight->second.tag;
    m_deadlines.erase({flight->second.deadline, header->tag});
    m_flights.erase(flight);
    End(std::move(result));
    at += helper::kReplyHeaderSize + header->recordSize;
  }
  m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}

// The helper can no longer be trusted with anything: every echo in flight
// fails, and so does every later one.
void EchoHelperProcess::Break() {
  m_broken = true;
  for (const auto& [wireTag, flight] : m_flights) EndWithFailure(flight.tag, IP_GENERAL_FAILURE);
  m_flights.clear();
  m_deadlines.clear();
  m_output.clear();
  m_outputDone = 0;
  m_input.clear();
}

}  // namespace icmpapi

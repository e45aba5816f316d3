#include "platform/icmp/echo_helper_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "platform/icmp/echo_helper_protocol.h"
#include "platform/icmp/icmpapi.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sliced_poll.h"

namespace icmp {
namespace {

using Clock = std::chrono::steady_clock;

// The helper opens one socket and drops its capabilities before it says
// hello; anything slower than this is a helper that hangs.
constexpr int kHelloTimeoutMs = 5000;
// The helper answers within the request's time-out; this covers its start
// of the exchange and our reading of the answer.
constexpr int kReplyGraceMs = 2000;

int RemainingMs(Clock::time_point deadline) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(ms, 0, INT_MAX));
}

void Reap(pid_t pid) {
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

helper::Request ToHelperRequest(const EchoRequest& request) {
  helper::Request out;
  out.destination = request.destination;
  out.data.assign(request.payload.begin(), request.payload.end());
  out.timeoutMs = request.timeoutMs;
  if (request.options != nullptr) {
    out.ttl = request.options->Ttl;
    out.tos = request.options->Tos;
    out.flags = request.options->Flags & IP_FLAG_DF;
  }
  return out;
}

// The record must describe exactly the bytes that came with it.
bool IsWellFormedRecord(const std::vector<std::uint8_t>& record) {
  ICMP_ECHO_REPLY header{};
  std::memcpy(&header, record.data(), sizeof header);
  return header.Data == sizeof header && sizeof header + header.DataSize == record.size();
}

}  // namespace

std::shared_ptr<EchoHelperProcess> EchoHelperProcess::Start(const std::vector<std::string>& candidates) {
  for (const std::string& path : candidates) {
    std::shared_ptr<EchoHelperProcess> process = Spawn(path);
    if (process && process->ReadHello()) return process;
  }
  return nullptr;
}

std::unique_ptr<EchoHelperProcess> EchoHelperProcess::Spawn(const std::string& path) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return nullptr;
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
    return nullptr;
  }
  return std::unique_ptr<EchoHelperProcess>(new EchoHelperProcess(pid, ends[0]));
}

EchoHelperProcess::~EchoHelperProcess() {
  ::close(m_fd);
  if (m_broken) ::kill(m_pid, SIGKILL);
  Reap(m_pid);
}

bool EchoHelperProcess::ReadHello() {
  std::uint8_t bytes[helper::kHelloSize];
  if (!ReceiveExactly(bytes, sizeof bytes, kHelloTimeoutMs)) {
    m_broken = true;
    return false;
  }
  const std::optional<helper::Hello> hello = helper::DecodeHello(bytes);
  if (!hello) m_broken = true;
  return hello && hello->openErrno == 0;
}

bool EchoHelperProcess::Send(const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool EchoHelperProcess::ReceiveExactly(std::uint8_t* buffer, std::size_t size, int timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
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

std::uint32_t EchoHelperProcess::Fail(std::uint32_t lastError) {
  SetLastError(lastError);
  return 0;
}

std::uint32_t EchoHelperProcess::Exchange(const EchoRequest& request, void* replyBuffer, std::uint32_t replySize) {
  if (m_broken) return Fail(IP_GENERAL_FAILURE);
  if (request.options != nullptr && request.options->OptionsSize != 0) return Fail(IP_BAD_OPTION);
  if (request.payload.size() > helper::kMaxDataSize || request.timeoutMs > helper::kMaxTimeoutMs) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const int waitMs = static_cast<int>(request.timeoutMs) + kReplyGraceMs;
  std::uint8_t header[helper::kReplyHeaderSize];
  if (!Send(helper::EncodeRequest(ToHelperRequest(request))) || !ReceiveExactly(header, sizeof header, waitMs)) {
    m_broken = true;
    return Fail(IP_GENERAL_FAILURE);
  }
  const std::optional<helper::ReplyHeader> reply = helper::DecodeReplyHeader(header);
  std::vector<std::uint8_t> record(reply ? reply->recordSize : 0);
  if (!reply || !ReceiveExactly(record.data(), record.size(), kReplyGraceMs) ||
      (reply->count == 1 && !IsWellFormedRecord(record))) {
    m_broken = true;
    return Fail(IP_GENERAL_FAILURE);
  }
  if (reply->count == 0) return Fail(reply->lastError != ERROR_SUCCESS ? reply->lastError : IP_GENERAL_FAILURE);
  if (record.size() > replySize) return Fail(IP_BUFF_TOO_SMALL);
  std::memcpy(replyBuffer, record.data(), record.size());
  return 1;
}

}  // namespace icmp

#include "platform/icmpapi/echo_socket.h"

#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace icmpapi {
namespace {

bool IsRefusal(int err) {
  return err == EACCES || err == EPERM || err == EPROTONOSUPPORT || err == EAFNOSUPPORT || err == ESOCKTNOSUPPORT;
}

OpenFailure ReasonFor(int err) {
  switch (err) {
    case EACCES:
    case EPERM: return OpenFailure::NotPermitted;
    case EPROTONOSUPPORT:
    case EAFNOSUPPORT:
    case ESOCKTNOSUPPORT: return OpenFailure::Unsupported;
    case EMFILE:
    case ENFILE:
    case ENOBUFS:
    case ENOMEM: return OpenFailure::OutOfResources;
    default: return OpenFailure::Other;
  }
}

void EnableOption(int fd, int level, int name) {
  const int on = 1;
  // Without these the exchange still works, with less detail (no time to
  // live, ICMP errors seen as time-outs, the round trip measured when the
  // answer is read), so a refusal is not fatal.
  (void)::setsockopt(fd, level, name, &on, sizeof on);
}

void EnableCommonOptions(int fd) {
  EnableOption(fd, IPPROTO_IP, IP_RECVERR);
  EnableOption(fd, IPPROTO_IP, IP_RECVTTL);  // on a raw socket: for errors read from the error queue
  // Room for the replies to many echoes that arrive together; the system
  // caps it at its own limit.
  const int receiveBuffer = 1 << 20;
  (void)::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
}

// A raw ICMP socket sees every ICMP packet of the host; let through only
// replies and the error types that can concern a request.
void InstallRawFilter(int fd) {
  icmp_filter filter{};
  filter.data = ~((1u << ICMP_ECHOREPLY) | (1u << ICMP_DEST_UNREACH) | (1u << ICMP_SOURCE_QUENCH) |
                  (1u << ICMP_TIME_EXCEEDED) | (1u << ICMP_PARAMETERPROB));
  (void)::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
}

// Raw sockets share all replies, so each one uses its own identifier.
std::uint16_t NewRawIdentifier() {
  static std::atomic<std::uint32_t> counter{0};
  // Multiplicative hashing (Knuth): 2^32 and 2^16 over the golden ratio
  // spread neighbouring process ids and counts far apart.
  constexpr std::uint32_t kSpread32 = 2654435761u;
  constexpr std::uint32_t kSpread16 = 40503u;
  const std::uint32_t n = counter.fetch_add(1) + 1;
  return static_cast<std::uint16_t>((static_cast<std::uint32_t>(::getpid()) * kSpread32) ^ (n * kSpread16));
}

}  // namespace

std::shared_ptr<EchoSocket> EchoSocket::Open(OpenFailureInfo& failure, ArrivalStamps stamps) {
  failure = {};
  const int flags = SOCK_NONBLOCK | SOCK_CLOEXEC;
  int fd = ::socket(AF_INET, SOCK_DGRAM | flags, IPPROTO_ICMP);
  if (fd >= 0) {
    EnableCommonOptions(fd);
    auto socket = std::make_shared<EchoSocket>(fd, EchoSocketKind::Unprivileged, 0);
    if (stamps == ArrivalStamps::Kernel) socket->AskForKernelStamps();
    return socket;
  }
  failure.unprivilegedErrno = errno;
  if (!IsRefusal(errno)) {
    failure.reason = ReasonFor(errno);
    return nullptr;
  }
  fd = ::socket(AF_INET, SOCK_RAW | flags, IPPROTO_ICMP);
  if (fd >= 0) {
    EnableCommonOptions(fd);
    InstallRawFilter(fd);
    auto socket = std::make_shared<EchoSocket>(fd, EchoSocketKind::Raw, NewRawIdentifier());
    if (stamps == ArrivalStamps::Kernel) socket->AskForKernelStamps();
    return socket;
  }
  failure.rawErrno = errno;
  failure.reason = ReasonFor(errno);
  return nullptr;
}

EchoSocket::EchoSocket(int fd, EchoSocketKind kind, std::uint16_t identifier)
    : m_fd(fd), m_kind(kind), m_identifier(identifier) {}

EchoSocket::~EchoSocket() {
  if (m_fd >= 0) ::close(m_fd);
}

void EchoSocket::AskForKernelStamps() {
  if (m_fd < 0 || m_kernelStamps) return;
  EnableOption(m_fd, SOL_SOCKET, SO_TIMESTAMPNS);
  m_kernelStamps = true;
}

}  // namespace icmpapi

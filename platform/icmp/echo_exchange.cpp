#include "platform/icmp/echo_exchange.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/icmp/echo_reply_record.h"
#include "platform/icmp/echo_request_packet.h"
#include "platform/icmp/error_queue.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sliced_poll.h"

namespace icmp {
namespace {

using Clock = std::chrono::steady_clock;

// Packets read per wake-up and queue, so that a flood of foreign ICMP cannot
// keep the blocking hook from running.
constexpr int kReadsPerWake = 64;
// Enough to empty a full receive buffer of stale packets before sending.
constexpr int kMaxStaleReads = 4096;
constexpr std::size_t kMaxPacketSize = 65536;

// Options stay on the socket between echoes, so each echo sets all of them.
bool ApplyRequestOptions(int fd, const IP_OPTION_INFORMATION* options) {
  const int ttl = options != nullptr && options->Ttl != 0 ? options->Ttl : -1;  // -1: the route's default
  const int tos = options != nullptr ? options->Tos : 0;
  const int pmtu = options != nullptr && (options->Flags & IP_FLAG_DF) != 0 ? IP_PMTUDISC_DO : IP_PMTUDISC_DONT;
  const void* ipOptions = options != nullptr && options->OptionsSize != 0 ? options->OptionsData : nullptr;
  const socklen_t ipOptionsSize = ipOptions != nullptr ? options->OptionsSize : 0;
  return ::setsockopt(fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl) == 0 &&
         ::setsockopt(fd, IPPROTO_IP, IP_TOS, &tos, sizeof tos) == 0 &&
         ::setsockopt(fd, IPPROTO_IP, IP_MTU_DISCOVER, &pmtu, sizeof pmtu) == 0 &&
         ::setsockopt(fd, IPPROTO_IP, IP_OPTIONS, ipOptions, ipOptionsSize) == 0;
}

DWORD StatusForSendError(int err) {
  switch (err) {
    case ENETUNREACH: return IP_DEST_NET_UNREACHABLE;
    case EHOSTUNREACH: return IP_DEST_HOST_UNREACHABLE;
    case EMSGSIZE: return IP_PACKET_TOO_BIG;
    case ENOBUFS:
    case ENOMEM: return IP_NO_RESOURCES;
    case EACCES:  // a broadcast address
    case EINVAL: return IP_BAD_DESTINATION;
    default: return IP_GENERAL_FAILURE;
  }
}

sockaddr_in AddressOf(std::uint32_t destination) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = destination;
  return address;
}

bool SendPacket(int fd, std::uint32_t destination, const std::vector<std::uint8_t>& packet) {
  const sockaddr_in address = AddressOf(destination);
  const ssize_t sent = ::sendto(fd, packet.data(), packet.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
  return sent == static_cast<ssize_t>(packet.size());
}

// On an unprivileged socket the kernel puts its own identifier (the socket's
// "port") into the request.
bool ReadKernelIdentifier(int fd, std::uint16_t& identifier) {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return false;
  identifier = ntohs(local.sin_port);
  return true;
}

void DiscardPending(int fd) {
  std::uint8_t scrap[512];
  for (int i = 0; i < kMaxStaleReads && ::recv(fd, scrap, sizeof scrap, MSG_DONTWAIT | MSG_ERRQUEUE) >= 0; ++i) {
  }
  for (int i = 0; i < kMaxStaleReads && ::recv(fd, scrap, sizeof scrap, MSG_DONTWAIT) >= 0; ++i) {
  }
}

std::uint32_t ElapsedMs(Clock::time_point since) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
  return static_cast<std::uint32_t>(std::clamp<long long>(ms, 0, UINT32_MAX));
}

// Rounded up, so that the wait never ends before the time-out has passed.
int RemainingMs(Clock::time_point deadline) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(ms, 0, INT_MAX));
}

// Reads what the socket has and looks for the packet that answers us.
class PacketReader {
 public:
  explicit PacketReader(EchoSocketKind kind) : m_kind(kind), m_buffer(kMaxPacketSize) {}

  std::optional<PacketOutcome> ReadAvailable(int fd, const EchoExpectation& expected) {
    for (int i = 0; i < kReadsPerWake; ++i) {
      bool gotOne = false;
      const PacketOutcome outcome = ReadOne(fd, MSG_ERRQUEUE, expected, gotOne);
      if (!gotOne) break;
      if (outcome.verdict != PacketVerdict::NotOurs) return outcome;
    }
    for (int i = 0; i < kReadsPerWake; ++i) {
      bool gotOne = false;
      const PacketOutcome outcome = ReadOne(fd, 0, expected, gotOne);
      if (!gotOne) break;
      if (outcome.verdict != PacketVerdict::NotOurs) return outcome;
    }
    return std::nullopt;
  }

 private:
  PacketOutcome ReadOne(int fd, int queueFlag, const EchoExpectation& expected, bool& gotOne) {
    sockaddr_in source{};
    iovec io{m_buffer.data(), m_buffer.size()};
    msghdr message{};
    message.msg_name = &source;
    message.msg_namelen = sizeof source;
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = m_control;
    message.msg_controllen = sizeof m_control;
    const ssize_t received = ::recvmsg(fd, &message, MSG_DONTWAIT | queueFlag);
    // A pending socket error is reported (and cleared) by a failing read;
    // it is not a reason to stop reading.
    gotOne = received >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EBADF);
    if (received < 0) return {};
    const Bytes bytes(m_buffer.data(), std::min<std::size_t>(static_cast<std::size_t>(received), m_buffer.size()));
    if (queueFlag == MSG_ERRQUEUE) {
      const std::optional<QueuedIcmpError> error = QueuedErrorFromMessage(message, bytes);
      return error ? ParseQueuedError(*error, expected) : PacketOutcome{};
    }
    if (m_kind == EchoSocketKind::Raw) return ParseRawPacket(bytes, expected);
    std::uint8_t ttl = 0;
    std::uint8_t tos = 0;
    ReadReceiveDetails(message, ttl, tos);
    return ParseDgramPacket(bytes, source.sin_addr.s_addr, ttl, tos, expected);
  }

  static void ReadReceiveDetails(msghdr& message, std::uint8_t& ttl, std::uint8_t& tos) {
    for (cmsghdr* cmsg = CMSG_FIRSTHDR(&message); cmsg != nullptr; cmsg = CMSG_NXTHDR(&message, cmsg)) {
      if (cmsg->cmsg_level != IPPROTO_IP) continue;
      if (cmsg->cmsg_type == IP_TTL && cmsg->cmsg_len >= CMSG_LEN(sizeof(int))) {
        int value = 0;
        std::memcpy(&value, CMSG_DATA(cmsg), sizeof value);
        ttl = static_cast<std::uint8_t>(value);
      } else if (cmsg->cmsg_type == IP_TOS && cmsg->cmsg_len >= CMSG_LEN(1)) {
        tos = *CMSG_DATA(cmsg);
      }
    }
  }

  EchoSocketKind m_kind;
  std::vector<std::uint8_t> m_buffer;
  alignas(cmsghdr) std::uint8_t m_control[512];
};

}  // namespace

std::uint32_t ExchangeEcho(EchoSocket& socket, const EchoRequest& request, void* replyBuffer,
                           std::uint32_t replySize) {
  const int fd = socket.fd();
  DiscardPending(fd);
  if (!ApplyRequestOptions(fd, request.options)) {
    SetLastError(IP_BAD_OPTION);
    return 0;
  }
  EchoExpectation expected{socket.identifier(), socket.NextSequence(), request.destination, request.payload};
  const std::vector<std::uint8_t> packet = BuildEchoRequest(expected.identifier, expected.sequence, request.payload);
  const Clock::time_point sent = Clock::now();
  if (!SendPacket(fd, request.destination, packet)) {
    SetLastError(StatusForSendError(errno));
    return 0;
  }
  if (socket.kind() == EchoSocketKind::Unprivileged && !ReadKernelIdentifier(fd, expected.identifier)) {
    SetLastError(kernel::SystemErrorFromErrno(errno));
    return 0;
  }
  PacketReader reader(socket.kind());
  const Clock::time_point deadline = sent + std::chrono::milliseconds(request.timeoutMs);
  for (;;) {
    pollfd waiting{fd, POLLIN, 0};
    const int ready = kernel::SlicedPoll(&waiting, 1, RemainingMs(deadline));
    if (ready < 0) {
      SetLastError(kernel::SystemErrorFromErrno(errno));
      return 0;
    }
    if (ready > 0) {
      if (const std::optional<PacketOutcome> answer = reader.ReadAvailable(fd, expected)) {
        StoreEchoReply(*answer, ElapsedMs(sent), replyBuffer, replySize);
        return 1;
      }
    }
    // Checked here too: a socket that keeps reporting ready without giving
    // us anything must not hold the caller past the time-out.
    if (ready == 0 || Clock::now() >= deadline) {
      SetLastError(IP_REQ_TIMED_OUT);
      return 0;
    }
  }
}

}  // namespace icmp

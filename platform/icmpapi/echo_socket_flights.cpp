#include "platform/icmpapi/echo_socket_flights.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/icmpapi/echo_request_packet.h"
#include "platform/icmpapi/error_queue.h"
#include "platform/icmpapi/icmpapi.h"
#include "platform/kernel/last_error.h"

namespace icmpapi {
namespace {

// Packets read per queue and call, so that a flood of foreign ICMP cannot
// keep the caller (and its blocking hook) waiting.
constexpr int kReadsPerService = 64;
constexpr std::size_t kMaxPacketSize = 65536;
constexpr std::size_t kSequences = 65536;

std::int64_t RealtimeNs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return std::int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
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

bool SendPacket(int fd, std::uint32_t destination, const std::vector<std::uint8_t>& packet) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = destination;
  const ssize_t sent = ::sendto(fd, packet.data(), packet.size(), MSG_NOSIGNAL | MSG_DONTWAIT,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
  return sent == static_cast<ssize_t>(packet.size());
}

bool NoRoom(int err) { return err == EAGAIN || err == EWOULDBLOCK; }

// On an unprivileged socket the kernel puts its own identifier (the socket's
// "port") into the request.
bool ReadKernelIdentifier(int fd, std::uint16_t& identifier) {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return false;
  identifier = ntohs(local.sin_port);
  return true;
}

// What the control messages of one received packet tell.
struct ReceiveDetails {
  std::uint8_t ttl = 0;
  std::int64_t arrivalNs = -1;  // the kernel's receive time stamp, -1 when missing
};

ReceiveDetails ReadReceiveDetails(msghdr& message) {
  ReceiveDetails details;
  for (cmsghdr* cmsg = CMSG_FIRSTHDR(&message); cmsg != nullptr; cmsg = CMSG_NXTHDR(&message, cmsg)) {
    if (cmsg->cmsg_level == SOL_SOCKET && cmsg->cmsg_type == SCM_TIMESTAMPNS &&
        cmsg->cmsg_len >= CMSG_LEN(sizeof(timespec))) {
      timespec stamp{};
      std::memcpy(&stamp, CMSG_DATA(cmsg), sizeof stamp);
      details.arrivalNs = std::int64_t{stamp.tv_sec} * 1000000000 + stamp.tv_nsec;
    } else if (cmsg->cmsg_level == IPPROTO_IP && cmsg->cmsg_type == IP_TTL && cmsg->cmsg_len >= CMSG_LEN(sizeof(int))) {
      int value = 0;
      std::memcpy(&value, CMSG_DATA(cmsg), sizeof value);
      details.ttl = static_cast<std::uint8_t>(value);
    }
  }
  return details;
}

}  // namespace

SocketEchoFlights::SocketEchoFlights(EchoSocket& socket)
    : m_socket(socket),
      m_identifier(socket.identifier()),
      m_identifierKnown(socket.kind() != EchoSocketKind::Unprivileged),
      m_buffer(std::make_unique_for_overwrite<std::uint8_t[]>(kMaxPacketSize)) {}

void SocketEchoFlights::Start(EchoStart start) {
  const EchoClock::time_point deadline = EchoClock::now() + std::chrono::milliseconds(start.timeoutMs);
  // Later echoes queue behind those already waiting for room, in order.
  if (!m_unsent.empty() || Send(start, deadline) == SendOutcome::NoRoom) {
    m_unsent.push_back(Unsent{std::move(start), deadline});
  }
  // Answers to echoes started a moment ago are taken in while many more are
  // started, before they can fill the receive buffer.
  ReadQueue(MSG_ERRQUEUE);
  ReadQueue(0);
}

pollfd SocketEchoFlights::PollRequest() const {
  const short events = static_cast<short>(POLLIN | (m_unsent.empty() ? 0 : POLLOUT));
  return pollfd{m_socket.fd(), events, 0};
}

void SocketEchoFlights::Service(short revents) {
  if ((revents & POLLOUT) != 0) SendUnsent();
  if ((revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
    ReadQueue(MSG_ERRQUEUE);
    ReadQueue(0);
  }
}

void SocketEchoFlights::ExpireDue(EchoClock::time_point now) {
  while (!m_deadlines.empty() && m_deadlines.begin()->first <= now) {
    const std::uint16_t sequence = m_deadlines.begin()->second;
    m_deadlines.erase(m_deadlines.begin());
    const auto flight = m_flights.find(sequence);
    EndWithFailure(flight->second.tag, IP_REQ_TIMED_OUT);
    m_flights.erase(flight);
  }
  for (auto it = m_unsent.begin(); it != m_unsent.end();) {
    if (it->deadline <= now) {
      EndWithFailure(it->start.tag, IP_REQ_TIMED_OUT);
      it = m_unsent.erase(it);
    } else {
      ++it;
    }
  }
}

EchoClock::time_point SocketEchoFlights::NextDeadline() const {
  EchoClock::time_point next = m_deadlines.empty() ? EchoClock::time_point::max() : m_deadlines.begin()->first;
  for (const Unsent& unsent : m_unsent) next = std::min(next, unsent.deadline);
  return next;
}

SocketEchoFlights::SendOutcome SocketEchoFlights::Send(EchoStart& start, EchoClock::time_point deadline) {
  const std::optional<std::uint16_t> sequence = FreeSequence();
  if (!sequence) {
    EndWithFailure(start.tag, IP_NO_RESOURCES);
    return SendOutcome::Ended;
  }
  const int fd = m_socket.fd();
  const std::vector<std::uint8_t> packet = BuildEchoRequest(m_identifier, *sequence, start.payload);
  std::int64_t sentNs = RealtimeNs();
  bool sent = SendPacket(fd, start.destination, packet);
  // A send also reports (and clears) an error the socket kept from an ICMP
  // error about an earlier echo; only a second failure is this echo's own.
  if (!sent && !NoRoom(errno)) {
    sentNs = RealtimeNs();
    sent = SendPacket(fd, start.destination, packet);
  }
  if (!sent) {
    if (NoRoom(errno)) return SendOutcome::NoRoom;
    EndWithFailure(start.tag, StatusForSendError(errno));
    return SendOutcome::Ended;
  }
  if (!m_identifierKnown) {
    if (!ReadKernelIdentifier(fd, m_identifier)) {
      EndWithFailure(start.tag, kernel::SystemErrorFromErrno(errno));
      return SendOutcome::Ended;
    }
    m_identifierKnown = true;
  }
  const std::int64_t timeoutUs = std::int64_t{start.timeoutMs} * 1000;
  m_flights.emplace(*sequence,
                    Flight{start.tag, start.destination, std::move(start.payload), sentNs, timeoutUs, deadline});
  m_deadlines.emplace(deadline, *sequence);
  return SendOutcome::Sent;
}

void SocketEchoFlights::SendUnsent() {
  while (!m_unsent.empty()) {
    Unsent& next = m_unsent.front();
    if (Send(next.start, next.deadline) == SendOutcome::NoRoom) return;
    m_unsent.pop_front();
  }
}

// Sequences still in flight are never given out again.
std::optional<std::uint16_t> SocketEchoFlights::FreeSequence() {
  if (m_flights.size() >= kSequences) return std::nullopt;
  for (;;) {
    const std::uint16_t sequence = m_socket.NextSequence();
    if (!m_flights.contains(sequence)) return sequence;
  }
}

void SocketEchoFlights::ReadQueue(int queueFlag) {
  // Read even with nothing in flight: what stays queued keeps poll waking.
  for (int i = 0; i < kReadsPerService; ++i) {
    sockaddr_in source{};
    iovec io{m_buffer.get(), kMaxPacketSize};
    msghdr message{};
    message.msg_name = &source;
    message.msg_namelen = sizeof source;
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = m_control;
    message.msg_controllen = sizeof m_control;
    const ssize_t received = ::recvmsg(m_socket.fd(), &message, MSG_DONTWAIT | queueFlag);
    if (received < 0) {
      // A pending socket error is reported (and cleared) by a failing read;
      // it is not a reason to stop reading.
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EBADF) return;
      continue;
    }
    const Bytes bytes(m_buffer.get(), std::min(static_cast<std::size_t>(received), kMaxPacketSize));
    Match(message, bytes, queueFlag == MSG_ERRQUEUE);
  }
}

void SocketEchoFlights::Match(msghdr& message, Bytes bytes, bool fromErrorQueue) {
  const ReceiveDetails details = ReadReceiveDetails(message);
  std::optional<QueuedIcmpError> queued;
  std::optional<EchoKey> key;
  if (fromErrorQueue) {
    queued = QueuedErrorFromMessage(message, bytes);
    if (queued) key = EchoKeyOfQueuedError(*queued);
  } else {
    key = m_socket.kind() == EchoSocketKind::Raw ? EchoKeyOfRawPacket(bytes) : EchoKeyOfIcmpMessage(bytes);
  }
  if (!key || key->identifier != m_identifier) return;
  const auto found = m_flights.find(key->sequence);
  if (found == m_flights.end()) return;
  const Flight& flight = found->second;
  const EchoExpectation expected{m_identifier, key->sequence, flight.destination, flight.payload};
  const auto* source = static_cast<const sockaddr_in*>(message.msg_name);
  const PacketOutcome outcome = queued ? ParseQueuedError(*queued, expected)
                                : m_socket.kind() == EchoSocketKind::Raw
                                    ? ParseRawPacket(bytes, expected)
                                    : ParseDgramPacket(bytes, source->sin_addr.s_addr, details.ttl, expected);
  if (outcome.verdict == PacketVerdict::NotOurs) return;
  const std::int64_t arrivalNs = details.arrivalNs >= 0 ? details.arrivalNs : RealtimeNs();
  // The clock may have been set back between send and arrival.
  const std::int64_t roundTripUs = std::max<std::int64_t>(0, (arrivalNs - flight.sentNs) / 1000);
  // An answer that came after the deadline leaves the echo to its time-out.
  if (roundTripUs > flight.timeoutUs) return;
  EchoResult result;
  result.tag = flight.tag;
  result.answered = true;
  result.status = outcome.status;
  result.address = outcome.address;
  result.ttl = outcome.ttl;
  result.data.assign(outcome.data.begin(), outcome.data.end());
  result.roundTripMicroseconds = roundTripUs;
  m_deadlines.erase({flight.deadline, key->sequence});
  m_flights.erase(found);
  End(std::move(result));
}

}  // namespace icmpapi

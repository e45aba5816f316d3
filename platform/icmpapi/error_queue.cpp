#include "platform/icmpapi/error_queue.h"

#include <linux/errqueue.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace icmpapi {
namespace {

// Bytes of the header's data that lie inside the control buffer. A header
// may claim more than the buffer holds (control data cut short) or less than
// a header (damaged); only what both allow may be read.
std::size_t DataLength(const msghdr& message, const cmsghdr& cmsg) {
  const auto* control = static_cast<const unsigned char*>(message.msg_control);
  const std::size_t offset = static_cast<std::size_t>(CMSG_DATA(&cmsg) - control);
  if (cmsg.cmsg_len < CMSG_LEN(0) || offset > message.msg_controllen) return 0;
  return std::min<std::size_t>(cmsg.cmsg_len - CMSG_LEN(0), message.msg_controllen - offset);
}

// The extended error and the offender's address that follows it.
bool ReadExtendedError(const cmsghdr& cmsg, std::size_t dataLength, QueuedIcmpError& error) {
  if (dataLength < sizeof(sock_extended_err)) return false;
  sock_extended_err ee;
  std::memcpy(&ee, CMSG_DATA(&cmsg), sizeof ee);
  if (ee.ee_origin != SO_EE_ORIGIN_ICMP) return false;
  error.type = ee.ee_type;
  error.code = ee.ee_code;
  if (dataLength >= sizeof ee + sizeof(sockaddr_in)) {
    sockaddr_in offender;
    std::memcpy(&offender, CMSG_DATA(&cmsg) + sizeof ee, sizeof offender);
    if (offender.sin_family == AF_INET) error.offender = offender.sin_addr.s_addr;
  }
  return true;
}

std::uint8_t ReadTtl(const cmsghdr& cmsg, std::size_t dataLength) {
  int ttl = 0;
  if (dataLength >= sizeof ttl) std::memcpy(&ttl, CMSG_DATA(&cmsg), sizeof ttl);
  return static_cast<std::uint8_t>(ttl);
}

}  // namespace

std::optional<QueuedIcmpError> QueuedErrorFromMessage(const msghdr& message, Bytes quoted) {
  QueuedIcmpError error;
  bool found = false;
  // CMSG_NXTHDR takes a non-const header but only reads it.
  auto* walk = const_cast<msghdr*>(&message);
  for (cmsghdr* cmsg = CMSG_FIRSTHDR(walk); cmsg != nullptr; cmsg = CMSG_NXTHDR(walk, cmsg)) {
    if (cmsg->cmsg_level != IPPROTO_IP) continue;
    const std::size_t dataLength = DataLength(message, *cmsg);
    if (cmsg->cmsg_type == IP_RECVERR) found = ReadExtendedError(*cmsg, dataLength, error);
    if (cmsg->cmsg_type == IP_TTL) error.ttl = ReadTtl(*cmsg, dataLength);
  }
  if (!found) return std::nullopt;
  if (message.msg_name != nullptr && message.msg_namelen >= sizeof(sockaddr_in)) {
    sockaddr_in destination;
    std::memcpy(&destination, message.msg_name, sizeof destination);
    error.originalDestination = destination.sin_addr.s_addr;
  }
  error.quoted = quoted;
  return error;
}

}  // namespace icmpapi

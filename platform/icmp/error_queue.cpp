#include "platform/icmp/error_queue.h"

#include <linux/errqueue.h>
#include <netinet/in.h>

#include <cstring>

namespace icmp {
namespace {

// The extended error and the offender's address that follows it.
bool ReadExtendedError(const cmsghdr& cmsg, QueuedIcmpError& error) {
  const std::size_t dataLength = cmsg.cmsg_len - CMSG_LEN(0);
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

std::uint8_t ReadTtl(const cmsghdr& cmsg) {
  int ttl = 0;
  if (cmsg.cmsg_len >= CMSG_LEN(sizeof ttl)) std::memcpy(&ttl, CMSG_DATA(&cmsg), sizeof ttl);
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
    if (cmsg->cmsg_type == IP_RECVERR) found = ReadExtendedError(*cmsg, error);
    if (cmsg->cmsg_type == IP_TTL) error.ttl = ReadTtl(*cmsg);
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

}  // namespace icmp

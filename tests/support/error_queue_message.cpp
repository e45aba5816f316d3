#include "tests/support/error_queue_message.h"

#include <linux/errqueue.h>

#include <cerrno>
#include <cstring>

namespace vqtest {

ErrorQueueMessage::ErrorQueueMessage(std::uint32_t target, std::uint32_t router, std::uint8_t origin,
                                     std::optional<int> ttl) {
  destination.sin_family = AF_INET;
  destination.sin_addr.s_addr = target;
  message.msg_name = &destination;
  message.msg_namelen = sizeof destination;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  header = CMSG_FIRSTHDR(&message);
  header->cmsg_level = IPPROTO_IP;
  header->cmsg_type = IP_RECVERR;
  header->cmsg_len = CMSG_LEN(sizeof(sock_extended_err) + sizeof(sockaddr_in));
  sock_extended_err ee{};
  ee.ee_errno = EHOSTUNREACH;
  ee.ee_origin = origin;
  ee.ee_type = 3;
  ee.ee_code = 1;
  sockaddr_in offender{};
  offender.sin_family = AF_INET;
  offender.sin_addr.s_addr = router;
  std::memcpy(CMSG_DATA(header), &ee, sizeof ee);
  std::memcpy(CMSG_DATA(header) + sizeof ee, &offender, sizeof offender);
  std::size_t used = CMSG_SPACE(sizeof ee + sizeof offender);
  if (ttl) {
    cmsghdr* ttlHeader = CMSG_NXTHDR(&message, header);
    ttlHeader->cmsg_level = IPPROTO_IP;
    ttlHeader->cmsg_type = IP_TTL;
    ttlHeader->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(ttlHeader), &*ttl, sizeof(int));
    used += CMSG_SPACE(sizeof(int));
  }
  message.msg_controllen = used;
}

}  // namespace vqtest

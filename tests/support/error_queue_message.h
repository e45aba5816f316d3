#pragma once
// Control data as recvmsg(MSG_ERRQUEUE) fills it in when a router reports
// one of our echo requests (host unreachable): an IP_RECVERR entry, the
// extended error followed by the router's address, and an IP_TTL entry
// when a time to live is given. For tests of the error-queue decoding.
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <optional>

namespace vqtest {

struct ErrorQueueMessage {
  // Addresses in network order; origin is an SO_EE_ORIGIN_* value.
  ErrorQueueMessage(std::uint32_t target, std::uint32_t router, std::uint8_t origin, std::optional<int> ttl);
  ErrorQueueMessage(const ErrorQueueMessage&) = delete;  // message points into the object
  ErrorQueueMessage& operator=(const ErrorQueueMessage&) = delete;

  alignas(cmsghdr) std::uint8_t control[256] = {};
  sockaddr_in destination{};
  msghdr message{};           // msg_controllen counts the entries written
  cmsghdr* header = nullptr;  // the IP_RECVERR entry
};

}  // namespace vqtest

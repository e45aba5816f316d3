#include "tools/status_server/ipv4_text.h"

#include <arpa/inet.h>

namespace status_server {

std::optional<std::uint32_t> ParseDottedQuad(const std::string& text) {
  in_addr address{};
  if (inet_pton(AF_INET, text.c_str(), &address) != 1) return std::nullopt;
  return ntohl(address.s_addr);
}

}  // namespace status_server

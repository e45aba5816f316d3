#include "tools/status_server/request_answer.h"

#include <algorithm>
#include <cstdio>

#include "tools/status_server/hex.h"
#include "tools/status_server/status_text.h"

namespace status_server {

std::string DottedQuadText(std::uint32_t address) {
  std::string text;
  for (int part = 3; part >= 0; --part) {  // the most significant byte first
    text += std::to_string((address >> (part * 8)) & 0xFFu);
    if (part > 0) text += '.';
  }
  return text;
}

std::string EndpointText(std::uint32_t address, std::uint16_t port) {
  return DottedQuadText(address) + ":" + std::to_string(port);
}

void LogRequest(const ServerOptions& options, const std::string& sender, std::string_view bytes) {
  if (!options.logRequests) return;
  std::printf("request %s %s\n", sender.c_str(), HexFromBytes(bytes).c_str());
  std::fflush(stdout);
}

std::optional<std::string> AnswerFor(const ServerOptions& options, std::uint32_t localAddress,
                                     const std::string& reply) {
  const auto holdsLocal = [localAddress](const ServerOptions::AddressRange& range) {
    return range.Holds(localAddress);
  };
  if (options.silent || std::ranges::any_of(options.silentFor, holdsLocal)) return std::nullopt;
  if (!options.hostIsAddress) return reply;
  ServerOptions named = options;
  named.host = DottedQuadText(localAddress);
  return BuildReply(named);
}

}  // namespace status_server

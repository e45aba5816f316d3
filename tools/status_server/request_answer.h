#pragma once
// What the responder does with one request, apart from the sockets: the
// same on every system. Addresses are IPv4 in host byte order.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tools/status_server/server_options.h"

namespace status_server {

// "a.b.c.d", and "a.b.c.d:port".
std::string DottedQuadText(std::uint32_t address);
std::string EndpointText(std::uint32_t address, std::uint16_t port);

// Prints the request line (sender, bytes in hex) when the options ask for it.
void LogRequest(const ServerOptions& options, const std::string& sender, std::string_view bytes);

// The answer to a request sent to `localAddress`: none while the server is
// silent, for every address or for that one; with hostIsAddress, the reply
// names that address as its host.
std::optional<std::string> AnswerFor(const ServerOptions& options, std::uint32_t localAddress,
                                     const std::string& reply);

}  // namespace status_server

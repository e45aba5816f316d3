#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace status_server {

// An IPv4 address in dotted form (four decimal parts, no names), in host
// byte order; nullopt for anything else.
std::optional<std::uint32_t> ParseDottedQuad(const std::string& text);

}  // namespace status_server

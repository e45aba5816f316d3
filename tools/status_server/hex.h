#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace status_server {

// Bytes from pairs of hex digits (either case, no separators); nullopt for
// an odd count or any other character.
std::optional<std::string> BytesFromHex(std::string_view hex);

// Upper-case hex digits, two per byte, no separators.
std::string HexFromBytes(std::string_view bytes);

}  // namespace status_server

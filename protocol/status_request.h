#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// What the program sends to ask a game server for its status. The server
// answers any datagram of one byte or more; the program always sends the
// first four bytes of the request text ("anyt").
inline constexpr std::uint16_t kStatusPort = 6971;
inline constexpr std::string_view kStatusRequestText = "anything_1_byte_or_more";
inline constexpr std::size_t kStatusRequestLength = 4;
// The reply buffer; a longer datagram makes the receive fail.
inline constexpr std::size_t kStatusReplyBufferSize = 1024;

static_assert(kStatusRequestLength <= kStatusRequestText.size());

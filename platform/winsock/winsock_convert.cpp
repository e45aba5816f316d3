// Byte-order conversions and dotted-address text.
#include <bit>
#include <cstdio>
#include <cstring>

#include "platform/winsock/winsock_internal.h"

namespace winsock {
namespace {

static_assert(std::endian::native == std::endian::little, "the conversions assume a little-endian host");

// One part of a dotted quad: decimal digits, leading zeros included, worth
// at most 255. Advances `text` past the digits; false when there are none or
// the value is too large.
bool ParseQuadPart(const char*& text, std::uint32_t* value) {
  const char* start = text;
  std::uint32_t result = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    result = result * 10 + static_cast<std::uint32_t>(*text - '0');
    if (result > 0xFF) return false;
  }
  *value = result;
  return text != start;
}

}  // namespace

u_short htons(u_short hostshort) { return __builtin_bswap16(hostshort); }
u_short ntohs(u_short netshort) { return __builtin_bswap16(netshort); }

// Exactly four decimal numbers of 0 to 255 separated by dots, nothing
// before or after. Leading zeros are decimal ("010" is ten): a typed address
// never means octal here.
u_long inet_addr(const char* cp) {
  if (cp == nullptr) return INADDR_NONE;
  std::uint32_t host = 0;
  const char* text = cp;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && *text++ != '.') return INADDR_NONE;
    std::uint32_t value = 0;
    if (!ParseQuadPart(text, &value)) return INADDR_NONE;
    host = (host << 8) | value;
  }
  return *text == '\0' ? __builtin_bswap32(host) : INADDR_NONE;
}

// The text lives in a per-thread buffer, valid until the thread's next call.
char* inet_ntoa(in_addr in) {
  thread_local char text[16];
  unsigned char bytes[4];
  std::memcpy(bytes, &in.s_addr, sizeof(bytes));
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
  return text;
}

}  // namespace winsock

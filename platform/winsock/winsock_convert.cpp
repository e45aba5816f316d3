// Byte-order conversions and dotted-address text.
#include <bit>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/winsock/winsock_internal.h"

namespace winsock {
namespace {

static_assert(std::endian::native == std::endian::little, "the conversions assume a little-endian host");

// One part of a dotted address: decimal, octal with a leading 0, or hex
// with 0x. Advances `text` past the digits; false when there are none or
// the value exceeds 32 bits.
bool ParsePart(const char*& text, std::uint32_t* value) {
  unsigned base = 10;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text += 2;
  } else if (text[0] == '0') {
    base = 8;
  }
  std::uint64_t result = 0;
  const char* start = text;
  for (;; ++text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    unsigned digit = 0;
    if (std::isdigit(c)) digit = c - '0';
    else if (base == 16 && std::isxdigit(c)) digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
    else break;
    if (digit >= base) return false;
    result = result * base + digit;
    if (result > 0xFFFFFFFFu) return false;
  }
  *value = static_cast<std::uint32_t>(result);
  return text != start;
}

}  // namespace

u_long htonl(u_long hostlong) { return __builtin_bswap32(hostlong); }
u_short htons(u_short hostshort) { return __builtin_bswap16(hostshort); }
u_long ntohl(u_long netlong) { return __builtin_bswap32(netlong); }
u_short ntohs(u_short netshort) { return __builtin_bswap16(netshort); }

// The forms a, a.b, a.b.c and a.b.c.d, where the last part fills the
// remaining bytes; the address ends at the terminator or white space.
u_long inet_addr(const char* cp) {
  if (cp == nullptr) return INADDR_NONE;
  std::uint32_t parts[4] = {};
  int count = 0;
  const char* text = cp;
  for (;;) {
    if (count == 4 || !ParsePart(text, &parts[count])) return INADDR_NONE;
    ++count;
    if (*text != '.') break;
    ++text;
  }
  if (*text != '\0' && !std::isspace(static_cast<unsigned char>(*text))) return INADDR_NONE;
  std::uint32_t host = parts[count - 1];
  const std::uint32_t lastLimit = count == 1 ? 0xFFFFFFFFu : (0xFFFFFFFFu >> (8 * (count - 1)));
  if (host > lastLimit) return INADDR_NONE;
  for (int i = 0; i < count - 1; ++i) {
    if (parts[i] > 0xFF) return INADDR_NONE;
    host |= parts[i] << (24 - 8 * i);
  }
  return htonl(host);
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

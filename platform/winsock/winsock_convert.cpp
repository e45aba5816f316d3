// Byte-order conversions and dotted-address text.
#include <bit>
#include <cstdio>
#include <cstring>

#include "platform/winsock/address_text.h"
#include "platform/winsock/winsock_internal.h"

namespace winsock {
static_assert(std::endian::native == std::endian::little, "the conversions assume a little-endian host");

u_short htons(u_short hostshort) { return __builtin_bswap16(hostshort); }
u_short ntohs(u_short netshort) { return __builtin_bswap16(netshort); }

// A dotted quad only: leading zeros are decimal, and no shorter, octal or
// hex form is read.
u_long inet_addr(const char* cp) { return DottedQuadAddress(cp); }

// The text lives in a per-thread buffer, valid until the thread's next call.
char* inet_ntoa(in_addr in) {
  thread_local char text[16];
  unsigned char bytes[4];
  std::memcpy(bytes, &in.s_addr, sizeof(bytes));
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
  return text;
}

}  // namespace winsock

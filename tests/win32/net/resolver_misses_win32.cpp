// The system's resolver may ask DNS, which the tests' network namespace
// cannot reach (WSATRY_AGAIN) and a connected machine can (WSAHOST_NOT_FOUND
// or WSANO_DATA): the expected error is what the system answers the same
// look-up now.
#include "tests/net/resolver_misses.h"

namespace nettest {

DWORD ReverseMissError(const char* dotted) {
  const unsigned long address = ::inet_addr(dotted);
  if (::gethostbyaddr(reinterpret_cast<const char*>(&address), 4, AF_INET) != nullptr) return 0;
  return static_cast<DWORD>(::WSAGetLastError());
}

DWORD NameMissError(const char* name) {
  if (::gethostbyname(name) != nullptr) return 0;
  return static_cast<DWORD>(::WSAGetLastError());
}

}  // namespace nettest

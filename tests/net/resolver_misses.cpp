// The sockets library answers reverse look-ups from the hosts file alone,
// and names under .invalid itself; the tests' names have no hosts entry.
#include "tests/net/resolver_misses.h"

namespace nettest {

DWORD ReverseMissError(const char* /*dotted*/) { return WSAHOST_NOT_FOUND; }

DWORD NameMissError(const char* /*name*/) { return WSAHOST_NOT_FOUND; }

}  // namespace nettest

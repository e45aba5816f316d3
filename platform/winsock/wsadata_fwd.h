#pragma once
// The sockets library's start-up record by name only, for headers that pass
// it along without the whole library's declarations.

namespace winsock {
struct WSAData;
}  // namespace winsock

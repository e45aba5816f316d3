#pragma once
// The thin layer between the sockets library and POSIX. It speaks plain
// ints, bytes and strings so that its users need neither the library's
// header nor POSIX socket headers. Calls that fail return -1 and leave the
// reason in errno, as POSIX does.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace winsock::bridge {

// An IPv4 address and port, both in network byte order.
struct Endpoint {
  std::uint32_t address = 0;
  std::uint16_t port = 0;
};

// Transfer flags (numerically those of both sides).
constexpr int kFlagOob = 0x1;
constexpr int kFlagPeek = 0x2;
constexpr int kFlagDontRoute = 0x4;

// Socket families and types use the common numbers (2 = IPv4; 1 stream,
// 2 datagram, 3 raw); descriptors are created close-on-exec.
int OpenSocket(int family, int type, int protocol);
int CloseSocket(int fd);
int LocalName(int fd, Endpoint* local);
int Shutdown(int fd, int how);

// Transfers never block and never raise SIGPIPE.
long Send(int fd, const void* data, std::size_t length, int flags, const Endpoint* to);
// `truncated` reports a datagram longer than the buffer (its first bytes are
// in the buffer). `from` is filled when the peer's address is known.
long Receive(int fd, void* buffer, std::size_t length, int flags, Endpoint* from, bool* truncated);

int SetNonBlocking(int fd, bool on);
// Socket type number (1 stream, 2 datagram, 3 raw), or -1.
int SocketType(int fd);
int SetReceiveBuffer(int fd, int bytes);

// Waits until the descriptor is readable (or writable), in slices with the
// blocking hook between them; timeoutMs < 0 waits without limit.
// 1 ready, 0 timed out, -1 failed.
int WaitReady(int fd, bool forWrite, int timeoutMs);

struct PollItem {
  int fd = -1;
  bool wantRead = false, wantWrite = false, wantExcept = false;
  bool read = false, write = false, except = false;
};
// Polls the items (timeoutMs 0: once, no hook; < 0: no limit); the number
// of ready items, 0 on time-out, -1 on failure (EBADF: a closed descriptor).
int PollSockets(std::vector<PollItem>& items, int timeoutMs);

// ---- Name databases ----

enum class LookupStatus { Found, HostNotFound, TryAgain, NoRecovery, NoData };

struct HostRecord {
  std::string name;
  std::vector<std::string> aliases;
  std::vector<std::uint32_t> addresses;  // network byte order
};

struct ServiceRecord {
  std::string name;
  std::vector<std::string> aliases;
  std::uint16_t port = 0;  // network byte order
  std::string protocol;
};

// Resolves a host name to IPv4 addresses through the system resolver. A
// text the resolver would read as a numeric address (octal, hex, fewer
// parts), or one that no DNS name can be (a character other than letters,
// digits, '-', '_' and '.'; an empty label; the last label all digits, as in
// a mistyped address like 127.0.0.256 or 127.0.0.1:6971),
// is looked up as a name in the hosts file only: never sent to DNS.
LookupStatus ResolveHostName(const std::string& name, HostRecord* record);
// Finds an address, or the aliases of a name, in the hosts file only.
LookupStatus HostsFileByAddress(std::uint32_t address, HostRecord* record);
bool HostsFileAliases(const std::string& officialName, std::vector<std::string>* aliases);

// Protocol null: the first entry of any protocol. Port in network order.
bool ServiceByName(const char* name, const char* protocol, ServiceRecord* record);
bool ServiceByPort(std::uint16_t port, const char* protocol, ServiceRecord* record);

}  // namespace winsock::bridge

#pragma once
// Shared helpers of the sockets library's implementation files.
#include <cerrno>

#include "platform/winsock/posix_bridge.h"
#include "platform/winsock/winsock.h"

namespace winsock::detail {

bool IsStarted();

// Sets the thread's last error and returns SOCKET_ERROR.
int Fail(int error);
// The library's number for a POSIX errno value.
int ErrorFromErrno(int err);
// Fail() with the translation of the current errno.
int FailFromErrno();

// Handle flags, so that a transfer needs no system call to learn them:
// the sending side was shut down with shutdown();
constexpr std::uint32_t kSendShutDown = 0x1;
// a stream socket (the others are datagram sockets);
constexpr std::uint32_t kStream = 0x2;
// in non-blocking mode (ioctlsocket FIONBIO);
constexpr std::uint32_t kNonBlocking = 0x4;
// seen bound to a local port once (a socket never becomes unbound);
constexpr std::uint32_t kBound = 0x8;
// kStream is known (a handle made outside the library learns it on its
// first transfer).
constexpr std::uint32_t kTypeKnown = 0x10;

// The descriptor behind a socket handle, or -1 with the last error set
// (WSANOTINITIALISED before start-up, WSAENOTSOCK for anything not a socket).
int DescriptorFor(SOCKET s);

// The handle's flags, kStream among them known.
std::uint32_t TransferFlags(SOCKET s, int fd);

// Runs a non-blocking transfer; on a socket in blocking mode, waits while
// it would block (in slices with the blocking hook) and tries again.
template <typename Operation>
long RetryWhileBlocked(int fd, bool forWrite, bool nonBlocking, Operation operation) {
  for (;;) {
    const long result = operation();
    if (result >= 0 || errno != EAGAIN || nonBlocking) return result;
    if (bridge::WaitReady(fd, forWrite, -1) < 0) return -1;
  }
}

// Converts between the library's address record and the bridge's endpoint.
// Both fail with the last error set (WSAEFAULT, WSAEAFNOSUPPORT).
bool EndpointFromAddress(const sockaddr* name, int namelen, bridge::Endpoint* endpoint);
bool AddressFromEndpoint(const bridge::Endpoint& endpoint, sockaddr* name, int* namelen);

}  // namespace winsock::detail

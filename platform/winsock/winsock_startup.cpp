// Start-up, clean-up and the last error.
#include <atomic>
#include <cstring>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/winsock/startup_refusal.h"
#include "platform/winsock/winsock_internal.h"

namespace winsock {
namespace {

constexpr WORD kHighestVersion = MAKEWORD(2, 2);

std::atomic<int> g_startups{0};
std::atomic<int> g_startupRefusal{0};

void FillData(WORD version, LPWSADATA data) {
  std::memset(data, 0, sizeof(*data));
  data->wVersion = version;
  data->wHighVersion = kHighestVersion;
  std::strncpy(data->szDescription, "Veloxa Quillmar sockets over POSIX", WSADESCRIPTION_LEN);
  std::strncpy(data->szSystemStatus, "Running", WSASYS_STATUS_LEN);
  constexpr unsigned short kMaxSockets = 32767;
  constexpr unsigned short kMaxUdpDatagram = 65467;  // 65535 less the largest IP and the UDP header
  data->iMaxSockets = kMaxSockets;
  data->iMaxUdpDg = kMaxUdpDatagram;
}

}  // namespace

// Returns its error instead of setting the last error, like the library.
int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
  if (const int refusal = g_startupRefusal.load(); refusal != 0) return refusal;
  const int major = LOBYTE(wVersionRequested);
  const int minor = HIBYTE(wVersionRequested);
  if (major < 1 || (major == 1 && minor < 1)) return WSAVERNOTSUPPORTED;
  if (lpWSAData == nullptr) return WSAEFAULT;
  const WORD granted = major >= 2 ? MAKEWORD(2, minor > 2 ? 2 : minor) : MAKEWORD(1, 1);
  FillData(major > 2 ? kHighestVersion : granted, lpWSAData);
  ++g_startups;
  return 0;
}

int WSACleanup() {
  int count = g_startups.load();
  do {
    if (count == 0) return detail::Fail(WSANOTINITIALISED);
  } while (!g_startups.compare_exchange_weak(count, count - 1));
  return 0;
}

int WSAGetLastError() { return static_cast<int>(GetLastError()); }

void WSASetLastError(int iError) { SetLastError(static_cast<DWORD>(iError)); }

int SetStartupRefusal(int error) { return g_startupRefusal.exchange(error); }

namespace detail {

bool IsStarted() { return g_startups.load() > 0; }

int DescriptorFor(SOCKET s) {
  if (!IsStarted()) return Fail(WSANOTINITIALISED);
  if (!kernel::IsHandleKind(s, kernel::HandleKind::Socket)) return Fail(WSAENOTSOCK);
  const int fd = kernel::DescriptorOf(s);
  return fd < 0 ? Fail(WSAENOTSOCK) : fd;
}

std::uint32_t TransferFlags(SOCKET s, int fd) {
  std::uint32_t flags = kernel::HandleFlags(s);
  if ((flags & kTypeKnown) != 0) return flags;
  flags |= kTypeKnown | (bridge::SocketType(fd) == SOCK_STREAM ? kStream : 0);
  kernel::SetHandleFlags(s, flags);
  return flags;
}

}  // namespace detail
}  // namespace winsock

// Start-up, clean-up, last error and the blocking hook.
#include <atomic>
#include <cstring>

#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/winsock/winsock_internal.h"

namespace winsock {
namespace {

constexpr WORD kHighestVersion = MAKEWORD(2, 2);

std::atomic<int> g_startups{0};
std::atomic<int> g_startupFailures{0};
thread_local int t_blockingDepth = 0;

void FillData(WORD version, LPWSADATA data) {
  std::memset(data, 0, sizeof(*data));
  data->wVersion = version;
  data->wHighVersion = kHighestVersion;
  std::strncpy(data->szDescription, "Veloxa Quillmar sockets over POSIX", WSADESCRIPTION_LEN);
  std::strncpy(data->szSystemStatus, "Running", WSASYS_STATUS_LEN);
  data->iMaxSockets = 32767;
  data->iMaxUdpDg = 65467;
}

}  // namespace

// Returns its error instead of setting the last error, like the library.
int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
  if (g_startupFailures.load() > 0) return WSASYSNOTREADY;
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

FARPROC WSASetBlockingHook(FARPROC lpBlockFunc) {
  int error = 0;
  if (!detail::IsStarted()) error = WSANOTINITIALISED;
  else if (t_blockingDepth > 0) error = WSAEINPROGRESS;
  else if (lpBlockFunc == nullptr) error = WSAEFAULT;
  if (error != 0) {
    detail::Fail(error);
    return nullptr;
  }
  // Through void(*)(), the generic function pointer type: the hook's real
  // type is BOOL(*)(), the loader's entry-point type is wider.
  using Generic = void (*)();
  const BLOCKINGHOOKPROC hook = reinterpret_cast<BLOCKINGHOOKPROC>(reinterpret_cast<Generic>(lpBlockFunc));
  return reinterpret_cast<FARPROC>(reinterpret_cast<Generic>(kernel::SetBlockingHook(hook)));
}

int WSAUnhookBlockingHook() {
  if (!detail::IsStarted()) return detail::Fail(WSANOTINITIALISED);
  if (t_blockingDepth > 0) return detail::Fail(WSAEINPROGRESS);
  kernel::SetBlockingHook(nullptr);
  return 0;
}

BOOL WSAIsBlocking() { return t_blockingDepth > 0 ? TRUE : FALSE; }

namespace testing {
ScopedStartupFailure::ScopedStartupFailure() { ++g_startupFailures; }
ScopedStartupFailure::~ScopedStartupFailure() { --g_startupFailures; }
}  // namespace testing

namespace detail {

bool IsStarted() { return g_startups.load() > 0; }

int DescriptorFor(SOCKET s) {
  if (!IsStarted()) return Fail(WSANOTINITIALISED);
  if (!kernel::IsHandleKind(s, kernel::HandleKind::Socket)) return Fail(WSAENOTSOCK);
  const int fd = kernel::DescriptorOf(s);
  return fd < 0 ? Fail(WSAENOTSOCK) : fd;
}

BlockingCall::BlockingCall() { ++t_blockingDepth; }
BlockingCall::~BlockingCall() { --t_blockingDepth; }

}  // namespace detail
}  // namespace winsock

#include <cstring>
#include <new>

#include "net/socket_api_table.h"
#include "net/socket_fallbacks.h"
#include "platform/kernel/abort.h"
#include "platform/kernel/modules.h"
#include "platform/kernel/version.h"

SOCKET_API_TABLE* g_pSocketApi = nullptr;
int g_nSocketUsers = 0;

namespace {

// NT 4 has the newer sockets library; every other NT and 95/98 the 1.1 one;
// Win32s, or a failed version query, none.
const char* ChooseLibraryName() {
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExA(&info)) return "";
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return info.dwMajorVersion == 4 ? "ws2_32.dll" : "wsock32.dll";
  if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return "wsock32.dll";
  return "";
}

template <typename F>
void Bind(HMODULE library, const char* exportName, F& entry, F fallback) {
  FARPROC proc = GetProcAddress(library, exportName);
  entry = proc != nullptr ? kernel::FromFarProc<std::remove_pointer_t<F>>(proc) : fallback;
}

// The entry is a member name and the fallback a template, neither an expression to parenthesise.
#define VQ_BIND(entry, fallback) \
  Bind(t.m_hLibrary, #entry, t.entry, fallback<decltype(t.entry)>)  // NOLINT(bugprone-macro-parentheses)

void BindEntries(SOCKET_API_TABLE& t) {
  VQ_BIND(accept, FallbackError);
  VQ_BIND(bind, FallbackError);
  VQ_BIND(closesocket, FallbackError);
  VQ_BIND(connect, FallbackError);
  VQ_BIND(ioctlsocket, FallbackError);
  VQ_BIND(getpeername, FallbackError);
  VQ_BIND(getsockname, FallbackError);
  VQ_BIND(getsockopt, FallbackError);
  VQ_BIND(htonl, FallbackZero);
  VQ_BIND(htons, FallbackZero16);
  VQ_BIND(inet_addr, FallbackError);
  VQ_BIND(inet_ntoa, FallbackZero);
  VQ_BIND(listen, FallbackError);
  VQ_BIND(ntohl, FallbackZero);
  VQ_BIND(ntohs, FallbackZero16);
  VQ_BIND(recv, FallbackError);
  VQ_BIND(recvfrom, FallbackError);
  VQ_BIND(select, FallbackError);
  VQ_BIND(send, FallbackError);
  VQ_BIND(sendto, FallbackError);
  VQ_BIND(setsockopt, FallbackError);
  VQ_BIND(shutdown, FallbackError);
  VQ_BIND(socket, FallbackError);
  VQ_BIND(gethostbyaddr, FallbackZero);
  VQ_BIND(gethostbyname, FallbackZero);
  VQ_BIND(gethostname, FallbackError);
  VQ_BIND(getservbyport, FallbackZero);
  VQ_BIND(getservbyname, FallbackZero);
  VQ_BIND(getprotobynumber, FallbackZero);
  VQ_BIND(getprotobyname, FallbackZero);
  VQ_BIND(WSAStartup, FallbackNotImplemented);
  VQ_BIND(WSACleanup, FallbackError);
  VQ_BIND(WSASetLastError, FallbackVoid);
  VQ_BIND(WSAGetLastError, FallbackNotImplemented);
  VQ_BIND(__WSAFDIsSet, FallbackZero);
}

#undef VQ_BIND

}  // namespace

void LoadSocketApi() {
  if (g_pSocketApi != nullptr) return;
  try {
    g_pSocketApi = new SOCKET_API_TABLE;
  } catch (const std::bad_alloc&) {
    g_pSocketApi = nullptr;
    return;
  }
  SOCKET_API_TABLE& table = *g_pSocketApi;
  std::memset(&table, 0, sizeof(table));
  std::strncpy(table.m_szLibraryName, ChooseLibraryName(), sizeof(table.m_szLibraryName) - 1);
  if (table.m_szLibraryName[0] != '\0') table.m_hLibrary = LoadLibraryA(table.m_szLibraryName);
  BindEntries(table);  // positions 35 to 50 stay null from the memset
}

void StartupSockets() {
  LoadSocketApi();
  if (g_pSocketApi == nullptr) AfxAbort();
  WSADATA data;
  std::memset(&data, 0, sizeof(data));
  if (g_pSocketApi->WSAStartup(MAKEWORD(1, 1), &data) != 0) AfxAbort();
}

void CleanupSockets() {
  if (g_pSocketApi == nullptr) return;
  g_pSocketApi->WSACleanup();
  if (g_pSocketApi->m_hLibrary != nullptr) FreeLibrary(g_pSocketApi->m_hLibrary);
  std::memset(g_pSocketApi, 0, sizeof(*g_pSocketApi));
  delete g_pSocketApi;
  g_pSocketApi = nullptr;
}

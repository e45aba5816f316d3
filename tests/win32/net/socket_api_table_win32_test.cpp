// The sockets table on Windows binds the system's own library: the one that
// suits this version, every entry it fills the library's real function, and
// the sockets library running exactly while socket objects live.
#include <gtest/gtest.h>

#include <cstring>

#include "net/socket_api_table.h"
#include "platform/kernel/windef.h"
#include "tests/net/net_test_support.h"

namespace {

using SocketApiTableWin32 = SocketTableTest;

// Whether sockets work without a start-up of the caller's own.
bool SocketsStarted() {
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return false;
  ::closesocket(s);
  return true;
}

TEST_F(SocketApiTableWin32, BindsTheSystemsLibraryForThisVersion) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  ASSERT_TRUE(::GetVersionExA(&version));
  ASSERT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  ASSERT_NE(version.dwMajorVersion, 4u) << "NT 4 binds ws2_32.dll";
  LoadSocketApi();
  ASSERT_NE(g_pSocketApi, nullptr);
  const SOCKET_API_TABLE& api = *g_pSocketApi;
  EXPECT_STREQ(api.m_szLibraryName, "wsock32.dll");
  EXPECT_EQ(api.m_hLibrary, ::GetModuleHandleA("wsock32.dll"));

  // The library's functions, not the fallbacks that report 120.
  WSADATA data{};
  ASSERT_EQ(api.WSAStartup(MAKEWORD(1, 1), &data), 0);
  EXPECT_EQ(api.htons(0x1234), 0x3412);
  EXPECT_EQ(api.inet_addr("127.0.0.1"), htonl(INADDR_LOOPBACK));
  api.WSASetLastError(WSAENOBUFS);
  EXPECT_EQ(api.WSAGetLastError(), WSAENOBUFS);
  const SOCKET s = api.socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_NE(s, INVALID_SOCKET);
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  EXPECT_NE(api.__WSAFDIsSet(s, &set), 0);
  EXPECT_EQ(api.closesocket(s), 0);
  EXPECT_EQ(api.WSACleanup(), 0);

  for (FARPROC entry : api.m_apfnUnused35To47) EXPECT_EQ(entry, nullptr);
  for (FARPROC entry : api.m_apfnUnused49To50) EXPECT_EQ(entry, nullptr);
  EXPECT_EQ(api.TransmitFile, nullptr);
  CleanupSockets();
}

TEST_F(SocketApiTableWin32, SocketsRunWhileObjectsLiveAndTheLibraryGoesWithTheLast) {
  ASSERT_FALSE(SocketsStarted());
  ASSERT_EQ(::GetModuleHandleA("wsock32.dll"), nullptr) << "the program has loaded the library by itself";
  {
    TestSocket first;
    const SOCKET_API_TABLE* table = g_pSocketApi;
    ASSERT_NE(table, nullptr);
    {
      TestSocket second;
      EXPECT_EQ(g_nSocketUsers, 2);
      EXPECT_EQ(g_pSocketApi, table);
    }
    EXPECT_EQ(g_nSocketUsers, 1);
    EXPECT_TRUE(SocketsStarted());
    EXPECT_NE(::GetModuleHandleA("wsock32.dll"), nullptr);
  }
  EXPECT_FALSE(SocketsStarted());
  EXPECT_EQ(::WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(::GetModuleHandleA("wsock32.dll"), nullptr);
}

}  // namespace

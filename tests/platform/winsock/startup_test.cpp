#include <gtest/gtest.h>

#include "platform/winsock/scoped_startup.h"
#include "platform/winsock/winsock.h"
#include "tests/support/platform_seams/startup_failure.h"

TEST(WinsockStartup, CallsBeforeStartupFailWithNotInitialised) {
  WSASetLastError(0);
  EXPECT_EQ(socket(AF_INET, SOCK_DGRAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  WSASetLastError(0);
  EXPECT_EQ(gethostbyname("localhost"), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  WSASetLastError(0);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  // Conversions need no start-up.
  EXPECT_EQ(htons(0x1234), 0x3412);
}

TEST(WinsockStartup, GrantsVersionOneOneAndCountsStartups) {
  WSADATA data{};
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  EXPECT_EQ(data.wVersion, MAKEWORD(1, 1));
  EXPECT_GT(data.iMaxUdpDg, 1024);
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  EXPECT_EQ(WSACleanup(), 0);
  // Still started once: sockets can be made.
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_NE(s, INVALID_SOCKET);
  EXPECT_EQ(closesocket(s), 0);
  EXPECT_EQ(WSACleanup(), 0);
  EXPECT_EQ(socket(AF_INET, SOCK_DGRAM, 0), INVALID_SOCKET);
}

TEST(WinsockStartup, RefusesOldVersionsAndMissingData) {
  WSADATA data{};
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 0), &data), WSAVERNOTSUPPORTED);
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), nullptr), WSAEFAULT);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
}

TEST(WinsockStartup, ScopedStartupFailureMakesStartupFailUntilItEnds) {
  WSADATA data{};
  {
    vqtest::ScopedStartupFailure failure;
    EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), WSASYSNOTREADY);
  }
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  EXPECT_EQ(WSACleanup(), 0);
}

// A scope's start-up is balanced when the scope ends; one that failed is not,
// so a start-up made outside the scope is left alone.
TEST(WinsockStartup, ScopedStartupBalancesOnlyAStartupThatSucceeded) {
  {
    const winsock::ScopedStartup sockets;
    ASSERT_TRUE(sockets.started());
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    EXPECT_EQ(closesocket(s), 0);
  }
  EXPECT_EQ(socket(AF_INET, SOCK_DGRAM, 0), INVALID_SOCKET);

  WSADATA data{};
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  {
    const vqtest::ScopedStartupFailure failure;
    const winsock::ScopedStartup sockets;
    EXPECT_FALSE(sockets.started());
  }
  EXPECT_EQ(WSACleanup(), 0) << "the failed scope cleaned up the outer start-up";
}

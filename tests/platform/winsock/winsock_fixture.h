#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "platform/winsock/winsock.h"
#include "tests/support/posix_sockets.h"

// Starts the sockets library for each test and checks that the test closed
// every socket it opened.
class WinsockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    WSASetLastError(0);
  }
  void TearDown() override { WSACleanup(); }

  static sockaddr_in Loopback(u_short port = 0) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    return address;
  }

  static sockaddr* AsAddress(sockaddr_in* address) { return reinterpret_cast<sockaddr*>(address); }

  // A datagram socket bound (by the system's own call) to an ephemeral
  // loopback port; its address in `bound`.
  static SOCKET BoundSocket(sockaddr_in* bound) {
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    EXPECT_NE(s, INVALID_SOCKET);
    *bound = Loopback(vqtest::BindToLoopback(s));
    return s;
  }

  // The two ends of a loopback TCP connection, as handles of the library.
  static std::pair<SOCKET, SOCKET> ConnectedStreams() {
    const vqtest::LoopbackStreamPair pair = vqtest::ConnectLoopbackStreams();
    return {vqtest::AdoptAsSocket(pair.client), vqtest::AdoptAsSocket(pair.server)};
  }

  static fd_set SetOf(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    return set;
  }
};

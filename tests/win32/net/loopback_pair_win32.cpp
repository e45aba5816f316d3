// The loopback pair from the sockets library's own calls, on 127.0.0.1 and
// an ephemeral port.
#include "tests/net/net_test_support.h"

LoopbackPair::LoopbackPair() {
  WSADATA data;
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof(address);
  auto* any = reinterpret_cast<sockaddr*>(&address);
  EXPECT_EQ(bind(listener, any, sizeof(address)), 0);
  EXPECT_EQ(listen(listener, 1), 0);
  EXPECT_EQ(getsockname(listener, any, &length), 0);
  m_client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  EXPECT_EQ(connect(m_client, any, sizeof(address)), 0);
  m_peer = accept(listener, nullptr, nullptr);
  EXPECT_NE(m_peer, INVALID_SOCKET);
  closesocket(listener);
}

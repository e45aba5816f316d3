// The pair's construction is the system's own (loopback_pair.cpp).
#include "tests/net/net_test_support.h"

LoopbackPair::~LoopbackPair() {
  ClosePeer();
  if (m_client != INVALID_SOCKET) closesocket(m_client);
  WSACleanup();
}

SOCKET LoopbackPair::TakeClient() {
  SOCKET client = m_client;
  m_client = INVALID_SOCKET;
  return client;
}

void LoopbackPair::PeerSend(const void* data, int length) {
  ASSERT_EQ(send(m_peer, static_cast<const char*>(data), length, 0), length);
}

int LoopbackPair::PeerReceive(void* buffer, int length) {
  int total = 0;
  while (total < length) {
    const int received = recv(m_peer, static_cast<char*>(buffer) + total, length - total, 0);
    if (received <= 0) break;
    total += received;
  }
  return total;
}

void LoopbackPair::ClosePeer() {
  if (m_peer != INVALID_SOCKET) closesocket(m_peer);
  m_peer = INVALID_SOCKET;
}

void SocketTableTest::SetUp() {
  ASSERT_EQ(g_pSocketApi, nullptr);
  ASSERT_EQ(g_nSocketUsers, 0);
}

void SocketTableTest::TearDown() {
  EXPECT_EQ(g_pSocketApi, nullptr);
  EXPECT_EQ(g_nSocketUsers, 0);
}

void WaitReadable(SOCKET s) {
  fd_set set;
  set.fd_count = 1;
  set.fd_array[0] = s;
  timeval limit{10, 0};  // the system's select takes it writable
  ASSERT_EQ(select(0, &set, nullptr, nullptr, &limit), 1);
}

// The loopback pair from the system's own calls, adopted by the sockets
// library's handle table.
#include "tests/net/net_test_support.h"
#include "tests/support/posix_sockets.h"

LoopbackPair::LoopbackPair() {
  WSADATA data;
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  const vqtest::LoopbackStreamPair pair = vqtest::ConnectLoopbackStreams();
  m_client = vqtest::AdoptAsSocket(pair.client);
  m_peer = vqtest::AdoptAsSocket(pair.server);
}

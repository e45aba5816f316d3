#pragma once
// Whether the tests' peers and servers keep loopback addresses apart. Tests
// of several servers on one port, or of answers from the address asked, need
// it; Wine (8.0) binds a UDP socket to 127.A.B.C as 0.0.0.0 and sends from
// 127.0.0.1 whatever the socket or IP_PKTINFO names, so the Windows suite has
// the host's programs stand in where it can (host_process_win32.h).
namespace vqtest {

// Found out once, by sending between two peers: true when a datagram from
// a peer bound to a loopback address other than 127.0.0.1 arrives from that
// address.
bool LoopbackSourcesAreKept();

}  // namespace vqtest

// Skips a GoogleTest test that needs servers on distinct loopback addresses.
#define VQ_SKIP_WITHOUT_LOOPBACK_SOURCES()                                                      \
  if (!vqtest::LoopbackSourcesAreKept()) {                                                      \
    GTEST_SKIP() << "this system's UDP sockets send from 127.0.0.1 alone, so servers on other " \
                    "loopback addresses cannot be told apart, and no host programs stand in";   \
  }                                                                                             \
  static_assert(true)

// The server query without a window, against peers on loopback addresses
// of their own: what it reports, in order, and whose reply it believes.
#include "query/server_query.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/winsock/scoped_startup.h"
#include "tests/query/windowless_query.h"
#include "tests/support/status_reply_text.h"
#include "tests/support/loopback_sources.h"
#include "tests/support/status_server_process.h"
#include "tests/support/udp_peer.h"

namespace {

using windowless_query::AfterEcho;
using windowless_query::RunQuery;

constexpr std::uint16_t kStatusPort = 6971;

std::string Reply(const std::string& host) {
  return vqtest::StatusReply({"a", "b", host, "Track", "x", "2/4", "y", "2", "z", "S", "w", "x120"});
}

class ServerQueryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sockets.started()); }
  winsock::ScopedStartup sockets;
};

TEST_F(ServerQueryTest, AnsweringServerReportsEveryStepInOrder) {
  VQ_SKIP_WITHOUT_LOOPBACK_SOURCES();
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--host", "Alpha",
                                                        "--seconds-left", "5400"});
  // White space around the address, as it comes with a pasted one, is ignored.
  const windowless_query::QueryRun run = RunQuery(" " + server.AddressText() + "\t ");
  EXPECT_TRUE(run.outcome.detected);
  EXPECT_TRUE(AfterEcho(run.outcome.messages).empty())
      << ::testing::PrintToString(windowless_query::Texts(run.outcome.messages));
  EXPECT_EQ(run.positions, (std::vector<int>{0, 25, 50, 75, 100, 0}));
  EXPECT_STREQ(run.outcome.m_strHost, "Alpha");
  EXPECT_STREQ(run.outcome.m_strTimeLeft, "90 Mins");
}

// Datagrams that reach the query's socket from anywhere but the address and
// port asked (another loopback address, the right address on another port)
// are dropped; the server's own reply after them counts.
TEST_F(ServerQueryTest, OnlyTheReplyFromTheServerAskedCounts) {
  VQ_SKIP_WITHOUT_LOOPBACK_SOURCES();
  const std::string address = vqtest::DistinctLoopbackAddress();
  vqtest::UdpPeer server(address.c_str(), kStatusPort);
  vqtest::UdpPeer forgerElsewhere(vqtest::DistinctLoopbackAddress().c_str());
  vqtest::UdpPeer forgerSameAddress(address.c_str());
  std::thread serverSide([&] {
    if (!server.Receive()) return;
    forgerElsewhere.SendTo(server.LastSenderAddress(), server.LastSenderPort(), Reply("Forged Elsewhere"));
    forgerSameAddress.SendTo(server.LastSenderAddress(), server.LastSenderPort(), Reply("Forged Port"));
    forgerElsewhere.SendTo(server.LastSenderAddress(), server.LastSenderPort(), std::string(2000, 'x'));
    server.Reply(Reply("Genuine"));
  });
  const windowless_query::QueryRun run = RunQuery(address);
  serverSide.join();
  EXPECT_TRUE(run.outcome.detected);
  EXPECT_STREQ(run.outcome.m_strHost, "Genuine");
  EXPECT_TRUE(AfterEcho(run.outcome.messages).empty())
      << ::testing::PrintToString(windowless_query::Texts(run.outcome.messages));
}

// Only forgeries: the wait runs to its end and says the server is silent,
// without an error number (whatever failed before it).
TEST_F(ServerQueryTest, ForgeriesAloneEndInServerNotDetected) {
  VQ_SKIP_WITHOUT_LOOPBACK_SOURCES();
  const std::string address = vqtest::DistinctLoopbackAddress();
  vqtest::UdpPeer server(address.c_str(), kStatusPort);
  vqtest::UdpPeer forger(vqtest::DistinctLoopbackAddress().c_str());
  std::thread serverSide([&] {
    if (!server.Receive()) return;
    forger.SendTo(server.LastSenderAddress(), server.LastSenderPort(), Reply("Forged"));
  });
  WSASetLastError(5);
  const windowless_query::QueryRun run = RunQuery(address);
  serverSide.join();
  EXPECT_FALSE(run.outcome.detected);
  EXPECT_TRUE(run.outcome.m_strHost.IsEmpty());
  EXPECT_EQ(AfterEcho(run.outcome.messages), std::vector<std::string>{"Veloxa server not detected"});
  EXPECT_EQ(run.positions, (std::vector<int>{0, 25, 50}));
}

// Text that gives no IPv4 address says so alone: no echo, no datagram.
TEST_F(ServerQueryTest, TextWithoutAnAddressSendsNothing) {
  for (const char* text : {"", "  ", "nowhere.invalid", "1.2.3.4.5", "255.255.255.255", "0.0.0.0"}) {
    SCOPED_TRACE(text);
    const windowless_query::QueryRun run = RunQuery(text);
    EXPECT_EQ(windowless_query::Texts(run.outcome.messages), std::vector<std::string>{"Invalid server address"});
    EXPECT_EQ(run.positions, std::vector<int>{0});
    EXPECT_TRUE(run.outcome.m_strPing.IsEmpty());
    EXPECT_EQ(run.outcome.rttMicroseconds, -1);
  }
}

}  // namespace

// Many servers at once, in one process: the stand-in status server as
// separate processes on loopback addresses of their own.
#include "query/server_batch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/winsock/scoped_startup.h"
#include "tests/query/query_test_support.h"
#include "tests/support/status_server_process.h"
#include "tests/support/udp_peer.h"

namespace {

using query_test::Texts;

// The messages of the status exchange: those after the echo's.
std::vector<std::string> StatusMessages(const QueryOutcome& outcome, const BatchReport& report) {
  std::vector<std::string> texts;
  for (const CString& message : outcome.messages) {
    if (!report.IsNote(message) && message != "Ping Timed Out") texts.emplace_back(static_cast<LPCSTR>(message));
  }
  return texts;
}

class ServerBatchTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sockets.started()); }
  winsock::ScopedStartup sockets;
};

// Answering, oversized, silent and invalid servers, one of them twice: each
// result in the order given, with what the dialog would have shown for it.
TEST_F(ServerBatchTest, EachServerGetsItsOwnResultInTheOrderGiven) {
  vqtest::StatusServerProcess alpha(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--host", "Alpha",
                                                       "--level", "3", "--seconds-left", "600"});
  vqtest::StatusServerProcess beta(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--host", "Beta"});
  vqtest::StatusServerProcess oversize(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--oversize"});
  const std::string silent = vqtest::DistinctLoopbackAddress();  // nobody listens there
  const std::vector<CString> addresses = {alpha.AddressText().c_str(), silent.c_str(),
                                          "nowhere.invalid",           oversize.AddressText().c_str(),
                                          beta.AddressText().c_str(),  alpha.AddressText().c_str()};
  const BatchReport report = RunServerBatch(addresses, 4);
  ASSERT_EQ(report.outcomes.size(), addresses.size());
  for (std::size_t i = 0; i < addresses.size(); ++i) EXPECT_EQ(report.outcomes[i].strAddress, addresses[i]);

  const QueryOutcome& first = report.outcomes[0];
  EXPECT_TRUE(first.detected);
  EXPECT_STREQ(first.strHost, "Alpha");
  EXPECT_STREQ(first.strType, "Grand Prix");
  EXPECT_STREQ(first.strTimeLeft, "10 Mins");
  EXPECT_TRUE(StatusMessages(first, report).empty());
  EXPECT_FALSE(report.outcomes[1].detected);
  EXPECT_EQ(StatusMessages(report.outcomes[1], report), std::vector<std::string>{"Veloxa server not detected"});
  EXPECT_EQ(Texts(report.outcomes[2].messages), std::vector<std::string>{"Invalid server address"});
  EXPECT_EQ(report.outcomes[2].rttMicroseconds, -1);
  EXPECT_EQ(StatusMessages(report.outcomes[3], report), std::vector<std::string>{"ReceiveDatagram error #10040"});
  EXPECT_TRUE(report.outcomes[3].strHost.IsEmpty());
  EXPECT_STREQ(report.outcomes[4].strHost, "Beta");
  EXPECT_TRUE(report.outcomes[5].detected);  // the same server twice: two exchanges, two replies
  EXPECT_STREQ(report.outcomes[5].strHost, "Alpha");
}

// A datagram from anywhere but the server asked never becomes its reply.
TEST_F(ServerBatchTest, OnlyTheReplyFromTheServerAskedCounts) {
  const std::string address = vqtest::DistinctLoopbackAddress();
  vqtest::UdpPeer server(address.c_str(), 6971);
  vqtest::UdpPeer forger(vqtest::DistinctLoopbackAddress().c_str());
  std::thread serverSide([&] {
    if (!server.Receive()) return;
    const std::string forged = std::string("a\x01") + "b\x01" + "Forged\x01";
    forger.SendTo(server.LastSenderAddress(), server.LastSenderPort(), forged);
    server.Reply(std::string("a\x01") + "b\x01" + "Genuine\x01");
  });
  const BatchReport report = RunServerBatch({CString(address.c_str()), CString("nowhere.invalid")}, 8);
  serverSide.join();
  ASSERT_EQ(report.outcomes.size(), 2u);
  EXPECT_TRUE(report.outcomes[0].detected);
  EXPECT_STREQ(report.outcomes[0].strHost, "Genuine");
}

// The same server given three times is asked three times side by side: this
// one answers only once all three requests are in, within one reply wait.
TEST_F(ServerBatchTest, CopiesOfOneAddressAreAskedSideBySide) {
  const std::string address = vqtest::DistinctLoopbackAddress();
  vqtest::UdpPeer server(address.c_str(), 6971);
  std::thread serverSide([&] {
    std::vector<std::uint16_t> askers;
    while (askers.size() < 3 && server.Receive()) askers.push_back(server.LastSenderPort());
    for (const std::uint16_t port : askers) {
      server.SendTo(server.LastSenderAddress(), port, std::string("a\x01") + "b\x01" + "Copy\x01");
    }
  });
  const CString copy(address.c_str());
  const BatchReport report = RunServerBatch({copy, copy, copy}, 64);
  serverSide.join();
  ASSERT_EQ(report.outcomes.size(), 3u);
  for (const QueryOutcome& outcome : report.outcomes) {
    EXPECT_TRUE(outcome.detected);
    EXPECT_STREQ(outcome.strHost, "Copy");
  }
}

}  // namespace

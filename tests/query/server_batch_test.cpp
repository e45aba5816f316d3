// Many servers at once, in one process: the stand-in status server as
// separate processes on loopback addresses of their own.
#include "query/server_batch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/winsock/scoped_startup.h"
#include "tests/query/windowless_query.h"
#include "tests/support/batch_collector.h"
#include "tests/support/loopback_sources.h"
#include "tests/support/status_server_process.h"
#include "tests/support/udp_peer.h"

namespace {

using vqtest::BatchReport;
using vqtest::CollectServerBatch;
using windowless_query::Texts;

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
  VQ_SKIP_WITHOUT_LOOPBACK_SOURCES();
  vqtest::StatusServerProcess alpha(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--host", "Alpha",
                                                       "--level", "3", "--seconds-left", "600"});
  vqtest::StatusServerProcess beta(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--host", "Beta"});
  vqtest::StatusServerProcess oversize(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--oversize"});
  const std::string silent = vqtest::DistinctLoopbackAddress();  // nobody listens there
  const std::vector<CString> addresses = {alpha.AddressText().c_str(), silent.c_str(),
                                          "nowhere.invalid",           oversize.AddressText().c_str(),
                                          beta.AddressText().c_str(),  alpha.AddressText().c_str()};
  const BatchReport report = CollectServerBatch(addresses, 4);
  ASSERT_EQ(report.outcomes.size(), addresses.size());
  for (std::size_t i = 0; i < addresses.size(); ++i) EXPECT_EQ(report.outcomes[i].strAddress, addresses[i]);

  const QueryOutcome& first = report.outcomes[0];
  EXPECT_TRUE(first.detected);
  EXPECT_STREQ(first.m_strHost, "Alpha");
  EXPECT_STREQ(first.m_strType, "Grand Prix");
  EXPECT_STREQ(first.m_strTimeLeft, "10 Mins");
  EXPECT_TRUE(StatusMessages(first, report).empty());
  EXPECT_FALSE(report.outcomes[1].detected);
  EXPECT_EQ(StatusMessages(report.outcomes[1], report), std::vector<std::string>{"Veloxa server not detected"});
  EXPECT_EQ(Texts(report.outcomes[2].messages), std::vector<std::string>{"Invalid server address"});
  EXPECT_EQ(report.outcomes[2].rttMicroseconds, -1);
  EXPECT_EQ(StatusMessages(report.outcomes[3], report), std::vector<std::string>{"ReceiveDatagram error #10040"});
  EXPECT_TRUE(report.outcomes[3].m_strHost.IsEmpty());
  EXPECT_STREQ(report.outcomes[4].m_strHost, "Beta");
  EXPECT_TRUE(report.outcomes[5].detected);  // the same server twice: its answer shown for both
  EXPECT_STREQ(report.outcomes[5].m_strHost, "Alpha");
}

// A datagram from anywhere but the server asked never becomes its reply.
TEST_F(ServerBatchTest, OnlyTheReplyFromTheServerAskedCounts) {
  VQ_SKIP_WITHOUT_LOOPBACK_SOURCES();
  const std::string address = vqtest::DistinctLoopbackAddress();
  vqtest::UdpPeer server(address.c_str(), 6971);
  vqtest::UdpPeer forger(vqtest::DistinctLoopbackAddress().c_str());
  std::thread serverSide([&] {
    if (!server.Receive()) return;
    const std::string forged = std::string("a\x01") + "b\x01" + "Forged\x01";
    forger.SendTo(server.LastSenderAddress(), server.LastSenderPort(), forged);
    server.Reply(std::string("a\x01") + "b\x01" + "Genuine\x01");
  });
  const BatchReport report = CollectServerBatch({CString(address.c_str()), CString("nowhere.invalid")}, 8);
  serverSide.join();
  ASSERT_EQ(report.outcomes.size(), 2u);
  EXPECT_TRUE(report.outcomes[0].detected);
  EXPECT_STREQ(report.outcomes[0].m_strHost, "Genuine");
}

// Copies of one address, however they are written, cost one exchange: the
// server hears one request, and every copy shows its one answer.
TEST_F(ServerBatchTest, CopiesOfOneAddressAreAnsweredFromOneExchange) {
  VQ_SKIP_WITHOUT_LOOPBACK_SOURCES();
  const std::string address = vqtest::DistinctLoopbackAddress();
  vqtest::UdpPeer server(address.c_str(), 6971);
  std::thread serverSide([&] {
    if (server.Receive()) server.Reply(std::string("a\x01") + "b\x01" + "Copy\x01");
  });
  const CString copy(address.c_str());
  const BatchReport report =
      CollectServerBatch({copy, CString(" ") + copy + " ", copy, CString("nowhere.invalid")}, 64);
  serverSide.join();
  ASSERT_EQ(report.outcomes.size(), 4u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(report.outcomes[i].detected) << i;
    EXPECT_STREQ(report.outcomes[i].m_strHost, "Copy") << i;
  }
  EXPECT_EQ(report.outcomes[1].strAddress, CString(" ") + copy + " ");  // each copy keeps its own text
  EXPECT_FALSE(server.Receive(0)) << "a copy was asked again";
}

// Each server is reported once, as soon as it is done: an answering server
// long before a silent one's 5-second wait is over, and a stop ends the run
// with the silent one unreported.
TEST_F(ServerBatchTest, ServersAreReportedAsTheyAreDoneAndAStopEndsTheRun) {
  VQ_SKIP_WITHOUT_LOOPBACK_SOURCES();
  vqtest::StatusServerProcess answering(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress()});
  const std::string silent = vqtest::DistinctLoopbackAddress();
  class StopAfterFirst : public CBatchSink {
   public:
    void OnServerDone(std::size_t index, const QueryOutcome& outcome) override {
      done.push_back(index);
      detected = outcome.detected;
    }
    bool StopRequested() override { return !done.empty(); }
    std::vector<std::size_t> done;
    bool detected = false;
  } sink;
  RunServerBatch({CString(silent.c_str()), CString(answering.AddressText().c_str())}, 8, sink);
  EXPECT_EQ(sink.done, std::vector<std::size_t>{1});
  EXPECT_TRUE(sink.detected);
}

}  // namespace

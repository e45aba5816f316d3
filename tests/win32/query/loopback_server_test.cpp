// The engine on Windows asks the Windows stand-in server on 127.0.0.1, the
// one loopback address whose answers Wine sends from the address asked (see
// tests/support/loopback_sources.h). The server listens on the status port,
// so these tests hold it alone (RESOURCE_LOCK).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/winsock/scoped_startup.h"
#include "tests/query/windowless_query.h"
#include "tests/support/batch_collector.h"
#include "tests/support/status_server_process.h"

namespace {

using windowless_query::AfterEcho;
using windowless_query::Texts;

class LoopbackServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sockets.started()); }
  winsock::ScopedStartup sockets;
};

TEST_F(LoopbackServerTest, OneQueryReportsEveryStepAndTheFields) {
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1", "--host", "Alpha", "--level", "3",
                                                        "--seconds-left", "5400"});
  const windowless_query::QueryRun run = windowless_query::RunQuery("127.0.0.1");
  EXPECT_TRUE(run.outcome.detected);
  EXPECT_TRUE(AfterEcho(run.outcome.messages).empty()) << ::testing::PrintToString(Texts(run.outcome.messages));
  EXPECT_EQ(run.positions, (std::vector<int>{0, 25, 50, 75, 100, 0}));
  EXPECT_STREQ(run.outcome.m_strHost, "Alpha");
  EXPECT_STREQ(run.outcome.m_strType, "Grand Prix");
  EXPECT_STREQ(run.outcome.m_strTimeLeft, "90 Mins");
}

TEST_F(LoopbackServerTest, SilentServerIsNotDetected) {
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1", "--silent", "--log-requests"});
  const windowless_query::QueryRun run = windowless_query::RunQuery("127.0.0.1");
  EXPECT_TRUE(server.ReadLine().has_value());  // the request did arrive
  EXPECT_FALSE(run.outcome.detected);
  EXPECT_EQ(AfterEcho(run.outcome.messages), std::vector<std::string>{"Veloxa server not detected"});
}

// The batch keeps the order given, shares one exchange between copies of an
// address and reports an invalid one without asking anybody.
TEST_F(LoopbackServerTest, BatchKeepsTheOrderGiven) {
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1", "--host", "Beta"});
  const std::vector<CString> addresses = {"127.0.0.1", "nowhere.invalid", "127.0.0.1"};
  const vqtest::BatchReport report = vqtest::CollectServerBatch(addresses, 2);
  ASSERT_EQ(report.outcomes.size(), addresses.size());
  EXPECT_TRUE(report.outcomes[0].detected);
  EXPECT_STREQ(report.outcomes[0].m_strHost, "Beta");
  EXPECT_EQ(Texts(report.outcomes[1].messages), std::vector<std::string>{"Invalid server address"});
  EXPECT_TRUE(report.outcomes[2].detected);
  EXPECT_STREQ(report.outcomes[2].m_strHost, "Beta");
}

}  // namespace

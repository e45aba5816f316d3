// Queries in a private network namespace, where the test decides what
// answers: its loopback holds the only status server, and its echo
// settings are the test's own.
#include <gtest/gtest.h>

#include "tests/support/netns_child.h"
#include "tests/support/status_server_process.h"
#include "tests/ui/query_test_support.h"

namespace {

using query_test::QueryDialog;

void ExpectServerDefaults(const CQuillmarDlg& d) {
  EXPECT_STREQ(d.m_strHost, "Quillmar Test Server");
  EXPECT_STREQ(d.m_strTrack, "Harbour Loop");
  EXPECT_STREQ(d.m_strPlayers, "3/8");
  EXPECT_STREQ(d.m_strType, "Intermediate");
  EXPECT_STREQ(d.m_strSession, "Race");
  EXPECT_STREQ(d.m_strTimeLeft, "30 Mins");
}

TEST(QueryNamespaceTest, HostThatIgnoresTheEchoButAnswersTheStatusRequest) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = netns::Namespace::Create();
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");
    ns.EnterPermanently();
    vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1"});
    QueryDialog query;
    ASSERT_TRUE(query.ready());
    query.SetAddress("127.0.0.1");
    query.PressPingServer();
    EXPECT_EQ(query.Messages(), std::vector<std::string>{"Ping Timed Out"});
    EXPECT_STREQ(query.dialog.m_strPing, "0");
    ExpectServerDefaults(query.dialog);
    EXPECT_EQ(query.positions, (std::vector<int>{25, 50, 75, 100, 0}));
    EXPECT_TRUE(query.dialog.StatusReplyDecoded());
  });
}

// A name is resolved by the echo probe, and the datagram goes where the
// name points: here to 127.0.0.1, where the only server listens.
TEST(QueryNamespaceTest, HostNameSendsTheDatagramToTheAddressItResolvesTo) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1", "--log-requests"});
    QueryDialog query;
    ASSERT_TRUE(query.ready());
    query.SetAddress("localhost");
    query.PressPingServer();
    EXPECT_EQ(query.Messages(), std::vector<std::string>{});
    ExpectServerDefaults(query.dialog);
    EXPECT_STREQ(query.dialog.m_strAddress, "localhost");
    const std::optional<std::string> request = server.ReadLine();
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->rfind("request 127.0.0.1:", 0), 0u) << *request;
  });
}

}  // namespace

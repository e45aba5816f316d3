// Host names in a batch, in a namespace of the test's own whose DNS server is
// the test itself: a name's address comes only when the test answers the
// query, and a query left unanswered outlasts the test.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/blocking_hook.h"
#include "platform/winsock/scoped_startup.h"
#include "query/server_batch.h"
#include "tests/query/windowless_query.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/silent_resolver.h"
#include "tests/support/udp_peer.h"

namespace {

using netns::SilentResolver;
using windowless_query::Texts;

constexpr auto kPatient = SilentResolver::Patience::Minutes;
constexpr unsigned kTimeLimitSeconds = 30;  // far less than a lookup the test leaves unanswered
constexpr const char* kRootOnly = "needs root for private network and mount namespaces";

// The servers in the order they are done; `onDone` runs after each.
class OrderSink : public CBatchSink {
 public:
  void OnServerDone(std::size_t index, const QueryOutcome& outcome) override {
    order.push_back(index);
    outcomes[index] = outcome;
    if (onDone) onDone(index);
  }
  bool StopRequested() override { return stop && stop(); }

  std::function<void(std::size_t)> onDone;
  std::function<bool()> stop;
  std::vector<std::size_t> order;
  std::map<std::size_t, QueryOutcome> outcomes;
};

std::string StatusReply(const std::string& host) { return std::string("a\x01") + "b\x01" + host + "\x01"; }

TEST(NameLookupBatchTest, ASlowNameHoldsBackNoDottedQuad) {
  if (!netns::HaveRoot()) GTEST_SKIP() << kRootOnly;
  VQ_RUN_IN_CHILD(
      [] {
        SilentResolver resolver("127.0.0.1 localhost\n", kPatient);
        const winsock::ScopedStartup sockets;
        vqtest::UdpPeer dotted("127.0.0.2", 6971);
        vqtest::UdpPeer named("127.0.0.3", 6971);
        std::thread serverSide([&dotted, &named] {
          if (dotted.Receive()) dotted.Reply(StatusReply("Dotted"));
          if (named.Receive()) named.Reply(StatusReply("Named"));
        });
        OrderSink sink;
        sink.onDone = [&](std::size_t index) {
          if (index != 1) return;
          // Only with the dotted quad's answer in may the name resolve.
          ASSERT_EQ(resolver.NextQuery().value_or(""), "slow.test");
          resolver.AnswerLastQuery(named.Address());
        };
        RunServerBatch({CString("slow.test"), CString("127.0.0.2")}, 8, sink);
        serverSide.join();
        EXPECT_EQ(sink.order, (std::vector<std::size_t>{1, 0}));
        EXPECT_STREQ(sink.outcomes[1].m_strHost, "Dotted");
        EXPECT_TRUE(sink.outcomes[0].detected);
        EXPECT_STREQ(sink.outcomes[0].m_strHost, "Named");
        EXPECT_STREQ(sink.outcomes[0].strAddress, "slow.test");
      },
      kTimeLimitSeconds);
}

// A name that gives an address already asked costs no second exchange: it
// gets that server's answer, given already (late.test, resolved once the
// answer is in) or still to come (early.test, from the hosts file, while the
// silent server's 5-second wait runs). A name given twice is looked up once.
TEST(NameLookupBatchTest, ANameOfAServerAlreadyAskedSharesItsAnswer) {
  if (!netns::HaveRoot()) GTEST_SKIP() << kRootOnly;
  VQ_RUN_IN_CHILD(
      [] {
        SilentResolver resolver("127.0.0.1 localhost\n127.0.0.5 early.test\n", kPatient);
        const winsock::ScopedStartup sockets;
        vqtest::UdpPeer answering("127.0.0.4", 6971);
        vqtest::UdpPeer silent("127.0.0.5", 6971);
        std::thread serverSide([&answering] {
          if (answering.Receive()) answering.Reply(StatusReply("Alpha"));
        });
        OrderSink sink;
        sink.onDone = [&](std::size_t index) {
          if (index != 0) return;
          ASSERT_EQ(resolver.NextQuery().value_or(""), "late.test");
          resolver.AnswerLastQuery(answering.Address());
        };
        const std::vector<CString> addresses = {"127.0.0.4", "late.test", "127.0.0.5", "early.test", " late.test"};
        RunServerBatch(addresses, 8, sink);
        serverSide.join();
        ASSERT_EQ(sink.outcomes.size(), addresses.size());
        for (const std::size_t index : {1, 4}) {
          EXPECT_TRUE(sink.outcomes[index].detected) << index;
          EXPECT_STREQ(sink.outcomes[index].m_strHost, "Alpha") << index;
          EXPECT_EQ(sink.outcomes[index].strAddress, addresses[index]) << index;
        }
        EXPECT_FALSE(sink.outcomes[3].detected);
        EXPECT_EQ(Texts(sink.outcomes[3].messages), Texts(sink.outcomes[2].messages));
        EXPECT_FALSE(answering.Receive(0)) << "a name asked its server again";
        EXPECT_TRUE(silent.Receive(0));
        EXPECT_FALSE(silent.Receive(0)) << "a name asked its server again";
        EXPECT_EQ(resolver.TakeQueries(), 0) << "a name given twice was looked up twice";
      },
      kTimeLimitSeconds);
}

// While only names are awaited, the wait runs the blocking hook and ends on
// its cancel, as every wait of the batch does.
SilentResolver* g_resolver = nullptr;
bool g_cancelled = false;

BOOL CancelOnceAsked() {
  if (g_resolver->TakeQueries() == 0) return FALSE;
  g_cancelled = true;
  kernel::CancelBlockingCall();
  return TRUE;
}

TEST(NameLookupBatchTest, WaitingForNamesAloneRunsTheHookAndEndsOnItsCancel) {
  if (!netns::HaveRoot()) GTEST_SKIP() << kRootOnly;
  VQ_RUN_IN_CHILD(
      [] {
        SilentResolver resolver("127.0.0.1 localhost\n", kPatient);
        g_resolver = &resolver;
        const winsock::ScopedStartup sockets;
        const BLOCKINGHOOKPROC previous = kernel::SetBlockingHook(&CancelOnceAsked);
        OrderSink sink;
        sink.stop = [] { return g_cancelled; };
        RunServerBatch({CString("never.test"), CString("never.test")}, 8, sink);
        kernel::SetBlockingHook(previous);
        EXPECT_TRUE(g_cancelled);
        EXPECT_TRUE(sink.order.empty());
      },
      kTimeLimitSeconds);
}

}  // namespace

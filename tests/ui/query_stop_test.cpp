// A query whose sink asks it to stop while the echo waits for a host that
// never answers: it ends there, without "Ping Timed Out" and without a
// further step.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/framework/message_box.h"
#include "platform/kernel/blocking_hook.h"
#include "platform/winsock/winsock.h"
#include "query/query_outcome.h"
#include "query/server_query.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace {

using Clock = std::chrono::steady_clock;

class StoppableRecorder : public CQueryRecorder {
 public:
  using CQueryRecorder::CQueryRecorder;
  bool stop = false;
  bool StopRequested() const override { return stop; }
};

// The blocking hook is a plain function: it asks the query to stop half a
// second into the wait, as a window does when it is closed.
StoppableRecorder* g_sink = nullptr;
int g_slices = 0;

BOOL StopAfterHalfASecond() {
  if (++g_slices == 500 / kernel::kBlockingSliceMs && g_sink != nullptr) {
    g_sink->stop = true;
    kernel::CancelBlockingCall();
  }
  return TRUE;
}

TEST(QueryStopTest, StopDuringTheEchoEndsTheQueryWithoutItsMessageOrAnotherStep) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a network namespace whose loopback answers no echo";
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = netns::Namespace::Create();
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");
    const netns::ScopedEnter inside(ns);
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    vqtest::ScopedMessageBoxRecorder boxes;
    StoppableRecorder sink{CString("127.0.0.1")};
    g_sink = &sink;
    kernel::SetBlockingHook(&StopAfterHalfASecond);
    CServerQuery query(sink);
    const Clock::time_point start = Clock::now();
    query.Run("127.0.0.1");
    const Clock::duration took = Clock::now() - start;
    kernel::SetBlockingHook(nullptr);
    g_sink = nullptr;
    WSACleanup();

    EXPECT_TRUE(sink.stop);
    EXPECT_LT(took, std::chrono::seconds(3));  // the echo had five seconds
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(sink.outcome().messages.empty());
    EXPECT_EQ(sink.positions(), std::vector<int>{0});
    EXPECT_TRUE(sink.outcome().m_strPing.IsEmpty());
    EXPECT_FALSE(query.StatusReplyDecoded());
  });
}

}  // namespace

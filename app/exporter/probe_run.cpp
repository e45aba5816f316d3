#include "app/exporter/probe_run.h"

#include <string>
#include <vector>

#include "platform/kernel/blocking_hook.h"
#include "app/exporter/target_policy.h"
#include "query/server_batch.h"

namespace exporter {
namespace {

using Clock = std::chrono::steady_clock;

// The probe this thread runs: the blocking hook has no argument, so it
// finds its deadline here.
struct ThreadProbe {
  Clock::time_point deadline;
  const std::atomic<bool>* stopping = nullptr;

  bool Over() const { return Clock::now() >= deadline || (stopping != nullptr && stopping->load()); }
};
thread_local ThreadProbe t_probe;

// Called between the slices of every wait of the query: a wait past the
// deadline ends as interrupted, and the batch then asks the sink.
BOOL CancelPastDeadline() {
  if (t_probe.Over()) kernel::CancelBlockingCall();
  return FALSE;
}

// The worker thread's probe for its duration: the hook and the deadline are
// taken back afterwards, also when the query throws, so that the thread's
// next request starts clean.
class ThisThreadsProbe {
 public:
  ThisThreadsProbe(Clock::time_point deadline, const std::atomic<bool>& stopping)
      : m_previous(kernel::SetBlockingHook(&CancelPastDeadline)) {
    t_probe = ThreadProbe{deadline, &stopping};
  }
  ~ThisThreadsProbe() {
    kernel::SetBlockingHook(m_previous);
    kernel::TakeBlockingCallCancel();  // a cancel the last wait did not take
    t_probe = ThreadProbe{};
  }
  ThisThreadsProbe(const ThisThreadsProbe&) = delete;
  ThisThreadsProbe& operator=(const ThisThreadsProbe&) = delete;

 private:
  BLOCKINGHOOKPROC m_previous;
};

class DeadlineSink final : public CBatchSink {
 public:
  void OnServerDone(std::size_t /*index*/, const QueryOutcome& outcome) override { m_outcome = outcome; }
  bool StopRequested() override { return t_probe.Over(); }
  std::optional<QueryOutcome>& outcome() { return m_outcome; }

 private:
  std::optional<QueryOutcome> m_outcome;
};

}  // namespace

ProbeResult RunProbe(std::uint32_t target, Clock::time_point deadline, const std::atomic<bool>& stopping) {
  const Clock::time_point start = Clock::now();
  DeadlineSink sink;
  {
    const ThisThreadsProbe probe(deadline, stopping);
    RunServerBatch({CString(DottedQuadText(target))}, 1, sink);
  }
  const std::chrono::duration<double> took = Clock::now() - start;
  return {std::move(sink.outcome()), took.count()};
}

}  // namespace exporter

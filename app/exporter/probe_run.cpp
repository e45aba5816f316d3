#include "app/exporter/probe_run.h"

#include <arpa/inet.h>

#include <string>
#include <vector>

#include "platform/kernel/blocking_hook.h"
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

class DeadlineSink final : public CBatchSink {
 public:
  void OnServerDone(std::size_t /*index*/, const QueryOutcome& outcome) override { m_outcome = outcome; }
  bool StopRequested() override { return t_probe.Over(); }
  std::optional<QueryOutcome>& outcome() { return m_outcome; }

 private:
  std::optional<QueryOutcome> m_outcome;
};

std::string DottedQuad(std::uint32_t address) {
  in_addr in{htonl(address)};
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &in, text, sizeof text);
  return text;
}

}  // namespace

ProbeResult RunProbe(std::uint32_t target, Clock::time_point deadline, const std::atomic<bool>& stopping) {
  const Clock::time_point start = Clock::now();
  t_probe = ThreadProbe{deadline, &stopping};
  const BLOCKINGHOOKPROC previous = kernel::SetBlockingHook(&CancelPastDeadline);
  DeadlineSink sink;
  RunServerBatch({CString(DottedQuad(target))}, 1, sink);
  kernel::SetBlockingHook(previous);
  kernel::TakeBlockingCallCancel();  // a cancel the last wait did not take stays with this thread
  t_probe = ThreadProbe{};
  const std::chrono::duration<double> took = Clock::now() - start;
  return {std::move(sink.outcome()), took.count()};
}

}  // namespace exporter

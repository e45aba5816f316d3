#include "app/watch_rounds.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/stop_signals.h"
#include "query/server_batch.h"

namespace {

// The stop flag of the rounds a thread runs, for its blocking hook.
thread_local const std::atomic<bool>* t_stop = nullptr;

// Between wait slices: a stop ends the wait in progress, so that the batch
// asks StopRequested at once rather than at its next deadline.
BOOL CancelWaitOnStop() {
  if (t_stop != nullptr && t_stop->load()) kernel::CancelBlockingCall();
  return FALSE;
}

}  // namespace

// Hands a batch's answers over with their round and their place in the
// addresses given.
class CWatchRounds::CRoundSink : public CBatchSink {
 public:
  CRoundSink(CWatchRounds& rounds, std::size_t round, const std::vector<std::size_t>& positions)
      : m_rounds(rounds), m_round(round), m_positions(positions) {}

  void OnNote(const CString& strText) override { m_rounds.Note(strText); }
  void OnServerDone(std::size_t index, const QueryOutcome& outcome) override {
    m_rounds.Deliver({m_round, m_positions[index], std::chrono::system_clock::now(), std::nullopt, outcome});
  }
  bool StopRequested() override { return m_rounds.m_stop.load() || kernel::CaughtStopSignal() != 0; }

 private:
  CWatchRounds& m_rounds;
  std::size_t m_round;
  const std::vector<std::size_t>& m_positions;
};

CWatchRounds::CWatchRounds(const std::vector<CString>& addresses, std::size_t parallel)
    : m_addresses(addresses), m_parallel(parallel), m_busyOn(addresses.size(), 0) {}

CWatchRounds::~CWatchRounds() { Stop(); }

std::vector<WatchEntry> CWatchRounds::StartRound() {
  const std::size_t round = ++m_rounds;
  const auto now = std::chrono::system_clock::now();
  std::vector<WatchEntry> skips;
  std::vector<std::size_t> asked;
  for (std::size_t position = 0; position < m_addresses.size(); ++position) {
    if (m_busyOn[position] != 0) {
      WatchEntry skip{round, position, now, m_busyOn[position], {}};
      skip.outcome.strAddress = m_addresses[position];
      skips.push_back(std::move(skip));
    } else {
      asked.push_back(position);
    }
  }
  if (asked.empty() || m_stop.load()) return skips;
  for (const std::size_t position : asked) m_busyOn[position] = round;
  const std::lock_guard lock(m_mutex);
  Worker& worker = m_workers.emplace_back();
  worker.round = round;
  try {
    worker.thread = std::thread(&CWatchRounds::RunRound, this, round, std::move(asked), std::ref(worker));
  } catch (const std::system_error&) {
    // No thread to be had: the round is not run, and its servers stay free.
    m_failed.store(true);
    worker.finished = true;
  }
  return skips;
}

void CWatchRounds::RunRound(std::size_t round, const std::vector<std::size_t>& positions, Worker& worker) {
  t_stop = &m_stop;
  kernel::SetBlockingHook(&CancelWaitOnStop);
  std::vector<CString> addresses;
  addresses.reserve(positions.size());
  for (const std::size_t position : positions) addresses.push_back(m_addresses[position]);
  CRoundSink sink(*this, round, positions);
  try {
    RunServerBatch(addresses, m_parallel, sink);
  } catch (...) {  // NOLINT(bugprone-empty-catch): said through Failed()
    m_failed.store(true);
  }
  const std::lock_guard lock(m_mutex);
  worker.finished = true;
  m_changed.notify_all();
}

void CWatchRounds::Deliver(WatchEntry entry) {
  const std::lock_guard lock(m_mutex);
  m_answers.push_back(std::move(entry));
  m_changed.notify_all();
}

void CWatchRounds::Note(const CString& text) {
  const std::lock_guard lock(m_mutex);
  if (std::find(m_notes.begin(), m_notes.end(), text) == m_notes.end()) m_notes.push_back(text);
}

std::vector<WatchEntry> CWatchRounds::TakeAnswers(std::chrono::steady_clock::time_point until) {
  std::unique_lock lock(m_mutex);
  m_changed.wait_until(lock, until, [this] {
    return !m_answers.empty() ||
           std::any_of(m_workers.begin(), m_workers.end(), [](const Worker& w) { return w.finished; });
  });
  std::vector<WatchEntry> answers = std::exchange(m_answers, {});
  for (const WatchEntry& answer : answers) m_busyOn[answer.position] = 0;
  ReapFinished(lock);
  return answers;
}

// A round's thread that is done is joined. Its servers that were not
// reported (the round was stopped, or failed) are free again.
void CWatchRounds::ReapFinished(std::unique_lock<std::mutex>& lock) {
  std::list<Worker> finished;
  for (auto it = m_workers.begin(); it != m_workers.end();) {
    const auto next = std::next(it);
    if (it->finished) finished.splice(finished.end(), m_workers, it);
    it = next;
  }
  lock.unlock();
  for (Worker& worker : finished) {
    if (worker.thread.joinable()) worker.thread.join();
    std::replace(m_busyOn.begin(), m_busyOn.end(), worker.round, std::size_t{0});
  }
  lock.lock();
}

std::vector<CString> CWatchRounds::TakeNotes() {
  const std::lock_guard lock(m_mutex);
  std::vector<CString> notes(m_notes.begin() + static_cast<std::ptrdiff_t>(m_notesTaken), m_notes.end());
  m_notesTaken = m_notes.size();
  return notes;
}

bool CWatchRounds::Busy() const {
  return std::any_of(m_busyOn.begin(), m_busyOn.end(), [](std::size_t round) { return round != 0; });
}

void CWatchRounds::Stop() {
  m_stop.store(true);
  std::list<Worker> running;
  {
    const std::lock_guard lock(m_mutex);
    running.splice(running.end(), m_workers);
  }
  for (Worker& worker : running) {
    if (worker.thread.joinable()) worker.thread.join();
  }
}

#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/framework/cstring.h"
#include "query/query_outcome.h"

// The rounds of --watch: the same servers asked again and again. Each round
// runs as a batch (query/server_batch.h) on a thread of its own, so that a
// round that waits on silent servers does not hold back the next; a server
// still waiting on one round is left out of the next ones until it is done.
// The answers are handed to the thread that owns this object.

// A server's entry in a round: its answer, or a skip.
struct WatchEntry {
  std::size_t round = 0;                      // from 1
  std::size_t position = 0;                   // its place in the addresses given, from 0
  std::chrono::system_clock::time_point at;   // the answer came, or the round began
  std::optional<std::size_t> waitingOnRound;  // set for a skip: the round the server still waits on
  QueryOutcome outcome;                       // a skip's holds the address alone
};

class CWatchRounds {
 public:
  CWatchRounds(const std::vector<CString>& addresses, std::size_t parallel);
  // Stops the rounds in progress and waits for their threads.
  ~CWatchRounds();
  CWatchRounds(const CWatchRounds&) = delete;
  CWatchRounds& operator=(const CWatchRounds&) = delete;

  // Begins the next round: the servers that are not busy are asked; the
  // entries of the busy ones, skips, are returned at once.
  std::vector<WatchEntry> StartRound();
  std::size_t RoundsStarted() const { return m_rounds; }

  // Waits until answers have come (or `until`) and returns them in the
  // order they came; their servers are free for the next round.
  std::vector<WatchEntry> TakeAnswers(std::chrono::steady_clock::time_point until);
  // What the batches said of the whole run (ICMP sockets refused), each
  // text once.
  std::vector<CString> TakeNotes();

  // Some server's round is not over.
  bool Busy() const;
  // A round could not be run (no thread, or its batch failed).
  bool Failed() const { return m_failed.load(); }

  // Ends the rounds in progress and waits for their threads: their waits
  // end within a wait slice, and the servers not done are not reported.
  // The answers that came before are still there for TakeAnswers.
  void Stop();

 private:
  struct Worker {
    std::thread thread;
    std::size_t round = 0;
    bool finished = false;  // under m_mutex
  };
  class CRoundSink;

  void RunRound(std::size_t round, const std::vector<std::size_t>& positions, Worker& worker);
  void ReapFinished(std::unique_lock<std::mutex>& lock);
  void Deliver(WatchEntry entry);
  void Note(const CString& text);

  std::vector<CString> m_addresses;
  std::size_t m_parallel;
  std::size_t m_rounds = 0;
  std::vector<std::size_t> m_busyOn;  // per server: the round it waits on, 0 when none
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_failed{false};

  std::mutex m_mutex;  // guards what follows
  std::condition_variable m_changed;
  std::vector<WatchEntry> m_answers;
  std::vector<CString> m_notes;
  std::size_t m_notesTaken = 0;
  std::list<Worker> m_workers;  // a list: a worker's place stays put while it runs
};

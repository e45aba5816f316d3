#include "app/watch_command.h"

#include <algorithm>
#include <chrono>
#include <memory>

#include "app/address_book_listing.h"
#include "app/address_file.h"
#include "app/console_streams.h"
#include "app/query_command.h"
#include "app/watch_output.h"
#include "app/watch_rounds.h"
#include "platform/kernel/stop_signals.h"
#include "platform/winsock/scoped_startup.h"

namespace {

using Clock = std::chrono::steady_clock;

// How often a stop signal and a resize are looked for while no answer
// comes: soon enough for a person.
constexpr auto kLookAgain = std::chrono::milliseconds(100);

class CWatch {
 public:
  CWatch(const std::vector<CString>& addresses, const CommandLine& line)
      : m_seconds(*line.watchSeconds),
        m_count(line.count),
        m_rounds(addresses, line.parallel.value_or(kDefaultParallel)) {
    for (const CString& address : addresses) m_servers.push_back({address, {}, {}});
    m_output = MakeWatchOutput({m_seconds, m_count, line.jsonLines}, m_servers);
  }

  int Run() {
    bool written = m_output->Begin() && RunRounds();
    m_rounds.Stop();
    // Answers that came while the rounds were being stopped are shown too.
    if (written) written = Show(m_rounds.TakeAnswers(Clock::now())) && m_output->Flush();
    m_output->End();
    for (const WatchServer& server : m_servers) console::WriteErr(WatchSummaryLine(server));
    if (m_rounds.Failed()) console::WriteErr(console::ProgramName() + ": a round of queries could not be run\n");
    const bool allAnswered = std::all_of(m_servers.begin(), m_servers.end(), [](const WatchServer& server) {
      return server.statistics.StatusAnswered() > 0;
    });
    return allAnswered && !m_rounds.Failed() ? 0 : 1;
  }

 private:
  // Until --count rounds are over, a stop signal, a failed round or a
  // failed write (then false). Rounds begin on the times start + k
  // intervals, however long the rounds before took to show; times missed
  // while the output was held up (a paused terminal, a slow reader) are
  // left out rather than made up in a burst.
  bool RunRounds() {
    const Clock::time_point start = Clock::now();
    const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(m_seconds));
    Clock::rep slot = 0;  // of the next round
    for (;;) {
      if (kernel::CaughtStopSignal() != 0 || m_rounds.Failed()) return true;
      const bool more = !m_count || m_rounds.RoundsStarted() < *m_count;
      const Clock::time_point nextAt = start + interval * slot;
      const Clock::time_point now = Clock::now();
      if (more && now >= nextAt) {
        if (!StartRound()) return false;
        slot = std::max(slot + 1, (now - start) / interval + 1);
        continue;
      }
      if (!more && !m_rounds.Busy()) return true;
      const Clock::time_point until = std::min(more ? nextAt : Clock::time_point::max(), now + kLookAgain);
      if (!Show(m_rounds.TakeAnswers(until)) || !m_output->Flush()) return false;
    }
  }

  bool StartRound() {
    const std::vector<WatchEntry> skips = m_rounds.StartRound();
    return m_output->RoundStarted(m_rounds.RoundsStarted()) && Show(skips);
  }

  bool Show(const std::vector<WatchEntry>& entries) {
    for (const CString& note : m_rounds.TakeNotes()) {
      m_output->Note(note);
      m_notes.push_back(note);
    }
    for (const WatchEntry& entry : entries) {
      WatchServer& server = m_servers[entry.position];
      if (entry.waitingOnRound) {
        server.statistics.AddSkipped();
      } else {
        server.statistics.AddRound(entry.outcome);
        SayNewMessages(server, entry.outcome.messages);
      }
      if (!m_output->Entry(entry, server)) return false;
    }
    return true;
  }

  // A server's messages are said when they differ from its last round's
  // (a server that falls silent says so once, not every round); those
  // that are a note of the whole run were said as such.
  void SayNewMessages(WatchServer& server, const std::vector<CString>& messages) {
    if (messages == server.lastMessages) return;
    for (const CString& message : messages) {
      const bool note = std::find(m_notes.begin(), m_notes.end(), message) != m_notes.end();
      if (!note) m_output->Message(server.address, message);
    }
    server.lastMessages = messages;
  }

  std::vector<CString> m_notes;
  double m_seconds;
  std::optional<std::size_t> m_count;
  std::vector<WatchServer> m_servers;
  CWatchRounds m_rounds;
  std::unique_ptr<CWatchOutput> m_output;
};

// The servers of `addresses`, in their order.
int RunWatch(const std::vector<CString>& addresses, const CommandLine& line) {
  const winsock::ScopedStartup sockets;
  if (!SocketsStarted(sockets)) return 1;
  kernel::CatchStopSignals();
  return CWatch(addresses, line).Run();
}

}  // namespace

int RunWatchCommand(const CommandLine& line) {
  std::vector<CString> addresses;
  const bool read =
      line.mode == RunMode::Query ? CollectAddresses(line.sources, addresses) : ReadAddressListAddresses(addresses);
  return read ? RunWatch(addresses, line) : 1;
}

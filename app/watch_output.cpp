#include "app/watch_output.h"

#include <string>

#include "app/console_message.h"
#include "app/console_streams.h"
#include "app/console_terminal.h"
#include "app/query_output.h"
#include "app/watch_live_table.h"

namespace {

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

// One JSON object per server and round, as each comes.
class CJsonLines : public CWatchOutput {
 public:
  bool Entry(const WatchEntry& entry, const WatchServer& /*server*/) override {
    std::vector<std::pair<std::string_view, std::string>> extra = {
        {"time", Quoted(UtcTimestamp(entry.at))},
        {"round", std::to_string(entry.round)},
        {"position", std::to_string(entry.position + 1)},
        {"skipped", entry.waitingOnRound ? "true" : "false"},
    };
    if (entry.waitingOnRound) extra.emplace_back("waiting_on_round", std::to_string(*entry.waitingOnRound));
    return console::WriteOut(QueryResultJsonLine(entry.outcome, std::move(extra)));
  }
};

// A heading, then a line per server and round as each comes: the time, the
// round and the table's cells as the entry left them, separated by tabs
// (no cell holds one), so that cut(1) and awk -F'\t' take them apart.
class CTextLines : public CWatchOutput {
 public:
  bool Begin() override { return console::WriteOut("TIME\tROUND\t" + Joined(WatchHeading()) + '\n'); }
  bool Entry(const WatchEntry& entry, const WatchServer& server) override {
    std::string line = UtcTimestamp(entry.at) + '\t' + std::to_string(entry.round) + '\t';
    if (entry.waitingOnRound) {
      line += WatchRowCells(server)[0] + "\tskipped: still waiting on round " + std::to_string(*entry.waitingOnRound);
    } else {
      line += Joined(WatchRowCells(server));
    }
    return console::WriteOut(line + '\n');
  }

 private:
  static std::string Joined(const WatchCells& cells) {
    std::string line = cells[0];
    for (std::size_t c = 1; c < cells.size(); ++c) line += '\t' + cells[c];
    return line;
  }
};

}  // namespace

void CWatchOutput::Note(const CString& text) { console::WriteErr(ConsoleLine(text)); }

void CWatchOutput::Message(const CString& address, const CString& text) {
  console::WriteErr(ConsoleMessageLine(address, text));
}

std::unique_ptr<CWatchOutput> MakeWatchOutput(const WatchOutputOptions& options,
                                              const std::vector<WatchServer>& servers) {
  if (options.jsonLines) return std::make_unique<CJsonLines>();
  if (!console::OutputIsLiveTerminal()) return std::make_unique<CTextLines>();
  return std::make_unique<CWatchLiveTable>(servers, options.seconds, options.count);
}

#include "app/watch_live_table.h"

#include <algorithm>
#include <string_view>

#include "app/console_message.h"
#include "app/console_streams.h"
#include "app/query_output.h"
#include "app/terminal_text.h"
#include "platform/kernel/stop_signals.h"

namespace {

constexpr std::string_view kEnterScreen = "\x1b[?1049h\x1b[?25l";  // alternate screen, cursor hidden
constexpr std::string_view kLeaveScreen = "\x1b[?25h\x1b[?1049l";
constexpr std::string_view kHome = "\x1b[H";
constexpr std::string_view kEraseLineEnd = "\x1b[K";
constexpr std::string_view kEraseBelow = "\x1b[J";

// A line that fills the width leaves the cursor on its last column, where
// erasing would take that column's character too: only a shorter line is
// erased to its end.
std::string LineCutTo(const std::string& line, std::size_t columns) {
  std::string cut = CutToWidth(line, columns);
  if (DisplayWidth(cut) < columns) cut += kEraseLineEnd;
  return cut;
}

}  // namespace

std::string WatchScreenText(const std::string& title, const std::vector<std::string>& table,
                            console::TerminalSize size) {
  std::vector<std::string> lines = {title};
  lines.insert(lines.end(), table.begin(), table.end());
  const std::size_t rows = std::max<std::size_t>(size.rows, 1);
  if (lines.size() > rows) {
    const std::size_t servers = table.empty() ? 0 : table.size() - 1;  // the heading aside
    const std::size_t left = std::min(servers, lines.size() - (rows - 1));
    lines.resize(rows - 1);
    lines.push_back("\u2026 and " + std::to_string(left) + " more servers");
  }
  std::string text(kHome);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i != 0) text += "\r\n";
    text += LineCutTo(lines[i], size.columns);
  }
  // The lines of a taller table before, or of the last redraw before a resize.
  if (lines.size() < rows) text += std::string("\r\n") + std::string(kEraseBelow);
  return text;
}

CWatchLiveTable::CWatchLiveTable(const std::vector<WatchServer>& servers, double seconds,
                                 std::optional<std::size_t> count)
    : m_servers(servers), m_seconds(seconds), m_count(count) {}

CWatchLiveTable::~CWatchLiveTable() { Leave(); }

bool CWatchLiveTable::Begin() {
  console::WatchTerminalSize();
  m_onAlternateScreen = true;
  kernel::SetWordsOnAbruptStop(kLeaveScreen);  // a second Ctrl-C ends the program at once
  return console::WriteOut(kEnterScreen);      // the table comes with the first round
}

bool CWatchLiveTable::RoundStarted(std::size_t round) {
  m_round = round;
  m_stale = true;
  return true;
}

bool CWatchLiveTable::Entry(const WatchEntry& /*entry*/, const WatchServer& /*server*/) {
  m_stale = true;
  return true;
}

bool CWatchLiveTable::Flush() {
  if (console::TerminalSizeChanged()) m_stale = true;
  if (!m_stale) return true;
  m_stale = false;
  const std::string title = WatchTitle(m_seconds, m_round, m_count);
  const console::TerminalSize size = console::OutputTerminalSize();
  return console::WriteOut(WatchScreenText(title, WatchTableLines(m_servers, size.columns), size));
}

void CWatchLiveTable::Note(const CString& text) { m_notes.push_back(text); }

void CWatchLiveTable::Message(const CString& address, const CString& text) {
  std::string line = ConsoleMessageLine(address, text);
  if (m_messagesSaid.insert(line).second) m_messages.push_back(std::move(line));
}

void CWatchLiveTable::End() {
  Leave();
  const std::size_t columns = console::OutputTerminalSize().columns;
  std::string table;
  for (const std::string& line : WatchTableLines(m_servers, columns)) table += CutToWidth(line, columns) + '\n';
  console::WriteOut(table);
  for (const CString& note : m_notes) console::WriteErr(ConsoleLine(note));
  for (const std::string& line : m_messages) console::WriteErr(line);
  m_notes.clear();
  m_messages.clear();
}

void CWatchLiveTable::Leave() {
  if (!m_onAlternateScreen) return;
  m_onAlternateScreen = false;
  kernel::SetWordsOnAbruptStop({});
  console::WriteOut(kLeaveScreen);
}

#pragma once
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/console_terminal.h"
#include "app/watch_output.h"

// The text that redraws the whole table in place from the cursor's home,
// without clearing the screen first (no flicker): each line cut to the
// width and erased to its end, the lines that do not fit the height left
// out with a last line saying how many, and what is below erased.
std::string WatchScreenText(const std::string& title, const std::vector<std::string>& table,
                            console::TerminalSize size);

// The live table on the terminal's alternate screen, its cursor hidden,
// redrawn as answers come and when the terminal's size changes. Leaving
// (End, or the destructor on any other way out) gives the terminal back as
// it was; End then prints the last table once on the normal screen.
class CWatchLiveTable : public CWatchOutput {
 public:
  CWatchLiveTable(const std::vector<WatchServer>& servers, double seconds, std::optional<std::size_t> count);
  ~CWatchLiveTable() override;
  CWatchLiveTable(const CWatchLiveTable&) = delete;
  CWatchLiveTable& operator=(const CWatchLiveTable&) = delete;

  bool Begin() override;
  bool RoundStarted(std::size_t round) override;
  bool Entry(const WatchEntry& entry, const WatchServer& server) override;
  bool Flush() override;
  void Note(const CString& text) override;
  void Message(const CString& address, const CString& text) override;
  void End() override;

 private:
  void Leave();

  const std::vector<WatchServer>& m_servers;
  double m_seconds;
  std::optional<std::size_t> m_count;
  std::size_t m_round = 0;
  bool m_onAlternateScreen = false;
  bool m_stale = true;
  std::vector<CString> m_notes;         // said after the table: standard error may be the same screen
  std::vector<std::string> m_messages;  // likewise, each line once
  std::set<std::string> m_messagesSaid;
};

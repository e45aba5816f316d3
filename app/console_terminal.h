#pragma once
#include <cstddef>

// Standard output as a terminal, for the tables that are redrawn in place
// as answers come (a pipe or a file gets plain lines instead).
namespace console {

// What a terminal that does not say its size is taken to be.
constexpr std::size_t kUsualColumns = 80;
constexpr std::size_t kUsualRows = 24;

struct TerminalSize {
  std::size_t columns = kUsualColumns;
  std::size_t rows = kUsualRows;
};

// Standard output is a terminal that moves its cursor as told (ANSI
// sequences; TERM=dumb does not).
bool OutputIsLiveTerminal();

// Standard output's terminal size now; 80 by 24 when the system does not say.
TerminalSize OutputTerminalSize();

// From WatchTerminalSize on, TerminalSizeChanged is true once after each
// change of the terminal's size.
void WatchTerminalSize();
bool TerminalSizeChanged();

}  // namespace console

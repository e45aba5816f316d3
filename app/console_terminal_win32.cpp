#include "app/console_terminal.h"

#include "platform/kernel/windef.h"

namespace console {

// The Windows console gets the plain lines a pipe gets: its own characters
// are written with WriteConsoleW, which moves no cursor as told.
bool OutputIsLiveTerminal() { return false; }

TerminalSize OutputTerminalSize() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0) return {};
  const auto columns = static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
  const auto rows = static_cast<std::size_t>(info.srWindow.Bottom - info.srWindow.Top + 1);
  return {columns, rows};
}

void WatchTerminalSize() {}

bool TerminalSizeChanged() { return false; }

}  // namespace console

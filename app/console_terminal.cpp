#include "app/console_terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <string_view>

namespace console {
namespace {

std::atomic<bool> g_sizeChanged{false};

void NoteSizeChange(int /*signal*/) { g_sizeChanged.store(true); }

}  // namespace

bool OutputIsLiveTerminal() {
  if (::isatty(STDOUT_FILENO) == 0) return false;
  const char* term = std::getenv("TERM");
  return term != nullptr && *term != '\0' && std::string_view(term) != "dumb";
}

TerminalSize OutputTerminalSize() {
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) return {};
  return {size.ws_col, size.ws_row};
}

void WatchTerminalSize() {
  struct sigaction action {};
  action.sa_handler = NoteSizeChange;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a resize interrupts no read or write
  ::sigaction(SIGWINCH, &action, nullptr);
}

bool TerminalSizeChanged() { return g_sizeChanged.exchange(false); }

}  // namespace console

#include "platform/kernel/stop_signals.h"

#include <atomic>
#include <csignal>

#include "platform/kernel/windef.h"

namespace kernel {
namespace {

std::atomic<int> g_caught{0};

// How a console program that Ctrl-C or Ctrl-Break ends reports itself.
constexpr UINT kControlCExit = 0xC000013Au;

int SignalFor(DWORD controlType) {
  switch (controlType) {
    case CTRL_C_EVENT: return SIGINT;
    case CTRL_BREAK_EVENT: return SIGBREAK;
    default: return SIGTERM;  // the console closed, logoff, shutdown
  }
}

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleControl(DWORD controlType) {
  int none = 0;
  if (!g_caught.compare_exchange_strong(none, SignalFor(controlType))) return FALSE;  // the second ends us at once
  // For a closed console the system ends the process when this returns:
  // give the program the time it has (a few seconds) to say what it has.
  if (controlType != CTRL_C_EVENT && controlType != CTRL_BREAK_EVENT) ::Sleep(INFINITE);
  return TRUE;
}

}  // namespace

void CatchStopSignals() { ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE); }

int CaughtStopSignal() { return g_caught.load(); }

void SetWordsOnAbruptStop(std::string_view /*text*/) {}

void EndByCaughtSignal() {
  if (g_caught.load() == 0) return;
  ::ExitProcess(kControlCExit);
}

}  // namespace kernel

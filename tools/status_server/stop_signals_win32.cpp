#include "tools/status_server/stop_signals_win32.h"

namespace status_server {
namespace {

HANDLE g_stopEvent = nullptr;

// Runs on a thread the system starts for the request. Closing the console
// ends the process as soon as this returns; Ctrl+C and Ctrl+Break leave the
// main thread to finish.
BOOL WINAPI OnConsoleControl(DWORD request) {
  switch (request) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT: SetEvent(g_stopEvent); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

HANDLE WatchStopRequests() {
  g_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (g_stopEvent == nullptr) return nullptr;
  // A process started with CREATE_NEW_PROCESS_GROUP has Ctrl+C turned off;
  // the server takes it, as it does SIGINT on other systems.
  SetConsoleCtrlHandler(nullptr, FALSE);
  if (!SetConsoleCtrlHandler(OnConsoleControl, TRUE)) return nullptr;
  return g_stopEvent;
}

}  // namespace status_server

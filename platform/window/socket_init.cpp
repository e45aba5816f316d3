// The framework's socket start-up, balanced once at the application's end.
#include "platform/window/cwinapp.h"
#include "platform/winsock/winsock.h"

namespace {
bool g_socketsStarted = false;
}  // namespace

BOOL AfxSocketInit(WSADATA* lpwsaData) {
  if (g_socketsStarted) return TRUE;
  WSADATA data{};
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return FALSE;
  if (lpwsaData != nullptr) *lpwsaData = data;
  g_socketsStarted = true;
  return TRUE;
}

void AfxSocketTerm() {
  if (!g_socketsStarted) return;
  WSACleanup();
  g_socketsStarted = false;
}

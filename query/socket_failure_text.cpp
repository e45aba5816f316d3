#include "query/socket_failure_text.h"

#include "protocol/blocking_socket.h"

CString SocketFailureText(LPCSTR pszWhat, int nError) {
  CBlockingSocketException failure(pszWhat);
  failure.m_nError = nError;
  char text[256];
  failure.GetErrorMessage(text, sizeof text);
  return CString(text);
}

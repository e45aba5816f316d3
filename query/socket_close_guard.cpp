#include "query/socket_close_guard.h"

CSocketCloseGuard::~CSocketCloseGuard() {
  if (m_bCloseTried) return;
  try {
    m_socket.Close();
  } catch (CException* e) {
    e->Delete();
  } catch (...) {  // nothing may leave a destructor that runs during unwinding
  }
}

void CSocketCloseGuard::Close() {
  m_bCloseTried = true;
  m_socket.Close();
}

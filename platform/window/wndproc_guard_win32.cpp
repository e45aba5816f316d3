// The window procedure and its guard: no exception leaves a handler into the
// system's code, which cannot pass it on.
#include <exception>
#include <string>

#include "platform/framework/cexception.h"
#include "platform/window/blocking_wait_hook.h"
#include "platform/window/cwnd.h"

LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (pWnd == nullptr) return 0;
  const framework::WindowProcedureScope running;
  const framework::Message saved = pWnd->m_currentMsg;
  pWnd->m_currentMsg = {message, wParam, lParam};
  LRESULT result = 0;
  // A paint context in the handler has ended its paint by the time the
  // exception arrives here, so the report can open at once.
  try {
    result = pWnd->WindowProc(message, wParam, lParam);
  } catch (CException* e) {
    e->ReportError();
    e->Delete();
  } catch (const std::exception& e) {
    AfxMessageBox(e.what(), MB_OK | MB_ICONSTOP);
  } catch (...) {
    AfxMessageBox(AFX_NO_ERROR_MESSAGE, MB_OK | MB_ICONSTOP);
  }
  pWnd->m_currentMsg = saved;
  return result;
}

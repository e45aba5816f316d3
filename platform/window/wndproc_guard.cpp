// The window procedure and its guard: no exception leaves a handler into the
// event loop or the system's code, which cannot pass it on.
#include <exception>
#include <string>

#include "platform/framework/cexception.h"
#include "platform/window/blocking_wait_hook.h"
#include "platform/window/cwnd.h"
#include "platform/window/safe_report.h"

namespace {

void ReportException(CException* e) {
  e->ReportError();
  e->Delete();
}

void ReportText(const std::string& text) { AfxMessageBox(text.c_str(), MB_OK | MB_ICONSTOP); }

}  // namespace

LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (pWnd == nullptr) return 0;
  const framework::WindowProcedureScope running;
  const framework::Message saved = pWnd->m_currentMsg;
  pWnd->m_currentMsg = {message, wParam, lParam};
  LRESULT result = 0;
  try {
    result = pWnd->WindowProc(message, wParam, lParam);
  } catch (CException* e) {
    framework::ReportWhenSafe([e] { ReportException(e); });
  } catch (const std::exception& e) {
    std::string text = e.what();
    framework::ReportWhenSafe([text] { ReportText(text); });
  } catch (...) {
    framework::ReportWhenSafe([] { ReportText(AFX_NO_ERROR_MESSAGE); });
  }
  pWnd->m_currentMsg = saved;
  return result;
}

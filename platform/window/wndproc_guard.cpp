// The window procedure and its guard: no exception leaves a handler into the
// toolkit's event loop.
#include <QTimer>
#include <exception>
#include <string>

#include "platform/framework/cexception.h"
#include "platform/window/blocking_wait_hook.h"
#include "platform/window/cwnd.h"
#include "platform/window/paint.h"

namespace {

void ReportException(CException* e) {
  e->ReportError();
  e->Delete();
}

void ReportText(const std::string& text) { AfxMessageBox(text.c_str(), MB_OK | MB_ICONSTOP); }

// A message box cannot run inside a paint, so reports from painting wait
// until the paint has finished.
template <class Report>
void ReportWhenSafe(Report report) {
  if (framework::IsPainting()) {
    QTimer::singleShot(0, report);
  } else {
    report();
  }
}

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
    ReportWhenSafe([e] { ReportException(e); });
  } catch (const std::exception& e) {
    std::string text = e.what();
    ReportWhenSafe([text] { ReportText(text); });
  } catch (...) {
    ReportWhenSafe([] { ReportText(AFX_NO_ERROR_MESSAGE); });
  }
  pWnd->m_currentMsg = saved;
  return result;
}

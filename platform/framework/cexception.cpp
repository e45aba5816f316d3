#include "platform/framework/cexception.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)

CException::CException() : m_bAutoDelete(TRUE) {}

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT /*pnHelpContext*/) {
  if (lpszError != nullptr && nMaxError > 0) lpszError[0] = '\0';
  return FALSE;
}

int CException::ReportError(UINT nType, UINT nMessageID) {
  char text[512];
  CString message;
  if (GetErrorMessage(text, sizeof(text), nullptr)) {
    message = text;
  } else if (nMessageID == 0 || !message.LoadString(nMessageID)) {
    message = AFX_NO_ERROR_MESSAGE;
  }
  return AfxMessageBox(message, nType);
}

void AfxCopyErrorText(LPSTR destination, UINT size, const CString& text) {
  if (destination == nullptr || size == 0) return;
  const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(text.GetLength()), size - 1);
  std::memcpy(destination, text.str().data(), count);
  std::memset(destination + count, 0, size - count);
}

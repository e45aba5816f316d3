#pragma once
#include "platform/framework/cobject.h"
#include "platform/framework/message_box.h"

// Exceptions are thrown by pointer. With the auto-delete flag on (the
// default), whoever catches one releases it with Delete().
class CException : public CObject {
  DECLARE_DYNAMIC(CException)
 public:
  CException();
  ~CException() override = default;

  void Delete();

  // Virtual slots after CObject's: GetErrorMessage, ReportError.
  virtual BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr);
  virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0);

  BOOL m_bAutoDelete;
};

// Text shown when an exception has no message of its own.
#define AFX_NO_ERROR_MESSAGE "An unknown error has occurred."

// Copies text into a caller's buffer of `size` bytes: at most size-1
// characters, NUL-terminated, the rest of the buffer zero-filled.
void AfxCopyErrorText(LPSTR destination, UINT size, const CString& text);

#include "platform/framework/memory_exception.h"

#include <new>

IMPLEMENT_DYNAMIC(CMemoryException, CException)

BOOL CMemoryException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) {
  if (pnHelpContext != nullptr) *pnHelpContext = 0;
  AfxCopyErrorText(lpszError, nMaxError, "Out of memory.");
  return TRUE;
}

namespace {
// Made at start-up, while memory is still to be had.
CMemoryException* const g_preallocated = new CMemoryException(FALSE);
}  // namespace

void AfxThrowMemoryException() {
  CMemoryException* exception = new (std::nothrow) CMemoryException;
  throw exception != nullptr ? exception : g_preallocated;
}

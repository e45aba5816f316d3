#pragma once
#include "platform/framework/cexception.h"

// Out of memory.
class CMemoryException : public CException {
  DECLARE_DYNAMIC(CMemoryException)
 public:
  CMemoryException() = default;
  explicit CMemoryException(BOOL bAutoDelete) : CException(bAutoDelete) {}

  BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) override;
};

// Throws a CMemoryException*. When even that object cannot be allocated, a
// preallocated one without the auto-delete flag is thrown (Delete keeps it).
[[noreturn]] void AfxThrowMemoryException();

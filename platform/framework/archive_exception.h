#pragma once
#include "platform/framework/cexception.h"
#include "platform/framework/cstring.h"

// Failure while loading or storing an archive.
class CArchiveException : public CException {
  DECLARE_DYNAMIC(CArchiveException)
 public:
  enum { none, generic, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };

  explicit CArchiveException(int cause = none, LPCSTR lpszArchiveName = nullptr);

  BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) override;

  int m_cause;
  CString m_strFileName;  // the archive's file, empty for memory files
};

[[noreturn]] void AfxThrowArchiveException(int cause, LPCSTR lpszArchiveName = nullptr);

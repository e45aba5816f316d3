#pragma once
#include "platform/framework/cexception.h"
#include "platform/framework/cstring.h"

// Failure of a file operation: what went wrong (m_cause), the system error
// number behind it (m_lOsError, -1 when none) and the file concerned.
class CFileException : public CException {
  DECLARE_DYNAMIC(CFileException)
 public:
  enum {
    none,
    generic,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile
  };

  explicit CFileException(int cause = none, LONG lOsError = -1, LPCSTR lpszFileName = nullptr);

  BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) override;

  // The cause that a system error number (as from GetLastError) stands for.
  static int OsErrorToException(LONG lOsError);
  // Throws a CFileException* for a system error number, which becomes
  // m_lOsError and the thread's last error.
  [[noreturn]] static void ThrowOsError(LONG lOsError, LPCSTR lpszFileName = nullptr);

  // Linux only (file_exception_errno.cpp): the cause that a POSIX errno
  // value stands for, the system error number for it, and the throw.
  static int ErrnoToException(int nErrno);
  static LONG ErrnoToOsError(int nErrno);
  [[noreturn]] static void ThrowErrno(int nErrno, LPCSTR lpszFileName = nullptr);

  int m_cause;
  LONG m_lOsError;
  CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, LPCSTR lpszFileName = nullptr);

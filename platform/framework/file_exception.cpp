#include "platform/framework/file_exception.h"

#include "platform/framework/file_error_numbers.h"
#include "platform/kernel/last_error.h"

IMPLEMENT_DYNAMIC(CFileException, CException)

namespace {

// Each text names the file where "%1" stands.
LPCSTR TemplateOf(int cause) {
  switch (cause) {
    case CFileException::none: return "No error occurred while accessing %1.";
    case CFileException::fileNotFound: return "%1 was not found.";
    case CFileException::badPath: return "%1 contains an invalid path.";
    case CFileException::tooManyOpenFiles: return "%1 could not be opened because too many files are open.";
    case CFileException::accessDenied: return "Access to %1 was denied.";
    case CFileException::invalidFile: return "An invalid file handle was used with %1.";
    case CFileException::removeCurrentDir: return "%1 could not be removed because it is the current directory.";
    case CFileException::directoryFull: return "%1 could not be created because the directory is full.";
    case CFileException::badSeek: return "A seek failed on %1.";
    case CFileException::hardIO: return "A hardware I/O error occurred while accessing %1.";
    case CFileException::sharingViolation: return "A sharing violation occurred while accessing %1.";
    case CFileException::lockViolation: return "A locking violation occurred while accessing %1.";
    case CFileException::diskFull: return "The disk was full while accessing %1.";
    case CFileException::endOfFile: return "An attempt was made to access %1 past its end.";
    default: return "An unexpected error occurred while accessing %1.";
  }
}

CString Fill(LPCSTR text, const CString& name) {
  CString result;
  for (; *text != '\0'; ++text) {
    if (text[0] == '%' && text[1] == '1') {
      result += name;
      ++text;
    } else {
      result += *text;
    }
  }
  return result;
}

}  // namespace

CFileException::CFileException(int cause, LONG lOsError, LPCSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}

BOOL CFileException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) {
  if (pnHelpContext != nullptr) *pnHelpContext = 0;
  const LPCSTR pattern = TemplateOf(m_cause);
  const bool atStart = pattern[0] == '%';
  const CString name =
      !m_strFileName.IsEmpty() ? m_strFileName : CString(atStart ? "An unnamed file" : "an unnamed file");
  AfxCopyErrorText(lpszError, nMaxError, Fill(pattern, name));
  return TRUE;
}

int CFileException::OsErrorToException(LONG lOsError) {
  using namespace file_errors;
  switch (lOsError) {
    case ERROR_SUCCESS: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case kInvalidDrive:
    case kInvalidName:
    case kBadPathname:
    case kFilenameTooLong:
    case kBadNetPath:
    case kBadNetName: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_FILE_EXISTS:
    case kAlreadyExists:
    case kInvalidAccess:
    case kWriteProtect:
    case kDriveLocked:
    case kNetworkAccessDenied: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case kCurrentDirectory: return removeCurrentDir;
    case kCannotMake: return directoryFull;
    case kSeek:
    case kNegativeSeek: return badSeek;
    case kIoDevice:
    case kNotReady:
    case kCrc:
    case kSectorNotFound:
    case kWriteFault:
    case kReadFault: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case kLockViolation: return lockViolation;
    case kDiskFull:
    case kHandleDiskFull: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return generic;
  }
}

void CFileException::ThrowOsError(LONG lOsError, LPCSTR lpszFileName) {
  SetLastError(static_cast<DWORD>(lOsError));
  AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCSTR lpszFileName) {
  throw new CFileException(cause, lOsError, lpszFileName);
}

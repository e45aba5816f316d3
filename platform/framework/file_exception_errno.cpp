// The file exceptions of a POSIX errno value. Linux only: on Windows every
// failure comes as the system's own error number.
#include <cerrno>

#include "platform/framework/file_error_numbers.h"
#include "platform/framework/file_exception.h"
#include "platform/kernel/last_error.h"

// The kernel's translation, refined where the file causes need more detail.
LONG CFileException::ErrnoToOsError(int nErrno) {
  switch (nErrno) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return file_errors::kDiskFull;
    case EIO: return file_errors::kIoDevice;
    case ESPIPE: return file_errors::kSeek;
    default: return static_cast<LONG>(kernel::SystemErrorFromErrno(nErrno));
  }
}

int CFileException::ErrnoToException(int nErrno) {
  switch (nErrno) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EEXIST: return accessDenied;
    case EBADF: return invalidFile;
    case EBUSY:
    case EWOULDBLOCK: return sharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    case EIO: return hardIO;
    case ESPIPE: return badSeek;
    default: return generic;
  }
}

void CFileException::ThrowErrno(int nErrno, LPCSTR lpszFileName) {
  const LONG osError = ErrnoToOsError(nErrno);
  SetLastError(static_cast<DWORD>(osError));
  AfxThrowFileException(ErrnoToException(nErrno), osError, lpszFileName);
}

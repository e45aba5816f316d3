#include "platform/framework/cfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>

#include "platform/framework/cfile_release.h"
#include "platform/framework/file_exception.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr UINT kAccessMask = 0x0003;
constexpr UINT kShareMask = 0x0070;
constexpr LONG kErrorLockViolation = 33;

[[noreturn]] void ThrowInvalidHandle(const CString& name) {
  SetLastError(ERROR_INVALID_HANDLE);
  AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, name);
}

[[noreturn]] void ThrowInvalidParameter(const CString& name) {
  SetLastError(ERROR_INVALID_PARAMETER);
  AfxThrowFileException(CFileException::generic, ERROR_INVALID_PARAMETER, name);
}

int DescriptorOrThrow(UINT handle, const CString& name) {
  const int fd = kernel::DescriptorOf(handle);
  if (fd < 0) ThrowInvalidHandle(name);
  return fd;
}

// O_NONBLOCK so that the open itself never waits: a FIFO without a writer
// opens for reading at once, and one without a reader refuses writing
// (ENXIO) instead of blocking. The flag is cleared once the file is open.
int OpenFlagsFor(UINT nOpenFlags) {
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  switch (nOpenFlags & kAccessMask) {
    case CFile::modeWrite: flags |= O_WRONLY; break;
    case CFile::modeReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
  }
  if ((nOpenFlags & CFile::modeCreate) != 0) flags |= O_CREAT;
  return flags;
}

// The share mode becomes a whole-file lock. On Linux these locks are
// advisory: they exclude only programs that lock the file as well, which this
// framework does on every open. Compatibility mode means exclusive access;
// "deny read" cannot be told apart from "deny all" and is exclusive too;
// "deny none" takes a shared lock so that an exclusive holder excludes it.
// Returns the errno of a refusal, or 0.
int LockForShareMode(int fd, UINT nOpenFlags) {
  const UINT share = nOpenFlags & kShareMask;
  const int operation = (share == CFile::shareDenyWrite || share == CFile::shareDenyNone) ? LOCK_SH : LOCK_EX;
  while (::flock(fd, operation | LOCK_NB) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// Truncation waits until the lock is held, so that an open refused for
// sharing never destroys the other holder's data.
int TruncateIfAsked(int fd, LPCSTR name, UINT nOpenFlags) {
  if ((nOpenFlags & CFile::modeCreate) == 0 || (nOpenFlags & CFile::modeNoTruncate) != 0) return 0;
  const bool readOnly = (nOpenFlags & kAccessMask) == CFile::modeRead;
  const int result = readOnly ? ::truncate(name, 0) : ::ftruncate(fd, 0);
  return result == 0 ? 0 : errno;
}

// A plain read of a file needs a regular file: reading a FIFO or a device
// could wait for ever or never end. Writers may name devices and FIFOs (a
// reader being there). A directory is never a file. The errno of a
// refusal, or 0.
int CheckFileType(int fd, UINT nOpenFlags) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return errno;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  const bool plainRead = (nOpenFlags & kAccessMask) == CFile::modeRead && (nOpenFlags & CFile::modeCreate) == 0;
  if (plainRead && !S_ISREG(info.st_mode)) return EACCES;
  return 0;
}

int ClearNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
  return 0;
}

// Opens and checks a descriptor; the errno of a failure, or 0.
int OpenDescriptor(LPCSTR name, UINT nOpenFlags, int* fdOut) {
  int fd;
  do {
    fd = ::open(name, OpenFlagsFor(nOpenFlags), S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  int err = CheckFileType(fd, nOpenFlags);
  if (err == 0) err = ClearNonBlocking(fd);
  if (err == 0) err = LockForShareMode(fd, nOpenFlags);
  if (err == 0) err = TruncateIfAsked(fd, name, nOpenFlags);
  if (err != 0) {
    ::close(fd);
    return err;
  }
  *fdOut = fd;
  return 0;
}

CString FullPath(LPCSTR name) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(name, error);
  return error ? CString(name) : CString(path.lexically_normal().string());
}

bool IsRegularFile(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// Byte-range locks belong to this open file, as on the original platform
// (open-file-description locks, so other descriptors of the process do not
// release them). A count of 0 locks nothing.
void ChangeRangeLock(UINT handle, const CString& name, short type, DWORD dwPos, DWORD dwCount) {
  const int fd = DescriptorOrThrow(handle, name);
  if (dwCount == 0) return;
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(dwPos);
  range.l_len = static_cast<off_t>(dwCount);
  while (::fcntl(fd, F_OFD_SETLK, &range) != 0) {
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) {
      SetLastError(kErrorLockViolation);
      AfxThrowFileException(CFileException::lockViolation, kErrorLockViolation, name);
    }
    CFileException::ThrowErrno(errno, name);
  }
}

}  // namespace

namespace framework {

// Removes the handle and closes its descriptor.
int ReleaseFileHandle(UINT handle) {
  if (handle == CFile::hFileNull) return 0;
  const int fd = kernel::RemoveHandle(handle);
  if (fd < 0) return EBADF;
  // On Linux the descriptor is gone even when close reports EINTR.
  if (::close(fd) != 0 && errno != EINTR) return errno;
  return 0;
}

void ThrowReleaseFailure(int error, const CString& name) { CFileException::ThrowErrno(error, name); }

}  // namespace framework

CFile::~CFile() {
  if (m_bCloseOnDelete) framework::ReleaseFileHandle(m_hFile);
}

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
  int err = 0;
  int fd = -1;
  if (lpszFileName == nullptr || m_hFile != hFileNull || (nOpenFlags & kAccessMask) == kAccessMask) {
    err = EINVAL;  // no name, a file still open, or no valid access mode
  } else {
    err = OpenDescriptor(lpszFileName, nOpenFlags, &fd);
  }
  if (err != 0) {
    const LONG osError = CFileException::ErrnoToOsError(err);
    SetLastError(static_cast<DWORD>(osError));
    if (pError != nullptr) {
      pError->m_cause = CFileException::ErrnoToException(err);
      pError->m_lOsError = osError;
      pError->m_strFileName = lpszFileName;
    }
    return FALSE;
  }
  m_hFile = kernel::InsertHandle(fd, kernel::HandleKind::File);
  m_bCloseOnDelete = TRUE;
  m_strFileName = FullPath(lpszFileName);
  return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  if (nCount == 0) return 0;
  const int fd = DescriptorOrThrow(m_hFile, m_strFileName);
  if (lpBuf == nullptr) ThrowInvalidParameter(m_strFileName);
  // A disk file is read until the count or its end; a socket or pipe gives
  // what one read delivers, as waiting for more could block for ever.
  const bool fillCompletely = IsRegularFile(fd);
  auto* out = static_cast<char*>(lpBuf);
  UINT done = 0;
  while (done < nCount) {
    const ssize_t n = ::read(fd, out + done, nCount - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) CFileException::ThrowErrno(errno, m_strFileName);
    if (n == 0) break;
    done += static_cast<UINT>(n);
    if (!fillCompletely) break;
  }
  return done;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  const int fd = DescriptorOrThrow(m_hFile, m_strFileName);
  if (lpBuf == nullptr) ThrowInvalidParameter(m_strFileName);
  // A socket whose peer has gone must fail the write, not raise SIGPIPE.
  const bool socket = kernel::IsHandleKind(m_hFile, kernel::HandleKind::Socket);
  const auto* in = static_cast<const char*>(lpBuf);
  UINT done = 0;
  while (done < nCount) {
    const ssize_t n =
        socket ? ::send(fd, in + done, nCount - done, MSG_NOSIGNAL) : ::write(fd, in + done, nCount - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) CFileException::ThrowErrno(errno, m_strFileName);
    if (n == 0) CFileException::ThrowErrno(ENOSPC, m_strFileName);
    done += static_cast<UINT>(n);
  }
}

LONG CFile::Seek(LONG lOff, UINT nFrom) {
  const int fd = DescriptorOrThrow(m_hFile, m_strFileName);
  int whence;
  switch (nFrom) {
    case begin: whence = SEEK_SET; break;
    case current: whence = SEEK_CUR; break;
    case end: whence = SEEK_END; break;
    default: ThrowInvalidParameter(m_strFileName);
  }
  const off_t position = ::lseek(fd, lOff, whence);
  if (position < 0) {
    const LONG osError = CFileException::ErrnoToOsError(errno);
    SetLastError(static_cast<DWORD>(osError));
    AfxThrowFileException(CFileException::badSeek, osError, m_strFileName);
  }
  return static_cast<LONG>(position);
}

DWORD CFile::GetPosition() const {
  const int fd = DescriptorOrThrow(m_hFile, m_strFileName);
  const off_t position = ::lseek(fd, 0, SEEK_CUR);
  if (position < 0) CFileException::ThrowErrno(errno, m_strFileName);
  return static_cast<DWORD>(position);
}

// Lengths beyond the 32-bit range read as the largest 32-bit value.
DWORD CFile::GetLength() const {
  const int fd = DescriptorOrThrow(m_hFile, m_strFileName);
  struct stat info {};
  if (::fstat(fd, &info) != 0) CFileException::ThrowErrno(errno, m_strFileName);
  constexpr DWORD kLargest = std::numeric_limits<DWORD>::max();
  return info.st_size > kLargest ? kLargest : static_cast<DWORD>(info.st_size);
}

void CFile::SetLength(DWORD dwNewLen) {
  const int fd = DescriptorOrThrow(m_hFile, m_strFileName);
  while (::ftruncate(fd, static_cast<off_t>(dwNewLen)) != 0) {
    if (errno != EINTR) CFileException::ThrowErrno(errno, m_strFileName);
  }
}

void CFile::LockRange(DWORD dwPos, DWORD dwCount) { ChangeRangeLock(m_hFile, m_strFileName, F_WRLCK, dwPos, dwCount); }

void CFile::UnlockRange(DWORD dwPos, DWORD dwCount) {
  ChangeRangeLock(m_hFile, m_strFileName, F_UNLCK, dwPos, dwCount);
}

void CFile::Flush() {
  if (m_hFile == hFileNull) return;
  const int fd = DescriptorOrThrow(m_hFile, m_strFileName);
  // Sockets, pipes and some devices have nothing to flush.
  if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) CFileException::ThrowErrno(errno, m_strFileName);
}

// The copy has its own descriptor (sharing position and locks with this
// one) and closes it when deleted.
CFile* CFile::Duplicate() const {
  const int fd = DescriptorOrThrow(m_hFile, m_strFileName);
  auto copy = std::make_unique<CFile>();
  const int fdCopy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (fdCopy < 0) CFileException::ThrowErrno(errno, m_strFileName);
  const bool socket = kernel::IsHandleKind(m_hFile, kernel::HandleKind::Socket);
  copy->m_hFile = kernel::InsertHandle(fdCopy, socket ? kernel::HandleKind::Socket : kernel::HandleKind::File);
  copy->m_bCloseOnDelete = TRUE;
  copy->m_strFileName = m_strFileName;
  return copy.release();
}

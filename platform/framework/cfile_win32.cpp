#include <limits>
#include <memory>
#include <vector>

#include "platform/framework/cfile.h"
#include "platform/framework/cfile_release.h"
#include "platform/framework/file_exception.h"
#include "platform/kernel/wide_text.h"
#include "platform/kernel/windef.h"

namespace {

constexpr UINT kAccessMask = 0x0003;
constexpr UINT kShareMask = 0x0070;

// m_hFile keeps the system's handle in 32 bits. Kernel handles fit: on
// 64-bit Windows only their lower 32 bits are significant (so that 32- and
// 64-bit processes can share them), and sign extension gives the full value
// back, hFileNull becoming INVALID_HANDLE_VALUE (and INVALID_SOCKET).
HANDLE HandleOf(UINT hFile) { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<LONG>(hFile))); }

SOCKET SocketOf(UINT hFile) { return static_cast<SOCKET>(static_cast<LONG_PTR>(static_cast<LONG>(hFile))); }

UINT ValueOf(HANDLE handle) { return static_cast<UINT>(reinterpret_cast<ULONG_PTR>(handle)); }

[[noreturn]] void ThrowInvalidHandle(const CString& name) { CFileException::ThrowOsError(ERROR_INVALID_HANDLE, name); }

[[noreturn]] void ThrowInvalidParameter(const CString& name) {
  SetLastError(ERROR_INVALID_PARAMETER);
  AfxThrowFileException(CFileException::generic, ERROR_INVALID_PARAMETER, name);
}

[[noreturn]] void ThrowLastError(const CString& name) {
  CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), name);
}

HANDLE HandleOrThrow(UINT hFile, const CString& name) {
  if (hFile == CFile::hFileNull) ThrowInvalidHandle(name);
  return HandleOf(hFile);
}

// A handle of the sockets library (as a file socket holds) takes that
// library's calls: send, recv and closesocket. Asking for its type fails
// for anything else, and leaves the thread's last error as it was.
bool IsSocket(UINT hFile) {
  const DWORD lastError = ::GetLastError();
  int type = 0;
  int length = sizeof(type);
  const bool socket = ::getsockopt(SocketOf(hFile), SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length) == 0;
  ::SetLastError(lastError);
  return socket;
}

bool IsDiskFile(HANDLE handle) { return ::GetFileType(handle) == FILE_TYPE_DISK; }

DWORD AccessOf(UINT nOpenFlags) {
  switch (nOpenFlags & kAccessMask) {
    case CFile::modeWrite: return GENERIC_WRITE;
    case CFile::modeReadWrite: return GENERIC_READ | GENERIC_WRITE;
    default: return GENERIC_READ;
  }
}

// Compatibility mode is exclusive, as in the original framework.
DWORD ShareModeOf(UINT nOpenFlags) {
  switch (nOpenFlags & kShareMask) {
    case CFile::shareDenyWrite: return FILE_SHARE_READ;
    case CFile::shareDenyRead: return FILE_SHARE_WRITE;
    case CFile::shareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0;
  }
}

// The system checks the share modes before it truncates, so an open
// refused for sharing never destroys the other holder's data.
DWORD DispositionOf(UINT nOpenFlags) {
  if ((nOpenFlags & CFile::modeCreate) == 0) return OPEN_EXISTING;
  return (nOpenFlags & CFile::modeNoTruncate) != 0 ? OPEN_ALWAYS : CREATE_ALWAYS;
}

// A plain read of a file needs a disk file: reading a pipe or a device
// (CON, NUL, ...) could wait for ever or never end. Writers may name them.
// The system refuses folders by itself.
DWORD CheckFileType(HANDLE handle, UINT nOpenFlags) {
  const bool plainRead = (nOpenFlags & kAccessMask) == CFile::modeRead && (nOpenFlags & CFile::modeCreate) == 0;
  return plainRead && !IsDiskFile(handle) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

// Opens and checks a handle; the system's error number of a failure, or 0.
// No child process inherits the handle, whatever modeNoInherit says: a
// program started meanwhile must not keep the file, and its share mode,
// open (on Linux every descriptor closes on exec alike).
DWORD OpenHandle(LPCSTR name, UINT nOpenFlags, HANDLE* handleOut) {
  const HANDLE handle = ::CreateFileW(kernel::WideFromUtf8(name).c_str(), AccessOf(nOpenFlags), ShareModeOf(nOpenFlags),
                                      nullptr, DispositionOf(nOpenFlags), FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return ::GetLastError();
  const DWORD refusal = CheckFileType(handle, nOpenFlags);
  if (refusal != ERROR_SUCCESS) {
    ::CloseHandle(handle);
    return refusal;
  }
  *handleOut = handle;
  return ERROR_SUCCESS;
}

CString FullPath(LPCSTR name) {
  const std::wstring wideName = kernel::WideFromUtf8(name);
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetFullPathNameW(wideName.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
    if (length == 0) return name;
    if (length < path.size()) return CString(kernel::Utf8FromWide(std::wstring_view(path.data(), length)));
    path.resize(length);
  }
}

// A socket gives what one receive delivers, as waiting for more could block
// for ever; 0 once the peer has closed.
UINT Receive(UINT hFile, char* buffer, UINT nCount, const CString& name) {
  const int most = nCount > static_cast<UINT>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                               : static_cast<int>(nCount);
  const int received = ::recv(SocketOf(hFile), buffer, most, 0);
  if (received == SOCKET_ERROR) CFileException::ThrowOsError(::WSAGetLastError(), name);
  return static_cast<UINT>(received);
}

void Send(UINT hFile, const char* data, UINT nCount, const CString& name) {
  constexpr UINT kMostPerSend = std::numeric_limits<int>::max();
  for (UINT done = 0; done < nCount;) {
    const int part = static_cast<int>(nCount - done < kMostPerSend ? nCount - done : kMostPerSend);
    const int sent = ::send(SocketOf(hFile), data + done, part, 0);
    if (sent == SOCKET_ERROR) CFileException::ThrowOsError(::WSAGetLastError(), name);
    done += static_cast<UINT>(sent);
  }
}

// A disk file is read until the count or its end; a pipe or device gives
// what one read delivers. A pipe whose writer has gone is at its end.
UINT ReadHandle(HANDLE handle, char* buffer, UINT nCount, const CString& name) {
  const bool fillCompletely = IsDiskFile(handle);
  UINT done = 0;
  while (done < nCount) {
    DWORD count = 0;
    if (!::ReadFile(handle, buffer + done, nCount - done, &count, nullptr)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) break;
      CFileException::ThrowOsError(static_cast<LONG>(error), name);
    }
    if (count == 0) break;
    done += count;
    if (!fillCompletely) break;
  }
  return done;
}

LONGLONG PointerMove(HANDLE handle, LONGLONG distance, DWORD method, const CString& name) {
  LARGE_INTEGER to;
  to.QuadPart = distance;
  LARGE_INTEGER position;
  if (!::SetFilePointerEx(handle, to, &position, method)) ThrowLastError(name);
  return position.QuadPart;
}

// A count of 0 locks nothing. The system refuses a range that overlaps a
// lock of another open at once, as lockViolation.
void ChangeRangeLock(UINT hFile, const CString& name, bool lock, DWORD dwPos, DWORD dwCount) {
  const HANDLE handle = HandleOrThrow(hFile, name);
  if (dwCount == 0) return;
  OVERLAPPED range{};
  range.Offset = dwPos;
  const BOOL done =
      lock ? ::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, dwCount, 0, &range)
           : ::UnlockFileEx(handle, 0, dwCount, 0, &range);
  if (!done) ThrowLastError(name);
}

HANDLE DuplicateFileHandle(HANDLE handle, const CString& name) {
  HANDLE copy = nullptr;
  const HANDLE process = ::GetCurrentProcess();
  if (!::DuplicateHandle(process, handle, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) ThrowLastError(name);
  return copy;
}

// The sockets library makes copies of its sockets itself.
SOCKET DuplicateSocket(UINT hFile, const CString& name) {
  WSAPROTOCOL_INFOA info{};
  if (::WSADuplicateSocketA(SocketOf(hFile), ::GetCurrentProcessId(), &info) != 0) {
    CFileException::ThrowOsError(::WSAGetLastError(), name);
  }
  const SOCKET copy = ::WSASocketA(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, &info, 0, 0);
  if (copy == INVALID_SOCKET) CFileException::ThrowOsError(::WSAGetLastError(), name);
  return copy;
}

}  // namespace

namespace framework {

// A socket (as a file socket holds) takes closesocket.
int ReleaseFileHandle(UINT hFile) {
  if (hFile == CFile::hFileNull) return 0;
  if (IsSocket(hFile)) return ::closesocket(SocketOf(hFile)) == 0 ? 0 : ::WSAGetLastError();
  return ::CloseHandle(HandleOf(hFile)) ? 0 : static_cast<int>(::GetLastError());
}

void ThrowReleaseFailure(int error, const CString& name) {
  CFileException::ThrowOsError(static_cast<LONG>(error), name);
}

}  // namespace framework

CFile::~CFile() {
  if (m_bCloseOnDelete) framework::ReleaseFileHandle(m_hFile);
}

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
  DWORD error = ERROR_SUCCESS;
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (lpszFileName == nullptr || m_hFile != hFileNull || (nOpenFlags & kAccessMask) == kAccessMask) {
    error = ERROR_INVALID_PARAMETER;  // no name, a file still open, or no valid access mode
  } else {
    error = OpenHandle(lpszFileName, nOpenFlags, &handle);
  }
  if (error != ERROR_SUCCESS) {
    ::SetLastError(error);
    if (pError != nullptr) {
      pError->m_cause = CFileException::OsErrorToException(static_cast<LONG>(error));
      pError->m_lOsError = static_cast<LONG>(error);
      pError->m_strFileName = lpszFileName;
    }
    return FALSE;
  }
  m_hFile = ValueOf(handle);
  m_bCloseOnDelete = TRUE;
  m_strFileName = FullPath(lpszFileName);
  return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  if (nCount == 0) return 0;
  const HANDLE handle = HandleOrThrow(m_hFile, m_strFileName);
  if (lpBuf == nullptr) ThrowInvalidParameter(m_strFileName);
  auto* out = static_cast<char*>(lpBuf);
  if (IsSocket(m_hFile)) return Receive(m_hFile, out, nCount, m_strFileName);
  return ReadHandle(handle, out, nCount, m_strFileName);
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  const HANDLE handle = HandleOrThrow(m_hFile, m_strFileName);
  if (lpBuf == nullptr) ThrowInvalidParameter(m_strFileName);
  const auto* in = static_cast<const char*>(lpBuf);
  if (IsSocket(m_hFile)) {
    Send(m_hFile, in, nCount, m_strFileName);
    return;
  }
  UINT done = 0;
  while (done < nCount) {
    DWORD count = 0;
    if (!::WriteFile(handle, in + done, nCount - done, &count, nullptr)) ThrowLastError(m_strFileName);
    if (count == 0) CFileException::ThrowOsError(ERROR_DISK_FULL, m_strFileName);
    done += count;
  }
}

LONG CFile::Seek(LONG lOff, UINT nFrom) {
  const HANDLE handle = HandleOrThrow(m_hFile, m_strFileName);
  DWORD method;
  switch (nFrom) {
    case begin: method = FILE_BEGIN; break;
    case current: method = FILE_CURRENT; break;
    case end: method = FILE_END; break;
    default: ThrowInvalidParameter(m_strFileName);
  }
  LARGE_INTEGER to;
  to.QuadPart = lOff;
  LARGE_INTEGER position;
  if (!::SetFilePointerEx(handle, to, &position, method)) {
    const DWORD error = ::GetLastError();
    ::SetLastError(error);
    AfxThrowFileException(CFileException::badSeek, static_cast<LONG>(error), m_strFileName);
  }
  return static_cast<LONG>(position.QuadPart);
}

DWORD CFile::GetPosition() const {
  const HANDLE handle = HandleOrThrow(m_hFile, m_strFileName);
  return static_cast<DWORD>(PointerMove(handle, 0, FILE_CURRENT, m_strFileName));
}

// Lengths beyond the 32-bit range read as the largest 32-bit value.
DWORD CFile::GetLength() const {
  const HANDLE handle = HandleOrThrow(m_hFile, m_strFileName);
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(handle, &size)) ThrowLastError(m_strFileName);
  constexpr DWORD kLargest = std::numeric_limits<DWORD>::max();
  return size.QuadPart > kLargest ? kLargest : static_cast<DWORD>(size.QuadPart);
}

// The end moves through the file pointer; the position is kept, as a
// change of length leaves it on Linux.
void CFile::SetLength(DWORD dwNewLen) {
  const HANDLE handle = HandleOrThrow(m_hFile, m_strFileName);
  const LONGLONG position = PointerMove(handle, 0, FILE_CURRENT, m_strFileName);
  PointerMove(handle, dwNewLen, FILE_BEGIN, m_strFileName);
  const BOOL ended = ::SetEndOfFile(handle);
  const DWORD error = ::GetLastError();
  PointerMove(handle, position, FILE_BEGIN, m_strFileName);
  if (!ended) CFileException::ThrowOsError(static_cast<LONG>(error), m_strFileName);
}

void CFile::LockRange(DWORD dwPos, DWORD dwCount) { ChangeRangeLock(m_hFile, m_strFileName, true, dwPos, dwCount); }

void CFile::UnlockRange(DWORD dwPos, DWORD dwCount) { ChangeRangeLock(m_hFile, m_strFileName, false, dwPos, dwCount); }

// Only disk files keep data to flush: a pipe's flush would wait until its
// reader has taken everything, and sockets and devices have none. A handle
// without write access has written nothing, though the system refuses its
// flush.
void CFile::Flush() {
  if (m_hFile == hFileNull) return;
  const HANDLE handle = HandleOrThrow(m_hFile, m_strFileName);
  if (!IsDiskFile(handle)) return;
  if (!::FlushFileBuffers(handle) && ::GetLastError() != ERROR_ACCESS_DENIED) ThrowLastError(m_strFileName);
}

// The copy has its own handle (sharing the position with this one) and
// closes it when deleted.
CFile* CFile::Duplicate() const {
  const HANDLE handle = HandleOrThrow(m_hFile, m_strFileName);
  auto copy = std::make_unique<CFile>();
  copy->m_hFile = IsSocket(m_hFile) ? static_cast<UINT>(DuplicateSocket(m_hFile, m_strFileName))
                                    : ValueOf(DuplicateFileHandle(handle, m_strFileName));
  copy->m_bCloseOnDelete = TRUE;
  copy->m_strFileName = m_strFileName;
  return copy.release();
}

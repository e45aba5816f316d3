#include "platform/framework/memfile.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/framework/file_exception.h"
#include "platform/framework/memory_exception.h"
#include "platform/kernel/last_error.h"

IMPLEMENT_DYNAMIC(CMemFile, CFile)

namespace {

constexpr LONG kErrorNegativeSeek = 131;
constexpr LONG kErrorDiskFull = 112;
constexpr std::uint64_t kLargestLength = 0xFFFFFFFFu;

[[noreturn]] void ThrowFileError(int cause, LONG osError) {
  SetLastError(static_cast<DWORD>(osError));
  AfxThrowFileException(cause, osError);
}

[[noreturn]] void ThrowNotSupported() { ThrowFileError(CFileException::generic, ERROR_CALL_NOT_IMPLEMENTED); }

}  // namespace

CMemFile::CMemFile(UINT nGrowBytes) : m_nPosition(0), m_nGrowBytes(std::max(nGrowBytes, 1u)) {}

CMemFile::CMemFile(const void* lpBuffer, UINT nBufferSize, UINT nGrowBytes) : CMemFile(nGrowBytes) {
  if (lpBuffer == nullptr || nBufferSize == 0) return;
  GrowTo(nBufferSize);
  std::memcpy(m_data.data(), lpBuffer, nBufferSize);
}

// Grows by at least m_nGrowBytes and geometrically, so many small writes
// stay linear in cost.
void CMemFile::GrowTo(std::size_t newSize) {
  try {
    if (newSize > m_data.capacity()) {
      const std::size_t stepped = (newSize + m_nGrowBytes - 1) / m_nGrowBytes * m_nGrowBytes;
      m_data.reserve(std::max(stepped, m_data.capacity() * 2));
    }
    m_data.resize(newSize);
  } catch (const std::bad_alloc&) {
    AfxThrowMemoryException();
  }
}

DWORD CMemFile::GetPosition() const { return m_nPosition; }

BOOL CMemFile::Open(LPCSTR lpszFileName, UINT, CFileException* pError) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  if (pError != nullptr) {
    pError->m_cause = CFileException::generic;
    pError->m_lOsError = ERROR_CALL_NOT_IMPLEMENTED;
    pError->m_strFileName = lpszFileName;
  }
  return FALSE;
}

CFile* CMemFile::Duplicate() const { ThrowNotSupported(); }

LONG CMemFile::Seek(LONG lOff, UINT nFrom) {
  std::int64_t base;
  switch (nFrom) {
    case begin: base = 0; break;
    case current: base = m_nPosition; break;
    case end: base = static_cast<std::int64_t>(m_data.size()); break;
    default: ThrowFileError(CFileException::badSeek, ERROR_INVALID_PARAMETER);
  }
  const std::int64_t target = base + lOff;
  if (target < 0) ThrowFileError(CFileException::badSeek, kErrorNegativeSeek);
  if (static_cast<std::uint64_t>(target) > kLargestLength)
    ThrowFileError(CFileException::badSeek, ERROR_INVALID_PARAMETER);
  m_nPosition = static_cast<DWORD>(target);
  return static_cast<LONG>(m_nPosition);
}

void CMemFile::SetLength(DWORD dwNewLen) {
  GrowTo(dwNewLen);
  m_nPosition = std::min(m_nPosition, dwNewLen);
}

DWORD CMemFile::GetLength() const { return static_cast<DWORD>(m_data.size()); }

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
  if (nCount == 0 || m_nPosition >= m_data.size()) return 0;
  if (lpBuf == nullptr) ThrowFileError(CFileException::generic, ERROR_INVALID_PARAMETER);
  const UINT count = static_cast<UINT>(std::min<std::size_t>(nCount, m_data.size() - m_nPosition));
  std::memcpy(lpBuf, m_data.data() + m_nPosition, count);
  m_nPosition += count;
  return count;
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  if (lpBuf == nullptr) ThrowFileError(CFileException::generic, ERROR_INVALID_PARAMETER);
  const std::uint64_t end = static_cast<std::uint64_t>(m_nPosition) + nCount;
  if (end > kLargestLength) ThrowFileError(CFileException::diskFull, kErrorDiskFull);
  if (end > m_data.size()) GrowTo(static_cast<std::size_t>(end));
  std::memcpy(m_data.data() + m_nPosition, lpBuf, nCount);
  m_nPosition = static_cast<DWORD>(end);
}

void CMemFile::LockRange(DWORD, DWORD) { ThrowNotSupported(); }

void CMemFile::UnlockRange(DWORD, DWORD) { ThrowNotSupported(); }

void CMemFile::Abort() { CMemFile::Close(); }

void CMemFile::Flush() {}

void CMemFile::Close() {
  std::vector<BYTE>().swap(m_data);
  m_nPosition = 0;
}

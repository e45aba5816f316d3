#include "platform/framework/archive.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "platform/framework/archive_exception.h"
#include "platform/framework/cexception.h"

namespace {

constexpr int kSmallestBuffer = 16;
constexpr BYTE kLongLengthMarker = 0xFF;
constexpr WORD kWideStringMarker = 0xFFFE;
constexpr WORD kHugeLengthMarker = 0xFFFF;
constexpr UINT kStringChunk = 64 * 1024;

}  // namespace

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize)
    : m_pFile(pFile), m_nMode(nMode), m_buffer(static_cast<std::size_t>(std::max(nBufSize, kSmallestBuffer))) {
  if (pFile == nullptr) AfxThrowArchiveException(CArchiveException::generic);
}

CArchive::~CArchive() {
  if (m_pFile == nullptr || (m_nMode & bNoFlushOnDelete) != 0) return;
  try {
    Close();
  } catch (CException* e) {
    e->Delete();
  } catch (...) {
  }
}

void CArchive::CheckOpen() const {
  if (m_pFile == nullptr) AfxThrowArchiveException(CArchiveException::generic);
}

void CArchive::Throw(int cause) const {
  AfxThrowArchiveException(cause, m_pFile != nullptr ? static_cast<LPCSTR>(m_pFile->GetFilePath()) : nullptr);
}

UINT CArchive::FillBuffer() {
  m_nCur = 0;
  m_nMax = m_pFile->Read(m_buffer.data(), static_cast<UINT>(m_buffer.size()));
  return static_cast<UINT>(m_nMax);
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
  CheckOpen();
  if (IsStoring()) Throw(CArchiveException::writeOnly);
  if (nMax == 0) return 0;
  auto* out = static_cast<BYTE*>(lpBuf);
  UINT done = 0;
  while (done < nMax) {
    if (m_nCur == m_nMax) {
      const UINT wanted = nMax - done;
      if (wanted >= m_buffer.size()) {  // large reads bypass the buffer
        const UINT got = m_pFile->Read(out + done, wanted);
        if (got == 0) break;
        done += got;
        continue;
      }
      if (FillBuffer() == 0) break;
    }
    const UINT step = static_cast<UINT>(std::min<std::size_t>(nMax - done, m_nMax - m_nCur));
    std::memcpy(out + done, m_buffer.data() + m_nCur, step);
    m_nCur += step;
    done += step;
  }
  return done;
}

void CArchive::ReadExactly(void* lpBuf, UINT nCount) {
  if (Read(lpBuf, nCount) != nCount) Throw(CArchiveException::endOfFile);
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
  CheckOpen();
  if (IsLoading()) Throw(CArchiveException::readOnly);
  if (nMax == 0) return;
  if (m_nCur + nMax > m_buffer.size()) {
    WriteOutBuffer();
    if (nMax >= m_buffer.size()) {  // large writes bypass the buffer
      m_pFile->Write(lpBuf, nMax);
      return;
    }
  }
  std::memcpy(m_buffer.data() + m_nCur, lpBuf, nMax);
  m_nCur += nMax;
}

void CArchive::WriteOutBuffer() {
  if (m_nCur == 0) return;
  const UINT count = static_cast<UINT>(m_nCur);
  m_nCur = 0;  // even if the write fails, the bytes are not written twice
  m_pFile->Write(m_buffer.data(), count);
}

void CArchive::Flush() {
  CheckOpen();
  if (IsStoring()) {
    WriteOutBuffer();
    return;
  }
  const std::size_t unread = m_nMax - m_nCur;
  m_nCur = m_nMax = 0;
  if (unread != 0) m_pFile->Seek(-static_cast<LONG>(unread), CFile::current);
}

void CArchive::Close() {
  CheckOpen();
  Flush();
  m_pFile = nullptr;
}

void CArchive::WriteStringLength(DWORD nLength) {
  if (nLength < kLongLengthMarker) {
    *this << static_cast<BYTE>(nLength);
  } else if (nLength < kWideStringMarker) {
    *this << kLongLengthMarker << static_cast<WORD>(nLength);
  } else {
    *this << kLongLengthMarker << kHugeLengthMarker << nLength;
  }
}

DWORD CArchive::ReadStringLength() {
  BYTE shortLength = 0;
  *this >> shortLength;
  if (shortLength < kLongLengthMarker) return shortLength;
  WORD mediumLength = 0;
  *this >> mediumLength;
  if (mediumLength == kWideStringMarker) Throw(CArchiveException::badIndex);
  if (mediumLength < kWideStringMarker) return mediumLength;
  DWORD longLength = 0;
  *this >> longLength;
  return longLength;
}

CArchive& operator<<(CArchive& ar, const CString& str) {
  const UINT length = static_cast<UINT>(str.GetLength());
  ar.WriteStringLength(length);
  ar.Write(str.str().data(), length);
  return ar;
}

CArchive& operator>>(CArchive& ar, CString& str) {
  const DWORD length = ar.ReadStringLength();
  if (length > static_cast<DWORD>(INT_MAX)) {
    AfxThrowArchiveException(CArchiveException::badIndex, static_cast<LPCSTR>(ar.GetFile()->GetFilePath()));
  }
  std::string text;
  while (text.size() < length) {
    const UINT step = static_cast<UINT>(std::min<std::size_t>(kStringChunk, length - text.size()));
    const std::size_t filled = text.size();
    text.resize(filled + step);
    ar.ReadExactly(text.data() + filled, step);
  }
  str = CString(std::string_view(text));
  return ar;
}

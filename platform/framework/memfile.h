#pragma once
#include <vector>

#include "platform/framework/cfile.h"

// A file in memory that grows as it is written; m_hFile stays hFileNull.
// Writing past the end (after a Seek beyond it) fills the gap with zeros.
class CMemFile : public CFile {
  DECLARE_DYNAMIC(CMemFile)
 public:
  // nGrowBytes: the smallest step by which the memory grows.
  explicit CMemFile(UINT nGrowBytes = 1024);
  // Starts with a copy of the given bytes, positioned at the start.
  CMemFile(const void* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 1024);

  DWORD GetPosition() const override;
  BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;  // always FALSE
  CFile* Duplicate() const override;                                                           // throws
  LONG Seek(LONG lOff, UINT nFrom) override;
  void SetLength(DWORD dwNewLen) override;
  DWORD GetLength() const override;
  UINT Read(void* lpBuf, UINT nCount) override;
  void Write(const void* lpBuf, UINT nCount) override;
  void LockRange(DWORD dwPos, DWORD dwCount) override;    // throws: nothing to share
  void UnlockRange(DWORD dwPos, DWORD dwCount) override;  // throws: nothing to share
  void Abort() override;
  void Flush() override;
  void Close() override;  // releases the memory

  // The file's bytes, from offset 0 to its length.
  const std::vector<BYTE>& Contents() const { return m_data; }

 private:
  void GrowTo(std::size_t newSize);

  std::vector<BYTE> m_data;
  DWORD m_nPosition;
  UINT m_nGrowBytes;
};

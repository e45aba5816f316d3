#pragma once
#include "platform/framework/cobject.h"
#include "platform/framework/cstring.h"

class CFileException;

// The framework's file over the process-wide handle table. m_hFile holds an
// opaque handle (never 0); a socket handle is also a valid file handle.
class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,  // treated as exclusive, like the original framework
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };
  enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };
  // GetBufferPtr commands; files here offer no direct buffer (bufferCheck answers 0).
  enum BufferCommand : UINT { bufferRead, bufferWrite, bufferCommit, bufferCheck };
  static constexpr UINT hFileNull = static_cast<UINT>(-1);

  CFile();
  ~CFile() override;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Virtual slots after CObject's, in this order.
  virtual DWORD GetPosition() const;
  virtual CString GetFileName() const;
  virtual CString GetFileTitle() const;
  virtual CString GetFilePath() const;
  virtual void SetFilePath(LPCSTR lpszNewName);
  // Never blocks. A read-only open without modeCreate accepts only a
  // regular file; a FIFO or device named so fails as access denied.
  virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
  virtual CFile* Duplicate() const;
  virtual LONG Seek(LONG lOff, UINT nFrom);
  virtual void SetLength(DWORD dwNewLen);
  virtual DWORD GetLength() const;
  virtual UINT Read(void* lpBuf, UINT nCount);         // the byte count read; throws on error
  virtual void Write(const void* lpBuf, UINT nCount);  // throws on error
  virtual void LockRange(DWORD dwPos, DWORD dwCount);
  virtual void UnlockRange(DWORD dwPos, DWORD dwCount);
  virtual void Abort();  // closes without throwing
  virtual void Flush();
  virtual void Close();  // throws on error
  virtual UINT GetBufferPtr(UINT nCommand, UINT nCount = 0, void** ppBufStart = nullptr, void** ppBufMax = nullptr);

  void SeekToBegin() { Seek(0, begin); }

  UINT m_hFile;
  BOOL m_bCloseOnDelete;
  CString m_strFileName;
};

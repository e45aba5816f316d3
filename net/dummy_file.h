#pragma once
#include "platform/framework/cfile.h"

class CByteArray;

// A framework file whose disk-file operations are harmless placeholders.
// Failed operations of derived classes leave an error number in
// m_dwErrorCode instead of throwing.
class CDummyFile : public CFile {
  DECLARE_SERIAL(CDummyFile)
 public:
  CDummyFile();
  ~CDummyFile() override;

  void Serialize(CArchive& ar) override;  // writes nothing of its own
  void AssertValid() const override;
  void Dump(CDumpContext& dc) const override;
  DWORD GetPosition() const override;         // 0
  LONG Seek(LONG lOff, UINT nFrom) override;  // 0
  void SetLength(DWORD dwNewLen) override;
  DWORD GetLength() const override;  // 0
  void LockRange(DWORD dwPos, DWORD dwCount) override;
  void UnlockRange(DWORD dwPos, DWORD dwCount) override;
  void Abort() override;  // the virtual Close
  void Flush() override;
  void Close() override;  // the file's own Close, only while a handle is held

  // Placeholders without a caller; only their results are fixed.
  virtual DWORD DummyQuery1() const;  // GENERIC_READ | GENERIC_WRITE
  virtual DWORD DummyQuery2() const;
  virtual DWORD DummyQuery3() const;
  virtual DWORD DummyQuery4() const;
  virtual DWORD DummyQuery5() const;  // 3
  virtual DWORD GetReserved() const;
  virtual DWORD GetErrorCode() const;
  virtual DWORD DummyQuery6(DWORD dwFirst, DWORD dwSecond) const;
  virtual DWORD DummyQuery7(DWORD dwValue) const;
  virtual void DummyAction1(DWORD dwValue);
  virtual void DummyAction2(DWORD dwFirst, DWORD dwSecond);
  virtual void DummyAction3(DWORD dwFirst, DWORD dwSecond);
  // Both write with the file's own Write, whatever a derived class does.
  virtual void Write(const CByteArray& data);
  virtual void Write(const CString& text);  // without the terminating NUL
  using CFile::Write;

  DWORD m_dwErrorCode;  // the most recent failure; a success never clears it
  DWORD m_dwReserved;   // 0 from construction to destruction
};

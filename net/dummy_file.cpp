#include "net/dummy_file.h"

#include "platform/framework/byte_array.h"
#include "platform/framework/cexception.h"

IMPLEMENT_SERIAL(CDummyFile, CFile, 1)

CDummyFile::CDummyFile() : m_dwErrorCode(0), m_dwReserved(0) {}

CDummyFile::~CDummyFile() {
  try {
    CDummyFile::Close();
  } catch (CException* e) {
    e->Delete();  // a destructor must not throw; the handle is released regardless
  }
  m_dwErrorCode = 0;
  m_dwReserved = 0;
}

void CDummyFile::Serialize(CArchive& /*ar*/) {}
void CDummyFile::AssertValid() const {}
void CDummyFile::Dump(CDumpContext& /*dc*/) const {}
DWORD CDummyFile::GetPosition() const { return 0; }
LONG CDummyFile::Seek(LONG /*lOff*/, UINT /*nFrom*/) { return 0; }
void CDummyFile::SetLength(DWORD /*dwNewLen*/) {}
DWORD CDummyFile::GetLength() const { return 0; }
void CDummyFile::LockRange(DWORD /*dwPos*/, DWORD /*dwCount*/) {}
void CDummyFile::UnlockRange(DWORD /*dwPos*/, DWORD /*dwCount*/) {}
void CDummyFile::Abort() { Close(); }
void CDummyFile::Flush() {}

void CDummyFile::Close() {
  if (m_hFile != CFile::hFileNull) CFile::Close();
}

DWORD CDummyFile::DummyQuery1() const { return GENERIC_READ | GENERIC_WRITE; }
DWORD CDummyFile::DummyQuery2() const { return 0; }
DWORD CDummyFile::DummyQuery3() const { return 0; }
DWORD CDummyFile::DummyQuery4() const { return 0; }
DWORD CDummyFile::DummyQuery5() const { return 3; }
DWORD CDummyFile::GetReserved() const { return m_dwReserved; }
DWORD CDummyFile::GetErrorCode() const { return m_dwErrorCode; }
DWORD CDummyFile::DummyQuery6(DWORD /*unused*/, DWORD /*unused*/) const { return 0; }
DWORD CDummyFile::DummyQuery7(DWORD /*unused*/) const { return 0; }
void CDummyFile::DummyAction1(DWORD /*unused*/) {}
void CDummyFile::DummyAction2(DWORD /*unused*/, DWORD /*unused*/) {}
void CDummyFile::DummyAction3(DWORD /*unused*/, DWORD /*unused*/) {}

void CDummyFile::Write(const CString& text) {
  CFile::Write(static_cast<LPCSTR>(text), static_cast<UINT>(text.GetLength()));
}

void CDummyFile::Write(const CByteArray& data) { CFile::Write(data.GetData(), static_cast<UINT>(data.GetSize())); }

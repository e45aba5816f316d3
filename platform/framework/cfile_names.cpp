// What CFile does alike on every system: construction and the file's names.
#include "platform/framework/cfile.h"
#include "platform/framework/user_folders.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CString CFile::GetFileName() const { return CString(std::string_view(framework::FileNameOf(m_strFileName.str()))); }

CString CFile::GetFileTitle() const {
  const CString name = GetFileName();
  const auto dot = name.str().find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.Left(static_cast<int>(dot));
}

CString CFile::GetFilePath() const { return m_strFileName; }

void CFile::SetFilePath(LPCSTR lpszNewName) { m_strFileName = lpszNewName; }

UINT CFile::GetBufferPtr(UINT /*nCommand*/, UINT /*nCount*/, void** /*ppBufStart*/, void** /*ppBufMax*/) { return 0; }

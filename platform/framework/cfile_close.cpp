// Closing a file is the same on every system once its handle is let go
// (cfile_release.h).
#include "platform/framework/cfile.h"
#include "platform/framework/cfile_release.h"

void CFile::Close() {
  const int error = framework::ReleaseFileHandle(m_hFile);
  const CString name = m_strFileName;
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
  m_strFileName.Empty();
  if (error != 0) framework::ThrowReleaseFailure(error, name);
}

void CFile::Abort() {
  framework::ReleaseFileHandle(m_hFile);
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
  m_strFileName.Empty();
}

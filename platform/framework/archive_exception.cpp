#include "platform/framework/archive_exception.h"

IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {

LPCSTR TextOf(int cause) {
  switch (cause) {
    case CArchiveException::none: return "No error occurred in the archive";
    case CArchiveException::readOnly: return "An attempt was made to write to an archive opened for loading";
    case CArchiveException::endOfFile: return "The archive ended unexpectedly";
    case CArchiveException::writeOnly: return "An attempt was made to read from an archive opened for storing";
    case CArchiveException::badIndex: return "The archive holds invalid data";
    case CArchiveException::badClass: return "The archive holds an object of an unexpected class";
    case CArchiveException::badSchema: return "The archive holds an object of an unsupported version";
    default: return "An unexpected error occurred in the archive";
  }
}

}  // namespace

CArchiveException::CArchiveException(int cause, LPCSTR lpszArchiveName)
    : m_cause(cause), m_strFileName(lpszArchiveName) {}

BOOL CArchiveException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) {
  if (pnHelpContext != nullptr) *pnHelpContext = 0;
  CString text = TextOf(m_cause);
  if (!m_strFileName.IsEmpty()) text += " (" + m_strFileName + ")";
  text += '.';
  AfxCopyErrorText(lpszError, nMaxError, text);
  return TRUE;
}

void AfxThrowArchiveException(int cause, LPCSTR lpszArchiveName) {
  throw new CArchiveException(cause, lpszArchiveName);
}

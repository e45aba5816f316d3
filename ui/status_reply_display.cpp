#include "ui/status_reply_display.h"

#include <string_view>

#include "protocol/status_reply.h"
#include "ui/quillmar_dlg.h"

namespace {

CString& FieldString(CQuillmarDlg& dialog, StatusField field) {
  switch (field) {
    case StatusField::Host: return dialog.m_strHost;
    case StatusField::Track: return dialog.m_strTrack;
    case StatusField::Players: return dialog.m_strPlayers;
    case StatusField::Type: return dialog.m_strType;
    case StatusField::Session: return dialog.m_strSession;
    case StatusField::TimeLeft: return dialog.m_strTimeLeft;
  }
  return dialog.m_strHost;  // not reached: every field is listed
}

}  // namespace

void ShowStatusReply(CQuillmarDlg& dialog, const char* pReply, int nLength) {
  const auto* data = reinterpret_cast<const unsigned char*>(pReply);
  const std::size_t length = nLength > 0 ? static_cast<std::size_t>(nLength) : 0;
  for (const StatusFieldUpdate& update : DecodeStatusReply(data, length)) {
    FieldString(dialog, update.field) = CString(std::string_view(update.text));
    dialog.UpdateData(FALSE);
  }
}

#include "platform/window/controls.h"

#include <cstring>
#include <string>

#include "platform/window/window_text.h"

namespace {

LRESULT ToList(const CListBox& list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return list.m_hWnd != nullptr ? ::SendMessageW(list.m_hWnd, message, wParam, lParam) : LB_ERR;
}

// The line's bytes: those kept when it was added, or the text it shows as
// UTF-8 for a line added by other means. Null for a bad index.
std::string LineAt(const CListBox& list, int nIndex) {
  const LRESULT key = ToList(list, LB_GETITEMDATA, static_cast<WPARAM>(nIndex));
  if (const std::string* bytes = framework::LineBytes(list.m_hWnd, key)) return *bytes;
  const LRESULT length = ToList(list, LB_GETTEXTLEN, static_cast<WPARAM>(nIndex));
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  ToList(list, LB_GETTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return framework::Utf8FromWide(text);
}

bool ValidIndex(const CListBox& list, int nIndex) { return nIndex >= 0 && nIndex < ToList(list, LB_GETCOUNT); }

}  // namespace

// A line is drawn on one line: its tab, line ends and paragraph ends (a
// description carries the file's line end into it) show as blanks.
int CListBox::AddString(LPCSTR lpszItem) {
  if (m_hWnd == nullptr) return LB_ERR;
  const CString line(lpszItem);
  const std::wstring shown = framework::SafeDisplayWide(line, framework::WhiteSpaceControls::kAsSpaces);
  const LRESULT index = ToList(*this, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  if (index < 0) return static_cast<int>(index);
  ToList(*this, LB_SETITEMDATA, static_cast<WPARAM>(index), framework::KeepLineBytes(m_hWnd, line));
  return static_cast<int>(index);
}

int CListBox::GetCurSel() const { return static_cast<int>(ToList(*this, LB_GETCURSEL)); }

int CListBox::GetTextLen(int nIndex) const {
  return ValidIndex(*this, nIndex) ? static_cast<int>(LineAt(*this, nIndex).size()) : LB_ERR;
}

int CListBox::GetText(int nIndex, LPSTR lpszBuffer) const {
  if (!ValidIndex(*this, nIndex)) return LB_ERR;
  const std::string line = LineAt(*this, nIndex);
  if (lpszBuffer != nullptr) std::memcpy(lpszBuffer, line.c_str(), line.size() + 1);
  return static_cast<int>(line.size());
}

void CListBox::GetText(int nIndex, CString& rString) const {
  rString = ValidIndex(*this, nIndex) ? CString(LineAt(*this, nIndex)) : CString();
}

// The system's list box and progress bar answer their own messages (they
// keep the system's procedures); a message to a wrapper without a control
// goes the framework's default way.
LRESULT CListBox::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return CWnd::DefWindowProc(message, wParam, lParam);
}

LRESULT CProgressCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return CWnd::DefWindowProc(message, wParam, lParam);
}

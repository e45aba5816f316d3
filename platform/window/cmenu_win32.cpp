#include "platform/window/cmenu.h"

#include <string>

#include "platform/window/window_text.h"

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem) {
  if (m_hMenu == nullptr) return FALSE;
  if ((nFlags & MF_SEPARATOR) != 0) return ::AppendMenuW(m_hMenu, nFlags, 0, nullptr);
  const std::wstring text = framework::DisplayWide(CString(lpszNewItem));
  return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, text.c_str());
}

UINT CMenu::GetMenuItemCount() const {
  const int count = m_hMenu != nullptr ? ::GetMenuItemCount(m_hMenu) : -1;
  return count > 0 ? static_cast<UINT>(count) : 0;
}

CString CMenu::GetMenuItemText(UINT nPosition) const {
  if (m_hMenu == nullptr) return CString();
  wchar_t text[256] = {};
  const int length = ::GetMenuStringW(m_hMenu, nPosition, text, static_cast<int>(std::size(text)), MF_BYPOSITION);
  return CString(framework::Utf8FromWide(std::wstring(text, static_cast<std::size_t>(length > 0 ? length : 0))));
}

UINT CMenu::GetMenuItemID(int nPosition) const {
  return m_hMenu != nullptr ? ::GetMenuItemID(m_hMenu, nPosition) : static_cast<UINT>(-1);
}

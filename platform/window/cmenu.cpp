#include "platform/window/cmenu.h"

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem) {
  if ((nFlags & MF_SEPARATOR) != 0) {
    m_items.push_back({nFlags, 0, CString()});
  } else {
    m_items.push_back({nFlags, static_cast<UINT>(nIDNewItem), CString(lpszNewItem)});
  }
  return TRUE;
}

UINT CMenu::GetMenuItemID(int nPos) const {
  if (nPos < 0 || nPos >= static_cast<int>(m_items.size())) return static_cast<UINT>(-1);
  return m_items[static_cast<std::size_t>(nPos)].id;
}

const CMenu::Item* CMenu::FindItem(UINT nIDItem, UINT nFlags) const {
  if ((nFlags & MF_BYPOSITION) != 0) return nIDItem < m_items.size() ? &m_items[nIDItem] : nullptr;
  for (const Item& item : m_items) {
    if ((item.flags & MF_SEPARATOR) == 0 && item.id == nIDItem) return &item;
  }
  return nullptr;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
  const Item* item = FindItem(nIDItem, nFlags);
  rString = item != nullptr ? item->text : CString();
  return rString.GetLength();
}

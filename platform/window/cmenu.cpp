#include "platform/window/cmenu.h"

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem) {
  if ((nFlags & MF_SEPARATOR) != 0) {
    m_items.push_back({nFlags, 0, CString()});
  } else {
    m_items.push_back({nFlags, static_cast<UINT>(nIDNewItem), CString(lpszNewItem)});
  }
  return TRUE;
}

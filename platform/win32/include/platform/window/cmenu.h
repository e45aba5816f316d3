#pragma once
#include "platform/framework/cstring.h"
#include "platform/window/window_defs.h"

// A menu of the system, by its handle. The object does not own the menu: a
// window's menus go with the window.
class CMenu {
 public:
  CMenu() = default;
  explicit CMenu(HMENU hMenu) : m_hMenu(hMenu) {}

  // The text is the program's bytes, shown as its other texts are.
  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
  UINT GetMenuItemCount() const;
  // The item's text as shown, in the program's bytes (UTF-8); empty for a separator.
  CString GetMenuItemText(UINT nPosition) const;
  UINT GetMenuItemID(int nPosition) const;

  HMENU GetSafeHmenu() const { return m_hMenu; }

  HMENU m_hMenu = nullptr;
};

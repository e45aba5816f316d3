#pragma once
#include <vector>

#include "platform/framework/cstring.h"
#include "platform/window/window_defs.h"

// A menu as a list of items: command items and separators.
class CMenu {
 public:
  struct Item {
    UINT flags;  // MF_SEPARATOR, MF_GRAYED, ...
    UINT id;     // 0 for a separator
    CString text;
  };

  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
  UINT GetMenuItemCount() const { return static_cast<UINT>(m_items.size()); }

  const std::vector<Item>& items() const { return m_items; }
  void RemoveAll() { m_items.clear(); }

 private:
  std::vector<Item> m_items;
};

#pragma once
// Dialog and menu resources as plain data: the program's resource module
// registers them at start-up and the window services build windows from them.
#include <vector>

#include "platform/window/window_defs.h"

namespace framework {

enum class ControlKind { Edit, PushButton, Label, GroupBox, ListBox, ProgressBar, Icon };

// One control of a dialog template. Rectangles are in dialog units.
struct ControlTemplate {
  int id;  // IDC_STATIC for controls nobody addresses
  ControlKind kind;
  LPCSTR text;  // null for none
  int x, y, cx, cy;
  DWORD style;
  UINT imageId = 0;  // icon resource shown by an Icon control
};

struct DialogTemplate {
  UINT id;
  LPCSTR caption;
  int cx, cy;  // client size in dialog units
  DWORD style;
  DWORD exStyle;
  LPCSTR fontName;
  int fontPoints;
  UINT menuId;                            // 0: no menu bar
  std::vector<ControlTemplate> controls;  // template order, which is also the tab order
};

// A command or separator of a pop-up menu.
struct MenuCommandTemplate {
  LPCSTR text;  // null for a separator
  UINT id;      // command id
};

// An item of the menu bar: a command, or a pop-up of commands (menus nest
// one level, as the window builds them).
struct MenuItemTemplate {
  LPCSTR text;
  UINT id;                                 // command id; unused for a pop-up
  std::vector<MenuCommandTemplate> popup;  // non-empty: this item opens a pop-up
};

struct MenuTemplate {
  UINT id;
  std::vector<MenuItemTemplate> items;
};

// Registration replaces an earlier resource with the same id.
void RegisterDialogTemplate(const DialogTemplate& dialog);
const DialogTemplate* FindDialogTemplate(UINT id);
void RegisterMenuTemplate(const MenuTemplate& menu);
const MenuTemplate* FindMenuTemplate(UINT id);

}  // namespace framework

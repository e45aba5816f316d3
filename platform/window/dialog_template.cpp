#include "platform/window/dialog_template.h"

#include <map>

namespace framework {
namespace {

// Resources are registered once at start-up on the GUI thread and never removed.
std::map<UINT, DialogTemplate>& dialogs() {
  static auto* table = new std::map<UINT, DialogTemplate>;
  return *table;
}

std::map<UINT, MenuTemplate>& menus() {
  static auto* table = new std::map<UINT, MenuTemplate>;
  return *table;
}

}  // namespace

void RegisterDialogTemplate(const DialogTemplate& dialog) { dialogs()[dialog.id] = dialog; }

const DialogTemplate* FindDialogTemplate(UINT id) {
  auto it = dialogs().find(id);
  return it != dialogs().end() ? &it->second : nullptr;
}

void RegisterMenuTemplate(const MenuTemplate& menu) { menus()[menu.id] = menu; }

const MenuTemplate* FindMenuTemplate(UINT id) {
  auto it = menus().find(id);
  return it != menus().end() ? &it->second : nullptr;
}

}  // namespace framework

#include "platform/window/dialog_memory_template.h"

#include <string>

#include "platform/window/window_text.h"

namespace framework {
namespace {

// The system's predefined window classes by ordinal, and the common control
// of the progress bar by name.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kListBoxClass = 0x0083;
constexpr WORD kOrdinal = 0xFFFF;

WORD ClassOrdinal(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit: return kEditClass;
    case ControlKind::PushButton:
    case ControlKind::GroupBox: return kButtonClass;
    case ControlKind::ListBox: return kListBoxClass;
    case ControlKind::Label:
    case ControlKind::Icon: return kStaticClass;
    case ControlKind::ProgressBar: return 0;  // by name
  }
  return kStaticClass;
}

bool HasClientEdge(const ControlTemplate& control) {
  return (control.kind == ControlKind::Edit || control.kind == ControlKind::ListBox) &&
         (control.style & WS_BORDER) != 0;
}

}  // namespace

DWORD ControlStyle(const ControlTemplate& control) {
  DWORD style = control.style | WS_CHILD | WS_VISIBLE;
  if (HasClientEdge(control)) style &= ~static_cast<DWORD>(WS_BORDER);
  if (control.kind == ControlKind::Icon) style |= SS_ICON;
  return style;
}

DWORD ControlExStyle(const ControlTemplate& control) {
  return HasClientEdge(control) ? static_cast<DWORD>(WS_EX_CLIENTEDGE) : 0;
}

MemoryDialogTemplate::MemoryDialogTemplate(const DialogTemplate& dialog) {
  const bool font = dialog.fontName != nullptr;
  AddDword(dialog.style | (font ? DS_SETFONT : 0));
  AddDword(dialog.exStyle);
  AddWord(static_cast<WORD>(dialog.controls.size()));
  AddWord(0);  // x, y: the framework places the window itself
  AddWord(0);
  AddWord(static_cast<WORD>(dialog.cx));
  AddWord(static_cast<WORD>(dialog.cy));
  AddWord(0);  // no menu: the framework sets the menu bar
  AddWord(0);  // the system's dialog class
  AddText(dialog.caption);
  if (font) {
    AddWord(static_cast<WORD>(dialog.fontPoints));
    AddText(dialog.fontName);
  }
  for (const ControlTemplate& control : dialog.controls) AddControl(control);
}

void MemoryDialogTemplate::AddControl(const ControlTemplate& control) {
  AlignToDword();
  AddDword(ControlStyle(control));
  AddDword(ControlExStyle(control));
  AddWord(static_cast<WORD>(control.x));
  AddWord(static_cast<WORD>(control.y));
  AddWord(static_cast<WORD>(control.cx));
  AddWord(static_cast<WORD>(control.cy));
  AddWord(static_cast<WORD>(control.id));  // IDC_STATIC is 0xFFFF here, as in resource files
  if (const WORD ordinal = ClassOrdinal(control.kind); ordinal != 0) {
    AddWord(kOrdinal);
    AddWord(ordinal);
  } else {
    AddText(PROGRESS_CLASSA);
  }
  AddText(control.kind == ControlKind::Icon ? nullptr : control.text);  // the icon is set once made
  AddWord(0);                                                           // no creation data
}

void MemoryDialogTemplate::AddDword(DWORD value) {
  AddWord(LOWORD(value));
  AddWord(HIWORD(value));
}

void MemoryDialogTemplate::AddText(LPCSTR text) {
  for (const wchar_t ch : DisplayWide(CString(text))) AddWord(static_cast<WORD>(ch));
  AddWord(0);
}

// The words sit in memory aligned for any type, so an even word count is a
// DWORD boundary.
void MemoryDialogTemplate::AlignToDword() {
  if (m_words.size() % 2 != 0) AddWord(0);
}

HMENU BuildMenuBar(UINT menuId) {
  const MenuTemplate* menu = FindMenuTemplate(menuId);
  if (menu == nullptr) return nullptr;
  const HMENU bar = ::CreateMenu();
  for (const MenuItemTemplate& top : menu->items) {
    const std::wstring text = DisplayWide(CString(top.text));
    if (top.popup.empty()) {
      ::AppendMenuW(bar, MF_STRING, top.id, text.c_str());
      continue;
    }
    const HMENU popup = ::CreatePopupMenu();
    for (const MenuCommandTemplate& item : top.popup) {
      if (item.text == nullptr) {
        ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      } else {
        ::AppendMenuW(popup, MF_STRING, item.id, DisplayWide(CString(item.text)).c_str());
      }
    }
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), text.c_str());
  }
  return bar;
}

}  // namespace framework

#pragma once
// A dialog template of the program made into the system's in-memory dialog
// template (DLGTEMPLATE and its DLGITEMTEMPLATEs), so that the system makes
// the dialog and lays it out in dialog units from the template's font.
#include <vector>

#include "platform/window/dialog_template.h"

namespace framework {

class MemoryDialogTemplate {
 public:
  explicit MemoryDialogTemplate(const DialogTemplate& dialog);

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }
  std::size_t size() const { return m_words.size() * sizeof(WORD); }

 private:
  void AddControl(const ControlTemplate& control);
  void AddWord(WORD value) { m_words.push_back(value); }
  void AddDword(DWORD value);
  void AddText(LPCSTR text);
  void AlignToDword();

  std::vector<WORD> m_words;
};

// The style a control of `kind` is made with: the template's own style,
// visible and a child, and the three-dimensional edge that the system gives
// bordered edits and lists (WS_EX_CLIENTEDGE in place of WS_BORDER).
DWORD ControlStyle(const ControlTemplate& control);
DWORD ControlExStyle(const ControlTemplate& control);

// The menu bar of a dialog, made from a registered menu template; null when
// none is registered under the id.
HMENU BuildMenuBar(UINT menuId);

}  // namespace framework

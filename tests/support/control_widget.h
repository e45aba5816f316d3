#pragma once
// The toolkit widget behind a control of a dialog, for tests that drive or
// look at it directly.
#include <QWidget>

#include "platform/window/cwnd.h"

namespace vqtest {

// Null when the dialog has no such control.
inline QWidget* ControlWidget(const CWnd& dialog, int id) {
  CWnd* control = dialog.GetDlgItem(id);
  return control != nullptr ? control->widget() : nullptr;
}

}  // namespace vqtest

#pragma once
// Makes the controls of a dialog template inside a dialog window.
#include "platform/window/dialog_template.h"

class CDialog;

namespace framework {

class DialogWindow;

// Creates every control in template order (also the tab order), gives each
// its framework wrapper in `dialog`, and connects its notifications.
void BuildControls(CDialog& dialog, DialogWindow& window, const DialogTemplate& dialogTemplate);

}  // namespace framework

#pragma once
// The dialogs' side of the modal-dialog hook (cdialog.h installs it).
class CDialog;

namespace framework {

// Calls the installed hook, if any, for a modal dialog just shown.
void RunModalDialogHook(CDialog& dialog);

}  // namespace framework

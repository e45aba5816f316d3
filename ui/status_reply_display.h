#pragma once
class CQuillmarDlg;

// Shows a game server's status reply in the dialog's result fields, one
// field at a time in reply order, each on screen as soon as it is set.
// Fields the reply does not close are left as they are.
void ShowStatusReply(CQuillmarDlg& dialog, const char* pReply, int nLength);

// The server query command behind "Ping Server".
#include "ui/quillmar_dlg.h"

// Not built yet: the echo probe and the status exchange come with the query
// command. Until then the button does nothing.
void CQuillmarDlg::QueryServer() {}

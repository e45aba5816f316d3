#include "app/dialog/quillmar_app.h"

#include "platform/framework/message_box.h"
#include "ui/quillmar_dlg.h"
#include "ui/resources.h"

const framework::MessageMap& CQuillmarApp::GetThisMessageMap() {
  using namespace framework::msgmap;
  // A message map is a table: one entry a line, as written.
  // clang-format off
  static const framework::MessageMap map(&CWinApp::GetThisMessageMap(), {
      Command(ID_HELP, &CWinApp::OnHelp),
  });
  // clang-format on
  return map;
}

// The resources are part of the program, available from the start.
CQuillmarApp::CQuillmarApp() : CWinApp("Veloxa Quillmar") { RegisterQuillmarResources(); }

BOOL CQuillmarApp::InitInstance() {
  if (!AfxSocketInit()) {
    AfxMessageBox(IDP_SOCKETS_INIT_FAILED, MB_OK);
    return FALSE;
  }

  AfxEnableControlContainer();
  Enable3dControls();

  CQuillmarDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();  // how the dialog ended does not matter

  // The dialog has closed: end the program rather than enter an event loop.
  return FALSE;
}

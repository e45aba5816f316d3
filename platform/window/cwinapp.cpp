#include "platform/window/cwinapp.h"

#include "platform/framework/message_box.h"
#include "platform/window/blocking_wait_hook.h"
#include "platform/window/event_loop.h"
#include "platform/window/icon_resource.h"

namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pPreviousApp(g_app) {
  if (lpszAppName != nullptr) framework::SetAppName(lpszAppName);
  m_pszAppName = framework::GetAppName();
  g_app = this;
}

CWinApp::CWinApp(FallbackTag /*tag*/) : m_pszAppName(framework::GetAppName()), m_bRegistered(false) {}

CWinApp::~CWinApp() {
  if (m_bRegistered && g_app == this) g_app = m_pPreviousApp;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() {
  const int code = framework::RunEventLoop();
  const int exitCode = ExitInstance();
  return code != 0 ? code : exitCode;
}

// Members of the application object, as the program calls them, though
// neither needs its state.
HICON CWinApp::LoadIcon(UINT nIDResource) const {  // NOLINT(readability-convert-member-functions-to-static)
  return framework::LoadIconResource(nIDResource);
}

BOOL CWinApp::Enable3dControls() { return TRUE; }  // NOLINT(readability-convert-member-functions-to-static)

void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() {
  if (g_app != nullptr) return g_app;
  static CWinApp* fallback = new CWinApp(CWinApp::FallbackTag{});
  return fallback;
}

void AfxEnableControlContainer() {}

int AfxWinMain() {
  CWinApp* app = AfxGetApp();
  framework::InstallBlockingHook();
  const int code = app->InitInstance() ? app->Run() : app->ExitInstance();
  AfxSocketTerm();
  return code;
}

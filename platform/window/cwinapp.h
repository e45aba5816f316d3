#pragma once
#include "platform/window/ccmdtarget.h"
#include "platform/window/window_defs.h"
#include "platform/winsock/wsadata_fwd.h"

class CWnd;

// The application object. The program defines one global instance of a
// class derived from this; AfxWinMain runs it.
class CWinApp : public CCmdTarget {
 public:
  // A name, when given, becomes the caption of the application's message boxes.
  explicit CWinApp(LPCSTR lpszAppName = nullptr);
  ~CWinApp() override;

  // FALSE ends the program at once, without an event loop.
  virtual BOOL InitInstance();
  virtual int ExitInstance();
  // The event loop, for applications whose InitInstance returns TRUE.
  virtual int Run();

  HICON LoadIcon(UINT nIDResource) const;
  // Three-dimensional control drawing is the system's or toolkit's own; kept as a call.
  BOOL Enable3dControls();
  // The framework's help command. The program ships no help file, so there is nothing to show.
  void OnHelp();

  CWnd* m_pMainWnd = nullptr;
  LPCSTR m_pszAppName;

 private:
  struct FallbackTag {};
  explicit CWinApp(FallbackTag /*tag*/);
  friend CWinApp* AfxGetApp();
  CWinApp* m_pPreviousApp = nullptr;
  bool m_bRegistered = true;
};

// The application object; when the program has made none (library code under
// test), a plain framework application stands in, so resources still load.
CWinApp* AfxGetApp();

// Starts the sockets library (version 1.1) once for the application; AfxWinMain
// balances it with WSACleanup when the application ends.
BOOL AfxSocketInit(winsock::WSAData* lpwsaData = nullptr);
void AfxSocketTerm();

// Hosting of ActiveX controls: the program hosts none; kept as a call.
void AfxEnableControlContainer();

// The framework's entry: installs the blocking hook, runs InitInstance and
// then either the event loop or ExitInstance, and balances the socket
// start-up. Returns the exit code.
int AfxWinMain();

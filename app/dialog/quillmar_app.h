#pragma once
#include "platform/window/cwinapp.h"

// The application: starts the sockets library and runs the main dialog.
class CQuillmarApp : public CWinApp {
 public:
  CQuillmarApp();

  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};

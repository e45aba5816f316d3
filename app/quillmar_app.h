#pragma once
#include "platform/framework/cwinapp.h"

// The application: starts the sockets library and runs the main dialog.
class CQuillmarApp : public CWinApp {
 public:
  CQuillmarApp();

  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};

#pragma once
#include "platform/window/cdialog.h"
#include "ui/resource.h"

// The About box: the program icon, its name, its version and an OK button. Made on the
// stack, run modally and destroyed each time it is opened.
class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

  enum { IDD = IDD_ABOUTBOX };
};

// Members of CDialog over the widget toolkit, inside the class body
// (cdialog.h); only that header includes this part.
// An access section each, as in a class body (clang-format reads the part
// as a file of its own and would move them).
// clang-format off
 protected:
  QWidget* clientWidget() const override;

 private:
  bool CreateWindow(bool modal);
  void RunModalLoop();

  framework::DialogWindow* m_window = nullptr;
  void* m_pModalLoop = nullptr;  // the running QEventLoop, if any

  friend class framework::DialogWindow;
// clang-format on

// Members of CDialog over the system's dialogs, inside the class body
// (cdialog.h); only that header includes this part. The template becomes
// an in-memory dialog template in dialog units, so the system lays it out,
// and DoModal runs the system's modal loop.
// An access section each, as in a class body (clang-format reads the part
// as a file of its own and would move them).
// clang-format off
 private:
  static INT_PTR CALLBACK DialogProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND OwnerWindow() const;
  LRESULT TakeWindow(HWND hWnd, WPARAM firstFocus);
  void PlaceWindow();
  void ModalLoopStarted();

  bool m_bModal = false;
// clang-format on

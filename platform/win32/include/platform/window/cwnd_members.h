// Members of CWnd over the system's windows, inside the class body (cwnd.h);
// only that header includes this part. A dialog's own window procedure is
// the framework's: every message runs the class's message map, and what the
// map leaves goes to the system's dialog procedure (DefWindowProc). The
// controls keep the system's procedures; a message to a control goes to it
// (SendMessage: SendMessageW; without a window, through the map).
// An access section each, as in a class body (clang-format reads the part
// as a file of its own and would move them).
// clang-format off
 public:
  HWND GetSafeHwnd() const { return m_hWnd; }
  // A control of a dialog: the wrapper takes the handle (no procedure of its own).
  void Attach(HWND hWnd, int controlId);
  bool HasWindow() const { return m_hWnd != nullptr; }
  // The wrapper stands for the window (the control) another one does.
  void AttachWindowOf(const CWnd& other, int controlId) { Attach(other.m_hWnd, controlId); }

  HWND m_hWnd = nullptr;

 protected:
  // The window's procedure becomes the framework's; the system's is called
  // for what the map leaves.
  void SubclassWindow(HWND hWnd);
  // The window is gone: the object lets go of it and of its controls.
  virtual void OnWindowGone();

 private:
  static LRESULT CALLBACK FrameworkWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  WNDPROC m_pfnSuper = nullptr;
// clang-format on

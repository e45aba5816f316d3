// Members of CWnd over the widget toolkit, inside the class body (cwnd.h);
// only that header includes this part.
// An access section each, as in a class body (clang-format reads the part
// as a file of its own and would move them).
// clang-format off
 public:
  // Toolkit side, for the window services; null while the window does not exist.
  QWidget* widget() const { return m_widget.get(); }
  void AttachWidget(QWidget* widget, int controlId);
  bool HasWindow() const { return widget() != nullptr; }
  // The wrapper stands for the window (the control) another one does.
  void AttachWindowOf(const CWnd& other, int controlId) { AttachWidget(other.widget(), controlId); }

 protected:
  // The client-area widget (the dialog's control surface); the window's own widget by default.
  virtual QWidget* clientWidget() const { return widget(); }

 private:
  LRESULT DefaultSystemCommand(UINT nID);

  framework::WidgetRef m_widget;
  HICON m_hIconBig = nullptr;
  HICON m_hIconSmall = nullptr;
// clang-format on

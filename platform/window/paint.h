#pragma once
#include <memory>

#include "platform/window/window_defs.h"

class CWnd;
class QPainter;
class QWidget;

// A device context: drawing on a window while it paints.
class CDC {
 public:
  CDC();
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC GetSafeHdc() const;  // null when the context cannot draw
  static CDC* FromHandle(HDC hDC);

  // Draws the icon at its system size (SM_CXICON by SM_CYICON).
  BOOL DrawIcon(int x, int y, HICON hIcon);
  // Fills with the window's background colour.
  void EraseBackground(LPCRECT lpRect);

  QPainter* painter() const { return m_painter.get(); }

 protected:
  std::unique_ptr<QPainter> m_painter;
  QWidget* m_target = nullptr;
};

// The paint context of WM_PAINT: draws on the window being painted. Made
// outside that window's paint, it cannot draw (GetSafeHdc is null).
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;

  CWnd* m_pWnd;
};

namespace framework {

// True while any window of the framework paints.
bool IsPainting();

// Marks `target` as the widget being painted for the life of the scope.
class PaintScope {
 public:
  explicit PaintScope(QWidget* target);
  ~PaintScope();
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

 private:
  QWidget* m_previous;
};

}  // namespace framework

#pragma once
#include "platform/window/window_defs.h"

class CWnd;

// A device context of the system.
class CDC {
 public:
  CDC() = default;
  virtual ~CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }

  // Draws the icon at its system size (SM_CXICON by SM_CYICON).
  BOOL DrawIcon(int x, int y, HICON hIcon);

  HDC m_hDC = nullptr;
};

// The paint context of WM_PAINT: BeginPaint and EndPaint on the window.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;

  CWnd* m_pWnd;
  PAINTSTRUCT m_ps{};
};

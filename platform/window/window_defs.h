#pragma once
// The system's window messages, styles and geometry (window_system.h), and
// what the framework itself names.
#include "platform/window/window_system.h"

// The system keeps the low four bits of a system command's id for itself;
// the command is what this mask leaves.
constexpr UINT kSystemCommandMask = 0xFFF0;

// Framework command ids.
#define ID_HELP 0xE146
#define IDC_STATIC (-1)

// Rectangle with the framework's helpers.
class CRect : public tagRECT {
 public:
  CRect() : tagRECT{0, 0, 0, 0} {}
  CRect(LONG l, LONG t, LONG r, LONG b) : tagRECT{l, t, r, b} {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  operator LPRECT() { return this; }         // NOLINT: framework conversion
  operator LPCRECT() const { return this; }  // NOLINT: framework conversion
};

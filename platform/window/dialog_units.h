#pragma once
// Dialog units to pixels through the dialog font's base units: the average
// width of the 52 Latin letters, rounded, and the font's height. One
// horizontal unit is a quarter of the base width, one vertical unit an eighth
// of the base height, rounded as the platform's MulDiv rounds.
#include <QFont>
#include <QRect>

#include "platform/window/dialog_template.h"

namespace framework {

struct DialogBaseUnits {
  int x;
  int y;
};

// The template's font. The program's dialogs name "MS Sans Serif" 8 point;
// where that family is not installed (Linux) the system's sans-serif face at
// the same point size stands in, as fontconfig substitutes it.
QFont DialogFont(const DialogTemplate& dialog);

DialogBaseUnits BaseUnitsOf(const QFont& font);
int MulDivRounded(int value, int numerator, int denominator);
QRect DialogUnitsToPixels(int x, int y, int cx, int cy, DialogBaseUnits units);

}  // namespace framework

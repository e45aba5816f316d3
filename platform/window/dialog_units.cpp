#include "platform/window/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <cmath>

namespace framework {

QFont DialogFont(const DialogTemplate& dialog) {
  const int points = dialog.fontPoints > 0 ? dialog.fontPoints : 8;
  const QString family = QString::fromLatin1(dialog.fontName != nullptr ? dialog.fontName : "");
  if (!family.isEmpty() && QFontDatabase::hasFamily(family)) return QFont(family, points);
  QFont font(QStringLiteral("Sans Serif"), points);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetricsF metrics(font);
  const qreal width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {static_cast<int>(std::lround(width / 52.0)), QFontMetrics(font).height()};
}

int MulDivRounded(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

QRect DialogUnitsToPixels(int x, int y, int cx, int cy, DialogBaseUnits units) {
  return QRect(MulDivRounded(x, units.x, 4), MulDivRounded(y, units.y, 8), MulDivRounded(cx, units.x, 4),
               MulDivRounded(cy, units.y, 8));
}

}  // namespace framework

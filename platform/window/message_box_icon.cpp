#include "platform/window/message_box_icon.h"

#include <QPainter>
#include <QPainterPath>

// The icons are drawings: their numbers are coordinates on the 32-unit
// square, sizes and colours.
// NOLINTBEGIN(readability-magic-numbers)
namespace framework {
namespace {

// Geometry in units of a 32-unit square.
constexpr qreal kUnits = 32.0;

void DrawMark(QPainter& painter, const QString& mark, const QColor& colour, qreal top) {
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(20);
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(QRectF(0, top, kUnits, kUnits - top), Qt::AlignHCenter | Qt::AlignTop, mark);
}

void DrawDisc(QPainter& painter, const QColor& fill) {
  painter.setPen(QPen(fill.darker(140), 1.0));
  painter.setBrush(fill);
  painter.drawEllipse(QRectF(1.5, 1.5, kUnits - 3, kUnits - 3));
}

void DrawCritical(QPainter& painter) {
  DrawDisc(painter, QColor(0xD8, 0x1E, 0x1E));
  painter.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
  painter.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
}

void DrawWarning(QPainter& painter) {
  QPainterPath triangle;
  triangle.moveTo(16, 2);
  triangle.lineTo(30.5, 28.5);
  triangle.lineTo(1.5, 28.5);
  triangle.closeSubpath();
  painter.setPen(QPen(QColor(0x8A, 0x6A, 0x00), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(QColor(0xF8, 0xD2, 0x28));
  painter.drawPath(triangle);
  DrawMark(painter, QStringLiteral("!"), Qt::black, 6);
}

}  // namespace

QPixmap MessageBoxIcon(QMessageBox::Icon kind, int size, qreal devicePixelRatio) {
  if (kind == QMessageBox::NoIcon || size <= 0) return QPixmap();
  const int pixels = qRound(size * devicePixelRatio);
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.scale(pixels / kUnits, pixels / kUnits);
  switch (kind) {
    case QMessageBox::Critical: DrawCritical(painter); break;
    case QMessageBox::Warning: DrawWarning(painter); break;
    case QMessageBox::Question:
      DrawDisc(painter, QColor(0x2A, 0x6C, 0xD0));
      DrawMark(painter, QStringLiteral("?"), Qt::white, 3.5);
      break;
    case QMessageBox::Information:
      DrawDisc(painter, QColor(0x2A, 0x6C, 0xD0));
      DrawMark(painter, QStringLiteral("i"), Qt::white, 3.5);
      break;
    default: break;
  }
  painter.end();
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}

}  // namespace framework
// NOLINTEND(readability-magic-numbers)

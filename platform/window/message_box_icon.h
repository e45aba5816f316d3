#pragma once
// The icons of message boxes, drawn for the device's pixels: sharp at any
// scale of the screen (the toolkit's own are one small image, enlarged).
#include <QMessageBox>
#include <QPixmap>

namespace framework {

// The icon of `kind` at `size` by `size` logical pixels; a null pixmap for
// NoIcon.
QPixmap MessageBoxIcon(QMessageBox::Icon kind, int size, qreal devicePixelRatio);

}  // namespace framework

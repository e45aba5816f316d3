#pragma once
// Window text of the toolkit widgets that stand for windows and controls.
#include "platform/framework/cstring.h"

class QWidget;

namespace framework {

// Shows the bytes as display text (qt_text.h) and keeps them beside it: an
// edit shows its text from the first character. No change, no repaint when
// equal.
void SetWidgetText(QWidget* widget, const CString& text);
// The bytes last set while the widget still shows their text; the shown
// text as UTF-8 once the user has changed it.
CString WidgetText(const QWidget* widget);

// Brings a changed widget to the screen at once; inside a paint it can only
// be scheduled, because the toolkit does not paint recursively.
void RepaintNow(QWidget* widget);

}  // namespace framework

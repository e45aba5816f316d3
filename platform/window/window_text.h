#pragma once
// Window text of the toolkit widgets that stand for windows and controls.
#include "platform/framework/cstring.h"

class QWidget;

namespace framework {

void SetWidgetText(QWidget* widget, const CString& text);  // no change, no repaint when equal
CString WidgetText(const QWidget* widget);

// Brings a changed widget to the screen at once; inside a paint it can only
// be scheduled, because the toolkit does not paint recursively.
void RepaintNow(QWidget* widget);

}  // namespace framework

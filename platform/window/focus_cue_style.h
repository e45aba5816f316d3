#pragma once
// The toolkit's style with a focus cue that shows: the control with the
// keyboard focus (a push button, the caret line of a list) carries a dotted
// rectangle, as the platform draws it, in the colour of the text around it.
// The styles' own cue is faint or hidden until a key has been pressed, and
// on the default button it looks the same as no focus at all.
#include <QProxyStyle>

namespace framework {

class FocusCueStyle : public QProxyStyle {
 public:
  explicit FocusCueStyle(const QString& baseStyle) : QProxyStyle(baseStyle) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  // Push buttons: some styles draw no focus rectangle on them at all.
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
};

// Puts the focus cue into the application's style, once; the windows of the
// framework call it when they are made.
void UseFocusCueStyle();

}  // namespace framework

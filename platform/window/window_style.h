#pragma once
// The toolkit's style, with two changes:
// - a focus cue that shows: the control with the keyboard focus (a push
//   button, the caret line of a list) carries a dotted rectangle, as the
//   platform draws it, in the colour of the text around it. The styles' own
//   cue is faint or hidden until a key has been pressed, and on the default
//   button it looks the same as no focus at all;
// - the menu bar's overflow arrow drawn in code, as the program's other
//   icons are: the style's own is an image file, and reading one makes the
//   toolkit load every image format it has a plugin for (gif, ico, jpeg),
//   which the program never reads.
#include <QProxyStyle>

namespace framework {

class WindowStyle : public QProxyStyle {
 public:
  explicit WindowStyle(const QString& baseStyle) : QProxyStyle(baseStyle) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  // Push buttons: some styles draw no focus rectangle on them at all.
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override;
};

// Makes this the application's style, once; the windows of the
// framework call it when they are made.
void UseWindowStyle();

}  // namespace framework

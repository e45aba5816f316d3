#pragma once
// The toolkit's message box, looking as the platform's does: the whole
// caption readable in the title bar, a close button but no minimise or
// maximise button, the icon that the MB_ICON flags ask for (sharp at any
// screen scale), plain buttons with the first as the default, and the box
// centred on its owner's window.
#include <QMessageBox>
#include <QPointer>
#include <vector>

#include "platform/framework/message_box.h"

class QGridLayout;

namespace framework {

class MessageBoxWindow : public QMessageBox {
 public:
  explicit MessageBoxWindow(const MessageBoxRequest& request);

  // The answer (IDOK, IDCANCEL, ...) for the result of exec(). Closing the
  // box without a button counts as its last button (cancel or no).
  int answerFor(int execResult) const;
  // The icon shown; drawn by the framework (icon() reads NoIcon).
  Icon iconKind() const { return m_iconKind; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct ButtonAnswer {
    StandardButton button;
    int answer;
  };

  void drawIcon();
  void keepCaptionWidth();
  void centreOnOwner();

  QPointer<QWidget> m_owner;
  Icon m_iconKind;
  std::vector<ButtonAnswer> m_buttons;
  QPointer<QGridLayout> m_widenedLayout;  // the layout that holds the width for the caption
};

// The narrowest box whose title bar shows `caption` whole. Window managers
// draw captions in a bold face between the window icon and the title-bar
// buttons; the reserve holds the icon and three buttons (some window
// managers draw minimise and maximise even when a window asks for none),
// with room for the margins.
int CaptionWidth(const QString& caption, const QFont& font);

}  // namespace framework

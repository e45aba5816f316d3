#include "platform/window/message_box_window.h"

#include <QGridLayout>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpacerItem>

#include "platform/window/window_style.h"
#include "platform/window/message_box_icon.h"
#include "platform/window/paint.h"
#include "platform/window/qt_text.h"

namespace framework {
namespace {

QMessageBox::Icon IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// A message box is a dialog with a title and a close button only.
constexpr Qt::WindowFlags kFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Title-bar buttons are about a line of the caption's face high, square,
// with some padding. Beside the caption: the window icon, the close button
// and, drawn by some window managers whatever a window asks for (openbox),
// minimise and maximise; the margins take one more.
constexpr int kTitleBarButtonPadding = 8;
constexpr int kTitleBarReservedButtons = 5;

}  // namespace

int CaptionWidth(const QString& caption, const QFont& font) {
  QFont bold(font);
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  const int button = metrics.height() + kTitleBarButtonPadding;
  return metrics.horizontalAdvance(caption) + kTitleBarReservedButtons * button;
}

MessageBoxWindow::MessageBoxWindow(const MessageBoxRequest& request)
    : QMessageBox(NoIcon, ToQString(request.caption), ToQString(request.text), QMessageBox::NoButton, request.owner,
                  kFlags),
      m_owner(request.owner),
      m_iconKind(IconOf(request.type)) {
  UseWindowStyle();
  setTextFormat(Qt::PlainText);  // the program's texts are never markup
  switch (request.type & MB_TYPEMASK) {
    case MB_OKCANCEL: m_buttons = {{Ok, IDOK}, {Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE: m_buttons = {{Abort, IDABORT}, {Retry, IDRETRY}, {Ignore, IDIGNORE}}; break;
    case MB_YESNOCANCEL: m_buttons = {{Yes, IDYES}, {No, IDNO}, {Cancel, IDCANCEL}}; break;
    case MB_YESNO: m_buttons = {{Yes, IDYES}, {No, IDNO}}; break;
    case MB_RETRYCANCEL: m_buttons = {{Retry, IDRETRY}, {Cancel, IDCANCEL}}; break;
    default: m_buttons = {{Ok, IDOK}}; break;
  }
  for (const ButtonAnswer& b : m_buttons) addButton(b.button)->setIcon(QIcon());  // plain, as the platform's
  setDefaultButton(m_buttons.front().button);
  drawIcon();
}

int MessageBoxWindow::answerFor(int execResult) const {
  for (const ButtonAnswer& b : m_buttons) {
    if (b.button == execResult) return b.answer;
  }
  return m_buttons.back().answer;
}

void MessageBoxWindow::showEvent(QShowEvent* event) {
  if (iconPixmap().devicePixelRatio() != devicePixelRatioF()) drawIcon();  // on the screen it shows on
  keepCaptionWidth();
  QMessageBox::showEvent(event);  // sizes the box to its contents
  centreOnOwner();
}

void MessageBoxWindow::drawIcon() {
  if (m_iconKind == NoIcon) return;
  setIconPixmap(MessageBoxIcon(m_iconKind, GetSystemMetrics(SM_CXICON), devicePixelRatioF()));
}

// The box sizes itself to its contents again on every show and layout
// request; an empty item as wide as the caption needs keeps it from
// shrinking below that. The box builds a new layout when its text or icon
// changes, so the item goes into whichever layout it has now.
void MessageBoxWindow::keepCaptionWidth() {
  auto* grid = qobject_cast<QGridLayout*>(layout());
  if (grid == nullptr || grid == m_widenedLayout) return;
  const QMargins margins = grid->contentsMargins();
  const int width = CaptionWidth(windowTitle(), font()) - margins.left() - margins.right();
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                grid->columnCount());
  m_widenedLayout = grid;
}

// The toolkit places a dialog before it knows the box's final size; this
// runs after that, before the box reaches the screen. An owner not shown yet
// (a box from its initialisation) has its place already (DialogWindow).
void MessageBoxWindow::centreOnOwner() {
  const QWidget* owner = m_owner != nullptr ? m_owner->window() : nullptr;
  QMargins frame;  // the window manager's frame: the owner's tells what the box's will be
  QPoint centre;
  if (owner != nullptr && owner->isVisible()) {
    const QRect outer = owner->frameGeometry();
    const QRect inner = owner->geometry();
    frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                     outer.bottom() - inner.bottom());
    centre = outer.center();
  } else if (owner != nullptr) {
    centre = owner->geometry().center();
  } else if (const QScreen* on = screen()) {
    centre = on->availableGeometry().center();
  } else {
    return;
  }
  const QSize outerSize = size().grownBy(frame);
  move(centre.x() - outerSize.width() / 2, centre.y() - outerSize.height() / 2);
}

}  // namespace framework

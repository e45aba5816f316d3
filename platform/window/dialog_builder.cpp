#include "platform/window/dialog_builder.h"

#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "platform/window/cdialog.h"
#include "platform/window/control_widgets.h"
#include "platform/window/controls.h"
#include "platform/window/dialog_units.h"
#include "platform/window/dialog_window.h"
#include "platform/window/icon_resource.h"
#include "platform/window/icon_resource_qt.h"
#include "platform/window/paint.h"
#include "platform/window/qt_text.h"

namespace framework {
namespace {

struct Built {
  QWidget* widget;
  std::unique_ptr<CWnd> wrapper;
};

// Sends a control's notification to the dialog, as WM_COMMAND.
auto Notifier(DialogWindow& window, int id, UINT code, QWidget* control) {
  return [&window, id, code, control] {
    window.dispatch(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
  };
}

Built MakeEdit(DialogWindow& window, const ControlTemplate& c, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setFrame((c.style & WS_BORDER) != 0);
  // Only the user's edits notify: text set by the program does not run the
  // dialog's handlers in the middle of its own data exchange.
  QObject::connect(edit, &QLineEdit::textEdited, &window, Notifier(window, c.id, EN_CHANGE, edit));
  return {edit, std::make_unique<CEdit>()};
}

Built MakePushButton(DialogWindow& window, const ControlTemplate& c, QWidget* parent) {
  auto* button = new QPushButton(ToQString(c.text), parent);
  button->setDefault((c.style & BS_DEFPUSHBUTTON) != 0);
  QObject::connect(button, &QPushButton::clicked, &window, Notifier(window, c.id, BN_CLICKED, button));
  return {button, std::make_unique<CButton>()};
}

Built MakeLabel(const ControlTemplate& c, QWidget* parent) {
  auto* label = new QLabel(ToQString(c.text), parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return {label, std::make_unique<CStatic>()};
}

Built MakeGroupBox(const ControlTemplate& c, QWidget* parent) {
  auto* group = new GroupBoxWidget(ToQString(c.text), parent);
  // A frame drawn behind its neighbours; clicks go through to the controls in it.
  group->setAttribute(Qt::WA_TransparentForMouseEvents);
  group->setFocusPolicy(Qt::NoFocus);
  return {group, std::make_unique<CButton>()};
}

Built MakeListBox(DialogWindow& window, const ControlTemplate& c, QWidget* parent) {
  auto* list = new ListBoxWidget(c.style, parent);
  if ((c.style & LBS_NOTIFY) != 0) {
    QObject::connect(list, &QListWidget::itemSelectionChanged, &window, Notifier(window, c.id, LBN_SELCHANGE, list));
    list->setDoubleClickHandler(Notifier(window, c.id, LBN_DBLCLK, list));
  }
  return {list, std::make_unique<CListBox>()};
}

Built MakeProgressBar(const ControlTemplate& /*control*/, QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  return {bar, std::make_unique<CProgressCtrl>()};
}

Built MakeIcon(const ControlTemplate& c, QWidget* parent) {
  return {new IconWidget(ToQIcon(LoadIconResource(c.imageId)), parent), std::make_unique<CStatic>()};
}

Built MakeControl(DialogWindow& window, const ControlTemplate& c, QWidget* parent) {
  switch (c.kind) {
    case ControlKind::Edit: return MakeEdit(window, c, parent);
    case ControlKind::PushButton: return MakePushButton(window, c, parent);
    case ControlKind::Label: return MakeLabel(c, parent);
    case ControlKind::GroupBox: return MakeGroupBox(c, parent);
    case ControlKind::ListBox: return MakeListBox(window, c, parent);
    case ControlKind::ProgressBar: return MakeProgressBar(c, parent);
    case ControlKind::Icon: return MakeIcon(c, parent);
  }
  return {nullptr, nullptr};
}

bool Focusable(ControlKind kind) {
  return kind == ControlKind::Edit || kind == ControlKind::PushButton || kind == ControlKind::ListBox;
}

void PlaceControl(QWidget* widget, const ControlTemplate& c, DialogBaseUnits units) {
  QRect rect = DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, units);
  if (c.kind == ControlKind::Icon) {  // icon controls take the icon's own size
    rect.setSize(QSize(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
  }
  if (const auto* label = dynamic_cast<const QLabel*>(widget); label != nullptr && c.kind == ControlKind::Label) {
    // The stand-in font can be wider than the one the rectangles were made
    // for: a label grows to show its whole text rather than cut it off.
    rect.setWidth(std::max(rect.width(), label->fontMetrics().horizontalAdvance(label->text())));
  }
  widget->setGeometry(rect);
  if (Focusable(c.kind)) {
    widget->setFocusPolicy((c.style & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
  } else {
    widget->setFocusPolicy(Qt::NoFocus);
  }
  widget->setEnabled((c.style & WS_DISABLED) == 0);
  widget->setProperty(kControlIdProperty, c.id);
}

}  // namespace

void BuildControls(CDialog& dialog, DialogWindow& window, const DialogTemplate& dialogTemplate) {
  QWidget* client = window.client();
  const DialogBaseUnits units = BaseUnitsOf(window.font());
  QWidget* previousTabStop = nullptr;
  std::vector<QWidget*> groupBoxes;
  int index = 0;
  for (const ControlTemplate& c : dialogTemplate.controls) {
    Built built = MakeControl(window, c, client);
    if (built.widget == nullptr) continue;
    PlaceControl(built.widget, c, units);
    built.widget->setProperty(kTemplateIndexProperty, index++);
    if (c.kind == ControlKind::GroupBox) groupBoxes.push_back(built.widget);
    if (built.widget->focusPolicy() == Qt::StrongFocus) {
      if (previousTabStop != nullptr) QWidget::setTabOrder(previousTabStop, built.widget);
      previousTabStop = built.widget;
    }
    built.wrapper->AttachWidget(built.widget, c.id);
    if (c.id != IDC_STATIC) dialog.AddChild(c.id, std::move(built.wrapper));
  }
  for (QWidget* group : groupBoxes) group->lower();  // behind the controls it frames
}

}  // namespace framework

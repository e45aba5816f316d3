#pragma once
// Toolkit widgets that need more than the stock ones to behave as the
// platform's controls.
#include <QGroupBox>
#include <QIcon>
#include <QListWidget>
#include <functional>

#include "platform/window/window_defs.h"

namespace framework {

// List box: remembers its style and reports double-clicks anywhere in it.
// With the keyboard, Enter or Space on the line with the caret chooses it as
// a double-click does; Enter without such a line goes to the dialog (its
// default button). With the focus and no line to carry the caret, the first
// line's place shows the focus.
class ListBoxWidget : public QListWidget {
 public:
  ListBoxWidget(DWORD style, QWidget* parent);

  bool sorted() const { return (m_style & LBS_SORT) != 0; }
  void setDoubleClickHandler(std::function<void()> handler) { m_onDoubleClick = std::move(handler); }

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool choosesLine(const QKeyEvent* event) const;

  DWORD m_style;
  std::function<void()> m_onDoubleClick;
};

// Group box drawn the platform's way: the frame's top line runs through the
// middle of the title, so title and frame both lie inside the control's
// rectangle and a control placed below the line sits inside the frame. (The
// toolkit's own group box puts the title above the frame, pushing the line
// below the first controls of a dialog made for the platform.)
class GroupBoxWidget : public QGroupBox {
 public:
  GroupBoxWidget(const QString& title, QWidget* parent);

  QRect frameRect() const;  // the frame's outer edge, in the widget's coordinates
  QRect titleRect() const;  // the title with the gap it leaves in the frame line

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// An icon control: draws its icon at the control's size in device pixels,
// so that the icon stays sharp at any scale of the screen.
class IconWidget : public QWidget {
 public:
  IconWidget(const QIcon& icon, QWidget* parent);

  const QIcon& icon() const { return m_icon; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QIcon m_icon;
};

// Every framework control carries its id, and its place in the template
// (the toolkit's child order is the stacking order, which differs).
inline constexpr const char* kControlIdProperty = "vqControlId";
inline constexpr const char* kTemplateIndexProperty = "vqTemplateIndex";

}  // namespace framework

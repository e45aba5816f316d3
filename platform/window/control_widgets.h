#pragma once
// Toolkit widgets that need more than the stock ones to behave as the
// platform's controls.
#include <QListWidget>
#include <functional>

#include "platform/window/window_defs.h"

namespace framework {

// List box: remembers its style and reports double-clicks anywhere in it.
class ListBoxWidget : public QListWidget {
 public:
  ListBoxWidget(DWORD style, QWidget* parent);

  bool sorted() const { return (m_style & LBS_SORT) != 0; }
  void setDoubleClickHandler(std::function<void()> handler) { m_onDoubleClick = std::move(handler); }

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  DWORD m_style;
  std::function<void()> m_onDoubleClick;
};

// Every framework control carries its id, and its place in the template
// (the toolkit's child order is the stacking order, which differs).
inline constexpr const char* kControlIdProperty = "vqControlId";
inline constexpr const char* kTemplateIndexProperty = "vqTemplateIndex";

}  // namespace framework

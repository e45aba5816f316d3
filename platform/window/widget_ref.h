#pragma once
// A weak reference from a framework window object to its toolkit widget: it
// reads null once the widget is gone, so a wrapper can outlive its window.
#include <memory>

class QWidget;

namespace framework {

class WidgetRef {
 public:
  WidgetRef();
  ~WidgetRef();
  WidgetRef(const WidgetRef&) = delete;
  WidgetRef& operator=(const WidgetRef&) = delete;

  void reset(QWidget* widget = nullptr);
  QWidget* get() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace framework

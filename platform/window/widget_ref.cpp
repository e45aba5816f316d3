#include "platform/window/widget_ref.h"

#include <QPointer>
#include <QWidget>

namespace framework {

struct WidgetRef::Impl {
  QPointer<QWidget> widget;
};

WidgetRef::WidgetRef() : m_impl(std::make_unique<Impl>()) {}
WidgetRef::~WidgetRef() = default;

void WidgetRef::reset(QWidget* widget) { m_impl->widget = widget; }

QWidget* WidgetRef::get() const { return m_impl->widget.data(); }

}  // namespace framework

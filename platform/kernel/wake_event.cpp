#include "platform/kernel/wake_event.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/kernel/handle_table.h"

namespace kernel {

WakeEvent::WakeEvent() : m_source{::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK), kNoHandle} {
  if (m_source.fd >= 0) m_source.handle = InsertHandle(m_source.fd, HandleKind::File);
}

WakeEvent::~WakeEvent() {
  if (m_source.fd < 0) return;
  RemoveHandle(m_source.handle);
  ::close(m_source.fd);
}

void WakeEvent::Set() {
  if (m_source.fd >= 0) (void)::eventfd_write(m_source.fd, 1);  // only fails when the count is full: set already
}

void WakeEvent::Reset() {
  eventfd_t count = 0;
  if (m_source.fd >= 0) (void)::eventfd_read(m_source.fd, &count);  // fails (EAGAIN) only when it was not set
}

}  // namespace kernel

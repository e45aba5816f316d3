#include "platform/kernel/wake_event.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/kernel/handle_table.h"

namespace kernel {

WakeEvent::WakeEvent()
    : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      m_handle(m_fd < 0 ? kNoHandle : InsertHandle(m_fd, HandleKind::File)) {}

WakeEvent::~WakeEvent() {
  if (m_fd < 0) return;
  RemoveHandle(m_handle);
  ::close(m_fd);
}

void WakeEvent::Set() {
  if (m_fd >= 0) (void)::eventfd_write(m_fd, 1);  // only fails when the count is full: set already
}

void WakeEvent::Reset() {
  eventfd_t count = 0;
  if (m_fd >= 0) (void)::eventfd_read(m_fd, &count);  // fails (EAGAIN) only when it was not set
}

}  // namespace kernel

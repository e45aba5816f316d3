#include "tools/echo_helper/stream_io.h"

#include <unistd.h>

#include <cerrno>

namespace echo_helper {

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void OutputQueue::Append(const std::vector<std::uint8_t>& bytes) {
  m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

bool OutputQueue::Flush(int fd) {
  while (m_done < m_bytes.size()) {
    const ssize_t n = ::write(fd, m_bytes.data() + m_done, m_bytes.size() - m_done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (n <= 0) return false;
    m_done += static_cast<std::size_t>(n);
  }
  m_bytes.clear();
  m_done = 0;
  return true;
}

}  // namespace echo_helper

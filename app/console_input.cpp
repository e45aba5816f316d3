#include "app/console_input.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace console {

CInputFile::CInputFile(const std::string& path) {
  if (path == "-") {
    m_handle = STDIN_FILENO;
    return;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  m_openError = fd < 0 ? errno : 0;
  m_handle = fd;
  m_owned = fd >= 0;
}

CInputFile::~CInputFile() {
  if (m_owned) ::close(static_cast<int>(m_handle));
}

long long CInputFile::Read(char* buffer, std::size_t size, int& error) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(m_handle), buffer, size);
    if (got >= 0) return got;
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

}  // namespace console

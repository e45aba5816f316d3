#include "tools/echo_helper/stream_io.h"

#include <unistd.h>

#include <cerrno>

namespace echo_helper {

ReadResult ReadExactly(int fd, std::uint8_t* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, buffer + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 && done == 0) return ReadResult::EndOfStream;
    if (n <= 0) return ReadResult::Broken;
    done += static_cast<std::size_t>(n);
  }
  return ReadResult::Complete;
}

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

}  // namespace echo_helper

#include "tests/support/memory_file.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/kernel/handle_table.h"

namespace vqtest {

MemoryFile::MemoryFile(const std::vector<BYTE>& contents) {
  const int fd = ::memfd_create("vq-memory-file", MFD_CLOEXEC);
  if (fd < 0) throw std::runtime_error("memfd_create");
  if (!contents.empty() && ::pwrite(fd, contents.data(), contents.size(), 0) != static_cast<ssize_t>(contents.size())) {
    ::close(fd);
    throw std::runtime_error("pwrite");
  }
  m_hFile = kernel::InsertHandle(fd, kernel::HandleKind::File);
  m_bCloseOnDelete = TRUE;
  m_strFileName = "memory";
}

std::vector<BYTE> MemoryFile::Contents() const {
  const int fd = kernel::DescriptorOf(m_hFile);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0) throw std::runtime_error("fstat");
  std::vector<BYTE> bytes(static_cast<std::size_t>(info.st_size));
  if (!bytes.empty() && ::pread(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("pread");
  }
  return bytes;
}

}  // namespace vqtest

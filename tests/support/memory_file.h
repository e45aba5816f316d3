#pragma once
// A framework file over an anonymous file in memory (memfd_create; on
// Windows a temporary file deleted on close): archives in tests read and
// write through the real CFile.
#include <vector>

#include "platform/framework/cfile.h"

namespace vqtest {

class MemoryFile : public CFile {
 public:
  // Starts with a copy of the bytes, positioned at the start. Throws
  // std::runtime_error when the system refuses.
  explicit MemoryFile(const std::vector<BYTE>& contents = {});

  // Every byte of the file, whatever the position.
  std::vector<BYTE> Contents() const;
};

}  // namespace vqtest

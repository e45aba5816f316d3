#pragma once
// Writes on the helper's pipe: whole messages while it still blocks (the
// hello), and a queue that never blocks once many echoes are in flight.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace echo_helper {

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size);

// Replies waiting for room in the pipe. The parent reads them when it can;
// the helper meanwhile goes on reading requests and echoing.
class OutputQueue {
 public:
  void Append(const std::vector<std::uint8_t>& bytes);
  bool empty() const { return m_done == m_bytes.size(); }
  // Writes what the pipe takes without blocking; false when it broke.
  bool Flush(int fd);

 private:
  std::vector<std::uint8_t> m_bytes;
  std::size_t m_done = 0;
};

}  // namespace echo_helper

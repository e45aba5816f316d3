#pragma once
// The echo helper the ICMP library runs in a test, through its injection
// point (platform/icmpapi/echo_helper_stand_in.h).
#include <optional>
#include <string>

namespace vqtest {

// While alive, the library tries only `path` (empty: no helper at all).
// Nests.
class ScopedEchoHelperPath {
 public:
  explicit ScopedEchoHelperPath(std::string path);
  ~ScopedEchoHelperPath();
  ScopedEchoHelperPath(const ScopedEchoHelperPath&) = delete;
  ScopedEchoHelperPath& operator=(const ScopedEchoHelperPath&) = delete;

 private:
  std::optional<std::string> m_previous;
};

}  // namespace vqtest

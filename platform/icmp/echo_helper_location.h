#pragma once
// Where the ICMP library looks for quillmar-echo-helper: beside the running
// program (a build tree, an unpacked copy), then in the install's libexec
// folder, where the package gives it the cap_net_raw capability: first as
// seen from the program's folder (an install under another prefix), then
// the folder the build was made for.
#include <string>
#include <vector>

namespace icmp {

constexpr const char* kEchoHelperName = "quillmar-echo-helper";

// The helper files to try, in order; only those that exist and are
// executable. Empty when there is none.
std::vector<std::string> EchoHelperCandidates();

// The helper's path in the install's libexec folder, for messages.
std::string InstalledEchoHelperPath();

// For tests: makes the library use only `path` (empty: no helper at all)
// while the guard lives.
class ScopedEchoHelperPath {
 public:
  explicit ScopedEchoHelperPath(std::string path);
  ~ScopedEchoHelperPath();
  ScopedEchoHelperPath(const ScopedEchoHelperPath&) = delete;
  ScopedEchoHelperPath& operator=(const ScopedEchoHelperPath&) = delete;

 private:
  bool m_hadOverride;
  std::string m_previous;
};

}  // namespace icmp

#include "platform/icmp/echo_helper_location.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <optional>

#if !defined(VQ_ECHO_HELPER_DIR) || !defined(VQ_ECHO_HELPER_DIR_FROM_BIN)
#error "VQ_ECHO_HELPER_DIR and VQ_ECHO_HELPER_DIR_FROM_BIN must name the install's folder for the echo helper"
#endif

namespace icmp {
namespace {

struct Override {
  std::mutex mutex;
  std::optional<std::string> path;
};

Override& override() {
  static Override* o = new Override;  // never destroyed: used from static teardown too
  return *o;
}

std::string RunningProgramFolder() {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  const std::string exe(path, static_cast<std::size_t>(length));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

bool IsExecutableFile(const std::string& path) { return !path.empty() && ::access(path.c_str(), X_OK) == 0; }

// One spelling per file, so that no helper is tried twice.
std::string Canonical(const std::string& path) {
  if (path.empty()) return {};
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

}  // namespace

std::string InstalledEchoHelperPath() { return std::string(VQ_ECHO_HELPER_DIR) + "/" + kEchoHelperName; }

std::vector<std::string> EchoHelperCandidates() {
  {
    Override& o = override();
    std::lock_guard lock(o.mutex);
    if (o.path) return IsExecutableFile(*o.path) ? std::vector<std::string>{*o.path} : std::vector<std::string>{};
  }
  std::vector<std::string> found;
  const std::string folder = RunningProgramFolder();
  const std::string beside = folder.empty() ? std::string() : folder + "/" + kEchoHelperName;
  // The libexec folder of the install the program runs from (one installed
  // under another prefix than it was built for), then the one it was built for.
  const std::string relative =
      folder.empty() ? std::string() : folder + "/" + VQ_ECHO_HELPER_DIR_FROM_BIN + "/" + kEchoHelperName;
  for (const std::string& path : {beside, relative, InstalledEchoHelperPath()}) {
    const std::string canonical = Canonical(path);
    if (IsExecutableFile(canonical) && std::find(found.begin(), found.end(), canonical) == found.end()) {
      found.push_back(canonical);
    }
  }
  return found;
}

ScopedEchoHelperPath::ScopedEchoHelperPath(std::string path) {
  Override& o = override();
  std::lock_guard lock(o.mutex);
  m_hadOverride = o.path.has_value();
  m_previous = o.path.value_or(std::string());
  o.path = std::move(path);
}

ScopedEchoHelperPath::~ScopedEchoHelperPath() {
  Override& o = override();
  std::lock_guard lock(o.mutex);
  if (m_hadOverride) {
    o.path = m_previous;
  } else {
    o.path.reset();
  }
}

}  // namespace icmp

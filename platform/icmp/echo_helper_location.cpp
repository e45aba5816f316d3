#include "platform/icmp/echo_helper_location.h"

#include <unistd.h>

#include <mutex>
#include <optional>

#ifndef VQ_ECHO_HELPER_DIR
#error "VQ_ECHO_HELPER_DIR must name the install's folder for the echo helper"
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
  if (IsExecutableFile(beside)) found.push_back(beside);
  const std::string installed = InstalledEchoHelperPath();
  if (installed != beside && IsExecutableFile(installed)) found.push_back(installed);
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

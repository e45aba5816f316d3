#include "platform/icmpapi/echo_helper_location.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/icmpapi/echo_helper_stand_in.h"

#if !defined(VQ_ECHO_HELPER_DIR) || !defined(VQ_ECHO_HELPER_DIR_FROM_BIN)
#error "VQ_ECHO_HELPER_DIR and VQ_ECHO_HELPER_DIR_FROM_BIN must name the install's folder for the echo helper"
#endif
#if !defined(VQ_BUILD_TREE) || !defined(VQ_BUILD_TREE_ECHO_HELPER)
#error "VQ_BUILD_TREE and VQ_BUILD_TREE_ECHO_HELPER must name the build tree and the helper it makes"
#endif

namespace icmpapi {
namespace {

struct StandIn {
  std::mutex mutex;
  std::optional<std::string> path;
};

StandIn& standIn() {
  static StandIn* s = new StandIn;  // never destroyed: used from static teardown too
  return *s;
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

// Inside the folder itself or below it, compared in canonical spelling so
// that links and ".." cannot hide it.
bool LiesWithin(const std::string& path, const std::string& folder) {
  const std::string inner = Canonical(path);
  const std::string outer = Canonical(folder);
  if (inner.empty() || outer.empty()) return false;
  if (outer == "/" || inner == outer) return true;
  return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == '/';
}

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder.empty() ? std::string() : folder + "/" + name;
}

}  // namespace

EchoHelperSearch RunningProgramsEchoHelperSearch() {
  return EchoHelperSearch{RunningProgramFolder(), VQ_BUILD_TREE, VQ_BUILD_TREE_ECHO_HELPER, VQ_ECHO_HELPER_DIR,
                          VQ_ECHO_HELPER_DIR_FROM_BIN};
}

std::vector<std::string> EchoHelperCandidatesFor(const EchoHelperSearch& search) {
  std::vector<std::string> paths;
  if (!search.buildTree.empty() && LiesWithin(search.programFolder, search.buildTree)) {
    paths = {search.buildTreeHelper};
  } else {
    // Beside the program, then the libexec folder of the install the program
    // runs from (one installed under another prefix than it was built for),
    // then the one it was built for.
    const std::string relative = search.installedFromPrograms.empty()
                                     ? std::string()
                                     : InFolder(search.programFolder, search.installedFromPrograms);
    paths = {InFolder(search.programFolder, kEchoHelperName), InFolder(relative, kEchoHelperName),
             InFolder(search.installedFolder, kEchoHelperName)};
  }
  std::vector<std::string> found;
  for (const std::string& path : paths) {
    const std::string canonical = Canonical(path);
    if (IsExecutableFile(canonical) && std::find(found.begin(), found.end(), canonical) == found.end()) {
      found.push_back(canonical);
    }
  }
  return found;
}

std::vector<std::string> EchoHelperCandidates() {
  {
    StandIn& s = standIn();
    std::lock_guard lock(s.mutex);
    if (s.path) return IsExecutableFile(*s.path) ? std::vector<std::string>{*s.path} : std::vector<std::string>{};
  }
  return EchoHelperCandidatesFor(RunningProgramsEchoHelperSearch());
}

std::optional<std::string> SetEchoHelperStandIn(std::optional<std::string> path) {
  StandIn& s = standIn();
  std::lock_guard lock(s.mutex);
  return std::exchange(s.path, std::move(path));
}

}  // namespace icmpapi

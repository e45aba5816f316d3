#include "tests/support/netns_veth.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace netns {

void AddVethPair(const Namespace& a, const std::string& nameA, const Namespace& b, const std::string& nameB) {
  a.Run({"ip", "link", "add", "name", nameA, "type", "veth", "peer", "name", nameB, "netns", b.Path()});
}

void ConfigureInterface(const Namespace& ns, const std::string& name, const std::string& addressWithPrefix) {
  ns.Run({"ip", "addr", "add", addressWithPrefix, "dev", name});
  ns.Run({"ip", "link", "set", "dev", name, "up"});
}

bool HaveIpTool() {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path != nullptr ? path : "/usr/sbin:/usr/bin:/sbin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    if (!dir.empty() && ::access((dir + "/ip").c_str(), X_OK) == 0) return true;
  }
  return false;
}

}  // namespace netns

#pragma once
// Files of a test's own in place of the machine's under /etc (the hosts
// file, the resolver's configuration), so that what a name look-up answers
// does not depend on the machine. Only for a forked child (netns_child.h):
// the whole process moves into a private mount namespace, where the files
// are bound over the real ones; programs it starts see them too. Needs root;
// failures throw std::runtime_error.
#include <memory>
#include <string>
#include <vector>

namespace netns {

struct EtcFile {
  std::string path;     // an existing file, e.g. "/etc/hosts"
  std::string content;  // what it shows inside
};

class PrivateEtcFiles {
 public:
  explicit PrivateEtcFiles(const std::vector<EtcFile>& files);
  // Removes the files' copies; the mounts vanish with the namespace.
  ~PrivateEtcFiles();
  PrivateEtcFiles(const PrivateEtcFiles&) = delete;
  PrivateEtcFiles& operator=(const PrivateEtcFiles&) = delete;

 private:
  void RemoveCopies();

  std::string m_directory;
};

// A new network namespace (loopback only) in which names come from
// hostsFile alone: no DNS, whatever the machine's /etc/hosts says.
class PrivateHostsFile {
 public:
  explicit PrivateHostsFile(const std::string& hostsFile);

 private:
  std::unique_ptr<PrivateEtcFiles> m_files;
};

}  // namespace netns

#include "tests/support/private_etc_files.h"

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tests/support/netns_namespace.h"

namespace netns {
namespace {

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

std::string MakeTempDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vq-etc-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a temporary directory");
  return pattern;
}

void BindCopyOver(const std::string& directory, const EtcFile& file) {
  const std::string copy = directory + "/" + std::filesystem::path(file.path).filename().string();
  std::ofstream(copy, std::ios::binary) << file.content;
  if (::mount(copy.c_str(), file.path.c_str(), nullptr, MS_BIND, nullptr) != 0) Fail("cannot bind over " + file.path);
}

}  // namespace

PrivateEtcFiles::PrivateEtcFiles(const std::vector<EtcFile>& files) {
  if (::unshare(CLONE_NEWNS) != 0) Fail("cannot make a mount namespace");
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) Fail("cannot make the mounts private");
  m_directory = MakeTempDirectory();
  try {
    for (const EtcFile& file : files) BindCopyOver(m_directory, file);
  } catch (...) {
    RemoveCopies();
    throw;
  }
}

PrivateEtcFiles::~PrivateEtcFiles() { RemoveCopies(); }

void PrivateEtcFiles::RemoveCopies() {
  std::error_code ignored;
  std::filesystem::remove_all(m_directory, ignored);
}

PrivateHostsFile::PrivateHostsFile(const std::string& hostsFile) {
  // The network first: should anything below fail half-way, no query can
  // leave this process's own loopback-only namespace.
  Namespace::Create().EnterPermanently();
  m_files = std::make_unique<PrivateEtcFiles>(
      std::vector<EtcFile>{{"/etc/hosts", hostsFile},
                           {"/etc/nsswitch.conf", "hosts: files\nservices: files\nprotocols: files\n"}});
}

}  // namespace netns

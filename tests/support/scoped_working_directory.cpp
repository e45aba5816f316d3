#include "tests/support/scoped_working_directory.h"

#include <stdlib.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <system_error>

namespace vqtest {

ScopedWorkingDirectory::ScopedWorkingDirectory() : m_previous(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "vq-workdir-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  m_directory = pattern;
  // Readable by all, so that programs the tests start as another user can
  // work here too.
  std::filesystem::permissions(m_directory, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                                std::filesystem::perms::group_exec |
                                                std::filesystem::perms::others_read |
                                                std::filesystem::perms::others_exec);
  std::filesystem::current_path(m_directory);
  if (const char* previous = std::getenv("XDG_CONFIG_HOME")) m_previousConfigHome = previous;
  ::setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  if (m_previousConfigHome) {
    ::setenv("XDG_CONFIG_HOME", m_previousConfigHome->c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  std::error_code ignored;
  std::filesystem::current_path(m_previous, ignored);
  std::filesystem::remove_all(m_directory, ignored);
}

void ScopedWorkingDirectory::Write(const std::string& bytes, const char* name) const {
  std::ofstream out(m_directory / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ScopedWorkingDirectory::WriteUserAddressBook(const std::string& bytes) const {
  std::filesystem::create_directories(configHome() / "quillmar");
  std::ofstream out(configHome() / "quillmar" / "address.ini", std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void QuietAddressBookEnvironment::SetUp() {
  m_directory = std::make_unique<ScopedWorkingDirectory>();
  m_directory->Write("");
}

void QuietAddressBookEnvironment::TearDown() { m_directory.reset(); }

}  // namespace vqtest

#pragma once
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace vqtest {

// Makes a fresh directory the process's working directory while alive, then
// returns to the previous one and removes the directory. The user's
// configuration folder (XDG_CONFIG_HOME) is "config" inside it meanwhile,
// so no address book of the user's own takes part in a test.
class ScopedWorkingDirectory {
 public:
  ScopedWorkingDirectory();
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

  const std::filesystem::path& path() const { return m_directory; }

  // Writes a file of the directory with exactly these bytes.
  void Write(const std::string& bytes, const char* name = "address.ini") const;
  // Writes the address book of the user's configuration folder.
  void WriteUserAddressBook(const std::string& bytes) const;
  std::filesystem::path configHome() const { return m_directory / "config"; }

 private:
  std::filesystem::path m_previous;
  std::filesystem::path m_directory;
  std::optional<std::string> m_previousConfigHome;
};

// A fresh working directory holding an empty "address.ini": the dialog starts
// with an empty list and without a message.
class ScopedEmptyAddressBook : public ScopedWorkingDirectory {
 public:
  ScopedEmptyAddressBook() { Write(""); }
};

// The main dialog reads "address.ini" from the working directory and reports
// a missing file with a modal message box. Test programs that open the dialog
// register this environment, so that they run in a scratch directory holding
// an empty address book and every dialog opens quietly; tests of the address
// book make their own directories.
class QuietAddressBookEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

 private:
  std::unique_ptr<ScopedWorkingDirectory> m_directory;
};

}  // namespace vqtest

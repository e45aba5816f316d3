#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/framework/cexception.h"

namespace core_test {

// Runs `action` and returns the m_cause of the E* it throws (deleting the
// exception), or -1 when it throws nothing.
template <typename E, typename Action>
int CauseThrown(Action&& action) {
  try {
    action();
  } catch (E* e) {
    const int cause = e->m_cause;
    e->Delete();
    return cause;
  }
  return -1;
}

// A fresh directory under the system's temporary folder, removed with its
// contents when the test ends.
class TempDirTest : public ::testing::Test {
 protected:
  // A name that is taken already is not reused: creating the folder is the
  // test. Only its owner may enter it.
  void SetUp() override {
    std::random_device random;
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && m_dir.empty(); ++attempt) {
      std::ostringstream name;
      name << "vq-fw-" << std::hex << random() << random();
      if (std::filesystem::create_directory(temp / name.str())) m_dir = temp / name.str();
    }
    ASSERT_FALSE(m_dir.empty()) << "no fresh folder under " << temp.string();
    std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }

  std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

  void WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream(PathOf(name), std::ios::binary) << content;
  }

  std::string ReadFile(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  std::filesystem::path m_dir;
};

}  // namespace core_test

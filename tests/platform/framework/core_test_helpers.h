#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vq-fw-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
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
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) names.push_back(entry.path().filename());
    return names;
  }

  std::filesystem::path m_dir;
};

}  // namespace core_test

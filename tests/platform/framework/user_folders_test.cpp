#include "platform/framework/user_folders.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core_test_helpers.h"
#include "tests/support/scoped_variable.h"

namespace {

using vqtest::ScopedVariable;

class UserFoldersTest : public core_test::TempDirTest {};

TEST_F(UserFoldersTest, SettingsFolderFollowsXdgConfigHomeThenHome) {
  ScopedVariable xdg("XDG_CONFIG_HOME", PathOf("xdg").c_str());
  ScopedVariable home("HOME", PathOf("home").c_str());
  EXPECT_EQ(framework::UserSettingsFolder("quillmar"), PathOf("xdg") + "/quillmar");
  xdg.Set((PathOf("xdg") + "/").c_str());  // no doubled separator
  EXPECT_EQ(framework::UserSettingsFolder("quillmar"), PathOf("xdg") + "/quillmar");

  for (const char* notAbsolute : {"relative", "", static_cast<const char*>(nullptr)}) {
    xdg.Set(notAbsolute);
    EXPECT_EQ(framework::UserSettingsFolder("quillmar"), PathOf("home") + "/.config/quillmar");
  }
  home.Set("/");
  EXPECT_EQ(framework::UserSettingsFolder("quillmar"), "/.config/quillmar");
}

// Without an absolute HOME the user database names the home folder.
TEST_F(UserFoldersTest, SettingsFolderFallsBackToTheUserDatabase) {
  const passwd* user = ::getpwuid(::getuid());
  ASSERT_NE(user, nullptr);
  ScopedVariable xdg("XDG_CONFIG_HOME", nullptr);
  ScopedVariable home("HOME", "not/absolute");
  EXPECT_EQ(framework::UserSettingsFolder("quillmar"), framework::JoinPath(user->pw_dir, ".config/quillmar"));
}

TEST(UserFolders, JoinsAndSplitsWithSlashes) {
  EXPECT_EQ(framework::JoinPath("/etc", "quillmar"), "/etc/quillmar");
  EXPECT_EQ(framework::JoinPath("/", "quillmar"), "/quillmar");
  EXPECT_EQ(framework::JoinPath("", "address.ini"), "address.ini");
  EXPECT_EQ(framework::FileNameOf("/home/user/address.ini"), "address.ini");
  EXPECT_EQ(framework::FileNameOf("address.ini"), "address.ini");
  EXPECT_EQ(framework::FileNameOf("C:\\address.ini"), "C:\\address.ini");  // no separator on Linux
  EXPECT_EQ(framework::FileNameOf("/home/user/"), "");
}

TEST_F(UserFoldersTest, WorkingFolderAndWhatExists) {
  EXPECT_EQ(framework::WorkingFolder(), std::filesystem::current_path().string());
  // A path longer than a first guess at its length.
  const std::filesystem::path deep = m_dir / std::string(200, 'a') / std::string(200, 'b');
  std::filesystem::create_directories(deep);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(deep);
  const std::string working = framework::WorkingFolder();
  std::filesystem::current_path(previous);
  EXPECT_EQ(working, std::filesystem::canonical(deep).string());

  WriteFile("address.ini", "");
  EXPECT_TRUE(framework::PathExists(PathOf("address.ini")));
  EXPECT_TRUE(framework::PathExists(m_dir.string()));
  EXPECT_FALSE(framework::PathExists(PathOf("missing")));
  std::filesystem::create_symlink(PathOf("missing"), PathOf("dangling"));
  EXPECT_FALSE(framework::PathExists(PathOf("dangling")));  // a link counts by what it names
}

}  // namespace

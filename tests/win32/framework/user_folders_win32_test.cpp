// The user's folders on Windows: settings under %APPDATA%, paths with
// either separator and drive letters, the working folder and what exists.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/framework/user_folders.h"
#include "platform/kernel/wide_text.h"
#include "platform/kernel/windef.h"
#include "tests/platform/framework/core_test_helpers.h"

namespace {

// Sets a variable of the process's environment (or removes it, for null)
// while alive, through the wide call the folders read it with.
class ScopedWideVariable {
 public:
  ScopedWideVariable(const wchar_t* name, const char* value) : m_name(name) {
    std::vector<wchar_t> previous(32768);
    if (::GetEnvironmentVariableW(name, previous.data(), static_cast<DWORD>(previous.size())) > 0) {
      m_previous = previous.data();
    }
    Set(value);
  }
  ~ScopedWideVariable() { ::SetEnvironmentVariableW(m_name.c_str(), m_previous ? m_previous->c_str() : nullptr); }
  ScopedWideVariable(const ScopedWideVariable&) = delete;
  ScopedWideVariable& operator=(const ScopedWideVariable&) = delete;

  void Set(const char* value) {
    ::SetEnvironmentVariableW(m_name.c_str(), value != nullptr ? kernel::WideFromUtf8(value).c_str() : nullptr);
  }

 private:
  std::wstring m_name;
  std::optional<std::wstring> m_previous;
};

class UserFoldersWin32Test : public core_test::TempDirTest {};

TEST_F(UserFoldersWin32Test, SettingsFolderIsUnderAnAbsoluteAppData) {
  ScopedWideVariable appData(L"APPDATA", PathOf("Roaming").c_str());
  EXPECT_EQ(framework::UserSettingsFolder("quillmar"), PathOf("Roaming") + "\\quillmar");
  appData.Set((PathOf("Roaming") + "\\").c_str());  // no doubled separator
  EXPECT_EQ(framework::UserSettingsFolder("quillmar"), PathOf("Roaming") + "\\quillmar");
  appData.Set("\\\\server\\share\\Roaming");
  EXPECT_EQ(framework::UserSettingsFolder("quillmar"), "\\\\server\\share\\Roaming\\quillmar");

  // Longer than a first guess at its length, and not in the user's code page.
  const std::string deep = PathOf(std::string(300, 'r') + "\\\xCE\xB1\xCE\xB2");
  appData.Set(deep.c_str());
  EXPECT_EQ(framework::UserSettingsFolder("quillmar"), deep + "\\quillmar");

  // A folder that depends on the current drive or folder is no place.
  for (const char* notAbsolute : {"Roaming", "C:Roaming", "\\Roaming", "", static_cast<const char*>(nullptr)}) {
    appData.Set(notAbsolute);
    EXPECT_EQ(framework::UserSettingsFolder("quillmar"), "") << (notAbsolute != nullptr ? notAbsolute : "(unset)");
  }
}

TEST(UserFoldersWin32, JoinsWithBackslashesAndSplitsAtEitherSeparatorOrADrive) {
  EXPECT_EQ(framework::JoinPath("C:\\Users", "quillmar"), "C:\\Users\\quillmar");
  EXPECT_EQ(framework::JoinPath("C:\\", "quillmar"), "C:\\quillmar");
  EXPECT_EQ(framework::JoinPath("C:/data/", "quillmar"), "C:/data/quillmar");
  EXPECT_EQ(framework::JoinPath("", "address.ini"), "address.ini");
  EXPECT_EQ(framework::FileNameOf("C:\\Users\\address.ini"), "address.ini");
  EXPECT_EQ(framework::FileNameOf("C:/Users/address.ini"), "address.ini");
  EXPECT_EQ(framework::FileNameOf("C:address.ini"), "address.ini");
  EXPECT_EQ(framework::FileNameOf("address.ini"), "address.ini");
  EXPECT_EQ(framework::FileNameOf("C:\\Users\\"), "");
}

TEST_F(UserFoldersWin32Test, WorkingFolderAndWhatExists) {
  const std::filesystem::path deep = m_dir / std::string(100, 'a') / L"\u03b1\u03b2" / std::string(60, 'b');
  std::filesystem::create_directories(deep);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(deep);
  const std::string working = framework::WorkingFolder();
  std::filesystem::current_path(previous);
  EXPECT_EQ(working, kernel::Utf8FromWide(deep.wstring()));

  WriteFile("address.ini", "");
  EXPECT_TRUE(framework::PathExists(PathOf("address.ini")));
  EXPECT_TRUE(framework::PathExists(m_dir.string()));
  EXPECT_TRUE(framework::PathExists(kernel::Utf8FromWide(deep.wstring())));
  EXPECT_FALSE(framework::PathExists(PathOf("missing")));
  EXPECT_FALSE(framework::PathExists(PathOf("missing\\address.ini")));
}

// The installed examples are beside the program, in examples\.
TEST(UserFoldersWin32, PackagedExamplesAreBesideTheProgram) {
  const std::string example = framework::PackagedExample("/usr/share/quillmar/examples", "address.ini");
  const std::filesystem::path path(kernel::WideFromUtf8(example));
  EXPECT_EQ(path.filename(), "address.ini");
  EXPECT_EQ(path.parent_path().filename(), "examples");
  EXPECT_TRUE(std::filesystem::exists(path.parent_path().parent_path() / "test_win32_framework.exe")) << example;
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/last_error.h"
#include "platform/kernel/version.h"
#include "tests/support/platform_seams/version_override.h"

namespace {

OSVERSIONINFOA Ask(BOOL* ok) {
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  *ok = GetVersionExA(&info);
  return info;
}

TEST(Version, ReportsWindowsNt4ByDefault) {
  BOOL ok = FALSE;
  OSVERSIONINFOA info = Ask(&ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwMinorVersion, 0u);
  EXPECT_EQ(info.dwBuildNumber, 1381u);
  EXPECT_STREQ(info.szCSDVersion, "Service Pack 6");
}

TEST(Version, RejectsNullOrWronglySizedRecord) {
  SetLastError(0);
  EXPECT_FALSE(GetVersionExA(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info) - 1;
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, 0u);
}

TEST(Version, OverridesNestAndRestore) {
  BOOL ok = FALSE;
  {
    vqtest::ScopedVersionOverride win98(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998);
    OSVERSIONINFOA info = Ask(&ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
    EXPECT_EQ(info.dwMinorVersion, 10u);
    EXPECT_STREQ(info.szCSDVersion, "");
    {
      auto failing = vqtest::ScopedVersionOverride::Failing(ERROR_ACCESS_DENIED);
      SetLastError(0);
      Ask(&ok);
      EXPECT_FALSE(ok);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    info = Ask(&ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
  }
  OSVERSIONINFOA info = Ask(&ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(info.dwMajorVersion, 4u);
}

}  // namespace

#include "platform/kernel/version.h"

#include <atomic>
#include <cstring>

#include "platform/kernel/last_error.h"
#include "platform/kernel/version_source.h"

namespace {

std::atomic<kernel::VersionSource> g_source{nullptr};

BOOL AnswerWindowsNt4(LPOSVERSIONINFOA info) {
  info->dwMajorVersion = 4;
  info->dwMinorVersion = 0;
  constexpr DWORD kNt4Build = 1381;
  info->dwBuildNumber = kNt4Build;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  std::strncpy(info->szCSDVersion, "Service Pack 6", sizeof(info->szCSDVersion) - 1);
  return TRUE;
}

}  // namespace

kernel::VersionSource kernel::SetVersionSource(VersionSource source) { return g_source.exchange(source); }

BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
  if (lpVersionInformation == nullptr || lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const kernel::VersionSource source = g_source.load();
  return source != nullptr ? source(lpVersionInformation) : AnswerWindowsNt4(lpVersionInformation);
}

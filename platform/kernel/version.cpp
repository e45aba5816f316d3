#include "platform/kernel/version.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/kernel/last_error.h"

struct kernel::ScopedVersionOverride::Answer {
  bool fails;
  DWORD error;
  DWORD platformId;
  DWORD major;
  DWORD minor;
  DWORD build;
  const char* servicePack;
};

namespace kernel {
namespace {

using Answer = ScopedVersionOverride::Answer;

struct Overrides {
  std::mutex mutex;
  std::vector<Answer> stack;
};

Overrides& overrides() {
  static Overrides* o = new Overrides;
  return *o;
}

constexpr Answer kNativeAnswer{false, 0, VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6"};

Answer CurrentAnswer() {
  Overrides& o = overrides();
  std::lock_guard lock(o.mutex);
  return o.stack.empty() ? kNativeAnswer : o.stack.back();
}

}  // namespace

ScopedVersionOverride::ScopedVersionOverride(const Answer& answer) {
  Overrides& o = overrides();
  std::lock_guard lock(o.mutex);
  o.stack.push_back(answer);
}

ScopedVersionOverride::ScopedVersionOverride(DWORD platformId, DWORD major, DWORD minor, DWORD build)
    : ScopedVersionOverride(Answer{false, 0, platformId, major, minor, build, ""}) {}

ScopedVersionOverride ScopedVersionOverride::Failing(DWORD error) {
  return ScopedVersionOverride(Answer{true, error, 0, 0, 0, 0, ""});
}

ScopedVersionOverride::ScopedVersionOverride(ScopedVersionOverride&& other) noexcept : m_active(other.m_active) {
  other.m_active = false;
}

ScopedVersionOverride::~ScopedVersionOverride() {
  if (!m_active) return;
  Overrides& o = overrides();
  std::lock_guard lock(o.mutex);
  if (!o.stack.empty()) o.stack.pop_back();
}

}  // namespace kernel

BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
  if (lpVersionInformation == nullptr || lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const kernel::Answer answer = kernel::CurrentAnswer();
  if (answer.fails) {
    SetLastError(answer.error);
    return FALSE;
  }
  lpVersionInformation->dwMajorVersion = answer.major;
  lpVersionInformation->dwMinorVersion = answer.minor;
  lpVersionInformation->dwBuildNumber = answer.build;
  lpVersionInformation->dwPlatformId = answer.platformId;
  std::memset(lpVersionInformation->szCSDVersion, 0, sizeof(lpVersionInformation->szCSDVersion));
  std::strncpy(lpVersionInformation->szCSDVersion, answer.servicePack, sizeof(lpVersionInformation->szCSDVersion) - 1);
  return TRUE;
}

#include "tests/support/platform_seams/version_override.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/kernel/version_source.h"

namespace vqtest {
namespace {

struct Answers {
  std::mutex mutex;
  std::vector<ScopedVersionOverride::Answer> stack;
};

Answers& answers() {
  static Answers* a = new Answers;
  return *a;
}

BOOL AnswerInnermost(LPOSVERSIONINFOA info) {
  Answers& a = answers();
  ScopedVersionOverride::Answer answer{};
  {
    std::lock_guard lock(a.mutex);
    answer = a.stack.back();
  }
  if (answer.fails) {
    SetLastError(answer.error);
    return FALSE;
  }
  info->dwMajorVersion = answer.major;
  info->dwMinorVersion = answer.minor;
  info->dwBuildNumber = answer.build;
  info->dwPlatformId = answer.platformId;
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  return TRUE;
}

}  // namespace

ScopedVersionOverride::ScopedVersionOverride(const Answer& answer) {
  Answers& a = answers();
  std::lock_guard lock(a.mutex);
  a.stack.push_back(answer);
  kernel::SetVersionSource(&AnswerInnermost);
}

ScopedVersionOverride::ScopedVersionOverride(DWORD platformId, DWORD major, DWORD minor, DWORD build)
    : ScopedVersionOverride(Answer{false, 0, platformId, major, minor, build}) {}

ScopedVersionOverride ScopedVersionOverride::Failing(DWORD error) {
  return ScopedVersionOverride(Answer{true, error, 0, 0, 0, 0});
}

ScopedVersionOverride::~ScopedVersionOverride() {
  Answers& a = answers();
  std::lock_guard lock(a.mutex);
  a.stack.pop_back();
  if (a.stack.empty()) kernel::SetVersionSource(nullptr);
}

}  // namespace vqtest

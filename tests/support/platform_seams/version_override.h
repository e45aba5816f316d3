#pragma once
// A stand-in system version for GetVersionExA, through the kernel's
// injection point (platform/kernel/version_source.h).
#include "platform/kernel/last_error.h"
#include "platform/kernel/version.h"

namespace vqtest {

// While alive, GetVersionExA reports the given version, or fails with the
// given error (Failing()). Nests; the innermost one wins, and the previous
// answer comes back when it ends.
class ScopedVersionOverride {
 public:
  ScopedVersionOverride(DWORD platformId, DWORD major, DWORD minor, DWORD build = 0);
  static ScopedVersionOverride Failing(DWORD error = ERROR_GEN_FAILURE);
  ~ScopedVersionOverride();
  ScopedVersionOverride(const ScopedVersionOverride&) = delete;
  ScopedVersionOverride& operator=(const ScopedVersionOverride&) = delete;

  struct Answer {
    bool fails;
    DWORD error;
    DWORD platformId;
    DWORD major;
    DWORD minor;
    DWORD build;
  };

 private:
  explicit ScopedVersionOverride(const Answer& answer);
};

}  // namespace vqtest

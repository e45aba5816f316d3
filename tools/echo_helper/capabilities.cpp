#include "tools/echo_helper/capabilities.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

namespace echo_helper {
namespace {

// The kernel's own interface; libcap would add a library for two calls.
using CapabilitySets = __user_cap_data_struct[_LINUX_CAPABILITY_U32S_3];

bool SetCapabilities(CapabilitySets& sets) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return ::syscall(SYS_capset, &header, sets) == 0;
}

bool GetCapabilities(CapabilitySets& sets) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return ::syscall(SYS_capget, &header, sets) == 0;
}

}  // namespace

bool DropAllCapabilities() {
  CapabilitySets none{};
  const bool ambientCleared = ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) == 0;
  const bool dropped = SetCapabilities(none);
  const bool noNewPrivileges = ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
  return ambientCleared && dropped && noNewPrivileges && HoldsNoCapabilities();
}

bool HoldsNoCapabilities() {
  CapabilitySets sets{};
  if (!GetCapabilities(sets)) return false;
  return std::ranges::all_of(sets, [](const auto& set) { return set.effective == 0 && set.permitted == 0; });
}

}  // namespace echo_helper

#pragma once
// Giving up privileges once the raw socket is open.

namespace echo_helper {

// Clears the effective, permitted, inheritable and ambient capability sets
// in one step and forbids gaining privileges again. False when any part of
// it failed; the caller must not go on then.
bool DropAllCapabilities();

// True when the process holds no effective and no permitted capability.
bool HoldsNoCapabilities();

}  // namespace echo_helper

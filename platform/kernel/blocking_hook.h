#pragma once
#include "platform/kernel/windef.h"

// Blocking calls of the sockets and ICMP layers wait in short slices and call
// the blocking hook between them, so that a GUI can repaint while its one
// thread waits. The hook returns TRUE when it processed something.
typedef BOOL (*BLOCKINGHOOKPROC)();

namespace kernel {

// Installs a hook for the calling thread; returns the previous one (or null).
BLOCKINGHOOKPROC SetBlockingHook(BLOCKINGHOOKPROC hook);
BLOCKINGHOOKPROC GetBlockingHook();
void CallBlockingHook();

// Length of one wait slice in milliseconds.
constexpr int kBlockingSliceMs = 20;

}  // namespace kernel

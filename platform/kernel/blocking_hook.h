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

// Ends the blocking wait in progress on this thread after its current slice:
// it fails as interrupted (EINTR; the sockets library reports WSAEINTR).
// Called from the blocking hook, as the sockets library's
// WSACancelBlockingCall is; a cancel made outside a wait ends the next one.
void CancelBlockingCall();

// For the waits themselves: true when the wait must end as interrupted,
// because this thread's wait was cancelled (the cancel is taken) or a stop
// signal was caught (see stop_signals.h; that one stays).
bool TakeBlockingCallCancel();

// Length of one wait slice in milliseconds.
constexpr int kBlockingSliceMs = 20;

}  // namespace kernel

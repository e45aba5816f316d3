#pragma once
// The framework's blocking hook: while the program's one thread waits in the
// sockets or ICMP layer, windows repaint and timers run, but user input waits
// until the handler has returned, so no handler can be re-entered.

namespace framework {

// Installs the hook for the calling (GUI) thread. With onlyIfNone, a hook
// someone else installed is kept.
void InstallBlockingHook(bool onlyIfNone = false);

// True while the hook processes events; windows refuse to close meanwhile.
bool InBlockingWait();

}  // namespace framework

#pragma once

namespace status_server {

// Turns SIGINT and SIGTERM into a readable descriptor (a self-pipe), so the
// server's poll() wakes up for them without races. Returns the descriptor,
// or -1 on failure.
int WatchStopSignals();

}  // namespace status_server

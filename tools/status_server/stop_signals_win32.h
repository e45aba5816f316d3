#pragma once
#include <windows.h>

namespace status_server {

// Turns the console's stop requests (Ctrl+C, Ctrl+Break, closing the
// console window) into an event the server's wait watches. Returns the
// event (manual reset), or nullptr on failure.
HANDLE WatchStopRequests();

}  // namespace status_server

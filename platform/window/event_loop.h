#pragma once
// The application's event loop, the one piece of CWinApp::Run that is the
// system's own.

namespace framework {

// Runs the calling thread's event loop until the application quits and
// returns the exit code it quit with (0 when there is no loop to run).
int RunEventLoop();

}  // namespace framework

#pragma once

// Ends the process at once, as the framework's abnormal termination does:
// std::_Exit with status kAbortExitCode (3, the status of the original
// platform's abort). No message, no atexit handlers, no stream flushing and
// no core dump; chosen over std::abort() so that the end is the same with
// and without sanitizers and tests can expect the exact status.
[[noreturn]] void AfxAbort();

namespace kernel {
constexpr int kAbortExitCode = 3;
}

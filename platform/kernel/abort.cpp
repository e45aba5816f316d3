#include "platform/kernel/abort.h"

#include <cstdlib>

void AfxAbort() { std::_Exit(kernel::kAbortExitCode); }

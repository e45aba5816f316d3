#pragma once
// Where the window procedure's guard may report a handler's exception.
#include <functional>

namespace framework {

// Runs `report` (it opens a message box) at once, or later when no message
// box can open right now.
void ReportWhenSafe(std::function<void()> report);

}  // namespace framework

#include "platform/window/safe_report.h"

namespace framework {

// A paint context in the handler has ended its paint by the time the
// exception reaches the guard, so the report can open at once.
void ReportWhenSafe(std::function<void()> report) { report(); }

}  // namespace framework

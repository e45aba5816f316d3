#include "platform/window/safe_report.h"

#include <QTimer>
#include <utility>

#include "platform/window/paint.h"

namespace framework {

// A message box cannot run inside a paint, so reports from painting wait
// until the paint has finished.
void ReportWhenSafe(std::function<void()> report) {
  if (IsPainting()) {
    QTimer::singleShot(0, std::move(report));
  } else {
    report();
  }
}

}  // namespace framework

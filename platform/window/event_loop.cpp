#include "platform/window/event_loop.h"

#include <QApplication>

namespace framework {

// Without the toolkit's application object (library code under test) there
// is no loop to run.
int RunEventLoop() { return QCoreApplication::instance() != nullptr ? QApplication::exec() : 0; }

}  // namespace framework

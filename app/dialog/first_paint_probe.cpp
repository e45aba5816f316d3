#include "app/dialog/first_paint_probe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// Watches every event of the application until a window receives its first
// paint that can reach the screen: a window that the windowing system has
// exposed (a dialog may repaint itself before it is mapped). The report waits
// for the next turn of the event loop, by which time the painted frame has
// been flushed.
bool IsExposedWindow(const QWidget& widget) {
  return widget.isWindow() && widget.windowHandle() != nullptr && widget.windowHandle()->isExposed();
}

class FirstPaintWatcher : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!m_bSeen && event->type() == QEvent::Paint && watched->isWidgetType() &&
        IsExposedWindow(*static_cast<QWidget*>(watched))) {
      m_bSeen = true;
      QTimer::singleShot(0, [] { ReportAndExit(); });
    }
    return false;
  }

 private:
  [[noreturn]] static void ReportAndExit() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("first-paint-ns %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    std::_Exit(0);  // the measurement is over; nothing else of the run matters
  }

  bool m_bSeen = false;
};

}  // namespace

void InstallFirstPaintProbe() {
  if (qEnvironmentVariable("VQ_FIRST_PAINT_PROBE") != QLatin1String("1")) return;
  QCoreApplication::instance()->installEventFilter(new FirstPaintWatcher(QCoreApplication::instance()));
}

// The floor for start-up time and memory with this toolkit: a QApplication
// and one small dialog (a label, a line edit and a button), nothing else.
// It prints "first-paint-ns <CLOCK_MONOTONIC nanoseconds>" once the dialog
// has been painted and flushed, and ends at once, as quillmar does with
// VQ_FIRST_PAINT_PROBE=1.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

[[noreturn]] void ReportAndExit() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::printf("first-paint-ns %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
  std::fflush(stdout);
  std::_Exit(0);
}

class MinimalDialog : public QDialog {
 protected:
  void paintEvent(QPaintEvent* event) override {
    QDialog::paintEvent(event);
    // The first paint that can reach the screen; the report waits until the
    // frame has been flushed.
    if (m_bPainted || windowHandle() == nullptr || !windowHandle()->isExposed()) return;
    m_bPainted = true;
    QTimer::singleShot(0, [] { ReportAndExit(); });
  }

 private:
  bool m_bPainted = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  MinimalDialog dialog;
  dialog.setWindowTitle(QStringLiteral("Minimal"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("Address:")));
  layout->addWidget(new QLineEdit);
  layout->addWidget(new QPushButton(QStringLiteral("OK")));
  return dialog.exec();
}

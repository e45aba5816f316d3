#include <QByteArray>

#include "tests/support_main/widget_tests.h"

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "2");
  return vqtest::RunWidgetTests(argc, argv);
}

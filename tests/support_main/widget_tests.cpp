#include "tests/support_main/widget_tests.h"

#include <QApplication>
#include <gtest/gtest.h>

#include "platform/framework/message_box.h"

namespace vqtest {

int RunWidgetTests(int argc, char** argv) {
  // Widgets need a platform even when only listing tests.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Nobody answers a real message box in a test: one that a test did not
  // expect (with a ScopedMessageBoxRecorder) fails it instead of hanging it.
  framework::SetMessageBoxHandler([](const framework::MessageBoxRequest& box) {
    ADD_FAILURE() << "unexpected message box \"" << static_cast<LPCSTR>(box.caption)
                  << "\": " << static_cast<LPCSTR>(box.text);
    return IDCANCEL;
  });
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

}  // namespace vqtest

#include <QApplication>
#include <gtest/gtest.h>

#include "platform/framework/message_box.h"

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "2");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  framework::SetMessageBoxHandler([](const framework::MessageBoxRequest& box) {
    ADD_FAILURE() << "unexpected message box \"" << static_cast<LPCSTR>(box.caption) << "\": "
                  << static_cast<LPCSTR>(box.text);
    return IDCANCEL;
  });
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

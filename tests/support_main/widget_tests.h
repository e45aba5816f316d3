#pragma once

namespace vqtest {

// Runs the program's GoogleTest tests beside a QApplication on the offscreen
// platform (unless QT_QPA_PLATFORM names another); a message box that no
// test expected fails its test instead of waiting for a click.
int RunWidgetTests(int argc, char** argv);

}  // namespace vqtest

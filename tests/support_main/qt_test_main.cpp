#include "tests/support_main/widget_tests.h"

int main(int argc, char** argv) { return vqtest::RunWidgetTests(argc, argv); }

// Test programs that open the main dialog, or run the program as a child
// process, link this file: their tests run beside an empty address book.
#include "tests/support/scoped_working_directory.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kQuietAddressBook =
    ::testing::AddGlobalTestEnvironment(new vqtest::QuietAddressBookEnvironment);
}

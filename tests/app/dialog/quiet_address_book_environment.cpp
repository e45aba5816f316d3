// The application tests run the main dialog, and the program as a child
// process, beside an empty address book.
#include "tests/support/scoped_working_directory.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kQuietAddressBook =
    ::testing::AddGlobalTestEnvironment(new vqtest::QuietAddressBookEnvironment);
}

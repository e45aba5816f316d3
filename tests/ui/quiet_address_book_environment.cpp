// Every main dialog reads "address.ini" from the working directory and
// reports a missing file with a modal message box. The ui tests therefore
// run in a scratch directory holding an empty address book, so that a dialog
// opens quietly; the address-book tests make their own directories.
#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/address_book_test_support.h"

namespace {

class QuietAddressBookEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    m_directory = std::make_unique<address_book_test::ScopedWorkingDirectory>();
    m_directory->Write("");
  }
  void TearDown() override { m_directory.reset(); }

 private:
  std::unique_ptr<address_book_test::ScopedWorkingDirectory> m_directory;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QuietAddressBookEnvironment);

}  // namespace

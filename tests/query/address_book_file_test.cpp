#include "query/address_book_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/framework/cfile.h"
#include "platform/framework/file_exception.h"
#include "tests/support/address_book_records.h"
#include "query/address_book.h"

namespace {

using address_book_test::Record;
using address_book_test::ScopedWorkingDirectory;

TEST(AddressBookFileTest, MissingFileOrAFolderOfThatNameCannotBeOpened) {
  ScopedWorkingDirectory dir;
  CString text = "untouched";
  EXPECT_FALSE(ReadAddressBookFile(text));
  std::filesystem::create_directory(dir.path() / "address.ini");
  EXPECT_FALSE(ReadAddressBookFile(text));
  EXPECT_EQ(text, "untouched");
}

TEST(AddressBookFileTest, FileHeldOpenElsewhereCannotBeOpenedAndIsNeverCreatedOrChanged) {
  ScopedWorkingDirectory dir;
  const std::string content = Record(0, "192.0.2.1", "held");
  dir.Write(content);
  {
    CFile holder;
    ASSERT_TRUE(holder.Open("address.ini", CFile::modeRead | CFile::shareDenyWrite));
    CString text;
    EXPECT_FALSE(ReadAddressBookFile(text));
  }
  CString text;
  ASSERT_TRUE(ReadAddressBookFile(text));
  EXPECT_EQ(text.str(), content);
  EXPECT_EQ(std::filesystem::file_size(dir.path() / "address.ini"), content.size());
}

TEST(AddressBookFileTest, OnlyTheFirst2048BytesUpToTheFirstNulAreRead) {
  ScopedWorkingDirectory dir;
  // entry1 starts at byte 2048: beyond the read, like a missing key.
  std::string content = Record(0, "192.0.2.1", "first");
  content += std::string(2048 - content.size(), '#');
  content += Record(1, "192.0.2.2", "beyond the limit");
  dir.Write(content);
  CString text;
  ASSERT_TRUE(ReadAddressBookFile(text));
  EXPECT_EQ(text.GetLength(), kAddressBookReadLimit);
  const AddressBookSlots slots = ParseAddressBook(text, text.GetLength());
  EXPECT_FALSE(slots[0].IsEmpty());
  EXPECT_TRUE(slots[1].IsEmpty());

  dir.Write(Record(0, "192.0.2.1", "before") + std::string(1, '\0') + Record(1, "192.0.2.2", "after"));
  ASSERT_TRUE(ReadAddressBookFile(text));
  EXPECT_EQ(text.str(), Record(0, "192.0.2.1", "before"));

  dir.Write(std::string("\0entry0", 7));
  ASSERT_TRUE(ReadAddressBookFile(text));
  EXPECT_TRUE(text.IsEmpty());
}

// The process's own memory file opens for reading, but reading at offset 0
// fails: a read error after a successful open.
TEST(AddressBookFileTest, ReadErrorAfterASuccessfulOpenThrowsAFileException) {
  ScopedWorkingDirectory dir;
  std::filesystem::create_symlink("/proc/self/mem", dir.path() / "address.ini");
  CString text = "untouched";
  try {
    ReadAddressBookFile(text);
    ADD_FAILURE() << "no exception";
  } catch (CFileException* e) {
    EXPECT_NE(e->m_lOsError, 0);
    e->Delete();
  }
  EXPECT_EQ(text, "untouched");
  // The file was closed on the way out: nothing holds it now.
  CFile again;
  EXPECT_TRUE(again.Open("address.ini", CFile::modeRead | CFile::shareExclusive));
}

}  // namespace

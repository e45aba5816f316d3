#include "query/address_book_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/framework/cfile.h"
#include "platform/framework/file_exception.h"
#include "tests/support/address_book_records.h"
#include "tests/support/scoped_variable.h"
#include "query/address_book.h"

namespace {

using address_book_test::Record;
using address_book_test::ScopedWorkingDirectory;
using vqtest::ScopedVariable;

std::string ReadBook() {
  CString text;
  EXPECT_TRUE(ReadAddressBookFile(text));
  return text.str();
}

TEST(AddressBookFileTest, TheWorkingDirectoryComesFirstThenTheUsersConfigurationFolder) {
  ScopedWorkingDirectory dir;  // XDG_CONFIG_HOME is its "config" folder
  CString text;
  EXPECT_FALSE(ReadAddressBookFile(text));  // neither file: the error
  EXPECT_EQ(AddressBookFilePath(), "address.ini");

  const std::string users = Record(0, "192.0.2.2", "the user's");
  dir.WriteUserAddressBook(users);
  EXPECT_EQ(ReadBook(), users);
  EXPECT_EQ(AddressBookFilePath().str(), (dir.configHome() / "quillmar" / "address.ini").string());

  const std::string here = Record(0, "192.0.2.1", "working directory");
  dir.Write(here);
  EXPECT_EQ(ReadBook(), here);
  EXPECT_EQ(AddressBookFilePath(), "address.ini");

  // An address.ini here that cannot be opened is reported, not passed over.
  std::filesystem::remove(dir.path() / "address.ini");
  std::filesystem::create_directory(dir.path() / "address.ini");
  EXPECT_FALSE(ReadAddressBookFile(text));
}

TEST(AddressBookFileTest, WithoutAnAbsoluteXdgConfigHomeTheHomeFoldersConfigIsUsed) {
  ScopedWorkingDirectory dir;
  const std::filesystem::path home = dir.path() / "home";
  const std::string inHome = Record(0, "192.0.2.3", "under ~/.config");
  std::filesystem::create_directories(home / ".config" / "quillmar");
  std::ofstream(home / ".config" / "quillmar" / "address.ini") << inHome;
  const ScopedVariable homeVariable("HOME", home.c_str());
  ScopedVariable xdg("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(ReadBook(), inHome);

  // A relative XDG_CONFIG_HOME is ignored, even where it would name a file.
  std::filesystem::create_directories(dir.path() / "relative" / "quillmar");
  std::ofstream(dir.path() / "relative" / "quillmar" / "address.ini") << Record(0, "192.0.2.4", "relative");
  xdg.Set("relative");
  EXPECT_EQ(ReadBook(), inHome);
  xdg.Set("");
  EXPECT_EQ(ReadBook(), inHome);

  // An absolute one is used, and a missing file there is not looked for elsewhere.
  xdg.Set((dir.path() / "relative").c_str());
  EXPECT_EQ(ReadBook(), Record(0, "192.0.2.4", "relative"));
  xdg.Set((dir.path() / "empty").c_str());
  CString text;
  EXPECT_FALSE(ReadAddressBookFile(text));
}

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

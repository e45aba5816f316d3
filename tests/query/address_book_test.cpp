#include "query/address_book.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/address_book_records.h"

namespace {

using address_book_test::Line;
using address_book_test::Record;

AddressBookSlots Parse(const std::string& text) { return ParseAddressBook(text.data(), static_cast<int>(text.size())); }

std::vector<CString> Listed(const std::string& text) { return AddressBookListLines(Parse(text)); }

TEST(AddressBookTest, RecordBecomesTrimmedAddressSpaceAndDescriptionInItsSlot) {
  const AddressBookSlots slots = Parse(Record(3, " \t 192.0.2.7\r\n ", "Test server seven = ") + "tail");
  for (int slot = 0; slot < kAddressBookSlots; ++slot) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(slots[static_cast<std::size_t>(slot)], slot == 3 ? "192.0.2.7 Test server seven = " : "");
  }
}

TEST(AddressBookTest, OnlyAddressesThatBeginWithAnAsciiDigitAreListed) {
  const std::string text = Record(0, "", "blank") + Record(1, "   \t\n", "white space only") +
                           Record(2, "game.example", "host name") + Record(3, " -1.2.3.4", "sign") +
                           Record(4, "\xB2.0.0.1", "Latin-1 superscript two") + Record(5, "9", "digit") +
                           Record(6, "0x7f.1", "leading zero digit");
  const AddressBookSlots slots = Parse(text);
  for (int slot = 0; slot <= 4; ++slot) EXPECT_EQ(slots[static_cast<std::size_t>(slot)], "") << slot;
  EXPECT_EQ(slots[5].str(), Line("9", "digit"));
  EXPECT_EQ(slots[6].str(), Line("0x7f.1", "leading zero digit"));
}

TEST(AddressBookTest, MissingKeysLeaveTheirSlotsEmpty) {
  // White space at offset 18 and a short address: read from the position
  // before the text, every missing key would copy this record.
  const std::string text = Record(4, "127.0.0.1", "only record");
  ASSERT_EQ(text[18], ' ');
  const AddressBookSlots slots = Parse(text);
  for (int slot = 0; slot < kAddressBookSlots; ++slot) {
    EXPECT_EQ(slots[static_cast<std::size_t>(slot)].str(), slot == 4 ? Line("127.0.0.1", "only record") : "") << slot;
  }
  EXPECT_EQ(Listed(text).size(), 1u);
}

TEST(AddressBookTest, KeysAreFoundByTheirFirstOccurrenceCaseSensitively) {
  // "entry1" first occurs in entry0's unread gap, placed so that its address
  // field is entry0's description; the real entry1 record further on is never
  // seen. "entry2" first occurs inside a longer word; "ENTRY3" is not a key.
  std::string first = Record(0, "192.0.2.1", "198.51.100.77 = abc");
  first.replace(53, 6, "entry1");
  const std::string text = first + "my" + Record(2, "192.0.2.2", "in a word") + Record(1, "192.0.2.99", "later") +
                           "ENTRY3" + std::string(13, ' ') + "192.0.2.3";
  const AddressBookSlots slots = Parse(text);
  EXPECT_EQ(slots[0].str(), Line("192.0.2.1", "198.51.100.77 = abc"));
  EXPECT_EQ(slots[1].Left(18), "198.51.100.77 = a ");
  EXPECT_EQ(slots[2].str(), Line("192.0.2.2", "in a word"));
  EXPECT_EQ(slots[3], "");
}

TEST(AddressBookTest, FieldsRunAcrossLineEndsAndStopAtTheEndOfTheText) {
  // A description shorter than its field carries the line end and the start
  // of the next record.
  const std::string record = "entry0" + std::string(13, '-') + "192.0.2.10" + std::string(7, ' ') +
                             std::string(34, '.') + "\r\n" + "Short=x\r\nentry1";
  ASSERT_EQ(record.find("Short"), 72u);
  EXPECT_EQ(Parse(record + "=..............")[0], "192.0.2.10 Short=x\r\nentry1=....");

  // The end of the text cuts the description, the address, or leaves nothing.
  EXPECT_EQ(Parse(record.substr(0, 75))[0], "192.0.2.10 Sho");
  EXPECT_EQ(Parse(record.substr(0, 72))[0], "192.0.2.10 ");
  EXPECT_EQ(Parse(record.substr(0, 25))[0], "192.0. ");
  EXPECT_EQ(Parse(record.substr(0, 19))[0], "");
  EXPECT_EQ(Parse("entry0")[0], "");
}

TEST(AddressBookTest, AnyBytesAndEmptyOrMissingTextAreHandled) {
  EXPECT_EQ(Parse("")[0], "");
  EXPECT_EQ(ParseAddressBook(nullptr, 100)[0], "");
  EXPECT_EQ(ParseAddressBook("entry0", -1)[0], "");
  std::string withNul = Record(0, "1.2.3.4", std::string("a\0b", 3));
  EXPECT_EQ(Parse(withNul)[0].GetLength(), static_cast<int>(std::string("1.2.3.4 ").size()) + 20);
}

TEST(AddressBookTest, TextEndsBeforeTheFirstNul) {
  const char bytes[] = {'e', 'n', 't', 'r', 'y', '\0', '0', 'x'};
  EXPECT_EQ(AddressBookText(bytes, 8), "entry");
  EXPECT_EQ(AddressBookText(bytes + 5, 3), "");
  EXPECT_EQ(AddressBookText(bytes, 5), "entry");
  EXPECT_EQ(AddressBookText(bytes, 0), "");
  EXPECT_EQ(AddressBookText(nullptr, 8), "");
  const char high[] = {'\xFF', '\x01', 'a'};
  EXPECT_EQ(AddressBookText(high, 3).str(), std::string(high, 3));
}

TEST(AddressBookTest, ListLinesComeInTheListBoxOrderWithDuplicatesKept) {
  const std::string text = Record(0, "203.0.113.5", "b") + Record(1, "198.51.100.2", "z") +
                           Record(2, "203.0.113.5", "b") + Record(3, "10.0.0.1", "x") + Record(4, "198.51.100.2", "Y") +
                           Record(5, "10.0.0.1", "X");
  const std::vector<CString> lines = Listed(text);
  const std::vector<std::string> expected = {"10.0.0.1 x",     "10.0.0.1 X",    "198.51.100.2 Y",
                                             "198.51.100.2 z", "203.0.113.5 b", "203.0.113.5 b"};
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // Descriptions are padded to 20 characters; compare without the padding.
    CString line = lines[i];
    line.TrimRight();
    EXPECT_EQ(line.str(), expected[i]) << i;
  }
}

TEST(AddressBookTest, AddressIsTheTextBeforeTheTwoCharactersThatPrecedeTheFirstEquals) {
  struct Case {
    const char* line;
    const char* address;
  };
  const Case cases[] = {
      {"", ""},
      {"192.0.2.1 no equals sign", ""},
      {"=", ""},
      {"a=bc", ""},
      {"ab=c", ""},
      {"abc=d", "a"},
      {"192.0.2.1 Test server=x", "192.0.2.1 Test serv"},
      {"192.0.2.1    = Test", "192.0.2.1"},
      {"192.0.2.1 \t\r\n = Test", "192.0.2.1"},
      {"192.0.2.1 =Test", "192.0.2."},            // "=" first in the description costs a character
      {"192.0.2=1 Test = x", "192.0"},            // an "=" in the address cuts it short
      {"  192.0.2.1    = a = b", "  192.0.2.1"},  // leading white space stays
  };
  for (const Case& c : cases) EXPECT_EQ(AddressFromListLine(c.line), c.address) << '"' << c.line << '"';
}

TEST(AddressBookTest, RecordsFollowingTheEqualsConventionGiveBackTheirWholeAddress) {
  const char* addresses[] = {"1.2.3.4", "127.0.0.1", "255.255.255.255", "12345678901234567"};
  for (const char* address : addresses) {
    const std::string text = Record(0, address, "  = Some server");
    const CString line = Parse(text)[0];
    ASSERT_FALSE(line.IsEmpty()) << address;
    EXPECT_EQ(AddressFromListLine(line), address);
  }
}

}  // namespace

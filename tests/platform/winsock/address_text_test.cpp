// The program's own reading of address texts, the same on every system.
#include "platform/winsock/address_text.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

TEST(AddressText, DottedQuadsAreDecimalAndNothingElseIsOne) {
  EXPECT_EQ(winsock::DottedQuadAddress("127.0.0.1"), 0x0100007Fu);
  EXPECT_EQ(winsock::DottedQuadAddress("0177.0.0.1"), 0x010000B1u);  // 177, never octal
  for (const char* text : {"127.1", "10.1", "2130706433", "0x7f.0.0.1", "127.0.0.1 x", "127.0.0.256", "1.2.3.4.",
                           " 1.2.3.4", "", "255.255.255.255"}) {
    EXPECT_EQ(winsock::DottedQuadAddress(text), kNone) << '"' << text << '"';
  }
  EXPECT_EQ(winsock::DottedQuadAddress(nullptr), kNone);
}

TEST(AddressText, NumberFormsAreTheLenientReadersAddresses) {
  for (const char* text : {"127.1", "10.1", "2130706433", "0x7f.0.0.1", "0x7f", "0XFF.1.", "0177.0.0.1", "0x"}) {
    EXPECT_TRUE(winsock::IsNumberForm(text)) << '"' << text << '"';
  }
  for (const char* text : {"", ".", "1.2.3.4.5", "1..2", "0x7g", "x7f", "localhost", "0xcafe.example", "1.2.3.4 x"}) {
    EXPECT_FALSE(winsock::IsNumberForm(text)) << '"' << text << '"';
  }
}

TEST(AddressText, TextsNoDnsNameCanBe) {
  for (const char* text : {"a..b", ".a", "-a.b", "a b", "127.0.0.1:6971", "[127.0.0.1]", "1.2.3.4.5", "10.1", "",
                           "caf\xC3\xA9.example", "example.123."}) {
    EXPECT_TRUE(winsock::CannotBeDnsName(text)) << '"' << text << '"';
  }
  for (const char* text : {"localhost", "quillmar-first.test", "host_1.example.", "0x7f", "1.2.3.a"}) {
    EXPECT_FALSE(winsock::CannotBeDnsName(text)) << '"' << text << '"';
  }
}

}  // namespace

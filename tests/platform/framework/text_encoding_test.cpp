#include "platform/framework/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using framework::DisplayTextToUtf8;

TEST(DisplayTextToUtf8, ValidUtf8IsKeptAsItIs) {
  for (const std::string text : {"", "127.0.0.1  = Local demo", "Caf\xC3\xA9 M\xC3\xBCnchen", "\xE2\x82\xAC 5",
                                 "\xF0\x9F\x8F\x81 flag", "\xEF\xBF\xBF", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_EQ(DisplayTextToUtf8(text), text);
  }
}

TEST(DisplayTextToUtf8, OtherBytesAreWindows1252OrLatin1WhereThatHasNoCharacter) {
  EXPECT_EQ(DisplayTextToUtf8("Caf\xE9 M\xFCnchen"), "Caf\xC3\xA9 M\xC3\xBCnchen");
  EXPECT_EQ(DisplayTextToUtf8("\x80\x85\x99\x9F"), "\xE2\x82\xAC\xE2\x80\xA6\xE2\x84\xA2\xC5\xB8");
  // 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no Windows-1252 character.
  EXPECT_EQ(DisplayTextToUtf8("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
  EXPECT_EQ(DisplayTextToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));  // NUL and ASCII stay
}

TEST(DisplayTextToUtf8, IllFormedSequencesFallBackByteByByte) {
  const struct {
    const char* bytes;
    const char* shown;
  } cases[] = {
      {"\xC3", "\xC3\x83"},                                              // a lead byte at the end
      {"\xC3(", "\xC3\x83("},                                            // a lead byte without continuation
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                                  // an overlong form
      {"\xE0\x80\xAF", "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},                  // overlong in three bytes
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},                  // a surrogate
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},  // beyond U+10FFFF
      {"\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},                              // cut short
      {"\xA9\xC3\xA9", "\xC2\xA9\xC3\xA9"},                              // a stray continuation, then a valid character
  };
  for (const auto& c : cases) EXPECT_EQ(DisplayTextToUtf8(c.bytes), c.shown) << c.bytes;
}

// Whatever the bytes, the result is UTF-8 that shows as itself.
TEST(DisplayTextToUtf8, AnyBytesGiveUtf8ThatIsItsOwnDisplay) {
  std::string all;
  for (int b = 0; b <= 0xFF; ++b) all.push_back(static_cast<char>(b));
  const std::string shown = DisplayTextToUtf8(all);
  EXPECT_EQ(DisplayTextToUtf8(shown), shown);
}

}  // namespace

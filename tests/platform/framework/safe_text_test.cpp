// Text from outside the program as both the console and the window show it:
// nothing that moves, hides or reorders text, and nothing drawn as an empty box.
#include "platform/framework/safe_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using framework::SafeDisplayText;
using framework::WhiteSpaceControls;

const std::string kMark(framework::kReplacementCharacter);

TEST(SafeDisplayText, ControlsBidiControlsAndInvisibleCharactersShowAsTheReplacementCharacter) {
  const struct {
    const char* what;
    std::string bytes;
    int characters;
  } cases[] = {
      {"NUL, ESC and DEL", std::string("\0\x1B\x7F", 3), 3},
      {"tab, line feed, carriage return", "\t\n\r", 3},
      {"C1 controls in UTF-8", "\xC2\x80\xC2\x85\xC2\x9B\xC2\x9F", 4},
      {"Windows-1252 bytes without a character", "\x81\x8D\x8F\x90\x9D", 5},
      {"line and paragraph separators", "\xE2\x80\xA8\xE2\x80\xA9", 2},
      // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
      {"right-to-left override and other embeddings", "\xE2\x80\xAE\xE2\x80\xAA\xE2\x80\xAC", 3},
      {"isolates", "\xE2\x81\xA6\xE2\x81\xA9", 2},
      {"direction marks", "\xE2\x80\x8E\xE2\x80\x8F\xD8\x9C", 3},
      {"zero-width space, joiners, word joiner", "\xE2\x80\x8B\xE2\x80\x8C\xE2\x80\x8D\xE2\x81\xA0", 4},
      {"byte order mark, soft hyphen, Hangul filler", "\xEF\xBB\xBF\xC2\xAD\xE3\x85\xA4", 3},
      {"a tag character", "\xF3\xA0\x81\x81", 1},
  };
  for (const auto& c : cases) {
    std::string marks;
    for (int i = 0; i < c.characters; ++i) marks += kMark;
    EXPECT_EQ(SafeDisplayText("<" + c.bytes + ">"), "<" + marks + ">") << c.what;
  }
  // What the override would have reversed reads as sent.
  // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
  EXPECT_EQ(SafeDisplayText("\xE2\x80\xAElive"), kMark + "live");
}

TEST(SafeDisplayText, TextOfAnyScriptAndWindows1252CharactersShowAsTheyAre) {
  // Letters, an ideograph, a combining accent, a red heart with its emoji
  // variation selector, Hebrew letters, a no-break space.
  const std::string text =
      "Caf\xC3\xA9 \xE6\x9D\xB1 e\xCC\x81 \xE2\x9D\xA4\xEF\xB8\x8F \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\xC2\xA0!";
  EXPECT_EQ(SafeDisplayText(text), text);
  EXPECT_EQ(SafeDisplayText("M\xFCnchen \x80 \x85"), "M\xC3\xBCnchen \xE2\x82\xAC \xE2\x80\xA6");
}

TEST(SafeDisplayText, ListLinesShowTabsAndLineEndsAsBlanksAndStillReplaceTheRest) {
  // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
  EXPECT_EQ(SafeDisplayText("a\r\nb\tc\xC2\x85"
                            "d\xE2\x80\xA8"
                            "e\x1B\xE2\x80\xAE"
                            "f\x81",
                            WhiteSpaceControls::kAsSpaces),
            "a  b c d e" + kMark + kMark + "f" + kMark);
}

// Whatever the bytes, what shows is UTF-8 that shows as itself.
TEST(SafeDisplayText, AnyBytesGiveTextThatIsItsOwnSafeForm) {
  std::string all;
  for (int b = 0; b <= 0xFF; ++b) all.push_back(static_cast<char>(b));
  // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
  all += "\xE2\x80\xAE\xEF\xBB\xBF\xF0\x9F\x8F\x81";
  for (const WhiteSpaceControls whiteSpace : {WhiteSpaceControls::kReplaced, WhiteSpaceControls::kAsSpaces}) {
    const std::string shown = SafeDisplayText(all, whiteSpace);
    EXPECT_EQ(SafeDisplayText(shown), shown);
  }
}

}  // namespace

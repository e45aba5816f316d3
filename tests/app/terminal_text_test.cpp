// Text of servers on a terminal and in JSON: nothing reaches the terminal
// that could hide, reorder or move text, and columns count what shows.
#include "app/terminal_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/query_output.h"

namespace {

TEST(TerminalTextTest, ControlAndInvisibleFormatCharactersShowAsQuestionMarks) {
  // ESC, DEL, a C1 control (U+009B), a right-to-left override (U+202E), a
  // zero-width space (U+200B), a byte order mark (U+FEFF) and a line separator (U+2028).
  EXPECT_EQ(OnOneLine("a\x1B[2Jb\x7F"
                      "c\xC2\x9B"
                      "d\xE2\x80\xAE"
                      "e\xE2\x80\x8B"
                      "f\xEF\xBB\xBF"
                      "g\xE2\x80\xA8"),
            "a?[2Jb?c?d?e?f?g?");
  // Letters of any script stay.
  EXPECT_EQ(OnOneLine("Caf\xC3\xA9 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x8F\x81"),
            "Caf\xC3\xA9 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x8F\x81");
}

TEST(TerminalTextTest, WideCharactersTakeTwoColumnsAndCombiningMarksNone) {
  EXPECT_EQ(DisplayWidth("abc"), 3u);
  EXPECT_EQ(DisplayWidth("\xE6\x9D\xB1\xE4\xBA\xAC"), 4u);  // two CJK ideographs
  EXPECT_EQ(DisplayWidth("e\xCC\x81"), 1u);                 // e and a combining acute accent
  EXPECT_EQ(DisplayWidth("\xC3\xA9"), 1u);
}

TEST(TerminalTextTest, JsonEscapesEverythingUnsafeAndKeepsTheRest) {
  EXPECT_EQ(JsonEscaped("q\"b\\n\nt\t\x01\x7F\xC2\x9B\xE2\x80\xAE\xC3\xA9"),
            "q\\\"b\\\\n\\nt\\t\\u0001\\u007f\\u009b\\u202e\xC3\xA9");
}

// Columns stay aligned when a host name is written in a wide script.
TEST(TerminalTextTest, TableColumnsAlignOverWideCharacters) {
  QueryOutcome wide;
  wide.strAddress = "127.0.0.1";
  wide.strHost = "\xE6\x9D\xB1\xE4\xBA\xAC";  // two ideographs, four columns
  wide.strTrack = "T";
  wide.rttMicroseconds = 1000;
  wide.strPing = "1";
  QueryOutcome plain = wide;
  plain.strHost = "abcd";
  const std::string table = QueryResultTable({wide, plain});
  const std::size_t firstEnd = table.find('\n');
  const std::size_t secondEnd = table.find('\n', firstEnd + 1);
  const std::string wideLine = table.substr(firstEnd + 1, secondEnd - firstEnd - 1);
  const std::string plainLine = table.substr(secondEnd + 1, table.find('\n', secondEnd + 1) - secondEnd - 1);
  EXPECT_EQ(DisplayWidth(wideLine), DisplayWidth(plainLine)) << table;
}

}  // namespace

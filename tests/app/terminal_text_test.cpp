// Text of servers on a terminal and in JSON: nothing reaches the terminal
// that could hide, reorder or move text, and columns count what shows.
#include "app/terminal_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/query_output.h"

namespace {

// The console shows a server's text by the dialog's rule: U+FFFD for what
// could hide, reorder or move text.
TEST(TerminalTextTest, ControlAndInvisibleFormatCharactersShowAsTheReplacementCharacter) {
  // ESC, DEL, a C1 control (U+009B), a right-to-left override (U+202E), a
  // zero-width space (U+200B), a byte order mark (U+FEFF), a line separator
  // (U+2028) and a Windows-1252 byte without a character (0x81).
  // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
  EXPECT_EQ(ConsoleLine("a\x1B[2Jb\x7F"
                        "c\xC2\x9B"
                        "d\xE2\x80\xAE"
                        "e\xE2\x80\x8B"
                        "f\xEF\xBB\xBF"
                        "g\xE2\x80\xA8"
                        "h\x81"),
            "a\uFFFD[2Jb\uFFFDc\uFFFDd\uFFFDe\uFFFDf\uFFFDg\uFFFDh\uFFFD\n");
  // Letters of any script stay.
  EXPECT_EQ(ConsoleLine("Caf\xC3\xA9 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x8F\x81"),
            "Caf\xC3\xA9 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x8F\x81\n");
}

TEST(TerminalTextTest, WideCharactersTakeTwoColumnsAndCombiningMarksNone) {
  EXPECT_EQ(DisplayWidth("abc"), 3u);
  EXPECT_EQ(DisplayWidth("\xE6\x9D\xB1\xE4\xBA\xAC"), 4u);  // two CJK ideographs
  EXPECT_EQ(DisplayWidth("e\xCC\x81"), 1u);                 // e and a combining acute accent
  EXPECT_EQ(DisplayWidth("\xC3\xA9"), 1u);
  EXPECT_EQ(DisplayWidth("\xF0\x9F\x8F\x8E\xEF\xB8\x8F"), 2u);  // a racing car and its emoji selector
  EXPECT_EQ(DisplayWidth("\xF0\x9F\x9A\x97"), 2u);              // an automobile
}

TEST(TerminalTextTest, JsonEscapesEverythingUnsafeAndKeepsTheRest) {
  // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
  EXPECT_EQ(JsonEscaped("q\"b\\n\nt\t\x01\x7F\xC2\x9B\xE2\x80\xAE\xC3\xA9"),
            "q\\\"b\\\\n\\nt\\t\\u0001\\u007f\\u009b\\u202e\xC3\xA9");
  // A hidden character beyond the first plane (a tag letter) is a surrogate pair.
  EXPECT_EQ(JsonEscaped("x\xF3\xA0\x81\x81y"), "x\\udb40\\udc41y");
}

TEST(TerminalTextTest, LongTextsAreCutToTheirColumnsWithAnEllipsis) {
  EXPECT_EQ(CutToWidth("abcdef", 6), "abcdef");
  EXPECT_EQ(CutToWidth("abcdefg", 6), "abcde\u2026");
  // Ideographs take two columns: two and the ellipsis fit five, not three.
  EXPECT_EQ(CutToWidth("\xE6\x9D\xB1\xE4\xBA\xAC\xE6\x9D\xB1", 5), "\xE6\x9D\xB1\xE4\xBA\xAC\u2026");
  EXPECT_EQ(CutToWidth("\xE6\x9D\xB1\xE4\xBA\xAC\xE6\x9D\xB1", 4), "\xE6\x9D\xB1\u2026");
  // A combining accent stays with its letter.
  EXPECT_EQ(CutToWidth("e\xCC\x81"
                       "e\xCC\x81"
                       "e\xCC\x81",
                       3),
            "e\xCC\x81"
            "e\xCC\x81"
            "e\xCC\x81");
  EXPECT_EQ(CutToWidth("e\xCC\x81"
                       "e\xCC\x81"
                       "e\xCC\x81",
                       2),
            "e\xCC\x81\u2026");
}

// Columns stay aligned when a host name is written in a wide script.
TEST(TerminalTextTest, TableColumnsAlignOverWideCharacters) {
  QueryOutcome wide;
  wide.strAddress = "127.0.0.1";
  wide.m_strHost = "\xE6\x9D\xB1\xE4\xBA\xAC";  // two ideographs, four columns
  wide.m_strTrack = "T";
  wide.rttMicroseconds = 1000;
  wide.m_strPing = "1";
  QueryOutcome plain = wide;
  plain.m_strHost = "abcd";
  const CResultTable table({wide.strAddress, plain.strAddress});
  EXPECT_EQ(DisplayWidth(table.Row(wide)), DisplayWidth(table.Row(plain))) << table.Row(wide);
}

// One 5,000-character address or server text must not widen every row of
// the table; JSON keeps every byte.
TEST(TerminalTextTest, LongCellsAreCutInTheTableAndKeptWholeInJson) {
  QueryOutcome huge;
  huge.strAddress = CString(std::string(5000, '7'));
  huge.m_strHost = CString(std::string(300, 'h'));
  huge.m_strTrack = CString(std::string(200, 'x') + "\xE6\x9D\xB1");
  huge.m_strPlayers = CString(std::string(100, 'p'));
  huge.m_strSession = CString(std::string(100, 's'));
  QueryOutcome plain;
  plain.strAddress = "127.0.0.1";
  plain.m_strHost = "Host";
  const CResultTable rows({huge.strAddress, plain.strAddress});
  const std::string table = rows.Header() + '\n' + rows.Row(huge) + '\n' + rows.Row(plain);
  for (const std::string& line : {rows.Header(), rows.Row(huge), rows.Row(plain)}) {
    EXPECT_LT(DisplayWidth(line), 200u) << line;
  }
  EXPECT_EQ(table.find(std::string(40, '7')), std::string::npos);
  EXPECT_NE(table.find(std::string(39, '7') + "\u2026"), std::string::npos) << table;
  EXPECT_NE(table.find(std::string(31, 'h') + "\u2026"), std::string::npos) << table;

  CJsonArrayText array;
  std::string json = array.Next(huge);
  json += array.Next(plain);
  EXPECT_NE(json.find('"' + std::string(5000, '7') + '"'), std::string::npos);
  EXPECT_NE(json.find('"' + std::string(200, 'x') + "\xE6\x9D\xB1\""), std::string::npos);
}

}  // namespace

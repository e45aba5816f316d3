#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/framework/cstring.h"

namespace {

TEST(CStringTrim, RemovesExactlyTheSixWhiteSpaceCharacters) {
  CString text(" \t\n\v\f\r 10.0.0.1 \r\f\v\n\t ");
  text.TrimRight();
  EXPECT_EQ(text, " \t\n\v\f\r 10.0.0.1");
  text.TrimLeft();
  EXPECT_EQ(text, "10.0.0.1");

  for (const char* kept : {"\xA0x\xA0", "\x85x\x85", "\x1Cx\x1C", "\x08x\x7F"}) {
    CString other(kept);
    other.TrimLeft();
    other.TrimRight();
    EXPECT_EQ(other, kept) << kept;
  }
  CString blank(" \t\r\n");
  blank.TrimRight();
  EXPECT_TRUE(blank.IsEmpty());
}

TEST(CStringFind, CaseSensitiveFirstOccurrence) {
  const CString text("entry1 entry1 Entry2");
  EXPECT_EQ(text.Find("entry1"), 0);
  EXPECT_EQ(text.Find("entry1", 1), 7);
  EXPECT_EQ(text.Find("entry2"), -1);
  EXPECT_EQ(text.Find("Entry2"), 14);
  EXPECT_EQ(text.Find('='), -1);
  EXPECT_EQ(text.Find("entry1", 100), -1);
}

// Ordered containers of texts key by content: copies are one key.
TEST(CStringOrder, ByContentNotByWhereTheTextIsKept) {
  std::map<CString, int> seen;
  for (const char* text : {"beta", "alpha", "beta", "alpha"}) ++seen[CString(text)];
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen.begin()->first, "alpha");
  EXPECT_EQ(seen.begin()->second, 2);
  EXPECT_LT(CString("a\xE9"), CString("b"));
  EXPECT_GT(CString("ab"), CString("a"));
}

TEST(CStringFormat, LongTextsAndErrorMessages) {
  const std::string longText(10000, 'x');
  CString formatted;
  formatted.Format("[%s]", longText.c_str());
  ASSERT_EQ(formatted.GetLength(), 10002);
  EXPECT_EQ(formatted[10001], ']');
  formatted.Format("%s error #%d", "Receive", 10060);
  EXPECT_EQ(formatted, "Receive error #10060");
  formatted.Format("%d.%d.%d.%d", 192, 168, 1, 2);
  EXPECT_EQ(formatted, "192.168.1.2");
}

TEST(CStringSubstrings, ClampToTheText) {
  const CString text("abcdef");
  EXPECT_EQ(text.Left(3), "abc");
  EXPECT_EQ(text.Left(100), "abcdef");
  EXPECT_TRUE(text.Left(-2).IsEmpty());
  EXPECT_EQ(text.Mid(4), "ef");
  EXPECT_TRUE(text.Mid(10).IsEmpty());
  EXPECT_EQ(text.Mid(2, 100), "cdef");
  EXPECT_EQ(text.Mid(-3, 2), "ab");
}

TEST(CStringLoad, RegisteredAndUnknownIds) {
  framework::RegisterStringResource(61001, "Ping Timed Out");
  CString text("before");
  EXPECT_TRUE(text.LoadString(61001));
  EXPECT_EQ(text, "Ping Timed Out");
  EXPECT_FALSE(text.LoadString(61999));
  EXPECT_EQ(text, "Ping Timed Out");
}

TEST(CStringBytes, HighBytesSurviveEveryOperation) {
  std::string all;
  for (int b = 0x80; b <= 0xFF; ++b) all += static_cast<char>(b);
  CString text(all.c_str());
  ASSERT_EQ(text.GetLength(), 128);
  text += "AZ";
  text.MakeLower();
  EXPECT_EQ(text.str(), all + "az");
  text.SetAt(0, 'Q');
  EXPECT_EQ(static_cast<unsigned char>(text[1]), 0x81);
  EXPECT_EQ(text.Find("\xFF"), 127);
}

TEST(CStringBuffer, WriteThroughGetBufferThenRelease) {
  CString text;
  char* buffer = text.GetBuffer(16);
  std::snprintf(buffer, 16, "%s", "hello");
  text.ReleaseBuffer();
  EXPECT_EQ(text.GetLength(), 5);
  EXPECT_EQ(text, "hello");
  EXPECT_THROW(text.SetAt(5, 'x'), std::out_of_range);
}

}  // namespace

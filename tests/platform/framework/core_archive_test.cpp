#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core_test_helpers.h"
#include "platform/framework/afx.h"
#include "tests/support/memory_file.h"

namespace {

using Bytes = std::vector<BYTE>;
using core_test::CauseThrown;

Bytes Stored(void (*store)(CArchive&)) {
  vqtest::MemoryFile file;
  {
    CArchive ar(&file, CArchive::store);
    store(ar);
    ar.Close();
  }
  return file.Contents();
}

CString Text(int length) {
  std::string text(static_cast<std::size_t>(length), '\0');
  for (int i = 0; i < length; ++i) text[static_cast<std::size_t>(i)] = static_cast<char>(i * 7 + 3);
  return CString(std::string_view(text));
}

struct StringForm {
  int length;
  Bytes prefix;
};

class ArchiveStringForm : public ::testing::TestWithParam<StringForm> {};

TEST_P(ArchiveStringForm, StoresPrefixThenCharactersAndLoadsBack) {
  const StringForm& form = GetParam();
  const CString original = Text(form.length);
  vqtest::MemoryFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << original;
  }  // the destructor writes the buffer out
  const Bytes bytes = file.Contents();
  ASSERT_EQ(bytes.size(), form.prefix.size() + static_cast<std::size_t>(form.length));
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(form.prefix.size())), form.prefix);
  EXPECT_EQ(0, std::memcmp(bytes.data() + form.prefix.size(), original.str().data(), original.str().size()));

  file.SeekToBegin();
  CArchive in(&file, CArchive::load);
  CString loaded("old");
  in >> loaded;
  EXPECT_EQ(loaded, original);
  BYTE extra = 0;
  EXPECT_EQ(in.Read(&extra, 1), 0u);
}

INSTANTIATE_TEST_SUITE_P(AllThreeForms, ArchiveStringForm,
                         ::testing::Values(StringForm{0, {0x00}}, StringForm{254, {0xFE}},
                                           StringForm{255, {0xFF, 0xFF, 0x00}}, StringForm{65533, {0xFF, 0xFD, 0xFF}},
                                           StringForm{65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                                           StringForm{70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}));

CString Load(const Bytes& bytes) {
  vqtest::MemoryFile file(bytes);
  CArchive ar(&file, CArchive::load);
  CString text("unchanged");
  ar >> text;
  return text;
}

TEST(ArchiveStringLoad, AcceptsLongerPrefixFormsForShortStrings) {
  EXPECT_EQ(Load({0xFF, 0x03, 0x00, 'a', 'b', 'c'}), "abc");
  EXPECT_EQ(Load({0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'}), "abc");
}

TEST(ArchiveStringLoad, RefusesWideMarkerAndImpossibleLengths) {
  EXPECT_EQ(CauseThrown<CArchiveException>([] {
              Load({0xFF, 0xFE, 0xFF, 0x01, 'a', 0});
            }),
            CArchiveException::badIndex);
  EXPECT_EQ(CauseThrown<CArchiveException>([] {
              Load({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
            }),
            CArchiveException::badIndex);
}

TEST(ArchiveStringLoad, HugeLengthMeetsTheEndWithoutTakingItsSize) {
  // 0x7FFFFFFF characters announced, three present.
  EXPECT_EQ(CauseThrown<CArchiveException>([] {
              Load({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b', 'c'});
            }),
            CArchiveException::endOfFile);
}

TEST(ArchiveTruncated, ThrowsEndOfFileInPrefixCharactersAndValues) {
  const std::vector<Bytes> truncated = {{}, {0xFF}, {0xFF, 0x00}, {0xFF, 0xFF, 0xFF, 0x00, 0x01}, {0x05, 'a', 'b'}};
  for (const Bytes& bytes : truncated) {
    EXPECT_EQ(CauseThrown<CArchiveException>([&] { Load(bytes); }), CArchiveException::endOfFile) << bytes.size();
  }
  const Bytes record = {0x01, 'x', 0x23, 0x00, 0x00};  // the 4-byte value lacks a byte
  vqtest::MemoryFile file(record);
  CArchive ar(&file, CArchive::load);
  CString text;
  DWORD value = 7;
  ar >> text;
  EXPECT_EQ(CauseThrown<CArchiveException>([&] { ar >> value; }), CArchiveException::endOfFile);
  EXPECT_EQ(value, 7u);
}

TEST(ArchiveTruncated, StringKeepsItsValueOnFailure) {
  const Bytes bytes = {0x05, 'a', 'b'};
  vqtest::MemoryFile file(bytes);
  CArchive ar(&file, CArchive::load);
  CString text("before");
  EXPECT_EQ(CauseThrown<CArchiveException>([&] { ar >> text; }), CArchiveException::endOfFile);
  EXPECT_EQ(text, "before");
}

TEST(ArchiveValues, AreLittleEndianAndLoadBack) {
  const Bytes bytes = Stored([](CArchive& ar) {
    ar << DWORD{0x12345678} << BYTE{0x80} << WORD{0xABCD} << LONG{-2} << 0x01020304 << 'z' << short{-3};
  });
  const Bytes expected = {0x78, 0x56, 0x34, 0x12, 0x80, 0xCD, 0xAB, 0xFE, 0xFF,
                          0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 'z',  0xFD, 0xFF};
  EXPECT_EQ(bytes, expected);

  vqtest::MemoryFile file(bytes);
  CArchive ar(&file, CArchive::load);
  DWORD dw = 0;
  BYTE by = 0;
  WORD word = 0;
  LONG longValue = 0;
  int i = 0;
  char c = 0;
  short s = 0;
  ar >> dw >> by >> word >> longValue >> i >> c >> s;
  EXPECT_EQ(dw, 0x12345678u);
  EXPECT_EQ(by, 0x80);
  EXPECT_EQ(word, 0xABCD);
  EXPECT_EQ(longValue, -2);
  EXPECT_EQ(i, 0x01020304);
  EXPECT_EQ(c, 'z');
  EXPECT_EQ(s, -3);
}

TEST(ArchiveValues, PingRecordExampleOfFourteenBytes) {
  const Bytes expected = {0x08, 0x31, 0x30, 0x2E, 0x30, 0x2E, 0x30, 0x2E, 0x31, 0x23, 0x00, 0x00, 0x00, 0x80};
  EXPECT_EQ(Stored([](CArchive& ar) { ar << CString("10.0.0.1") << DWORD{35} << BYTE{128}; }), expected);

  vqtest::MemoryFile file(expected);
  CArchive ar(&file, CArchive::load);
  CString address;
  DWORD roundTrip = 0;
  BYTE ttl = 0;
  ar >> address >> roundTrip >> ttl;
  EXPECT_EQ(address, "10.0.0.1");
  EXPECT_EQ(roundTrip, 35u);
  EXPECT_EQ(ttl, 128);
}

TEST(ArchiveModes, WrongDirectionAndClosedArchiveThrow) {
  vqtest::MemoryFile file;
  CArchive storing(&file, CArchive::store);
  EXPECT_TRUE(storing.IsStoring());
  BYTE b = 0;
  EXPECT_EQ(CauseThrown<CArchiveException>([&] { storing >> b; }), CArchiveException::writeOnly);
  storing.Close();
  EXPECT_EQ(CauseThrown<CArchiveException>([&] { storing << b; }), CArchiveException::generic);

  CArchive loading(&file, CArchive::load);
  EXPECT_TRUE(loading.IsLoading());
  EXPECT_EQ(CauseThrown<CArchiveException>([&] { loading << b; }), CArchiveException::readOnly);
}

TEST(ArchiveBuffering, WritesOnFlushAndHandlesDataLargerThanTheBuffer) {
  vqtest::MemoryFile file;
  CArchive ar(&file, CArchive::store, 16);
  ar << DWORD{1};
  EXPECT_EQ(file.GetLength(), 0u);
  ar.Flush();
  EXPECT_EQ(file.GetLength(), 4u);
  const CString big = Text(1000);
  for (int i = 0; i < 50; ++i) ar << BYTE(i) << big;
  ar.Close();

  file.SeekToBegin();
  CArchive in(&file, CArchive::load, 16);
  DWORD first = 0;
  in >> first;
  EXPECT_EQ(first, 1u);
  for (int i = 0; i < 50; ++i) {
    BYTE index = 0;
    CString text;
    in >> index >> text;
    ASSERT_EQ(index, i);
    ASSERT_EQ(text, big);
  }
  BYTE extra = 0;
  EXPECT_EQ(CauseThrown<CArchiveException>([&] { in >> extra; }), CArchiveException::endOfFile);
}

TEST(ArchiveBuffering, ClosingALoadingArchiveGivesUnreadBytesBack) {
  const Bytes bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  vqtest::MemoryFile file(bytes);
  CArchive ar(&file, CArchive::load);
  BYTE b = 0;
  ar >> b;
  ar.Close();
  EXPECT_EQ(file.GetPosition(), 1u);
}

}  // namespace

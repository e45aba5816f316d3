#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "core_test_helpers.h"
#include "platform/framework/afx.h"

namespace {

using core_test::CauseThrown;

TEST(MemFile, GrowsOnWriteAndReadsBack) {
  CMemFile file(4);
  for (int i = 0; i < 1000; ++i) {
    const BYTE b = static_cast<BYTE>(i);
    file.Write(&b, 1);
  }
  EXPECT_EQ(file.GetLength(), 1000u);
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  file.Seek(998, CFile::begin);
  BYTE tail[4] = {};
  EXPECT_EQ(file.Read(tail, 4), 2u);
  EXPECT_EQ(tail[1], static_cast<BYTE>(999));
  EXPECT_EQ(file.Read(tail, 4), 0u);
}

TEST(MemFile, SeekPastTheEndThenWriteFillsWithZeros) {
  CMemFile file;
  file.Write("ab", 2);
  EXPECT_EQ(file.Seek(3, CFile::current), 5);
  file.Write("z", 1);
  EXPECT_EQ(file.Contents(), (std::vector<BYTE>{'a', 'b', 0, 0, 0, 'z'}));
  EXPECT_EQ(CauseThrown<CFileException>([&] { file.Seek(-7, CFile::end); }), CFileException::badSeek);
  EXPECT_EQ(file.GetPosition(), 6u);
  file.SetLength(1);
  EXPECT_EQ(file.GetPosition(), 1u);
  EXPECT_EQ(file.GetLength(), 1u);
}

TEST(MemFile, StartsFromBytesAndRefusesFileOnlyOperations) {
  const BYTE bytes[] = {1, 2, 3};
  CMemFile file(bytes, sizeof(bytes));
  EXPECT_EQ(file.GetPosition(), 0u);
  EXPECT_EQ(file.GetLength(), 3u);
  CFileException error;
  EXPECT_FALSE(file.Open("anything", 0, &error));
  EXPECT_EQ(error.m_cause, CFileException::generic);
  EXPECT_EQ(CauseThrown<CFileException>([&] { file.LockRange(0, 1); }), CFileException::generic);
  EXPECT_EQ(CauseThrown<CFileException>([&] { delete file.Duplicate(); }), CFileException::generic);
  file.Close();
  EXPECT_EQ(file.GetLength(), 0u);
}

std::vector<CString> Forward(const CStringList& list) {
  std::vector<CString> items;
  for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) items.push_back(list.GetNext(pos));
  return items;
}

TEST(StringList, KeepsOrderAndWalksBothWays) {
  CStringList list;
  EXPECT_EQ(list.GetBlockSize(), 10);
  EXPECT_TRUE(list.IsEmpty());
  list.AddTail("b");
  list.AddTail(CString("c"));
  list.AddHead("a");
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(Forward(list), (std::vector<CString>{"a", "b", "c"}));
  std::vector<CString> backward;
  for (POSITION pos = list.GetTailPosition(); pos != nullptr;) backward.push_back(list.GetPrev(pos));
  EXPECT_EQ(backward, (std::vector<CString>{"c", "b", "a"}));
  EXPECT_EQ(list.GetHead(), "a");
  EXPECT_EQ(list.GetTail(), "c");
}

TEST(StringList, RemovesAndFinds) {
  CStringList list(4);
  for (const char* s : {"x", "y", "z", "y"}) list.AddTail(s);
  const POSITION first = list.Find("y");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(list.Find("y", first), list.FindIndex(3));
  EXPECT_EQ(list.Find("w"), nullptr);
  list.RemoveAt(first);
  EXPECT_EQ(Forward(list), (std::vector<CString>{"x", "z", "y"}));
  EXPECT_EQ(list.RemoveHead(), "x");
  EXPECT_EQ(list.RemoveTail(), "y");
  list.SetAt(list.GetHeadPosition(), "only");
  EXPECT_EQ(Forward(list), (std::vector<CString>{"only"}));
  EXPECT_EQ(list.FindIndex(1), nullptr);
  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_THROW(list.GetHead(), std::out_of_range);
  EXPECT_THROW(list.RemoveTail(), std::out_of_range);
  list.AddTail("again");  // usable after RemoveAll
  EXPECT_EQ(list.GetCount(), 1);
}

TEST(ByteArray, SizesAddsAndChecksIndexes) {
  CByteArray array;
  EXPECT_EQ(array.GetData(), nullptr);
  array.SetSize(3);
  EXPECT_EQ(array.GetSize(), 3);
  EXPECT_EQ(array[2], 0);
  array[1] = 0xAB;
  EXPECT_EQ(array.Add(0xCD), 3);
  EXPECT_EQ(array.GetUpperBound(), 3);
  const BYTE* data = array.GetData();
  EXPECT_EQ(data[1], 0xAB);
  EXPECT_EQ(data[3], 0xCD);
  EXPECT_THROW(array[4], std::out_of_range);
  EXPECT_THROW(array.SetAt(-1, 0), std::out_of_range);
  array.RemoveAll();
  EXPECT_EQ(array.GetSize(), 0);
}

}  // namespace

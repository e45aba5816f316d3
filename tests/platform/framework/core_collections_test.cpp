#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/framework/afx.h"

namespace {

std::vector<CString> Items(const CStringList& list) { return std::vector<CString>(list.begin(), list.end()); }

TEST(StringList, KeepsTheOrderOfAdditionUntilEmptied) {
  CStringList list;
  EXPECT_EQ(list.GetBlockSize(), 10);
  EXPECT_TRUE(list.IsEmpty());
  list.AddTail("b");
  list.AddTail(CString("a"));
  list.AddTail("b");
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(Items(list), (std::vector<CString>{"b", "a", "b"}));
  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty());
  list.AddTail("again");  // usable after RemoveAll
  EXPECT_EQ(Items(list), (std::vector<CString>{"again"}));
}

TEST(ByteArray, GrowsWithZerosAndGivesItsData) {
  CByteArray array;
  EXPECT_EQ(array.GetData(), nullptr);
  array.SetSize(3);
  EXPECT_EQ(array.GetSize(), 3);
  EXPECT_EQ(std::vector<BYTE>(array.GetData(), array.GetData() + 3), (std::vector<BYTE>{0, 0, 0}));
  array.GetData()[1] = 0xAB;
  array.SetSize(4);
  EXPECT_EQ(array.GetData()[1], 0xAB);
  EXPECT_EQ(array.GetData()[3], 0);
  EXPECT_THROW(array.SetSize(-1), std::out_of_range);
  array.SetSize(0);
  EXPECT_EQ(array.GetData(), nullptr);
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/global_memory.h"
#include "platform/kernel/last_error.h"
#include "tests/support/platform_seams/global_memory_seams.h"

namespace {

TEST(GlobalMemory, MovableBlockHasHandleDistinctFromAddressAndCountsLocks) {
  const int before = vqtest::LiveGlobalBlockCount();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(vqtest::LiveGlobalBlockCount(), before + 1);

  auto* p = static_cast<unsigned char*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  EXPECT_NE(static_cast<void*>(p), h);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(p[i], 0) << i;
  EXPECT_EQ(GlobalHandle(p), h);

  EXPECT_EQ(GlobalLock(h), p);  // second lock, same address
  EXPECT_TRUE(GlobalUnlock(h));
  SetLastError(99);
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));

  EXPECT_EQ(GlobalFree(h), nullptr);
  EXPECT_EQ(vqtest::LiveGlobalBlockCount(), before);
}

TEST(GlobalMemory, FixedBlockHandleIsItsAddress) {
  HGLOBAL h = GlobalAlloc(GPTR, 16);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalLock(h), h);
  EXPECT_EQ(GlobalHandle(h), h);
  std::memset(h, 0x5A, 16);  // the block is writable through its handle
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, UnknownHandlesAndPointersFail) {
  HGLOBAL h = GlobalAlloc(GHND, 8);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(GlobalFree(h), nullptr);

  SetLastError(0);
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_EQ(GlobalFree(h), h);  // a second free fails and hands the handle back
  int local = 0;
  EXPECT_EQ(GlobalHandle(&local), nullptr);
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
}

TEST(GlobalMemory, ZeroByteBlocksAreDistinct) {
  HGLOBAL a = GlobalAlloc(GMEM_MOVEABLE, 0);
  HGLOBAL b = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(GlobalLock(a), GlobalLock(b));
  GlobalFree(a);
  GlobalFree(b);
}

}  // namespace

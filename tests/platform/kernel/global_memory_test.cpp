#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/global_memory.h"
#include "platform/kernel/last_error.h"
#include "tests/support/platform_seams/global_memory_seams.h"

namespace {

TEST(GlobalMemory, MovableBlockHasHandleDistinctFromAddressAndCountsLocks) {
  const int before = vqtest::LiveGlobalBlockCount();
  HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
  ASSERT_NE(hMem, nullptr);
  EXPECT_EQ(vqtest::LiveGlobalBlockCount(), before + 1);

  auto* bytes = static_cast<unsigned char*>(GlobalLock(hMem));
  ASSERT_NE(bytes, nullptr);
  EXPECT_NE(static_cast<void*>(bytes), hMem);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(GlobalHandle(bytes), hMem);

  EXPECT_EQ(GlobalLock(hMem), bytes);  // second lock, same address
  EXPECT_TRUE(GlobalUnlock(hMem));
  SetLastError(99);
  EXPECT_FALSE(GlobalUnlock(hMem));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_FALSE(GlobalUnlock(hMem));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));

  EXPECT_EQ(GlobalFree(hMem), nullptr);
  EXPECT_EQ(vqtest::LiveGlobalBlockCount(), before);
}

TEST(GlobalMemory, FixedBlockHandleIsItsAddress) {
  HGLOBAL hMem = GlobalAlloc(GPTR, 16);
  ASSERT_NE(hMem, nullptr);
  EXPECT_EQ(GlobalLock(hMem), hMem);
  EXPECT_EQ(GlobalHandle(hMem), hMem);
  std::memset(hMem, 0x5A, 16);  // the block is writable through its handle
  EXPECT_FALSE(GlobalUnlock(hMem));
  EXPECT_EQ(GlobalFree(hMem), nullptr);
}

TEST(GlobalMemory, UnknownHandlesAndPointersFail) {
  HGLOBAL hMem = GlobalAlloc(GHND, 8);
  ASSERT_NE(hMem, nullptr);
  ASSERT_EQ(GlobalFree(hMem), nullptr);

  SetLastError(0);
  EXPECT_EQ(GlobalLock(hMem), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(GlobalUnlock(hMem));
  EXPECT_EQ(GlobalFree(hMem), hMem);  // a second free fails and hands the handle back
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

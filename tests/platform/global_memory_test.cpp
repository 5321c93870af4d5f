#include "platform/global_memory.h"

#include <gtest/gtest.h>
#include <cstring>

namespace sprocket {
namespace {

TEST(GlobalMemory, ZeroInitAllocationIsZeroedAndSized) {
  HGLOBAL block = GlobalAlloc(GHND, 1000);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 1000u);
  auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(bytes[i], 0) << i;
  GlobalUnlock(block);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, LocksAreCountedAndMatched) {
  HGLOBAL block = GlobalAlloc(GHND, 16);
  void* first = GlobalLock(block);
  void* second = GlobalLock(block);
  EXPECT_EQ(first, second);
  EXPECT_EQ(GlobalLockCount(block), 2);
  EXPECT_TRUE(GlobalUnlock(block));   // one lock remains
  EXPECT_FALSE(GlobalUnlock(block));  // none remain
  EXPECT_FALSE(GlobalUnlock(block));  // unbalanced unlock is harmless
  EXPECT_EQ(GlobalLockCount(block), 0);
  GlobalFree(block);
}

TEST(GlobalMemory, ReAllocKeepsHandleAndContentsAndZeroesGrowth) {
  HGLOBAL block = GlobalAlloc(GHND, 4);
  std::memcpy(GlobalLock(block), "abcd", 4);
  GlobalUnlock(block);

  EXPECT_EQ(GlobalReAlloc(block, 100000, GMEM_MOVEABLE | GMEM_ZEROINIT), block);
  EXPECT_EQ(GlobalSize(block), 100000u);
  auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
  EXPECT_EQ(std::memcmp(bytes, "abcd", 4), 0);
  for (int i = 4; i < 100000; ++i) ASSERT_EQ(bytes[i], 0) << i;
  GlobalUnlock(block);

  EXPECT_EQ(GlobalReAlloc(block, 2, GMEM_MOVEABLE), block);
  EXPECT_EQ(GlobalSize(block), 2u);
  bytes = static_cast<unsigned char*>(GlobalLock(block));
  EXPECT_EQ(bytes[0], 'a');
  EXPECT_EQ(bytes[1], 'b');
  GlobalUnlock(block);
  GlobalFree(block);
}

TEST(GlobalMemory, HandleFromLockedAddress) {
  HGLOBAL block = GlobalAlloc(GHND, 64);
  void* address = GlobalLock(block);
  EXPECT_EQ(GlobalHandle(address), block);
  GlobalUnlock(block);
  // After a reallocation the new address maps to the same handle.
  GlobalReAlloc(block, 1 << 20, GHND);
  address = GlobalLock(block);
  EXPECT_EQ(GlobalHandle(address), block);
  GlobalUnlock(block);
  GlobalFree(block);
  EXPECT_EQ(GlobalHandle(nullptr), nullptr);
}

TEST(GlobalMemory, NullHandlesAreHarmless) {
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
  EXPECT_FALSE(GlobalUnlock(nullptr));
  EXPECT_EQ(GlobalSize(nullptr), 0u);
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
  EXPECT_EQ(GlobalReAlloc(nullptr, 10, GHND), nullptr);
}

TEST(GlobalMemory, EmptyBlockIsValid) {
  HGLOBAL block = GlobalAlloc(GHND, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
  EXPECT_NE(GlobalLock(block), nullptr);
  GlobalUnlock(block);
  GlobalFree(block);
}

TEST(GlobalMemory, ImpossibleSizeFailsWithNull) {
  EXPECT_EQ(GlobalAlloc(GHND, SIZE_MAX - 4), nullptr);
  HGLOBAL block = GlobalAlloc(GHND, 8);
  EXPECT_EQ(GlobalReAlloc(block, SIZE_MAX - 4, GHND), nullptr);
  EXPECT_EQ(GlobalSize(block), 8u);  // unchanged after the failure
  GlobalFree(block);
}

TEST(GlobalBlockOwner, FreesOnDestructionAndMovesOwnership) {
  GlobalBlock owner = GlobalBlock::Allocate(32);
  ASSERT_TRUE(owner);
  EXPECT_EQ(owner.size(), 32u);
  {
    GlobalLockGuard<std::uint32_t> guard(owner.get());
    ASSERT_TRUE(guard);
    guard.get()[0] = 0xDEADBEEF;
    EXPECT_EQ(GlobalLockCount(owner.get()), 1);
  }
  EXPECT_EQ(GlobalLockCount(owner.get()), 0);

  GlobalBlock moved = std::move(owner);
  EXPECT_FALSE(owner);
  ASSERT_TRUE(moved);
  GlobalLockGuard<std::uint32_t> guard(moved.get());
  EXPECT_EQ(guard.get()[0], 0xDEADBEEFu);

  HGLOBAL released = GlobalBlock::Allocate(8).release();
  ASSERT_NE(released, nullptr);
  EXPECT_EQ(GlobalSize(released), 8u);  // still alive after the owner died
  GlobalFree(released);
}

}  // namespace
}  // namespace sprocket

// SPDX-License-Identifier: Zlib
// The allocator behind SDL's large pixel buffers: large blocks are mapped on
// their own and aligned, small ones stay with the C library, and moving a
// block across the threshold in either direction keeps its bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/LargeBlocks.h"

namespace {

void Fill(void* block, size_t size, uint8_t seed) {
  auto* bytes = static_cast<uint8_t*>(block);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
}

bool Holds(const void* block, size_t size, uint8_t seed) {
  const auto* bytes = static_cast<const uint8_t*>(block);
  for (size_t i = 0; i < size; ++i)
    if (bytes[i] != static_cast<uint8_t>(seed + i * 7)) return false;
  return true;
}

TEST(LargeBlocks, LargeBlocksAreAlignedZeroedAndFreed) {
  const size_t size = 1024 * 1024 * 4;  // a 1024 x 1024 RGBA surface
  void* block = LargeBlocks_Calloc(1024 * 1024, 4);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(LargeBlocks_IsLarge(block));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % kLargeBlockAlignment, 0u);
  const auto* bytes = static_cast<const uint8_t*>(block);
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[size / 2], 0);
  EXPECT_EQ(bytes[size - 1], 0);
  Fill(block, size, 3);
  EXPECT_TRUE(Holds(block, size, 3));
  LargeBlocks_Free(block);
  EXPECT_FALSE(LargeBlocks_IsLarge(block));
}

TEST(LargeBlocks, SmallBlocksStayWithTheCLibrary) {
  void* block = LargeBlocks_Malloc(kLargeBlockThreshold - 1);
  ASSERT_NE(block, nullptr);
  EXPECT_FALSE(LargeBlocks_IsLarge(block));
  LargeBlocks_Free(block);
  // A block from the C library itself (as SDL holds from before the switch)
  // is freed by the C library.
  void* fromLibrary = std::malloc(64);
  LargeBlocks_Free(fromLibrary);
  LargeBlocks_Free(nullptr);
  EXPECT_EQ(LargeBlocks_Calloc(SIZE_MAX / 2, 4), nullptr);  // the product overflows
}

TEST(LargeBlocks, ReallocKeepsTheBytesAcrossTheThreshold) {
  const size_t small = 4096, large = kLargeBlockThreshold * 3;
  void* block = LargeBlocks_Realloc(nullptr, small);
  ASSERT_NE(block, nullptr);
  Fill(block, small, 11);
  block = LargeBlocks_Realloc(block, large);  // small to large
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(LargeBlocks_IsLarge(block));
  EXPECT_TRUE(Holds(block, small, 11));
  Fill(block, large, 5);
  block = LargeBlocks_Realloc(block, large * 2);  // large to larger
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(LargeBlocks_IsLarge(block));
  EXPECT_TRUE(Holds(block, large, 5));
  void* shrunk = LargeBlocks_Realloc(block, small);  // large to small
  ASSERT_NE(shrunk, nullptr);
  EXPECT_FALSE(LargeBlocks_IsLarge(shrunk));
  EXPECT_FALSE(LargeBlocks_IsLarge(block));
  EXPECT_TRUE(Holds(shrunk, small, 5));
  LargeBlocks_Free(shrunk);
}

}  // namespace

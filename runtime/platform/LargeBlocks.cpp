// SPDX-License-Identifier: Zlib
#include "platform/LargeBlocks.h"

#include <SDL.h>
#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

struct LargeBlock {
  void* start;    // what callers hold, aligned to kLargeBlockAlignment
  void* mapping;  // the whole mapping, for munmap
  size_t mappedLength;
  size_t size;  // bytes asked for
};

// The few large blocks alive (a handful of surfaces), searched linearly.
std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}
std::vector<LargeBlock>& Registry() {
  static std::vector<LargeBlock> blocks;
  return blocks;
}

// Over-maps by one alignment so that an aligned start always fits; mapped
// memory reads as zero, which also serves calloc.
void* MapLarge(size_t size) {
  if (size > SIZE_MAX - kLargeBlockAlignment) return nullptr;
  size_t length = size + kLargeBlockAlignment;
  void* mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  uintptr_t aligned = (reinterpret_cast<uintptr_t>(mapping) + kLargeBlockAlignment - 1) & ~(kLargeBlockAlignment - 1);
  void* start = reinterpret_cast<void*>(aligned);
  size_t roundedSize = (size + kLargeBlockAlignment - 1) & ~(kLargeBlockAlignment - 1);
  // Only a hint: without huge pages the block is made of ordinary pages.
  madvise(start, roundedSize, MADV_HUGEPAGE);
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry().push_back(LargeBlock{start, mapping, length, size});
  return start;
}

// Removes a large block from the registry; false when it is not one.
bool TakeLarge(const void* block, LargeBlock* taken) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto& blocks = Registry();
  auto it = std::find_if(blocks.begin(), blocks.end(), [block](const LargeBlock& b) { return b.start == block; });
  if (it == blocks.end()) return false;
  *taken = *it;
  blocks.erase(it);
  return true;
}

}  // namespace

void* LargeBlocks_Malloc(size_t size) { return size >= kLargeBlockThreshold ? MapLarge(size) : std::malloc(size); }

void* LargeBlocks_Calloc(size_t count, size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  size_t total = count * size;
  return total >= kLargeBlockThreshold ? MapLarge(total) : std::calloc(count, size);
}

void LargeBlocks_Free(void* block) {
  if (!block) return;
  LargeBlock large;
  if (TakeLarge(block, &large))
    munmap(large.mapping, large.mappedLength);
  else
    std::free(block);
}

void* LargeBlocks_Realloc(void* block, size_t size) {
  if (!block) return LargeBlocks_Malloc(size);
  LargeBlock large;
  if (TakeLarge(block, &large)) {
    void* moved = LargeBlocks_Malloc(size);
    if (!moved) {  // the old block stays valid, as realloc promises
      std::lock_guard<std::mutex> lock(RegistryMutex());
      Registry().push_back(large);
      return nullptr;
    }
    std::memcpy(moved, block, std::min(size, large.size));
    munmap(large.mapping, large.mappedLength);
    return moved;
  }
  if (size < kLargeBlockThreshold) return std::realloc(block, size);
  void* moved = MapLarge(size);
  if (!moved) return nullptr;
  std::memcpy(moved, block, std::min(size, malloc_usable_size(block)));
  std::free(block);
  return moved;
}

bool LargeBlocks_IsLarge(const void* block) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  const auto& blocks = Registry();
  return std::any_of(blocks.begin(), blocks.end(), [block](const LargeBlock& b) { return b.start == block; });
}

void LargeBlocks_InstallForSdl() {
  SDL_SetMemoryFunctions(LargeBlocks_Malloc, LargeBlocks_Calloc, LargeBlocks_Realloc, LargeBlocks_Free);
}

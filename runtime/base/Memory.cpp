// SPDX-License-Identifier: Zlib
#include "base/Memory.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "base/Console.h"

namespace {

// Each block carries its size in front so that the total can be kept without a
// side table. 16 bytes keep the user block aligned for any type.
struct BlockHeader {
  size_t size;
  size_t reserved;
};
static_assert(sizeof(BlockHeader) == 16);

struct MemoryManagerState {
  std::atomic<int64_t> total{0};
  std::atomic<int64_t> allocations{0};
  // "MemoryManagerMutex": the counters are atomic, so the lock only serialises
  // the diagnostic dump against itself when several threads report at once.
  std::mutex mutex;
};

MemoryManagerState& State() {
  static MemoryManagerState state;
  return state;
}

[[noreturn]] void OutOfMemory(size_t size, const char* file, int line) {
  std::fprintf(stderr, "Out of memory: %zu bytes requested at %s:%d\n", size, file ? file : "?", line);
  std::abort();
}

}  // namespace

void* MemoryManager_Alloc(size_t size, const char* file, int line, bool clear) {
  if (size > SIZE_MAX - sizeof(BlockHeader)) OutOfMemory(size, file, line);
  void* raw = clear ? std::calloc(1, sizeof(BlockHeader) + size) : std::malloc(sizeof(BlockHeader) + size);
  if (!raw) OutOfMemory(size, file, line);
  auto* header = static_cast<BlockHeader*>(raw);
  header->size = size;
  State().total.fetch_add(static_cast<int64_t>(size), std::memory_order_relaxed);
  State().allocations.fetch_add(1, std::memory_order_relaxed);
  return header + 1;
}

void* MemoryManager_Realloc(void* block, size_t size, const char* file, int line) {
  if (!block) return MemoryManager_Alloc(size, file, line, false);
  if (size > SIZE_MAX - sizeof(BlockHeader)) OutOfMemory(size, file, line);
  auto* header = static_cast<BlockHeader*>(block) - 1;
  size_t oldSize = header->size;
  void* raw = std::realloc(header, sizeof(BlockHeader) + size);
  if (!raw) OutOfMemory(size, file, line);
  header = static_cast<BlockHeader*>(raw);
  header->size = size;
  State().total.fetch_add(static_cast<int64_t>(size) - static_cast<int64_t>(oldSize), std::memory_order_relaxed);
  State().allocations.fetch_add(1, std::memory_order_relaxed);
  return header + 1;
}

void MemoryManager_Free(void* block) {
  if (!block) return;
  auto* header = static_cast<BlockHeader*>(block) - 1;
  State().total.fetch_sub(static_cast<int64_t>(header->size), std::memory_order_relaxed);
  std::free(header);
}

int64_t MemoryManager_Total() { return State().total.load(std::memory_order_relaxed); }
int64_t MemoryManager_AllocationCount() { return State().allocations.load(std::memory_order_relaxed); }

void MemoryManager_DumpTotal() {
  std::lock_guard<std::mutex> lock(State().mutex);
  int64_t total = MemoryManager_Total();
  DebugConsole().Output("Total memory used = %d(0x%08lx) bytes\n", static_cast<int>(total),
                        static_cast<unsigned long>(total));
}

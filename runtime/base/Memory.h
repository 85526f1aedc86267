// SPDX-License-Identifier: Zlib
// The runtime's memory manager: every allocation of runtime records (strings,
// arrays, slot maps, instances) goes through these three operations so that the
// total in use can be reported, and each allocation is tagged with the source
// file and line that made it.
#pragma once

#include <cstddef>
#include <cstdint>

void* MemoryManager_Alloc(size_t size, const char* file, int line, bool clear);
void* MemoryManager_Realloc(void* block, size_t size, const char* file, int line);
void MemoryManager_Free(void* block);  // null is accepted

// Bytes handed out and not yet freed.
int64_t MemoryManager_Total();
// Allocations made since start (reallocations included).
int64_t MemoryManager_AllocationCount();
// Writes "Total memory used = %d(0x%08lx) bytes\n" to the debug console.
void MemoryManager_DumpTotal();

#define MM_ALLOC(size) MemoryManager_Alloc((size), __FILE__, __LINE__, false)
#define MM_CALLOC(size) MemoryManager_Alloc((size), __FILE__, __LINE__, true)
#define MM_REALLOC(block, size) MemoryManager_Realloc((block), (size), __FILE__, __LINE__)
#define MM_FREE(block) MemoryManager_Free(block)

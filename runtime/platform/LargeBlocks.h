// SPDX-License-Identifier: Zlib
// Memory for SDL's large pixel buffers (the window's frame buffer, the texture
// page's surface): blocks of a megabyte or more are mapped on their own,
// aligned to 2 MiB and offered to the kernel for transparent huge pages.
//
// Why: a fresh 4 KiB page costs one fault on first touch, and SDL clears every
// surface it makes, so a 1024 x 1024 page texture takes 1,024 faults at once.
// On virtual machines a fault can cost around ten microseconds: about 11 ms
// for that texture alone at start-up, against about 0.5 ms in huge pages.
// Where the kernel has no huge page to give, the block behaves as any other.
//
// Smaller blocks stay with the C library's allocator, which is also what SDL
// uses by default, so memory SDL took before the switch is freed correctly.
#pragma once

#include <cstddef>

// Routes SDL's allocations through these blocks; call before SDL starts. Safe
// to call more than once.
void LargeBlocks_InstallForSdl();

// The allocator itself, as SDL calls it (exposed for tests).
void* LargeBlocks_Malloc(size_t size);
void* LargeBlocks_Calloc(size_t count, size_t size);
void* LargeBlocks_Realloc(void* block, size_t size);
void LargeBlocks_Free(void* block);
// Whether a block is one of the separately mapped large blocks.
bool LargeBlocks_IsLarge(const void* block);

// Blocks of this many bytes or more are mapped on their own.
constexpr size_t kLargeBlockThreshold = size_t{1} << 20;
constexpr size_t kLargeBlockAlignment = size_t{2} << 20;

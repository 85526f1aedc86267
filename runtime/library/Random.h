// SPDX-License-Identifier: Zlib
// The runtime's random generator: WELL512 in its published 16-word form,
// seeded with 0 at start. choose draws from it.
#pragma once

#include <cstdint>

// Seeds the sixteen words: s = ((s * 214013 + 2531011) as a signed 32-bit
// value, shifted right by 16) AND 0x7FFFFFFF for each word in turn, starting
// from s = seed; the index goes back to 0.
void Random_SetSeed(uint32_t seed);
uint32_t Random_Seed();
// The next 32-bit word.
uint32_t Random_NextWord();

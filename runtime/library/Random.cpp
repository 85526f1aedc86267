// SPDX-License-Identifier: Zlib
#include "library/Random.h"

namespace {

constexpr int kStateWords = 16;
constexpr uint32_t kTemperingMask = 0xDA442D24u;
// The seed's linear congruential step.
constexpr uint32_t kSeedMultiplier = 214013u;
constexpr uint32_t kSeedIncrement = 2531011u;

struct RandomState {
  uint32_t words[kStateWords];
  uint32_t index;
  uint32_t seed;
  RandomState() { Seed(0); }
  void Seed(uint32_t s) {
    seed = s;
    int32_t v = static_cast<int32_t>(s);
    for (int i = 0; i < kStateWords; ++i) {
      int32_t step = static_cast<int32_t>(static_cast<uint32_t>(v) * kSeedMultiplier + kSeedIncrement);
      v = (step >> 16) & 0x7FFFFFFF;  // arithmetic shift of the signed value
      words[i] = static_cast<uint32_t>(v);
    }
    index = 0;
  }
};

RandomState& State() {
  static RandomState state;
  return state;
}

}  // namespace

void Random_SetSeed(uint32_t seed) { State().Seed(seed); }

uint32_t Random_Seed() { return State().seed; }

uint32_t Random_NextWord() {
  RandomState& s = State();
  uint32_t a = s.words[s.index];
  uint32_t c = s.words[(s.index + 13) & 15];
  uint32_t b = a ^ c ^ (a << 16) ^ (c << 15);
  c = s.words[(s.index + 9) & 15];
  c ^= c >> 11;
  a = s.words[s.index] = b ^ c;
  uint32_t d = a ^ ((a << 5) & kTemperingMask);
  s.index = (s.index + 15) & 15;
  a = s.words[s.index];
  s.words[s.index] = a ^ b ^ d ^ (a << 2) ^ (b << 18) ^ (c << 28);
  return s.words[s.index];
}

// SPDX-License-Identifier: Zlib
// Fuzz target: arbitrary bytes through the Ogg decoder, as the streaming
// code drives it: open, fill halves (one-shot and looping), rewind, read on.
#include <cstddef>
#include <cstdint>

#include "sound/OggDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static uint8_t half[16384];
  OggDecoder decoder;
  if (decoder.OpenMemory(data, size) != 0) return 0;
  // Bounded work per input: a few megabytes of PCM at most.
  for (int i = 0; i < 64; ++i) {
    if (decoder.Fill(half, sizeof half, false) < sizeof half) break;
  }
  if (decoder.Rewind()) {
    for (int i = 0; i < 8; ++i) decoder.Fill(half, sizeof half, true);
  }
  decoder.Read(half, 1000);
  return 0;
}

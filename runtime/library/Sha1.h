// SPDX-License-Identifier: Zlib
// SHA-1 (FIPS 180-4), only for the machine tag of secure map files: the tag
// must be the same on every run on one machine, not secret.
#pragma once

#include <cstddef>
#include <cstdint>

struct Sha1Digest {
  uint32_t words[5];  // H0..H4; the digest's bytes are these words, most significant byte first
};

Sha1Digest Sha1_Compute(const void* data, size_t size);

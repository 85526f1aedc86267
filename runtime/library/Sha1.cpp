// SPDX-License-Identifier: Zlib
#include "library/Sha1.h"

#include <cstring>

namespace {

constexpr size_t kBlockBytes = 64;

inline uint32_t RotateLeft(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

void ProcessBlock(uint32_t h[5], const uint8_t* block) {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i)
    w[i] = (uint32_t{block[4 * i]} << 24) | (uint32_t{block[4 * i + 1]} << 16) | (uint32_t{block[4 * i + 2]} << 8) |
           uint32_t{block[4 * i + 3]};
  for (int i = 16; i < 80; ++i) w[i] = RotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    uint32_t t = RotateLeft(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = RotateLeft(b, 30);
    b = a;
    a = t;
  }
  h[0] += a;
  h[1] += b;
  h[2] += c;
  h[3] += d;
  h[4] += e;
}

}  // namespace

Sha1Digest Sha1_Compute(const void* data, size_t size) {
  Sha1Digest digest = {{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u}};
  const uint8_t* p = static_cast<const uint8_t*>(data);
  size_t remaining = size;
  while (remaining >= kBlockBytes) {
    ProcessBlock(digest.words, p);
    p += kBlockBytes;
    remaining -= kBlockBytes;
  }
  // Padding: 0x80, zeros, then the message length in bits as a big-endian
  // 64-bit number; one or two final blocks.
  uint8_t tail[2 * kBlockBytes] = {};
  std::memcpy(tail, p, remaining);
  tail[remaining] = 0x80;
  size_t tailBytes = remaining + 1 + 8 <= kBlockBytes ? kBlockBytes : 2 * kBlockBytes;
  uint64_t bits = static_cast<uint64_t>(size) * 8;
  for (int i = 0; i < 8; ++i) tail[tailBytes - 1 - i] = static_cast<uint8_t>(bits >> (8 * i));
  for (size_t off = 0; off < tailBytes; off += kBlockBytes) ProcessBlock(digest.words, tail + off);
  return digest;
}

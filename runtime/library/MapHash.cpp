// SPDX-License-Identifier: Zlib
// CRC-32 of map keys. Short keys (the editor's keys are 2 to 13 bytes) go
// through a 256-entry table, one byte per step; long inputs through zlib,
// whose crc32 is the complement of this register (it complements on entry and
// on exit), so ~crc32(0, ...) is exactly our value.
#include "library/MapHash.h"

#include <zlib.h>

#include <cstring>

#include "base/Error.h"

namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;
// Below this length the table loop beats the call into zlib.
constexpr size_t kZlibThreshold = 64;

struct CrcTable {
  uint32_t entries[256];
  constexpr CrcTable() : entries() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i;
      for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ kPolynomial : r >> 1;
      entries[i] = r;
    }
  }
};
constexpr CrcTable kTable;

uint32_t CrcOfDouble(double d) {
  uint8_t bytes[sizeof(double)];
  std::memcpy(bytes, &d, sizeof(d));  // x86-64: least significant byte first
  return MapHash_Crc(bytes, sizeof(bytes));
}

}  // namespace

uint32_t MapHash_Crc(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (size >= kZlibThreshold) {
    uLong z = crc32(0L, Z_NULL, 0);
    // zlib takes at most a uInt per call.
    while (size > 0) {
      uInt chunk = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
      z = crc32(z, p, chunk);
      p += chunk;
      size -= chunk;
    }
    return ~static_cast<uint32_t>(z);
  }
  uint32_t r = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) r = (r >> 8) ^ kTable.entries[(r ^ p[i]) & 0xFF];
  return r;
}

uint32_t MapHash_Key(const DynValue* key) {
  switch (key->Kind()) {
    case KIND_STRING: {
      const char* chars = DynValue_Chars(key);
      return MapHash_Crc(chars ? chars : "", chars ? std::strlen(chars) : 0);
    }
    case KIND_NUMBER:
    case KIND_BOOL:
      return CrcOfDouble(key->real);
    case KIND_INT32:
      return CrcOfDouble(static_cast<double>(key->i32));
    case KIND_INT64:
      return CrcOfDouble(static_cast<double>(key->i64));
    case KIND_UNDEFINED:
      return 0;
    case KIND_UNSET:
      Runtime_Error("HASH argument is unset");
      return 0;
    default: {
      uint8_t bytes[8];
      std::memcpy(bytes, &key->i64, sizeof(bytes));
      return MapHash_Crc(bytes, sizeof(bytes));
    }
  }
}

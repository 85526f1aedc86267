// SPDX-License-Identifier: Zlib
// Bounds-checked reading of the game data file kept in memory.
//
// Every offset, count and length that the file gives is checked against the
// file's size before it is used. The checks subtract, never add
// (`len <= size - off`), so a huge value from a damaged file cannot wrap
// around and pass. Fields are read with memcpy because offsets in a damaged
// (or merely unusual) file need not be aligned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The whole file: its first byte is the first byte of the "FORM" magic, and
// every offset in the file counts from there.
struct FileView {
  const uint8_t* base = nullptr;
  size_t size = 0;

  // True when [off, off + len) lies inside the file.
  bool Has(size_t off, size_t len) const { return off <= size && len <= size - off; }
  // True when count elements of elementSize bytes fit from off on.
  bool HasArray(size_t off, uint64_t count, size_t elementSize) const {
    if (off > size) return false;
    if (elementSize == 0) return true;
    return count <= (size - off) / elementSize;
  }

  // Raw reads: the caller has checked the range with Has().
  uint32_t U32At(size_t off) const {
    uint32_t v;
    std::memcpy(&v, base + off, 4);
    return v;
  }
  uint16_t U16At(size_t off) const {
    uint16_t v;
    std::memcpy(&v, base + off, 2);
    return v;
  }
  float F32At(size_t off) const {
    float v;
    std::memcpy(&v, base + off, 4);
    return v;
  }

  // A string field: off points at the first character, the u32 byte length
  // stands in the four bytes before it, and a NUL follows the text. Returns
  // null when any part of that lies outside the file or the NUL is missing.
  const char* StringAt(size_t off) const {
    if (off < 4 || off >= size) return nullptr;
    uint32_t length = U32At(off - 4);
    if (length >= size - off) return nullptr;  // the NUL must be inside too
    if (base[off + length] != 0) return nullptr;
    return reinterpret_cast<const char*>(base + off);
  }
};

// Reads consecutive fields from a position in the file. A read past the end
// of the file makes the cursor fail (and return 0); a failed cursor stays
// failed, so a reader can read a whole record and test ok() once, before any
// value it read is used for more than arithmetic.
class DataCursor {
 public:
  DataCursor(const FileView& file, size_t pos) : file_(file), pos_(pos), ok_(file.Has(pos, 0)) {}

  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  const FileView& file() const { return file_; }
  // Bytes left between the cursor and the end of the file.
  size_t Remaining() const { return ok_ ? file_.size - pos_ : 0; }

  uint32_t U32() {
    if (!Take(4)) return 0;
    return file_.U32At(pos_ - 4);
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  bool Bool() { return U32() != 0; }
  float F32() {
    if (!Take(4)) return 0.0f;
    return file_.F32At(pos_ - 4);
  }
  uint16_t U16() {
    if (!Take(2)) return 0;
    return file_.U16At(pos_ - 2);
  }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  uint64_t U64() {
    uint64_t low = U32();
    uint64_t high = U32();
    return low | (high << 32);
  }
  // Moves on by n bytes.
  bool Skip(uint64_t n) {
    if (!ok_ || n > file_.size - pos_) return ok_ = false;
    pos_ += static_cast<size_t>(n);
    return true;
  }
  // Reads a count and checks that count elements of elementSize bytes follow.
  uint32_t Count(size_t elementSize) {
    uint32_t count = U32();
    if (ok_ && !file_.HasArray(pos_, count, elementSize)) ok_ = false;
    return ok_ ? count : 0;
  }
  // A string field (offset); 0 reads as null and is allowed when optional.
  // A non-zero offset that does not lead to a valid string fails the cursor.
  const char* String(bool optional = false) {
    uint32_t off = U32();
    if (!ok_) return nullptr;
    if (off == 0) {
      if (!optional) ok_ = false;
      return nullptr;
    }
    const char* text = file_.StringAt(off);
    if (!text) ok_ = false;
    return text;
  }
  void Fail() { ok_ = false; }

 private:
  bool Take(size_t n) {
    if (!ok_ || n > file_.size - pos_) return ok_ = false;
    pos_ += n;
    return true;
  }

  FileView file_;
  size_t pos_;
  bool ok_;
};

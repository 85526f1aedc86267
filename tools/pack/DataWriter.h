// SPDX-License-Identifier: Zlib
// Writes a chunked game data file: little-endian words into one growing
// buffer, chunks with their sizes patched at the end, and fields that refer
// to things written later (strings, texture-page items) recorded as fixups
// and patched when their targets exist.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace pack {

class DataWriter {
 public:
  DataWriter();

  size_t Pos() const { return bytes_.size(); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

  size_t U32(uint32_t v);
  size_t I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
  size_t F32(float f);
  void U16(uint16_t v);
  void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
  void Append(const uint8_t* data, size_t size);
  void Align4();
  void Patch(size_t at, uint32_t v);
  void PatchHere(size_t slot) { Patch(slot, static_cast<uint32_t>(Pos())); }

  // A list of n entries; returns the positions of the entry words, to be
  // pointed at their records with PatchHere.
  std::vector<size_t> List(size_t n);

  // A string field; the text is stored once in STRG and the field patched
  // to point at it. An empty optional string writes 0.
  void String(const std::string& text);
  void OptionalString(const std::string& text);
  // A field holding the file offset of texture-page item `item`.
  void TexturePageRef(int item);
  // Called while writing TPAG: item `item` starts here.
  void PlaceTexturePageItem(int item);

  void BeginChunk(const char* tag);
  void EndChunk();  // pads the body to 4 bytes and patches its size
  void EmptyChunk(const char* tag);

  // Writes the STRG chunk: the strings in first-use order.
  void StringChunk();
  // Patches the texture-page references and the FORM size; false when a
  // referenced item was never placed.
  bool Finish(std::string* error);

  size_t StringCount() const { return stringOrder_.size(); }

 private:
  std::vector<uint8_t> bytes_;
  size_t chunkSizeAt_ = 0;
  std::vector<std::string> stringOrder_;
  std::map<std::string, std::vector<size_t>> stringFields_;
  std::map<int, std::vector<size_t>> itemFields_;
  std::map<int, uint32_t> itemAt_;
};

}  // namespace pack

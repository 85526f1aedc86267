// SPDX-License-Identifier: Zlib
#include "DataWriter.h"

namespace pack {

DataWriter::DataWriter() {
  Append(reinterpret_cast<const uint8_t*>("FORM"), 4);
  U32(0);
}

size_t DataWriter::U32(uint32_t v) {
  size_t at = Pos();
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return at;
}

size_t DataWriter::F32(float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  return U32(v);
}

void DataWriter::U16(uint16_t v) {
  bytes_.push_back(static_cast<uint8_t>(v));
  bytes_.push_back(static_cast<uint8_t>(v >> 8));
}

void DataWriter::Append(const uint8_t* data, size_t size) { bytes_.insert(bytes_.end(), data, data + size); }

void DataWriter::Align4() {
  while (bytes_.size() % 4) bytes_.push_back(0);
}

void DataWriter::Patch(size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<size_t> DataWriter::List(size_t n) {
  U32(static_cast<uint32_t>(n));
  std::vector<size_t> slots;
  slots.reserve(n);
  for (size_t i = 0; i < n; ++i) slots.push_back(U32(0));
  return slots;
}

void DataWriter::String(const std::string& text) {
  auto found = stringFields_.find(text);
  if (found == stringFields_.end()) {
    stringOrder_.push_back(text);
    found = stringFields_.emplace(text, std::vector<size_t>{}).first;
  }
  found->second.push_back(U32(0));
}

void DataWriter::OptionalString(const std::string& text) {
  if (text.empty())
    U32(0);
  else
    String(text);
}

void DataWriter::TexturePageRef(int item) { itemFields_[item].push_back(U32(0)); }

void DataWriter::PlaceTexturePageItem(int item) { itemAt_[item] = static_cast<uint32_t>(Pos()); }

void DataWriter::BeginChunk(const char* tag) {
  Append(reinterpret_cast<const uint8_t*>(tag), 4);
  chunkSizeAt_ = U32(0);
}

void DataWriter::EndChunk() {
  Align4();
  Patch(chunkSizeAt_, static_cast<uint32_t>(Pos() - chunkSizeAt_ - 4));
}

void DataWriter::EmptyChunk(const char* tag) {
  Append(reinterpret_cast<const uint8_t*>(tag), 4);
  U32(0);
}

void DataWriter::StringChunk() {
  BeginChunk("STRG");
  std::vector<size_t> slots = List(stringOrder_.size());
  for (size_t i = 0; i < stringOrder_.size(); ++i) {
    const std::string& text = stringOrder_[i];
    PatchHere(slots[i]);
    U32(static_cast<uint32_t>(text.size()));
    uint32_t textAt = static_cast<uint32_t>(Pos());
    Append(reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1);
    for (size_t field : stringFields_[text]) Patch(field, textAt);
  }
  EndChunk();
}

bool DataWriter::Finish(std::string* error) {
  for (const auto& [item, fields] : itemFields_) {
    auto at = itemAt_.find(item);
    if (at == itemAt_.end()) {
      *error = "texture-page item " + std::to_string(item) + " was referred to but never written";
      return false;
    }
    for (size_t field : fields) Patch(field, at->second);
  }
  Patch(4, static_cast<uint32_t>(bytes_.size() - 8));
  return true;
}

}  // namespace pack

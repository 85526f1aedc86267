// SPDX-License-Identifier: Zlib
// Builds small game data files in memory, word by word, so that the tests
// spell out the layout they feed the loader. Strings are collected and
// written into a STRG chunk at the end; their fields are patched then.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "PngFiles.h"

class DataBuilder {
 public:
  DataBuilder() {
    Raw("FORM");
    U32(0);
  }

  size_t Pos() const { return bytes_.size(); }
  std::vector<uint8_t>& Bytes() { return bytes_; }

  void Raw(const char* text) { bytes_.insert(bytes_.end(), text, text + std::strlen(text)); }
  size_t U32(uint32_t v) {
    size_t at = Pos();
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return at;
  }
  size_t I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
  size_t F32(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return U32(v);
  }
  void U16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void Byte(uint8_t v) { bytes_.push_back(v); }
  void Align4() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  void Patch(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  // Points the word at `slot` here.
  void PatchHere(size_t slot) { Patch(slot, static_cast<uint32_t>(Pos())); }

  // A string field, patched to the text's offset when Finish writes STRG.
  void Str(const std::string& text) { strings_.push_back({U32(0), text}); }

  // A list of n entries; returns the positions of the entry words.
  std::vector<size_t> List(size_t n) {
    U32(static_cast<uint32_t>(n));
    std::vector<size_t> slots;
    for (size_t i = 0; i < n; ++i) slots.push_back(U32(0));
    return slots;
  }

  void Begin(const char* tag) {
    Raw(tag);
    chunkSize_ = U32(0);
  }
  void End() {
    Align4();
    Patch(chunkSize_, static_cast<uint32_t>(Pos() - chunkSize_ - 4));
  }
  // An empty chunk (size 0).
  void Empty(const char* tag) {
    Raw(tag);
    U32(0);
  }

  // Writes the STRG chunk (when any string was used) and the FORM size.
  std::vector<uint8_t> Finish(bool writeStrings = true) {
    if (writeStrings && !strings_.empty()) {
      Begin("STRG");
      std::map<std::string, uint32_t> textAt;
      std::vector<std::string> unique;
      for (auto& s : strings_)
        if (!textAt.count(s.text)) {
          textAt[s.text] = 0;
          unique.push_back(s.text);
        }
      auto slots = List(unique.size());
      for (size_t i = 0; i < unique.size(); ++i) {
        PatchHere(slots[i]);
        U32(static_cast<uint32_t>(unique[i].size()));
        textAt[unique[i]] = static_cast<uint32_t>(Pos());
        Raw(unique[i].c_str());
        Byte(0);
        Align4();
      }
      End();
      for (auto& s : strings_) Patch(s.at, textAt[s.text]);
    }
    Patch(4, static_cast<uint32_t>(bytes_.size() - 8));
    return bytes_;
  }

 private:
  struct PendingString {
    size_t at;
    std::string text;
  };
  std::vector<uint8_t> bytes_;
  std::vector<PendingString> strings_;
  size_t chunkSize_ = 0;
};

// A PNG of w x h RGBA pixels, every pixel `rgba` (bytes R, G, B, A).
inline std::vector<uint8_t> MakePng(int w, int h, uint32_t rgba) {
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < pixels.size(); i += 4) std::memcpy(&pixels[i], &rgba, 4);
  std::vector<uint8_t> out;
  std::string error;
  media::Png_Encode(pixels.data(), w, h, &out, &error);
  return out;
}

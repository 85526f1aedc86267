// SPDX-License-Identifier: Zlib
#include "library/Base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kInvalid = -1;

struct DecodeTable {
  int8_t values[256];
  constexpr DecodeTable() : values() {
    for (int i = 0; i < 256; ++i) values[i] = kInvalid;
    for (int i = 0; i < 64; ++i) values[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
  }
};
constexpr DecodeTable kDecode;

}  // namespace

std::string Base64_Encode(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  std::string text;
  text.reserve((size + 2) / 3 * 4);
  size_t i = 0;
  for (; size - i >= 3; i += 3) {
    uint32_t group = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8) | p[i + 2];
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += kAlphabet[(group >> 6) & 63];
    text += kAlphabet[group & 63];
  }
  if (size - i == 1) {
    uint32_t group = uint32_t{p[i]} << 16;
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += "==";
  } else if (size - i == 2) {
    uint32_t group = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8);
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += kAlphabet[(group >> 6) & 63];
    text += '=';
  }
  return text;
}

bool Base64_Decode(const char* text, size_t length, std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (length % 4 != 0) return false;
  bytes->reserve(length / 4 * 3);
  for (size_t i = 0; i < length; i += 4) {
    const bool lastGroup = i + 4 == length;
    int padding = 0;
    if (lastGroup) {
      if (text[i + 3] == '=') padding = text[i + 2] == '=' ? 2 : 1;
    }
    uint32_t group = 0;
    for (int j = 0; j < 4; ++j) {
      int8_t v = j >= 4 - padding ? 0 : kDecode.values[static_cast<uint8_t>(text[i + j])];
      if (v == kInvalid) return false;
      group = (group << 6) | static_cast<uint32_t>(v);
    }
    bytes->push_back(static_cast<uint8_t>(group >> 16));
    if (padding == 2) {
      if (group & 0xFFFF) return false;  // bits that no byte holds must be zero
      break;
    }
    bytes->push_back(static_cast<uint8_t>(group >> 8));
    if (padding == 1) {
      if (group & 0xFF) return false;
      break;
    }
    bytes->push_back(static_cast<uint8_t>(group));
  }
  return true;
}

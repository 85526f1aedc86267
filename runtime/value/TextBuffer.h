// SPDX-License-Identifier: Zlib
// A growable, always NUL-terminated text buffer for text renderings of cells.
// It starts at 256 bytes and grows to 1.5 times the size it needs.
#pragma once

#include <cstddef>

class TextBuffer {
 public:
  TextBuffer();
  ~TextBuffer();
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  void Append(const char* text);
  void Append(const char* text, size_t length);
  void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Clear();

  const char* Text() const { return data_; }
  size_t Length() const { return length_; }

 private:
  void Reserve(size_t needed);

  char* data_;
  size_t length_;
  size_t capacity_;
};

// SPDX-License-Identifier: Zlib
#include "value/TextBuffer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/Memory.h"

namespace {
constexpr size_t kInitialCapacity = 256;
}

TextBuffer::TextBuffer()
    : data_(static_cast<char*>(MM_ALLOC(kInitialCapacity))), length_(0), capacity_(kInitialCapacity) {
  data_[0] = '\0';
}

TextBuffer::~TextBuffer() { MM_FREE(data_); }

void TextBuffer::Reserve(size_t needed) {
  if (needed <= capacity_) return;
  size_t grown = needed + needed / 2;  // 1.5 times what is needed
  data_ = static_cast<char*>(MM_REALLOC(data_, grown));
  capacity_ = grown;
}

void TextBuffer::Append(const char* text, size_t length) {
  Reserve(length_ + length + 1);
  std::memcpy(data_ + length_, text, length);
  length_ += length;
  data_[length_] = '\0';
}

void TextBuffer::Append(const char* text) {
  if (text) Append(text, std::strlen(text));
}

void TextBuffer::AppendFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed > 0) {
    Reserve(length_ + static_cast<size_t>(needed) + 1);
    std::vsnprintf(data_ + length_, capacity_ - length_, format, args);
    length_ += static_cast<size_t>(needed);
  }
  va_end(args);
}

void TextBuffer::Clear() {
  length_ = 0;
  data_[0] = '\0';
}

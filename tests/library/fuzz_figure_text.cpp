// SPDX-License-Identifier: Zlib
// libFuzzer target over the exported figure's text. Each input is used twice.
// As text: the reader must not crash, a refusal leaves no frames and names a
// line inside the text, and whatever is accepted is written, read again and
// must be accepted and written the same, so that a figure imported and
// exported again does not drift. As raw bytes: they make a figure (any
// numbers below the reader's limit, as a user's edits may leave them), whose
// written text must be read back and written the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "library/FigureText.h"

namespace {

void CheckWrittenTextReadsBack(const Figure& figure) {
  std::string written = FigureText_Write(figure);
  Figure again;
  FigureTextError error;
  if (!FigureText_Read(written, &again, &error) || FigureText_Write(again) != written) std::abort();
}

// Per part: a flag byte (shape, animating, frame break), three colour bytes
// and six numbers of eight bytes each. At most 64 parts: a long input is
// mostly text, and writing and reading hundreds of parts per run would slow
// the fuzzing of the reader down a hundredfold.
Figure FigureFromBytes(const uint8_t* data, size_t size) {
  constexpr size_t kPartBytes = 4 + 6 * 8;
  constexpr size_t kMaxParts = 64;
  if (size > kMaxParts * kPartBytes) size = kMaxParts * kPartBytes;
  Figure figure;
  figure.frames.emplace_back();
  for (; size >= kPartBytes; data += kPartBytes, size -= kPartBytes) {
    if (data[0] & 0x80) figure.frames.emplace_back();
    FigurePart part;
    std::string shape = "spr_shape_" + std::to_string(data[0] & 0x0f);
    part.fillSprite = shape + "_back";
    part.outlineSprite = shape + "_outline";
    part.animating = data[0] & 0x40;
    part.colour = data[1] | data[2] << 8 | static_cast<uint32_t>(data[3]) << 16;
    double* numbers[] = {&part.xDif, &part.yDif, &part.xScale, &part.yScale, &part.rotation, &part.alpha};
    for (int i = 0; i < 6; ++i) {
      double value;
      std::memcpy(&value, data + 4 + 8 * i, sizeof value);
      // Kept below 2^30, clear of the limit past which a number is refused
      // on reading; infinities and NaN become 0.
      int exponent = 0;
      double mantissa = std::isfinite(value) ? std::frexp(value, &exponent) : 0;
      *numbers[i] = std::ldexp(mantissa, exponent > 0 ? exponent % 30 : exponent);
    }
    figure.frames.back().parts.push_back(part);
  }
  return figure;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Figure figure;
  FigureTextError error;
  if (FigureText_Read(text, &figure, &error)) {
    CheckWrittenTextReadsBack(figure);
  } else {
    size_t lines = 1;
    for (char c : text) lines += c == '\n';
    if (!figure.frames.empty() || error.line < 1 || static_cast<size_t>(error.line) > lines || error.message.empty()) {
      std::abort();
    }
  }
  CheckWrittenTextReadsBack(FigureFromBytes(data, size));
  return 0;
}

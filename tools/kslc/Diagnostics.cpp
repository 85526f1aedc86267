// SPDX-License-Identifier: Zlib
#include "Diagnostics.h"

namespace kslc {

void Diagnostics::Error(const std::string& file, int line, int column, const std::string& message) {
  if (Full()) return;
  errors_.push_back({file, line, column, message});
}

std::string Diagnostics::Format(const Diagnostic& d, const std::string* source) {
  std::string text = d.file + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + ": error: " + d.message + "\n";
  if (!source || d.line < 1) return text;
  // Find the line in the source and show it with a caret under the column.
  size_t start = 0;
  for (int l = 1; l < d.line; ++l) {
    size_t nl = source->find('\n', start);
    if (nl == std::string::npos) return text;
    start = nl + 1;
  }
  size_t end = source->find('\n', start);
  std::string line = source->substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  text += "  " + line + "\n  ";
  for (int c = 1; c < d.column && c <= static_cast<int>(line.size()); ++c) text += line[c - 1] == '\t' ? '\t' : ' ';
  text += "^\n";
  return text;
}

}  // namespace kslc

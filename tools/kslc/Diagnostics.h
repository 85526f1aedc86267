// SPDX-License-Identifier: Zlib
// Compile errors of kslc: each names the file, line and column and says what
// was expected. The lexer and parser report through one Diagnostics record and
// go on, so one run shows several errors; after MAX_ERRORS further ones are
// dropped (a damaged file would otherwise bury the first, useful message).
#pragma once

#include <string>
#include <vector>

namespace kslc {

struct Diagnostic {
  std::string file;
  int line;
  int column;
  std::string message;
};

class Diagnostics {
 public:
  // Enough to see the pattern of a mistake; more is noise.
  static constexpr int MAX_ERRORS = 50;

  void Error(const std::string& file, int line, int column, const std::string& message);
  bool HasErrors() const { return !errors_.empty(); }
  int Count() const { return static_cast<int>(errors_.size()); }
  bool Full() const { return Count() >= MAX_ERRORS; }
  const std::vector<Diagnostic>& All() const { return errors_; }
  // "file:line:col: error: message", then the source line and a caret under
  // the column when the source text is given.
  static std::string Format(const Diagnostic& d, const std::string* source);

 private:
  std::vector<Diagnostic> errors_;
};

}  // namespace kslc

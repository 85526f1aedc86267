// SPDX-License-Identifier: Zlib
// libFuzzer target: any byte string through the lexer and parser. The
// compiler must report errors for bad input, never crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string source(reinterpret_cast<const char*>(data), size);
  kslc::Diagnostics diagnostics;
  kslc::Program program = kslc::Parse("fuzz.ksl", source, diagnostics);
  // Formatting the messages walks the source by line and column too.
  for (const kslc::Diagnostic& d : diagnostics.All()) (void)kslc::Diagnostics::Format(d, &source);
  return 0;
}

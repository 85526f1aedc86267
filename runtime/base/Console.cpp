// SPDX-License-Identifier: Zlib
#include "base/Console.h"

#include <cstdio>
#include <vector>

namespace {

struct ConsoleState {
  TConsole standardError;
  TConsole* debug = nullptr;
  TConsole* release = nullptr;
};

ConsoleState& State() {
  static ConsoleState state;
  return state;
}

}  // namespace

void TConsole::Output(const char* format, ...) {
  va_list args;
  va_start(args, format);
  OutputV(format, args);
  va_end(args);
}

void TConsole::OutputV(const char* format, va_list args) {
  char small[512];
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (needed < 0) return;
  if (static_cast<size_t>(needed) < sizeof small) {
    Write(small);
    return;
  }
  std::vector<char> big(static_cast<size_t>(needed) + 1);
  std::vsnprintf(big.data(), big.size(), format, args);
  Write(big.data());
}

void TConsole::Write(const char* text) {
  std::fputs(text, stderr);
  std::fflush(stderr);
}

TConsole& DebugConsole() {
  ConsoleState& s = State();
  return s.debug ? *s.debug : s.standardError;
}

TConsole& ReleaseConsole() {
  ConsoleState& s = State();
  return s.release ? *s.release : s.standardError;
}

TConsole* Console_SetDebug(TConsole* console) {
  TConsole* previous = State().debug;
  State().debug = console;
  return previous;
}

TConsole* Console_SetRelease(TConsole* console) {
  TConsole* previous = State().release;
  State().release = console;
  return previous;
}

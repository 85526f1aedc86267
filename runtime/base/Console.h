// SPDX-License-Identifier: Zlib
// Consoles: objects with one printf-like output operation. The debug console
// receives start-up and load log lines, show_debug_message and error reports;
// the release console receives the "ERROR!!! :: " lines. On Linux both go to
// standard error unless replaced (tests collect them in memory).
#pragma once

#include <cstdarg>
#include <string>

class TConsole {
 public:
  virtual ~TConsole() = default;
  void Output(const char* format, ...) __attribute__((format(printf, 2, 3)));
  virtual void OutputV(const char* format, va_list args);

 protected:
  // Receives the formatted text; the base writes it to standard error.
  virtual void Write(const char* text);
};

// Collects everything written to it in memory; used to assemble error reports
// and by tests to read the log.
class TErrStreamConsole : public TConsole {
 public:
  const std::string& Text() const { return text_; }
  void Clear() { text_.clear(); }

 protected:
  void Write(const char* text) override { text_ += text; }

 private:
  std::string text_;
};

// Discards everything.
class DummyConsole : public TConsole {
 public:
  void OutputV(const char*, va_list) override {}

 protected:
  void Write(const char*) override {}
};

TConsole& DebugConsole();
TConsole& ReleaseConsole();
// Replaces a console (null restores standard error); returns the previous one.
TConsole* Console_SetDebug(TConsole* console);
TConsole* Console_SetRelease(TConsole* console);

// SPDX-License-Identifier: Zlib
// The error report's core: the message, the parts the layers above supply,
// the release-console line, the dialog, and the end of the process.
#include "base/Error.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/Console.h"

namespace {

struct ErrorReporter {
  ErrorState state;
  FatalErrorHandler fatalHandler = nullptr;
  ErrorContext context;
};

ErrorReporter& Reporter() {
  static ErrorReporter reporter;
  return reporter;
}

std::string FormatV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed <= 0) return std::string();
  std::vector<char> text(static_cast<size_t>(needed) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  return std::string(text.data(), static_cast<size_t>(needed));
}

std::string DefaultHeading(bool fatal, const std::string& message) {
  return std::string(fatal ? "FATAL " : "") + "ERROR\n\n\n" + message;
}

void Report(bool fatal, const std::string& message) {
  ErrorReporter& reporter = Reporter();
  ErrorState& state = reporter.state;
  state.lastMessage = message;
  if (state.catching) {
    state.caught = true;
    return;
  }
  if (state.insideReport) {
    // An error raised while a report is being shown (by a clean-up path, say)
    // is logged and not reported again.
    ReleaseConsole().Output("ERROR!!! :: %s\n", message.c_str());
    return;
  }
  state.insideReport = true;
  const ErrorContext& context = reporter.context;
  std::string stack = context.callStack ? context.callStack() : std::string(92, '-') + "\n";
  std::string heading = context.heading ? context.heading(fatal, message) : DefaultHeading(fatal, message);
  std::string position = context.position ? context.position() : std::string();
  const std::string hashes(92, '#');
  std::string report = hashes + "\n" + heading + "\n" + position + hashes + "\n" + stack;
  state.lastError = report;
  ReleaseConsole().Output("ERROR!!! :: %s\n", report.c_str());
  if (context.showDialog) context.showDialog("Error", Error_DialogText(report).c_str());
  state.insideReport = false;
  if (fatal && !state.continueAfterErrors) {
    if (reporter.fatalHandler)
      reporter.fatalHandler();
    else
      std::exit(1);
  }
}

}  // namespace

ErrorState& Error_State() { return Reporter().state; }

void Runtime_Error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = FormatV(format, args);
  va_end(args);
  Report(true, message);
}

void Runtime_ErrorNonFatal(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = FormatV(format, args);
  va_end(args);
  Report(false, message);
}

bool Error_BeginCatch() {
  ErrorState& state = Reporter().state;
  bool previous = state.catching;
  state.catching = true;
  state.caught = false;
  return previous;
}

bool Error_EndCatch(bool previous) {
  ErrorState& state = Reporter().state;
  bool caught = state.caught;
  state.catching = previous;
  state.caught = false;
  return caught;
}

std::string Error_DialogText(const std::string& report) {
  // Tabs are widened to the next multiple of four columns.
  constexpr int kTabWidth = 4;
  std::string text(43, '_');
  text += "\r\n";
  int column = 0;
  for (char c : report) {
    if (c == '\n') {
      text += "\r\n";
      column = 0;
    } else if (c == '\r') {
      // A lone carriage return is dropped; line breaks are made from '\n'.
    } else if (c == '\t') {
      do {
        text += ' ';
        ++column;
      } while (column % kTabWidth != 0);
    } else {
      text += c;
      ++column;
    }
  }
  return text;
}

FatalErrorHandler Error_SetFatalHandler(FatalErrorHandler handler) {
  FatalErrorHandler previous = Reporter().fatalHandler;
  Reporter().fatalHandler = handler;
  return previous;
}

void Error_SetContext(const ErrorContext& context) { Reporter().context = context; }

std::string Error_Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return text;
}

// SPDX-License-Identifier: Zlib
// The runtime's one error call and the report it makes: a heading naming
// what was running, the message, a position line and the call chain, written
// to the release console and shown in a dialog, then the end of the process
// with exit code 1 unless errors are being caught. This core knows nothing of
// events, compiled code or windows: the layers above supply those parts of
// the report through Error_SetContext (code/ErrorContext.h installs them).
#pragma once

#include <string>

// Reports a fatal runtime error (printf format). Returns only when errors are
// being caught or the runtime is set to continue after errors.
void Runtime_Error(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Reports a non-fatal error: the same report without "FATAL ", after which the
// call that made it goes on (used for misuse of handles and resource indices).
void Runtime_ErrorNonFatal(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Errors-are-being-caught state: while set, an error only sets the caught flag.
struct ErrorState {
  bool catching = false;
  bool caught = false;
  bool continueAfterErrors = false;  // runner option: a fatal error does not end the process
  bool insideReport = false;         // set while a report is being made
  std::string lastError;             // the last full report
  std::string lastMessage;           // the last formatted message
};
ErrorState& Error_State();

// Starts catching errors and clears the caught flag; returns the previous
// catching state for Error_EndCatch.
bool Error_BeginCatch();
// Restores the catching state; returns whether an error was caught meanwhile.
bool Error_EndCatch(bool previous);

// The text shown in the dialog for a report: 43 '_' above it, CR LF line
// breaks, tabs widened to spaces.
std::string Error_DialogText(const std::string& report);

// Called at the end of a fatal report (after the dialog); the default ends the
// process with exit code 1. Tests and the runner may replace it.
using FatalErrorHandler = void (*)();
FatalErrorHandler Error_SetFatalHandler(FatalErrorHandler handler);

// What the layers above add to a report. Any part left null takes its
// default: the heading "[FATAL ]ERROR" with no event named, no position line,
// a call stack of just its rule of 92 '-', and no dialog.
struct ErrorContext {
  // The heading and the message, e.g. naming the event that was running.
  std::string (*heading)(bool fatal, const std::string& message) = nullptr;
  // The line that says where the running code was, with its line break.
  std::string (*position)() = nullptr;
  // The call-stack text, from its rule of 92 '-' on.
  std::string (*callStack)() = nullptr;
  // Shows the report's dialog.
  void (*showDialog)(const char* caption, const char* text) = nullptr;
};
void Error_SetContext(const ErrorContext& context);

// printf-style formatting into a std::string, shared with the context parts.
std::string Error_Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

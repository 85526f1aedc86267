// The runtime's one error call and the error report it produces: the call
// chain of compiled functions, the event that was running, a message dialog,
// and the end of the process with exit code 1 unless errors are being caught.
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

// Builds the call-stack text: a line of 92 '-' then "called from - ..." lines
// from the newest frame to the oldest.
std::string Error_CallStackText();
// The text shown in the dialog for a report: 43 '_' above it, CR LF line
// breaks, tabs widened to spaces.
std::string Error_DialogText(const std::string& report);

// Called at the end of a fatal report (after the dialog); the default ends the
// process with exit code 1. Tests and the runner may replace it.
using FatalErrorHandler = void (*)();
FatalErrorHandler Error_SetFatalHandler(FatalErrorHandler handler);

// Lets compiled code supply the text of a source line for the report's
// " at %s (line %d) - %s" line; without it the report says "at <function>".
using SourceLineProvider = const char* (*)(const char* function, int line);
void Error_SetSourceLineProvider(SourceLineProvider provider);

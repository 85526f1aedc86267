// The error report: call chain of compiled functions, the running event, the
// release-console line, the dialog, and the end of the process.
#include "code/Error.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/Console.h"
#include "code/CompiledCode.h"
#include "object/Event.h"
#include "object/EventDispatch.h"
#include "object/Object.h"
#include "platform/MessageBox.h"

namespace {

struct ErrorReporter {
  ErrorState state;
  FatalErrorHandler fatalHandler = nullptr;
  SourceLineProvider sourceLines = nullptr;
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

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return text;
}

// The error text names the event that was running. Errors outside any event
// (room creation code, start-up) have no object to name: the text is then the
// prefix, "ERROR" and the message.
std::string ErrorText(bool fatal, const std::string& message) {
  const char* prefix = fatal ? "FATAL " : "";
  const EventContext& context = Event_Context();
  if (!context.owner) return Format("%sERROR\n\n\n%s", prefix, message.c_str());
  // Compiled events hold their whole body as one action.
  const int actionNumber = 1;
  std::string eventName = Event_Name(context.type, context.subtype);
  return Format("%sERROR in\naction number %d\nof %s\nfor object %s:\n\n\n%s", prefix, actionNumber,
                eventName.c_str(), context.owner->name ? context.owner->name : "<undefined>", message.c_str());
}

std::string PositionLine() {
  CallFrame* head = *Code_FrameHeadCell();
  if (!head) return std::string();
  const char* lineText = nullptr;
  if (head->line >= 0 && Reporter().sourceLines) lineText = Reporter().sourceLines(head->functionName, head->line);
  if (lineText) return Format(" at %s (line %d) - %s\n", head->functionName, head->line, lineText);
  return Format("at %s\n", head->functionName);
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
  std::string stack = Error_CallStackText();
  const std::string hashes(92, '#');
  std::string report = hashes + "\n" + ErrorText(fatal, message) + "\n" + PositionLine() + hashes + "\n" + stack;
  state.lastError = report;
  ReleaseConsole().Output("ERROR!!! :: %s\n", report.c_str());
  Platform_ShowMessageBox("Error", Error_DialogText(report).c_str());
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

std::string Error_CallStackText() {
  std::string text(92, '-');
  text += "\n";
  for (CallFrame* frame = *Code_FrameHeadCell(); frame; frame = frame->previous) {
    const char* name = frame->functionName ? frame->functionName : "(null)";
    if (frame->line >= 0)
      text += Format("called from - %s (line %d)\n", name, frame->line);
    else
      text += Format("called from - %s\n", name);
  }
  return text;
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

void Error_SetSourceLineProvider(SourceLineProvider provider) { Reporter().sourceLines = provider; }

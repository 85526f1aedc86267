// SPDX-License-Identifier: Zlib
#include "code/ErrorContext.h"

#include "code/CompiledCode.h"
#include "object/Event.h"
#include "object/EventDispatch.h"
#include "object/Object.h"
#include "platform/MessageBox.h"
#include "value/ArgReaders.h"

namespace {

SourceLineProvider& SourceLines() {
  static SourceLineProvider provider = nullptr;
  return provider;
}

// The heading names the event that was running. Errors outside any event
// (room creation code, start-up) have no object to name: the heading is then
// the prefix, "ERROR" and the message.
std::string Heading(bool fatal, const std::string& message) {
  const char* prefix = fatal ? "FATAL " : "";
  const EventContext& context = Event_Context();
  if (!context.owner) return Error_Format("%sERROR\n\n\n%s", prefix, message.c_str());
  // Compiled events hold their whole body as one action.
  const int actionNumber = 1;
  std::string eventName = Event_Name(context.type, context.subtype);
  return Error_Format("%sERROR in\naction number %d\nof %s\nfor object %s:\n\n\n%s", prefix, actionNumber,
                      eventName.c_str(), context.owner->name ? context.owner->name : "<undefined>", message.c_str());
}

std::string Position() {
  CallFrame* head = *Code_FrameHeadCell();
  if (!head) return std::string();
  const char* lineText = nullptr;
  if (head->line >= 0 && SourceLines()) lineText = SourceLines()(head->functionName, head->line);
  if (lineText) return Error_Format(" at %s (line %d) - %s\n", head->functionName, head->line, lineText);
  return Error_Format("at %s\n", head->functionName);
}

}  // namespace

void Error_InstallContext() {
  ErrorContext context;
  context.heading = Heading;
  context.position = Position;
  context.callStack = Error_CallStackText;
  context.showDialog = Platform_ShowMessageBox;
  Error_SetContext(context);
  ArgReaders_SetCallNameSource(Function_CurrentName);  // "<name> argument 2 incorrect type ..."
}

std::string Error_CallStackText() {
  std::string text(92, '-');
  text += "\n";
  for (CallFrame* frame = *Code_FrameHeadCell(); frame; frame = frame->previous) {
    const char* name = frame->functionName ? frame->functionName : "(null)";
    if (frame->line >= 0)
      text += Error_Format("called from - %s (line %d)\n", name, frame->line);
    else
      text += Error_Format("called from - %s\n", name);
  }
  return text;
}

void Error_SetSourceLineProvider(SourceLineProvider provider) { SourceLines() = provider; }

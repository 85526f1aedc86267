// SPDX-License-Identifier: Zlib
// Input recording and playback: every input event goes through one
// dispatcher that also writes it to the -record file, and a -playback script
// feeds its events in at their frames.
#include "io/Input.h"
#include "library/FigureImport.h"
#include "run/RunnerInternal.h"

namespace {

// Closing the window ends the game normally, unless a fatal error has already
// asked for the run to be aborted in this frame.
void RequestEndGame() {
  int& request = Private().state.newRoomRequest;
  if (request != ROOM_REQUEST_ABORT) request = ROOM_REQUEST_END_GAME;
}

}  // namespace

void DispatchEvent(const PlatformEvent& e) {
  RunnerPrivate& p = Private();
  if (p.record) std::fprintf(p.record, "%s\n", InputScript_Line(p.state.frameCounter, e).c_str());
  switch (e.type) {
    case PlatformEventType::KeyDown: Input_KeyDown(e.a, e.b != 0, e.c != 0); break;
    case PlatformEventType::KeyUp: Input_KeyUp(e.a, e.c != 0); break;
    case PlatformEventType::Character: Input_Char(static_cast<uint16_t>(e.a)); break;
    case PlatformEventType::MouseMove: Input_MouseMove(e.a, e.b); break;
    case PlatformEventType::ButtonDown: Input_MouseButtonDown(e.a); break;
    case PlatformEventType::ButtonUp: Input_MouseButtonUp(e.a); break;
    case PlatformEventType::Wheel: Input_MouseWheel(e.a); break;
    case PlatformEventType::Quit: RequestEndGame(); break;
    case PlatformEventType::FileDropped: FigureImport_RequestOpen(e.text ? e.text : ""); break;
    default: break;
  }
}

void WindowEventDuringPlayback(const PlatformEvent& e) {
  if (e.type == PlatformEventType::Quit) RequestEndGame();
}

void PlayScriptedEvents() {
  RunnerPrivate& p = Private();
  while (p.playbackNext < p.playback.size() && p.playback[p.playbackNext].frame <= p.state.frameCounter) {
    ScriptedEvent& scripted = p.playback[p.playbackNext++];
    if (!scripted.text.empty()) scripted.event.text = scripted.text.c_str();
    DispatchEvent(scripted.event);
  }
}

bool InputRecording_Open() {
  RunnerPrivate& p = Private();
  RunnerState& runner = p.state;
  std::string error;
  if (!runner.options.playbackFile.empty()) {
    if (!InputScript_ReadFile(runner.options.playbackFile, &p.playback, &error)) {
      // On the debug console, and on standard error too when the debug
      // output goes to a file (-output), for whoever started the run.
      const char* path = runner.options.playbackFile.c_str();
      DebugConsole().Output("The playback script %s cannot be used: %s\n", path, error.c_str());
      if (p.output) std::fprintf(stderr, "mobwright: the playback script %s cannot be used: %s\n", path, error.c_str());
      runner.exitCode = 2;
      return false;
    }
    p.playbackLastFrame = p.playback.empty() ? 0 : p.playback.back().frame;
  }
  if (!runner.options.recordFile.empty()) {
    p.record = std::fopen(runner.options.recordFile.c_str(), "w");
    if (p.record) std::fputs("# mobwright input script: <frame> <event> <arguments>\n", p.record);
  }
  return true;
}

// SPDX-License-Identifier: Zlib
// Shared by the runner's own files: the runner's private state, and the
// pieces that start-up (RunnerStart.cpp), the frame loop (FrameLoop.cpp),
// input recording and playback (InputRecording.cpp) and the debug
// information (DebugInformation.cpp) hand each other.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Console.h"
#include "platform/Window.h"
#include "run/FramePacing.h"
#include "run/InputScript.h"
#include "run/Runner.h"
#include "run/SleepMargin.h"

struct RunnerPrivate {
  RunnerState state;
  FramePacer pacer;
  std::vector<ScriptedEvent> playback;
  size_t playbackNext = 0;
  int64_t playbackLastFrame = -1;
  std::FILE* record = nullptr;
  RunnerFrameHook frameHook = nullptr;
  TConsole* output = nullptr;  // the -output file, when given
  SleepMarginSetting iniSleepMargin;  // from options.ini, when it says
  // .zudebug source lines: "function\tline\ttext".
  std::unordered_map<std::string, std::string> sourceLines;
};
RunnerPrivate& Private();

// The game data file that -game (or data.win beside the program) names: the
// editor's is a few megabytes; far larger is not a game of this runtime, and
// it is held in memory whole.
constexpr uint64_t kGameDataMaxBytes = 512u << 20;
// "<game>.zudebug": a line of text per statement of the game's code.
constexpr uint64_t kDebugInformationMaxBytes = 64u << 20;

// Reads "<game>.zudebug" ("function\tline\ttext" lines) and lets error
// reports quote those lines. A missing file is quietly left out; one that is
// refused (not a regular file, too large) is named on the debug console.
void LoadDebugInformation(const std::string& path);

// Every input event, from the window or from a playback script, goes through
// DispatchEvent (and into the -record file). While a script plays, the
// window's own input is ignored, closing it still ends the game.
void DispatchEvent(const PlatformEvent& e);
void WindowEventDuringPlayback(const PlatformEvent& e);
// Reads the -playback script and opens the -record file; false (exit code 2,
// a message on stderr) when the script cannot be read or parsed.
bool InputRecording_Open();
// Dispatches the scripted events of the current frame.
void PlayScriptedEvents();

// One event pass over the event's object list (ascending object index, each
// object's instances in creation order, skipping instances created during the
// pass), then removal of destroyed instances and re-sorting. True when a new
// room was requested and the step must end.
bool Runner_EventPass(int type, int subtype);
// The same over the room list (Perform_EventAll), for room and game events.
bool Runner_EventPassAll(int type, int subtype);

// SPDX-License-Identifier: Zlib
// The runner: start-up, the room, the step and the frame loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code/CompiledCode.h"
#include "run/SleepMargin.h"

// New-room requests other than a room index.
constexpr int ROOM_REQUEST_NONE = -1;
constexpr int ROOM_REQUEST_END_GAME = -100;
constexpr int ROOM_REQUEST_RESTART = -200;
constexpr int ROOM_REQUEST_ABORT = -400;

// A file to write after one frame's step and draw (-screenshot, -dumpstate).
struct FrameFile {
  int64_t frame;
  std::string file;
};

// Extra sound mixed on the loopback device after one frame (-audiostall):
// the audio goes on for that long while the game makes one step, as in a
// slow frame.
struct AudioStall {
  int64_t frame;
  int milliseconds;
};

struct RunnerOptions {
  std::string gameFile;         // -game FILE
  bool hasSleepMargin = false;  // -sleepmargin MS
  int sleepMargin = DEFAULT_SLEEP_MARGIN_MS;
  bool noAudio = false;         // -noaudio
  // -audio loopback (ours): sound is mixed into memory instead of a device,
  // one frame's worth of samples after every frame, so that play positions
  // move in step with the frames (see RunnerAudio.h).
  bool audioLoopback = false;
  std::vector<AudioStall> audioStalls;  // -audiostall FRAME MS (ours), repeatable; with -audio loopback
  bool headless = false;        // -headless
  bool noWait = false;          // -nowait (ours): frames are not paced, for tests
  std::string outputFile;       // -output FILE / -debugoutput FILE: the debug console goes there
  std::string recordFile;       // -record FILE
  std::string playbackFile;     // -playback FILE
  bool exitAfterPlayback = false;  // -exit
  int64_t maxFrames = -1;          // -frames N (ours): end after N frames
  std::vector<FrameFile> screenshots;  // -screenshot FRAME FILE (ours), repeatable
  std::vector<FrameFile> stateDumps;   // -dumpstate FRAME FILE (ours), repeatable
  bool noErrors = false;        // -noerrors: errors do not end the game
  // -failsave N (ours, for tests): the save folder's file step N and every
  // later one fail, as when the program is cut off at that step (see
  // SaveFolder_FailFrom); 0 when not given.
  int64_t failSaveStep = 0;
  int scale = 0;                // -scale N (ours): the window at N times the room's size, 1..8; 0 when not given
  bool showVersion = false;     // --version: print the program's version and end, with no window
  std::string openFile;         // FILE: an exported figure to open once the editor has started
  // --example [NAME]: open the installed example NAME (examples/NAME.ksl in
  // the program's data folder); without a name, list the examples and end.
  bool example = false;
  std::string exampleName;
  // --export-sheet FILE OUTDIR [--scale N] [--speed S]: the exported figure
  // in FILE as a sprite sheet, atlas and GIF in OUTDIR, headless, then end.
  std::string sheetFile, sheetFolder;
  int sheetScale = 1;
  double sheetSpeed = 0.35;
  bool sheetScaleGiven = false, sheetSpeedGiven = false;
};

// Parses the command line; unknown and unsupported options are accepted and
// ignored. Returns false with a message for a malformed option (a missing value).
bool Runner_ParseCommandLine(int argc, const char* const* argv, RunnerOptions* options, std::string* error);

struct RunnerState {
  RunnerOptions options;
  std::string gameFileName;
  std::string gameFolder;  // folder of the game file, with a trailing '/'
  std::string savePrefix;
  double gameSpeed = 60.0;
  int sleepMargin = DEFAULT_SLEEP_MARGIN_MS;  // milliseconds
  int windowScale = 1;  // -scale, else options.ini's Scale=, else 1; headless windows are never scaled
  bool waitEnabled = true;
  int newRoomRequest = ROOM_REQUEST_NONE;
  int currentRoom = -1;
  int64_t frameCounter = 0;
  int fps = 0;
  bool running = false;
  bool paused = false;
  bool pauseWhenInactive = false;  // the game's choice; off for the editor
  bool resizePending = false;      // runs the Draw event subtype 65 at the next step
  bool startsGame = true;  // the next Room_Start is the game's first room
  int exitCode = 0;
  // Embedded or loaded game data; kept for the whole process.
  const uint8_t* data = nullptr;
  size_t dataSize = 0;
  std::string ownedData;  // the file's bytes when read from disk
};
RunnerState& Runner_State();

// Start-up: banner, load, window, graphics, input, the chunk loop, prepare,
// the first room. False when the game could not be loaded (exit code set).
bool Runner_Start(int argc, const char* const* argv, CompiledCodeProvider provider);
// One frame: pace, messages, step, draw, present, new-room request.
void Runner_Frame();
// The whole program: start, the main loop, shutdown. Returns the exit code.
int Runner_Main(int argc, const char* const* argv, CompiledCodeProvider provider);

// One step in the documented event order (no drawing, no pacing).
void DoAStep();
// Starts room `roomIndex` as documented (Create, creation code, game start,
// room start).
void Room_Start(int roomIndex);
// Ends the current room (room end event; non-persistent instances go).
void Room_End();
void Runner_RequestRoom(int request);

// Called once per frame right after the frame wait (benchmarks measure the
// schedule with it); null for none.
using RunnerFrameHook = void (*)(int64_t frame);
void Runner_SetFrameHook(RunnerFrameHook hook);

// SPDX-License-Identifier: Zlib
// The frame loop: pace, messages, scripted input, the step, the draw and the
// present, screenshots and state dumps, the new-room request (with the Game
// End event when the game ends); and the whole program's run from start-up to
// shutdown.
#include "data/GameData.h"
#include "data/PageDecoder.h"
#include "object/Event.h"
#include "platform/Clock.h"
#include "run/RunnerAudio.h"
#include "run/RunnerGraphics.h"
#include "run/RunnerInternal.h"
#include "run/RunnerVariables.h"
#include "run/StateDump.h"
#include "sound/Audio.h"

namespace {

int64_t ClockNow() { return Platform_MicroTime(); }
void ClockSleep(int64_t ms) { Platform_SleepMilliseconds(ms); }
void ClockDrain() { Platform_ProcessMessages(); }
void ClockSleepUntil(int64_t microTime) { Platform_SleepUntilPrecise(microTime); }
const PacingClock kPlatformClock = {ClockNow, ClockSleep, ClockDrain, ClockSleepUntil};

bool HasFrameFile(const std::vector<FrameFile>& files, int64_t frame) {
  for (const FrameFile& file : files)
    if (file.frame == frame) return true;
  return false;
}

}  // namespace

RunnerPrivate& Private() {
  static RunnerPrivate p;
  return p;
}

RunnerState& Runner_State() { return Private().state; }

void Runner_SetFrameHook(RunnerFrameHook hook) { Private().frameHook = hook; }

void Runner_Frame() {
  RunnerPrivate& p = Private();
  RunnerState& runner = p.state;
  p.pacer.Wait(runner.gameSpeed, runner.sleepMargin, runner.waitEnabled, kPlatformClock);
  runner.fps = p.pacer.Fps();
  RunnerVariables_FrameStarted(Platform_MicroTime());
  if (p.frameHook) p.frameHook(runner.frameCounter);
  Platform_ProcessMessages();
  PlayScriptedEvents();
  if (!runner.paused) {
    DoAStep();
    // Frames are drawn before the texture pages are decoded: the window shows
    // the room's colour at once and the whole room a frame or two later,
    // without a late frame. Unpaced runs (scripts, tests) wait from the
    // second frame on, and a frame to be saved as a screenshot always waits,
    // so that what they see does not depend on the decoder's speed.
    bool waitForPages = HasFrameFile(runner.options.screenshots, runner.frameCounter) ||
                        (!runner.waitEnabled && runner.frameCounter > 0);
    if (runner.newRoomRequest == ROOM_REQUEST_NONE && !RunnerGraphics_UpdatePages(waitForPages))
      runner.newRoomRequest = ROOM_REQUEST_ABORT;
    if (runner.newRoomRequest == ROOM_REQUEST_NONE) RunnerGraphics_DrawFrame();
    // The page decoder and the audio device's opener start here, not
    // earlier: making the window, the renderer and the first frame is mostly
    // fresh memory being mapped, and other threads mapping memory (or loading
    // sound libraries) at the same time only slow it down.
    PageDecoder_Begin();
    Audio_BeginOpening();
    Audio_Update();
    RunnerAudio_FrameDone(runner.frameCounter, runner.gameSpeed);
    // Screenshots and state dumps show the frame as its step and draw left it.
    for (const FrameFile& shot : runner.options.screenshots)
      if (shot.frame == runner.frameCounter) RunnerGraphics_Screenshot(shot.file.c_str());
    for (const FrameFile& dump : runner.options.stateDumps)
      if (dump.frame == runner.frameCounter) StateDump_Write(runner.frameCounter, dump.file.c_str());
    ++runner.frameCounter;
  }
  if (!p.playback.empty() && runner.options.exitAfterPlayback && runner.frameCounter > p.playbackLastFrame + 1 &&
      runner.newRoomRequest == ROOM_REQUEST_NONE)
    runner.newRoomRequest = ROOM_REQUEST_END_GAME;
  if (runner.options.maxFrames >= 0 && runner.frameCounter >= runner.options.maxFrames &&
      runner.newRoomRequest == ROOM_REQUEST_NONE)
    runner.newRoomRequest = ROOM_REQUEST_END_GAME;

  int request = runner.newRoomRequest;
  if (request == ROOM_REQUEST_NONE) return;
  runner.newRoomRequest = ROOM_REQUEST_NONE;
  if (request == ROOM_REQUEST_END_GAME || request == ROOM_REQUEST_ABORT) {
    // A game that ends normally (its window closed, the process asked to
    // end, -exit, -frames) gives every instance its Game End event while the
    // sound, the window and the save folder are still there; an aborted one
    // (a fatal error, damaged data) does not run game code again.
    if (request == ROOM_REQUEST_END_GAME) Runner_EventPassAll(ev_other, ev_game_end);
    runner.running = false;
    if (request == ROOM_REQUEST_ABORT) runner.exitCode = 1;
  } else if (request == ROOM_REQUEST_RESTART) {
    Room_End();
    runner.startsGame = true;
    const auto& order = GameData_Get().header.roomOrder;
    Room_Start(order.empty() ? 0 : order.front());
  } else if (GameData_Room(request)) {
    Room_End();
    Room_Start(request);
  }
}

int Runner_Main(int argc, const char* const* argv, CompiledCodeProvider provider) {
  RunnerPrivate& p = Private();
  bool started = Runner_Start(argc, argv, provider);
  while (started && p.state.running) Runner_Frame();
  if (p.record) std::fclose(p.record);
  p.record = nullptr;
  Audio_Shutdown();
  PageDecoder_Stop();
  RunnerGraphics_Shutdown();
  Platform_Shutdown();
  if (!started && p.state.exitCode == 0) p.state.exitCode = 1;
  return p.state.exitCode;
}

// SPDX-License-Identifier: Zlib
// The runner's sound: opening the device at start-up and, with
// "-audio loopback", mixing the sound of every frame into memory.
//
// On the loopback device nothing plays by itself: after each frame's step,
// draw and fade update the runner refills the streams and mixes exactly one
// frame of samples (44100 / 60 = 735 at 60 frames a second; the remainder
// is carried so that no sample is lost at other speeds). Play positions then
// move in step with the frames, the same in every run and with -nowait,
// which is what lets tests check a cross-fade frame by frame. An
// "-audiostall FRAME MS" mixes MS milliseconds more after that frame, as if
// the frame had been slow.
#pragma once

#include <cstdint>

struct RunnerOptions;

// Starts audio as the options ask: disabled (-noaudio), the loopback device
// opened at once without the streaming thread (-audio loopback), or the
// default device opened in the background.
void RunnerAudio_Init(const RunnerOptions& options);
// After a frame's Audio_Update: on the loopback device, refills the streams
// and mixes the frame's samples (and a stall's); nothing otherwise.
void RunnerAudio_FrameDone(int64_t frame, double gameSpeed);

// What the last mixed frame sounded like, for the state dump.
struct RunnerAudioLevel {
  bool loopback = false;  // false: nothing is mixed here, the values are 0
  int64_t samples = 0;    // stereo sample frames mixed after the last frame
  double rms = 0.0;       // root mean square of those samples, 1.0 = full scale
  double peak = 0.0;      // the greatest magnitude among them, 1.0 = full scale
};
RunnerAudioLevel RunnerAudio_LastLevel();

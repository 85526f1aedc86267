// SPDX-License-Identifier: Zlib
// Start-up variants and probes for tests and benchmarks: a loopback device
// that mixes only when rendered, the streaming work run by hand instead of by
// the thread, and the streaming counters.
#pragma once

#include <cstdint>
#include <vector>

#include "sound/Audio.h"
#include "sound/AudioBackend.h"

struct AudioInitOptions {
  bool noAudio = false;
  AudioDeviceKind device = AudioDeviceKind::System;
  int loopbackRate = 44100;
  // Without the thread nothing refills the streams until Audio_StreamPump is
  // called, which makes rendering deterministic.
  bool streamThread = true;
  // Open the device on a thread of its own; calls that need it wait for it.
  bool openInBackground = false;
  // The device's backend; null for the OpenAL one (sound/null has one that
  // plays nothing and lets a test say when buffers have been played).
  AudioBackend* backend = nullptr;
};
void Audio_InitWith(const AudioInitOptions& options);
// A loopback device at that rate, its streams pumped by hand (Audio_StreamPump)
// and opened at once: every mix is then the same in every run.
inline AudioInitOptions Audio_LoopbackOptions(int rate) {
  AudioInitOptions options;
  options.device = AudioDeviceKind::Loopback;
  options.loopbackRate = rate;
  options.streamThread = false;
  return options;
}

// One pass of the streaming thread's work: unqueue played buffers, refill and
// requeue them, restart a starved source, retire finished streams.
void Audio_StreamPump();

struct AudioStreamStats {
  uint64_t refills = 0;    // halves decoded and queued after the first two
  uint64_t underruns = 0;  // a source found stopped while its stream had more to play
  uint64_t finished = 0;   // streams that reached their end and were retired
  double totalRefillMicros = 0;
  double maxRefillMicros = 0;
};
AudioStreamStats Audio_GetStreamStats();
void Audio_ResetStreamStats();

// Voices currently active.
int Audio_ActiveVoiceCount();
// Whether a background opening is set up and has not begun (nothing waited for it).
bool Audio_OpeningNotBegun();

// One active voice, as the runner's state dump shows it.
struct AudioVoiceInfo {
  int32_t handle = 0;
  int32_t sound = -1;
  bool paused = false;
  double gain = 0.0;      // the voice's own gain (audio_sound_get_gain of its handle)
  double position = 0.0;  // seconds (audio_sound_get_track_position of its handle)
};
// The active voices by ascending handle; empty while no device is open.
std::vector<AudioVoiceInfo> Audio_ActiveVoices();
// Plays that got a handle since audio started.
int Audio_PlayCount();

// Whether the open device is a loopback device, and mixing `frames` stereo
// frames of it into `out` (false when it is not one).
bool Audio_IsLoopback();
bool Audio_RenderLoopback(int16_t* out, int frames);

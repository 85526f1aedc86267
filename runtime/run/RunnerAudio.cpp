// SPDX-License-Identifier: Zlib
// The runner's sound (see RunnerAudio.h).
#include "run/RunnerAudio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "run/Runner.h"
#include "sound/Audio.h"
#include "sound/AudioTesting.h"

namespace {

constexpr int kLoopbackRate = 44100;
// A stream keeps two halves of 4096 stereo frames queued; mixing in pieces
// no longer than one half, with a refill before each, never lets a stream run
// dry however long a stall is.
constexpr int kMixPiece = 2048;

struct LoopbackState {
  bool on = false;
  int64_t mixedFrames = 0;  // game frames mixed so far
  int64_t mixedSamples = 0;  // sample frames mixed so far (without stalls)
  std::vector<AudioStall> stalls;
  std::vector<int16_t> buffer;
  RunnerAudioLevel level;
};
LoopbackState g_Loopback;

// Refills the streams and mixes `samples` stereo frames, adding them to the
// level's sums.
void Mix(int64_t samples, double* sumSquares, int* peak) {
  while (samples > 0) {
    int piece = static_cast<int>(std::min<int64_t>(samples, kMixPiece));
    Audio_StreamPump();
    g_Loopback.buffer.resize(static_cast<size_t>(piece) * 2);
    if (!Audio_RenderLoopback(g_Loopback.buffer.data(), piece)) return;
    for (int16_t s : g_Loopback.buffer) {
      *sumSquares += static_cast<double>(s) * s;
      *peak = std::max(*peak, std::abs(static_cast<int>(s)));
    }
    samples -= piece;
  }
  Audio_StreamPump();
}

}  // namespace

void RunnerAudio_Init(const RunnerOptions& options) {
  g_Loopback = LoopbackState{};
  if (options.noAudio || !options.audioLoopback) {
    Audio_Init(options.noAudio);
    return;
  }
  Audio_InitWith(Audio_LoopbackOptions(kLoopbackRate));
  g_Loopback.on = Audio_HasDevice();
  g_Loopback.stalls = options.audioStalls;
}

void RunnerAudio_FrameDone(int64_t frame, double gameSpeed) {
  if (!g_Loopback.on) return;
  // Sample frames up to the end of this game frame, counted from the start,
  // so that fractions add up instead of being lost frame by frame.
  double speed = gameSpeed > 0 ? gameSpeed : 60.0;
  ++g_Loopback.mixedFrames;
  int64_t upTo = static_cast<int64_t>(std::floor(static_cast<double>(g_Loopback.mixedFrames) * kLoopbackRate / speed));
  int64_t samples = upTo - g_Loopback.mixedSamples;
  g_Loopback.mixedSamples = upTo;
  for (const AudioStall& stall : g_Loopback.stalls)
    if (stall.frame == frame) samples += static_cast<int64_t>(stall.milliseconds) * kLoopbackRate / 1000;

  double sumSquares = 0.0;
  int peak = 0;
  Mix(samples, &sumSquares, &peak);
  RunnerAudioLevel& level = g_Loopback.level;
  level.loopback = true;
  level.samples = samples;
  level.rms = samples > 0 ? std::sqrt(sumSquares / static_cast<double>(samples * 2)) / 32768.0 : 0.0;
  level.peak = peak / 32768.0;
}

RunnerAudioLevel RunnerAudio_LastLevel() { return g_Loopback.level; }

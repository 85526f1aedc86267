// SPDX-License-Identifier: Zlib
// Sound benchmarks: the main thread's per-frame update with eight voices,
// the streaming decoder's speed and refill times, and a headless soak of two
// cross-fading tracks on the silent null device that counts underruns.
//
// Build: bench/bench_sound.cpp + tests/sound/OggFixtures.cpp, linked with
// mobrt, benchmark and vorbisenc (the tracks are encoded at start).
// The soak runs MOB_SOAK_SECONDS seconds of real time (600 by default); skip
// it with --benchmark_filter=-Soak.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "../tests/sound/OggFixtures.h"
#include "base/Console.h"
#include "sound/Audio.h"
#include "sound/AudioTesting.h"
#include "sound/OggDecoder.h"

namespace {

using Clock = std::chrono::steady_clock;

// The soak's system device is OpenAL Soft's silent null back end. The back
// end is chosen once, when the first device opens, hence at start-up; a value
// given from outside wins.
const bool g_NullDriverChosen = setenv("ALSOFT_DRIVERS", "null", 0) == 0;

// Tracks with some spectral content, so decoding is not trivially cheap.
const std::vector<uint8_t>& Track(int index) {
  static std::vector<uint8_t> tracks[2] = {MakeSineOgg(30.0, 44100, 2, 440.0), MakeSineOgg(30.0, 44100, 2, 523.25)};
  return tracks[index];
}

struct SoundSetup {
  std::string folder;
  DummyConsole quiet;
  SoundSetup() {
    folder = MakeTempFolder();
    Console_SetDebug(&quiet);
    Sound_ClearAll();
    AudioGroup_Add("audiogroup_default");
    Audio_SetBaseFolder(folder.c_str());
    for (int i = 0; i < 2; ++i) {
      std::string name = "msc_Track" + std::to_string(i);
      WriteFile(folder + "/" + name + ".ogg", Track(i));
      std::string file = name + ".ogg";
      SoundEntry e{name.c_str(), 100, nullptr, file.c_str(), 0, 1.0f, 1.0f, 0, -1};
      Sound_Add(e);
    }
  }
  ~SoundSetup() {
    Audio_Shutdown();
    Sound_ClearAll();
    Console_SetDebug(nullptr);
    std::string cmd = "rm -rf '" + folder + "'";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", folder.c_str());
  }
};

void BM_AudioUpdateEightVoices(benchmark::State& state) {
  SoundSetup setup;
  AudioInitOptions options;
  options.device = AudioDeviceKind::Loopback;
  options.streamThread = true;
  Audio_InitWith(options);
  Audio_SetRoomSpeed(60);
  for (int i = 0; i < 8; ++i) Audio_PlaySound(i % 2, 1, true);
  int frame = 0;
  for (auto _ : state) {
    // A fade is always running on one sound, as during a cross-fade.
    if (frame++ % 60 == 0) Audio_SoundGain(frame / 60 % 2, (frame / 60) % 4 < 2 ? 0.2 : 1.0, 1000);
    Audio_Update();
  }
  state.counters["voices"] = Audio_ActiveVoiceCount();
}
BENCHMARK(BM_AudioUpdateEightVoices);

// Decoding 16 KiB halves as the streaming thread does, from memory.
void BM_StreamDecode(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = Track(0);
  std::vector<uint8_t> half(16384);
  double totalSeconds = 0, worstMicros = 0, sumMicros = 0;
  int64_t refills = 0;
  for (auto _ : state) {
    OggDecoder decoder;
    decoder.OpenMemory(bytes.data(), bytes.size());
    for (;;) {
      auto t0 = Clock::now();
      size_t got = decoder.Fill(half.data(), half.size(), false);
      double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
      if (got == 0) break;
      ++refills;
      sumMicros += us;
      if (us > worstMicros) worstMicros = us;
    }
    totalSeconds += decoder.LengthSeconds();
  }
  state.counters["audio_s_per_s"] = benchmark::Counter(totalSeconds, benchmark::Counter::kIsRate);
  state.counters["refill_avg_us"] = refills ? sumMicros / refills : 0;
  state.counters["refill_max_us"] = worstMicros;
}
BENCHMARK(BM_StreamDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reference loop: plain ov_read over the whole file with the library's
// own stdio callbacks and 4 KiB reads, the way a command-line decoder works.
void BM_ReferenceDecode(benchmark::State& state) {
  SoundSetup setup;
  std::string path = setup.folder + "/msc_Track0.ogg";
  std::vector<char> buffer(4096);
  double totalSeconds = 0;
  for (auto _ : state) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) {
      state.SkipWithError("ov_fopen failed");
      break;
    }
    int section = 0;
    while (ov_read(&vf, buffer.data(), static_cast<int>(buffer.size()), 0, 2, 1, &section) > 0) {
    }
    totalSeconds += ov_time_total(&vf, -1);
    ov_clear(&vf);
  }
  state.counters["audio_s_per_s"] = benchmark::Counter(totalSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReferenceDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

// Two tracks cross-fading every 30 s on the real-time null device, the main
// thread running 60 frames a second and stalling for 60 ms once a minute.
void BM_SoakCrossFade(benchmark::State& state) {
  (void)g_NullDriverChosen;
  const char* env = std::getenv("MOB_SOAK_SECONDS");
  const double seconds = env ? std::atof(env) : 600.0;
  SoundSetup setup;
  Audio_Init(false);
  if (!Audio_HasDevice()) {
    state.SkipWithError("no device");
    return;
  }
  Audio_SetRoomSpeed(60);
  for (auto _ : state) {
    Audio_ResetStreamStats();
    int current = 0;
    int handle = Audio_PlaySound(current, 1, true);
    auto start = Clock::now();
    auto nextFade = start + std::chrono::seconds(30);
    auto nextStall = start + std::chrono::seconds(60);
    auto frameEnd = start;
    int stalls = 0, fades = 0;
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
      frameEnd += std::chrono::microseconds(16667);
      Audio_Update();
      auto now = Clock::now();
      if (now >= nextFade) {
        Audio_SoundGain(handle, 0, 2000);
        int old = handle;
        current ^= 1;
        handle = Audio_PlaySound(current, 1, true);
        Audio_SoundGain(handle, 0, 0);
        Audio_SoundGain(handle, 1, 2000);
        nextFade += std::chrono::seconds(30);
        ++fades;
        // The old track is stopped once its fade is over, three seconds on.
        for (int f = 0; f < 180; ++f) {
          Audio_Update();
          std::this_thread::sleep_until(frameEnd += std::chrono::microseconds(16667));
        }
        Audio_StopSound(old);
      }
      if (now >= nextStall) {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        nextStall += std::chrono::seconds(60);
        ++stalls;
      }
      std::this_thread::sleep_until(frameEnd);
    }
    Audio_StopAll();
    AudioStreamStats stats = Audio_GetStreamStats();
    state.counters["seconds"] = seconds;
    state.counters["fades"] = fades;
    state.counters["stalls"] = stalls;
    state.counters["refills"] = static_cast<double>(stats.refills);
    state.counters["underruns"] = static_cast<double>(stats.underruns);
    state.counters["refill_avg_us"] = stats.refills ? stats.totalRefillMicros / stats.refills : 0;
    state.counters["refill_max_us"] = stats.maxRefillMicros;
  }
}
BENCHMARK(BM_SoakCrossFade)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

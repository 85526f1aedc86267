// SPDX-License-Identifier: Zlib
// A fixture that gives each test a fresh sound layer on a loopback device
// (mixes only when the test renders, so nothing depends on a sound card or on
// timing), Ogg tracks written to a temporary folder, and the debug console
// collected in memory.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "OggFixtures.h"
#include "base/Console.h"
#include "sound/Audio.h"
#include "sound/AudioTesting.h"

constexpr int TEST_RATE = 44100;

class AudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder();
    ASSERT_FALSE(folder_.empty());
    previousConsole_ = Console_SetDebug(&console_);
    Sound_ClearAll();
    Audio_SetBaseFolder(folder_.c_str());
    Audio_SetRoomSpeed(60);
    AudioGroup_Add("audiogroup_default");
  }
  void TearDown() override {
    Audio_Shutdown();
    Sound_ClearAll();
    Audio_SetRoomSpeed(0);
    Console_SetDebug(previousConsole_);
    std::string cmd = "rm -rf '" + folder_ + "'";
    if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << "could not remove " << folder_;
  }

  void StartLoopback(bool thread = false) {
    AudioInitOptions options = Audio_LoopbackOptions(TEST_RATE);
    options.streamThread = thread;
    Audio_InitWith(options);
    ASSERT_TRUE(Audio_HasDevice());
  }

  // Writes a tone file and adds a streamed sound (flags 100) for it.
  int AddStreamedTone(const std::string& name, double seconds, int channels = 2, double frequency = 440.0,
                      int group = 0) {
    WriteFile(folder_ + "/" + name + ".ogg", MakeSineOgg(seconds, TEST_RATE, channels, frequency));
    return AddSoundEntry(name, 100, group);
  }
  int AddSoundEntry(const std::string& name, int flags, int group = 0, int audioIndex = -1) {
    names_.push_back(name);
    files_.push_back(name + ".ogg");
    SoundEntry e{names_.back().c_str(), flags, nullptr, files_.back().c_str(), 0, 1.0f, 0.0f, group, audioIndex};
    return Sound_Add(e);
  }

  // Mixes `frames` stereo frames in small slices, running the streaming work
  // after each slice as a prompt streaming thread would. Returns the mix.
  std::vector<int16_t> Render(int frames, bool pump = true) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    int done = 0;
    while (done < frames) {
      int n = std::min(512, frames - done);
      Audio_RenderLoopback(out.data() + static_cast<size_t>(done) * 2, n);
      if (pump) Audio_StreamPump();
      done += n;
    }
    return out;
  }
  static double Rms(const std::vector<int16_t>& samples, size_t skip = 0) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = skip; i < samples.size(); ++i, ++n) sum += double(samples[i]) * samples[i];
    return n ? std::sqrt(sum / n) / 32768.0 : 0.0;
  }

  std::string Log() const { return console_.Text(); }

  std::string folder_;
  TErrStreamConsole console_;
  TConsole* previousConsole_ = nullptr;
  std::vector<std::string> names_;
  std::vector<std::string> files_;
};

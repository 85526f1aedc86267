// SPDX-License-Identifier: Zlib
// The built-ins as compiled code calls them, sound disabled ("-noaudio"), no
// output device, and the streaming thread running beside the main thread.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "AudioTestSupport.h"
#include "BuiltinCall.h"
#include "code/CompiledCode.h"

namespace {

// The whole test program uses OpenAL Soft's silent null back end for the
// system device: the back end is chosen once, at the first device opened,
// so this must be set before any test runs. A value given from outside wins.
const bool g_NullDriverChosen = setenv("ALSOFT_DRIVERS", "null", 0) == 0;

// Calls a registered built-in's routine by name with number arguments;
// unlike a call from compiled code, `result` keeps whatever the caller put in
// it unless the built-in writes it.
void Call(const char* name, DynValue& result, std::vector<double> numbers) {
  const BuiltinFunction* f = FindBuiltin(name, static_cast<int>(numbers.size()));
  if (!f) return;
  std::vector<DynValue> args;
  for (double d : numbers) args.push_back(DynValue_MakeReal(d));
  f->routine(result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
}

double CallReal(const char* name, std::vector<double> numbers) {
  DynValue result = DynValue_MakeUndefined();
  Call(name, result, std::move(numbers));
  EXPECT_EQ(result.Kind(), KIND_NUMBER) << name;
  return result.real;
}

}  // namespace

TEST_F(AudioTest, BuiltinsAreRegisteredWithTheirArgumentCounts) {
  Audio_RegisterBuiltins();
  const struct {
    const char* name;
    int argc;
  } expected[] = {{"audio_play_sound", 3},     {"audio_is_playing", 1},
                  {"audio_is_paused", 1},      {"audio_pause_sound", 1},
                  {"audio_resume_sound", 1},   {"audio_stop_sound", 1},
                  {"audio_stop_all", 0},       {"audio_sound_gain", 3},
                  {"audio_sound_get_gain", 1}, {"audio_sound_get_track_position", 1}};
  for (const auto& e : expected) {
    int id = Function_Find(e.name);
    ASSERT_GE(id, 0) << e.name;
    EXPECT_EQ(Function_Builtin(id)->argumentCount, e.argc) << e.name;
  }
}

TEST_F(AudioTest, MusicPlayerSequenceThroughTheBuiltins) {
  Audio_RegisterBuiltins();
  int s = AddStreamedTone("msc_Main_Cocktail", 2.0);
  StartLoopback();
  double h = CallReal("audio_play_sound", {double(s), 1, 0});
  EXPECT_EQ(h, 400001);
  DynValue ignored = DynValue_MakeUndefined();
  Call("audio_sound_gain", ignored, {h, 0, 0});
  Call("audio_sound_gain", ignored, {h, 1, 2000});
  EXPECT_EQ(CallReal("audio_sound_get_gain", {h}), 0.0);
  Audio_Update();
  EXPECT_NEAR(CallReal("audio_sound_get_gain", {h}), 1.0 / 125, 1e-6);
  EXPECT_EQ(CallReal("audio_is_playing", {double(s)}), 1.0);
  Render(TEST_RATE / 10);
  EXPECT_NEAR(CallReal("audio_sound_get_track_position", {h}), 0.1, 1e-6);
  Call("audio_pause_sound", ignored, {h});
  EXPECT_EQ(CallReal("audio_is_paused", {double(s)}), 1.0);
  Call("audio_resume_sound", ignored, {h});
  EXPECT_EQ(CallReal("audio_is_paused", {double(s)}), 0.0);
  Call("audio_stop_all", ignored, {});
  EXPECT_EQ(CallReal("audio_is_playing", {double(s)}), 0.0);
  // noone as a sound index: nothing plays, nothing is paused.
  EXPECT_EQ(CallReal("audio_is_playing", {-4}), 0.0);
  EXPECT_EQ(CallReal("audio_is_paused", {-4}), 0.0);
}

TEST_F(AudioTest, DisabledSoundLeavesEveryResultUnset) {
  Audio_RegisterBuiltins();
  int s = AddStreamedTone("msc_A", 0.5);
  AudioInitOptions options;
  options.noAudio = true;
  Audio_InitWith(options);
  EXPECT_TRUE(Audio_IsDisabled());
  EXPECT_FALSE(Audio_HasDevice());
  const char* names[] = {"audio_play_sound", "audio_is_playing", "audio_is_paused", "audio_pause_sound",
                         "audio_resume_sound", "audio_stop_sound", "audio_stop_all", "audio_sound_gain",
                         "audio_sound_get_gain", "audio_sound_get_track_position"};
  for (const char* name : names) {
    DynValue result = DynValue_MakeInt32(777);
    const BuiltinFunction* function = FindBuiltin(name);
    ASSERT_NE(function, nullptr);
    int argc = function->argumentCount;
    std::vector<double> args(static_cast<size_t>(argc), 0.0);
    if (argc > 0) args[0] = s;
    Call(name, result, args);
    EXPECT_EQ(result.Kind(), KIND_INT32) << name;
    EXPECT_EQ(result.i32, 777) << name;
  }
  // A later run with sound enabled starts numbering afresh.
  Audio_Shutdown();
  StartLoopback();
  EXPECT_EQ(Audio_PlaySound(s, 1, false), 400001);
}

TEST_F(AudioTest, WithoutADevicePlayFailsAndQueriesAreZero) {
  Audio_RegisterBuiltins();
  int s = AddStreamedTone("msc_A", 0.5);
  AudioInitOptions options;
  options.device = AudioDeviceKind::None;
  Audio_InitWith(options);
  EXPECT_FALSE(Audio_IsDisabled());
  EXPECT_FALSE(Audio_HasDevice());
  EXPECT_EQ(CallReal("audio_play_sound", {double(s), 1, 1}), -1.0);
  EXPECT_EQ(CallReal("audio_is_playing", {double(s)}), 0.0);
  EXPECT_EQ(CallReal("audio_is_paused", {double(s)}), 0.0);
  EXPECT_EQ(CallReal("audio_sound_get_gain", {double(s)}), 0.0);
  EXPECT_EQ(CallReal("audio_sound_get_track_position", {double(s)}), 0.0);
  DynValue ignored = DynValue_MakeUndefined();
  Call("audio_stop_all", ignored, {});
  Call("audio_sound_gain", ignored, {double(s), 0, 1000});
  Audio_Update();
}

TEST_F(AudioTest, DeviceOpenedInTheBackgroundIsWaitedForByTheFirstSound) {
  int s = AddStreamedTone("msc_A", 0.5);
  AudioInitOptions options = Audio_LoopbackOptions(TEST_RATE);
  options.openInBackground = true;
  Audio_InitWith(options);
  Audio_Update();  // before the opening begins: nothing to wait for
  Audio_BeginOpening();
  // The frame update never waits; whether or not the opener is done yet, it
  // leaves no voice behind.
  Audio_Update();
  EXPECT_EQ(Audio_ActiveVoiceCount(), 0);
  // The first play waits for the device and gets the first handle.
  EXPECT_EQ(Audio_PlaySound(s, 1, false), VOICE_HANDLE_FIRST);
  EXPECT_TRUE(Audio_HasDevice());
  EXPECT_GT(Rms(Render(TEST_RATE / 10)), 0.1);
}

// Questions about voices, and calls on ids that name no sound, find nothing
// while the device is still to be opened, and do not wait for it: the
// editor's first step asks them before the opening has begun.
TEST_F(AudioTest, VoiceQueriesBeforeTheDeviceOpensNeitherWaitNorFindAnything) {
  int s = AddStreamedTone("msc_A", 0.5);
  AudioInitOptions options = Audio_LoopbackOptions(TEST_RATE);
  options.openInBackground = true;
  Audio_InitWith(options);
  ASSERT_TRUE(Audio_OpeningNotBegun());
  EXPECT_FALSE(Audio_IsPlaying(s));
  EXPECT_FALSE(Audio_IsPaused(s));
  EXPECT_EQ(Audio_SoundGetTrackPosition(s), 0.0);
  Audio_PauseSound(s);
  Audio_ResumeSound(s);
  Audio_StopSound(s);
  Audio_StopAll();
  Audio_SoundGain(-4, 1, 200);  // noone, as the editor's music player passes before any track
  EXPECT_EQ(Audio_SoundGetGain(-4), 0.0);
  Audio_SoundGain(VOICE_HANDLE_FIRST, 0.5, 0);
  EXPECT_TRUE(Audio_OpeningNotBegun());
  // A sound's own gain is a setting of the device's sounds: it waits.
  Audio_SoundGain(s, 0.5, 0);
  EXPECT_FALSE(Audio_OpeningNotBegun());
  EXPECT_TRUE(Audio_HasDevice());
  EXPECT_NEAR(Audio_SoundGetGain(s), 0.5, 1e-6);
}

TEST_F(AudioTest, BackgroundOpeningEndsCleanlyWhenShutDownAtOnce) {
  for (AudioDeviceKind device : {AudioDeviceKind::Loopback, AudioDeviceKind::None}) {
    AudioInitOptions options;
    options.device = device;
    options.openInBackground = true;
    for (bool begun : {false, true}) {
      Audio_InitWith(options);
      if (begun) Audio_BeginOpening();
      Audio_Shutdown();
      EXPECT_FALSE(Audio_HasDevice());
    }
  }
  // A device that cannot be opened in the background reads as no device.
  int s = AddStreamedTone("msc_A", 0.5);
  AudioInitOptions none;
  none.device = AudioDeviceKind::None;
  none.openInBackground = true;
  Audio_InitWith(none);
  EXPECT_EQ(Audio_PlaySound(s, 1, false), -1);
  EXPECT_FALSE(Audio_HasDevice());
}

TEST_F(AudioTest, StreamingThreadKeepsTracksFedWhileTheMainThreadWorks) {
  int a = AddStreamedTone("msc_A", 1.0);
  int b = AddStreamedTone("msc_B", 0.7, 1, 330.0);
  StartLoopback(/*thread=*/true);
  int ha = Audio_PlaySound(a, 1, true);
  int hb = Audio_PlaySound(b, 1, true);
  ASSERT_GT(ha, 0);
  ASSERT_GT(hb, 0);
  std::vector<int16_t> slice(2 * 256);
  double last = 0.0;
  int advanced = 0;
  for (int i = 0; i < 400; ++i) {
    // About 5 x real time: 256 frames every millisecond or so.
    Audio_RenderLoopback(slice.data(), 256);
    std::this_thread::sleep_for(std::chrono::microseconds(1000));
    Audio_Update();
    if (i % 50 == 10) Audio_SoundGain(a, (i % 100 == 10) ? 0.2 : 1.0, 300);
    if (i == 100) Audio_PauseSound(hb);
    if (i == 150) Audio_ResumeSound(hb);
    double pos = Audio_SoundGetTrackPosition(hb);
    if (pos != last) ++advanced;
    last = pos;
    EXPECT_TRUE(Audio_IsPlaying(ha));
  }
  EXPECT_GT(advanced, 100);
  EXPECT_GT(Audio_GetStreamStats().refills, 10u);
  Audio_StopSound(a);
  EXPECT_FALSE(Audio_IsPlaying(ha));
  EXPECT_TRUE(Audio_IsPlaying(hb));
}

TEST_F(AudioTest, SilentSystemDeviceStreamsInRealTime) {
  // OpenAL Soft's null back end mixes in real time on its own thread.
  ASSERT_TRUE(g_NullDriverChosen);
  int s = AddStreamedTone("msc_A", 1.0);
  Audio_Init(false);
  ASSERT_TRUE(Audio_HasDevice()) << Log();
  int h = Audio_PlaySound(s, 1, true);
  ASSERT_EQ(h, 400001);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  double pos = Audio_SoundGetTrackPosition(h);
  EXPECT_GT(pos, 0.3);
  EXPECT_TRUE(Audio_IsPlaying(h));
  Audio_Shutdown();
  EXPECT_FALSE(Audio_HasDevice());
}

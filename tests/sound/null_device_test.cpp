// SPDX-License-Identifier: Zlib
// The voices and the streaming on the null device, where the test decides
// when the device has played a buffer: a stream that runs dry is restarted,
// a one-shot stream is retired once its last buffer has played, a device
// that refuses sources costs no handle, and gains, loops and held sounds
// reach the sources they belong to.
#include "AudioTestSupport.h"
#include "sound/null/NullBackend.h"

namespace {

class NullDeviceTest : public AudioTest {
 protected:
  void StartNull() {
    AudioInitOptions options;
    options.backend = &device_;
    options.streamThread = false;
    Audio_InitWith(options);
    ASSERT_TRUE(Audio_HasDevice());
  }
  // The one source the sound layer has made so far.
  AudioSourceId OnlySource() {
    std::vector<AudioSourceId> sources = device_.Sources();
    EXPECT_EQ(sources.size(), 1u);
    return sources.empty() ? 0 : sources[0];
  }

  NullAudioBackend device_;
};

TEST_F(NullDeviceTest, AStreamThatRanDryIsRefilledAndStartedAgain) {
  int s = AddStreamedTone("msc_Long", 2.0);
  StartNull();
  int h = Audio_PlaySound(s, 1, false);
  ASSERT_GT(h, 0) << Log();
  AudioSourceId source = OnlySource();
  ASSERT_EQ(device_.BuffersQueued(source), 2);
  EXPECT_EQ(device_.BufferBytes(1 + source), 16384);  // two full halves of 16384 bytes

  device_.PlayBuffers(source, 2);  // both halves played before any refill
  ASSERT_EQ(device_.State(source), AudioSourceState::Stopped);
  Audio_StreamPump();
  EXPECT_EQ(device_.State(source), AudioSourceState::Playing);
  EXPECT_EQ(device_.BuffersQueued(source), 2);
  AudioStreamStats stats = Audio_GetStreamStats();
  EXPECT_EQ(stats.underruns, 1u);
  EXPECT_EQ(stats.refills, 2u);
  EXPECT_TRUE(Audio_IsPlaying(h));
  // Two halves of stereo 16-bit at 44.1 kHz (4096 frames each) have been
  // played; the two refilled ones start from their beginning.
  EXPECT_NEAR(Audio_SoundGetTrackPosition(h), 2 * 4096 / 44100.0, 1e-9);
  device_.SetSampleOffset(source, 441);
  EXPECT_NEAR(Audio_SoundGetTrackPosition(h), (2 * 4096 + 441) / 44100.0, 1e-9);
}

TEST_F(NullDeviceTest, AOneShotStreamIsRetiredOnlyAfterItsLastBufferPlayed) {
  int s = AddStreamedTone("msc_Short", 0.05);  // 2205 frames: less than one half
  StartNull();
  int h = Audio_PlaySound(s, 1, false);
  ASSERT_GT(h, 0) << Log();
  AudioSourceId source = OnlySource();
  ASSERT_EQ(device_.BuffersQueued(source), 1);
  Audio_StreamPump();
  EXPECT_TRUE(Audio_IsPlaying(h)) << "retired while its buffer still plays";

  device_.PlayBuffers(source, 1);
  Audio_StreamPump();
  EXPECT_FALSE(Audio_IsPlaying(h));
  EXPECT_EQ(Audio_ActiveVoiceCount(), 0);
  EXPECT_EQ(Audio_GetStreamStats().finished, 1u);
  EXPECT_EQ(Audio_GetStreamStats().underruns, 0u);
  EXPECT_EQ(device_.BuffersQueued(source), 0);
}

TEST_F(NullDeviceTest, ALoopingStreamNeverEnds) {
  int s = AddStreamedTone("msc_Loop", 0.05);
  StartNull();
  int h = Audio_PlaySound(s, 1, true);
  AudioSourceId source = OnlySource();
  for (int i = 0; i < 20; ++i) {
    device_.PlayBuffers(source, 1);
    Audio_StreamPump();
  }
  EXPECT_TRUE(Audio_IsPlaying(h));
  EXPECT_EQ(Audio_GetStreamStats().finished, 0u);
  // The track wraps: the position stays inside its 0.05 s.
  double position = Audio_SoundGetTrackPosition(h);
  EXPECT_GE(position, 0.0);
  EXPECT_LE(position, 0.05 + 1e-6);
}

TEST_F(NullDeviceTest, ADeviceWithoutSourcesToGiveCostsNoHandle) {
  int s = AddStreamedTone("msc_A", 0.5);
  StartNull();
  device_.FailSources(1);
  EXPECT_EQ(Audio_PlaySound(s, 1, false), -1);
  EXPECT_EQ(device_.SourceCount(), 0);
  EXPECT_EQ(Audio_PlaySound(s, 1, false), 400001);
}

TEST_F(NullDeviceTest, GainsReachTheSourceAsVoiceGainTimesSoundGain) {
  int s = AddStreamedTone("msc_A", 0.5);
  StartNull();
  int h = Audio_PlaySound(s, 1, false);
  AudioSourceId source = OnlySource();
  EXPECT_FLOAT_EQ(device_.Gain(source), 1.0f);
  Audio_SoundGain(h, 0.5, 0);
  EXPECT_FLOAT_EQ(device_.Gain(source), 0.5f);
  Audio_SoundGain(s, 0.5, 0);
  EXPECT_FLOAT_EQ(device_.Gain(source), 0.25f);
  // A fade moves the source's gain once per update, not at once.
  Audio_SoundGain(h, 1.0, 1000);
  EXPECT_FLOAT_EQ(device_.Gain(source), 0.25f);
  Audio_Update();
  EXPECT_GT(device_.Gain(source), 0.25f);
  EXPECT_LT(device_.Gain(source), 0.5f);
}

TEST_F(NullDeviceTest, AHeldSoundPlaysItsOneBufferAndItsVoiceIsTakenAgainOnceFinished) {
  int s = AddStreamedTone("snd_Click", 0.1);
  // The same file, held in memory instead of streamed.
  int held = AddSoundEntry("snd_Click", 0);
  ASSERT_NE(s, held);
  StartNull();
  int h = Audio_PlaySound(held, 1, true);
  ASSERT_GT(h, 0) << Log();
  AudioSourceId source = OnlySource();
  EXPECT_TRUE(device_.Looping(source));
  EXPECT_EQ(device_.BuffersQueued(source), 1);
  device_.FinishSource(source);  // a looping source never finishes
  EXPECT_TRUE(Audio_IsPlaying(h));

  Audio_StopSound(h);
  int again = Audio_PlaySound(held, 1, false);
  EXPECT_FALSE(device_.Looping(source));
  device_.FinishSource(source);
  EXPECT_FALSE(Audio_IsPlaying(again));
  // The finished voice is free: the next play takes it instead of a new source.
  Audio_PlaySound(held, 1, false);
  EXPECT_EQ(device_.SourceCount(), 1);
}

TEST_F(NullDeviceTest, ShutdownHandsBackEverySourceAndBuffer) {
  int s = AddStreamedTone("msc_A", 0.5);
  int held = AddSoundEntry("msc_A", 0);
  StartNull();
  Audio_PlaySound(s, 1, false);
  Audio_PlaySound(held, 1, false);
  ASSERT_EQ(device_.SourceCount(), 2);
  EXPECT_EQ(device_.TakeError(), 0);
  Audio_Shutdown();
  EXPECT_FALSE(device_.IsOpen());
  EXPECT_EQ(device_.TakeError(), 0) << "a source or buffer was handed back twice or never made";
}

}  // namespace

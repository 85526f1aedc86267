// SPDX-License-Identifier: Zlib
// Track positions: the stream rule (buffers played, sample offset, start
// time, wrap or clamp by the track length) and positions that follow the
// samples actually mixed.
#include "AudioTestSupport.h"
#include "sound/AudioState.h"

TEST(StreamPositionRule, CountsHalvesOfPcmAndTheOffsetIntoTheCurrentOne) {
  // Stereo 16-bit: a 16384-byte half holds 4096 frames.
  EXPECT_DOUBLE_EQ(OggStream_PositionRule(3, 100, 2, 44100, 0.0, 10.0, false), (3 * 4096 + 100) / 44100.0);
  // Mono: 8192 frames per half.
  EXPECT_DOUBLE_EQ(OggStream_PositionRule(3, 100, 1, 22050, 0.0, 10.0, false), (3 * 8192 + 100) / 22050.0);
  // The start time of the stream is added.
  EXPECT_DOUBLE_EQ(OggStream_PositionRule(0, 4410, 2, 44100, 1.5, 10.0, false), 1.6);
}

TEST(StreamPositionRule, PastTheLengthLoopsWrapAndOneShotsClamp) {
  // 11 halves of stereo at 44.1 kHz = 45056 frames = 1.0217 s of a 1 s track.
  double raw = 11 * 4096 / 44100.0;
  EXPECT_NEAR(OggStream_PositionRule(11, 0, 2, 44100, 0.0, 1.0, true), raw - 1.0, 1e-12);
  EXPECT_DOUBLE_EQ(OggStream_PositionRule(11, 0, 2, 44100, 0.0, 1.0, false), 1.0);
  // Several lengths past the end still wrap into the track.
  double wrapped = OggStream_PositionRule(100, 0, 2, 44100, 0.0, 1.0, true);
  EXPECT_GE(wrapped, 0.0);
  EXPECT_LT(wrapped, 1.0);
  // An unknown length (-1) never wraps.
  EXPECT_DOUBLE_EQ(OggStream_PositionRule(11, 0, 2, 44100, 0.0, -1.0, true), raw);
}

TEST_F(AudioTest, PositionFollowsTheMixedSamples) {
  int s = AddStreamedTone("msc_A", 3.0);
  StartLoopback();
  int h = Audio_PlaySound(s, 1, false);
  EXPECT_EQ(Audio_SoundGetTrackPosition(h), 0.0);
  Render(TEST_RATE / 2);
  EXPECT_NEAR(Audio_SoundGetTrackPosition(h), 0.5, 1e-6);
  Render(TEST_RATE + 1234);
  EXPECT_NEAR(Audio_SoundGetTrackPosition(h), 1.5 + 1234.0 / TEST_RATE, 1e-6);
  // By sound index: the voice that plays it.
  EXPECT_DOUBLE_EQ(Audio_SoundGetTrackPosition(s), Audio_SoundGetTrackPosition(h));
  EXPECT_NEAR(Sound_Length(s), 3.0, 1e-3);
}

TEST_F(AudioTest, PositionOfMonoTrackAtAnotherRate) {
  WriteFile(folder_ + "/msc_Mono.ogg", MakeSineOgg(2.0, 22050, 1, 300.0));
  int s = AddSoundEntry("msc_Mono", 100);
  StartLoopback();
  int h = Audio_PlaySound(s, 1, false);
  // The device resamples: 44100 mixed frames are one second of the track.
  Render(TEST_RATE);
  EXPECT_NEAR(Audio_SoundGetTrackPosition(h), 1.0, 0.01);
}

TEST_F(AudioTest, LoopingVoicePositionWrapsAtTheTrackLength) {
  int s = AddStreamedTone("msc_A", 1.0);
  StartLoopback();
  int h = Audio_PlaySound(s, 1, true);
  Render(TEST_RATE / 2);
  EXPECT_NEAR(Audio_SoundGetTrackPosition(h), 0.5, 1e-6);
  Render(TEST_RATE);
  double length = Sound_Length(s);
  double expected = std::fmod(1.5, length);
  EXPECT_NEAR(Audio_SoundGetTrackPosition(h), expected, 1e-6);
  EXPECT_LT(Audio_SoundGetTrackPosition(h), 0.6);
  Render(TEST_RATE);
  EXPECT_NEAR(Audio_SoundGetTrackPosition(h), std::fmod(2.5, length), 1e-6);
}

TEST_F(AudioTest, TwoVoicesKeepTheirOwnPositions) {
  int s = AddStreamedTone("msc_A", 3.0);
  StartLoopback();
  int first = Audio_PlaySound(s, 1, false);
  Render(TEST_RATE / 4);
  int second = Audio_PlaySound(s, 1, false);
  Render(TEST_RATE / 4);
  EXPECT_NEAR(Audio_SoundGetTrackPosition(first), 0.5, 1e-6);
  EXPECT_NEAR(Audio_SoundGetTrackPosition(second), 0.25, 1e-6);
}

// SPDX-License-Identifier: Zlib
// Gains and fades: immediate gains reach the mix, timed fades step once per
// frame at the room speed, and the sound's gain scales every voice of it.
#include "AudioTestSupport.h"

namespace {
// Frames until a fade started now has finished, counted by running updates.
int FramesUntil(int32_t id, double target) {
  int frames = 0;
  while (std::fabs(Audio_SoundGetGain(id) - target) > 1e-5 && frames < 10000) {
    Audio_Update();
    ++frames;
  }
  return frames;
}
}  // namespace

TEST_F(AudioTest, NewVoiceHasGainOne) {
  int s = AddStreamedTone("msc_A", 1.0);
  StartLoopback();
  Audio_SoundGain(s, 0.25, 0);
  int h = Audio_PlaySound(s, 1, false);
  EXPECT_EQ(Audio_SoundGetGain(h), 1.0);
  EXPECT_EQ(Audio_SoundGetGain(s), 0.25);
}

TEST_F(AudioTest, FadeOfOneSecondAt60FpsTakes62Frames) {
  int s = AddStreamedTone("msc_A", 1.0);
  StartLoopback();
  Audio_SetRoomSpeed(60);
  Audio_SoundGain(s, 0, 1000);
  for (int i = 0; i < 61; ++i) Audio_Update();
  EXPECT_GT(Audio_SoundGetGain(s), 0.01);
  EXPECT_NEAR(Audio_SoundGetGain(s), 1.0 / 62, 1e-5);
  Audio_Update();
  EXPECT_NEAR(Audio_SoundGetGain(s), 0.0, 1e-6);
  // The fade is over: further frames leave the gain alone.
  Audio_SoundGain(s, 0.5, 0);
  Audio_Update();
  EXPECT_EQ(Audio_SoundGetGain(s), 0.5);
}

TEST_F(AudioTest, FadeStepsAtThirtyWhenNoRoomRuns) {
  int s = AddStreamedTone("msc_A", 1.0);
  StartLoopback();
  Audio_SetRoomSpeed(0);
  // 1000 / 30 = 33 ms per step, 1000 / 33 = 30 frames.
  Audio_SoundGain(s, 0, 1000);
  EXPECT_EQ(FramesUntil(s, 0.0), 30);
  // A fade shorter than one step still takes one frame.
  Audio_SoundGain(s, 1, 5);
  EXPECT_EQ(FramesUntil(s, 1.0), 1);
}

TEST_F(AudioTest, VoiceFadeInLikeTheMusicPlayer) {
  int s = AddStreamedTone("msc_A", 1.0);
  StartLoopback();
  Audio_SetRoomSpeed(60);
  int h = Audio_PlaySound(s, 1, false);
  Audio_SoundGain(h, 0, 0);
  EXPECT_EQ(Audio_SoundGetGain(h), 0.0);
  Audio_SoundGain(h, 1, 2000);  // 2000 / 16 = 125 frames
  EXPECT_EQ(FramesUntil(h, 1.0), 125);
  EXPECT_EQ(Audio_SoundGetGain(s), 1.0);
}

TEST_F(AudioTest, GainsAreLimitedDuringFadesAndNegativeTargetsAreZero) {
  int s = AddStreamedTone("msc_A", 1.0);
  StartLoopback();
  int h = Audio_PlaySound(s, 1, false);
  Audio_SoundGain(h, 3.0, 160);  // steps of +0.2 over 10 frames, held at 1
  Audio_Update();
  EXPECT_EQ(Audio_SoundGetGain(h), 1.0);
  Audio_SoundGain(h, -2.0, 0);
  EXPECT_EQ(Audio_SoundGetGain(h), 0.0);
}

TEST_F(AudioTest, ImmediateGainCancelsARunningFade) {
  int s = AddStreamedTone("msc_A", 1.0);
  StartLoopback();
  Audio_SoundGain(s, 0, 1000);
  Audio_Update();
  Audio_SoundGain(s, 0.75, 0);
  for (int i = 0; i < 5; ++i) Audio_Update();
  EXPECT_EQ(Audio_SoundGetGain(s), 0.75);
}

TEST_F(AudioTest, SoundGainAndVoiceGainMultiplyInTheMix) {
  int s = AddStreamedTone("msc_A", 2.0);
  StartLoopback();
  int h = Audio_PlaySound(s, 1, true);
  double full = Rms(Render(8192), 2048);
  ASSERT_GT(full, 0.1);
  Audio_SoundGain(s, 0.5, 0);
  double half = Rms(Render(8192), 2048);
  EXPECT_NEAR(half / full, 0.5, 0.05);
  Audio_SoundGain(h, 0.5, 0);
  double quarter = Rms(Render(8192), 2048);
  EXPECT_NEAR(quarter / full, 0.25, 0.03);
  // A fade reaches the mix through the per-frame update.
  Audio_SoundGain(h, 0, 16);
  Audio_Update();
  EXPECT_LT(Rms(Render(8192), 2048), 0.001);
}

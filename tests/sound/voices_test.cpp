// SPDX-License-Identifier: Zlib
// Voices: handle numbering, play failures, selection and priority stealing,
// and the play/pause/resume/stop state seen through the queries.
#include "AudioTestSupport.h"

TEST_F(AudioTest, HandlesStartAt400001AndCountUpNeverReused) {
  int s = AddStreamedTone("msc_A", 1.0);
  StartLoopback();
  EXPECT_EQ(Audio_PlaySound(s, 1, false), 400001);
  EXPECT_EQ(Audio_PlaySound(s, 1, false), 400002);
  Audio_StopAll();
  // The stopped voices are reused, their handles are not.
  EXPECT_EQ(Audio_PlaySound(s, 1, false), 400003);
  EXPECT_FALSE(Audio_IsPlaying(400001));
  EXPECT_TRUE(Audio_IsPlaying(400003));
}

TEST_F(AudioTest, HandleNumberingRestartsWithANewRun) {
  int s = AddStreamedTone("msc_A", 0.5);
  StartLoopback();
  Audio_PlaySound(s, 1, false);
  Audio_Shutdown();
  StartLoopback();
  EXPECT_EQ(Audio_PlaySound(s, 1, false), 400001);
}

TEST_F(AudioTest, UnknownSoundGivesZeroAndMessage) {
  AddStreamedTone("msc_A", 0.5);
  StartLoopback();
  EXPECT_EQ(Audio_PlaySound(5, 1, false), 0);
  EXPECT_NE(Log().find("Error: no sound exists for soundid 5\n"), std::string::npos);
  EXPECT_EQ(Audio_PlaySound(-4, 1, false), 0);
  EXPECT_NE(Log().find("Error: no sound exists for soundid -4\n"), std::string::npos);
}

TEST_F(AudioTest, SoundOfUnloadedGroupDoesNotPlayUntilGroupLoaded) {
  int g = AudioGroup_Add("audiogroup_music");
  ASSERT_EQ(g, 1);
  int s = AddStreamedTone("msc_Grouped", 0.5, 2, 440.0, g);
  StartLoopback();
  EXPECT_EQ(Audio_PlaySound(s, 1, false), -1);
  EXPECT_NE(Log().find("audio_play_sound: Audio Group 1 is not loaded\n"), std::string::npos);
  AudioGroup_SetLoadState(g, AUDIOGROUP_LOADING);
  EXPECT_EQ(Audio_PlaySound(s, 1, false), -1);
  AudioGroup_SetLoadState(g, AUDIOGROUP_LOADED);
  EXPECT_EQ(Audio_PlaySound(s, 1, false), 400001);
}

TEST_F(AudioTest, PausedVoiceIsPlayingAndPausedAndSilent) {
  int s = AddStreamedTone("msc_A", 2.0);
  StartLoopback();
  int h = Audio_PlaySound(s, 1, false);
  EXPECT_GT(Rms(Render(4096)), 0.1);
  Audio_PauseSound(h);
  EXPECT_TRUE(Audio_IsPlaying(h));
  EXPECT_TRUE(Audio_IsPaused(h));
  EXPECT_TRUE(Audio_IsPaused(s));
  double at = Audio_SoundGetTrackPosition(h);
  EXPECT_LT(Rms(Render(8192), 1024), 0.001);
  EXPECT_DOUBLE_EQ(Audio_SoundGetTrackPosition(h), at);
  Audio_ResumeSound(h);
  EXPECT_FALSE(Audio_IsPaused(h));
  EXPECT_GT(Rms(Render(4096)), 0.1);
  EXPECT_NEAR(Audio_SoundGetTrackPosition(h), at + 4096.0 / TEST_RATE, 1e-6);
}

TEST_F(AudioTest, PauseAndResumeBySoundIndexReachEveryVoiceOfIt) {
  int a = AddStreamedTone("msc_A", 2.0);
  int b = AddStreamedTone("msc_B", 2.0, 2, 660.0);
  StartLoopback();
  int a1 = Audio_PlaySound(a, 1, false);
  int a2 = Audio_PlaySound(a, 1, false);
  int b1 = Audio_PlaySound(b, 1, false);
  Audio_PauseSound(a);
  EXPECT_TRUE(Audio_IsPaused(a1));
  EXPECT_TRUE(Audio_IsPaused(a2));
  EXPECT_FALSE(Audio_IsPaused(b1));
  EXPECT_FALSE(Audio_IsPaused(b));
  Audio_ResumeSound(a);
  EXPECT_FALSE(Audio_IsPaused(a1));
  EXPECT_FALSE(Audio_IsPaused(a2));
  EXPECT_FALSE(Audio_IsPaused(a));
}

TEST_F(AudioTest, StopBySoundIndexHandleAndAll) {
  int a = AddStreamedTone("msc_A", 2.0);
  int b = AddStreamedTone("msc_B", 2.0);
  StartLoopback();
  int a1 = Audio_PlaySound(a, 1, false);
  int a2 = Audio_PlaySound(a, 1, false);
  int b1 = Audio_PlaySound(b, 1, false);
  Audio_StopSound(a1);
  EXPECT_FALSE(Audio_IsPlaying(a1));
  EXPECT_TRUE(Audio_IsPlaying(a2));
  EXPECT_TRUE(Audio_IsPlaying(a));
  Audio_StopSound(a);
  EXPECT_FALSE(Audio_IsPlaying(a));
  EXPECT_TRUE(Audio_IsPlaying(b1));
  Audio_StopAll();
  EXPECT_FALSE(Audio_IsPlaying(b));
  EXPECT_EQ(Audio_ActiveVoiceCount(), 0);
  EXPECT_LT(Rms(Render(4096), 1024), 0.001);
  // A stopped handle names no voice any more.
  EXPECT_EQ(Audio_SoundGetGain(b1), 0.0);
  EXPECT_EQ(Audio_SoundGetTrackPosition(b1), 0.0);
}

TEST_F(AudioTest, QueriesOfIdsThatNameNothingAreZero) {
  AddStreamedTone("msc_A", 0.5);
  StartLoopback();
  EXPECT_FALSE(Audio_IsPlaying(-4));
  EXPECT_FALSE(Audio_IsPaused(-4));
  EXPECT_FALSE(Audio_IsPlaying(400001));
  EXPECT_EQ(Audio_SoundGetGain(99), 0.0);
  EXPECT_EQ(Audio_SoundGetTrackPosition(99), 0.0);
  Audio_PauseSound(-4);
  Audio_StopSound(400123);
  EXPECT_EQ(Log().find("Error"), std::string::npos);
}

TEST_F(AudioTest, The128thVoiceNeedsAHigherPriority) {
  int s = AddStreamedTone("msc_A", 0.5, 1);
  StartLoopback();
  std::vector<int> handles;
  for (int i = 0; i < 127; ++i) {
    int h = Audio_PlaySound(s, i == 40 ? 0.5 : 1.0, true);
    ASSERT_EQ(h, 400001 + i);
    handles.push_back(h);
  }
  EXPECT_EQ(Audio_ActiveVoiceCount(), 127);
  // No voice is below 0.5: the 128th voice fails.
  EXPECT_EQ(Audio_PlaySound(s, 0.5, true), -1);
  EXPECT_EQ(Audio_PlaySound(s, 0.1, true), -1);
  // A higher priority steals the lowest-priority voice, and only that one.
  int stealer = Audio_PlaySound(s, 1.0, true);
  EXPECT_EQ(stealer, 400128);
  EXPECT_FALSE(Audio_IsPlaying(handles[40]));
  EXPECT_TRUE(Audio_IsPlaying(handles[39]));
  EXPECT_TRUE(Audio_IsPlaying(handles[41]));
  EXPECT_EQ(Audio_ActiveVoiceCount(), 127);
  // Now every voice has priority 1 or more: priority 1 cannot steal.
  EXPECT_EQ(Audio_PlaySound(s, 1.0, true), -1);
  EXPECT_EQ(Audio_PlaySound(s, 1.5, true), 400129);
  EXPECT_EQ(Audio_ActiveVoiceCount(), 127);
}

TEST_F(AudioTest, OneShotTrackEndsAndFreesItsVoice) {
  int s = AddStreamedTone("msc_Short", 0.25);
  StartLoopback();
  int h = Audio_PlaySound(s, 1, false);
  Render(TEST_RATE / 8);
  EXPECT_TRUE(Audio_IsPlaying(h));
  Render(TEST_RATE / 4);
  EXPECT_FALSE(Audio_IsPlaying(h));
  EXPECT_FALSE(Audio_IsPlaying(s));
  EXPECT_EQ(Audio_ActiveVoiceCount(), 0);
  EXPECT_EQ(Audio_GetStreamStats().finished, 1u);
  EXPECT_EQ(Audio_GetStreamStats().underruns, 0u);
}

TEST_F(AudioTest, LoopingTrackPlaysOnPastItsEnd) {
  int s = AddStreamedTone("msc_Short", 0.25);
  StartLoopback();
  int h = Audio_PlaySound(s, 1, true);
  std::vector<int16_t> mix = Render(TEST_RATE);
  EXPECT_TRUE(Audio_IsPlaying(h));
  // The last quarter second, three loops later, still sounds.
  std::vector<int16_t> tail(mix.end() - TEST_RATE / 2, mix.end());
  EXPECT_GT(Rms(tail), 0.1);
  EXPECT_EQ(Audio_GetStreamStats().underruns, 0u);
}

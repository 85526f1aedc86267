// SPDX-License-Identifier: Zlib
// Where sound data comes from: files next to the program, embedded bytes, and
// what happens when a file is missing, damaged or not a file at all. Also the
// decoder on bytes and on a file read within a size.
#include <cstdio>
#include <cstring>

#include "AudioTestSupport.h"
#include "TempFolder.h"
#include "WithinDeadline.h"
#include "sound/AudioState.h"
#include "sound/OggDecoder.h"

TEST(SoundKindFlags, FromTheFlagsWord) {
  EXPECT_EQ(Sound_KindFromFlags(0), 0u);
  EXPECT_EQ(Sound_KindFromFlags(1), SOUND_STREAMED | SOUND_COMPRESSED);
  EXPECT_EQ(Sound_KindFromFlags(99), SOUND_STREAMED | SOUND_COMPRESSED);
  EXPECT_EQ(Sound_KindFromFlags(100), SOUND_STREAMED | SOUND_COMPRESSED);
  EXPECT_EQ(Sound_KindFromFlags(101), 0u);
  EXPECT_EQ(Sound_KindFromFlags(102), SOUND_COMPRESSED);
  EXPECT_EQ(Sound_KindFromFlags(103), SOUND_DECOMPRESS_ON_LOAD);
}

TEST(SoundRecords, EntriesKeepTheirFieldsAndIndices) {
  Sound_ClearAll();
  SoundEntry a{"msc_Main_Cocktail", 100, nullptr, "msc_Main_Cocktail.ogg", 0, 1.0f, 0.0f, 0, -1};
  SoundEntry b{"msc_Main_DatDoe", 101, "", "msc_Main_DatDoe.ogg", 0, 0.5f, 1.0f, 0, -1};
  EXPECT_EQ(Sound_Add(a), 0);
  EXPECT_EQ(Sound_Add(b), 1);
  EXPECT_EQ(Sound_Count(), 2);
  EXPECT_EQ(Sound_Find("msc_Main_DatDoe"), 1);
  EXPECT_EQ(Sound_Find("msc_Nothing"), -1);
  EXPECT_STREQ(Sound_Name(0), "msc_Main_Cocktail");
  EXPECT_EQ(Sound_Kind(0), SOUND_STREAMED | SOUND_COMPRESSED);
  EXPECT_EQ(Sound_Kind(1), 0u);
  EXPECT_EQ(Sound_Length(0), -1.0);
  EXPECT_TRUE(AudioGroup_IsLoaded(0));
  EXPECT_FALSE(AudioGroup_IsLoaded(3));
  Sound_ClearAll();
}

TEST_F(AudioTest, MissingFileIsReportedAndPlaysNothing) {
  int s = AddSoundEntry("msc_Missing", 100);
  int ok = AddStreamedTone("msc_A", 0.5);
  StartLoopback();
  EXPECT_EQ(Audio_PlaySound(s, 1, false), -1);
  EXPECT_NE(Log().find("COggAudio::PlaySound- could not find audio file for sound msc_Missing\n"), std::string::npos);
  EXPECT_FALSE(Audio_IsPlaying(s));
  // Nothing was used up by the failure.
  EXPECT_EQ(Audio_PlaySound(ok, 1, false), 400001);
}

TEST_F(AudioTest, DamagedFileIsRefusedWithOpenError) {
  std::vector<uint8_t> junk(5000);
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<uint8_t>(i * 7919u >> 3);
  WriteFile(folder_ + "/msc_Junk.ogg", junk);
  int s = AddSoundEntry("msc_Junk", 100);
  StartLoopback();
  EXPECT_EQ(Audio_PlaySound(s, 1, false), -1);
  EXPECT_NE(Log().find("Could not open Ogg file " + folder_ + "/msc_Junk.ogg\n"), std::string::npos);
  EXPECT_NE(Log().find("ov_open error -132\n"), std::string::npos);  // not Vorbis data
}

TEST_F(AudioTest, EmptyFileIsRefused) {
  WriteFile(folder_ + "/msc_Empty.ogg", {});
  int s = AddSoundEntry("msc_Empty", 100);
  StartLoopback();
  EXPECT_EQ(Audio_PlaySound(s, 1, false), -1);
  EXPECT_NE(Log().find("ov_open error"), std::string::npos);
}

// A pipe, a device, a folder or a file past the limit in place of a music
// track plays nothing, at once, and the debug output names the file and why.
TEST_F(AudioTest, WhatIsNotARegularFileIsNotPlayedAndNothingBlocks) {
  for (NotAFile kind : kEveryNotAFile) {
    const std::string name = "msc_NotAFile" + std::to_string(static_cast<int>(kind));
    const std::string path = folder_ + "/" + name + ".ogg";
    ASSERT_TRUE(NotAFile_Make(kind, path, OGG_FILE_MAX_BYTES)) << path;
    const int s = AddSoundEntry(name, 100);
    std::optional<std::string> outcome = RunWithinDeadline([&] {
      Audio_InitWith(Audio_LoopbackOptions(TEST_RATE));
      std::string played = std::to_string(Audio_PlaySound(s, 1, false));
      return played + "\n" + Log();
    });
    ASSERT_TRUE(outcome.has_value()) << NotAFile_Name(kind) << ": blocked or crashed";
    const std::string reason = kind == NotAFile::kOversized ? "larger than 268435456 bytes" : "not a regular file";
    EXPECT_EQ(outcome->rfind("-1\n", 0), 0u) << *outcome;
    EXPECT_NE(outcome->find("Could not open Ogg file " + path + ": " + reason + "\n"), std::string::npos) << *outcome;
  }
}

TEST_F(AudioTest, TruncatedTrackPlaysWhatItHasAndEnds) {
  // Long enough that the audio spans many pages: the cut keeps the headers
  // and a few seconds of audio, and ends inside a page.
  std::vector<uint8_t> bytes = MakeSineOgg(8.0, TEST_RATE, 2, 440.0);
  bytes.resize(bytes.size() * 2 / 3);
  WriteFile(folder_ + "/msc_Cut.ogg", bytes);
  int s = AddSoundEntry("msc_Cut", 100);
  StartLoopback();
  int h = Audio_PlaySound(s, 1, false);
  ASSERT_GT(h, 0) << Log();
  EXPECT_GT(Rms(Render(8192)), 0.1);
  Render(TEST_RATE * 8);
  EXPECT_FALSE(Audio_IsPlaying(h));
  EXPECT_EQ(Audio_GetStreamStats().finished, 1u);
}

TEST_F(AudioTest, CorruptedMiddleDoesNotStopALoopingTrackFromRunning) {
  std::vector<uint8_t> bytes = MakeSineOgg(8.0, TEST_RATE, 2, 440.0);
  for (size_t i = bytes.size() * 3 / 4; i < bytes.size() * 3 / 4 + 200; ++i) bytes[i] ^= 0x5A;
  WriteFile(folder_ + "/msc_Bent.ogg", bytes);
  int s = AddSoundEntry("msc_Bent", 100);
  StartLoopback();
  int h = Audio_PlaySound(s, 1, true);
  ASSERT_GT(h, 0);
  Render(TEST_RATE * 10);
  EXPECT_TRUE(Audio_IsPlaying(h));
  EXPECT_GT(Rms(Render(8192)), 0.1);
  Audio_StopSound(h);
}

TEST_F(AudioTest, SoundHeldInMemoryPlaysFromEmbeddedBytes) {
  static std::vector<uint8_t> bytes;
  bytes = MakeSineOgg(0.5, TEST_RATE, 2, 440.0);
  int index = Audio_AddEmbeddedFile(bytes.data(), bytes.size());
  int s = AddSoundEntry("snd_Click", 101, 0, index);
  StartLoopback();
  ASSERT_TRUE(Sound_Prepare());
  int h = Audio_PlaySound(s, 1, false);
  EXPECT_EQ(h, 400001);
  EXPECT_GT(Rms(Render(4096)), 0.1);
  EXPECT_TRUE(Audio_IsPlaying(s));
  Render(TEST_RATE / 4 - 4096);
  // Not streamed: the position is the source's own offset.
  EXPECT_NEAR(Audio_SoundGetTrackPosition(h), 0.25, 0.002);
  Render(TEST_RATE / 2);
  EXPECT_FALSE(Audio_IsPlaying(h));
  // Its voice is free again.
  EXPECT_EQ(Audio_PlaySound(s, 1, false), 400002);
  EXPECT_EQ(Audio_ActiveVoiceCount(), 1);
}

TEST(OggDecoderBytes, DecodesEveryFrameOfATone) {
  std::vector<uint8_t> bytes = MakeSineOgg(1.0, 22050, 1, 440.0);
  OggDecoder decoder;
  ASSERT_EQ(decoder.OpenMemory(bytes.data(), bytes.size()), 0);
  EXPECT_EQ(decoder.Channels(), 1);
  EXPECT_EQ(decoder.Rate(), 22050);
  EXPECT_NEAR(decoder.LengthSeconds(), 1.0, 1e-9);
  std::vector<uint8_t> pcm(4096);
  size_t total = 0, got;
  while ((got = decoder.Read(pcm.data(), pcm.size())) > 0) total += got;
  EXPECT_EQ(total, 22050u * 2);
  EXPECT_FALSE(decoder.Failed());
  // Rewinding starts over.
  ASSERT_TRUE(decoder.Rewind());
  EXPECT_EQ(decoder.Read(pcm.data(), pcm.size()), pcm.size());
}

TEST(OggDecoderBytes, LoopingFillWrapsToTheStartWithoutAGap) {
  std::vector<uint8_t> bytes = MakeSineOgg(0.05, 8000, 1, 200.0);  // 400 frames, 800 bytes
  OggDecoder decoder;
  ASSERT_EQ(decoder.OpenMemory(bytes.data(), bytes.size()), 0);
  std::vector<uint8_t> area(16384);
  EXPECT_EQ(decoder.Fill(area.data(), area.size(), true), area.size());
  // The track repeats every 800 bytes.
  EXPECT_EQ(std::memcmp(area.data(), area.data() + 800, 800), 0);
  OggDecoder once;
  ASSERT_EQ(once.OpenMemory(bytes.data(), bytes.size()), 0);
  EXPECT_EQ(once.Fill(area.data(), area.size(), false), 800u);
}

TEST(OggDecoderBytes, RefusesNonVorbisAndEmptyInput) {
  OggDecoder decoder;
  const uint8_t text[] = "OggS but not really an ogg stream at all";
  EXPECT_LT(decoder.OpenMemory(text, sizeof text), 0);
  EXPECT_FALSE(decoder.IsOpen());
  EXPECT_LT(decoder.OpenMemory(nullptr, 100), 0);
  EXPECT_EQ(decoder.Read(nullptr, 100), 0u);
  EXPECT_FALSE(decoder.Rewind());
}

TEST(OggDecoderBytes, EveryTruncationOpensOrFailsCleanly) {
  std::vector<uint8_t> bytes = MakeSineOgg(0.2, 8000, 2, 300.0);
  std::vector<uint8_t> pcm(4096);
  int opened = 0;
  for (size_t cut = 0; cut < bytes.size(); cut += 37) {
    std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
    OggDecoder decoder;
    if (decoder.OpenMemory(part.data(), part.size()) != 0) continue;
    ++opened;
    size_t total = 0, got;
    while ((got = decoder.Read(pcm.data(), pcm.size())) > 0) total += got;
    EXPECT_LE(total, 0.2 * 8000 * 4 + 4096);
  }
  EXPECT_GT(opened, 0);
}

// A file is read as if it ended at the size it was given (its size when it
// was checked): what lies beyond, such as what was written to it since, is
// never decoded.
TEST(OggDecoderFile, ReadsNoFurtherThanTheSizeItWasGiven) {
  // Long enough that the audio spans many pages (as in the truncated track above).
  const std::vector<uint8_t> bytes = MakeSineOgg(8.0, TEST_RATE, 2, 440.0);
  TempFolder folder;
  const std::string path = folder.Path() + "track.ogg";
  WriteFile(path, bytes);
  auto decodedBytes = [&](uint64_t size) {
    OggDecoder decoder;
    if (decoder.OpenFile(std::fopen(path.c_str(), "rb"), size) != 0) return size_t{0};
    std::vector<uint8_t> pcm(65536);
    size_t total = 0, got;
    while ((got = decoder.Read(pcm.data(), pcm.size())) > 0) total += got;
    return total;
  };
  const size_t whole = 8u * TEST_RATE * 4;
  EXPECT_EQ(decodedBytes(bytes.size()), whole);
  const size_t part = decodedBytes(bytes.size() * 2 / 3);
  EXPECT_GT(part, whole / 3);
  EXPECT_LT(part, whole * 5 / 6);
}

// SPDX-License-Identifier: Zlib
// The committed background tracks: they decode, have the format and length
// the player expects, are distinct pieces, loop without a silent gap, and
// come out of the synthesiser the same way again.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <string>
#include <vector>

#include "content_files.h"

namespace fs = std::filesystem;
using namespace content_test;

namespace {

const fs::path kMusic = fs::path(MOB_EDITOR_DIR) / "music";

const char* const kTracks[8] = {"msc_Main_Cocktail", "msc_Main_DatDoe", "msc_Main_PreciseAim", "msc_SlimyPickle",
                                "msc_Tutorial",      "msc_Boss1",       "msc_Big_Booty_Beat_Sauce", "msc_ScummyBaby"};

struct Decoded {
  int channels = 0;
  long rate = 0;
  double seconds = 0;
  std::vector<float> left, right;
};

bool decode(const fs::path& file, Decoded& out) {
  OggVorbis_File vf;
  if (ov_fopen(file.c_str(), &vf) != 0) return false;
  const vorbis_info* vi = ov_info(&vf, -1);
  out.channels = vi->channels;
  out.rate = vi->rate;
  out.seconds = ov_time_total(&vf, -1);
  bool ok = true;
  for (;;) {
    float** pcm = nullptr;
    int section = 0;
    const long n = ov_read_float(&vf, &pcm, 4096, &section);
    if (n == 0) break;
    if (n < 0) {
      ok = false;
      break;
    }
    out.left.insert(out.left.end(), pcm[0], pcm[0] + n);
    out.right.insert(out.right.end(), pcm[out.channels > 1 ? 1 : 0], pcm[out.channels > 1 ? 1 : 0] + n);
  }
  ov_clear(&vf);
  return ok;
}

double rms(const std::vector<float>& v, size_t from, size_t count) {
  double s = 0;
  for (size_t i = from; i < from + count; ++i) s += double(v[i]) * v[i];
  return std::sqrt(s / count);
}

class Tracks : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    decoded_ = new std::vector<Decoded>(8);
    for (int i = 0; i < 8; ++i) decodedOk_[i] = decode(kMusic / (std::string(kTracks[i]) + ".ogg"), (*decoded_)[i]);
  }
  static void TearDownTestSuite() {
    delete decoded_;
    decoded_ = nullptr;
  }
  static std::vector<Decoded>* decoded_;
  static bool decodedOk_[8];
};
std::vector<Decoded>* Tracks::decoded_ = nullptr;
bool Tracks::decodedOk_[8] = {};

TEST_F(Tracks, DecodeAsStereoAt44100HzForAtLeast45Seconds) {
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(decodedOk_[i]) << kTracks[i] << " does not decode";
    const Decoded& d = (*decoded_)[i];
    EXPECT_EQ(d.channels, 2) << kTracks[i];
    EXPECT_EQ(d.rate, 44100) << kTracks[i];
    EXPECT_GE(d.seconds, 45.0) << kTracks[i];
    EXPECT_GE(d.left.size(), 45u * 44100u) << kTracks[i];
  }
}

// Audible all the way through, without clipping: every five-second stretch
// carries sound, and the samples stay inside full scale.
TEST_F(Tracks, AreNeitherSilentNorClipped) {
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(decodedOk_[i]);
    const Decoded& d = (*decoded_)[i];
    const size_t window = 5 * 44100;
    for (size_t at = 0; at + window <= d.left.size(); at += window)
      EXPECT_GT(rms(d.left, at, window) + rms(d.right, at, window), 0.05) << kTracks[i] << " quiet at " << at / 44100 << " s";
    size_t clipped = 0;
    for (size_t k = 0; k < d.left.size(); ++k) clipped += std::abs(d.left[k]) >= 0.999f || std::abs(d.right[k]) >= 0.999f;
    EXPECT_LT(clipped, d.left.size() / 10000) << kTracks[i];
  }
}

// Loops without a gap: the first and the last half second both sound.
TEST_F(Tracks, HaveNoSilenceAtTheLoopPoint) {
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(decodedOk_[i]);
    const Decoded& d = (*decoded_)[i];
    const size_t half = 44100 / 2;
    EXPECT_GT(rms(d.left, 0, half), 0.02) << kTracks[i] << " starts silent";
    EXPECT_GT(rms(d.left, d.left.size() - half, half), 0.02) << kTracks[i] << " ends silent";
  }
}

TEST_F(Tracks, AreDistinctPieces) {
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(decodedOk_[i]);
  for (int i = 0; i < 8; ++i)
    for (int j = i + 1; j < 8; ++j) {
      const Decoded &a = (*decoded_)[i], &b = (*decoded_)[j];
      // Compare the first ten seconds sample by sample.
      double diff = 0, energy = 0;
      for (size_t k = 0; k < 10 * 44100u; ++k) {
        diff += std::pow(double(a.left[k]) - b.left[k], 2);
        energy += double(a.left[k]) * a.left[k] + double(b.left[k]) * b.left[k];
      }
      EXPECT_GT(diff, 0.3 * energy) << kTracks[i] << " and " << kTracks[j] << " sound alike";
    }
}

TEST(MusicGenerator, RegeneratesATrackByteForByte) {
  // One track keeps the test short; all tracks share the same code path.
  ScratchDir dir("music");
  ASSERT_EQ(run(std::string(MOB_MUSICGEN) + " --out '" + dir.path().string() + "' --only msc_Tutorial"), 0);
  const std::vector<uint8_t> fresh = readBytes(dir.path() / "msc_Tutorial.ogg");
  ASSERT_FALSE(fresh.empty());
  EXPECT_EQ(fresh, readBytes(kMusic / "msc_Tutorial.ogg"));
}

TEST(MusicGenerator, RejectsAnUnknownTrackName) {
  ScratchDir dir("music-bad");
  EXPECT_NE(run(std::string(MOB_MUSICGEN) + " --out '" + dir.path().string() + "' --only msc_NoSuchTrack 2>/dev/null"), 0);
  EXPECT_TRUE(filesBelow(dir.path()).empty());
}

}  // namespace

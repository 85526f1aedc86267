// SPDX-License-Identifier: Zlib
// musicgen: renders the editor's eight background tracks with our own
// synthesiser and writes them as Ogg Vorbis files (stereo, 44100 Hz).
//
//   musicgen --out DIR [--only NAME]   write DIR/<name>.ogg (all, or one)
//   musicgen --list                    print "name bpm tonic seconds"
//
// Deterministic: fixed seeds, our own random generator and a fixed Ogg
// stream serial number, so the same build writes the same bytes.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "OggVorbis.h"
#include "tracks.h"

using namespace musicgen;

namespace {

// Modest size for background music: VBR quality 0.25 (about 70 kbit/s).
constexpr float kQuality = 0.25f;

bool encode(const std::string& path, const Track& t, const Stereo& pcm, int serial) {
  media::VorbisFormat format;
  format.channels = 2;
  format.rate = kRate;
  format.quality = kQuality;
  format.serial = serial;
  format.tags = {{"TITLE", t.name}, {"ARTIST", "Mobwright Studio musicgen"}};
  std::vector<uint8_t> ogg;
  bool ok = media::Vorbis_Encode(format, pcm.size(), [&pcm](float** channels, size_t first, size_t count) {
    std::memcpy(channels[0], &pcm.l[first], count * sizeof(float));
    std::memcpy(channels[1], &pcm.r[first], count * sizeof(float));
  }, &ogg);
  FILE* f = ok ? std::fopen(path.c_str(), "wb") : nullptr;
  ok = f && std::fwrite(ogg.data(), 1, ogg.size(), f) == ogg.size();
  if (f) ok = std::fclose(f) == 0 && ok;
  if (!ok) std::fprintf(stderr, "musicgen: writing %s failed\n", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, only;
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc) out = argv[++i];
    else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) only = argv[++i];
    else if (!std::strcmp(argv[i], "--list")) list = true;
    else {
      std::fprintf(stderr, "usage: musicgen --out DIR [--only NAME] | --list\n");
      return 2;
    }
  }
  if (list) {
    for (const Track& t : tracks()) std::printf("%s %g %d %.3f\n", t.name, t.bpm, t.tonic, trackSeconds(t));
    return 0;
  }
  if (out.empty()) {
    std::fprintf(stderr, "usage: musicgen --out DIR [--only NAME] | --list\n");
    return 2;
  }
  bool found = only.empty();
  int serial = 0x4d6f6200;  // fixed, one per track below
  for (const Track& t : tracks()) {
    ++serial;
    if (!only.empty() && only != t.name) continue;
    found = true;
    if (!encode(out + "/" + t.name + ".ogg", t, compose(t), serial)) return 1;
  }
  if (!found) {
    std::fprintf(stderr, "musicgen: no track named %s\n", only.c_str());
    return 2;
  }
  return 0;
}

// SPDX-License-Identifier: Zlib
#include "OggFixtures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "OggVorbis.h"
#include "TempFolder.h"

std::vector<uint8_t> MakeSineOgg(double seconds, int rate, int channels, double frequency) {
  media::VorbisFormat format;
  format.channels = channels;
  format.rate = rate;
  format.quality = 0.4f;
  format.serial = 1234;
  const size_t frames = static_cast<size_t>(std::lround(seconds * rate));
  std::vector<uint8_t> out;
  media::Vorbis_Encode(format, frames, [&](float** buffer, size_t first, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      float s = static_cast<float>(0.5 * std::sin(2.0 * M_PI * frequency * static_cast<double>(first + i) / rate));
      for (int c = 0; c < channels; ++c) buffer[c][i] = s;
    }
  }, &out);
  return out;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string MakeTempFolder() { return TempFolder_Make("mobsound"); }

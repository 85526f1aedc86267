// SPDX-License-Identifier: Zlib
// Ogg Vorbis encoding for the tools and tests: samples from a source, a
// block at a time, into Ogg pages held in memory. The same source, format and
// serial number give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace media {

struct VorbisFormat {
  int channels = 2;
  int rate = 44100;
  float quality = 0.4f;  // VBR quality, -0.1 to 1
  int serial = 1;        // the Ogg stream's serial number
  std::vector<std::pair<std::string, std::string>> tags;  // comment tags, e.g. {"TITLE", ...}
};

// Fills channels[c][0 .. count) with the samples from `first` on (-1 to 1).
using VorbisSource = std::function<void(float** channels, size_t first, size_t count)>;

// Encodes `frames` samples per channel. False when the encoder refuses the
// format.
bool Vorbis_Encode(const VorbisFormat& format, size_t frames, const VorbisSource& source, std::vector<uint8_t>* ogg);

}  // namespace media

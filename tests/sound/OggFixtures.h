// SPDX-License-Identifier: Zlib
// Small Ogg Vorbis files made at test time with libvorbisenc, so the tests
// need no committed audio.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Encodes `seconds` of a sine tone (amplitude 0.5) as Ogg Vorbis bytes.
std::vector<uint8_t> MakeSineOgg(double seconds, int rate, int channels, double frequency);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
// A fresh empty folder under the system's temporary folder.
std::string MakeTempFolder();

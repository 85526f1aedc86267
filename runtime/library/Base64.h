// SPDX-License-Identifier: Zlib
// Base64 with the standard alphabet and '=' filling the last group, no line
// breaks (the body of secure map files).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

std::string Base64_Encode(const void* data, size_t size);
// Strict decoding: the length must be a multiple of four, every character
// from the alphabet, '=' only as one or two final characters, and the unused
// bits of the last group zero. False on any other text.
bool Base64_Decode(const char* text, size_t length, std::vector<uint8_t>* bytes);

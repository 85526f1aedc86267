// SPDX-License-Identifier: Zlib
// Helpers shared by the content tests: reading PNGs and files, running a
// generator into a scratch folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace content_test {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // straight alpha, row after row
  uint8_t alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
  const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// False when the file is missing or not a PNG.
bool readPng(const std::filesystem::path& file, Picture& out);

std::vector<uint8_t> readBytes(const std::filesystem::path& file);

// A fresh empty folder under the system's temporary folder, removed again
// by the destructor.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& tag);
  ~ScratchDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Runs a command line; returns its exit status (-1 if it could not run).
int run(const std::string& command);

// Every regular file below `root`, as paths relative to it, sorted.
std::vector<std::filesystem::path> filesBelow(const std::filesystem::path& root);

}  // namespace content_test

// SPDX-License-Identifier: Zlib
#include "content_files.h"

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace content_test {

bool readPng(const fs::path& file, Picture& out) {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, file.c_str())) return false;
  img.format = PNG_FORMAT_RGBA;
  out.width = static_cast<int>(img.width);
  out.height = static_cast<int>(img.height);
  out.rgba.assign(PNG_IMAGE_SIZE(img), 0);
  if (!png_image_finish_read(&img, nullptr, out.rgba.data(), 0, nullptr)) {
    png_image_free(&img);
    return false;
  }
  return true;
}

std::vector<uint8_t> readBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ScratchDir::ScratchDir(const std::string& tag) {
  path_ = fs::temp_directory_path() / ("mob-content-" + tag + "-" + std::to_string(::getpid()));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

int run(const std::string& command) {
  const int status = std::system(command.c_str());
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::vector<fs::path> filesBelow(const fs::path& root) {
  std::vector<fs::path> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) out.push_back(fs::relative(e.path(), root));
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace content_test

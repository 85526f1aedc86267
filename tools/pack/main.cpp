// SPDX-License-Identifier: Zlib
// pack MANIFEST OUTPUT: writes the game data file for the manifest's game.
#include <cstdio>

#include "Pack.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pack game.json data.win\n");
    return 2;
  }
  mob::Manifest manifest;
  std::string error;
  if (!mob::Manifest_Load(argv[1], &manifest, &error)) {
    std::fprintf(stderr, "pack: %s\n", error.c_str());
    return 1;
  }
  std::vector<uint8_t> data;
  pack::PackStats stats;
  if (!pack::Pack_Build(manifest, &data, &error, &stats)) {
    std::fprintf(stderr, "pack: %s\n", error.c_str());
    return 1;
  }
  std::string temp = std::string(argv[2]) + ".tmp";
  FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file || std::fwrite(data.data(), 1, data.size(), file) != data.size() || std::fclose(file) != 0 ||
      std::rename(temp.c_str(), argv[2]) != 0) {
    std::fprintf(stderr, "pack: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("pack: %s: %zu bytes, %d texture-page items, %d strings, page PNG %zu bytes\n", argv[2], data.size(),
              stats.textureItems, stats.strings, stats.pngBytes);
  return 0;
}

// SPDX-License-Identifier: Zlib
// Loading the editor's game data file: the whole chunk loop (every reader,
// objects filed in the core, the PNG page decoded) and, apart, the PNG decode
// of the texture page alone, so the decode's share of the load can be read
// off the two times (also reported as the counter "png_share").
//
// The file is the packed editor data: MOB_GAME_DATA names it, else the
// MOB_BENCH_DATA_FILE the build passes in, else "data.win" here.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Console.h"
#include "data/GameData.h"
#include "data/PngDecode.h"

namespace {

#ifndef MOB_BENCH_DATA_FILE
#define MOB_BENCH_DATA_FILE "data.win"
#endif

const std::vector<uint8_t>& DataFile() {
  static std::vector<uint8_t> bytes = [] {
    const char* path = std::getenv("MOB_GAME_DATA");
    if (!path) path = MOB_BENCH_DATA_FILE;
    std::vector<uint8_t> data;
    if (FILE* f = std::fopen(path, "rb")) {
      uint8_t buffer[65536];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.insert(data.end(), buffer, buffer + n);
      std::fclose(f);
    }
    return data;
  }();
  return bytes;
}

DummyConsole g_quiet;

void BM_LoadGameData(benchmark::State& state) {
  const auto& file = DataFile();
  if (file.empty()) {
    state.SkipWithError("no game data file (set MOB_GAME_DATA)");
    return;
  }
  Console_SetDebug(&g_quiet);
  std::string error;
  for (auto _ : state) {
    if (!GameData_Load(file.data(), file.size(), &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    GameData_Clear();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
  Console_SetDebug(nullptr);
}
BENCHMARK(BM_LoadGameData)->Unit(benchmark::kMillisecond);

void BM_DecodeTexturePage(benchmark::State& state) {
  const auto& file = DataFile();
  std::string error;
  Console_SetDebug(&g_quiet);
  if (file.empty() || !GameData_Load(file.data(), file.size(), &error) || !GameData_TexturePage(0)) {
    state.SkipWithError("no game data file with a texture page (set MOB_GAME_DATA)");
    Console_SetDebug(nullptr);
    return;
  }
  const uint32_t pngOffset = GameData_TexturePage(0)->pngOffset;
  GameData_Clear();
  Console_SetDebug(nullptr);
  DecodedImage image;
  for (auto _ : state) {
    if (!Png_DecodeRGBA(file.data() + pngOffset, file.size() - pngOffset, &image, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    benchmark::DoNotOptimize(image.rgba.data());
  }
}
BENCHMARK(BM_DecodeTexturePage)->Unit(benchmark::kMillisecond);

// Both in one run of each, to report the decode's share of one load.
void BM_LoadPngShare(benchmark::State& state) {
  const auto& file = DataFile();
  std::string error;
  Console_SetDebug(&g_quiet);
  if (file.empty() || !GameData_Load(file.data(), file.size(), &error) || !GameData_TexturePage(0)) {
    state.SkipWithError("no game data file with a texture page (set MOB_GAME_DATA)");
    Console_SetDebug(nullptr);
    return;
  }
  const uint32_t pngOffset = GameData_TexturePage(0)->pngOffset;
  GameData_Clear();
  double loadSeconds = 0, pngSeconds = 0;
  DecodedImage image;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    GameData_Load(file.data(), file.size(), &error);
    auto t1 = std::chrono::steady_clock::now();
    Png_DecodeRGBA(file.data() + pngOffset, file.size() - pngOffset, &image, &error);
    auto t2 = std::chrono::steady_clock::now();
    GameData_Clear();
    loadSeconds += std::chrono::duration<double>(t1 - t0).count();
    pngSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  Console_SetDebug(nullptr);
  state.counters["load_ms"] = 1000.0 * loadSeconds / static_cast<double>(state.iterations());
  state.counters["png_ms"] = 1000.0 * pngSeconds / static_cast<double>(state.iterations());
  state.counters["png_share"] = loadSeconds > 0 ? pngSeconds / loadSeconds : 0;
}
BENCHMARK(BM_LoadPngShare)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

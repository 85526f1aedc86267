// SPDX-License-Identifier: Zlib
// kslc benchmarks:
//  - BM_KslcCompile5000Lines: lexing, parsing and generating a 5,000-line
//    program in memory (goal for the whole editor: under one second).
//  - BM_KslcForLoop10M: a `for` loop of 10 million iterations adding to a
//    local, compiled by kslc at build time (bench/kslc); reports ns per
//    iteration (goal: under 5 ns).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Compiler.h"
#include "Manifest.h"
#include "ksl_game.h"

namespace {

// A program of `lines` lines mixing the statements the editor's events use.
std::string MakeProgram(int lines) {
  static const char* const kPatterns[] = {
      "var a%d = %d\n",
      "count%d += a0 * 2 - (3 div 2)\n",
      "if (mouse_x > 191 && mouse_x < 832) { active = 1 } else active = 0\n",
      "obj_b.color%d = make_colour_rgb(255, %d, 0)\n",
      "for (var i = 0; i < ds_list_size(list); i += 1) total += ds_list_find_value(list, i)\n",
      "with (obj_b) x += %d\n",
      "switch (floor(frame)) { case 0: draw_sprite_ext(spr_a, 0, x, y, 1, 1, rot, c_white, 1); break; default: frame = 0 }\n",
      "text = \"value: \" + string(count%d) + \"\\n\"\n",
  };
  std::string out;
  char buf[256];
  for (int i = 0; i < lines; ++i) {
    std::snprintf(buf, sizeof buf, kPatterns[i % 8], i % 50, i);
    out += buf;
  }
  return out;
}

void BM_KslcCompile5000Lines(benchmark::State& state) {
  mob::Manifest manifest;
  std::string error;
  if (!mob::Manifest_Parse(R"({"general": {"name": "b"}, "scripts": [{"name": "s"}],
                              "sprites": [{"name": "spr_a", "width": 1, "height": 1}],
                              "objects": [{"name": "obj_b", "events": ["Draw"]}]})",
                           "bench/game.json", &manifest, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  const int lines = 5000;
  std::vector<std::string> sources = {MakeProgram(lines), "x = 1\n"};
  for (auto _ : state) {
    kslc::Diagnostics diagnostics;
    std::vector<kslc::GeneratedFile> files;
    bool ok = kslc::CompileSources(manifest, sources, {}, &files, diagnostics);
    if (!ok) {
      state.SkipWithError("the generated program did not compile");
      return;
    }
    benchmark::DoNotOptimize(files.data());
  }
  state.counters["lines_per_second"] = benchmark::Counter(static_cast<double>(lines) * state.iterations(),
                                                          benchmark::Counter::kIsRate);
}
BENCHMARK(BM_KslcCompile5000Lines)->Unit(benchmark::kMillisecond);

void BM_KslcForLoop10M(benchmark::State& state) {
  const double iterations = 10000000;
  for (auto _ : state) {
    DynValue count = DynValue_MakeReal(iterations);
    DynValue* args[] = {&count};
    DynValue result = DynValue_MakeUndefined();
    ksl_Script_bench_loop(nullptr, nullptr, &result, 1, args);
    // The call cannot be dropped (it is in another file); the check reads the
    // result. (DoNotOptimize on a double member miscompiles with this GCC and
    // benchmark 1.7: its "+m,r" constraint reads a stale stack slot.)
    if (result.real != iterations * (iterations - 1) / 2) {
      state.SkipWithError("the compiled loop returned a wrong sum");
      return;
    }
  }
  state.counters["ns_per_iteration"] =
      benchmark::Counter(iterations * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KslcForLoop10M)->Unit(benchmark::kMillisecond);

}  // namespace

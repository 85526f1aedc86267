// SPDX-License-Identifier: Zlib
// Saving and loading one frame of the editor, 30 placed shapes: 30 record
// files ("0_14", ...) and the index "frame1_data.dat", 31 secure map files.
//
//   build/bench/bench_saveload [--benchmark_repetitions=5]
//
// BM_SaveFrame      the 31 ds_map_secure_save calls of the save button, made
//                   through the registered built-in as compiled code makes
//                   them, with the editor's names (working_directory + key).
// BM_SaveFrame_Bare the reference: the same bytes to the same number of files
//                   with nothing around them: open a temporary file beside the
//                   target, write, fsync, close, rename, fsync the folder.
// BM_SaveFrame_Paired  one of each per iteration, in turns, and the counter
//                   ratio = runtime save time / bare write time over the run.
//                   1.00 means the runtime adds nothing to the 31 flushed
//                   writes; 1.10 means its encoding, machine tag, name
//                   placement and confined opens add a tenth on top of them.
//                   The pairing puts both under the same disk and machine
//                   load, so read the ratio from here.
// BM_LoadFrame      what loadFrame.ksl asks of the data at start-up:
//                   file_exists and ds_map_secure_load of the index, a walk of
//                   its keys, ds_map_secure_load of every record.
// BM_LoadFrame_Bare / BM_LoadFrame_Paired  the same for plain open, read,
//                   close of the 31 files (no decoding): ratio as above.
//
// The save area is opened the runner's way, SaveFolder_Open("Mobwright")
// with XDG_DATA_HOME pointing at a fresh folder under $TMPDIR (else /tmp);
// set TMPDIR to measure another file system. Every save waits for the disk
// (two fsyncs a file), so the save times are mostly the disk's: run on an
// idle machine and quote the load. The loads read files just written, from
// the page cache, as a start-up after a save does.
// Needs: mobrt, benchmark::benchmark_main.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "code/CompiledCode.h"
#include "library/DsHandles.h"
#include "library/DsMap.h"
#include "library/Files.h"
#include "library/Library.h"
#include "library/SecureMap.h"
#include "platform/SaveFolder.h"

namespace {

constexpr int kRecords = 30;  // the canvas limit
const char* const kRecordKeys[] = {"ID Number", "Color",   "Sprite Index", "Outline Index", "X Dif", "Y Dif",
                                   "X Scale",   "Y Scale", "Rotation",     "Animating",     "Alpha"};
const char* const kIndexName = "frame1_data.dat";

struct Owned {
  DynValue v = DynValue_MakeUndefined();
  Owned() = default;
  explicit Owned(double d) : v(DynValue_MakeReal(d)) {}
  explicit Owned(const std::string& s) { DynValue_SetString(&v, s.c_str()); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& o) : v(o.v) { o.v = DynValue_MakeUndefined(); }
  ~Owned() { DynValue_Free(&v); }
};

// A registered built-in, called the way compiled code calls it.
struct Builtin {
  int id;
  explicit Builtin(const char* name) : id(Function_Find(name)) {}
  void operator()(Owned* result, std::initializer_list<DynValue*> args) const {
    std::vector<DynValue*> list(args);
    Function_CallById(nullptr, nullptr, &result->v, static_cast<int>(list.size()), id, list.data());
  }
};

std::string ReadAll(const std::string& path) {
  std::string bytes;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return bytes;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<size_t>(n));
  close(fd);
  return bytes;
}

// One frame of 30 shapes as the editor keeps it: a record map per shape and
// the index map of "j_<record handle>" keys, made through the built-ins; the
// save area; and a second folder on the same file system for the bare writes.
class Frame {
 public:
  static Frame& Get() {
    static Frame frame;
    return frame;
  }

  bool ok = false;
  std::string error;
  std::string root, bareFolder;
  int bareFd = -1;
  std::vector<int> maps;            // the 30 records, then the index
  std::vector<Owned> handles;       // the same handles as cells
  std::vector<Owned> saveNames;     // working_directory + file name, as the editor passes them
  std::vector<std::string> leaves;  // the file names
  std::vector<std::string> bytes;   // what each file holds
  Owned indexName;

  ~Frame() {
    if (bareFd >= 0) close(bareFd);
    SaveFolder().Close();
    if (!root.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(root, ignored);
    }
  }

 private:
  Frame() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mob-saveload-XXXXXX").string();
    std::vector<char> text(pattern.begin(), pattern.end());
    text.push_back('\0');
    if (!mkdtemp(text.data())) {
      error = "cannot make a temporary folder";
      return;
    }
    root = text.data();
    setenv("XDG_DATA_HOME", root.c_str(), 1);
    Library_RegisterBuiltins();
    if (!SaveFolder_Open("Mobwright")) {
      error = "cannot open the save folder";
      return;
    }
    bareFolder = root + "/bare/";
    std::filesystem::create_directories(bareFolder);
    bareFd = open(bareFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

    Builtin create("ds_map_create"), add("ds_map_add");
    const std::string workingDirectory = Files_WorkingDirectory();
    Owned result;
    create(&result, {});
    int index = static_cast<int>(result.v.real);
    Owned indexHandle(index);
    // A 6 x 5 grid of one shape around the crosshair, white, at the
    // editor's default half scale, unrotated, still, opaque: the values that
    // 30 clicks on the canvas leave (the index map is made first, as the save
    // button's Create event makes it, so the names are "0_1" ... "29_30").
    for (int j = 0; j < kRecords; ++j) {
      create(&result, {});
      int map = static_cast<int>(result.v.real);
      Owned handle(map);
      const double values[] = {static_cast<double>(j + 1),
                               16777215,
                               12,
                               13,
                               -252.0 + 100.0 * (j % 6),
                               -248.0 + 110.0 * (j / 6),
                               0.5,
                               0.5,
                               0,
                               0,
                               1};
      for (int k = 0; k < 11; ++k) {
        Owned key(std::string(kRecordKeys[k])), value(values[k]);
        add(&result, {&handle.v, &key.v, &value.v});
      }
      std::string leaf = std::to_string(j) + "_" + std::to_string(map);
      Owned key(leaf), value(leaf);
      add(&result, {&indexHandle.v, &key.v, &value.v});
      maps.push_back(map);
      leaves.push_back(leaf);
    }
    maps.push_back(index);
    leaves.push_back(kIndexName);
    std::string tag = SecureMap_ThisMachineTag();
    for (size_t i = 0; i < maps.size(); ++i) {
      handles.emplace_back(maps[i]);
      saveNames.emplace_back(workingDirectory + leaves[i]);
      std::lock_guard<std::mutex> lock(DsMutex());
      bytes.push_back(SecureMap_Encode(maps[i], tag));
    }
    DynValue_SetString(&indexName.v, (workingDirectory + kIndexName).c_str());
    ok = bareFd >= 0;
    if (!ok) error = "cannot open the reference folder";
  }
};

// The save button's 31 calls.
void SaveThroughBuiltins(Frame& f, const Builtin& save, Owned* result) {
  for (size_t i = 0; i < f.maps.size(); ++i) save(result, {&f.handles[i].v, &f.saveNames[i].v});
}

// The reference: the same bytes, written and flushed the same way.
bool SaveBare(Frame& f) {
  bool ok = true;
  for (size_t i = 0; i < f.leaves.size(); ++i) {
    std::string temporary = f.leaves[i] + ".tmp";
    int fd = openat(f.bareFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const std::string& b = f.bytes[i];
    ok = write(fd, b.data(), b.size()) == static_cast<ssize_t>(b.size()) && ok;
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    ok = renameat(f.bareFd, temporary.c_str(), f.bareFd, f.leaves[i].c_str()) == 0 && ok;
    ok = fsync(f.bareFd) == 0 && ok;
  }
  return ok;
}

// Both savers must leave exactly the bytes of the encoded maps.
bool SameFiles(Frame& f, std::string* error) {
  for (size_t i = 0; i < f.leaves.size(); ++i) {
    if (ReadAll(SaveFolder().Path() + f.leaves[i]) != f.bytes[i] || ReadAll(f.bareFolder + f.leaves[i]) != f.bytes[i]) {
      *error = "the saved file " + f.leaves[i] + " does not hold the expected bytes";
      return false;
    }
  }
  return true;
}

// The data side of loadFrame.ksl; the loaded maps' handles go to loaded.
void LoadThroughBuiltins(Frame& f, std::vector<int>* loaded) {
  static const Builtin exists("file_exists"), load("ds_map_secure_load"), first("ds_map_find_first"),
      next("ds_map_find_next"), find("ds_map_find_value"), size("ds_map_size");
  Owned result, key, name, record;
  exists(&result, {&f.indexName.v});
  if (result.v.real < 0.5) return;
  Owned top;
  load(&top, {&f.indexName.v});
  loaded->push_back(static_cast<int>(top.v.real));
  size(&result, {&top.v});
  const int n = static_cast<int>(result.v.real);
  first(&key, {&top.v});
  for (int k = 0; k < n; ++k) {
    find(&result, {&top.v, &key.v});
    Owned path(Files_WorkingDirectory() + DynValue_Chars(&result.v));
    load(&record, {&path.v});
    loaded->push_back(static_cast<int>(record.v.real));
    next(&result, {&top.v, &key.v});
    std::swap(key.v, result.v);
  }
}

// The reference: open, read, close of the same files.
size_t LoadBare(Frame& f) {
  size_t total = 0;
  char buffer[4096];
  for (const std::string& leaf : f.leaves) {
    int fd = openat(f.bareFd, leaf.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) total += static_cast<size_t>(n);
    close(fd);
  }
  return total;
}

void DestroyMaps(const std::vector<int>& handles) {
  std::lock_guard<std::mutex> lock(DsMutex());
  for (int h : handles)
    if (h >= 0) DsMap_Destroy(h);
}

bool Ready(benchmark::State& state, Frame& f) {
  if (!f.ok) state.SkipWithError(f.error.c_str());
  return f.ok;
}

// Saves once each way and checks the files, so that the loads have files and
// both savers are known to write the same bytes.
bool Prepare(benchmark::State& state, Frame& f) {
  if (!Ready(state, f)) return false;
  static const Builtin save("ds_map_secure_save");
  Owned result;
  SaveThroughBuiltins(f, save, &result);
  std::string error;
  if (!SaveBare(f)) error = "the reference write failed";
  if (error.empty()) SameFiles(f, &error);
  if (!error.empty()) state.SkipWithError(error.c_str());
  return error.empty();
}

void ReportFrame(benchmark::State& state, Frame& f) {
  size_t total = 0;
  for (const std::string& b : f.bytes) total += b.size();
  state.counters["files"] = static_cast<double>(f.bytes.size());
  state.counters["bytes"] = static_cast<double>(total);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
}

double Micros(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

void ReportPair(benchmark::State& state, double runtimeUs, double bareUs) {
  state.counters["runtime_us"] = benchmark::Counter(runtimeUs, benchmark::Counter::kAvgIterations);
  state.counters["bare_us"] = benchmark::Counter(bareUs, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = bareUs > 0 ? runtimeUs / bareUs : 0;
}

void BM_SaveFrame(benchmark::State& state) {
  Frame& f = Frame::Get();
  if (!Prepare(state, f)) return;
  const Builtin save("ds_map_secure_save");
  Owned result;
  for (auto _ : state) SaveThroughBuiltins(f, save, &result);
  ReportFrame(state, f);
}
BENCHMARK(BM_SaveFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

void BM_SaveFrame_Bare(benchmark::State& state) {
  Frame& f = Frame::Get();
  if (!Prepare(state, f)) return;
  for (auto _ : state)
    if (!SaveBare(f)) {
      state.SkipWithError("the reference write failed");
      break;
    }
  ReportFrame(state, f);
}
BENCHMARK(BM_SaveFrame_Bare)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

void BM_SaveFrame_Paired(benchmark::State& state) {
  Frame& f = Frame::Get();
  if (!Prepare(state, f)) return;
  const Builtin save("ds_map_secure_save");
  Owned result;
  double runtimeUs = 0, bareUs = 0;
  bool runtimeFirst = true;
  for (auto _ : state) {
    for (int half = 0; half < 2; ++half) {
      bool runtime = (half == 0) == runtimeFirst;
      auto start = std::chrono::steady_clock::now();
      if (runtime) {
        SaveThroughBuiltins(f, save, &result);
        runtimeUs += Micros(std::chrono::steady_clock::now() - start);
      } else {
        SaveBare(f);
        bareUs += Micros(std::chrono::steady_clock::now() - start);
      }
    }
    runtimeFirst = !runtimeFirst;
  }
  ReportPair(state, runtimeUs, bareUs);
}
// A save of the frame takes a tenth of a second or more (62 fsyncs): a fixed
// count of pairs keeps the ratio from resting on one or two.
BENCHMARK(BM_SaveFrame_Paired)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

void BM_LoadFrame(benchmark::State& state) {
  Frame& f = Frame::Get();
  if (!Prepare(state, f)) return;
  std::vector<int> loaded;
  loaded.reserve(64);
  LoadThroughBuiltins(f, &loaded);
  if (loaded.size() != f.maps.size() || std::count(loaded.begin(), loaded.end(), -1) != 0) {
    state.SkipWithError("the saved frame does not load whole");
    DestroyMaps(loaded);
    return;
  }
  DestroyMaps(loaded);
  for (auto _ : state) {
    loaded.clear();
    LoadThroughBuiltins(f, &loaded);
    state.PauseTiming();
    DestroyMaps(loaded);
    state.ResumeTiming();
  }
  ReportFrame(state, f);
}
BENCHMARK(BM_LoadFrame)->Unit(benchmark::kMicrosecond);

void BM_LoadFrame_Bare(benchmark::State& state) {
  Frame& f = Frame::Get();
  if (!Prepare(state, f)) return;
  for (auto _ : state) benchmark::DoNotOptimize(LoadBare(f));
  ReportFrame(state, f);
}
BENCHMARK(BM_LoadFrame_Bare)->Unit(benchmark::kMicrosecond);

void BM_LoadFrame_Paired(benchmark::State& state) {
  Frame& f = Frame::Get();
  if (!Prepare(state, f)) return;
  std::vector<int> loaded;
  loaded.reserve(64);
  double runtimeUs = 0, bareUs = 0;
  bool runtimeFirst = true;
  for (auto _ : state) {
    for (int half = 0; half < 2; ++half) {
      bool runtime = (half == 0) == runtimeFirst;
      auto start = std::chrono::steady_clock::now();
      if (runtime) {
        loaded.clear();
        LoadThroughBuiltins(f, &loaded);
        runtimeUs += Micros(std::chrono::steady_clock::now() - start);
        DestroyMaps(loaded);
      } else {
        benchmark::DoNotOptimize(LoadBare(f));
        bareUs += Micros(std::chrono::steady_clock::now() - start);
      }
    }
    runtimeFirst = !runtimeFirst;
  }
  ReportPair(state, runtimeUs, bareUs);
}
BENCHMARK(BM_LoadFrame_Paired)->Unit(benchmark::kMicrosecond);

}  // namespace

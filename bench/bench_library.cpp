// SPDX-License-Identifier: Zlib
// Lists and maps, secure map files and the key hash, measured on the shapes
// the editor uses: an 11-entry record map with short string keys.
// Needs: mobrt, benchmark::benchmark_main.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "code/CompiledCode.h"
#include "library/DsHandles.h"
#include "library/DsList.h"
#include "library/DsMap.h"
#include "library/Library.h"
#include "library/MapHash.h"
#include "library/SecureMap.h"
#include "platform/SaveFolder.h"

namespace {

const char* const kRecordKeys[] = {"ID Number", "Color", "Sprite Index", "Outline Index", "X Dif", "Y Dif",
                                   "X Scale",   "Y Scale", "Rotation", "Animating", "Alpha"};
constexpr int kRecordKeyCount = 11;

struct Owned {
  DynValue v = DynValue_MakeUndefined();
  Owned() = default;
  explicit Owned(double d) : v(DynValue_MakeReal(d)) {}
  explicit Owned(const char* s) { DynValue_SetString(&v, s); }
  Owned(const Owned&) = delete;
  Owned(Owned&& o) : v(o.v) { o.v = DynValue_MakeUndefined(); }
  ~Owned() { DynValue_Free(&v); }
};

void Ensure() {
  static bool done = false;
  if (!done) {
    Library_RegisterBuiltins();
    done = true;
  }
}

// Calls a registered built-in the way compiled code does.
struct Builtin {
  int id;
  explicit Builtin(const char* name) : id((Ensure(), Function_Find(name))) {}
  void operator()(DynValue* result, std::vector<DynValue*>& args) const {
    Function_CallById(nullptr, nullptr, result, static_cast<int>(args.size()), id, args.data());
  }
};

int MakeRecord() {
  std::lock_guard<std::mutex> lock(DsMutex());
  int map = DsMap_Create();
  CDS_Map* m = DsMap_Get(map);
  double v = 1.5;
  for (const char* key : kRecordKeys) {
    Owned k(key), value(v += 1.25);
    m->Add(&k.v, &value.v);
  }
  return map;
}

void BM_DsMapFindValue_Record(benchmark::State& state) {
  int map = MakeRecord();
  Builtin find("ds_map_find_value");
  Owned handle(map);
  std::vector<Owned> keys;
  for (const char* key : kRecordKeys) keys.emplace_back(key);
  Owned result;
  int i = 0;
  for (auto _ : state) {
    std::vector<DynValue*> args = {&handle.v, &keys[i].v};
    find(&result.v, args);
    benchmark::DoNotOptimize(result.v.real);
    if (++i == kRecordKeyCount) i = 0;
  }
  DsHandles_DestroyAll();
}
BENCHMARK(BM_DsMapFindValue_Record);

// The same lookup without the built-in call: lock, hash, walk.
void BM_DsMapFind_Direct(benchmark::State& state) {
  int map = MakeRecord();
  CDS_Map* m = DsMap_Get(map);
  std::vector<Owned> keys;
  for (const char* key : kRecordKeys) keys.emplace_back(key);
  int i = 0;
  for (auto _ : state) {
    std::lock_guard<std::mutex> lock(DsMutex());
    benchmark::DoNotOptimize(m->Find(&keys[i].v));
    if (++i == kRecordKeyCount) i = 0;
  }
  DsHandles_DestroyAll();
}
BENCHMARK(BM_DsMapFind_Direct);

// Side by side: a standard hash map with the same short keys.
void BM_UnorderedMapFind_Record(benchmark::State& state) {
  std::unordered_map<std::string, double> m;
  for (int i = 0; i < kRecordKeyCount; ++i) m[kRecordKeys[i]] = i;
  std::vector<std::string> keys(kRecordKeys, kRecordKeys + kRecordKeyCount);
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(m.find(keys[i]));
    if (++i == kRecordKeyCount) i = 0;
  }
}
BENCHMARK(BM_UnorderedMapFind_Record);

void BM_DsMapSet_Record(benchmark::State& state) {
  int map = MakeRecord();
  Builtin replace("ds_map_replace");
  Owned handle(map), value(3.0), result;
  std::vector<Owned> keys;
  for (const char* key : kRecordKeys) keys.emplace_back(key);
  int i = 0;
  for (auto _ : state) {
    std::vector<DynValue*> args = {&handle.v, &keys[i].v, &value.v};
    replace(&result.v, args);
    if (++i == kRecordKeyCount) i = 0;
  }
  DsHandles_DestroyAll();
}
BENCHMARK(BM_DsMapSet_Record);

void BM_DsListAdd(benchmark::State& state) {
  Ensure();
  Builtin add("ds_list_add");
  int list = DsList_Create();
  Owned handle(list), value(7.0), result;
  int64_t n = 0;
  for (auto _ : state) {
    std::vector<DynValue*> args = {&handle.v, &value.v};
    add(&result.v, args);
    if (++n == 1 << 16) {  // keep the list at a size the editor uses
      state.PauseTiming();
      DsList_Get(list)->Clear();
      n = 0;
      state.ResumeTiming();
    }
  }
  DsHandles_DestroyAll();
}
BENCHMARK(BM_DsListAdd);

// ds_list_find_index over a list of 30 instance ids (the canvas limit),
// looking up each in turn.
void BM_DsListFindIndex_30(benchmark::State& state) {
  Ensure();
  Builtin find("ds_list_find_index");
  int list = DsList_Create();
  for (int i = 0; i < 30; ++i) {
    Owned id(100000.0 + i);
    DsList_Get(list)->Add(&id.v);
  }
  Owned handle(list), result;
  std::vector<Owned> ids;
  for (int i = 0; i < 30; ++i) ids.emplace_back(100000.0 + i);
  int i = 0;
  for (auto _ : state) {
    std::vector<DynValue*> args = {&handle.v, &ids[i].v};
    find(&result.v, args);
    benchmark::DoNotOptimize(result.v.real);
    if (++i == 30) i = 0;
  }
  DsHandles_DestroyAll();
}
BENCHMARK(BM_DsListFindIndex_30);

// Save and load of an 11-entry record through the save area (atomic write,
// fsync included), and the same without the disk.
void BM_SecureSaveLoad_Record(benchmark::State& state) {
  Ensure();
  std::string folder = (std::filesystem::temp_directory_path() / ("mobbench-" + std::to_string(getpid()))).string();
  SaveFolder_OpenPath(folder.c_str());
  std::string name = SaveFolder().Path() + "0_5";
  int map = MakeRecord();
  for (auto _ : state) {
    SecureMap_Save(map, name.c_str());
    int loaded = SecureMap_Load(name.c_str());
    state.PauseTiming();
    {
      std::lock_guard<std::mutex> lock(DsMutex());
      DsMap_Destroy(loaded);
    }
    state.ResumeTiming();
  }
  DsHandles_DestroyAll();
  SaveFolder().Close();
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SecureSaveLoad_Record)->Unit(benchmark::kMicrosecond);

void BM_SecureEncodeDecode_Record(benchmark::State& state) {
  Ensure();
  int map = MakeRecord();
  for (auto _ : state) {
    std::lock_guard<std::mutex> lock(DsMutex());
    std::string tag = SecureMap_ThisMachineTag();
    std::string bytes = SecureMap_Encode(map, tag);
    int loaded = SecureMap_Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), tag);
    DsMap_Destroy(loaded);
  }
  DsHandles_DestroyAll();
}
BENCHMARK(BM_SecureEncodeDecode_Record)->Unit(benchmark::kMicrosecond);

void BM_Crc_Long(benchmark::State& state) {
  std::vector<uint8_t> bytes(static_cast<size_t>(state.range(0)));
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 131);
  for (auto _ : state) benchmark::DoNotOptimize(MapHash_Crc(bytes.data(), bytes.size()));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Crc_Long)->Arg(4096)->Arg(1 << 20);

void BM_Crc_ShortKey(benchmark::State& state) {
  std::vector<Owned> keys;
  for (const char* key : kRecordKeys) keys.emplace_back(key);
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(MapHash_Key(&keys[i].v));
    if (++i == kRecordKeyCount) i = 0;
  }
}
BENCHMARK(BM_Crc_ShortKey);

void BM_Crc_ShortKeyBytes(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(MapHash_Crc(kRecordKeys[i], __builtin_strlen(kRecordKeys[i])));
    if (++i == kRecordKeyCount) i = 0;
  }
}
BENCHMARK(BM_Crc_ShortKeyBytes);

}  // namespace

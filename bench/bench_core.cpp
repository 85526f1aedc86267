// SPDX-License-Identifier: Zlib
// The costs that compiled code pays on every statement: assigning and
// releasing cells, calling a built-in by id, reading variables, finding an
// instance by id.
#include <benchmark/benchmark.h>

#include <vector>

#include "base/Console.h"
#include "base/Memory.h"
#include "code/CompiledCode.h"
#include "object/Instance.h"
#include "run/Builtins.h"
#include "value/ArgReaders.h"

namespace {

void SumThree(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, ZuGetReal(args, 0) + ZuGetReal(args, 1) + ZuGetReal(args, 2));
}

CompiledVariableRef g_user{"score", 0};
CompiledVariableRef* g_variables[] = {&g_user, nullptr};

void SetUpRuntime() {
  static bool done = false;
  if (done) return;
  done = true;
  Builtins_RegisterAll();
  Function_Add("bench_sum_three", SumThree, 3, false);
  CompiledCodeInfo info{};
  info.globalVariableCount = info.instanceVariableCount = 1;
  info.variableTable = g_variables;
  Code_Load(info);
  Code_ResolveNames();
  auto* object = new CObjectType;
  object->index = 0;
  object->name = "obj_Bench";
  Object_Add(object);
}

void BM_AssignAndReleaseString(benchmark::State& state) {
  DynValue source = DynValue_MakeUndefined();
  DynValue_InitString(&source, "a string shared by counting");
  DynValue destination = DynValue_MakeUndefined();
  for (auto _ : state) {
    DynValue_Assign(&destination, &source);
    benchmark::DoNotOptimize(destination);
    DynValue_Release(&destination);
    destination.kind = KIND_UNDEFINED;
  }
  DynValue_Release(&source);
}
BENCHMARK(BM_AssignAndReleaseString);

// The routine alone, called the way Function_CallById calls it, as the baseline.
void BM_RoutineDirect(benchmark::State& state) {
  SetUpRuntime();
  DynValue args[3] = {DynValue_MakeReal(1), DynValue_MakeReal(2), DynValue_MakeReal(3)};
  DynValue result = DynValue_MakeUndefined();
  for (auto _ : state) {
    SumThree(result, nullptr, nullptr, 3, args);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_RoutineDirect);

void BM_FunctionCallById(benchmark::State& state) {
  SetUpRuntime();
  DynValue a = DynValue_MakeReal(1), b = DynValue_MakeReal(2), c = DynValue_MakeReal(3);
  DynValue* args[] = {&a, &b, &c};
  DynValue result = DynValue_MakeUndefined();
  int id = Function_Find("bench_sum_three");
  int64_t allocationsBefore = MemoryManager_AllocationCount();
  for (auto _ : state) {
    Function_CallById(nullptr, nullptr, &result, 3, id, args);
    benchmark::DoNotOptimize(result);
  }
  state.counters["allocations"] = static_cast<double>(MemoryManager_AllocationCount() - allocationsBefore);
}
BENCHMARK(BM_FunctionCallById);

void BM_GetUserVariable(benchmark::State& state) {
  SetUpRuntime();
  CInstance* instance = Instance_Create(0, 1, 2, 0);
  DynValue seven = DynValue_MakeReal(7);
  Variable_SetValue(instance, g_user.id, ARRAY_INDEX_NONE, &seven);
  DynValue result = DynValue_MakeUndefined();
  for (auto _ : state) {
    Variable_GetValue(instance, g_user.id, ARRAY_INDEX_NONE, &result);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_GetUserVariable);

void BM_GetBuiltinVariable(benchmark::State& state) {
  SetUpRuntime();
  CInstance* instance = Instance_Create(0, 1, 2, 0);
  int xId = Variable_Find("x");
  DynValue result = DynValue_MakeUndefined();
  for (auto _ : state) {
    Variable_GetValue(instance, xId, ARRAY_INDEX_NONE, &result);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_GetBuiltinVariable);

void BM_InstanceFind(benchmark::State& state) {
  SetUpRuntime();
  std::vector<int> ids;
  for (int i = 0; i < state.range(0); ++i) ids.push_back(Instance_Create(0, 0, 0, static_cast<float>(i % 7))->id);
  size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Instance_Find(ids[k]));
    k = (k + 7919) % ids.size();
  }
  Instance_DestroyAllNoEvents();
}
BENCHMARK(BM_InstanceFind)->Arg(100)->Arg(10000);

}  // namespace

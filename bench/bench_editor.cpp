// The editor's room at work: one step (DoAStep) and one drawn frame, measured
// apart, with 30 figure parts on the canvas, half of them animating, and one
// of them selected with its rotation and resize handles.
//
// The room is built the way a user builds it, through the program's own
// input path (a playback script): choose a shape, click 30 times on the
// canvas, then for every other row of the object list choose the row and tick
// "animate", and finally choose one row that does not animate. The benchmark
// then checks the room (30 canvas objects, 15 animating, one selected with
// its list row active, one rotation and one resize handle) and refuses to
// measure a room that is not that, saying what it found instead.
//
//   BM_EditorStep            DoAStep()
//   BM_EditorDrawCounting    the draw events and the batcher on the counting
//                            renderer (the drawing layer's own CPU time)
//   BM_EditorDrawSoftware    the whole drawn frame as the runner draws it
//                            (draw events, batches, cursor, present) on SDL's
//                            software renderer, headless
//   BM_EditorDrawUnchanged   the same frame drawn again: left on the screen
//                            as it was, once its calls equal the last frame's
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "data/GameData.h"
#include "data/PageDecoder.h"
#include "graphics/CountingRenderer.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"
#include "object/Instance.h"
#include "object/Object.h"
#include "platform/Window.h"
#include "room/RoomInstances.h"
#include "run/Runner.h"
#include "run/RunnerGraphics.h"
#include "sound/Audio.h"

extern "C" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);

namespace {

constexpr int kCanvasObjects = 30;
constexpr int kAnimating = kCanvasObjects / 2;

// Where the editor's controls are (window pixels).
constexpr int kShapeX = 128, kShapeY = 128;          // the small oval of the shape panel
constexpr int kAnimateX = 950, kAnimateY = 275;      // the animate checkbox
constexpr int kRowX = 880, kFirstRowY = 311, kRowHeight = 15;  // object list rows, newest on top

// The input script: every action is a move and a click in the next frame,
// three frames apart.
std::string BuildScript(int64_t* lastFrame) {
  std::string script;
  int64_t frame = 2;
  auto clickAt = [&](int x, int y) {
    script += std::to_string(frame) + " move " + std::to_string(x) + " " + std::to_string(y) + "\n";
    script += std::to_string(frame + 1) + " click left\n";
    frame += 3;
  };
  clickAt(kShapeX, kShapeY);
  // A 6 x 5 grid over the canvas, far enough apart that no click lands on a part.
  for (int i = 0; i < kCanvasObjects; ++i) clickAt(260 + 100 * (i % 6), 200 + 110 * (i / 6));
  // Rows 0, 2, 4, ...: choose the row, tick animate.
  for (int k = 0; k < kAnimating; ++k) {
    clickAt(kRowX, kFirstRowY + kRowHeight * 2 * k);
    clickAt(kAnimateX, kAnimateY);
  }
  // Row 1 does not animate: it stays chosen, with its handles.
  clickAt(kRowX, kFirstRowY + kRowHeight);
  *lastFrame = frame;
  return script;
}

int ObjectIndex(const char* name) {
  for (int i = 0; i < Object_Count(); ++i)
    if (CObjectType* object = Object_Get(i); object && object->name && std::strcmp(object->name, name) == 0) return i;
  return -1;
}

std::vector<CInstance*> LiveInstances(const char* objectName) {
  std::vector<CInstance*> found;
  int index = ObjectIndex(objectName);
  if (index < 0) return found;
  for (CInstance* instance : Object_Get(index)->ownInstances.items)
    if (instance->Active()) found.push_back(instance);
  return found;
}

// A user variable's value as a number (0 when the instance holds none).
double NumberVariable(CInstance* instance, const char* name) {
  int id = Variable_Find(name);
  if (id < 0) return 0;
  DynValue value = DynValue_MakeUndefined();
  Variable_GetValue(instance, id, ARRAY_INDEX_NONE, &value);
  double number = (value.Kind() == KIND_NUMBER || value.Kind() == KIND_BOOL) ? value.real : 0;
  DynValue_Release(&value);
  return number;
}

int CountWith(const std::vector<CInstance*>& instances, const char* variable) {
  int count = 0;
  for (CInstance* instance : instances) count += NumberVariable(instance, variable) > 0.5 ? 1 : 0;
  return count;
}

struct EditorRoom {
  bool ready = false;
  std::string problem;  // why the room is not the one to measure
  int instances = 0;
};

// Starts the program headless and plays the script; once per process.
const EditorRoom& Room() {
  static EditorRoom room = [] {
    EditorRoom r;
    int64_t lastFrame = 0;
    std::string scriptPath = "/tmp/bench_editor_" + std::to_string(getpid()) + ".txt";
    std::ofstream(scriptPath) << BuildScript(&lastFrame);
    // The start-up log would bury the results: it goes nowhere.
    const char* argv[] = {"bench_editor", "-headless", "-noaudio", "-nowait", "-output", "/dev/null",
                          "-playback", scriptPath.c_str()};
    bool started = Runner_Start(8, argv, ksl_GetCompiledCodeInfo);
    std::remove(scriptPath.c_str());
    if (!started) {
      r.problem = "the program did not start (exit code " + std::to_string(Runner_State().exitCode) + ")";
      return r;
    }
    while (Runner_State().running && Runner_State().frameCounter < lastFrame + 3) Runner_Frame();
    if (!Runner_State().running) {
      r.problem = "the program ended while the room was being built";
      return r;
    }

    std::vector<CInstance*> parts = LiveInstances("obj_Canvas_Object");
    std::vector<CInstance*> rows = LiveInstances("obj_List_Object");
    int animating = CountWith(parts, "animate"), selected = CountWith(parts, "selected"), activeRows = CountWith(rows, "active");
    size_t rotators = LiveInstances("obj_ObjectRotator").size(), resizers = LiveInstances("obj_ObjectResizer").size();
    char found[256];
    std::snprintf(found, sizeof found,
                  "%zu canvas objects (want %d), %d animating (want %d), %d selected (want 1), %d active list rows "
                  "(want 1), %zu rotation and %zu resize handles (want 1 each)",
                  parts.size(), kCanvasObjects, animating, kAnimating, selected, activeRows, rotators, resizers);
    r.ready = parts.size() == static_cast<size_t>(kCanvasObjects) && animating == kAnimating && selected == 1 &&
              activeRows == 1 && rotators == 1 && resizers == 1;
    if (!r.ready) {
      r.problem = std::string("the editor did not build the room to measure: ") + found +
                  (parts.empty() ? "; no click placed an object (does the editor's code place them yet?)" : "");
      std::fprintf(stderr, "bench_editor: %s\n", r.problem.c_str());
    }
    for (CInstance* i = Room_Instances().list.first; i; i = i->next) r.instances += i->Active() ? 1 : 0;
    return r;
  }();
  return room;
}

bool RoomReady(benchmark::State& state) {
  const EditorRoom& room = Room();
  if (!room.ready) state.SkipWithError(room.problem.c_str());
  return room.ready;
}

void BM_EditorStep(benchmark::State& state) {
  if (!RoomReady(state)) return;
  for (auto _ : state) DoAStep();
  state.counters["instances"] = Room().instances;
}
BENCHMARK(BM_EditorStep)->Unit(benchmark::kMicrosecond);

void BM_EditorDrawCounting(benchmark::State& state) {
  if (!RoomReady(state)) return;
  Renderer* software = Graphics_State().renderer;
  CountingRenderer counting;
  Graphics_Init(&counting);  // the pages are textures already: only the renderer changes
  const RoomRecord* room = GameData_Room(Runner_State().currentRoom);
  for (auto _ : state) {
    Graphics_DrawFrame(room);
    Graphics_Present();
  }
  state.counters["draw_calls_per_frame"] = static_cast<double>(counting.drawCalls) / state.iterations();
  state.counters["vertices_per_frame"] = static_cast<double>(counting.vertexCount) / state.iterations();
  Graphics_Init(software);
}
BENCHMARK(BM_EditorDrawCounting)->Unit(benchmark::kMicrosecond);

// Each frame drawn whole, as when the room changes from frame to frame.
void BM_EditorDrawSoftware(benchmark::State& state) {
  if (!RoomReady(state)) return;
  RunnerGraphics_SetFrameReuse(false);
  for (auto _ : state) RunnerGraphics_DrawFrame();
  RunnerGraphics_SetFrameReuse(true);
}
BENCHMARK(BM_EditorDrawSoftware)->Unit(benchmark::kMicrosecond);

// The same frame again and again, as an idle editor draws it: the draw
// events run and their calls are compared with the frame before, and the
// frame is left on the screen (one in a second is drawn whole).
void BM_EditorDrawUnchanged(benchmark::State& state) {
  if (!RoomReady(state)) return;
  for (auto _ : state) RunnerGraphics_DrawFrame();
}
BENCHMARK(BM_EditorDrawUnchanged)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The runner's own shutdown: its page decoder and sound threads end here.
  Audio_Shutdown();
  PageDecoder_Stop();
  RunnerGraphics_Shutdown();
  Platform_Shutdown();
  return Room().ready ? 0 : 1;
}

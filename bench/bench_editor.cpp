// SPDX-License-Identifier: Zlib
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
//
// The figure has 8 frames (the "+" slot clicked 8 times after the parts are
// placed), so the active frame's records follow the canvas in every step as
// they do for a user's figure. Undo and redo (the history kept by the save
// button, obj_SaveData), on that 30-part, 8-frame figure:
//
//   BM_HistoryRecordDrag     one part moved by a pixel and the step recorded
//                            (historyCommit, as at the release of a drag),
//                            with the history full: the oldest step goes
//   BM_HistoryUndoDrag       undoing that drag (or redoing it: one of each in
//                            turns, the same work)
//   BM_HistoryUndoDeleteAll  undoing "Delete all" of the 30 parts (the canvas
//                            is made again); the redo between is not timed
//   BM_EditorStep_History    BM_EditorStep with 200 steps in the history;
//                            history_bytes: the memory those 200 steps hold
//                            (the heap grown while they were recorded)
// BM_EditorStep runs with the history holding only the starting entry.
//
//   BM_SheetLargestSample    the sprite sheet, atlas and GIF of the largest
//                            sample figure (the urchin) at 2x, as
//                            --export-sheet makes them (the files not
//                            written); counters: cells, and the drawing, PNG
//                            and GIF milliseconds of the last run
//   BM_OpenLargestSample     opening the largest sample figure (the urchin:
//                            5 frames of 20 parts) as a dropped file opens:
//                            the file read, its records made, the strip and
//                            the canvas rebuilt (importRun); it runs last, as
//                            it replaces the 30-part figure
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/GameData.h"
#include "data/PageDecoder.h"
#include "graphics/CountingRenderer.h"
#include "library/FigureText.h"
#include "graphics/Graphics.h"
#include "code/CompiledCode.h"
#include "graphics/GraphicsState.h"
#include "object/Instance.h"
#include "object/Object.h"
#include "platform/Window.h"
#include "room/RoomInstances.h"
#include "run/Runner.h"
#include "run/RunnerGraphics.h"
#include "run/SheetExport.h"
#include "sound/Audio.h"

extern "C" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);

namespace {

constexpr int kCanvasObjects = 30;
constexpr int kAnimating = kCanvasObjects / 2;

// Where the editor's controls are (window pixels).
constexpr int kShapeX = 128, kShapeY = 128;          // the small oval of the shape panel
constexpr int kAnimateX = 950, kAnimateY = 275;      // the animate checkbox
constexpr int kRowX = 880, kFirstRowY = 311, kRowHeight = 15;  // object list rows, newest on top
constexpr int kFrames = 8;
constexpr int kFrameSlotX = 127, kFrameSlotY = 47, kFrameSlotSpacing = 116;  // the "+" slot moves right

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
  // Eight frames of the figure, the newest active.
  for (int f = 0; f < kFrames; ++f) clickAt(kFrameSlotX + kFrameSlotSpacing * f, kFrameSlotY);
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

void SetNumber(CInstance* instance, const char* name, double number) {
  DynValue value = DynValue_MakeReal(number);
  Variable_SetValue(instance, Variable_Find(name), ARRAY_INDEX_NONE, &value);
}

// Calls one of the editor's scripts as its code calls it, with self = the
// given instance; returns its result as a number.
double CallScript(CInstance* self, const char* script, double argument = 0, int argc = 0) {
  DynValue result = DynValue_MakeUndefined();
  DynValue arg = DynValue_MakeReal(argument);
  DynValue* args[] = {&arg};
  Function_CallById(self, self, &result, argc, Function_Find(script), args);
  double number = result.Kind() == KIND_NUMBER ? result.real : 0;
  DynValue_Release(&result);
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
    // A save folder of its own, empty: the editor brings back what a folder
    // holds (the unsaved work of an earlier run included), and keeps its work
    // there while it runs.
    std::string saveHome = "/tmp/bench_editor_home_" + std::to_string(getpid());
    std::filesystem::remove_all(saveHome);
    std::filesystem::create_directories(saveHome);
    setenv("XDG_DATA_HOME", saveHome.c_str(), 1);
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
                  "(want 1), %zu rotation and %zu resize handles (want 1 each), %zu frames (want %d)",
                  parts.size(), kCanvasObjects, animating, kAnimating, selected, activeRows, rotators, resizers,
                  LiveInstances("obj_Frame").size(), kFrames);
    size_t frames = LiveInstances("obj_Frame").size();
    r.ready = parts.size() == static_cast<size_t>(kCanvasObjects) && animating == kAnimating && selected == 1 &&
              activeRows == 1 && rotators == 1 && resizers == 1 && frames == static_cast<size_t>(kFrames);
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

// The save button keeps the history; the part moved is the chosen one.
CInstance* HistoryKeeper() { return LiveInstances("obj_SaveData").at(0); }
CInstance* ChosenPart() {
  for (CInstance* part : LiveInstances("obj_Canvas_Object"))
    if (NumberVariable(part, "selected") > 0.5) return part;
  return nullptr;
}

// Records `steps` drags of the chosen part (one pixel right, then back).
void RecordDrags(int steps) {
  CInstance* part = ChosenPart();
  for (int k = 0; k < steps; ++k) {
    SetNumber(part, "x", NumberVariable(part, "x") + ((k % 2) ? -1 : 1));
    CallScript(HistoryKeeper(), "historyCommit");
  }
}

// Right after BM_EditorStep, in the same run: the history is filled to 200
// steps here, and the heap growth of filling it is its memory.
void BM_EditorStep_History(benchmark::State& state) {
  if (!RoomReady(state)) return;
  // The benchmark function runs more than once; the history is filled (and
  // its memory measured) on the first run only.
  static const size_t bytes = [] {
    struct mallinfo2 before = mallinfo2();
    RecordDrags(200);
    struct mallinfo2 after = mallinfo2();
    return (after.uordblks + after.hblkhd) - (before.uordblks + before.hblkhd);
  }();
  for (auto _ : state) DoAStep();
  state.counters["history_steps"] = NumberVariable(HistoryKeeper(), "history_pos");
  state.counters["history_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EditorStep_History)->Unit(benchmark::kMicrosecond);


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

void BM_HistoryRecordDrag(benchmark::State& state) {
  if (!RoomReady(state)) return;
  RecordDrags(200);
  CInstance* part = ChosenPart();
  int k = 0;
  for (auto _ : state) {
    SetNumber(part, "x", NumberVariable(part, "x") + ((k++ % 2) ? -1 : 1));
    CallScript(HistoryKeeper(), "historyCommit");
  }
  state.counters["history_steps"] = NumberVariable(HistoryKeeper(), "history_pos");
}
BENCHMARK(BM_HistoryRecordDrag)->Unit(benchmark::kMicrosecond);

void BM_HistoryUndoDrag(benchmark::State& state) {
  if (!RoomReady(state)) return;
  RecordDrags(1);
  double direction = -1;
  for (auto _ : state) {
    CallScript(HistoryKeeper(), "historyMove", direction, 1);
    direction = -direction;
  }
  if (direction > 0) CallScript(HistoryKeeper(), "historyMove", 1, 1);
}
BENCHMARK(BM_HistoryUndoDrag)->Unit(benchmark::kMicrosecond);

void BM_HistoryUndoDeleteAll(benchmark::State& state) {
  if (!RoomReady(state)) return;
  CInstance* keeper = HistoryKeeper();
  // "Delete all" as its button does it, recorded as one step.
  CallScript(keeper, "canvasClear");
  CallScript(keeper, "frameForget", -1, 1);
  CallScript(keeper, "historyCommit");
  for (auto _ : state) {
    CallScript(keeper, "historyMove", -1, 1);
    // The redo, and a step that removes the destroyed instances (as the
    // program makes one between two key presses), are not timed.
    state.PauseTiming();
    DoAStep();
    CallScript(keeper, "historyMove", 1, 1);
    DoAStep();
    state.ResumeTiming();
  }
  CallScript(keeper, "historyMove", -1, 1);
  state.counters["parts_back"] = static_cast<double>(LiveInstances("obj_Canvas_Object").size());
}
BENCHMARK(BM_HistoryUndoDeleteAll)->Unit(benchmark::kMicrosecond);

void BM_SheetLargestSample(benchmark::State& state) {
  if (!RoomReady(state)) return;
  std::ifstream file(MOB_LARGEST_SAMPLE);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  Figure figure;
  FigureTextError refusal;
  if (!FigureText_Read(text, &figure, &refusal)) {
    state.SkipWithError(("the sample does not read: " + refusal.message).c_str());
    return;
  }
  SheetOptions options;
  options.scale = 2;
  SheetFiles files;
  for (auto _ : state) {
    std::string error;
    if (!SheetExport_Make(figure, options, &files, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  state.counters["cells"] = files.cells;
  state.counters["draw_ms"] = files.drawMs;
  state.counters["png_ms"] = files.pngMs;
  state.counters["gif_ms"] = files.gifMs;
}
BENCHMARK(BM_SheetLargestSample)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenLargestSample(benchmark::State& state) {
  if (!RoomReady(state)) return;
  CInstance* keeper = HistoryKeeper();
  DynValue path = DynValue_MakeUndefined();
  DynValue_SetString(&path, MOB_LARGEST_SAMPLE);
  DynValue* args[] = {&path};
  for (auto _ : state) {
    DynValue result = DynValue_MakeUndefined();
    Function_CallById(keeper, keeper, &result, 1, Function_Find("importRun"), args);
    const bool opened = result.Kind() == KIND_NUMBER && result.real == 1;
    DynValue_Release(&result);
    if (!opened) {
      state.SkipWithError("importRun did not open " MOB_LARGEST_SAMPLE);
      break;
    }
    // The step that removes the instances the rebuild destroyed is not timed.
    state.PauseTiming();
    DoAStep();
    state.ResumeTiming();
  }
  state.counters["parts"] = static_cast<double>(LiveInstances("obj_Canvas_Object").size());
  DynValue_Release(&path);
}
BENCHMARK(BM_OpenLargestSample)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all("/tmp/bench_editor_home_" + std::to_string(getpid()));
  // The runner's own shutdown: its page decoder and sound threads end here.
  Audio_Shutdown();
  PageDecoder_Stop();
  RunnerGraphics_Shutdown();
  Platform_Shutdown();
  return Room().ready ? 0 : 1;
}

// SPDX-License-Identifier: Zlib
// The export's whole object: the folder export/ that Export writes beside
// export.ksl, with the Draw, Create and Step events of a ready object.
//
// The build (CMakeLists.txt beside this file) composed a three-frame figure
// in the real editor and pressed Export (exportfigure.py): parts mirrored,
// turned, half transparent and animating. It kept the editor's picture of
// each frame, the state dump of the export and the save folder, and kslc
// compiled the three files the editor wrote into a small game whose one
// object stands at the crosshair's place. Here:
//
// - the files: Draw.ksl is export.ksl and the clipboard's text, Create.ksl
//   sets what the Draw event reads, the figure's frame count included;
// - the small game, run headless, reports its variables after every step
//   (state dumps): the figure's frame advances by the editor's playback
//   speed and wraps at its frame count, the parts' sprite frame by 0.33 and
//   wraps at the shapes' four frames;
// - its pictures: at every step where the animating parts show their first
//   sprite frame (as the editor's canvas does right after a thumbnail is
//   clicked), the figure covers the pixels that the editor's canvas showed
//   for that figure frame, as the sample figures' test compares them;
// - the editor's code in-process with other playback speeds: the Step event
//   reads the editor's own playback variable and writes it with the decimals
//   it has;
// - the program with a save folder where export/ or one of its files cannot
//   be written: a debug line for each such file, the others written, the
//   clipboard and export.ksl as always.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProgram.h"
#include "EditorRunner.h"
#include "FigurePictures.h"
#include "Scenario.h"
#include "TempFolder.h"
#include "code/CompiledCode.h"
#include "data/PageDecoder.h"
#include "object/Instance.h"
#include "object/Object.h"
#include "platform/SaveFolder.h"
#include "platform/Window.h"
#include "room/RoomInstances.h"
#include "run/Runner.h"
#include "run/RunnerGraphics.h"
#include "sound/Audio.h"

extern "C" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);

namespace {

namespace fs = std::filesystem;
using figures::Compare;
using figures::Comparison;
using figures::Picture;
using figures::ReadFile;

const std::string kOut = EXPORT_FOLDER;
const std::string kEditor = kOut + "/editor/";
const std::string kSaved = kEditor + "save/Mobwright/";
constexpr int kFigureFrames = 3;    // the figure exportfigure.py composes
constexpr int kSpriteFrames = 4;    // every shape sprite's frames
constexpr double kPartSpeed = 0.33;  // sprite frames a step, as in the sample figures
constexpr int kGameSteps = 40;      // four rounds of the figure's frames at 0.35

// The assignments of an event file, "name = value" a line, by name; the
// comment lines apart.
std::map<std::string, std::string> Assignments(const std::string& text, std::vector<std::string>* comments) {
  std::map<std::string, std::string> values;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("//", 0) == 0) {
      comments->push_back(line);
      continue;
    }
    size_t at = line.find(" = ");
    if (at != std::string::npos) values[line.substr(0, at)] = line.substr(at + 3);
  }
  return values;
}

// The line of Step.ksl that advances the figure's frame: "frame += <speed>".
std::string FrameAdvance(const std::string& step) {
  std::istringstream in(step);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("frame += ", 0) == 0) return line.substr(9);
  return "(none)";
}

scenario::Dump ReadDump(const std::string& path) {
  scenario::Dump dump;
  std::string error;
  EXPECT_TRUE(scenario::ParseDump(ReadFile(path), &dump, &error)) << path << ": " << error;
  return dump;
}

double Number(const scenario::Dump& dump, const std::string& reference) {
  scenario::Value value = scenario::Evaluate(dump, reference);
  EXPECT_EQ(value.kind, scenario::Value::Kind::Number) << reference << ": " << value.Describe();
  return value.number;
}

// ---- the files the editor wrote ----

TEST(ExportedFiles, DrawIsTheExportAndCreateSetsWhatItReads) {
  scenario::Dump dump = ReadDump(kEditor + "export.json");
  ASSERT_EQ(dump.clipboard.kind, scenario::Value::Kind::String) << "the export put nothing on the clipboard";
  std::string draw = ReadFile(kSaved + "export/Draw.ksl");
  EXPECT_EQ(draw.rfind("switch floor(frame) { \n", 0), 0u);
  EXPECT_EQ(draw, dump.clipboard.text);
  EXPECT_EQ(draw, ReadFile(kSaved + "export.ksl"));
  ASSERT_EQ(dump.OfObject("obj_Frame").size(), static_cast<size_t>(kFigureFrames));

  std::vector<std::string> comments;
  std::map<std::string, std::string> create = Assignments(ReadFile(kSaved + "export/Create.ksl"), &comments);
  const std::map<std::string, std::string> expected = {{"frame", "0"},  {"frame_number", std::to_string(kFigureFrames)},
                                                       {"subImage", "0"}, {"xScale", "1"}, {"yScale", "1"},
                                                       {"rot", "0"},      {"alpha", "1"}};
  EXPECT_EQ(create, expected);
  EXPECT_EQ(comments.size(), 1u) << "one comment line saying what the file is";
  // Step advances the frame by the speed the editor's playback used.
  std::string speed = FrameAdvance(ReadFile(kSaved + "export/Step.ksl"));
  EXPECT_NEAR(std::atof(speed.c_str()), Number(dump, "con_Frames.animationSpeed"), 1e-6) << speed;
}

// ---- the small game ----

// The small game run headless once: a state dump and a picture of every step.
struct GameRun {
  std::string problem;
  std::vector<scenario::Dump> dumps;
  std::vector<std::string> pictures;
};

const GameRun& RunGame() {
  static GameRun run = [] {
    GameRun r;
    static TempFolder folder("exported_figure");
    std::vector<std::string> args = {EXPORTED_FIGURE_PROGRAM, "-headless", "-noaudio", "-nowait", "-game",
                                     EXPORTED_FIGURE_DATA, "-frames", std::to_string(kGameSteps), "-output",
                                     folder.Path() + "log.txt"};
    for (int k = 0; k < kGameSteps; ++k) {
      std::string name = folder.Path() + "step_" + std::to_string(k);
      args.insert(args.end(), {"-dumpstate", std::to_string(k), name + ".json", "-screenshot", std::to_string(k),
                               name + ".png"});
      r.pictures.push_back(name + ".png");
    }
    int code = ChildProgram_Wait(ChildProgram_Start(args, {{"XDG_DATA_HOME", folder.Path() + "data"}},
                                                    folder.Path() + "output.txt"));
    if (code != 0) {
      r.problem = "the game ended with " + std::to_string(code) + ": " + ReadFile(folder.Path() + "output.txt") +
                  ReadFile(folder.Path() + "log.txt");
      return r;
    }
    for (int k = 0; k < kGameSteps; ++k) {
      r.dumps.push_back(ReadDump(folder.Path() + "step_" + std::to_string(k) + ".json"));
    }
    std::string log = ReadFile(folder.Path() + "log.txt");
    if (log.find("[message box] Error") != std::string::npos) r.problem = "a runtime error: " + log;
    return r;
  }();
  return run;
}

TEST(ExportedGame, StepsThroughTheFramesAtThePlaybackSpeedAndWraps) {
  const GameRun& run = RunGame();
  ASSERT_EQ(run.problem, "");
  ASSERT_EQ(run.dumps.size(), static_cast<size_t>(kGameSteps));
  const double speed = Number(ReadDump(kEditor + "export.json"), "con_Frames.animationSpeed");
  // The values after the first step: Create's, stepped once.
  const scenario::Dump& first = run.dumps[0];
  ASSERT_EQ(first.OfObject("obj_Exported").size(), 1u);
  EXPECT_EQ(Number(first, "obj_Exported.frame_number"), kFigureFrames);
  EXPECT_NEAR(Number(first, "obj_Exported.frame"), speed, 1e-9);
  EXPECT_NEAR(Number(first, "obj_Exported.subImage"), kPartSpeed, 1e-9);

  double frame = Number(first, "obj_Exported.frame"), sub = Number(first, "obj_Exported.subImage");
  int frameWraps = 0, subWraps = 0;
  std::set<int> shown = {static_cast<int>(std::floor(frame))};
  for (int k = 1; k < kGameSteps; ++k) {
    SCOPED_TRACE("step " + std::to_string(k));
    frame += speed;
    if (frame >= kFigureFrames) {
      frame = 0;
      ++frameWraps;
    }
    sub += kPartSpeed;
    if (sub >= kSpriteFrames) {
      sub = 0;
      ++subWraps;
    }
    ASSERT_NEAR(Number(run.dumps[k], "obj_Exported.frame"), frame, 1e-9);
    ASSERT_NEAR(Number(run.dumps[k], "obj_Exported.subImage"), sub, 1e-9);
    shown.insert(static_cast<int>(std::floor(Number(run.dumps[k], "obj_Exported.frame"))));
  }
  EXPECT_EQ(shown, (std::set<int>{0, 1, 2}));
  EXPECT_GE(frameWraps, 3);
  EXPECT_GE(subWraps, 2);
}

TEST(ExportedGame, EachFrameDrawsAsTheEditorShowedIt) {
  const GameRun& run = RunGame();
  ASSERT_EQ(run.problem, "");
  ASSERT_EQ(run.dumps.size(), static_cast<size_t>(kGameSteps));
  std::vector<Picture> editor(kFigureFrames);
  for (int f = 0; f < kFigureFrames; ++f) {
    std::string error;
    ASSERT_TRUE(figures::Decode(kEditor + "frame_" + std::to_string(f) + ".png", &editor[f], &error)) << error;
  }
  // The game's room is black, as the canvas is; the figure is what is not.
  Picture empty = editor[0];
  std::fill(empty.rgba.begin(), empty.rgba.end(), 0);
  std::map<int, int> compared;  // figure frame -> steps compared
  for (int k = 0; k < kGameSteps; ++k) {
    double sub = Number(run.dumps[k], "obj_Exported.subImage");
    if (sub >= 1) continue;  // the animating parts show another sprite frame than the editor's pictures
    int f = static_cast<int>(std::floor(Number(run.dumps[k], "obj_Exported.frame")));
    SCOPED_TRACE("step " + std::to_string(k) + ", figure frame " + std::to_string(f));
    ASSERT_TRUE(f >= 0 && f < kFigureFrames);
    Picture drawn;
    std::string error;
    ASSERT_TRUE(figures::Decode(run.pictures[k], &drawn, &error)) << error;
    ASSERT_EQ(drawn.width, editor[f].width);
    ASSERT_EQ(drawn.height, editor[f].height);
    EXPECT_TRUE(figures::Near(drawn.At(0, 0), empty.At(0, 0), 0)) << "the room is not black";
    // The tolerance of the sample figures' test: a few edge pixels of 2%.
    Comparison same = Compare(drawn, empty, editor[f], 0, 0);
    std::printf("step %d, figure frame %d: %zu pixels compared, %zu differ\n", k, f, same.compared, same.differing);
    EXPECT_GE(same.compared, 3000u) << "the figure covers too little to compare";
    EXPECT_LE(same.differing, same.compared / 50)
        << same.differing << " of " << same.compared << " pixels differ from the editor's picture";
    // The comparison tells the figure from one a few pixels off, and from
    // the editor's picture of another frame.
    for (auto [dx, dy] : {std::pair{3, 0}, std::pair{0, -3}}) {
      Comparison moved = Compare(drawn, empty, editor[f], dx, dy);
      EXPECT_GT(moved.differing, moved.compared / 10) << "moved by " << dx << ", " << dy;
    }
    const int next = (f + 1) % kFigureFrames;
    Comparison other = Compare(drawn, empty, editor[next], 0, 0);
    EXPECT_GT(other.differing, other.compared / 50) << "frames " << f << " and " << next << " look alike";
    ++compared[f];
  }
  EXPECT_EQ(compared.size(), static_cast<size_t>(kFigureFrames)) << "every figure frame compared at least once";
}

// ---- other playback speeds, on the editor's code in-process ----

CInstance* FirstOf(const char* object) {
  for (CInstance* i = Room_Instances().list.first; i; i = i->next) {
    CObjectType* type = Object_Get(i->objectIndex);
    if (i->Active() && type && type->name && std::string(type->name) == object) return i;
  }
  return nullptr;
}

TEST(ExportObjectScript, StepCarriesThePlaybackSpeedWithItsDecimals) {
  static TempFolder data("export_speed");
  setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
  const std::string log = data.Path() + "log.txt";
  ASSERT_TRUE(figures::StartEditorRunner("export_object_tests", log));
  CInstance* frames = FirstOf("con_Frames");
  CInstance* exporter = FirstOf("obj_Export");
  ASSERT_TRUE(frames && exporter);
  const int speedId = Variable_Find("animationSpeed");
  ASSERT_GE(speedId, 0);
  const std::string folder = SaveFolder().Path() + "export/";
  ASSERT_EQ(folder.rfind(data.Path(), 0), 0u) << folder;

  struct Case {
    double speed;
    const char* text;
  } const cases[] = {{0.35, "0.35"},  {1.0 / 3, "0.333333"}, {0.125, "0.125"},     {2.5, "2.5"},
                     {1, "1"},        {0.05, "0.05"},        {0.9999997, "1"},      {0.0000004, "0"}};
  const char* text = "switch floor(frame) { \n}\n";  // no frames
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    DynValue speed = DynValue_MakeReal(c.speed);
    Variable_SetValue(frames, speedId, ARRAY_INDEX_NONE, &speed);
    DynValue result = DynValue_MakeUndefined(), argument = DynValue_MakeUndefined();
    DynValue_SetString(&argument, text);
    DynValue* args[] = {&argument};
    Function_CallById(exporter, exporter, &result, 1, Function_Find("exportObject"), args);
    DynValue_Release(&result);
    DynValue_Release(&argument);
    EXPECT_EQ(FrameAdvance(ReadFile(folder + "Step.ksl")), c.text);
    EXPECT_EQ(ReadFile(folder + "Draw.ksl"), text);
    std::vector<std::string> comments;
    EXPECT_EQ(Assignments(ReadFile(folder + "Create.ksl"), &comments)["frame_number"], "0");
  }
  EXPECT_EQ(ReadFile(log).find("could not be written"), std::string::npos) << ReadFile(log);
}


// ---- a save folder where the files cannot be written ----

TEST(ExportedFiles, AFileThatCannotBeWrittenLeavesADebugLineAndTheRestIsWritten) {
  struct Case {
    const char* setup;                       // what stands in the save folder before the run
    std::vector<const char*> unwritten;      // export/ files that cannot be written
  } const cases[] = {
      {"export is a file", {"Draw.ksl", "Create.ksl", "Step.ksl"}},
      {"export/Step.ksl is a folder", {"Step.ksl"}},
  };
  // A part placed, a frame made with the "+" slot, Export pressed.
  const char* input = "2 move 32 256\n3 click left\n6 move 512 448\n7 click left\n10 move 127 47\n11 click left\n"
                      "14 move 95 502\n15 click left\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setup);
    TempFolder folder("export_blocked");
    const std::string saved = folder.Path() + "data/Mobwright/";
    fs::create_directories(saved);
    if (c.unwritten.size() == 3) {
      std::ofstream(saved + "export") << "in the way";
    } else {
      fs::create_directories(saved + "export/Step.ksl");
      std::ofstream(saved + "export/Draw.ksl") << "an earlier export";
    }
    std::ofstream(folder.Path() + "input.txt") << input;
    int code = ChildProgram_Wait(ChildProgram_Start(
        {MOBWRIGHT_PROGRAM, "-headless", "-noaudio", "-nowait", "-frames", "20", "-playback",
         folder.Path() + "input.txt", "-output", folder.Path() + "log.txt", "-dumpstate", "18",
         folder.Path() + "dump.json"},
        {{"XDG_DATA_HOME", folder.Path() + "data"}}, folder.Path() + "output.txt"));
    ASSERT_EQ(code, 0) << ReadFile(folder.Path() + "output.txt");
    std::string log = ReadFile(folder.Path() + "log.txt");
    EXPECT_NE(log.find("Copied To Clipboard!"), std::string::npos);
    EXPECT_EQ(log.find("[message box] Error"), std::string::npos) << log;
    scenario::Dump dump = ReadDump(folder.Path() + "dump.json");
    ASSERT_EQ(dump.clipboard.kind, scenario::Value::Kind::String);
    EXPECT_NE(dump.clipboard.text.find("\tcase 0:\n\t\t draw_sprite_ext(spr_shape_6_back"), std::string::npos)
        << dump.clipboard.text;
    EXPECT_EQ(ReadFile(saved + "export.ksl"), dump.clipboard.text);
    for (const char* name : {"Draw.ksl", "Create.ksl", "Step.ksl"}) {
      bool unwritten = std::find_if(c.unwritten.begin(), c.unwritten.end(),
                                    [&](const char* n) { return std::string(n) == name; }) != c.unwritten.end();
      std::string line = std::string("Export: export/") + name + " could not be written";
      EXPECT_EQ(log.find(line) != std::string::npos, unwritten) << line << "\n" << log;
      if (!unwritten) {
        EXPECT_NE(ReadFile(saved + "export/" + name), "") << name;
      }
    }
    if (c.unwritten.size() == 1) {
      EXPECT_EQ(ReadFile(saved + "export/Draw.ksl"), dump.clipboard.text);  // the earlier export replaced
    }
  }
}

}  // namespace

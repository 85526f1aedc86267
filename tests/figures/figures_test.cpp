// SPDX-License-Identifier: Zlib
// The sample figure objects, run in-process on the editor's compiled code and
// embedded data (the program's runner started headless):
//
// - their Step events: the figure's frame and the parts' sprite frame advance
//   and wrap, the honey changes its direction when its frames start again and
//   moves, the urchin spins and starts again from exactly 0, the octopus does
//   not turn, object_30 walks left;
// - their Draw events (the editor's exported text): each frame of each figure,
//   drawn at the crosshair's place at its own size, shows the same pixels as
//   the editor's canvas showing that frame. The editor's pictures come from the
//   figure's scenario (tests/editor/scenarios/figures/, one pixel check a
//   frame), taken by the real program; the editor's own marks (crosshair,
//   canvas outline) lie behind the figure, so only the pixels the figure covers
//   are compared.
//
// The drawing test also writes docs/figures.png's picture (the five figures
// side by side, frame 0) into the build folder and compares it with the
// committed one; to take a new picture after a deliberate change, copy the one
// it names over docs/figures.png.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FigurePictures.h"
#include "EditorRunner.h"
#include "Scenario.h"
#include "code/CompiledCode.h"
#include "data/GameData.h"
#include "data/PageDecoder.h"
#include "data/PngDecode.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"
#include "object/Event.h"
#include "object/EventDispatch.h"
#include "object/Instance.h"
#include "object/Object.h"
#include "graphics/PngWrite.h"
#include "platform/Window.h"
#include "room/RoomInstances.h"
#include "run/Runner.h"
#include "run/RunnerGraphics.h"
#include "sound/Audio.h"

extern "C" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);

namespace {

namespace fs = std::filesystem;

constexpr float kCrossX = 512, kCrossY = 448;  // the editor's crosshair

using figures::ClearRoom;
using figures::Compare;
using figures::Comparison;
using figures::Decode;
using figures::Near;
using figures::Picture;
using figures::ReadFile;

int ObjectIndex(const char* name) {
  for (int i = 0; i < Object_Count(); ++i)
    if (CObjectType* object = Object_Get(i); object && object->name && std::strcmp(object->name, name) == 0) return i;
  return -1;
}

// A variable of an instance as a number; NAN when it holds none.
double Get(CInstance* instance, const char* name) {
  int id = Variable_Find(name);
  if (id < 0) return NAN;
  DynValue value = DynValue_MakeUndefined();
  if (!Variable_GetValue(instance, id, ARRAY_INDEX_NONE, &value)) return NAN;
  double number = (value.Kind() == KIND_NUMBER || value.Kind() == KIND_BOOL) ? value.real : NAN;
  DynValue_Release(&value);
  return number;
}

void Set(CInstance* instance, const char* name, double number) {
  int id = Variable_Find(name);
  ASSERT_GE(id, 0) << name;
  DynValue value = DynValue_MakeReal(number);
  Variable_SetValue(instance, id, ARRAY_INDEX_NONE, &value);
}

CInstance* Create(const char* object, float x = kCrossX, float y = kCrossY) {
  int index = ObjectIndex(object);
  EXPECT_GE(index, 0) << object;
  return index < 0 ? nullptr : Instance_Create(index, x, y, 0);
}

void Step(CInstance* instance) { Perform_Event(instance, instance, ev_step, ev_step_normal); }

class FigureObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(figures::StartEditorRunner("figures_tests")) << "the runner did not start on the embedded data";
    ClearRoom();
  }
  void TearDown() override { ClearRoom(); }
};

// ---- Step events ----

TEST_F(FigureObjects, ThreeFrameFiguresAdvanceAndWrapTheirFrames) {
  for (const char* name : {"obj_test_export_1_1_1", "obj_Buzzer", "obj_Honey"}) {
    SCOPED_TRACE(name);
    CInstance* figure = Create(name);
    ASSERT_NE(figure, nullptr);
    EXPECT_EQ(Get(figure, "frame_number"), 3);
    EXPECT_EQ(Get(figure, "frame"), 0);
    EXPECT_EQ(Get(figure, "subImage"), 0);
    // frame: 0.33 a step, shown as floor(frame): 0 0 0 1 1 1 2 2 2, then 0.
    for (int step = 1; step <= 9; ++step) {
      Step(figure);
      EXPECT_NEAR(Get(figure, "frame"), 0.33 * step, 1e-9) << "step " << step;
    }
    Step(figure);  // 3.30 reaches frame_number
    EXPECT_EQ(Get(figure, "frame"), 0);
    // subImage went on: 0.33 * 10; it wraps at the shapes' 4 sprite frames
    // (3.96 after 12 steps, then 0).
    EXPECT_NEAR(Get(figure, "subImage"), 3.3, 1e-9);
    Step(figure);
    Step(figure);
    EXPECT_NEAR(Get(figure, "subImage"), 3.96, 1e-9);
    Step(figure);
    EXPECT_EQ(Get(figure, "subImage"), 0);
    EXPECT_NEAR(Get(figure, "frame"), 0.99, 1e-9);
  }
}

TEST_F(FigureObjects, HoneyPicksStillUpOrDownEachTimeItsFramesStartAgainAndMoves) {
  CInstance* honey = Create("obj_Honey");
  ASSERT_NE(honey, nullptr);
  EXPECT_EQ(Get(honey, "xSpeed"), 0);
  EXPECT_EQ(Get(honey, "ySpeed"), 0);
  EXPECT_EQ(Get(honey, "xScale"), -0.3);
  EXPECT_EQ(Get(honey, "yScale"), -0.3);
  std::map<double, int> seen;
  for (int wrap = 0; wrap < 150; ++wrap) {
    Set(honey, "frame", 2.97);
    honey->x = kCrossX;
    honey->y = kCrossY;
    Step(honey);
    ASSERT_EQ(Get(honey, "frame"), 0);
    double speed = Get(honey, "ySpeed");
    ASSERT_TRUE(speed == 0 || speed == -2 || speed == 2) << speed;
    ++seen[speed];
    // The move uses the speed chosen in the same step.
    EXPECT_FLOAT_EQ(honey->y, kCrossY + static_cast<float>(speed));
    EXPECT_FLOAT_EQ(honey->x, kCrossX);
    // Between the wraps the speed stays and the honey keeps moving.
    Step(honey);
    EXPECT_EQ(Get(honey, "ySpeed"), speed);
    EXPECT_FLOAT_EQ(honey->y, kCrossY + 2 * static_cast<float>(speed));
  }
  EXPECT_EQ(seen.size(), 3u) << "150 wraps should give all three directions";
}

TEST_F(FigureObjects, UrchinSpinsTwoDegreesAStepAndStartsAgainFromExactlyZero) {
  CInstance* urchin = Create("obj_test_export_1_1_1_1");
  ASSERT_NE(urchin, nullptr);
  EXPECT_EQ(Get(urchin, "frame_number"), 5);
  EXPECT_EQ(Get(urchin, "rotSpeed"), 2);
  for (int step = 1; step <= 179; ++step) Step(urchin);
  EXPECT_NEAR(Get(urchin, "rot"), 358, 1e-9);
  Step(urchin);  // 360: a full turn
  EXPECT_EQ(Get(urchin, "rot"), 0);
  // Beyond 360 it is set to 0, not to what is left over.
  Set(urchin, "rot", 355);
  Set(urchin, "rotSpeed", 7);
  Step(urchin);
  EXPECT_EQ(Get(urchin, "rot"), 0);
  // Its frames stay on the first one (frameSpeed 0) until something sets a speed.
  EXPECT_EQ(Get(urchin, "frame"), 0);
  Set(urchin, "frameSpeed", 1);
  for (int step = 1; step <= 4; ++step) {
    Step(urchin);
    EXPECT_EQ(Get(urchin, "frame"), step);
  }
  Step(urchin);
  EXPECT_EQ(Get(urchin, "frame"), 0);
}

TEST_F(FigureObjects, SeaDaddyAnimatesItsPartsButNeitherTurnsNorChangesFrame) {
  CInstance* sea = Create("obj_SeaDaddy");
  ASSERT_NE(sea, nullptr);
  EXPECT_EQ(Get(sea, "rotSpeed"), 2);
  EXPECT_EQ(Get(sea, "xScale"), 0.2);
  bool wrapped = false;
  double last = 0;
  for (int step = 0; step < 200; ++step) {
    Step(sea);
    double sub = Get(sea, "subImage");
    ASSERT_LT(sub, 4);
    wrapped = wrapped || sub < last;
    last = sub;
  }
  EXPECT_TRUE(wrapped);
  EXPECT_EQ(Get(sea, "rot"), 0);
  EXPECT_EQ(Get(sea, "frame"), 0);
  // One frame only: any frame speed brings it straight back to 0.
  Set(sea, "frameSpeed", 1);
  Step(sea);
  EXPECT_EQ(Get(sea, "frame"), 0);
}

TEST_F(FigureObjects, Object30WalksTwoPixelsLeftAStep) {
  CInstance* walker = Create("object_30", 300, 200);
  ASSERT_NE(walker, nullptr);
  for (int step = 1; step <= 5; ++step) {
    Step(walker);
    EXPECT_FLOAT_EQ(walker->x, 300 - 2.0f * step);
    EXPECT_FLOAT_EQ(walker->y, 200);
  }
}

// ---- Draw events against the editor's canvas ----

// Draws the room as it stands (the figures only) and reads the pixels back.
Picture Draw() {
  Picture p;
  Graphics_DrawFrame(GameData_Room(Runner_State().currentRoom));
  EXPECT_TRUE(Graphics_State().renderer->ReadPixels(&p.rgba, &p.width, &p.height));
  Graphics_Present();
  return p;
}

struct Figure {
  const char* name;
  int frames;
};
const Figure kFigures[] = {{"obj_test_export_1_1_1", 3}, {"obj_Honey", 3}, {"obj_Buzzer", 3},
                           {"obj_SeaDaddy", 1}, {"obj_test_export_1_1_1_1", 5}};

// The editor's pictures of a figure's frames: its scenario's input played by
// the real program, a screenshot at each pixel check's frame.
std::vector<std::string> EditorPictures(const Figure& figure, std::string* problem) {
  std::string scenarioPath = std::string(MOBWRIGHT_FIGURE_SCENARIOS) + "/" + figure.name + ".scn";
  scenario::Scenario s;
  std::vector<std::string> errors;
  if (!scenario::ParseScenario(ReadFile(scenarioPath), &s, &errors)) {
    *problem = scenarioPath + ": " + (errors.empty() ? "unreadable" : errors[0]);
    return {};
  }
  std::set<int64_t> frames = s.PictureFrames();
  if (frames.size() != static_cast<size_t>(figure.frames)) {
    *problem = scenarioPath + " names " + std::to_string(frames.size()) + " picture frames, want one a figure frame";
    return {};
  }
  fs::path folder = fs::path(MOBWRIGHT_PICTURE_FOLDER) / figure.name;
  // A fresh save folder each time: the editor keeps its unsaved work there
  // when a run ends, and the next run would start from it.
  fs::remove_all(folder / "save");
  fs::create_directories(folder / "save");
  {
    std::ofstream input(folder / "input.txt");
    for (const std::string& line : s.inputLines) input << line << "\n";
  }
  std::vector<std::string> paths;
  std::string command = "XDG_DATA_HOME='" + (folder / "save").string() + "' '" + MOBWRIGHT_PROGRAM +
                        "' -headless -noaudio -nowait -frames " + std::to_string(*frames.rbegin() + 1) +
                        " -playback '" + (folder / "input.txt").string() + "'";
  int k = 0;
  for (int64_t frame : frames) {
    paths.push_back((folder / ("frame_" + std::to_string(k++) + ".png")).string());
    command += " -screenshot " + std::to_string(frame) + " '" + paths.back() + "'";
  }
  command += " > '" + (folder / "output.txt").string() + "' 2>&1";
  int status = std::system(command.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    *problem = "the program failed: " + ReadFile((folder / "output.txt").string());
    return {};
  }
  return paths;
}

TEST_F(FigureObjects, EachFrameDrawsAsTheEditorShowedIt) {
  Picture empty = Draw();
  ASSERT_EQ(empty.width, 1024);
  ASSERT_EQ(empty.height, 768);
  for (const Figure& figure : kFigures) {
    SCOPED_TRACE(figure.name);
    std::string problem;
    std::vector<std::string> pictures = EditorPictures(figure, &problem);
    ASSERT_EQ(pictures.size(), static_cast<size_t>(figure.frames)) << problem;
    for (int f = 0; f < figure.frames; ++f) {
      SCOPED_TRACE("frame " + std::to_string(f));
      CInstance* instance = Create(figure.name);
      ASSERT_NE(instance, nullptr);
      Set(instance, "xScale", 1);
      Set(instance, "yScale", 1);
      Set(instance, "rot", 0);
      Set(instance, "alpha", 1);
      Set(instance, "subImage", 0);
      Set(instance, "frame", f);
      Picture drawn = Draw();
      ClearRoom();
      Picture editor;
      std::string error;
      ASSERT_TRUE(Decode(pictures[f], &editor, &error)) << error;
      ASSERT_EQ(editor.width, drawn.width);
      ASSERT_EQ(editor.height, drawn.height);

      Comparison same = Compare(drawn, empty, editor, 0, 0);
      std::printf("%s frame %d: %zu pixels compared, %zu differ\n", figure.name, f, same.compared, same.differing);
      EXPECT_GE(same.compared, 3000u) << "the figure covers too little to compare";
      EXPECT_LE(same.differing, same.compared / 50)
          << same.differing << " of " << same.compared << " pixels differ from the editor's picture " << pictures[f];
      // The comparison tells a figure from one a few pixels off.
      for (auto [dx, dy] : {std::pair{3, 0}, std::pair{0, -3}}) {
        Comparison moved = Compare(drawn, empty, editor, dx, dy);
        std::printf("  moved by %d, %d: %zu differ\n", dx, dy, moved.differing);
        EXPECT_GT(moved.differing, moved.compared / 10) << "moved by " << dx << ", " << dy;
      }
    }
    // Each frame is its own: frame 0 is not what the editor showed for the others.
    if (figure.frames > 1) {
      CInstance* instance = Create(figure.name);
      Set(instance, "xScale", 1);
      Set(instance, "yScale", 1);
      Set(instance, "frame", 0);
      Picture first = Draw();
      ClearRoom();
      Picture editor;
      std::string error;
      ASSERT_TRUE(Decode(pictures[1], &editor, &error)) << error;
      Comparison other = Compare(first, empty, editor, 0, 0);
      std::printf("%s frame 0 against frame 1: %zu of %zu differ\n", figure.name, other.differing, other.compared);
      EXPECT_GT(other.differing, other.compared / 50) << "frames 0 and 1 look alike";
    }
  }
}

// ---- the README's picture ----

TEST_F(FigureObjects, ThePictureOfTheFiveFiguresIsTheCommittedOne) {
  // Frame 0 of each, at its own size, side by side; the band of the room
  // they stand in.
  constexpr int kTop = 270, kHeight = 360;
  const float kX[] = {108, 300, 492, 705, 922};
  for (size_t i = 0; i < std::size(kFigures); ++i) {
    CInstance* instance = Create(kFigures[i].name, kX[i], kTop + kHeight / 2);
    ASSERT_NE(instance, nullptr);
    Set(instance, "xScale", 1);
    Set(instance, "yScale", 1);
  }
  Picture all = Draw();
  ASSERT_EQ(all.width, 1024);
  std::vector<uint8_t> band(all.rgba.begin() + static_cast<size_t>(kTop) * all.width * 4,
                            all.rgba.begin() + static_cast<size_t>(kTop + kHeight) * all.width * 4);
  fs::create_directories(MOBWRIGHT_PICTURE_FOLDER);
  const std::string made = std::string(MOBWRIGHT_PICTURE_FOLDER) + "/figures.png";
  ASSERT_TRUE(Png_WriteRgba(made.c_str(), all.width, kHeight, band.data()));

  Picture now, committed;
  std::string error;
  ASSERT_TRUE(Decode(made, &now, &error)) << error;
  ASSERT_TRUE(Decode(MOBWRIGHT_COMMITTED_FIGURES, &committed, &error)) << error << "; the new picture is " << made;
  ASSERT_EQ(now.width, committed.width);
  ASSERT_EQ(now.height, committed.height);
  size_t differing = 0;
  for (size_t i = 0; i < now.rgba.size(); i += 4)
    if (!Near(&now.rgba[i], &committed.rgba[i], 24)) ++differing;
  EXPECT_LE(differing, now.rgba.size() / 4 / 1000)
      << differing << " pixels differ from docs/figures.png; the new picture is " << made;
}


}  // namespace

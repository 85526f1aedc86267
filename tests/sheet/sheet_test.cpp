// SPDX-License-Identifier: Zlib
// The sprite sheet against the game: each sample figure's sheet and atlas are
// made from its committed Draw event; then the figure object is played in the
// runtime for one whole loop, its Draw event run each step with the
// variables that the exported object's Create and Step give it (frame and
// subImage from 0, +0.35 and +0.33 a step, back to 0 at the number of frames
// and at 4), and the picture the runtime draws is held against the atlas
// cell that the JSON says shows at that time (the cell laid over the same
// background at the pivot). The cells' durations add up to the loop.
// The loop arithmetic and the rounding of durations are checked on their own.
#include <gtest/gtest.h>
#include <json-c/json.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "EditorRunner.h"
#include "code/CompiledCode.h"
#include "data/GameData.h"
#include "data/PngDecode.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"
#include "library/FigureText.h"
#include "object/Event.h"
#include "object/Instance.h"
#include "object/Object.h"
#include "room/RoomInstances.h"
#include "run/Runner.h"
#include "run/SheetExport.h"


namespace {

void Set(CInstance* instance, const char* name, double number) {
  DynValue value = DynValue_MakeReal(number);
  Variable_SetValue(instance, Variable_Find(name), ARRAY_INDEX_NONE, &value);
}

std::string ReadFile(const std::string& path) {
  std::string text;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

struct Cell {
  int x = 0, y = 0, w = 0, h = 0, duration = 0;
};

struct Atlas {
  std::vector<Cell> cells;  // in the atlas's order
  int pivotX = 0, pivotY = 0;
};

int IntAt(json_object* object, const char* a, const char* b = nullptr) {
  json_object* value = nullptr;
  if (!json_object_object_get_ex(object, a, &value)) return -1;
  if (b && !json_object_object_get_ex(value, b, &value)) return -1;
  return json_object_get_int(value);
}

bool ReadAtlas(const std::string& json, const std::string& name, Atlas* atlas) {
  std::unique_ptr<json_object, decltype(&json_object_put)> root(json_tokener_parse(json.c_str()), json_object_put);
  json_object *frames = nullptr, *meta = nullptr;
  if (!root || !json_object_object_get_ex(root.get(), "frames", &frames) ||
      !json_object_object_get_ex(root.get(), "meta", &meta))
    return false;
  // The cells by their names' numbers: "<name> 0", "<name> 1", ...
  for (size_t i = 0;; ++i) {
    json_object* cell = nullptr;
    if (!json_object_object_get_ex(frames, (name + " " + std::to_string(i)).c_str(), &cell)) break;
    atlas->cells.push_back({IntAt(cell, "frame", "x"), IntAt(cell, "frame", "y"), IntAt(cell, "frame", "w"),
                            IntAt(cell, "frame", "h"), IntAt(cell, "duration")});
  }
  atlas->pivotX = IntAt(meta, "pivot", "x");
  atlas->pivotY = IntAt(meta, "pivot", "y");
  return static_cast<int>(atlas->cells.size()) == json_object_object_length(frames);
}

class SpriteSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(figures::StartEditorRunner("sheet_tests")) << "the runner did not start on the embedded data";
    figures::ClearRoom();
  }
  void TearDown() override { figures::ClearRoom(); }
};

}  // namespace

TEST(SheetLoop, StepsCellsAndDurationsFollowTheExportedStep) {
  // Three frames at 0.35, one animating: frame wraps after 9 steps, subImage
  // after 13; both are back at 0 after 117.
  const std::vector<SheetPicture> steps = SheetLoop_Steps({true, false, false}, 0.35);
  ASSERT_EQ(steps.size(), 117u);
  EXPECT_EQ(steps[0].frame, 0);    // 0.35
  EXPECT_EQ(steps[2].frame, 1);    // 1.05
  EXPECT_EQ(steps[2].subImage, 0);  // frame 1 animates nothing
  EXPECT_EQ(steps[3].subImage, 0);  // 1.32, but frame 1
  EXPECT_EQ(steps[8].frame, 0);    // 3.15 wrapped to 0; subImage 2.97
  EXPECT_EQ(steps[8].subImage, 2);
  EXPECT_EQ(steps.back().frame, 0);
  EXPECT_EQ(steps.back().subImage, 0);
  // Nothing animates: the frames alone make the loop.
  EXPECT_EQ(SheetLoop_Steps({false, false, false}, 0.35).size(), 9u);
  EXPECT_TRUE(SheetLoop_Steps({}, 0.35).empty());
  EXPECT_TRUE(SheetLoop_Steps({false}, 0).empty());
  EXPECT_TRUE(SheetLoop_Steps({true, true}, 1e-6).empty());  // longer than the limit

  // Runs of one picture are one cell; the durations' running total stays
  // within half a unit of the true time (steps of 1000/60 ms).
  const std::vector<SheetCell> cells = SheetLoop_Cells(steps);
  int total = 0;
  for (const SheetCell& cell : cells) total += cell.steps;
  EXPECT_EQ(total, 117);
  for (int units : {1000, 100}) {
    const std::vector<int> durations = SheetLoop_Durations(cells, units);
    long long sum = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
      sum += durations[i];
      const double truth = (cells[i].first + cells[i].steps) * static_cast<double>(units) / 60;
      EXPECT_LE(std::fabs(sum - truth), 0.5) << "cell " << i << " in 1/" << units << " s";
      EXPECT_GT(durations[i], 0);
    }
  }
}

TEST_F(SpriteSheet, EveryStepOfTheLoopDrawsTheCellTheAtlasShowsThen) {
  const char* kFigures[] = {"obj_Buzzer", "obj_Honey", "obj_SeaDaddy", "obj_test_export_1_1_1",
                            "obj_test_export_1_1_1_1"};
  for (const char* name : kFigures) {
    SCOPED_TRACE(name);
    Figure figure;
    FigureTextError refusal;
    ASSERT_TRUE(FigureText_Read(ReadFile(std::string(MOB_EDITOR_DIR) + "/objects/" + name + "/Draw.ksl"), &figure,
                                &refusal))
        << refusal.message;
    SheetOptions options;
    options.name = name;
    SheetFiles files;
    std::string error;
    ASSERT_TRUE(SheetExport_Make(figure, options, &files, &error)) << error;
    Atlas atlas;
    ASSERT_TRUE(ReadAtlas(files.json, name, &atlas)) << files.json;
    ASSERT_EQ(static_cast<int>(atlas.cells.size()), files.cells);
    DecodedImage sheet;
    ASSERT_TRUE(Png_DecodeRGBA(files.png.data(), files.png.size(), &sheet, &error)) << error;

    // The durations add up to the loop.
    int total = 0;
    for (const Cell& cell : atlas.cells) total += cell.duration;
    EXPECT_EQ(total, static_cast<int>(std::lround(files.steps * 1000.0 / 60)));

    // The object as the exported Create leaves it, at the middle of the room.
    int index = -1;
    for (int i = 0; i < Object_Count(); ++i)
      if (Object_Get(i) && std::strcmp(Object_Get(i)->name, name) == 0) index = i;
    ASSERT_GE(index, 0);
    figures::ClearRoom();
    CInstance* object = Instance_Create(index, 512, 384, 0);
    ASSERT_NE(object, nullptr);
    for (const char* variable : {"xScale", "yScale", "alpha"}) Set(object, variable, 1);
    Set(object, "rot", 0);
    double frame = 0, subImage = 0;
    size_t differing = 0, compared = 0;
    for (int step = 0; step < files.steps; ++step) {
      // The exported Step, then the Draw event in the runtime's frame.
      subImage += 0.33;
      if (subImage >= 4) subImage = 0;
      frame += options.speed;
      if (frame >= static_cast<double>(figure.frames.size())) frame = 0;
      Set(object, "frame", frame);
      Set(object, "subImage", subImage);
      Graphics_DrawFrame(GameData_Room(Runner_State().currentRoom));
      std::vector<uint8_t> drawn;
      int width = 0, height = 0;
      ASSERT_TRUE(Graphics_State().renderer->ReadPixels(&drawn, &width, &height));
      Graphics_Present();
      const uint8_t* background = &drawn[0];  // the room's corner: nothing drawn there

      // The cell showing at the middle of this step.
      const double at = (step + 0.5) * 1000.0 / 60;
      size_t c = 0;
      for (double end = atlas.cells[0].duration; c + 1 < atlas.cells.size() && end <= at; end += atlas.cells[++c].duration) {}
      const Cell& cell = atlas.cells[c];
      const int left = 512 - atlas.pivotX, top = 384 - atlas.pivotY;
      for (int y = 0; y < cell.h; ++y)
        for (int x = 0; x < cell.w; ++x) {
          const uint8_t* s = &sheet.rgba[(static_cast<size_t>(cell.y + y) * sheet.width + cell.x + x) * 4];
          const uint8_t* d = &drawn[(static_cast<size_t>(top + y) * width + left + x) * 4];
          bool same = true, covered = s[3] != 0;
          for (int k = 0; k < 3; ++k) {
            const int laid = (s[k] * s[3] + background[k] * (255 - s[3]) + 127) / 255;
            same = same && std::abs(laid - d[k]) <= 3;
            covered = covered || d[k] != background[k];
          }
          compared += covered;
          differing += covered && !same;
        }
    }
    EXPECT_GT(compared, 1000u);
    EXPECT_EQ(differing, 0u) << differing << " of " << compared << " figure pixels differ from their cells";
  }
}

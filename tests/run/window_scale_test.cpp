// SPDX-License-Identifier: Zlib
// A window at another size than the room: the area that shows the room
// (RunnerGraphics_FitArea), the mouse mapped back through it into room
// coordinates, the picture the renderer presents there (nearest-pixel
// sampling, black bars) against that mapping, screenshots at the room's own
// size, and the ways the scale is asked for (-scale, options.ini's Scale=).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/Renderer.h"
#include "graphics/sdl/SdlRenderer.h"
#include "io/Input.h"
#include "run/Runner.h"
#include "run/RunnerGraphics.h"

namespace {

struct RoomPoint {
  int x, y;
};

// The room point that the runtime's mapping gives for a window pixel, with
// the mapping set up as the runner sets it for that window.
class MouseThroughArea {
 public:
  MouseThroughArea(int windowWidth, int windowHeight, int roomWidth, int roomHeight)
      : area_(RunnerGraphics_FitArea(windowWidth, windowHeight, roomWidth, roomHeight)) {
    Input_Init();
    Input_SetViews(nullptr, 0);
    Input_SetViewMapping(windowWidth, windowHeight, area_.x, area_.y, roomWidth, roomHeight);
  }
  ~MouseThroughArea() {
    Input_SetViewMapping(0, 0, 0, 0, 0, 0);
    Input_Init();
  }
  RoomPoint At(int windowX, int windowY) const {
    Input_MouseMove(windowX, windowY);
    Input_Fold();
    return {Input_MouseRoomX(), Input_MouseRoomY()};
  }
  const WindowArea& area() const { return area_; }

 private:
  WindowArea area_;
};

TEST(WindowScaleTest, AtScaleTwoEveryPixelOfARoomPixelsBlockMapsBackToIt) {
  MouseThroughArea mouse(2048, 1536, 1024, 768);
  EXPECT_EQ(mouse.area().x, 0);
  EXPECT_EQ(mouse.area().y, 0);
  EXPECT_EQ(mouse.area().width, 2048);
  EXPECT_EQ(mouse.area().height, 1536);
  // Corners, the editor's shape button, colour, canvas and export button.
  const RoomPoint points[] = {{0, 0}, {1023, 767}, {32, 256}, {928, 164}, {500, 400}, {95, 502}, {1023, 0}};
  for (const RoomPoint& p : points) {
    for (int dx = 0; dx < 2; ++dx)
      for (int dy = 0; dy < 2; ++dy) {
        RoomPoint got = mouse.At(2 * p.x + dx, 2 * p.y + dy);
        EXPECT_EQ(got.x, p.x) << "window " << 2 * p.x + dx << "," << 2 * p.y + dy;
        EXPECT_EQ(got.y, p.y) << "window " << 2 * p.x + dx << "," << 2 * p.y + dy;
      }
  }
}

TEST(WindowScaleTest, AnOddWindowWithBarsMapsItsAreaOntoTheWholeRoomAndTheBarsOutsideIt) {
  // 1537 x 1001 for a 1024 x 768 room: the height decides, 1335 x 1001 with
  // bars of 101 pixels left and right.
  MouseThroughArea wide(1537, 1001, 1024, 768);
  const WindowArea a = wide.area();
  EXPECT_EQ(a.y, 0);
  EXPECT_EQ(a.height, 1001);
  EXPECT_EQ(a.x, 101);
  EXPECT_EQ(a.width, 1335);
  // The area's first and last pixels are the room's first and last.
  EXPECT_EQ(wide.At(a.x, 0).x, 0);
  EXPECT_EQ(wide.At(a.x, 0).y, 0);
  EXPECT_EQ(wide.At(a.x + a.width - 1, 1000).x, 1023);
  EXPECT_EQ(wide.At(a.x + a.width - 1, 1000).y, 767);
  // Every room column and row is reachable, in order, and nothing in the
  // area falls outside the room.
  int expectedX = 0;
  for (int px = a.x; px < a.x + a.width; ++px) {
    int x = wide.At(px, 500).x;
    ASSERT_TRUE(x == expectedX || x == expectedX + 1) << "window x " << px << " gives " << x;
    expectedX = x;
  }
  EXPECT_EQ(expectedX, 1023);
  int expectedY = 0;
  for (int py = 0; py < 1001; ++py) {
    int y = wide.At(700, py).y;
    ASSERT_TRUE(y == expectedY || y == expectedY + 1) << "window y " << py << " gives " << y;
    expectedY = y;
  }
  EXPECT_EQ(expectedY, 767);
  // On the bars: out of the room, except the bar's pixel next to the area,
  // which truncation towards zero takes to column 0.
  EXPECT_EQ(wide.At(a.x - 1, 300).x, 0);
  EXPECT_LT(wide.At(a.x - 2, 300).x, 0);
  EXPECT_LT(wide.At(0, 300).x, 0);
  EXPECT_GE(wide.At(a.x + a.width, 300).x, 1024);
  EXPECT_GE(wide.At(1536, 300).x, 1024);
  EXPECT_EQ(wide.At(0, 300).y, wide.At(a.x, 300).y);  // the bars leave y alone

  // 1101 x 1301: the width decides (826 rounded, 827 to be even with the
  // window), bars of 237 above and below.
  MouseThroughArea tall(1101, 1301, 1024, 768);
  const WindowArea b = tall.area();
  EXPECT_EQ(b.x, 0);
  EXPECT_EQ(b.width, 1101);
  EXPECT_EQ(b.y, 237);
  EXPECT_EQ(b.height, 827);
  EXPECT_LT(tall.At(500, 0).y, 0);
  EXPECT_LT(tall.At(500, b.y - 2).y, 0);
  EXPECT_GE(tall.At(500, b.y + b.height).y, 768);
  EXPECT_GE(tall.At(500, 1300).y, 768);
  EXPECT_EQ(tall.At(500, b.y).y, 0);
  EXPECT_EQ(tall.At(500, b.y + b.height - 1).y, 767);
}

TEST(WindowScaleTest, TheAreaKeepsTheAspectAndIsCentredForAnyWindow) {
  const int rooms[][2] = {{1024, 768}, {320, 240}, {200, 150}, {640, 360}};
  for (const auto& room : rooms) {
    const int rw = room[0], rh = room[1];
    for (int ww = 1; ww <= 2600; ww += 37)
      for (int wh = 1; wh <= 2000; wh += 29) {
        const WindowArea a = RunnerGraphics_FitArea(ww, wh, rw, rh);
        SCOPED_TRACE(::testing::Message() << "window " << ww << "x" << wh << " room " << rw << "x" << rh);
        // Inside the window, with the same bar on both sides.
        ASSERT_GE(a.x, 0);
        ASSERT_GE(a.y, 0);
        ASSERT_EQ(2 * a.x + a.width, ww);
        ASSERT_EQ(2 * a.y + a.height, wh);
        // One side fills the window; the other is the aspect's size, rounded
        // and then made even with the window (at most 1.5 pixels off).
        ASSERT_TRUE(a.x == 0 || a.y == 0);
        const double exactWidth = static_cast<double>(a.height) * rw / rh;
        const double exactHeight = static_cast<double>(a.width) * rh / rw;
        if (a.y == 0 && a.x > 0) {
          ASSERT_NEAR(a.width, exactWidth, 1.5);
        }
        if (a.x == 0 && a.y > 0) {
          ASSERT_NEAR(a.height, exactHeight, 1.5);
        }
        ASSERT_GE(a.width, 1);
        ASSERT_GE(a.height, 1);
      }
  }
  // Nothing to fit: the whole window.
  const WindowArea none = RunnerGraphics_FitArea(800, 600, 0, 0);
  EXPECT_EQ(none.x, 0);
  EXPECT_EQ(none.width, 800);
  EXPECT_EQ(none.height, 600);
}

// A room of 200 x 150 whose pixel (x, y) is coloured red x, green y, so the
// presented picture tells which room pixel each window pixel shows.
constexpr int ROOM_W = 200, ROOM_H = 150;

class PresentedRoom : public ::testing::Test {
 protected:
  // Draws the room on a renderer whose output is windowWidth x windowHeight,
  // presents it and reads the output back.
  void Present(int windowWidth, int windowHeight) {
    std::string error;
    renderer.reset(SdlRenderer_CreateOffscreen(windowWidth, windowHeight, &error));
    ASSERT_NE(renderer, nullptr) << error;
    SdlRenderer_SetCanvasSize(renderer.get(), ROOM_W, ROOM_H);
    area = RunnerGraphics_FitArea(windowWidth, windowHeight, ROOM_W, ROOM_H);
    SdlRenderer_SetWindowArea(renderer.get(), area.x, area.y, area.width, area.height);

    std::vector<uint8_t> room(static_cast<size_t>(ROOM_W) * ROOM_H * 4);
    for (int y = 0; y < ROOM_H; ++y)
      for (int x = 0; x < ROOM_W; ++x) {
        uint8_t* p = &room[(static_cast<size_t>(y) * ROOM_W + x) * 4];
        p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y), p[2] = 0x55, p[3] = 0xFF;
      }
    int texture = renderer->CreateTexture(room.data(), ROOM_W, ROOM_H, 0);
    ASSERT_NE(texture, TEXTURE_NONE);
    const float w = ROOM_W, h = ROOM_H;
    Vertex quad[6] = {{0, 0, 0xFFFFFFFFu, 0, 0, 0}, {1, 0, 0xFFFFFFFFu, w, 0, 0}, {1, 1, 0xFFFFFFFFu, w, h, 0},
                      {1, 1, 0xFFFFFFFFu, w, h, 0}, {0, 1, 0xFFFFFFFFu, 0, h, 0}, {0, 0, 0xFFFFFFFFu, 0, 0, 0}};
    renderer->SetProjectionAndClear(ViewRect{0, 0, w, h}, 0xFF0000FFu, true);
    ASSERT_TRUE(renderer->DrawVertices(PRIM_TRIANGLE_LIST, texture, VertexLayout{}, reinterpret_cast<uint8_t*>(quad), 6));
    renderer->Present();
    int ow = 0, oh = 0;
    ASSERT_TRUE(SdlRenderer_ReadOutput(renderer.get(), &output, &ow, &oh));
    ASSERT_EQ(ow, windowWidth);
    ASSERT_EQ(oh, windowHeight);
    width = ow;
  }
  const uint8_t* Pixel(int x, int y) const { return &output[(static_cast<size_t>(y) * width + x) * 4]; }

  // The screenshot after presenting is the room at its own size, unscaled.
  void ExpectScreenshotIsTheRoom() {
    std::vector<uint8_t> shot;
    int w = 0, h = 0;
    ASSERT_TRUE(renderer->ReadPixels(&shot, &w, &h));
    ASSERT_EQ(w, ROOM_W);
    ASSERT_EQ(h, ROOM_H);
    int wrong = 0;
    for (int y = 0; y < ROOM_H; ++y)
      for (int x = 0; x < ROOM_W; ++x) {
        const uint8_t* p = &shot[(static_cast<size_t>(y) * ROOM_W + x) * 4];
        if (p[0] != x || p[1] != y || p[2] != 0x55 || p[3] != 0xFF) ++wrong;
      }
    EXPECT_EQ(wrong, 0) << "screenshot pixels that are not the room's";
  }

  // Compares, pixel by pixel, the room pixel drawn with the room pixel the
  // mouse mapping gives; returns how many differ, failing at once on a bar
  // pixel that is not black or on a difference other than the mapping being
  // up to `slack` pixels left of or above the drawn pixel.
  int CompareWithMouse(int windowWidth, int windowHeight, int slack) {
    MouseThroughArea mouse(windowWidth, windowHeight, ROOM_W, ROOM_H);
    int differing = 0;
    for (int y = 0; y < windowHeight; ++y)
      for (int x = 0; x < windowWidth; ++x) {
        const uint8_t* p = Pixel(x, y);
        const bool inArea = x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height;
        if (!inArea) {
          EXPECT_TRUE(p[0] == 0 && p[1] == 0 && p[2] == 0) << "bar pixel " << x << "," << y << " is not black";
          if (p[0] || p[1] || p[2]) return -1;
          continue;
        }
        RoomPoint m = mouse.At(x, y);
        if (p[2] != 0x55) {
          ADD_FAILURE() << "window pixel " << x << "," << y << " shows no room pixel";
          return -1;
        }
        const int dx = p[0] - m.x, dy = p[1] - m.y;
        if (dx < 0 || dy < 0 || dx > slack || dy > slack) {
          ADD_FAILURE() << "window pixel " << x << "," << y << " shows room " << int(p[0]) << "," << int(p[1])
                        << " but the mouse there is at " << m.x << "," << m.y;
          return -1;
        }
        if (dx || dy) ++differing;
      }
    return differing;
  }

  std::unique_ptr<Renderer> renderer;
  std::vector<uint8_t> output;
  int width = 0;
  WindowArea area;
};

TEST_F(PresentedRoom, AtWholeScalesTheMouseIsOnTheRoomPixelDrawnUnderIt) {
  for (int scale : {2, 3}) {
    SCOPED_TRACE(::testing::Message() << "scale " << scale);
    Present(ROOM_W * scale, ROOM_H * scale);
    EXPECT_EQ(CompareWithMouse(ROOM_W * scale, ROOM_H * scale, 0), 0);
    // Nearest-pixel sampling: each room pixel is a solid scale x scale block.
    EXPECT_EQ(Pixel(2 * scale + scale - 1, 5 * scale)[0], 2);
    EXPECT_EQ(Pixel(2 * scale + scale, 5 * scale)[0], 3);
    ExpectScreenshotIsTheRoom();
  }
}

TEST_F(PresentedRoom, InAnOddWindowTheBarsAreBlackAndTheMouseIsOnTheDrawnPixelOrItsNeighbour) {
  // Wider than the room's aspect (bars left and right), then taller (bars
  // above and below), both between one and two times the room. The picture
  // shows at each window pixel the room around its centre (filtered, as the
  // ratio is not whole); the mapping takes the room pixel under its top-left
  // corner, which may be the neighbour to the left or above, never further.
  const int windows[][2] = {{333, 151}, {201, 399}, {451, 300}};
  for (const auto& window : windows) {
    SCOPED_TRACE(::testing::Message() << "window " << window[0] << "x" << window[1]);
    Present(window[0], window[1]);
    ASSERT_TRUE(area.x > 0 || area.y > 0);
    ASSERT_GE(CompareWithMouse(window[0], window[1], 1), 0);
    ExpectScreenshotIsTheRoom();
  }
}

TEST_F(PresentedRoom, AWindowAtTheRoomsOwnSizeIsDrawnAsBefore) {
  Present(ROOM_W, ROOM_H);
  EXPECT_EQ(CompareWithMouse(ROOM_W, ROOM_H, 0), 0);
  ExpectScreenshotIsTheRoom();
}

// ---- Asking for a scale ----

bool Parse(std::vector<const char*> arguments, RunnerOptions* options, std::string* error) {
  arguments.insert(arguments.begin(), "mobwright");
  return Runner_ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

TEST(WindowScaleTest, TheCommandLineTakesAWholeScaleFromOneToEight) {
  RunnerOptions options;
  std::string error;
  EXPECT_EQ(options.scale, 0);  // not given
  ASSERT_TRUE(Parse({"-scale", "2"}, &options, &error)) << error;
  EXPECT_EQ(options.scale, 2);
  ASSERT_TRUE(Parse({"-scale", "8"}, &options, &error)) << error;
  EXPECT_EQ(options.scale, 8);
  for (const char* bad : {"0", "9", "-2", "1.5", "two", ""}) {
    RunnerOptions refused;
    error.clear();
    EXPECT_FALSE(Parse({"-scale", bad}, &refused, &error)) << bad;
    EXPECT_NE(error.find("-scale"), std::string::npos) << error;
  }
  RunnerOptions missing;
  EXPECT_FALSE(Parse({"-scale"}, &missing, &error));
}

TEST(WindowScaleTest, OptionsIniGivesTheScaleOnAScaleLine) {
  EXPECT_EQ(RunnerGraphics_ScaleFromOptionsIni(""), 0);
  EXPECT_EQ(RunnerGraphics_ScaleFromOptionsIni("SleepMargin=2\n"), 0);
  EXPECT_EQ(RunnerGraphics_ScaleFromOptionsIni("Scale=2\n"), 2);
  EXPECT_EQ(RunnerGraphics_ScaleFromOptionsIni("[Window]\r\nScale = 3\r\nSleepMargin=4\r\n"), 3);
  EXPECT_EQ(RunnerGraphics_ScaleFromOptionsIni("; Scale=4\nScale=5"), 5);
  EXPECT_EQ(RunnerGraphics_ScaleFromOptionsIni(";Scale=4\n"), 0);
  EXPECT_EQ(RunnerGraphics_ScaleFromOptionsIni("WindowScale=4\n"), 0);
  for (const char* bad : {"Scale=0\n", "Scale=9\n", "Scale=2x\n", "Scale=\n", "Scale=-1\n"})
    EXPECT_EQ(RunnerGraphics_ScaleFromOptionsIni(bad), 0) << bad;
}

}  // namespace

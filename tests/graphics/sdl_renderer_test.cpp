// SPDX-License-Identifier: Zlib
// The SDL renderer on its off-screen software target: a small scene drawn
// through the batcher and read back as pixels, compared with a tolerance
// (the software rasteriser may differ by a step at edges and in rounding).
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "GraphicsTestSupport.h"
#include "data/PngDecode.h"
#include "graphics/GraphicsDirect.h"
#include "graphics/sdl/SdlRenderer.h"

namespace {

constexpr int WIDTH = 64, HEIGHT = 48;
constexpr int TOLERANCE = 3;

struct Rgba {
  int r, g, b, a;
};

}  // namespace

class SdlRendererTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    std::string error;
    sdl.reset(SdlRenderer_CreateOffscreen(WIDTH, HEIGHT, &error));
    ASSERT_NE(sdl, nullptr) << error;
    Graphics_Shutdown();
    Graphics_RegisterBuiltins();
    Graphics_Init(sdl.get());
    Graphics_BuildResources(data);
    sdl->SetProjectionAndClear(ViewRect{0, 0, WIDTH, HEIGHT}, 0xFF000000u, true);
  }
  void TearDown() override {
    Graphics_Shutdown();
    sdl.reset();
    GraphicsTest::TearDown();
  }

  void ReadBack() {
    Batch_Flush();
    int w = 0, h = 0;
    ASSERT_TRUE(sdl->ReadPixels(&pixels, &w, &h));
    ASSERT_EQ(w, WIDTH);
    ASSERT_EQ(h, HEIGHT);
  }
  Rgba At(int x, int y) const {
    const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * WIDTH + x) * 4;
    return {p[0], p[1], p[2], p[3]};
  }
  void ExpectPixel(int x, int y, int r, int g, int b) const {
    Rgba c = At(x, y);
    EXPECT_NEAR(c.r, r, TOLERANCE) << "red at " << x << "," << y;
    EXPECT_NEAR(c.g, g, TOLERANCE) << "green at " << x << "," << y;
    EXPECT_NEAR(c.b, b, TOLERANCE) << "blue at " << x << "," << y;
  }

  std::unique_ptr<Renderer> sdl;
  std::vector<uint8_t> pixels;
};

TEST_F(SdlRendererTest, SmallSceneLandsOnTheExpectedPixels) {
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 4, 4, 1, 1, 0, 0xFFFFFF, 1);          // red, (4,4)-(20,12)
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 4, 30, 1, 1, 0, 0xFFFFFF, 0.5f);      // half red over black
  Draw_SpriteExt(nullptr, SPR_OTHER, 0, 40, 30, 1, 1, 0, 0xFF0000, 1);      // white page tinted blue
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 30, 4, 1, 1, -90, 0xFFFFFF, 1);       // turned clockwise: downwards
  ReadBack();
  ExpectPixel(10, 8, 255, 0, 0);
  ExpectPixel(2, 8, 0, 0, 0);
  ExpectPixel(21, 8, 0, 0, 0);
  ExpectPixel(10, 33, 127, 0, 0);
  ExpectPixel(48, 38, 0, 0, 255);
  // -90 degrees about the corner (30, 4): the bar now covers x 22..30, y 4..20.
  ExpectPixel(26, 16, 255, 0, 0);
  ExpectPixel(34, 16, 0, 0, 0);
}

TEST_F(SdlRendererTest, DefaultFontTextIsInkedInTheCurrentColour) {
  Call("draw_set_colour", {Real(0xFFFFFF)});
  Call("draw_text", {Real(8), Real(20), Str("H")});
  ReadBack();
  // 'H': two full-height stems and a bar; count white pixels in its box.
  int white = 0;
  for (int y = 20; y < 30; ++y)
    for (int x = 8; x < 14; ++x) white += At(x, y).r > 200 && At(x, y).g > 200 && At(x, y).b > 200;
  EXPECT_GE(white, 15);
  EXPECT_LE(white, 19);
  ExpectPixel(8, 30, 0, 0, 0);
}

TEST_F(SdlRendererTest, AdditiveBlendAddsColours) {
  Draw_SpriteExt(nullptr, SPR_OTHER, 0, 0, 0, 1, 1, 0, 0x00FF00, 1);  // green
  Graphics_SetBlendMode(1);
  Draw_SpriteExt(nullptr, SPR_OTHER, 0, 8, 0, 1, 1, 0, 0x0000FF, 1);  // red, added
  Graphics_SetBlendMode(0);
  ReadBack();
  ExpectPixel(4, 4, 0, 255, 0);
  ExpectPixel(12, 4, 255, 255, 0);
  ExpectPixel(20, 4, 255, 0, 0);
}

TEST_F(SdlRendererTest, TextureCoordinatesOutsideThePageAreClampedNotRefused) {
  Vertex* v = Batch_ReserveVertices(PRIM_TRIANGLE_LIST, Graphics_State().pages[0].handle, 3);
  ASSERT_NE(v, nullptr);
  v[0] = {-0.01f, -0.01f, 0xFFFFFFFFu, 0, 0, 0};
  v[1] = {1.02f, 0, 0xFFFFFFFFu, 10, 0, 0};
  v[2] = {0, 1.5f, 0xFFFFFFFFu, 0, 10, 0};
  EXPECT_TRUE(Batch_Flush());
}

TEST_F(SdlRendererTest, ScreenshotWritesThePixelsAsPng) {
  Draw_SpriteExt(nullptr, SPR_SQUARE, 0, 32, 24, 1, 1, 45, 0xFFFFFF, 1);
  ReadBack();
  char path[] = "/tmp/mob_graphics_shotXXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_TRUE(Graphics_SaveScreenshot(path));
  FILE* file = std::fopen(path, "rb");
  ASSERT_NE(file, nullptr);
  std::vector<uint8_t> bytes(1 << 16);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  std::remove(path);
  DecodedImage image;
  std::string error;
  ASSERT_TRUE(Png_DecodeRGBA(bytes.data(), bytes.size(), &image, &error)) << error;
  EXPECT_EQ(image.width, WIDTH);
  EXPECT_EQ(image.height, HEIGHT);
  EXPECT_EQ(image.rgba, pixels);
  ExpectPixel(32, 24, 0, 255, 0);
}

#include "run/RunnerGraphics.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/Console.h"
#include "data/GameData.h"
#include "data/PngDecode.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"
#include "graphics/sdl/SdlRenderer.h"
#include "run/Runner.h"

namespace {

struct RunnerGraphicsState {
  Renderer* renderer = nullptr;
  int width = 0, height = 0;
};

RunnerGraphicsState& State() {
  static RunnerGraphicsState state;
  return state;
}

}  // namespace

bool RunnerGraphics_Init(int width, int height, const GameOptions&) {
  RunnerGraphicsState& s = State();
  std::string error;
  // Headless runs draw with the software renderer so frames can be read back.
  s.renderer = SdlRenderer_CreateForWindow(&error);
  if (!s.renderer) {
    DebugConsole().Output("The renderer could not be made: %s\n", error.c_str());
    return false;
  }
  s.width = width;
  s.height = height;
  Graphics_Init(s.renderer);
  return true;
}

void RunnerGraphics_BuildResources() { Graphics_BuildResources(GameData_Get()); }

bool RunnerGraphics_UpdatePages(bool wait) {
  std::string error;
  if (Graphics_UpdatePages(wait, &error)) return true;
  DebugConsole().Output("%s\n", error.c_str());
  std::fprintf(stderr, "mobwright: the game data is damaged: %s\n", error.c_str());
  DebugConsole().Output("Failed to load the game\n");
  return false;
}

void RunnerGraphics_DrawFrame() {
  Graphics_DrawFrame(GameData_Room(Runner_State().currentRoom));
  // The cursor that the step and the Draw events chose last, once per frame.
  Graphics_ApplyCursor();
  Graphics_Present();
}

bool RunnerGraphics_Screenshot(const char* path) {
  bool saved = Graphics_SaveScreenshot(path);
  if (!saved) DebugConsole().Output("The screenshot %s could not be written\n", path);
  return saved;
}

void RunnerGraphics_ShowSplash(const char* path) {
  RunnerGraphicsState& s = State();
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  DecodedImage image;
  std::string error;
  if (!s.renderer || bytes.empty() || !Png_DecodeRGBA(bytes.data(), bytes.size(), &image, &error)) {
    DebugConsole().Output("splash.png could not be shown: %s\n", error.empty() ? "unreadable" : error.c_str());
    return;
  }
  int texture = s.renderer->CreateTexture(image.rgba.data(), image.width, image.height, 0);
  if (texture == TEXTURE_NONE) return;
  // The picture is centred on a black window at its own size.
  float x = static_cast<float>(s.width - image.width) / 2, y = static_cast<float>(s.height - image.height) / 2;
  float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  Vertex quad[6] = {{0, 0, 0xFFFFFFFFu, x, y, 0},     {1, 0, 0xFFFFFFFFu, x + w, y, 0},
                    {0, 1, 0xFFFFFFFFu, x, y + h, 0}, {1, 0, 0xFFFFFFFFu, x + w, y, 0},
                    {1, 1, 0xFFFFFFFFu, x + w, y + h, 0}, {0, 1, 0xFFFFFFFFu, x, y + h, 0}};
  ViewRect view{0, 0, static_cast<float>(s.width), static_cast<float>(s.height)};
  s.renderer->SetProjectionAndClear(view, 0xFF000000u, true);
  s.renderer->DrawVertices(PRIM_TRIANGLE_LIST, texture, VertexLayout{}, reinterpret_cast<uint8_t*>(quad), 6);
  s.renderer->Present();
}

void RunnerGraphics_Shutdown() {
  RunnerGraphicsState& s = State();
  if (!s.renderer) return;
  Graphics_Shutdown();
  SdlRenderer_Destroy(s.renderer);
  s.renderer = nullptr;
}

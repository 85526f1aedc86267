// SPDX-License-Identifier: Zlib
#include "run/RunnerGraphics.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Console.h"
#include "data/GameData.h"
#include "data/PngDecode.h"
#include "graphics/FrameReuse.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"
#include "graphics/sdl/SdlRenderer.h"
#include "io/Input.h"
#include "platform/RegularFile.h"
#include "platform/Window.h"
#include "run/OptionsIni.h"
#include "run/Runner.h"

namespace {

// splash.png is shown at its own size on the window: a picture of a few
// megabytes at most; a larger file is not read.
constexpr uint64_t kSplashMaxBytes = 16u << 20;

struct RunnerGraphicsState {
  Renderer* renderer = nullptr;  // SDL's, on the window
  // In front of it for the drawing layer: a frame equal to the one before
  // is not drawn again (an idle editor draws the same frame all the time).
  FrameReuseRenderer* frames = nullptr;
  bool frameReuse = true;
  int width = 0, height = 0;  // the canvas
  int windowWidth = 0, windowHeight = 0;  // as last followed
};

RunnerGraphicsState& State() {
  static RunnerGraphicsState state;
  return state;
}

// After every drain of the window's messages: the canvas's area in the
// window as it is now, for the renderer and for the mouse. This also puts
// right the mapping that a room start sets (the room's own size, no bars)
// before the next step reads the mouse.
void FollowWindow(int windowWidth, int windowHeight) {
  RunnerGraphicsState& s = State();
  const WindowArea area = RunnerGraphics_FitArea(windowWidth, windowHeight, s.width, s.height);
  if (windowWidth != s.windowWidth || windowHeight != s.windowHeight) {
    s.windowWidth = windowWidth;
    s.windowHeight = windowHeight;
    if (s.frames) s.frames->RedrawNextFrame();  // the room moves in the window
    DebugConsole().Output("Window %d x %d: the room is drawn at %d,%d in %d x %d\n", windowWidth, windowHeight, area.x,
                          area.y, area.width, area.height);
  }
  if (s.renderer) SdlRenderer_SetWindowArea(s.renderer, area.x, area.y, area.width, area.height);
  const RoomRecord* room = GameData_Room(Runner_State().currentRoom);
  const bool sized = room && room->width > 0 && room->height > 0;
  Input_SetViewMapping(windowWidth, windowHeight, area.x, area.y, sized ? room->width : s.width,
                       sized ? room->height : s.height);
}

}  // namespace

WindowArea RunnerGraphics_FitArea(int windowWidth, int windowHeight, int canvasWidth, int canvasHeight) {
  WindowArea area;
  area.width = std::max(windowWidth, 0);
  area.height = std::max(windowHeight, 0);
  if (windowWidth <= 0 || windowHeight <= 0 || canvasWidth <= 0 || canvasHeight <= 0) return area;
  // Compare the aspects without division: the window is relatively wider
  // (bars left and right) or taller (bars above and below) than the canvas.
  const int64_t across = static_cast<int64_t>(windowWidth) * canvasHeight;
  const int64_t down = static_cast<int64_t>(windowHeight) * canvasWidth;
  int64_t width = windowWidth, height = windowHeight;
  if (across > down)
    width = std::max<int64_t>(1, (2 * down + canvasHeight) / (2 * static_cast<int64_t>(canvasHeight)));
  else if (across < down)
    height = std::max<int64_t>(1, (2 * across + canvasWidth) / (2 * static_cast<int64_t>(canvasWidth)));
  // Each bar rounded down, the area takes the odd pixel.
  area.x = static_cast<int>((windowWidth - width) / 2);
  area.y = static_cast<int>((windowHeight - height) / 2);
  area.width = windowWidth - 2 * area.x;
  area.height = windowHeight - 2 * area.y;
  return area;
}

int RunnerGraphics_ScaleFromOptionsIni(const std::string& text) {
  std::string line;
  if (!OptionsIni_Find(text, "Scale", &line)) return 0;
  const char* value = line.c_str();
  char* end = nullptr;
  long factor = std::strtol(value, &end, 10);
  while (end != value && std::isspace(static_cast<unsigned char>(*end))) ++end;  // a "\r" of a DOS line
  return (end != value && *end == '\0' && factor >= 1 && factor <= 8) ? static_cast<int>(factor) : 0;
}

bool RunnerGraphics_Init(int width, int height, const GameOptions&) {
  RunnerGraphicsState& s = State();
  std::string error;
  // Headless runs draw with the software renderer so frames can be read back.
  s.renderer = SdlRenderer_CreateForWindow(width, height, &error);
  if (!s.renderer) {
    DebugConsole().Output("The renderer could not be made: %s\n", error.c_str());
    return false;
  }
  s.width = width;
  s.height = height;
  s.frames = new FrameReuseRenderer(s.renderer);
  s.frames->SetReuse(s.frameReuse);
  Graphics_Init(s.frames);
  // A real window may be scaled or resized; the hidden headless one keeps
  // the canvas's size, and its mouse is mapped as a room start sets it.
  if (!Platform_IsHeadless()) Platform_SetWindowSizeHandler(FollowWindow);
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
  if (Platform_TakeRepaintRequest() && State().frames) State().frames->RedrawNextFrame();
  Graphics_DrawFrame(GameData_Room(Runner_State().currentRoom));
  // The cursor that the step and the Draw events chose last, once per frame.
  Graphics_ApplyCursor();
  Graphics_Present();
}

void RunnerGraphics_FrameCounts(long* drawn, long* reused) {
  const FrameReuseRenderer* frames = State().frames;
  *drawn = frames ? frames->framesDrawn() : 0;
  *reused = frames ? frames->framesReused() : 0;
}

void RunnerGraphics_SetFrameReuse(bool reuse) {
  State().frameReuse = reuse;
  if (State().frames) State().frames->SetReuse(reuse);
}

bool RunnerGraphics_Screenshot(const char* path) {
  bool saved = Graphics_SaveScreenshot(path);
  if (!saved) DebugConsole().Output("The screenshot %s could not be written\n", path);
  return saved;
}

void RunnerGraphics_ShowSplash(const char* path) {
  RunnerGraphicsState& s = State();
  std::vector<uint8_t> bytes;
  FileProblem problem;
  if (!Platform_ReadRegularFile(path, kSplashMaxBytes, &bytes, &problem)) {
    // Most games have no splash picture: only a refused one is told.
    if (problem.refusal != FileRefusal::kMissing)
      DebugConsole().Output("splash.png could not be shown: %s\n", FileProblem_Text(problem).c_str());
    return;
  }
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
  if (s.frames) s.frames->RedrawNextFrame();  // drawn past the frames' keeper
}

void RunnerGraphics_Shutdown() {
  RunnerGraphicsState& s = State();
  if (!s.renderer) return;
  Platform_SetWindowSizeHandler(nullptr);
  Graphics_Shutdown();
  delete s.frames;
  s.frames = nullptr;
  SdlRenderer_Destroy(s.renderer);
  s.renderer = nullptr;
  s.windowWidth = s.windowHeight = 0;
}

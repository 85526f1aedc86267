// SPDX-License-Identifier: Zlib
// The drawing layer's costs: filling a whole vertex batch from sprite draws
// (our own CPU time, on the counting renderer), drawing a room of about 300
// instances once, and the editor-sized scene on SDL's software renderer set
// side by side with the same sprites drawn by SDL_RenderCopyEx, and that
// scene presented into windows of other sizes than the room.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "data/GameData.h"
#include "graphics/CountingRenderer.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsDirect.h"
#include "graphics/GraphicsState.h"
#include "graphics/sdl/SdlRenderer.h"
#include "object/Instance.h"
#include "run/RunnerGraphics.h"

namespace {

constexpr int PAGE_SIDE = 256;
constexpr int SPRITE_SIDE = 32;
constexpr int SPRITES = 8;  // 32 x 32 frames in a row of the page
// Quads of 6 vertices that one batch holds: 2730 x 6 = 16380 of 16384.
constexpr int QUADS_PER_BATCH = 16384 / 6;
// Sprite draws in a frame of the editor's room.
constexpr int ROOM_DRAWS = 300;

// One 256 x 256 page with eight 32 x 32 sprites, origin at the centre.
GameData MakeBenchData() {
  GameData data;
  Slot<TexturePage> page;
  page.present = true;
  page.record.width = page.record.height = PAGE_SIDE;
  page.record.rgba.assign(static_cast<size_t>(PAGE_SIDE) * PAGE_SIDE * 4, 0xFF);
  data.texturePages.push_back(std::move(page));
  static const char* names[SPRITES] = {"s0", "s1", "s2", "s3", "s4", "s5", "s6", "s7"};
  for (int i = 0; i < SPRITES; ++i) {
    TexturePageEntry e;
    e.sourceX = static_cast<int16_t>(i * SPRITE_SIDE);
    e.sourceWidth = e.sourceHeight = e.targetWidth = e.targetHeight = SPRITE_SIDE;
    e.boundingWidth = e.boundingHeight = SPRITE_SIDE;
    e.texturePage = 0;
    e.textureId = 0;
    data.texturePageEntries.push_back(e);
    Slot<SpriteRecord> sprite;
    sprite.present = true;
    sprite.record.name = names[i];
    sprite.record.width = sprite.record.height = SPRITE_SIDE;
    sprite.record.originX = sprite.record.originY = SPRITE_SIDE / 2;
    sprite.record.frameCount = 1;
    sprite.record.frames = {i};
    data.sprites.push_back(std::move(sprite));
  }
  return data;
}

struct Placement {
  int sprite;
  float x, y, angle;
  int32_t colour;
};

// The scene: sprites spread over the 1024 x 768 room, every third tinted;
// with turnEvery > 0, every turnEvery-th sprite is turned by 30 degrees.
std::vector<Placement> MakeScene(int turnEvery = 0) {
  std::vector<Placement> scene;
  for (int i = 0; i < ROOM_DRAWS; ++i)
    scene.push_back({i % SPRITES, 20.0f + static_cast<float>((i * 37) % 980), 20.0f + static_cast<float>((i * 53) % 720),
                     (turnEvery > 0 && i % turnEvery == 0) ? 30.0f : 0.0f, (i % 3 == 0) ? 0x40C0FF : 0xFFFFFF});
  return scene;
}

void BM_FullBatchFromSpriteDraws(benchmark::State& state) {
  GameData data = MakeBenchData();
  CountingRenderer renderer;
  Graphics_Init(&renderer);
  Graphics_BuildResources(data);
  for (auto _ : state) {
    for (int i = 0; i < QUADS_PER_BATCH; ++i)
      Draw_SpriteExt(nullptr, i % SPRITES, 0, static_cast<float>(i % 1000), static_cast<float>(i % 700), 1.5f, 1.5f,
                     static_cast<float>(i % 4) * 10.0f, 0xFFFFFF, 1.0f);
    Batch_Flush();
  }
  state.counters["vertices_per_batch"] = static_cast<double>(renderer.vertexCount) / renderer.drawCalls;
  state.counters["draw_calls_per_iteration"] = static_cast<double>(renderer.drawCalls) / state.iterations();
  Graphics_Shutdown();
}
BENCHMARK(BM_FullBatchFromSpriteDraws)->Unit(benchmark::kMicrosecond);

void BM_DrawRoomCounting(benchmark::State& state) {
  GameData data = MakeBenchData();
  CountingRenderer renderer;
  Graphics_Init(&renderer);
  Graphics_BuildResources(data);
  for (int o = 0; o < SPRITES; ++o) {
    auto* object = new CObjectType;
    object->index = o;
    object->name = "obj_bench";
    object->flags = OBJECT_FLAG_VISIBLE;
    object->spriteIndex = o;
    Object_Add(object);
  }
  std::vector<Placement> scene = MakeScene();
  for (size_t i = 0; i < scene.size(); ++i) {
    CInstance* instance = Instance_CreateWithId(100001 + static_cast<int>(i), scene[i].sprite, scene[i].x, scene[i].y,
                                                static_cast<float>(i % 7));
    instance->imageAngle = scene[i].angle;
    instance->imageBlend = scene[i].colour;
  }
  RoomRecord room;
  room.width = 1024;
  room.height = 768;
  room.drawColour = true;
  renderer.ResetCounts();
  for (auto _ : state) Graphics_DrawFrame(&room);
  state.counters["draw_calls_per_frame"] = static_cast<double>(renderer.drawCalls) / state.iterations();
  state.counters["vertices_per_frame"] = static_cast<double>(renderer.vertexCount) / state.iterations();
  Instance_DestroyAllNoEvents();
  Object_ClearAll();
  Graphics_Shutdown();
}
BENCHMARK(BM_DrawRoomCounting)->Unit(benchmark::kMicrosecond);

// The same scene on SDL's software renderer: through the batch
// (SDL_RenderGeometryRaw), and quad by quad with SDL_RenderCopyEx. The
// argument turns every n-th sprite (0: none turned, as in the editor's room
// at start).
void BM_SceneSoftwareBatched(benchmark::State& state) {
  std::string error;
  std::unique_ptr<Renderer> sdl(SdlRenderer_CreateOffscreen(1024, 768, &error));
  if (!sdl) {
    state.SkipWithError(error.c_str());
    return;
  }
  GameData data = MakeBenchData();
  Graphics_Init(sdl.get());
  Graphics_BuildResources(data);
  std::vector<Placement> scene = MakeScene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    sdl->SetProjectionAndClear(ViewRect{0, 0, 1024, 768}, 0xFF000000u, true);
    for (const Placement& p : scene) Draw_SpriteExt(nullptr, p.sprite, 0, p.x, p.y, 1, 1, p.angle, p.colour, 1.0f);
    Batch_Flush();
    sdl->Present();
  }
  Graphics_Shutdown();
}
BENCHMARK(BM_SceneSoftwareBatched)->Arg(0)->Arg(5)->Unit(benchmark::kMicrosecond);

void BM_SceneSoftwareRenderCopy(benchmark::State& state) {
  std::string error;
  std::unique_ptr<Renderer> sdl(SdlRenderer_CreateOffscreen(1024, 768, &error));
  if (!sdl) {
    state.SkipWithError(error.c_str());
    return;
  }
  GameData data = MakeBenchData();
  Graphics_Init(sdl.get());
  Graphics_BuildResources(data);
  std::vector<Placement> scene = MakeScene(static_cast<int>(state.range(0)));
  std::vector<SdlCopyQuad> quads;
  const int texture = Graphics_State().pages[0].handle;
  for (const Placement& p : scene) {
    const float half = SPRITE_SIDE / 2.0f;
    // SDL turns clockwise on screen; the drawing layer counter-clockwise.
    quads.push_back({texture, p.sprite * SPRITE_SIDE, 0, SPRITE_SIDE, SPRITE_SIDE, p.x - half, p.y - half,
                     static_cast<float>(SPRITE_SIDE), static_cast<float>(SPRITE_SIDE), -p.angle, half, half,
                     static_cast<uint32_t>(p.colour) | 0xFF000000u});
  }
  for (auto _ : state) {
    sdl->SetProjectionAndClear(ViewRect{0, 0, 1024, 768}, 0xFF000000u, true);
    SdlRenderer_CopyQuads(sdl.get(), quads.data(), static_cast<int>(quads.size()));
    sdl->Present();
  }
  Graphics_Shutdown();
}
BENCHMARK(BM_SceneSoftwareRenderCopy)->Arg(0)->Arg(5)->Unit(benchmark::kMicrosecond);

// The editor-sized scene presented into a window of the given size on the
// software renderer (the costliest case; a GPU scales for next to nothing):
// straight at the room's size, through the canvas at a whole scale
// (nearest-pixel), and at scales that are not whole, filtered (below the
// room's size directly, above it after enlarging to the next whole multiple).
void BM_PresentSoftwareAtWindowSize(benchmark::State& state) {
  const int windowWidth = static_cast<int>(state.range(0)), windowHeight = static_cast<int>(state.range(1));
  std::string error;
  std::unique_ptr<Renderer> sdl(SdlRenderer_CreateOffscreen(windowWidth, windowHeight, &error));
  if (!sdl) {
    state.SkipWithError(error.c_str());
    return;
  }
  SdlRenderer_SetCanvasSize(sdl.get(), 1024, 768);
  const WindowArea area = RunnerGraphics_FitArea(windowWidth, windowHeight, 1024, 768);
  SdlRenderer_SetWindowArea(sdl.get(), area.x, area.y, area.width, area.height);
  GameData data = MakeBenchData();
  Graphics_Init(sdl.get());
  Graphics_BuildResources(data);
  std::vector<Placement> scene = MakeScene();
  for (auto _ : state) {
    sdl->SetProjectionAndClear(ViewRect{0, 0, 1024, 768}, 0xFF000000u, true);
    for (const Placement& p : scene) Draw_SpriteExt(nullptr, p.sprite, 0, p.x, p.y, 1, 1, p.angle, p.colour, 1.0f);
    Batch_Flush();
    sdl->Present();
  }
  Graphics_Shutdown();
}
BENCHMARK(BM_PresentSoftwareAtWindowSize)
    ->Args({1024, 768})
    ->Args({2048, 1536})
    ->Args({1200, 700})
    ->Args({1500, 1000})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

// SPDX-License-Identifier: Zlib
// The renderer that leaves an unchanged frame as it was: what reaches the
// renderer behind it (a log of calls), and, on SDL's software renderer, that
// every frame reads back exactly as if each had been drawn.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/FrameReuse.h"
#include "graphics/sdl/SdlRenderer.h"

namespace {

constexpr int REFUSED_TEXTURE = 7;

// Logs every call with its vertices as given, then does to them what SDL's
// renderer does: texture coordinates above 1 are clamped in place.
class CallLog : public Renderer {
 public:
  int CreateTexture(const uint8_t*, int, int, uint32_t) override { return textures++; }
  bool DrawVertices(PrimitiveKind kind, int texture, const VertexLayout& layout, uint8_t* data, int count) override {
    std::string line = "draw " + std::to_string(kind) + " texture " + std::to_string(texture) + ":";
    for (int i = 0; i < count; ++i) {
      Vertex v;
      std::memcpy(&v, data + static_cast<size_t>(i) * layout.stride, sizeof v);
      char text[96];
      std::snprintf(text, sizeof text, " (%g,%g %g,%g %08x)", v.x, v.y, v.u, v.v, v.colour);
      line += text;
      if (v.u > 1) {
        v.u = 1;
        std::memcpy(data + static_cast<size_t>(i) * layout.stride, &v, sizeof v);
      }
    }
    calls.push_back(line);
    return texture != REFUSED_TEXTURE;
  }
  void SetBlend(const BlendState& blend) override {
    calls.push_back("blend " + std::to_string(blend.source) + " " + std::to_string(blend.destination));
  }
  void SetProjectionAndClear(const ViewRect& view, uint32_t colour, bool clear) override {
    char text[96];
    std::snprintf(text, sizeof text, "projection %g,%g %gx%g clear %d %08x", view.x, view.y, view.width, view.height,
                  clear, colour);
    calls.push_back(text);
  }
  void Present() override { calls.push_back("present"); }
  // One "pixel": how many calls had arrived when it was read.
  bool ReadPixels(std::vector<uint8_t>* rgba, int* width, int* height) override {
    rgba->assign(1, static_cast<uint8_t>(calls.size()));
    *width = *height = 1;
    return true;
  }

  int textures = 0;
  std::vector<std::string> calls;
};

struct Quad {
  int texture;
  float x, y, size;
  uint32_t colour;
  float u = 0.5f;  // the texture coordinate of the right-hand corners
  bool additive = false;
};

struct Scene {
  bool clear = true;
  uint32_t clearColour = 0xFF202020u;
  std::vector<Quad> quads;
};

// Draws a scene the way the drawing layer does: a projection (with the
// clear), a blend change where the mode changes, one call per quad from a
// buffer that is reused from call to call, and the present.
struct Painter {
  void Frame(Renderer& renderer, const Scene& scene, bool present = true) {
    renderer.SetProjectionAndClear(ViewRect{0, 0, 64, 48}, scene.clearColour, scene.clear);
    bool additive = false;
    results.clear();
    for (const Quad& q : scene.quads) {
      if (q.additive != additive) {
        additive = q.additive;
        renderer.SetBlend(additive ? BlendState{BLEND_FACTOR_SRC_ALPHA, BLEND_FACTOR_ONE} : BlendState{});
      }
      const float l = q.x, t = q.y, r = q.x + q.size, b = q.y + q.size;
      const Vertex corners[6] = {{0, 0, q.colour, l, t, 0},   {q.u, 0, q.colour, r, t, 0},
                                 {q.u, 1, q.colour, r, b, 0}, {q.u, 1, q.colour, r, b, 0},
                                 {0, 1, q.colour, l, b, 0},   {0, 0, q.colour, l, t, 0}};
      std::memcpy(buffer, corners, sizeof corners);
      results.push_back(renderer.DrawVertices(PRIM_TRIANGLE_LIST, q.texture, VertexLayout{},
                                              reinterpret_cast<uint8_t*>(buffer), 6));
    }
    if (additive) renderer.SetBlend(BlendState{});
    if (present) renderer.Present();
  }
  Vertex buffer[6];
  std::vector<bool> results;
};

Scene Editor() {
  Scene s;
  s.quads = {{0, 4, 4, 16, 0xFF0000FFu}, {1, 20, 8, 12, 0xFFFFFFFFu, 1.5f}, {0, 30, 30, 10, 0x80FF8000u, 0.5f, true},
             {1, 40, 4, 8, 0xFF00FF00u}};
  return s;
}

// The calls a renderer gets when each of `scenes` is drawn in full.
std::vector<std::string> DrawnInFull(const std::vector<Scene>& scenes) {
  CallLog direct;
  Painter painter;
  for (const Scene& s : scenes) painter.Frame(direct, s);
  return direct.calls;
}

}  // namespace

TEST(FrameReuse, AnUnchangedFrameIsDrawnAndPresentedOnce) {
  CallLog log;
  FrameReuseRenderer frames(&log);
  Painter painter;
  for (int i = 0; i < 3; ++i) painter.Frame(frames, Editor());
  EXPECT_EQ(log.calls, DrawnInFull({Editor()}));
  EXPECT_EQ(frames.framesDrawn(), 1);
  EXPECT_EQ(frames.framesReused(), 2);
}

TEST(FrameReuse, AChangedFrameReachesTheRendererWholeAndInOrderWithTheVerticesAsGiven) {
  // A change in the last call, in the first, in the clear colour, in a blend,
  // a call more and a call less: each frame differs from the one before.
  Scene late = Editor(), early = Editor(), colour = Editor(), blend = Editor(), longer = Editor();
  late.quads.back().x += 1;
  early.quads.front().colour = 0xFF0000FEu;
  colour.clearColour = 0xFF202021u;
  blend.quads[2].additive = false;
  longer.quads.push_back({0, 1, 1, 2, 0xFFFFFFFFu});
  const std::vector<Scene> scenes = {Editor(), late, early, blend, colour, longer, Editor()};
  CallLog log;
  FrameReuseRenderer frames(&log);
  Painter painter;
  for (const Scene& s : scenes) painter.Frame(frames, s);
  // The log shows the second quad's u as 1.5 in every frame: the kept calls
  // are drawn from the caller's vertices, not from ones the renderer clamped.
  EXPECT_EQ(log.calls, DrawnInFull(scenes));
  EXPECT_EQ(frames.framesReused(), 0);
  // The last frame was kept up to its end and then drawn: what it kept is
  // still what the caller gave, so the same frame once more is left as it is.
  painter.Frame(frames, Editor());
  EXPECT_EQ(frames.framesReused(), 1);
  EXPECT_EQ(log.calls, DrawnInFull(scenes));
}

TEST(FrameReuse, AFrameThatDrawsBeforeItClearsIsAlwaysDrawn) {
  Scene trail = Editor();
  trail.clear = false;  // each frame darkens what the last one left
  Scene clearsLate = Editor();
  CallLog log;
  FrameReuseRenderer frames(&log);
  Painter painter;
  for (int i = 0; i < 3; ++i) painter.Frame(frames, trail);
  EXPECT_EQ(frames.framesDrawn(), 3);
  // A clear after the first draw does not make the frame its own either.
  for (int i = 0; i < 2; ++i) {
    painter.Frame(frames, trail, false);
    frames.SetProjectionAndClear(ViewRect{0, 0, 64, 48}, 0xFF000000u, true);
    frames.Present();
  }
  EXPECT_EQ(frames.framesDrawn(), 5);
  EXPECT_EQ(frames.framesReused(), 0);
}

TEST(FrameReuse, AReadInTheMiddleOfAKeptFrameSeesTheCallsBeforeIt) {
  CallLog log;
  FrameReuseRenderer frames(&log);
  Painter painter;
  painter.Frame(frames, Editor());
  const size_t afterFirst = log.calls.size();
  // The same frame again, read after its projection and first draw.
  Scene firstQuad = Editor();
  firstQuad.quads.resize(1);
  painter.Frame(frames, firstQuad, false);
  std::vector<uint8_t> pixel;
  int w = 0, h = 0;
  ASSERT_TRUE(frames.ReadPixels(&pixel, &w, &h));
  EXPECT_EQ(pixel[0], afterFirst + 2);
  // The rest goes straight through, and the frame is presented.
  Scene rest = Editor();
  for (size_t i = 1; i < rest.quads.size(); ++i)
    frames.DrawVertices(PRIM_TRIANGLE_LIST, rest.quads[i].texture, VertexLayout{},
                        reinterpret_cast<uint8_t*>(painter.buffer), 6);
  frames.Present();
  EXPECT_EQ(log.calls.back(), "present");
  EXPECT_EQ(frames.framesDrawn(), 2);
  // Between frames a read sees the last frame, drawn or kept, and draws nothing.
  painter.Frame(frames, Editor());
  painter.Frame(frames, Editor());
  const size_t before = log.calls.size();
  ASSERT_TRUE(frames.ReadPixels(&pixel, &w, &h));
  EXPECT_EQ(log.calls.size(), before);
}

TEST(FrameReuse, AKeptDrawAnswersAsTheSameDrawDidInTheFrameBefore) {
  Scene scene = Editor();
  scene.quads.insert(scene.quads.begin() + 1, Quad{REFUSED_TEXTURE, 0, 0, 4, 0xFFFFFFFFu});
  CallLog log;
  FrameReuseRenderer frames(&log);
  Painter painter;
  const std::vector<bool> expected = {true, false, true, true, true};
  painter.Frame(frames, scene);
  EXPECT_EQ(painter.results, expected);
  painter.Frame(frames, scene);
  EXPECT_EQ(frames.framesReused(), 1);
  EXPECT_EQ(painter.results, expected);
}

TEST(FrameReuse, AFrameIsDrawnWholeWhenAskedAndOncePerSecondOfUnchangedFrames) {
  CallLog log;
  FrameReuseRenderer frames(&log);
  Painter painter;
  const int second = FrameReuseRenderer::kRedrawEveryFrames;
  for (int i = 0; i < second; ++i) painter.Frame(frames, Editor());
  EXPECT_EQ(frames.framesDrawn(), 1);
  EXPECT_EQ(frames.framesReused(), second - 1);
  painter.Frame(frames, Editor());  // the first of the next second
  EXPECT_EQ(frames.framesDrawn(), 2);
  // Asked between frames: the next frame is drawn, the one after kept.
  frames.RedrawNextFrame();
  painter.Frame(frames, Editor());
  painter.Frame(frames, Editor());
  EXPECT_EQ(frames.framesDrawn(), 3);
  // Asked in the middle of a frame that was being kept: that frame is drawn whole.
  painter.Frame(frames, Editor(), false);
  const size_t before = log.calls.size();
  frames.RedrawNextFrame();
  frames.Present();
  EXPECT_EQ(frames.framesDrawn(), 4);
  const std::vector<std::string> tail(log.calls.begin() + static_cast<long>(before), log.calls.end());
  EXPECT_EQ(tail, DrawnInFull({Editor()}));
}

// On SDL's software renderer: after every frame, drawn or kept, the pixels
// equal those of a renderer that drew every frame, including frames that
// draw over the one before and reads in the middle of a frame.
TEST(FrameReuse, EveryFrameReadsBackAsIfEachHadBeenDrawnOnSdlsRenderer) {
  std::string error;
  std::unique_ptr<Renderer, void (*)(Renderer*)> direct(SdlRenderer_CreateOffscreen(64, 48, &error),
                                                        SdlRenderer_Destroy);
  std::unique_ptr<Renderer, void (*)(Renderer*)> behind(SdlRenderer_CreateOffscreen(64, 48, &error),
                                                        SdlRenderer_Destroy);
  ASSERT_TRUE(direct && behind) << error;
  FrameReuseRenderer frames(behind.get());
  // Two 4x4 textures: a white one and a gradient.
  std::vector<uint8_t> white(4 * 4 * 4, 0xFF), gradient(4 * 4 * 4);
  for (size_t i = 0; i < gradient.size(); ++i) gradient[i] = static_cast<uint8_t>(i % 4 == 3 ? 0xFF : i * 4);
  for (Renderer* r : {direct.get(), static_cast<Renderer*>(&frames)}) {
    ASSERT_EQ(r->CreateTexture(white.data(), 4, 4, 0), 0);
    ASSERT_EQ(r->CreateTexture(gradient.data(), 4, 4, 0), 1);
  }
  Scene moved = Editor(), trail;
  moved.quads[1].x += 3;
  trail.clear = false;
  trail.quads = {{0, 0, 0, 64, 0x40000000u}, {1, 8, 8, 8, 0xFFFFFFFFu}};
  const std::vector<Scene> scenes = {Editor(), Editor(), moved, moved, Editor(), trail, trail, trail, Editor(),
                                     Editor()};
  Painter painter;
  std::vector<uint8_t> expected, seen;
  int w = 0, h = 0;
  for (size_t i = 0; i < scenes.size(); ++i) {
    painter.Frame(*direct, scenes[i]);
    painter.Frame(frames, scenes[i]);
    ASSERT_TRUE(direct->ReadPixels(&expected, &w, &h));
    ASSERT_TRUE(frames.ReadPixels(&seen, &w, &h));
    ASSERT_EQ(seen, expected) << "frame " << i;
  }
  EXPECT_EQ(frames.framesReused(), 3);  // the second of each pair of same frames that clear
  // A read in the middle of a frame that is being kept.
  Scene firstQuad = Editor();
  firstQuad.quads.resize(1);
  painter.Frame(*direct, firstQuad, false);
  painter.Frame(frames, firstQuad, false);
  ASSERT_TRUE(direct->ReadPixels(&expected, &w, &h));
  ASSERT_TRUE(frames.ReadPixels(&seen, &w, &h));
  EXPECT_EQ(seen, expected);
}

// SPDX-License-Identifier: Zlib
// The renderer boundary: the few operations the drawing layer needs of any
// renderer. The drawing logic (batcher, sprite and text quads, the frame's
// draw pass) sits above it and never sees SDL; runtime/graphics/sdl/SdlRenderer
// draws through SDL_Renderer, CountingRenderer (beside this file) only counts
// and records, for tests and benchmarks.
#pragma once

#include <cstdint>
#include <vector>

// The 24-byte vertex of every sprite and glyph. The colour word holds red in
// its low byte, so in little-endian memory its bytes read R, G, B, A, which
// is what renderers expect of four unsigned normalised bytes.
struct Vertex {
  float u, v;
  uint32_t colour;
  float x, y, z;
};
static_assert(sizeof(Vertex) == 24, "the vertex is handed to the renderer in place");

// The format id of the vertex above; other ids are user-defined formats.
constexpr uint32_t VERTEX_FORMAT_DEFAULT = 24;

enum PrimitiveKind : int {
  PRIM_POINT_LIST = 1,
  PRIM_LINE_LIST = 2,
  PRIM_LINE_STRIP = 3,
  PRIM_TRIANGLE_LIST = 4,
  PRIM_TRIANGLE_STRIP = 5,
  PRIM_TRIANGLE_FAN = 6,
};

// Where a format keeps its elements: byte offsets inside one vertex of
// `stride` bytes, -1 for an element it lacks. Position is two or three f32,
// colour four unsigned normalised bytes, texture coordinate two f32.
struct VertexLayout {
  uint32_t format = VERTEX_FORMAT_DEFAULT;
  int stride = static_cast<int>(sizeof(Vertex));
  int positionOffset = 12;
  int colourOffset = 8;
  int uvOffset = 0;
};

// No texture: the vertex colour alone is drawn.
constexpr int TEXTURE_NONE = -1;

enum BlendFactor : int {
  BLEND_FACTOR_ZERO,
  BLEND_FACTOR_ONE,
  BLEND_FACTOR_SRC_COLOUR,
  BLEND_FACTOR_INV_SRC_COLOUR,
  BLEND_FACTOR_SRC_ALPHA,
  BLEND_FACTOR_INV_SRC_ALPHA,
};

// Source and destination factors, the same for colour and for alpha; the
// operation is always an addition.
struct BlendState {
  BlendFactor source = BLEND_FACTOR_SRC_ALPHA;
  BlendFactor destination = BLEND_FACTOR_INV_SRC_ALPHA;
  bool operator==(const BlendState&) const = default;
};

// The room rectangle that the window shows.
struct ViewRect {
  float x = 0, y = 0, width = 0, height = 0;
};

class Renderer {
 public:
  virtual ~Renderer() = default;

  // A texture from width * height RGBA pixels, rows top down. `flags` is the
  // page's flags word (bit 0 is the page's own option). Returns a handle >= 0,
  // or TEXTURE_NONE when the texture could not be made.
  virtual int CreateTexture(const uint8_t* rgba, int width, int height, uint32_t flags) = 0;
  // Draws `count` vertices of one primitive kind. The memory belongs to the
  // batcher and is reused after the call; a renderer may adjust it in place
  // (texture coordinates clamped to 0..1). Returns false when the renderer
  // refused the call.
  virtual bool DrawVertices(PrimitiveKind kind, int texture, const VertexLayout& layout, uint8_t* vertices,
                            int count) = 0;
  virtual void SetBlend(const BlendState& blend) = 0;
  // Maps the view's room rectangle onto the whole target; clears the target
  // to `clearColour` (a colour word, red in the low byte) when `clear` is set.
  virtual void SetProjectionAndClear(const ViewRect& view, uint32_t clearColour, bool clear) = 0;
  virtual void Present() = 0;
  // The drawn frame as RGBA rows top down, before it is presented. Renderers
  // that keep no pixels return false.
  virtual bool ReadPixels(std::vector<uint8_t>* rgba, int* width, int* height) {
    (void)rgba;
    (void)width;
    (void)height;
    return false;
  }
};

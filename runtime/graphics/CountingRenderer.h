// SPDX-License-Identifier: Zlib
// A renderer that draws nothing: it counts what it is asked to do and, when
// asked to, keeps a copy of every call and its vertices so that tests can
// check the batcher's output vertex by vertex. Benchmarks use it to measure
// the drawing layer's own CPU time.
#pragma once

#include <cstddef>
#include <vector>

#include "graphics/Renderer.h"

class CountingRenderer : public Renderer {
 public:
  struct Call {
    PrimitiveKind kind;
    int texture;
    uint32_t format;
    int count;
    size_t firstVertex;  // into vertices(), when recording
    BlendState blend;    // the blend state in force for the call
  };
  struct Texture {
    int width, height;
    uint32_t flags;
  };

  explicit CountingRenderer(bool record = false) : record_(record) {}

  int CreateTexture(const uint8_t* rgba, int width, int height, uint32_t flags) override;
  bool DrawVertices(PrimitiveKind kind, int texture, const VertexLayout& layout, uint8_t* vertices,
                    int count) override;
  void SetBlend(const BlendState& blend) override;
  void SetProjectionAndClear(const ViewRect& view, uint32_t clearColour, bool clear) override;
  void Present() override { ++presents; }

  // Forgets the calls and counters of earlier frames (textures stay).
  void ResetCounts();

  int drawCalls = 0;
  long vertexCount = 0;
  int blendChanges = 0;
  int clears = 0;
  int presents = 0;
  uint32_t lastClearColour = 0;
  ViewRect lastView;
  BlendState blend;
  std::vector<Texture> textures;
  std::vector<Call> calls;        // when recording
  std::vector<Vertex> vertices;   // default-format vertices of the recorded calls

 private:
  bool record_;
};

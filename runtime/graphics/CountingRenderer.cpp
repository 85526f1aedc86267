// SPDX-License-Identifier: Zlib
#include "graphics/CountingRenderer.h"

#include <cstring>

int CountingRenderer::CreateTexture(const uint8_t* rgba, int width, int height, uint32_t flags) {
  if (!rgba || width <= 0 || height <= 0) return TEXTURE_NONE;
  textures.push_back({width, height, flags});
  return static_cast<int>(textures.size()) - 1;
}

bool CountingRenderer::DrawVertices(PrimitiveKind kind, int texture, const VertexLayout& layout, uint8_t* data,
                                    int count) {
  ++drawCalls;
  vertexCount += count;
  if (record_) {
    calls.push_back({kind, texture, layout.format, count, vertices.size(), blend});
    if (layout.format == VERTEX_FORMAT_DEFAULT) {
      size_t at = vertices.size();
      vertices.resize(at + static_cast<size_t>(count));
      std::memcpy(&vertices[at], data, static_cast<size_t>(count) * sizeof(Vertex));
    }
  }
  return true;
}

void CountingRenderer::SetBlend(const BlendState& state) {
  ++blendChanges;
  blend = state;
}

void CountingRenderer::SetProjectionAndClear(const ViewRect& view, uint32_t clearColour, bool clear) {
  lastView = view;
  if (clear) {
    ++clears;
    lastClearColour = clearColour;
  }
}

void CountingRenderer::ResetCounts() {
  drawCalls = 0;
  vertexCount = 0;
  blendChanges = 0;
  clears = 0;
  presents = 0;
  calls.clear();
  vertices.clear();
}

// SPDX-License-Identifier: Zlib
// The vertex batcher and the vertex format table.
#include "graphics/Batch.h"

#include <cstring>

#include "base/Console.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"

namespace {

bool IsStripOrFan(PrimitiveKind kind) {
  return kind == PRIM_LINE_STRIP || kind == PRIM_TRIANGLE_STRIP || kind == PRIM_TRIANGLE_FAN;
}

void EnsureMemory(VertexBatch& batch, int stride) {
  size_t needed = static_cast<size_t>(BATCH_MAX_VERTICES) * static_cast<size_t>(stride);
  if (batch.memoryBytes >= needed) return;
  batch.memory.reset(new uint8_t[needed]);
  batch.memoryBytes = needed;
}

// A fan of n vertices becomes n - 2 triangles (0, i, i + 1).
int UnfoldFan(VertexBatch& batch) {
  const int stride = batch.layout.stride;
  const int triangles = batch.count - 2;
  if (triangles <= 0) return 0;
  batch.scratch.resize(static_cast<size_t>(triangles) * 3 * static_cast<size_t>(stride));
  uint8_t* out = batch.scratch.data();
  const uint8_t* in = batch.memory.get();
  for (int i = 1; i <= triangles; ++i) {
    std::memcpy(out, in, static_cast<size_t>(stride));
    std::memcpy(out + stride, in + static_cast<size_t>(i) * stride, static_cast<size_t>(stride));
    std::memcpy(out + 2 * stride, in + static_cast<size_t>(i + 1) * stride, static_cast<size_t>(stride));
    out += 3 * stride;
  }
  return triangles * 3;
}

}  // namespace

bool Batch_Flush() {
  GraphicsState& state = Graphics_State();
  VertexBatch& batch = state.batch;
  bool drawn = true;
  if (batch.count > 0 && state.renderer) {
    if (batch.kind == PRIM_TRIANGLE_FAN) {
      int count = UnfoldFan(batch);
      if (count > 0)
        drawn = state.renderer->DrawVertices(PRIM_TRIANGLE_LIST, batch.texture, batch.layout, batch.scratch.data(),
                                             count);
    } else {
      drawn = state.renderer->DrawVertices(batch.kind, batch.texture, batch.layout, batch.memory.get(), batch.count);
    }
  }
  if (!drawn && batch.lastSpriteName)
    DebugConsole().Output("Error attempting to draw sprite %s\n", batch.lastSpriteName);
  batch.count = 0;
  batch.lastSpriteName = nullptr;
  if (batch.stateChangePending) {
    batch.stateChangePending = false;
    if (state.renderer) state.renderer->SetBlend(Blend_FromMode(state.blendMode));
  }
  return drawn;
}

uint8_t* Batch_Reserve(PrimitiveKind kind, int texture, uint32_t format, int count) {
  if (count <= 0 || count > BATCH_MAX_VERTICES) return nullptr;
  VertexBatch& batch = Graphics_State().batch;
  bool fits = batch.count > 0 && kind == batch.kind && texture == batch.texture && format == batch.format &&
              !IsStripOrFan(kind) && batch.count + count <= BATCH_MAX_VERTICES && !batch.stateChangePending;
  if (!fits) {
    if (batch.count > 0 || batch.stateChangePending) Batch_Flush();
    if (format != batch.format || !batch.memory) {
      batch.layout = VertexFormat_Lookup(format);
      batch.format = format;
    }
    batch.kind = kind;
    batch.texture = texture;
    EnsureMemory(batch, batch.layout.stride);
  }
  uint8_t* at = batch.memory.get() + static_cast<size_t>(batch.count) * static_cast<size_t>(batch.layout.stride);
  batch.count += count;
  batch.reservedTotal += static_cast<uint64_t>(count);
  return at;
}

void Batch_MarkStateChange() { Graphics_State().batch.stateChangePending = true; }

uint32_t VertexFormat_Define(const VertexLayout& layout) {
  VertexBatch& batch = Graphics_State().batch;
  uint32_t id = VERTEX_FORMAT_USER_BIT | static_cast<uint32_t>(batch.userFormats.size());
  VertexLayout stored = layout;
  stored.format = id;
  if (stored.stride < 1) stored.stride = 1;
  batch.userFormats.push_back(stored);
  return id;
}

VertexLayout VertexFormat_Lookup(uint32_t format) {
  if (format == VERTEX_FORMAT_DEFAULT) return VertexLayout{};
  const VertexBatch& batch = Graphics_State().batch;
  if (format & VERTEX_FORMAT_USER_BIT) {
    uint32_t index = format & (VERTEX_FORMAT_USER_BIT - 1);
    if (index < batch.userFormats.size()) return batch.userFormats[index];
  }
  DebugConsole().Output("Invalid vertex format: 0x%x\n", format);
  VertexLayout unknown;
  unknown.format = format;
  unknown.stride = 1;
  unknown.positionOffset = unknown.colourOffset = unknown.uvOffset = -1;
  return unknown;
}

void Batch_Reset() {
  VertexBatch& batch = Graphics_State().batch;
  batch.count = 0;
  batch.stateChangePending = false;
  batch.kind = PRIM_TRIANGLE_LIST;
  batch.texture = TEXTURE_NONE;
  batch.format = VERTEX_FORMAT_DEFAULT;
  batch.layout = VertexLayout{};
  batch.userFormats.clear();
}

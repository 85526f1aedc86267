// SPDX-License-Identifier: Zlib
// The vertex batch: one per process. Sprite and glyph quads are appended to
// it as long as they share primitive kind, texture and vertex format; it is
// handed to the renderer when one of those changes, when it is full, when a
// render state changes, and at the end of every frame's drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/Renderer.h"

// Vertices held by the batch at most: large enough that a frame of the
// editor (a few hundred quads) goes out in one call per texture, small enough
// for the renderer's upload buffers.
constexpr int BATCH_MAX_VERTICES = 16384;

// User-defined vertex formats carry this bit in their id.
constexpr uint32_t VERTEX_FORMAT_USER_BIT = 1u << 24;

struct VertexBatch {
  PrimitiveKind kind = PRIM_TRIANGLE_LIST;
  int texture = TEXTURE_NONE;
  uint32_t format = VERTEX_FORMAT_DEFAULT;
  VertexLayout layout;
  int count = 0;
  uint64_t reservedTotal = 0;  // vertices reserved since the start; never goes back
  bool stateChangePending = false;  // a render-state change waits for the next break
  // BATCH_MAX_VERTICES * stride bytes, left uninitialised: a frame writes
  // only the start of it, and untouched pages cost nothing.
  std::unique_ptr<uint8_t[]> memory;
  size_t memoryBytes = 0;
  std::vector<uint8_t> scratch;     // fans unfolded into lists
  std::vector<VertexLayout> userFormats;
  const char* lastSpriteName = nullptr;  // named when the renderer refuses a batch
};

// Room for `count` vertices of a kind, texture and format: the batch is first
// handed to the renderer when it cannot take them. Returns where to write
// them, or null when `count` is not 1..BATCH_MAX_VERTICES.
uint8_t* Batch_Reserve(PrimitiveKind kind, int texture, uint32_t format, int count);
// The same for the default vertex.
inline Vertex* Batch_ReserveVertices(PrimitiveKind kind, int texture, int count) {
  return reinterpret_cast<Vertex*>(Batch_Reserve(kind, texture, VERTEX_FORMAT_DEFAULT, count));
}
// Hands what the batch holds to the renderer and applies a pending state
// change. Returns false when the renderer refused the vertices.
bool Batch_Flush();
// A render state (the blend mode) has changed: the next reservation breaks
// the batch.
void Batch_MarkStateChange();
// Defines a user vertex format; returns its id (the user bit set).
uint32_t VertexFormat_Define(const VertexLayout& layout);
// The layout of a format id. An unknown id is reported on the debug console
// ("Invalid vertex format: 0x%x") and gets stride 1.
VertexLayout VertexFormat_Lookup(uint32_t format);
// Forgets the batch contents and user formats (tests, graphics reset).
void Batch_Reset();

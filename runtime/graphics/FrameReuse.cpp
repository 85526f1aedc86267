// SPDX-License-Identifier: Zlib
#include "graphics/FrameReuse.h"

#include <cstring>

namespace {

// The calls as kept: fixed records of 4-byte fields (no padding, so equal
// calls are equal bytes), a draw's vertices right after its record.
enum CallKind : int32_t { CALL_DRAW = 1, CALL_BLEND, CALL_PROJECTION };

struct DrawCall {
  int32_t call, kind, texture;
  uint32_t format;
  int32_t stride, positionOffset, colourOffset, uvOffset;
  int32_t count, hasVertices;
};
struct BlendCall {
  int32_t call, source, destination;
};
struct ProjectionCall {
  int32_t call;
  float x, y, width, height;
  uint32_t clearColour;
  int32_t clear;
};
static_assert(sizeof(DrawCall) == 40 && sizeof(BlendCall) == 12 && sizeof(ProjectionCall) == 28,
              "calls are compared as bytes and must have no padding");

size_t VertexBytes(const uint8_t* vertices, int stride, int count) {
  if (!vertices || stride <= 0 || count <= 0) return 0;
  return static_cast<size_t>(stride) * static_cast<size_t>(count);
}

template <typename Call>
Call Read(const uint8_t* at) {
  Call call;
  std::memcpy(&call, at, sizeof call);
  return call;
}

}  // namespace

int FrameReuseRenderer::CreateTexture(const uint8_t* rgba, int width, int height, uint32_t flags) {
  // A new texture changes no pixel of the target; its handle is new, so a
  // frame that draws with it differs from the frames before.
  return inner_->CreateTexture(rgba, width, height, flags);
}

void FrameReuseRenderer::BeginFrame() {
  if (frameOpen_) return;
  frameOpen_ = true;
  frame_.clear();
  results_.clear();
  cleared_ = drew_ = false;
  matching_ = reuse_ && !redrawNext_ && framesSinceDrawn_ < kRedrawEveryFrames - 1;
}

bool FrameReuseRenderer::Keep(const void* call, size_t callSize, const uint8_t* vertices, size_t vertexBytes) {
  const size_t start = frame_.size();
  const auto* callBytes = static_cast<const uint8_t*>(call);
  frame_.insert(frame_.end(), callBytes, callBytes + callSize);
  if (vertexBytes) frame_.insert(frame_.end(), vertices, vertices + vertexBytes);
  if (!matching_) return false;
  const size_t size = callSize + vertexBytes;
  if (start + size <= previous_.size() && std::memcmp(previous_.data() + start, frame_.data() + start, size) == 0)
    return true;
  DrawKept(start);
  return false;
}

void FrameReuseRenderer::DrawKept(size_t end) {
  matching_ = false;
  const uint8_t* at = frame_.data();
  const uint8_t* const stop = frame_.data() + end;
  size_t drawIndex = 0;
  while (at < stop) {
    const bool isDraw = Read<int32_t>(at) == CALL_DRAW;
    Replay(at, &at, drawIndex);
    if (isDraw) ++drawIndex;
  }
}

void FrameReuseRenderer::Replay(const uint8_t* at, const uint8_t** next, size_t drawIndex) {
  switch (Read<int32_t>(at)) {
    case CALL_DRAW: {
      const DrawCall call = Read<DrawCall>(at);
      at += sizeof call;
      const VertexLayout layout{call.format, call.stride, call.positionOffset, call.colourOffset, call.uvOffset};
      const size_t bytes = call.hasVertices ? VertexBytes(at, call.stride, call.count) : 0;
      // The inner renderer may change the vertices in place; the kept bytes
      // must stay as the caller gave them, to be compared with the next frame.
      scratch_.assign(at, at + bytes);
      const bool drawn = inner_->DrawVertices(static_cast<PrimitiveKind>(call.kind), call.texture, layout,
                                              call.hasVertices ? scratch_.data() : nullptr, call.count);
      if (drawIndex < results_.size()) results_[drawIndex] = drawn;
      *next = at + bytes;
      return;
    }
    case CALL_BLEND: {
      const BlendCall call = Read<BlendCall>(at);
      inner_->SetBlend(BlendState{static_cast<BlendFactor>(call.source), static_cast<BlendFactor>(call.destination)});
      *next = at + sizeof call;
      return;
    }
    case CALL_PROJECTION: {
      const ProjectionCall call = Read<ProjectionCall>(at);
      inner_->SetProjectionAndClear(ViewRect{call.x, call.y, call.width, call.height}, call.clearColour,
                                    call.clear != 0);
      *next = at + sizeof call;
      return;
    }
  }
  *next = frame_.data() + frame_.size();  // not reached: only this file writes the calls
}

bool FrameReuseRenderer::DrawVertices(PrimitiveKind kind, int texture, const VertexLayout& layout,
                                      uint8_t* vertices, int count) {
  BeginFrame();
  drew_ = true;
  // Drawn over the frame before: this frame's pixels depend on that one's.
  if (!cleared_ && matching_) DrawKept(frame_.size());
  const size_t bytes = VertexBytes(vertices, layout.stride, count);
  const DrawCall call{CALL_DRAW,          kind,
                      texture,            layout.format,
                      layout.stride,      layout.positionOffset,
                      layout.colourOffset, layout.uvOffset,
                      count,              bytes ? 1 : 0};
  const size_t drawIndex = results_.size();
  if (Keep(&call, sizeof call, vertices, bytes)) {
    // The same draw at the same place in the frame before answers for it.
    const bool drawn = drawIndex < previousResults_.size() ? previousResults_[drawIndex] != 0 : true;
    results_.push_back(drawn);
    return drawn;
  }
  const bool drawn = inner_->DrawVertices(kind, texture, layout, bytes ? vertices : nullptr, count);
  results_.push_back(drawn);
  return drawn;
}

void FrameReuseRenderer::SetBlend(const BlendState& blend) {
  BeginFrame();
  const BlendCall call{CALL_BLEND, blend.source, blend.destination};
  if (!Keep(&call, sizeof call, nullptr, 0)) inner_->SetBlend(blend);
}

void FrameReuseRenderer::SetProjectionAndClear(const ViewRect& view, uint32_t clearColour, bool clear) {
  BeginFrame();
  if (clear && !drew_) cleared_ = true;
  const ProjectionCall call{CALL_PROJECTION, view.x, view.y, view.width, view.height, clearColour, clear ? 1 : 0};
  if (!Keep(&call, sizeof call, nullptr, 0)) inner_->SetProjectionAndClear(view, clearColour, clear);
}

void FrameReuseRenderer::Present() {
  BeginFrame();
  const bool unchanged = matching_ && !redrawNext_ && frame_.size() == previous_.size();
  if (unchanged) {
    ++framesReused_;
    ++framesSinceDrawn_;
  } else {
    if (matching_) DrawKept(frame_.size());
    inner_->Present();
    ++framesDrawn_;
    framesSinceDrawn_ = 0;
    redrawNext_ = false;
  }
  previous_.swap(frame_);
  previousResults_.swap(results_);
  frameOpen_ = false;
}

bool FrameReuseRenderer::ReadPixels(std::vector<uint8_t>* rgba, int* width, int* height) {
  // Between frames the target holds the last frame, drawn or reused alike.
  if (frameOpen_ && matching_) DrawKept(frame_.size());
  return inner_->ReadPixels(rgba, width, height);
}

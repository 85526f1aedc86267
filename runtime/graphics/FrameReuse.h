// SPDX-License-Identifier: Zlib
// A renderer in front of another that does not draw a frame again when it
// asks for exactly the drawing of the frame before: the target still holds
// those pixels, and the window still shows them. An idle editor draws the
// same frame sixty times a second; rasterising it in software costs most of
// a frame's CPU time, and copying it to the window more.
//
// Every call of a frame is kept, byte for byte. While the calls so far equal
// the previous frame's, they are only kept; at the first call that differs
// the kept ones are drawn, in order, and the rest of the frame goes straight
// through. A frame that ends equal to the previous one is neither drawn nor
// presented. Only a frame that clears the target before its first draw can
// be left as it was: one that draws over what the frame before left (a
// fading trail, say) changes the pixels each time it is drawn, so it is
// always drawn. A read of the pixels in the middle of a frame draws what was
// kept first, so every read sees what the calls so far have drawn.
//
// A draw's result (false when the renderer refused it) is kept too: a kept
// draw answers what the same draw answered the frame before, so the drawing
// layer's messages come as if the frame had been drawn.
//
// The pixels of the target can be lost outside the calls (the window was
// covered, resized, shown again): RedrawNextFrame() makes the next frame be
// drawn whole. A frame is also drawn whole once every kRedrawEveryFrames
// frames, so a window system that loses the pixels without saying so is put
// right within a second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/Renderer.h"

class FrameReuseRenderer final : public Renderer {
 public:
  static constexpr int kRedrawEveryFrames = 60;

  // `inner` is not owned and outlives this renderer.
  explicit FrameReuseRenderer(Renderer* inner) : inner_(inner) {}

  int CreateTexture(const uint8_t* rgba, int width, int height, uint32_t flags) override;
  bool DrawVertices(PrimitiveKind kind, int texture, const VertexLayout& layout, uint8_t* vertices,
                    int count) override;
  void SetBlend(const BlendState& blend) override;
  void SetProjectionAndClear(const ViewRect& view, uint32_t clearColour, bool clear) override;
  void Present() override;
  bool ReadPixels(std::vector<uint8_t>* rgba, int* width, int* height) override;

  void RedrawNextFrame() { redrawNext_ = true; }
  // Off: every frame is drawn and presented (to measure what reuse saves).
  void SetReuse(bool reuse) { reuse_ = reuse; }

  // Frames presented to the inner renderer, and frames left as they were.
  long framesDrawn() const { return framesDrawn_; }
  long framesReused() const { return framesReused_; }

 private:
  void BeginFrame();
  // Appends one call's bytes to the frame; true while the frame still equals
  // the previous one, in which case the call is only kept.
  bool Keep(const void* call, size_t callSize, const uint8_t* vertices, size_t vertexBytes);
  // Draws the kept calls, from the frame's start to `end` bytes, and lets the
  // rest of the frame through.
  void DrawKept(size_t end);
  void Replay(const uint8_t* call, const uint8_t** next, size_t drawIndex);

  Renderer* inner_;
  std::vector<uint8_t> frame_, previous_;  // the calls, byte for byte
  std::vector<uint8_t> results_, previousResults_;  // each draw's result
  std::vector<uint8_t> scratch_;  // vertices handed to the inner renderer, which may change them
  bool frameOpen_ = false;  // a call came since the last present
  bool matching_ = false;   // the frame so far equals the previous one, and was only kept
  bool cleared_ = false;    // the frame cleared the target before any draw
  bool drew_ = false;       // the frame has drawn
  bool redrawNext_ = true;  // nothing is on the target yet
  bool reuse_ = true;
  int framesSinceDrawn_ = 0;
  long framesDrawn_ = 0, framesReused_ = 0;
};

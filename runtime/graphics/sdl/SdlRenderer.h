// SPDX-License-Identifier: Zlib
// The renderer on SDL_Renderer: textures from decoded RGBA, the vertex batch
// handed to SDL_RenderGeometryRaw in place (the 24-byte vertex read through
// strides), blend modes through SDL_ComposeCustomBlendMode, the stock
// cursors, a read-back of the drawn frame, and a PNG writer for it.
// The rest of the runtime sees only the Renderer interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Renderer.h"

// A renderer on the program's window (platform/Window.h made it): accelerated,
// or SDL's software renderer in headless mode (the dummy video driver). The
// room is drawn on a canvas of canvasWidth x canvasHeight pixels (see
// SdlRenderer_SetWindowArea). Loads the stock cursors once and gives the
// drawing layer its cursor setter. Null, with a message in *error, when there
// is no window or SDL refuses.
Renderer* SdlRenderer_CreateForWindow(int canvasWidth, int canvasHeight, std::string* error);
// A software renderer drawing into an off-screen surface of width x height
// pixels. Needs no video driver: tests, benchmarks and frame read-backs.
Renderer* SdlRenderer_CreateOffscreen(int width, int height, std::string* error);
// The canvas's size, for a renderer made without one (tests of the scaled
// output on an off-screen renderer).
void SdlRenderer_SetCanvasSize(Renderer* renderer, int width, int height);
// Where the canvas appears in the output (the window), in its pixels. While
// that is the whole output at the canvas's own size, or no area was given,
// frames are drawn straight into the output, as without a canvas. Otherwise
// they are drawn into a texture of the canvas's size, and Present copies it
// into the area, the rest of the output black: with nearest-pixel sampling
// when the area is a whole multiple of the canvas, otherwise enlarged
// nearest-pixel to the next whole multiple (if larger than the canvas) and
// filtered linearly down to the area, so that 1-pixel lines stay whole.
// ReadPixels (screenshots) reads the canvas at its own size either way.
void SdlRenderer_SetWindowArea(Renderer* renderer, int x, int y, int width, int height);
// The whole output as last presented, RGBA rows top down: for off-screen
// renderers (a window's contents after presenting are the system's).
bool SdlRenderer_ReadOutput(Renderer* renderer, std::vector<uint8_t>* rgba, int* width, int* height);
// Frees the renderer and its textures (and takes back the cursor setter when
// it was the window's renderer).
void SdlRenderer_Destroy(Renderer* renderer);

// For the benchmark that sets the batch path against SDL's own sprite call:
// draws each quad with SDL_RenderCopyExF, tinted by its colour word.
struct SdlCopyQuad {
  int texture;
  int sourceX, sourceY, sourceWidth, sourceHeight;
  float x, y, width, height;  // destination
  double angle;               // degrees, clockwise on screen as SDL counts
  float centreX, centreY;     // turning point inside the destination
  uint32_t colour;            // red in the low byte, alpha in the high byte
};
void SdlRenderer_CopyQuads(Renderer* renderer, const SdlCopyQuad* quads, int count);

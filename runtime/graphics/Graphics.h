// SPDX-License-Identifier: Zlib
// The drawing layer: sprites and text through one vertex batcher, the drawing
// state of the draw_* built-ins, and the frame's draw pass. Everything is
// expressed in room coordinates; the renderer (see Renderer.h) maps the view
// to the window.
//
// The runner's part, in order:
//   Graphics_Init(renderer)            once, after the window exists
//   Graphics_RegisterBuiltins()        with the other built-in families
//   Graphics_BuildResources(data)      after the game data is loaded
//   Graphics_DrawFrame(room)           each frame, at the draw point of the step
//   Graphics_SaveScreenshot(file)      optional, between drawing and presenting
//   Graphics_Present()                 each frame
#pragma once

#include <cstdint>
#include <string>

#include "graphics/Renderer.h"

struct GameData;
struct RoomRecord;
class CInstance;
class CSprite;
class CFontQz;

// ---- set-up ----
// Takes the renderer (not owned) and sets its initial blend state. Textures
// of resources built earlier are created now.
void Graphics_Init(Renderer* renderer);
// Builds sprites, texture pages (as renderer textures), fonts and the default
// drawing colour from the loaded game data. Replaces resources built before.
void Graphics_BuildResources(const GameData& data);
// Makes the textures of pages whose pixels the page decoder finished since
// the resources were built; wait: block until every page is decoded. False
// when a page could not be decoded (*error says which and why): that page
// never becomes ready.
bool Graphics_UpdatePages(bool wait, std::string* error);
// Restores the drawing state's initial values (with the data's default colour).
void Graphics_ResetState();
// Forgets renderer, resources, batch and state (tests; process end).
void Graphics_Shutdown();
void Graphics_RegisterBuiltins();

// ---- the frame ----
// Draws one frame of the current room: clear to the room's colour, pre-draw,
// draw begin, the instances from the greatest depth to the least (their Draw
// event, or their own sprite), draw end, post-draw and the GUI events; the
// batch is handed over at the end. `room` may be null (no layers, black).
void Graphics_DrawFrame(const RoomRecord* room);
void Graphics_Present();
// Reads the drawn frame back and writes it as a PNG file. False when the
// renderer keeps no pixels or the file cannot be written.
bool Graphics_SaveScreenshot(const char* path);
// Sets the room rectangle of the current view (projection and culling).
void Graphics_SetView(float x, float y, float width, float height);

// ---- resources ----
CSprite* Graphics_Sprite(int index);  // null when no sprite has that index
int Graphics_SpriteCount();
CFontQz* Graphics_Font(int index);    // null when no font has that index
// The font that text is drawn in now: the current font, else the default one.
CFontQz* Graphics_CurrentFont();
// The built-in default font, made (with its texture) on first use.
CFontQz* Graphics_DefaultFont();

// ---- colours ----
inline uint8_t Colour_AlphaByte(double alpha) {
  double scaled = alpha * 255.0;
  if (!(scaled > 0)) return 0;  // also NaN
  if (scaled >= 255) return 255;
  return static_cast<uint8_t>(static_cast<int>(scaled));
}
inline uint32_t Colour_WithAlpha(uint32_t colour, uint8_t alpha) {
  return (colour & 0xFFFFFFu) | (static_cast<uint32_t>(alpha) << 24);
}

// ---- drawing (used by the built-ins, the direct entries and default drawing) ----
// Frame to draw for subimg (already made whole); false when nothing is drawn.
bool Sprite_ChooseFrame(const CSprite& sprite, int subimg, int* frame);
// Culling: whether a circle of radius r about (x, y) touches the current view.
bool Graphics_InView(float x, float y, float r);
// One bitmap frame as a quad: scales, rotation in degrees (counter-clockwise
// on screen), colour word with alpha. No frame choice and no culling here.
void Graphics_DrawSpriteQuad(const CSprite& sprite, int frame, float x, float y, float xscale, float yscale,
                             float rotation, uint32_t colour);
// draw_sprite_ext after frame choice: culling with r = max(|R xs|, |R ys|).
void Graphics_DrawSpriteExt(CSprite& sprite, int subimg, float x, float y, float xscale, float yscale,
                            float rotation, uint32_t colour);
void Graphics_DrawText(float x, float y, const char* text);
void Graphics_DrawTextColour(float x, float y, const char* text, uint32_t c1, uint32_t c2, uint32_t c3,
                             uint32_t c4, double alpha);

// ---- state ----
void Graphics_SetColour(int32_t colour);
void Graphics_SetAlpha(double alpha);
void Graphics_SetFont(int32_t font);
void Graphics_SetHalign(int32_t align);
void Graphics_SetValign(int32_t align);
// Blend modes: 0 normal, 1 additive, 2 (source alpha, inverse source
// colour), 3 subtractive. A change breaks the batch.
void Graphics_SetBlendMode(int32_t mode);
BlendState Blend_FromMode(int32_t mode);
void Graphics_EnableCornerId(bool enable);

// ---- cursor ----
enum CursorShape : int {
  CURSOR_NONE,  // hidden
  CURSOR_ARROW,
  CURSOR_CROSS,
  CURSOR_IBEAM,
  CURSOR_SIZE_NESW,
  CURSOR_SIZE_NS,
  CURSOR_SIZE_NWSE,
  CURSOR_SIZE_WE,
  CURSOR_UP_ARROW,
  CURSOR_WAIT,
  CURSOR_HAND,
  CURSOR_NO,
  CURSOR_WAIT_ARROW,
  CURSOR_SIZE_ALL,
  CURSOR_KEEP,  // the value picks no cursor: nothing changes
};
// The shape that a window_set_cursor value picks.
CursorShape Cursor_FromValue(int32_t value);
// The cursor the platform shows now (the last frame's choice).
CursorShape Graphics_CursorShown();
// The platform's cursor setter; installed while a window exists.
using CursorSetter = void (*)(CursorShape shape);
void Graphics_SetCursorSetter(CursorSetter setter);
void Graphics_SetCursor(int32_t value);

// SPDX-License-Identifier: Zlib
// The drawing layer's one state record: the drawing state of the built-ins
// (colour, alpha, font, alignment, depth z, corner-id flag), the blend mode,
// the view used for culling, the cursor, the resources and the vertex batch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/Batch.h"
#include "graphics/Graphics.h"
#include "graphics/Renderer.h"
#include "graphics/Resources.h"

// The initial drawing colour: black with full alpha. The game data's options
// may replace it ("@@DrawColour").
constexpr uint32_t DRAW_COLOUR_INITIAL = 0xFF000000u;

struct GraphicsState {
  // ---- drawing state ----
  uint32_t colour = DRAW_COLOUR_INITIAL;  // colour word; its alpha byte mirrors `alpha`
  uint8_t alpha = 255;
  int32_t font = -1;  // -1, or an index that holds no font: the default font
  int32_t halign = 0;  // 0 left, 1 centre, 2 right
  int32_t valign = 0;  // 0 top, 1 middle, 2 bottom
  float depthZ = 0;
  bool cornerId = false;
  uint32_t defaultColour = DRAW_COLOUR_INITIAL;  // restored by Graphics_ResetState
  int32_t blendMode = 0;
  bool perspective = false;  // no culling while a perspective projection is active

  // Integer bounds of the current view in room coordinates (culling).
  int32_t viewLeft = 0, viewTop = 0, viewRight = 1024, viewBottom = 768;

  // window_set_cursor only records its choice; the runner shows the frame's
  // last choice once per frame (Graphics_ApplyCursor), so code that picks one
  // cursor and then another within a step does not make the pointer flicker.
  int32_t cursor = 0;                     // last value given to window_set_cursor
  CursorShape cursorChosen = CURSOR_ARROW;  // the last value's shape, values that pick none aside
  CursorShape cursorShown = CURSOR_ARROW;   // what the platform shows (its own start: the arrow)

  Renderer* renderer = nullptr;
  CursorSetter cursorSetter = nullptr;
  const GameData* source = nullptr;  // the data the resources were built from

  // ---- resources ----
  std::vector<TexturePageEntry> entries;  // copies of the data's page items
  std::vector<CTexturePage> pages;        // index = page index of the data
  std::string pageError;                  // why the first failed page failed
  std::vector<std::unique_ptr<CSprite>> sprites;  // null where the data has no sprite
  std::vector<std::unique_ptr<CFontQz>> fonts;
  std::unique_ptr<CFontQz> defaultFont;  // made on first use
  TexturePageEntry defaultFontRegion;
  CTexturePage defaultFontPage;

  VertexBatch batch;
  // The view of the last projection and the batch's reservedTotal right
  // after it: nothing has been drawn over that projection's clear while the
  // two are equal.
  ViewRect projectedView;
  uint64_t reservedAtProjection = 0;
};

GraphicsState& Graphics_State();

// Hands the cursor chosen since the last call to the platform when it differs
// from the one shown. The runner calls it once per frame, after the step and
// the Draw events, before the frame is presented.
void Graphics_ApplyCursor();

// SPDX-License-Identifier: Zlib
// In-memory game data for the drawing tests (texture pages, page items,
// sprites and fonts built by hand), and a fixture that gives each test a
// fresh drawing layer on a recording CountingRenderer.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Console.h"
#include "base/Error.h"
#include "code/CompiledCode.h"
#include "data/GameData.h"
#include "graphics/CountingRenderer.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"
#include "value/DynValue.h"

// Sprite and font indexes of the test data.
enum TestSprite : int {
  SPR_BAR = 0,      // 16 x 8, origin (0, 0), one frame, solid red on page 0
  SPR_SQUARE = 1,   // 16 x 16, origin (8, 8), three frames (frame 1 trimmed), page 0
  SPR_OTHER = 2,    // 16 x 16 on page 1
  SPR_MISSING = 3,  // an empty slot
  SPR_NOFRAMES = 4,
  SPR_ZEROSIZE = 5,  // its page item has target width and height 0
};
enum TestFont : int {
  FNT_PLAIN = 0,        // 'A', 'B', '#'; line height 10
  FNT_REPLACEMENT = 1,  // 'A' and U+25AF; line height 12
};

// Page 0 is 64 x 64, page 1 is 16 x 16.
GameData MakeTestGameData();

// Adds one page item (the page index is also its texture id).
int AddEntry(GameData& data, int sx, int sy, int sw, int sh, int tx, int ty, int tw, int th, int page);

class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Calls a registered built-in by name with real or string arguments.
  DynValue Call(const char* name, std::vector<DynValue> args, CInstance* self = nullptr);
  static DynValue Real(double d) { return DynValue_MakeReal(d); }
  static DynValue Str(const char* text);
  bool TakeError(std::string* message = nullptr);
  // Hands the batch over and returns what the renderer received.
  const std::vector<Vertex>& Drawn();

  CountingRenderer renderer{true};
  GameData data;
  TErrStreamConsole debugLog;
  bool previousCatch = false;
};

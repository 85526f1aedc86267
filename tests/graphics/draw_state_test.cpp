// SPDX-License-Identifier: Zlib
// Frame choice, the drawing state of the draw_* built-ins, colour values,
// sprite queries and the cursor table.
#include "GraphicsTestSupport.h"
#include "graphics/GraphicsDirect.h"
#include "object/Instance.h"

namespace {

// The page region (its left texture coordinate) tells which frame was drawn.
float FrameU(const std::vector<Vertex>& v, size_t quad) { return v[quad * 6].u; }
constexpr float U_FRAME0 = 16.0f / 64, U_FRAME1 = 32.0f / 64, U_FRAME2 = 40.0f / 64;

std::vector<CursorShape> g_cursorCalls;
void RecordCursor(CursorShape shape) { g_cursorCalls.push_back(shape); }

}  // namespace

TEST_F(GraphicsTest, FrameIsSubimgModuloTheFrameCountMadeNonNegative) {
  const CSprite& square = *Graphics_Sprite(SPR_SQUARE);
  int frame = -1;
  ASSERT_TRUE(Sprite_ChooseFrame(square, 3, &frame));
  EXPECT_EQ(frame, 0);
  ASSERT_TRUE(Sprite_ChooseFrame(square, 7, &frame));
  EXPECT_EQ(frame, 1);
  ASSERT_TRUE(Sprite_ChooseFrame(square, -1, &frame));
  EXPECT_EQ(frame, 2);
  EXPECT_FALSE(Sprite_ChooseFrame(*Graphics_Sprite(SPR_NOFRAMES), 0, &frame));
}

TEST_F(GraphicsTest, NegativeSubimgDrawsTheInstancesImageIndex) {
  CInstance self(100001, 0, 0, 0);
  self.imageIndex = 1.7f;
  // The built-in floors image_index, the direct entry truncates it: both 1.
  Call("draw_sprite_ext",
       {Real(SPR_SQUARE), Real(-1), Real(50), Real(50), Real(1), Real(1), Real(0), Real(0xFFFFFF), Real(1)}, &self);
  Draw_SpriteExt(&self, SPR_SQUARE, -1, 50, 50, 1, 1, 0, 0xFFFFFF, 1);
  // A negative image_index: floor gives -2 (frame 1), truncation -1 (frame 2).
  self.imageIndex = -1.5f;
  Call("draw_sprite", {Real(SPR_SQUARE), Real(-1), Real(50), Real(50)}, &self);
  Draw_Sprite(&self, SPR_SQUARE, -1, 50, 50);
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 24u);
  EXPECT_FLOAT_EQ(FrameU(v, 0), U_FRAME1);
  EXPECT_FLOAT_EQ(FrameU(v, 1), U_FRAME1);
  EXPECT_FLOAT_EQ(FrameU(v, 2), U_FRAME1);
  EXPECT_FLOAT_EQ(FrameU(v, 3), U_FRAME2);
}

TEST_F(GraphicsTest, SubimgEqualToTheFrameCountDrawsFrameZero) {
  Call("draw_sprite", {Real(SPR_SQUARE), Real(3), Real(50), Real(50)});
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 6u);
  EXPECT_FLOAT_EQ(FrameU(v, 0), U_FRAME0);
}

TEST_F(GraphicsTest, NonExistingSpriteIsANonFatalErrorAndDrawsNothing) {
  std::string message;
  Call("draw_sprite", {Real(SPR_MISSING), Real(0), Real(0), Real(0)});
  ASSERT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "Trying to draw non-existing sprite.");
  Draw_SpriteExt(nullptr, 77, 0, 0, 0, 1, 1, 0, 0xFFFFFF, 1);
  EXPECT_TRUE(TakeError());
  Call("draw_sprite", {Real(SPR_NOFRAMES), Real(0), Real(0), Real(0)});
  EXPECT_FALSE(TakeError());
  EXPECT_TRUE(Drawn().empty());
}

TEST_F(GraphicsTest, SetColourAfterSetAlphaKeepsTheAlphaByte) {
  Call("draw_set_alpha", {Real(0.5)});
  Call("draw_set_colour", {Real(255)});  // c_red
  EXPECT_EQ(Graphics_State().colour, 0x7F0000FFu);
  DynValue colour = Call("draw_get_colour", {});
  DynValue alpha = Call("draw_get_alpha", {});
  EXPECT_EQ(colour.real, 255.0);
  EXPECT_DOUBLE_EQ(alpha.real, 127.0 / 255.0);
  // The colour's own high bits do not reach the alpha byte.
  Call("draw_set_color", {Real(4294967295.0)});
  EXPECT_EQ(Graphics_State().colour, 0x7FFFFFFFu);
}

TEST_F(GraphicsTest, AlphaIsLimitedToZeroToOne) {
  Call("draw_set_alpha", {Real(3)});
  EXPECT_EQ(Graphics_State().alpha, 255);
  Call("draw_set_alpha", {Real(-0.2)});
  EXPECT_EQ(Graphics_State().alpha, 0);
  EXPECT_EQ(Graphics_State().colour >> 24, 0u);
  EXPECT_EQ(Colour_AlphaByte(1.5), 255);
  EXPECT_EQ(Colour_AlphaByte(0.999), 254);
}

TEST_F(GraphicsTest, InitialStateAndTheDataDefaultColour) {
  EXPECT_EQ(Graphics_State().colour, 0xFF000000u);
  EXPECT_EQ(Graphics_State().font, -1);
  GameData withOption = MakeTestGameData();
  withOption.options.hasDrawColour = true;
  withOption.options.drawColour = 0xFFFFFFFFu;
  Graphics_BuildResources(withOption);
  EXPECT_EQ(Graphics_State().colour, 0xFFFFFFFFu);
  Call("draw_set_alpha", {Real(0.5)});
  Graphics_ResetState();
  EXPECT_EQ(Graphics_State().colour, 0xFFFFFFFFu);
  EXPECT_EQ(Graphics_State().alpha, 255);
  Graphics_BuildResources(data);  // back to the fixture's data before it goes
}

TEST_F(GraphicsTest, MakeColourRgbPutsRedLowWithoutClamping) {
  EXPECT_EQ(Call("make_colour_rgb", {Real(1), Real(2), Real(3)}).real, 1 + 2 * 256 + 3 * 65536);
  EXPECT_EQ(Call("make_color_rgb", {Real(300), Real(0), Real(0)}).real, 300);
  EXPECT_EQ(Call("make_colour_rgb", {Real(255), Real(255), Real(255)}).real, 16777215);
  EXPECT_EQ(Draw_MakeColourRgb(-1, 0, 1), 65535);
}

TEST_F(GraphicsTest, FontAndAlignmentSettersRefuseUnknownValues) {
  Call("draw_set_font", {Real(FNT_REPLACEMENT)});
  EXPECT_EQ(Graphics_State().font, FNT_REPLACEMENT);
  Call("draw_set_font", {Real(9)});
  EXPECT_EQ(Graphics_State().font, -1);
  Draw_SetFont(FNT_PLAIN);
  EXPECT_EQ(Graphics_State().font, FNT_PLAIN);
  Call("draw_set_halign", {Real(2)});
  Call("draw_set_valign", {Real(1)});
  EXPECT_EQ(Graphics_State().halign, 2);
  EXPECT_EQ(Graphics_State().valign, 1);
  Call("draw_set_halign", {Real(3)});
  Draw_SetValign(-1);
  EXPECT_EQ(Graphics_State().halign, 0);
  EXPECT_EQ(Graphics_State().valign, 0);
}

TEST_F(GraphicsTest, SpriteQueriesNeverFail) {
  EXPECT_EQ(Call("sprite_get_number", {Real(SPR_SQUARE)}).real, 3);
  EXPECT_EQ(Call("sprite_get_number", {Real(SPR_MISSING)}).real, -1);
  EXPECT_EQ(Call("sprite_get_number", {Real(-5)}).real, -1);
  DynValue name = Call("sprite_get_name", {Real(SPR_BAR)});
  EXPECT_STREQ(DynValue_Chars(&name), "spr_bar");
  DynValue_Release(&name);
  DynValue missing = Call("sprite_get_name", {Real(SPR_MISSING)});
  EXPECT_STREQ(DynValue_Chars(&missing), "<undefined>");
  DynValue_Release(&missing);
  EXPECT_FALSE(TakeError());
}

TEST_F(GraphicsTest, CursorValuesPickTheirStockCursor) {
  g_cursorCalls.clear();
  Graphics_SetCursorSetter(RecordCursor);
  // One value a frame: the runner shows each frame's choice once (Graphics_ApplyCursor).
  for (double value : {-1.0, -3.0, -15.0, -21.0, 5.0 /* stored, changes nothing */, -23.0 /* likewise */}) {
    Call("window_set_cursor", {Real(value)});
    Graphics_ApplyCursor();
  }
  ASSERT_EQ(g_cursorCalls.size(), 4u);
  EXPECT_EQ(g_cursorCalls[0], CURSOR_NONE);
  EXPECT_EQ(g_cursorCalls[1], CURSOR_CROSS);
  EXPECT_EQ(g_cursorCalls[2], CURSOR_NO);
  EXPECT_EQ(g_cursorCalls[3], CURSOR_HAND);
  EXPECT_EQ(Graphics_State().cursor, -23);
  EXPECT_EQ(Cursor_FromValue(-5), CURSOR_NONE);
  EXPECT_EQ(Cursor_FromValue(-19), CURSOR_WAIT_ARROW);
  EXPECT_EQ(Cursor_FromValue(-22), CURSOR_SIZE_ALL);
  EXPECT_EQ(Cursor_FromValue(-6), CURSOR_SIZE_NESW);
  EXPECT_EQ(Cursor_FromValue(-8), CURSOR_SIZE_NWSE);
}

// SPDX-License-Identifier: Zlib
// Sprite quads vertex by vertex: corners from origin, page-item offsets and
// scales; rotation direction; texture coordinates; colour words; corner ids.
#include <cmath>
#include <cstring>

#include "GraphicsTestSupport.h"
#include "graphics/GraphicsDirect.h"

namespace {

constexpr float EPS = 1e-3f;

void ExpectCorner(const Vertex& v, float x, float y, const char* which) {
  EXPECT_NEAR(v.x, x, EPS) << which;
  EXPECT_NEAR(v.y, y, EPS) << which;
}

// The six vertices in the order top-left, top-right, bottom-right,
// bottom-right, bottom-left, top-left.
void ExpectQuad(const std::vector<Vertex>& v, size_t at, float tlx, float tly, float trx, float try_, float brx,
                float bry, float blx, float bly) {
  ASSERT_GE(v.size(), at + 6);
  ExpectCorner(v[at + 0], tlx, tly, "top-left");
  ExpectCorner(v[at + 1], trx, try_, "top-right");
  ExpectCorner(v[at + 2], brx, bry, "bottom-right");
  ExpectCorner(v[at + 3], brx, bry, "bottom-right again");
  ExpectCorner(v[at + 4], blx, bly, "bottom-left");
  ExpectCorner(v[at + 5], tlx, tly, "top-left again");
}

}  // namespace

TEST_F(GraphicsTest, UnrotatedQuadStandsOnTheOriginAndScales) {
  // spr_square: 16 x 16, origin (8, 8); scaled 2 across and 0.5 down.
  Draw_SpriteExt(nullptr, SPR_SQUARE, 0, 100, 50, 2, 0.5f, 0, 0xFFFFFF, 1);
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 6u);
  ExpectQuad(v, 0, 84, 46, 116, 46, 116, 54, 84, 54);
  for (const Vertex& vertex : v) {
    EXPECT_EQ(vertex.colour, 0xFFFFFFFFu);
    EXPECT_EQ(vertex.z, 0.0f);
  }
}

TEST_F(GraphicsTest, TrimmedFrameIsPlacedByItsTargetOffset) {
  // Frame 1 holds only the 8 x 8 middle of the 16 x 16 frame (target 4, 4).
  Draw_SpriteExt(nullptr, SPR_SQUARE, 1, 100, 100, 1, 1, 0, 0xFFFFFF, 1);
  const auto& v = Drawn();
  ExpectQuad(v, 0, 96, 96, 104, 96, 104, 104, 96, 104);
  // Its region is (32, 0)-(40, 8) of the 64 x 64 page.
  EXPECT_FLOAT_EQ(v[0].u, 0.5f);
  EXPECT_FLOAT_EQ(v[0].v, 0.0f);
  EXPECT_FLOAT_EQ(v[2].u, 0.625f);
  EXPECT_FLOAT_EQ(v[2].v, 0.125f);
  EXPECT_FLOAT_EQ(v[4].u, 0.5f);
  EXPECT_FLOAT_EQ(v[4].v, 0.125f);
}

TEST_F(GraphicsTest, NinetyDegreesTurnsTheTopEdgeToTheLeft) {
  Draw_SpriteExt(nullptr, SPR_SQUARE, 0, 100, 100, 1, 1, 90, 0xFFFFFF, 1);
  const auto& v = Drawn();
  // Counter-clockwise on screen: the top edge (top-left to top-right) now
  // runs up the left side, from (92, 108) to (92, 92).
  ExpectQuad(v, 0, 92, 108, 92, 92, 108, 92, 108, 108);
}

TEST_F(GraphicsTest, RotationOfABarAboutItsCornerOrigin) {
  // spr_bar: 16 x 8 with origin (0, 0), turned 180 degrees about (50, 50).
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 50, 50, 1, 1, 180, 0xFFFFFF, 1);
  ExpectQuad(Drawn(), 0, 50, 50, 34, 50, 34, 42, 50, 42);
}

TEST_F(GraphicsTest, TinyRotationDrawsTheUnrotatedQuadExactly) {
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 10.25f, 20.5f, 1, 1, 0.0005f, 0xFFFFFF, 1);
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(v[0].x, 10.25f);
  EXPECT_EQ(v[0].y, 20.5f);
  EXPECT_EQ(v[2].x, 26.25f);
  EXPECT_EQ(v[2].y, 28.5f);
}

TEST_F(GraphicsTest, ColourWordCarriesRedLowAndTheAlphaByte) {
  // Red 0x0000FF with alpha 0.5: trunc(127.5) = 127.
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 0, 0, 1, 1, 0, 0x0000FF, 0.5f);
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(v[0].colour, 0x7F0000FFu);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&v[0].colour);
  EXPECT_EQ(bytes[0], 0xFF);  // red first in memory, as the renderer reads it
  EXPECT_EQ(bytes[3], 0x7F);
}

TEST_F(GraphicsTest, CornerIdsMarkEachCornerInTheLowBitsOfRedAndBlue) {
  Graphics_EnableCornerId(true);
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 0, 0, 1, 1, 0, 0xFFFFFF, 1);
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(v[0].colour, 0xFFFEFFFEu);  // top-left: both clear
  EXPECT_EQ(v[1].colour, 0xFFFEFFFFu);  // top-right: red set, blue clear
  EXPECT_EQ(v[2].colour, 0xFFFFFFFFu);  // bottom-right: both set
  EXPECT_EQ(v[4].colour, 0xFFFFFFFEu);  // bottom-left: red clear, blue set
  EXPECT_EQ(v[5].colour, v[0].colour);
}

TEST_F(GraphicsTest, ZeroTargetSizeIsDrawnAsOneTexel) {
  Draw_SpriteExt(nullptr, SPR_ZEROSIZE, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1);
  ExpectQuad(Drawn(), 0, 10, 10, 11, 10, 11, 11, 10, 11);
}

TEST_F(GraphicsTest, DrawSpriteUsesWhiteTheCurrentAlphaAndNoScale) {
  Call("draw_set_alpha", {Real(0.25)});
  Call("draw_sprite", {Real(SPR_SQUARE), Real(0), Real(30), Real(40)});
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(v[0].colour, 0x3FFFFFFFu);
  ExpectQuad(v, 0, 22, 32, 38, 32, 38, 48, 22, 48);
}

TEST_F(GraphicsTest, BuiltinAndDirectEntryDrawTheSameVertices) {
  Call("draw_sprite_ext",
       {Real(SPR_SQUARE), Real(2), Real(12.5), Real(7), Real(1.5), Real(-2), Real(33), Real(0x123456), Real(0.75)});
  Draw_SpriteExt(nullptr, SPR_SQUARE, 2, 12.5f, 7, 1.5f, -2, 33, 0x123456, 0.75f);
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 12u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(0, std::memcmp(&v[i], &v[i + 6], sizeof(Vertex))) << "vertex " << i;
}

TEST_F(GraphicsTest, CullingRadiusIsTheFarthestCornerRoundedUp) {
  EXPECT_EQ(Sprite_CullRadius(16, 16, 8, 8), 12);  // sqrt(128) = 11.31
  EXPECT_EQ(Sprite_CullRadius(16, 8, 0, 0), 18);   // sqrt(320) = 17.89
  EXPECT_EQ(Sprite_CullRadius(13, 13, 6, 6), 10);  // sqrt(98) = 9.9
  EXPECT_EQ(Graphics_Sprite(SPR_SQUARE)->cullRadius, 12);
}

TEST_F(GraphicsTest, SpriteWhollyOutsideTheViewIsCulled) {
  Graphics_SetView(0, 0, 1024, 768);
  // Radius 12: centres further than 12 beyond an edge are dropped.
  Draw_SpriteExt(nullptr, SPR_SQUARE, 0, -13, 300, 1, 1, 0, 0xFFFFFF, 1);
  Draw_SpriteExt(nullptr, SPR_SQUARE, 0, 500, 781, 1, 1, 0, 0xFFFFFF, 1);
  EXPECT_TRUE(Drawn().empty());
  // Touching the view is enough; a larger scale widens the circle.
  Draw_SpriteExt(nullptr, SPR_SQUARE, 0, -12, 300, 1, 1, 0, 0xFFFFFF, 1);
  Draw_SpriteExt(nullptr, SPR_SQUARE, 0, -30, 300, 1, 3, 0, 0xFFFFFF, 1);
  EXPECT_EQ(Drawn().size(), 12u);
}

TEST_F(GraphicsTest, FrameOnAPageThatIsNotReadyIsSkipped) {
  Graphics_State().pages[1].ready = false;
  Draw_SpriteExt(nullptr, SPR_OTHER, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1);
  EXPECT_TRUE(Drawn().empty());
  EXPECT_FALSE(TakeError());
}

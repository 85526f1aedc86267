// SPDX-License-Identifier: Zlib
// Text layout: line breaks, glyph placement by advance and offset, alignment,
// missing glyphs, the default font, and draw_text_colour's gradient.
#include <set>
#include <string>

#include "GraphicsTestSupport.h"

namespace {

struct Box {
  float left, top, right, bottom;
};
// The rectangle of quad i (vertices 0 and 2 are its top-left and bottom-right).
Box QuadBox(const std::vector<Vertex>& v, size_t i) {
  return {v[i * 6].x, v[i * 6].y, v[i * 6 + 2].x, v[i * 6 + 2].y};
}

int Channel(uint32_t colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

}  // namespace

class TextTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    Call("draw_set_font", {Real(FNT_PLAIN)});
  }
  void Text(float x, float y, const char* text) { Call("draw_text", {Real(x), Real(y), Str(text)}); }
};

TEST_F(TextTest, CarriageReturnLineFeedDrawsTwoLines) {
  Text(100, 50, "A\r\nB");
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 12u);
  Box a = QuadBox(v, 0), b = QuadBox(v, 1);
  EXPECT_EQ(a.left, 100);
  EXPECT_EQ(a.top, 50);
  EXPECT_EQ(a.right, 106);
  EXPECT_EQ(a.bottom, 60);
  // The second line starts a line height (10) lower, back at x; B's offset is 1.
  EXPECT_EQ(b.left, 101);
  EXPECT_EQ(b.top, 60);
  EXPECT_EQ(b.bottom, 70);
}

TEST_F(TextTest, NumberSignIsAGlyphNotABreak) {
  Text(100, 50, "A#B");
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 18u);
  EXPECT_EQ(QuadBox(v, 1).left, 107);  // after A's advance of 7
  EXPECT_EQ(QuadBox(v, 2).left, 114);  // after #'s 6, plus B's offset 1
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(QuadBox(v, i).top, 50);
  // '#' comes from its own place on the page: region (0, 32) + glyph (16, 0).
  EXPECT_FLOAT_EQ(v[6].u, 16.0f / 64);
  EXPECT_FLOAT_EQ(v[6].v, 32.0f / 64);
  EXPECT_FLOAT_EQ(v[8].u, 22.0f / 64);
  EXPECT_FLOAT_EQ(v[8].v, 42.0f / 64);
}

TEST_F(TextTest, BreakPairsCountOnceButRepeatedBreaksDoNot) {
  Text(0, 0, "A\n\rB");
  Text(200, 0, "A\r\rB");
  Text(400, 0, "A\n\nB");
  Text(600, 0, "A\rB");
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 48u);
  EXPECT_EQ(QuadBox(v, 1).top, 10);
  EXPECT_EQ(QuadBox(v, 3).top, 20);
  EXPECT_EQ(QuadBox(v, 5).top, 20);
  EXPECT_EQ(QuadBox(v, 7).top, 10);
}

TEST_F(TextTest, AlignmentMovesLinesByWidthAndBlockByHeight) {
  // "AB" is 7 + 8 = 15 wide; two lines are 20 high.
  Call("draw_set_halign", {Real(1)});
  Call("draw_set_valign", {Real(1)});
  Text(100, 50, "AB\nAB");
  Call("draw_set_halign", {Real(2)});
  Call("draw_set_valign", {Real(2)});
  Text(100, 50, "AB\nAB");
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 48u);
  EXPECT_EQ(QuadBox(v, 0).left, 93);  // 100 - trunc(15 / 2)
  EXPECT_EQ(QuadBox(v, 0).top, 40);   // 50 - trunc(10 * 2 / 2)
  EXPECT_EQ(QuadBox(v, 2).top, 50);
  EXPECT_EQ(QuadBox(v, 4).left, 85);  // 100 - 15
  EXPECT_EQ(QuadBox(v, 4).top, 30);   // 50 - 20
}

TEST_F(TextTest, MissingGlyphIsReplacedOrSkipped) {
  Text(100, 0, "AZB");  // no 'Z' and no U+25AF: skipped, no advance
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 12u);
  EXPECT_EQ(QuadBox(v, 1).left, 108);
  renderer.ResetCounts();
  Call("draw_set_font", {Real(FNT_REPLACEMENT)});
  Text(100, 0, "AZ");
  const auto& w = Drawn();
  ASSERT_EQ(w.size(), 12u);
  EXPECT_EQ(QuadBox(w, 1).left, 107);
  EXPECT_EQ(QuadBox(w, 1).bottom, 12);  // the replacement glyph is 12 high
}

TEST_F(TextTest, NumbersAreDrawnAsTheirText) {
  Call("draw_text", {Real(0), Real(0), Real(42)});
  Call("draw_set_font", {Real(-1)});
  Call("draw_text", {Real(0), Real(0), Real(42)});
  // The plain font has no digits; the default font has both.
  EXPECT_EQ(Drawn().size(), 12u);
}

TEST_F(TextTest, DefaultFontIsMadeOnFirstUseWithItsMargin) {
  Call("draw_set_font", {Real(-1)});
  size_t texturesBefore = renderer.textures.size();
  ASSERT_EQ(Graphics_State().defaultFont, nullptr);
  Text(10, 20, "A");
  ASSERT_EQ(renderer.textures.size(), texturesBefore + 1);
  EXPECT_EQ(renderer.textures.back().width, 256);
  EXPECT_EQ(renderer.textures.back().height, 128);
  const CFontQz* font = Graphics_State().defaultFont.get();
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(font->glyphs.size(), 105u);
  EXPECT_EQ(font->glyphs.front().character, 32);
  EXPECT_EQ(font->glyphs.back().character, 136);
  const GlyphRecord* a = font->FindGlyph('A');
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->shift, a->width);
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 6u);
  Box box = QuadBox(v, 0);
  EXPECT_FLOAT_EQ(box.left, 9.5f);
  EXPECT_FLOAT_EQ(box.top, 19.5f);
  EXPECT_FLOAT_EQ(box.right, 10.0f + a->width + 0.5f);
  EXPECT_FLOAT_EQ(box.bottom, 20.0f + a->height + 0.5f);
  EXPECT_FLOAT_EQ(v[0].u, (a->x - 0.5f) / 256);
  EXPECT_FLOAT_EQ(v[0].v, (a->y - 0.5f) / 128);
}

TEST_F(TextTest, DefaultFontBitmapHasADistinctInkedGlyphForEveryPrintable) {
  CFontQz font;
  std::vector<uint8_t> rgba;
  DefaultFont_Build(&font, &rgba);
  ASSERT_EQ(rgba.size(), 256u * 128u * 4u);
  std::set<std::string> seen;
  for (int code = 33; code <= 126; ++code) {
    const GlyphRecord* g = font.FindGlyph(static_cast<uint32_t>(code));
    ASSERT_NE(g, nullptr) << code;
    std::string bits;
    int ink = 0;
    // The glyph rectangle plus a texel around it: the margin must stay clear.
    for (int y = g->y - 1; y <= g->y + g->height; ++y)
      for (int x = g->x - 1; x <= g->x + g->width; ++x) {
        bool on = rgba[(static_cast<size_t>(y) * 256 + x) * 4 + 3] != 0;
        bool inside = x >= g->x && x < g->x + g->width && y >= g->y && y < g->y + g->height;
        if (on && !inside) ADD_FAILURE() << "glyph " << code << " inks outside its rectangle";
        ink += on;
        bits += on ? '#' : '.';
      }
    EXPECT_GT(ink, 0) << "glyph " << code << " is blank";
    EXPECT_TRUE(seen.insert(bits).second) << "glyph " << code << " looks like another";
  }
}

TEST_F(TextTest, ColourTextBlendsCornerColoursAlongTheLine) {
  // "AB" is 15 wide: A spans t = 0 to 7/15, B t = 7/15 to 1.
  Call("draw_text_colour",
       {Real(0), Real(0), Str("AB"), Real(0x0000FF), Real(0xFF0000), Real(0x00FF00), Real(0x000000), Real(0.5)});
  const auto& v = Drawn();
  ASSERT_EQ(v.size(), 12u);
  for (const Vertex& vertex : v) EXPECT_EQ(vertex.colour >> 24, 127u);
  EXPECT_EQ(v[0].colour & 0xFFFFFF, 0x0000FFu);  // A top-left: c1
  EXPECT_NEAR(Channel(v[1].colour, 0), 136, 1);  // A top-right: c1 -> c2 at 7/15
  EXPECT_NEAR(Channel(v[1].colour, 16), 119, 1);
  EXPECT_NEAR(Channel(v[2].colour, 8), 119, 1);  // A bottom-right: c4 -> c3 at 7/15
  EXPECT_EQ(v[4].colour & 0xFFFFFF, 0u);         // A bottom-left: c4
  EXPECT_EQ(v[7].colour & 0xFFFFFF, 0xFF0000u);  // B top-right: c2
  EXPECT_EQ(v[8].colour & 0xFFFFFF, 0x00FF00u);  // B bottom-right: c3
  // No margin; B sits at the pen plus its offset.
  EXPECT_EQ(QuadBox(v, 1).left, 8);
  EXPECT_EQ(QuadBox(v, 1).right, 14);
}

TEST_F(TextTest, PlainTextUsesTheCurrentColourAndAlpha) {
  Call("draw_set_colour", {Real(0x00FF00)});
  Call("draw_set_alpha", {Real(0.5)});
  Text(0, 0, "AB");
  for (const Vertex& vertex : Drawn()) EXPECT_EQ(vertex.colour, 0x7F00FF00u);
}

// SPDX-License-Identifier: Zlib
// The batcher: what goes out in one renderer call and what breaks a batch.
#include <cmath>

#include "GraphicsTestSupport.h"
#include "graphics/GraphicsDirect.h"

TEST_F(GraphicsTest, SixteenThousandThreeHundredEightyFourVerticesFitOneBatch) {
  ASSERT_NE(Batch_ReserveVertices(PRIM_TRIANGLE_LIST, 0, 16000), nullptr);
  ASSERT_NE(Batch_ReserveVertices(PRIM_TRIANGLE_LIST, 0, 384), nullptr);
  EXPECT_EQ(renderer.drawCalls, 0);
  // The 16385th breaks it: the full batch goes out, the new one starts.
  ASSERT_NE(Batch_ReserveVertices(PRIM_TRIANGLE_LIST, 0, 1), nullptr);
  ASSERT_EQ(renderer.drawCalls, 1);
  EXPECT_EQ(renderer.calls[0].count, 16384);
  Batch_Flush();
  ASSERT_EQ(renderer.drawCalls, 2);
  EXPECT_EQ(renderer.calls[1].count, 1);
  EXPECT_EQ(Batch_ReserveVertices(PRIM_TRIANGLE_LIST, 0, 16385), nullptr);
}

TEST_F(GraphicsTest, TextureChangeBreaksTheBatch) {
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1);
  Draw_SpriteExt(nullptr, SPR_SQUARE, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1);  // same page
  Draw_SpriteExt(nullptr, SPR_OTHER, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1);   // page 1
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1);
  Batch_Flush();
  ASSERT_EQ(renderer.drawCalls, 3);
  EXPECT_EQ(renderer.calls[0].count, 12);
  EXPECT_EQ(renderer.calls[1].texture, Graphics_State().pages[1].handle);
  EXPECT_EQ(renderer.calls[2].texture, Graphics_State().pages[0].handle);
}

TEST_F(GraphicsTest, DrawCallsAreTextureChangesPlusFullBatches) {
  // Three runs on alternating pages, the middle one longer than a batch.
  const int runs[3][2] = {{SPR_BAR, 100}, {SPR_OTHER, 3000}, {SPR_BAR, 50}};
  long vertices = 0;
  for (const auto& run : runs)
    for (int i = 0; i < run[1]; ++i) {
      Draw_SpriteExt(nullptr, run[0], 0, static_cast<float>(i % 1000), 100, 1, 1, 0, 0xFFFFFF, 1);
      vertices += 6;
    }
  Batch_Flush();
  const int textureChanges = 2;
  // The long run needs two batches (18000 vertices); the formula counts that
  // as ceil(all vertices / 16384) = 2 on top of the changes.
  EXPECT_EQ(renderer.drawCalls, textureChanges + static_cast<int>(std::ceil(vertices / 16384.0)));
  EXPECT_EQ(renderer.vertexCount, vertices);
}

TEST_F(GraphicsTest, BlendChangeBreaksTheBatchAndReachesTheRenderer) {
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1);
  Graphics_SetBlendMode(1);
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1);
  Graphics_SetBlendMode(1);  // no change: no break
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1);
  Batch_Flush();
  ASSERT_EQ(renderer.drawCalls, 2);
  EXPECT_EQ(renderer.calls[0].blend, Blend_FromMode(0));
  EXPECT_EQ(renderer.calls[1].blend, (BlendState{BLEND_FACTOR_SRC_ALPHA, BLEND_FACTOR_ONE}));
  EXPECT_EQ(renderer.calls[1].count, 12);
}

TEST_F(GraphicsTest, BlendModesSetTheirFactors) {
  EXPECT_EQ(Blend_FromMode(0), (BlendState{BLEND_FACTOR_SRC_ALPHA, BLEND_FACTOR_INV_SRC_ALPHA}));
  EXPECT_EQ(Blend_FromMode(2), (BlendState{BLEND_FACTOR_SRC_ALPHA, BLEND_FACTOR_INV_SRC_COLOUR}));
  EXPECT_EQ(Blend_FromMode(3), (BlendState{BLEND_FACTOR_ZERO, BLEND_FACTOR_INV_SRC_COLOUR}));
}

TEST_F(GraphicsTest, StripsAndFansAreNeverAppendedToAndFansGoOutAsLists) {
  Vertex* fan = Batch_ReserveVertices(PRIM_TRIANGLE_FAN, TEXTURE_NONE, 5);
  ASSERT_NE(fan, nullptr);
  for (int i = 0; i < 5; ++i) fan[i] = {0, 0, 0xFFFFFFFFu, static_cast<float>(i), 0, 0};
  ASSERT_NE(Batch_ReserveVertices(PRIM_TRIANGLE_FAN, TEXTURE_NONE, 3), nullptr);
  ASSERT_EQ(renderer.drawCalls, 1);
  EXPECT_EQ(renderer.calls[0].kind, PRIM_TRIANGLE_LIST);
  ASSERT_EQ(renderer.calls[0].count, 9);
  const float expected[9] = {0, 1, 2, 0, 2, 3, 0, 3, 4};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(renderer.vertices[static_cast<size_t>(i)].x, expected[i]) << i;
  ASSERT_NE(Batch_ReserveVertices(PRIM_TRIANGLE_STRIP, TEXTURE_NONE, 4), nullptr);
  ASSERT_NE(Batch_ReserveVertices(PRIM_TRIANGLE_STRIP, TEXTURE_NONE, 4), nullptr);
  Batch_Flush();
  ASSERT_EQ(renderer.drawCalls, 4);
  EXPECT_EQ(renderer.calls[2].kind, PRIM_TRIANGLE_STRIP);
  EXPECT_EQ(renderer.calls[2].count, 4);
}

TEST_F(GraphicsTest, UnknownVertexFormatIsReportedWithStrideOne) {
  VertexLayout layout = VertexFormat_Lookup(0x1000005);
  EXPECT_EQ(layout.stride, 1);
  EXPECT_NE(debugLog.Text().find("Invalid vertex format: 0x1000005\n"), std::string::npos);
  VertexLayout wide;
  wide.stride = 32;
  uint32_t id = VertexFormat_Define(wide);
  EXPECT_NE(id & VERTEX_FORMAT_USER_BIT, 0u);
  EXPECT_EQ(VertexFormat_Lookup(id).stride, 32);
  // A format change breaks the batch too.
  ASSERT_NE(Batch_ReserveVertices(PRIM_TRIANGLE_LIST, 0, 3), nullptr);
  ASSERT_NE(Batch_Reserve(PRIM_TRIANGLE_LIST, 0, id, 3), nullptr);
  Batch_Flush();
  ASSERT_EQ(renderer.drawCalls, 2);
  EXPECT_EQ(renderer.calls[1].format, id);
}

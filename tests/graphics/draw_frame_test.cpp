// SPDX-License-Identifier: Zlib
// The frame's draw pass: event order, depth order, default drawing of
// instances without a Draw event, background layers and the clear.
#include <cstring>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "graphics/GraphicsDirect.h"
#include "object/EventDispatch.h"
#include "object/Instance.h"

namespace {

std::vector<std::pair<int, int>> g_events;  // (draw subtype, instance id)

void RecordDrawEvent(CInstance* self, CInstance*) {
  int subtype = Event_Context().subtype;
  g_events.push_back({subtype, self->id});
  if (subtype == 0) Draw_Sprite(self, SPR_OTHER, 0, self->x, self->y);
}

constexpr int DRAW_SUBTYPES[] = {0, 64, 72, 73, 74, 75, 76, 77};

}  // namespace

class DrawFrameTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    g_events.clear();
    AddObject(0, "obj_plain", -100)->spriteIndex = SPR_BAR;
    CObjectType* drawer = AddObject(1, "obj_drawer", -100);
    for (int subtype : DRAW_SUBTYPES) {
      drawer->AddEvent(ev_draw, subtype, 0);
      drawer->FindOwnEvent(ev_draw, subtype)->code = RecordDrawEvent;
    }
    AddObject(2, "obj_child", 1);
    Object_LinkParents();
    room.width = 320;
    room.height = 240;
    room.colour = 0x112233;
    room.drawColour = true;
  }

  static CObjectType* AddObject(int index, const char* name, int parent) {
    auto* object = new CObjectType;
    object->index = index;
    object->name = name;
    object->parentIndex = parent;
    object->flags = OBJECT_FLAG_VISIBLE;
    Object_Add(object);
    return object;
  }

  // The x of the quads drawn, in drawing order.
  std::vector<float> DrawnX() {
    std::vector<float> xs;
    const auto& v = renderer.vertices;
    for (size_t i = 0; i + 5 < v.size(); i += 6) xs.push_back(v[i].x);
    return xs;
  }

  RoomRecord room;
};

TEST_F(DrawFrameTest, InstancesAreDrawnFromTheGreatestDepthAndEventsInFrameOrder) {
  CInstance* back = Instance_CreateWithId(100001, 0, 10, 10, 5);
  CInstance* first = Instance_CreateWithId(100002, 1, 20, 10, 0);
  CInstance* front = Instance_CreateWithId(100003, 0, 30, 10, -5);
  CInstance* later = Instance_CreateWithId(100004, 2, 40, 10, 0);  // inherits the Draw event
  ASSERT_TRUE(back && first && front && later);
  Graphics_DrawFrame(&room);

  // Among equal depths the instance filed later is drawn first.
  EXPECT_EQ(DrawnX(), (std::vector<float>{10, 40, 20, 30}));
  std::vector<std::pair<int, int>> expected;
  for (int subtype : {76, 72, 0, 73, 77, 74, 64, 75})
    for (int id : {100004, 100002}) expected.push_back({subtype, id});
  EXPECT_EQ(g_events, expected);
  EXPECT_EQ(renderer.clears, 1);
  EXPECT_EQ(renderer.lastClearColour, 0xFF112233u);
  EXPECT_EQ(renderer.lastView.width, 320);
  // Everything was handed over by the end of the frame: two pages, three runs.
  EXPECT_EQ(renderer.drawCalls, 3);
}

TEST_F(DrawFrameTest, DefaultDrawingUsesTheInstancesOwnSpriteState) {
  CInstance* a = Instance_CreateWithId(100001, 0, 50, 60, 0);
  a->imageXScale = 2;
  a->imageYScale = -1;
  a->imageAngle = 90;
  a->imageBlend = 0x00FF00;
  a->imageAlpha = 0.5f;
  a->imageIndex = 3.9f;  // one frame: wraps to 0
  Graphics_DrawFrame(&room);
  Graphics_Shutdown();  // compare against a direct draw of the same quad
  CountingRenderer reference(true);
  Graphics_Init(&reference);
  Graphics_BuildResources(data);
  Draw_SpriteExt(nullptr, SPR_BAR, 0, 50, 60, 2, -1, 90, 0x00FF00, 0.5f);
  Batch_Flush();
  ASSERT_EQ(renderer.vertices.size(), 6u);
  ASSERT_EQ(reference.vertices.size(), 6u);
  for (size_t i = 0; i < 6; ++i)
    EXPECT_EQ(0, std::memcmp(&renderer.vertices[i], &reference.vertices[i], sizeof(Vertex))) << i;
  EXPECT_EQ(renderer.vertices[0].colour, 0x7F00FF00u);
}

TEST_F(DrawFrameTest, InvisibleZeroScaleAndSpritelessInstancesAreNotDrawn) {
  Instance_CreateWithId(100001, 0, 10, 10, 0)->visible = false;
  Instance_CreateWithId(100002, 0, 20, 10, 0)->imageXScale = 0;
  Instance_CreateWithId(100003, 0, 30, 10, 0)->spriteIndex = -1;
  Instance_CreateWithId(100004, 0, 40, 10, 0)->spriteIndex = SPR_MISSING;
  Instance_CreateWithId(100005, 0, 50, 10, 0);
  Graphics_DrawFrame(&room);
  EXPECT_EQ(DrawnX(), (std::vector<float>{50}));
  EXPECT_FALSE(TakeError());
}

TEST_F(DrawFrameTest, BackgroundLayerIsDrawnAtItsDepth) {
  RoomLayer background;
  background.type = 1;
  background.depth = 250;
  background.bgVisible = true;
  background.bgColour = 0xFF332211;
  RoomLayer instances;
  instances.type = 2;
  instances.depth = 0;
  room.layers = {instances, background};
  Instance_CreateWithId(100001, 0, 10, 10, 0);
  Instance_CreateWithId(100002, 0, 20, 10, 300);  // behind the background
  Graphics_DrawFrame(&room);
  ASSERT_EQ(renderer.vertices.size(), 18u);
  EXPECT_EQ(renderer.vertices[0].x, 20);
  // The fill covers the room in the layer's colour, untextured.
  EXPECT_EQ(renderer.vertices[6].colour, 0xFF332211u);
  EXPECT_EQ(renderer.vertices[8].x, 320);
  EXPECT_EQ(renderer.vertices[8].y, 240);
  EXPECT_EQ(renderer.calls[1].texture, TEXTURE_NONE);
  EXPECT_EQ(renderer.vertices[12].x, 10);
}

// In a room with layers, instances of equal depth are drawn in the order they
// were filed, so a control placed after its panel lies over it; greater
// depths still come first, also fractional ones inside one layer.
TEST_F(DrawFrameTest, LayeredRoomDrawsEqualDepthsInFilingOrder) {
  RoomLayer instances;
  instances.type = 2;
  instances.depth = 0;
  room.layers = {instances};
  Instance_CreateWithId(100001, 0, 10, 10, 0);     // a panel
  Instance_CreateWithId(100002, 0, 20, 10, 0);     // a control on it
  Instance_CreateWithId(100003, 0, 30, 10, 0.5);   // further back in the same layer
  Instance_CreateWithId(100004, 0, 40, 10, -0.5);  // further front in the same layer
  Instance_CreateWithId(100005, 0, 50, 10, 0);
  Graphics_DrawFrame(&room);
  EXPECT_EQ(DrawnX(), (std::vector<float>{30, 10, 20, 50, 40}));
}

TEST_F(DrawFrameTest, OpaqueBackgroundFillUnderEverythingBecomesAClear) {
  RoomLayer background;
  background.type = 1;
  background.depth = 250;
  background.bgVisible = true;
  background.bgColour = 0xFF332211;
  RoomLayer instances;
  instances.type = 2;
  room.layers = {instances, background};
  Instance_CreateWithId(100001, 0, 10, 10, 0);
  Graphics_DrawFrame(&room);
  // Nothing was drawn before the fill: the room is cleared to its colour.
  EXPECT_EQ(renderer.clears, 2);
  EXPECT_EQ(renderer.lastClearColour, 0xFF332211u);
  EXPECT_EQ(DrawnX(), (std::vector<float>{10}));

  // Not with a blend mode other than the normal one, nor with a fill that
  // lets the room's colour through: those are drawn.
  for (auto [mode, colour] : {std::pair<int, uint32_t>{1, 0xFF332211u}, std::pair<int, uint32_t>{0, 0x80332211u}}) {
    room.layers[1].bgColour = colour;
    renderer.ResetCounts();
    renderer.vertices.clear();
    Graphics_SetBlendMode(mode);
    Graphics_DrawFrame(&room);
    Graphics_SetBlendMode(0);
    EXPECT_EQ(renderer.clears, 1) << mode;
    ASSERT_EQ(renderer.vertices.size(), 12u) << mode;
    EXPECT_EQ(renderer.vertices[0].colour, colour) << mode;
  }
}

TEST_F(DrawFrameTest, RoomThatDoesNotDrawItsColourIsNotCleared) {
  room.drawColour = false;
  Graphics_DrawFrame(&room);
  EXPECT_EQ(renderer.clears, 0);
  Graphics_Present();
  EXPECT_EQ(renderer.presents, 1);
}

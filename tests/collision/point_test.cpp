// SPDX-License-Identifier: Zlib
// Instance boxes and point tests: box edges (inclusive right and bottom,
// scales, flips, rotation), precise masks chosen by image_index, mask_index,
// the overlap of two instances (boxes, then the masks of precise sprites)
// and position_meeting over the targets. Sprite records are built in memory
// with their masks as bit rows, the way the game data file stores them, and
// handed to the collision module through its sprite source.
#include <memory>
#include <string>
#include <vector>

#include "RuntimeFixture.h"
#include "collision/Collision.h"
#include "data/GameData.h"

namespace {

struct TestSprite {
  SpriteRecord record;
  std::vector<uint8_t> maskBits;
};
std::vector<std::unique_ptr<TestSprite>> g_sprites;

const SpriteRecord* TestSpriteSource(int index) {
  if (index < 0 || static_cast<size_t>(index) >= g_sprites.size()) return nullptr;
  return &g_sprites[index]->record;
}

// A mask drawn as rows of '#' (solid) and '.'.
using MaskPicture = std::vector<std::string>;

struct SpriteDesc {
  int width = 32, height = 16;
  int originX = 0, originY = 0;
  int left = 0, top = 0, right = -1, bottom = -1;  // -1: the frame's last column or row
  bool precise = false;
  int frames = 1;
  std::vector<MaskPicture> masks;
};

// Packs masks as the data file does: rows of (width + 7) / 8 bytes, the
// leftmost pixel in the most significant bit, each mask padded to 4 bytes.
int AddSprite(const SpriteDesc& desc) {
  auto sprite = std::make_unique<TestSprite>();
  SpriteRecord& r = sprite->record;
  r.name = "spr_test";
  r.width = desc.width;
  r.height = desc.height;
  r.bboxLeft = desc.left;
  r.bboxTop = desc.top;
  r.bboxRight = desc.right >= 0 ? desc.right : desc.width - 1;
  r.bboxBottom = desc.bottom >= 0 ? desc.bottom : desc.height - 1;
  r.originX = desc.originX;
  r.originY = desc.originY;
  r.separateMasks = desc.precise;
  r.frameCount = desc.frames;
  size_t rowBytes = (desc.width + 7) / 8;
  size_t maskBytes = (rowBytes * desc.height + 3) / 4 * 4;
  sprite->maskBits.assign(maskBytes * desc.masks.size(), 0);
  for (size_t m = 0; m < desc.masks.size(); ++m)
    for (int v = 0; v < desc.height; ++v)
      for (int u = 0; u < desc.width; ++u)
        if (desc.masks[m].at(v).at(u) == '#')
          sprite->maskBits[m * maskBytes + v * rowBytes + u / 8] |= static_cast<uint8_t>(0x80 >> (u % 8));
  r.maskCount = static_cast<int>(desc.masks.size());
  r.masks = desc.masks.empty() ? nullptr : sprite->maskBits.data();
  g_sprites.push_back(std::move(sprite));
  return static_cast<int>(g_sprites.size()) - 1;
}

MaskPicture Picture(int width, int height, char fill = '.') {
  return MaskPicture(height, std::string(width, fill));
}

// An instance's box: left, top, right, bottom, all inclusive.
struct Box {
  int left, top, right, bottom;
  bool operator==(const Box&) const = default;
};
void PrintTo(const Box& b, std::ostream* os) {
  *os << "{" << b.left << ", " << b.top << ", " << b.right << ", " << b.bottom << "}";
}

class CollisionTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    Collision_RegisterBuiltins();
    Collision_RegisterBuiltinVariables();
    g_sprites.clear();
    Collision_SetSpriteSource(TestSpriteSource);
    AddObject(0, "obj_A");
    AddObject(1, "obj_B");
    AddObject(2, "obj_C", 0);  // derives from obj_A
  }
  void TearDown() override {
    Collision_SetSpriteSource(nullptr);
    g_sprites.clear();
    RuntimeTest::TearDown();
  }

  // Built-in variables are written the way event code writes them, so the
  // setters' stale flag is part of what is tested.
  static void Set(CInstance* instance, const char* variable, double value) {
    DynValue cell = DynValue_MakeReal(value);
    ASSERT_TRUE(Variable_SetValue(instance, Variable_Find(variable), ARRAY_INDEX_NONE, &cell)) << variable;
  }

  static CInstance* Place(int object, int sprite, float x, float y) {
    CInstance* instance = Instance_Create(object, x, y, 0);
    Set(instance, "sprite_index", sprite);
    return instance;
  }

  static Box BoxOf(CInstance* instance) {
    Collision_UpdateBox(instance);
    return {instance->boxLeft, instance->boxTop, instance->boxRight, instance->boxBottom};
  }

  static bool Hit(CInstance* instance, double x, double y) { return Collision_PointTest(instance, x, y, true); }

  bool PositionMeeting(CInstance* self, CInstance* other, double x, double y, int target) {
    DynValue args[3] = {DynValue_MakeReal(x), DynValue_MakeReal(y), DynValue_MakeReal(target)};
    DynValue* pointers[3] = {&args[0], &args[1], &args[2]};
    Cell result;
    Function_CallById(self, other, &result.v, 3, Function_Find("position_meeting"), pointers);
    bool direct = Collision_PositionMeeting(self, other, x, y, target);
    EXPECT_EQ(DynValue_ToBool(&result.v), direct) << "built-in and direct entry disagree";
    return direct;
  }
};

// ---- Axis-aligned boxes ----

TEST_F(CollisionTest, BoxIncludesItsRightAndBottomEdges) {
  CInstance* a = Place(0, AddSprite({}), 100, 50);
  EXPECT_EQ(BoxOf(a), (Box{100, 50, 131, 65}));
  EXPECT_TRUE(Hit(a, 131, 65));
  EXPECT_TRUE(Hit(a, 131.99, 65.99));
  EXPECT_TRUE(Hit(a, 100, 50));
  EXPECT_FALSE(Hit(a, 132, 60));
  EXPECT_FALSE(Hit(a, 110, 66));
  EXPECT_FALSE(Hit(a, 99.999, 60));
  EXPECT_FALSE(Hit(a, 110, 49.5));
}

TEST_F(CollisionTest, BoxComesFromTheSpritesOwnBoxAroundItsOrigin) {
  SpriteDesc desc;
  desc.width = 32, desc.height = 32, desc.originX = 16, desc.originY = 16;
  desc.left = 4, desc.right = 27, desc.top = 8, desc.bottom = 23;
  CInstance* a = Place(0, AddSprite(desc), 100, 100);
  EXPECT_EQ(BoxOf(a), (Box{88, 92, 111, 107}));
}

TEST_F(CollisionTest, PointOnColumnLeftPlusWidthTimesScaleIsOutside) {
  SpriteDesc desc;
  desc.width = 10, desc.height = 10;
  CInstance* a = Place(0, AddSprite(desc), 10, 10);
  Set(a, "image_xscale", 1.5);
  Set(a, "image_yscale", 2.5);
  EXPECT_EQ(BoxOf(a), (Box{10, 10, 24, 34}));
  EXPECT_TRUE(Hit(a, 24.9, 12));
  EXPECT_FALSE(Hit(a, 25, 12));  // 10 + 10 * 1.5
  EXPECT_FALSE(Hit(a, 12, 35));  // 10 + 10 * 2.5
}

TEST_F(CollisionTest, NegativeScalesFlipTheBoxOverTheOrigin) {
  CInstance* a = Place(0, AddSprite({}), 100, 50);
  Set(a, "image_xscale", -1);
  Set(a, "image_yscale", -2);
  EXPECT_EQ(BoxOf(a), (Box{68, 18, 99, 49}));
  EXPECT_TRUE(Hit(a, 68, 18));
  EXPECT_FALSE(Hit(a, 100, 30));
}


// ---- Rotated boxes ----

TEST_F(CollisionTest, NinetyDegreesTurnsTheBoxUpwards) {
  CInstance* a = Place(0, AddSprite({}), 100, 100);  // 32 wide, 16 high
  Set(a, "image_angle", 90);
  // The 32 columns now run up the screen, the 16 rows to the right. The
  // cosine of the angle is not quite 0; in single precision it vanishes
  // against the position, so the left edge stays at 100.
  EXPECT_EQ(BoxOf(a), (Box{100, 68, 115, 99}));
}

TEST_F(CollisionTest, FortyFiveDegreesGrowsTheBoxAroundACentredOrigin) {
  SpriteDesc desc;
  desc.width = 10, desc.height = 10, desc.originX = 5, desc.originY = 5;
  CInstance* a = Place(0, AddSprite(desc), 50, 50);
  Set(a, "image_angle", 45);
  EXPECT_EQ(BoxOf(a), (Box{42, 42, 56, 56}));  // half-diagonal 7.07 each way
}

TEST_F(CollisionTest, OneEightyDegreesMatchesBothScalesNegated) {
  SpriteDesc desc;
  desc.width = 20, desc.height = 12, desc.originX = 3, desc.originY = 2;
  int sprite = AddSprite(desc);
  CInstance* turned = Place(0, sprite, 40, 60);
  Set(turned, "image_angle", 180);
  CInstance* flipped = Place(0, sprite, 40, 60);
  Set(flipped, "image_xscale", -1);
  Set(flipped, "image_yscale", -1);
  EXPECT_EQ(BoxOf(turned), BoxOf(flipped));
}

// ---- The stale flag ----

TEST_F(CollisionTest, ChangingPositionSpriteOrScaleMovesTheBox) {
  int wide = AddSprite({});
  SpriteDesc tallDesc;
  tallDesc.width = 8, tallDesc.height = 64;
  int tall = AddSprite(tallDesc);
  CInstance* a = Place(0, wide, 100, 50);
  EXPECT_TRUE(Hit(a, 105, 55));
  Set(a, "x", 300);
  EXPECT_FALSE(Hit(a, 105, 55));
  EXPECT_TRUE(Hit(a, 305, 55));
  Set(a, "sprite_index", tall);
  EXPECT_FALSE(Hit(a, 320, 55));
  EXPECT_TRUE(Hit(a, 300, 110));
  Set(a, "image_yscale", 0.5);
  EXPECT_FALSE(Hit(a, 300, 90));
}

// ---- Instances with nothing to collide with ----

TEST_F(CollisionTest, InstanceWithoutSpriteIsASinglePointThatNeverHits) {
  CInstance* a = Place(0, -1, 7.9f, -3.5f);
  EXPECT_EQ(BoxOf(a), (Box{7, -3, 7, -3}));
  EXPECT_FALSE(Hit(a, 7, -3));
  EXPECT_FALSE(a->precise);
}

TEST_F(CollisionTest, SpriteWithoutFramesNeverHits) {
  SpriteDesc desc;
  desc.frames = 0;
  CInstance* a = Place(0, AddSprite(desc), 0, 0);
  EXPECT_EQ(BoxOf(a), (Box{0, 0, 31, 15}));
  EXPECT_FALSE(Hit(a, 5, 5));
}

// ---- Precise masks ----

SpriteDesc LeftAndRightHalves(bool precise, int frames) {
  SpriteDesc desc;
  desc.width = 4, desc.height = 4, desc.precise = precise, desc.frames = frames;
  desc.masks = {MaskPicture(4, "##.."), MaskPicture(4, "..##")};
  return desc;
}

TEST_F(CollisionTest, SpriteWithoutPreciseCollisionHitsOnTransparentPixels) {
  CInstance* a = Place(0, AddSprite(LeftAndRightHalves(false, 2)), 0, 0);
  EXPECT_TRUE(Hit(a, 3, 0));
  EXPECT_TRUE(Hit(a, 0, 3));
}

TEST_F(CollisionTest, MaskPerFrameFollowsImageIndex) {
  CInstance* a = Place(0, AddSprite(LeftAndRightHalves(true, 2)), 0, 0);
  EXPECT_TRUE(Hit(a, 0, 0));
  EXPECT_FALSE(Hit(a, 3, 0));
  a->imageIndex = 1.7f;  // frame 1
  EXPECT_FALSE(Hit(a, 0, 0));
  EXPECT_TRUE(Hit(a, 3, 0));
  a->imageIndex = 2;  // wraps to frame 0
  EXPECT_TRUE(Hit(a, 1, 2));
  EXPECT_FALSE(Hit(a, 2, 2));
  a->imageIndex = -1;  // made non-negative: frame 1
  EXPECT_TRUE(Hit(a, 2, 2));
  EXPECT_FALSE(Hit(a, 1, 2));
}

TEST_F(CollisionTest, OneMaskServesEveryFrame) {
  SpriteDesc desc = LeftAndRightHalves(true, 3);
  desc.masks.pop_back();
  CInstance* a = Place(0, AddSprite(desc), 0, 0);
  for (float frame : {0.0f, 1.0f, 2.0f, 5.5f}) {
    a->imageIndex = frame;
    EXPECT_TRUE(Hit(a, 0, 1)) << frame;
    EXPECT_FALSE(Hit(a, 3, 1)) << frame;
  }
}

TEST_F(CollisionTest, PreciseSpriteWithoutMasksHitsAnywhereInItsBox) {
  SpriteDesc desc = LeftAndRightHalves(true, 2);
  desc.masks.clear();
  CInstance* a = Place(0, AddSprite(desc), 0, 0);
  EXPECT_TRUE(Hit(a, 3, 0));
  EXPECT_FALSE(Hit(a, 4, 0));
}

TEST_F(CollisionTest, MaskBitsAreReadLeftmostPixelInTheHighBit) {
  SpriteDesc desc;
  desc.width = 10, desc.height = 3, desc.precise = true;
  desc.masks = {{"#.........", "..........", "........#."}};
  CInstance* a = Place(0, AddSprite(desc), 0, 0);
  EXPECT_TRUE(Hit(a, 0, 0));
  EXPECT_FALSE(Hit(a, 7, 0));
  EXPECT_TRUE(Hit(a, 8, 2));
  EXPECT_FALSE(Hit(a, 9, 2));
  EXPECT_FALSE(Hit(a, 1, 2));
}


TEST_F(CollisionTest, HalfScaleLooksUpTheMaskAtDoubleDistance) {
  SpriteDesc desc;
  desc.width = 8, desc.height = 8, desc.precise = true;
  desc.masks = {MaskPicture(8, "......#.")};
  CInstance* a = Place(0, AddSprite(desc), 0, 0);
  Set(a, "image_xscale", 0.5);
  EXPECT_EQ(BoxOf(a), (Box{0, 0, 3, 7}));
  EXPECT_TRUE(Hit(a, 3, 1));   // column 6 of the mask
  EXPECT_FALSE(Hit(a, 2, 1));  // column 4
  EXPECT_FALSE(Hit(a, 6, 1));  // the full-size column 6 is outside the half-size box
  // The box follows the instance's own scale, not the size it is drawn at.
  Set(a, "image_xscale", 1);
  EXPECT_TRUE(Hit(a, 6, 1));
  EXPECT_FALSE(Hit(a, 3, 1));
}

TEST_F(CollisionTest, RotatedPointIsTurnedBackIntoTheFrame) {
  SpriteDesc desc;
  desc.width = 8, desc.height = 4, desc.precise = true;
  MaskPicture mask = Picture(8, 4);
  mask[1][6] = '#';
  desc.masks = {mask};
  CInstance* a = Place(0, AddSprite(desc), 100, 100);
  Set(a, "image_angle", 90);
  EXPECT_EQ(BoxOf(a), (Box{100, 92, 103, 99}));
  // Screen offset (1, -6) turns back to column 6, row 1.
  EXPECT_TRUE(Hit(a, 101, 94));
  EXPECT_TRUE(Hit(a, 101.9, 94.9));
  EXPECT_FALSE(Hit(a, 101, 93));  // column 7
  EXPECT_FALSE(Hit(a, 100, 94));  // row 0
  EXPECT_FALSE(Hit(a, 102, 94));  // row 2
}

TEST_F(CollisionTest, MasksAreUnpackedOnceUntilCleared) {
  int sprite = AddSprite(LeftAndRightHalves(true, 1));
  CInstance* a = Place(0, sprite, 0, 0);
  EXPECT_TRUE(Hit(a, 0, 0));
  // Reloaded data with other pixels: the unpacked masks stand until cleared.
  std::fill(g_sprites[sprite]->maskBits.begin(), g_sprites[sprite]->maskBits.end(), 0);
  EXPECT_TRUE(Hit(a, 0, 0));
  Collision_ClearMasks();
  EXPECT_FALSE(Hit(a, 0, 0));
}

// ---- mask_index ----

TEST_F(CollisionTest, MaskIndexOfAnotherSpriteGivesItsBoxAndMasks) {
  SpriteDesc bigDesc;
  bigDesc.width = 64, bigDesc.height = 64;
  int big = AddSprite(bigDesc);
  SpriteDesc smallDesc;
  smallDesc.width = 8, smallDesc.height = 8, smallDesc.precise = true;
  MaskPicture corner = Picture(8, 8);
  corner[0] = corner[1] = "##......";
  smallDesc.masks = {corner};
  int small = AddSprite(smallDesc);

  CInstance* a = Place(0, big, 100, 100);
  EXPECT_TRUE(Hit(a, 150, 150));
  Set(a, "mask_index", small);
  EXPECT_EQ(a->spriteIndex, big);  // still drawn with its own sprite
  EXPECT_EQ(BoxOf(a), (Box{100, 100, 107, 107}));
  EXPECT_TRUE(a->precise);
  EXPECT_FALSE(Hit(a, 150, 150));
  EXPECT_TRUE(Hit(a, 101, 101));
  EXPECT_FALSE(Hit(a, 103, 103));
  Set(a, "mask_index", -1);
  EXPECT_TRUE(Hit(a, 150, 150));
  EXPECT_FALSE(a->precise);
}


TEST_F(CollisionTest, BoxVariablesReadTheCurrentBox) {
  CInstance* a = Place(0, AddSprite({}), 10, 20);
  Set(a, "x", 40);
  Cell right;
  ASSERT_TRUE(Variable_GetValue(a, Variable_Find("bbox_right"), ARRAY_INDEX_NONE, &right.v));
  EXPECT_EQ(DynValue_ToReal(&right.v), 71);
}

// ---- Overlap of two instances ----

class OverlapTest : public CollisionTest {
 protected:
  // The test asked both ways round, which must agree.
  static bool Overlap(CInstance* a, CInstance* b) {
    bool forward = Collision_InstancesOverlap(a, b);
    EXPECT_EQ(Collision_InstancesOverlap(b, a), forward) << "the overlap depends on the order asked";
    return forward;
  }
  static SpriteDesc Plain(int width, int height) {
    SpriteDesc desc;
    desc.width = width, desc.height = height;
    return desc;
  }
};

TEST_F(OverlapTest, BoxesThatOnlyAbutDoNotOverlap) {
  int sprite = AddSprite({});  // 32 x 16
  CInstance* a = Place(0, sprite, 0, 0);
  CInstance* right = Place(1, sprite, 32, 0);
  CInstance* below = Place(1, sprite, 0, 16);
  CInstance* far = Place(1, sprite, 500, 300);
  EXPECT_FALSE(Overlap(a, right));
  EXPECT_FALSE(Overlap(a, below));
  EXPECT_FALSE(Overlap(a, far));
}

TEST_F(OverlapTest, SharingTheInclusiveEdgePixelOverlaps) {
  int sprite = AddSprite({});  // box of an instance at (0, 0): 0..31, 0..15
  CInstance* a = Place(0, sprite, 0, 0);
  EXPECT_TRUE(Overlap(a, Place(1, sprite, 31, 15)));   // corner pixel (31, 15)
  EXPECT_TRUE(Overlap(a, Place(1, sprite, -31, -15)));  // corner pixel (0, 0)
  EXPECT_TRUE(Overlap(a, Place(1, sprite, 31.9f, 0)));  // its box still starts at column 31
  EXPECT_TRUE(Overlap(a, Place(1, sprite, 10, 5)));
}

TEST_F(OverlapTest, InstanceWithoutSpriteOrFramesOverlapsNothing) {
  CInstance* a = Place(0, AddSprite({}), 0, 0);
  EXPECT_FALSE(Overlap(a, Place(1, -1, 10, 5)));  // a single point inside a's box
  SpriteDesc frameless;
  frameless.frames = 0;
  EXPECT_FALSE(Overlap(a, Place(1, AddSprite(frameless), 10, 5)));
  EXPECT_FALSE(Overlap(Place(1, -1, 10, 5), Place(1, -1, 10, 5)));
}

TEST_F(OverlapTest, PreciseMasksMustShareAPixel) {
  int halves = AddSprite(LeftAndRightHalves(true, 2));  // frame 0: columns 0-1, frame 1: columns 2-3
  CInstance* left = Place(0, halves, 0, 0);
  CInstance* right = Place(1, halves, 0, 0);
  right->imageIndex = 1;
  EXPECT_FALSE(Overlap(left, right));  // the same box, no common pixel
  Set(right, "x", -1);                 // now covers columns 1-2
  EXPECT_TRUE(Overlap(left, right));
  Set(right, "y", 3);  // only the bottom row of the boxes is shared
  EXPECT_TRUE(Overlap(left, right));
  Set(right, "y", 4);
  EXPECT_FALSE(Overlap(left, right));
}

TEST_F(OverlapTest, PreciseAgainstBoxOnlyUsesTheOneMask) {
  CInstance* precise = Place(0, AddSprite(LeftAndRightHalves(true, 1)), 0, 0);  // columns 0-1 solid
  int bar = AddSprite(Plain(2, 4));
  CInstance* onEmpty = Place(1, bar, 2, 0);  // columns 2-3: inside the box, off the mask
  EXPECT_FALSE(Overlap(precise, onEmpty));
  Set(onEmpty, "x", 1);
  EXPECT_TRUE(Overlap(precise, onEmpty));
  // Not precise: the whole box counts, transparent pixels included.
  CInstance* boxOnly = Place(0, AddSprite(LeftAndRightHalves(false, 1)), 0, 0);
  EXPECT_TRUE(Overlap(boxOnly, Place(1, bar, 2, 0)));
}

TEST_F(OverlapTest, RotatedPreciseInstanceIsTestedThroughItsTurnedMask) {
  SpriteDesc desc;
  desc.width = 8, desc.height = 4, desc.precise = true;
  MaskPicture mask = Picture(8, 4);
  mask[1][6] = '#';
  desc.masks = {mask};
  CInstance* turned = Place(0, AddSprite(desc), 100, 100);
  Set(turned, "image_angle", 90);  // box 100..103, 92..99; the solid pixel lands on (101, 94)
  int dot = AddSprite(Plain(1, 1));
  EXPECT_TRUE(Overlap(turned, Place(1, dot, 101, 94)));
  EXPECT_FALSE(Overlap(turned, Place(1, dot, 101, 93)));
  EXPECT_FALSE(Overlap(turned, Place(1, dot, 102, 94)));
  EXPECT_FALSE(Overlap(turned, Place(1, dot, 104, 94)));  // outside the box
  // Unturned, the same pixel sits at (106, 101).
  Set(turned, "image_angle", 0);
  EXPECT_TRUE(Overlap(turned, Place(1, dot, 106, 101)));
  EXPECT_FALSE(Overlap(turned, Place(1, dot, 101, 94)));
}

TEST_F(OverlapTest, RotatedBoxOnlyInstanceOverlapsInItsGrownBox) {
  SpriteDesc desc = Plain(10, 10);
  desc.originX = 5, desc.originY = 5;
  CInstance* turned = Place(0, AddSprite(desc), 50, 50);
  Set(turned, "image_angle", 45);  // box 42..56: its corners are outside the turned square
  int dot = AddSprite(Plain(1, 1));
  EXPECT_TRUE(Overlap(turned, Place(1, dot, 42, 42)));
  EXPECT_TRUE(Overlap(turned, Place(1, dot, 56, 56)));
  EXPECT_FALSE(Overlap(turned, Place(1, dot, 57, 50)));
}

TEST_F(OverlapTest, MovedInstanceIsTestedWithItsNewBox) {
  int sprite = AddSprite({});
  CInstance* a = Place(0, sprite, 0, 0);
  CInstance* b = Place(1, sprite, 100, 0);
  EXPECT_FALSE(Overlap(a, b));
  a->x = 80;  // as the motion does: the position changes and the box goes stale
  a->boxStale = true;
  EXPECT_TRUE(Overlap(a, b));
}

// ---- position_meeting ----

class PositionMeetingTest : public CollisionTest {
 protected:
  void SetUp() override {
    CollisionTest::SetUp();
    SpriteDesc square;
    square.width = 32, square.height = 32;
    int sprite = AddSprite(square);
    a = Place(0, sprite, 0, 0);
    b = Place(1, sprite, 100, 0);
    c = Place(2, sprite, 200, 0);
  }
  CInstance *a = nullptr, *b = nullptr, *c = nullptr;
};

TEST_F(PositionMeetingTest, ObjectTargetCoversItsOwnAndDerivedInstances) {
  EXPECT_TRUE(PositionMeeting(nullptr, nullptr, 10, 10, 0));
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, 110, 10, 0));
  EXPECT_TRUE(PositionMeeting(nullptr, nullptr, 210, 10, 0));  // obj_C derives from obj_A
  EXPECT_TRUE(PositionMeeting(nullptr, nullptr, 110, 10, 1));
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, 210, 10, 1));
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, 150, 10, TARGET_ALL));
  EXPECT_TRUE(PositionMeeting(nullptr, nullptr, 110, 10, TARGET_ALL));
}

TEST_F(PositionMeetingTest, InstanceIdTargetsOnlyThatInstance) {
  EXPECT_TRUE(PositionMeeting(nullptr, nullptr, 10, 10, a->id));
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, 10, 10, b->id));
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, 10, 10, TARGET_NOONE));
}

TEST_F(PositionMeetingTest, SelfAndOtherTargets) {
  EXPECT_TRUE(PositionMeeting(a, b, 10, 10, TARGET_SELF));
  EXPECT_FALSE(PositionMeeting(a, b, 110, 10, TARGET_SELF));
  EXPECT_TRUE(PositionMeeting(a, b, 110, 10, TARGET_OTHER));
  EXPECT_FALSE(PositionMeeting(a, b, 10, 10, TARGET_OTHER));
}

TEST_F(PositionMeetingTest, CoordinatesAreTruncatedTowardZero) {
  EXPECT_TRUE(PositionMeeting(nullptr, nullptr, 31.9, 31.9, a->id));
  EXPECT_TRUE(PositionMeeting(nullptr, nullptr, -0.5, 10, a->id));  // 0, not -1
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, -1, 10, a->id));
}

TEST_F(PositionMeetingTest, DestroyedAndDeactivatedInstancesAreSkipped) {
  Instance_Destroy(a, true);
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, 10, 10, 0));
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, 10, 10, a->id));
  EXPECT_FALSE(PositionMeeting(a, nullptr, 10, 10, TARGET_SELF));
  c->deactivated = true;
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, 210, 10, 0));
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, 210, 10, TARGET_ALL));
}

TEST_F(PositionMeetingTest, PreciseMaskDecidesAmongOverlappingInstances) {
  CInstance* ring = Place(1, AddSprite(LeftAndRightHalves(true, 1)), 10, 10);
  EXPECT_TRUE(PositionMeeting(nullptr, nullptr, 10, 10, ring->id));
  EXPECT_FALSE(PositionMeeting(nullptr, nullptr, 13, 10, ring->id));
  EXPECT_TRUE(PositionMeeting(nullptr, nullptr, 13, 10, TARGET_ALL));  // a covers it
}

}  // namespace

// SPDX-License-Identifier: Zlib
// Maps: the CRC-32 key hash, the bucket visiting order that decides how a
// loaded frame is rebuilt, add/replace results, key identity, find_next, and
// misuse of handles.
#include <string>

#include "LibraryTestSupport.h"
#include "library/DsHandles.h"
#include "library/MapHash.h"

namespace {

// Reference values from an independent CRC-32 (the complement of the usual
// zlib/PNG checksum of the same bytes).
TEST(MapHashTest, CrcHasNoFinalComplement) {
  EXPECT_EQ(MapHash_Crc("123456789", 9), 0x340BC6D9u);
  EXPECT_EQ(MapHash_Crc("", 0), 0xFFFFFFFFu);
  EXPECT_EQ(MapHash_Crc("Color", 5), 0x58689812u);
  EXPECT_EQ(MapHash_Crc("Sprite Index", 12), 0x4239C7C3u);
}

TEST(MapHashTest, LongInputsGiveTheSameRegisterAsShortSteps) {
  std::string bytes;
  for (int r = 0; r < 4; ++r)
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  EXPECT_EQ(MapHash_Crc(bytes.data(), bytes.size()), 0x48F4B3D9u);
  // Inputs on both sides of the length where the long path starts.
  for (size_t n = 60; n < 70; ++n) {
    uint32_t r = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
      r ^= static_cast<uint8_t>(bytes[i]);
      for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
    }
    EXPECT_EQ(MapHash_Crc(bytes.data(), n), r) << n;
  }
}

TEST(MapHashTest, KeyHashByKind) {
  Cell text("Color");
  EXPECT_EQ(MapHash_Key(&text.v), 0x58689812u);
  Cell empty("");
  EXPECT_EQ(MapHash_Key(&empty.v), 0xFFFFFFFFu);
  Cell one(1.0);
  EXPECT_EQ(MapHash_Key(&one.v), 0x3807EC16u);  // the 8 bytes of 1.0
  DynValue i32 = DynValue_MakeInt32(1), i64 = DynValue_MakeInt64(1), b = DynValue_MakeBool(true);
  EXPECT_EQ(MapHash_Key(&i32), 0x3807EC16u);
  EXPECT_EQ(MapHash_Key(&i64), 0x3807EC16u);
  EXPECT_EQ(MapHash_Key(&b), 0x3807EC16u);
  DynValue undefined = DynValue_MakeUndefined();
  EXPECT_EQ(MapHash_Key(&undefined), 0u);
}

class DsMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Library_EnsureRegistered();
    DsHandles_DestroyAll();
  }
  void TearDown() override { DsHandles_DestroyAll(); }

  int NewMap() { return static_cast<int>(Call("ds_map_create").Real()); }
  std::vector<std::string> VisitedKeys(int map) {
    std::vector<std::string> keys;
    Cell key = Call("ds_map_find_first", {map});
    while (!key.IsUndefined() && keys.size() < 100) {
      keys.push_back(key.Kind() == KIND_STRING ? key.Text() : "#" + std::to_string(key.Real()));
      key = Call("ds_map_find_next", {map, key});
    }
    return keys;
  }
};

TEST_F(DsMapTest, AddKeepsAnExistingValueAndSaysSo) {
  int map = NewMap();
  EXPECT_EQ(Call("ds_map_add", {map, "Color", 255}).Real(), 1);
  EXPECT_EQ(Call("ds_map_add", {map, "Color", 0}).Real(), 0);
  EXPECT_EQ(Call("ds_map_find_value", {map, "Color"}).Real(), 255);
  EXPECT_EQ(Call("ds_map_size", {map}).Real(), 1);
}

TEST_F(DsMapTest, ReplaceOfANewKeyAddsItAndSaysZero) {
  int map = NewMap();
  EXPECT_EQ(Call("ds_map_replace", {map, "Alpha", 1}).Real(), 0);
  EXPECT_EQ(Call("ds_map_replace", {map, "Alpha", 0.5}).Real(), 1);
  EXPECT_EQ(Call("ds_map_find_value", {map, "Alpha"}).Real(), 0.5);
  EXPECT_EQ(Call("ds_map_size", {map}).Real(), 1);
}

TEST_F(DsMapTest, CopyReplacesTheEntriesByTheSourcesInItsOrder) {
  int source = NewMap(), target = NewMap();
  for (const char* key : {"ID Number", "Color", "X Dif", "Alpha"}) Call("ds_map_add", {source, key, 7});
  Call("ds_map_replace", {source, "Alpha", 0.5});
  Call("ds_map_add", {target, "old", 1});
  Call("ds_map_copy", {target, source});
  EXPECT_EQ(VisitedKeys(target), VisitedKeys(source));
  EXPECT_EQ(Call("ds_map_find_value", {target, "Alpha"}).Real(), 0.5);
  EXPECT_TRUE(Call("ds_map_find_value", {target, "old"}).IsUndefined());
  // The copy is its own: changing it leaves the source as it was.
  Call("ds_map_replace", {target, "Color", 1});
  EXPECT_EQ(Call("ds_map_find_value", {source, "Color"}).Real(), 7);
  Call("ds_map_copy", {source, source});
  EXPECT_EQ(Call("ds_map_size", {source}).Real(), 4);
}

TEST_F(DsMapTest, MissingKeyIsUndefined) {
  int map = NewMap();
  Call("ds_map_add", {map, "a", 1});
  EXPECT_TRUE(Call("ds_map_find_value", {map, "b"}).IsUndefined());
  EXPECT_TRUE(Call("ds_map_find_first", {NewMap()}).IsUndefined());
}

TEST_F(DsMapTest, NumberOneAndStringOneAreTwoKeys) {
  int map = NewMap();
  EXPECT_EQ(Call("ds_map_add", {map, 1, "number"}).Real(), 1);
  EXPECT_EQ(Call("ds_map_add", {map, "1", "string"}).Real(), 1);
  EXPECT_EQ(Call("ds_map_size", {map}).Real(), 2);
  EXPECT_EQ(Call("ds_map_find_value", {map, 1}).Text(), "number");
  EXPECT_EQ(Call("ds_map_find_value", {map, "1"}).Text(), "string");
}

TEST_F(DsMapTest, IntegersBoolsAndNearbyDoublesFindTheSameNumberKey) {
  int map = NewMap();
  Call("ds_map_add", {map, 1, "one"});
  EXPECT_EQ(Call("ds_map_find_value", {map, Cell(DynValue_MakeInt32(1))}).Text(), "one");
  EXPECT_EQ(Call("ds_map_find_value", {map, Cell(DynValue_MakeBool(true))}).Text(), "one");
  // A different double hashes differently even when it lies within the tolerance.
  EXPECT_TRUE(Call("ds_map_find_value", {map, 1.000000001}).IsUndefined());
}

TEST_F(DsMapTest, ColorComesBeforeSpriteIndexWhicheverIsAddedFirst) {
  // Buckets by CRC AND 255: "Color" 0x12 (18), "Sprite Index" 0xC3 (195).
  int first = NewMap();
  Call("ds_map_add", {first, "Sprite Index", 1});
  Call("ds_map_add", {first, "Color", 2});
  int second = NewMap();
  Call("ds_map_add", {second, "Color", 2});
  Call("ds_map_add", {second, "Sprite Index", 1});
  std::vector<std::string> expected = {"Color", "Sprite Index"};
  EXPECT_EQ(VisitedKeys(first), expected);
  EXPECT_EQ(VisitedKeys(second), expected);
}

TEST_F(DsMapTest, KeysOfOneBucketAreVisitedInTheOrderAdded) {
  // "k392", "k511" and "k966" share bucket 18 with "Color"; "k18" is in bucket 0.
  int map = NewMap();
  for (const char* key : {"k966", "Color", "k392", "k18", "k511"}) Call("ds_map_add", {map, key, 0});
  EXPECT_EQ(VisitedKeys(map), (std::vector<std::string>{"k18", "k966", "Color", "k392", "k511"}));
}

TEST_F(DsMapTest, TheElevenRecordKeysAreVisitedByBucket) {
  int map = NewMap();
  for (const char* key : {"ID Number", "Color", "Sprite Index", "Outline Index", "X Dif", "Y Dif", "X Scale",
                          "Y Scale", "Rotation", "Animating", "Alpha"})
    Call("ds_map_add", {map, key, 0});
  EXPECT_EQ(VisitedKeys(map),
            (std::vector<std::string>{"Color", "ID Number", "X Dif", "Y Scale", "Rotation", "Animating", "Alpha",
                                      "Outline Index", "Sprite Index", "Y Dif", "X Scale"}));
}

TEST_F(DsMapTest, GivenBucketCountChangesTheOrder) {
  // With 16 buckets: "Color" 2, "Sprite Index" 3, "a" 12, "b" 6.
  int map = static_cast<int>(Call("ds_map_create", {16}).Real());
  for (const char* key : {"a", "b", "Sprite Index", "Color"}) Call("ds_map_add", {map, key, 0});
  EXPECT_EQ(VisitedKeys(map), (std::vector<std::string>{"Color", "Sprite Index", "b", "a"}));
}

TEST_F(DsMapTest, FindNextOfTheLastAndOfAMissingKeyIsUndefined) {
  int map = NewMap();
  Call("ds_map_add", {map, "Color", 1});
  Call("ds_map_add", {map, "Sprite Index", 2});
  EXPECT_EQ(Call("ds_map_find_next", {map, "Color"}).Text(), "Sprite Index");
  EXPECT_TRUE(Call("ds_map_find_next", {map, "Sprite Index"}).IsUndefined());
  EXPECT_TRUE(Call("ds_map_find_next", {map, "Alpha"}).IsUndefined());
}

// Text keys go straight to their node, number keys are matched within the
// epsilon: mixed in one chain, both lead to the entry after them.
TEST_F(DsMapTest, FindNextFollowsTextAndNumberKeysInOneChain) {
  int map = static_cast<int>(Call("ds_map_create", {1}).Real());
  Call("ds_map_add", {map, "1", 0});
  Call("ds_map_add", {map, 1.0, 0});
  Call("ds_map_add", {map, "two", 0});
  Call("ds_map_add", {map, 3.0, 0});
  EXPECT_EQ(Call("ds_map_find_next", {map, "1"}).Real(), 1.0);
  EXPECT_EQ(Call("ds_map_find_next", {map, 1.0 + 1e-9}).Text(), "two");
  EXPECT_EQ(Call("ds_map_find_next", {map, "two"}).Real(), 3.0);
  EXPECT_TRUE(Call("ds_map_find_next", {map, 3.0}).IsUndefined());
  EXPECT_TRUE(Call("ds_map_find_next", {map, "3"}).IsUndefined());
}

TEST_F(DsMapTest, MissingHandleIsANonFatalErrorAndAddStaysZero) {
  int map = NewMap();
  Call("ds_map_destroy", {map});
  CaughtCall add = CallCatching("ds_map_add", {map, "k", 1});
  EXPECT_TRUE(add.raised);
  EXPECT_EQ(add.message, "Data structure with index does not exist.");
  EXPECT_EQ(add.result.Kind(), KIND_NUMBER);
  EXPECT_EQ(add.result.Real(), 0);
  CaughtCall replace = CallCatching("ds_map_replace", {-3, "k", 1});
  EXPECT_TRUE(replace.raised);
  EXPECT_EQ(replace.result.Real(), 0);
  CaughtCall find = CallCatching("ds_map_find_value", {map, "k"});
  EXPECT_TRUE(find.raised);
  EXPECT_TRUE(find.result.IsUndefined());
  EXPECT_EQ(LiveMaps(), 0);
  // The slot is free again and the next map takes it.
  EXPECT_EQ(NewMap(), map);
}

TEST_F(DsMapTest, ValuesReadOutAreCopiesThatOutliveTheMap) {
  int map = NewMap();
  Call("ds_map_add", {map, "name", "figure"});
  Cell value = Call("ds_map_find_value", {map, "name"});
  Call("ds_map_destroy", {map});
  EXPECT_EQ(value.Text(), "figure");
}

}  // namespace

// SPDX-License-Identifier: Zlib
// Lists and the handle tables: handle reuse and growth, the edges of every
// list built-in, element equality, and misuse of handles.
#include "LibraryTestSupport.h"
#include "library/DsHandles.h"
#include "library/DsList.h"

namespace {

class DsListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Library_EnsureRegistered();
    DsHandles_DestroyAll();
  }
  void TearDown() override { DsHandles_DestroyAll(); }

  int NewList(std::vector<Cell> values = {}) {
    int list = static_cast<int>(Call("ds_list_create").Real());
    values.insert(values.begin(), Cell(list));
    if (values.size() > 1) Call("ds_list_add", values);
    return list;
  }
  std::vector<double> Numbers(int list) {
    std::vector<double> out;
    int n = static_cast<int>(Call("ds_list_size", {list}).Real());
    for (int i = 0; i < n; ++i) out.push_back(Call("ds_list_find_value", {list, i}).Real());
    return out;
  }
};

TEST_F(DsListTest, DestroyedHandleIsTheNextOneHandedOut) {
  int a = NewList();
  int b = NewList();
  EXPECT_EQ(b, a + 1);
  Call("ds_list_destroy", {a});
  EXPECT_EQ(NewList(), a);
  EXPECT_EQ(NewList(), b + 1);
}

TEST_F(DsListTest, LowestFreeSlotWinsOverLaterOnes) {
  std::vector<int> handles;
  for (int i = 0; i < 5; ++i) handles.push_back(NewList());
  Call("ds_list_destroy", {handles[3]});
  Call("ds_list_destroy", {handles[1]});
  EXPECT_EQ(NewList(), handles[1]);
  EXPECT_EQ(NewList(), handles[3]);
  EXPECT_EQ(NewList(), handles[4] + 1);
}

TEST_F(DsListTest, HandleTableGrowsBySixteenAndKeepsEveryList) {
  // Freed slots of earlier tests are taken first, then the table grows.
  std::vector<int> handles;
  for (int i = 0; i < 40; ++i) handles.push_back(NewList({i}));
  for (int i = 0; i < 40; ++i) EXPECT_EQ(handles[i], i);
  EXPECT_EQ(DsHandles_Lists().Capacity() % kDsHandleGrowth, 0);
  EXPECT_GE(DsHandles_Lists().Capacity(), 40);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(Call("ds_list_find_value", {handles[i], 0}).Real(), i);
}

TEST_F(DsListTest, ListsAndMapsHaveSeparateHandleSpaces) {
  int list = NewList({7});
  int map = static_cast<int>(Call("ds_map_create").Real());
  EXPECT_EQ(list, 0);
  EXPECT_EQ(map, 0);
  EXPECT_EQ(Call("ds_list_size", {list}).Real(), 1);
  EXPECT_EQ(Call("ds_map_size", {map}).Real(), 0);
}

TEST_F(DsListTest, AddAppendsEveryArgumentInOrderPastSeveralGrowths) {
  int list = NewList();
  std::vector<double> expected;
  for (int i = 0; i < 300; i += 3) {
    Call("ds_list_add", {list, i, i + 1, i + 2});
    expected.insert(expected.end(), {double(i), double(i + 1), double(i + 2)});
  }
  EXPECT_EQ(Numbers(list), expected);
  CDS_List* raw = DsList_Get(list);
  // 16 cells, then +16 up to 128, then an eighth: 16, 32, ..., 128, 144, 162, 182, 204, 229, 257, 289, 325.
  EXPECT_EQ(raw->capacity, 325);
}

TEST_F(DsListTest, InsertGrowsBySixteen) {
  int list = NewList();
  for (int i = 0; i < 17; ++i) Call("ds_list_insert", {list, 0, i});
  EXPECT_EQ(DsList_Get(list)->capacity, 32);
  EXPECT_EQ(Call("ds_list_find_value", {list, 0}).Real(), 16);
  EXPECT_EQ(Call("ds_list_find_value", {list, 16}).Real(), 0);
}

TEST_F(DsListTest, FindValueOutsideTheListIsUndefined) {
  int list = NewList({10, 20});
  EXPECT_TRUE(Call("ds_list_find_value", {list, 2}).IsUndefined());
  EXPECT_TRUE(Call("ds_list_find_value", {list, -1}).IsUndefined());
  EXPECT_EQ(Call("ds_list_find_value", {list, 1}).Real(), 20);
}

TEST_F(DsListTest, InsertAtSizeAppendsAndBeyondDoesNothing) {
  int list = NewList({1, 2});
  Call("ds_list_insert", {list, 2, 3});
  Call("ds_list_insert", {list, 4, 99});
  Call("ds_list_insert", {list, -1, 99});
  Call("ds_list_insert", {list, 1, 5});
  EXPECT_EQ(Numbers(list), (std::vector<double>{1, 5, 2, 3}));
}

TEST_F(DsListTest, ReplaceAndDeleteOnlyInsideTheList) {
  int list = NewList({1, 2, 3});
  Call("ds_list_replace", {list, 3, 9});
  Call("ds_list_replace", {list, -1, 9});
  Call("ds_list_replace", {list, 2, 30});
  Call("ds_list_delete", {list, 3});
  Call("ds_list_delete", {list, -1});
  Call("ds_list_delete", {list, 0});
  EXPECT_EQ(Numbers(list), (std::vector<double>{2, 30}));
}

TEST_F(DsListTest, FindIndexComparesNumbersWithinTolerance) {
  int list = NewList({1, 2.000000005, "2", 2});
  EXPECT_EQ(Call("ds_list_find_index", {list, 2}).Real(), 1);
  EXPECT_EQ(Call("ds_list_find_index", {list, 2.0001}).Real(), -1);
  Cell boolTrue(DynValue_MakeBool(true));
  EXPECT_EQ(Call("ds_list_find_index", {list, boolTrue}).Real(), 0);
  Cell int32Two(DynValue_MakeInt32(2));
  EXPECT_EQ(Call("ds_list_find_index", {list, int32Two}).Real(), 1);
}

TEST_F(DsListTest, FindIndexNeverMatchesStringsWithNumbers) {
  int list = NewList({"2", "abc", 2});
  EXPECT_EQ(Call("ds_list_find_index", {list, "abc"}).Real(), 1);
  EXPECT_EQ(Call("ds_list_find_index", {list, "2"}).Real(), 0);
  EXPECT_EQ(Call("ds_list_find_index", {list, 2}).Real(), 2);
  EXPECT_EQ(Call("ds_list_find_index", {list, "ab"}).Real(), -1);
}

TEST_F(DsListTest, ElementsShareStringsAndKeepThemAfterTheCallerDropsThem) {
  int list = NewList();
  {
    Cell text("kept");
    Call("ds_list_add", {list, text});
    EXPECT_EQ(text.v.str->refcount, 2);  // the caller's cell and the list's copy
  }
  EXPECT_EQ(Call("ds_list_find_value", {list, 0}).Text(), "kept");
  Call("ds_list_replace", {list, 0, "other"});
  EXPECT_EQ(Call("ds_list_find_value", {list, 0}).Text(), "other");
}

TEST_F(DsListTest, MissingHandleIsANonFatalErrorAndChangesNothing) {
  int list = NewList({1});
  Call("ds_list_destroy", {list});
  for (const char* name : {"ds_list_size", "ds_list_find_value", "ds_list_add", "ds_list_delete"}) {
    CaughtCall c = CallCatching(name, {list, 0, 0});
    EXPECT_TRUE(c.raised) << name;
    EXPECT_EQ(c.message, "Data structure with index does not exist.") << name;
    EXPECT_TRUE(c.result.IsUndefined()) << name;
  }
  for (int bad : {-1, 1000}) EXPECT_TRUE(CallCatching("ds_list_size", {bad}).raised);
  EXPECT_EQ(LiveLists(), 0);
}

}  // namespace

// SPDX-License-Identifier: Zlib
// Arrays: growth, copy on write, bounds-checked reads and the error record.
#include "RuntimeFixture.h"

#include "base/Memory.h"

using ArraysTest = RuntimeTest;

TEST_F(ArraysTest, WritingElementTwoOfUndefinedMakesThreeElements) {
  Cell a, nine(9.0), r;
  DynValue_Write(&a.v, &nine.v, 2);
  ASSERT_EQ(a.v.Kind(), KIND_ARRAY);
  EXPECT_EQ(a.v.arr->rows[0].length, 3);
  EXPECT_EQ(a.v.arr->owner, &a.v);
  DynValue_Read(&r.v, &a.v, 0);
  EXPECT_EQ(r.v.Kind(), KIND_NUMBER);
  EXPECT_EQ(r.v.real, 0.0);
  DynValue_Read(&r.v, &a.v, 2);
  EXPECT_EQ(r.v.real, 9.0);
}

TEST_F(ArraysTest, CopyOnWriteThroughNonOwner) {
  Cell a, b, one(1.0), two(2.0), r;
  DynValue_Write(&a.v, &one.v, 0);
  DynValue_Assign(&b.v, &a.v);
  EXPECT_EQ(a.v.arr, b.v.arr);
  EXPECT_EQ(a.v.arr->refcount, 2);

  DynValue_Write(&b.v, &two.v, 0);  // b does not own: it gets its own copy
  EXPECT_NE(a.v.arr, b.v.arr);
  DynValue_Read(&r.v, &a.v, 0);
  EXPECT_EQ(r.v.real, 1.0);
  DynValue_Read(&r.v, &b.v, 0);
  EXPECT_EQ(r.v.real, 2.0);
  EXPECT_EQ(a.v.arr->refcount, 1);
}

TEST_F(ArraysTest, OwnerWritesInPlace) {
  Cell a, b, one(1.0), two(2.0), r;
  DynValue_Write(&a.v, &one.v, 0);
  DynValue_Assign(&b.v, &a.v);
  DynArray* shared = a.v.arr;
  DynValue_Write(&a.v, &two.v, 0);
  EXPECT_EQ(a.v.arr, shared);
  DynValue_Read(&r.v, &b.v, 0);
  EXPECT_EQ(r.v.real, 2.0);  // b shares the record a wrote into
}

TEST_F(ArraysTest, CopyKeepsStringsShared) {
  Cell a, b, text("t"), zero(0.0);
  DynValue_Write(&a.v, &text.v, 0);
  DynValue_Assign(&b.v, &a.v);
  DynValue_Write(&b.v, &zero.v, 1);
  EXPECT_EQ(text.v.str->refcount, 3);  // text, a[0] and the copy b[0]
}

TEST_F(ArraysTest, OutOfBoundsReadGivesZeroAndFillsRecord) {
  Cell a, one(1.0), r("previous");
  for (int i = 0; i < 3; ++i) DynValue_Write(&a.v, &one.v, i);
  g_LastArrayError = {};
  DynValue_Read(&r.v, &a.v, 5);
  EXPECT_EQ(r.v.Kind(), KIND_NUMBER);
  EXPECT_EQ(r.v.real, 0.0);
  EXPECT_TRUE(g_LastArrayError.error);
  EXPECT_EQ(g_LastArrayError.row, 0);
  EXPECT_EQ(g_LastArrayError.column, 5);
  EXPECT_EQ(g_LastArrayError.rowCount, 1);
  EXPECT_EQ(g_LastArrayError.rowLength, 3);
  DynValue_Read(&r.v, &a.v, 3 * 32000 + 1);
  EXPECT_EQ(g_LastArrayError.row, 3);
  EXPECT_EQ(g_LastArrayError.rowLength, -1);
  DynValue_Read(&r.v, &a.v, -1);
  EXPECT_EQ(r.v.real, 0.0);
  EXPECT_FALSE(TakeError());
}

TEST_F(ArraysTest, IndexingANonArrayReports) {
  Cell n(3.0), r;
  std::string message;
  DynValue_Read(&r.v, &n.v, 0);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "trying to index a variable which is not an array");
}

TEST_F(ArraysTest, NegativeWriteNamesNoElement) {
  Cell a, one(1.0);
  EXPECT_EQ(DynValue_ArrayElementForWrite(&a.v, -5), nullptr);
  DynValue_Write(&a.v, &one.v, -5);
  EXPECT_EQ(a.v.Kind(), KIND_UNDEFINED);
}

TEST_F(ArraysTest, TwoDimensionalIndexAndRelease) {
  int64_t before = MemoryManager_Total();
  {
    Cell a, text("x");
    DynValue_Write(&a.v, &text.v, 2 * 32000 + 4);
    EXPECT_EQ(a.v.arr->rowCount, 3);
    EXPECT_EQ(a.v.arr->rows[2].length, 5);
    EXPECT_EQ(a.v.arr->rows[0].length, 0);
    Cell nested;
    DynValue_Write(&nested.v, &a.v, 0);  // an array inside an array
  }
  EXPECT_EQ(MemoryManager_Total(), before);
}

TEST_F(ArraysTest, ReadingWholeArrayMakesVariableOwner) {
  Cell a, r, one(1.0);
  DynValue_Write(&a.v, &one.v, 0);
  a.v.arr->owner = nullptr;
  DynValue_Read(&r.v, &a.v, ARRAY_INDEX_NONE);
  EXPECT_EQ(a.v.arr->owner, &a.v);
  EXPECT_EQ(r.v.arr, a.v.arr);
}

TEST_F(ArraysTest, LargestIndexStillWorks) {
  Cell a, one(1.0), r;
  const int32_t largest = 0x7FFFFFFF;  // row 67108, column 31647
  DynValue_Write(&a.v, &one.v, largest);
  EXPECT_EQ(a.v.arr->rowCount, largest / 32000 + 1);
  DynValue_Read(&r.v, &a.v, largest);
  EXPECT_EQ(r.v.real, 1.0);
  DynValue_Read(&r.v, &a.v, ARRAY_INDEX_NONE + 1);  // most negative real index
  EXPECT_EQ(r.v.real, 0.0);
  EXPECT_TRUE(g_LastArrayError.error);
}

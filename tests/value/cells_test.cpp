// SPDX-License-Identifier: Zlib
// Cells: copying, overwriting, releasing, strings and the release test.
#include "RuntimeFixture.h"

#include "base/Memory.h"

using CellsTest = RuntimeTest;

TEST(DynValueLayout, CellIsSixteenBytesAndReleaseTestCoversKindsOneToFour) {
  EXPECT_EQ(sizeof(DynValue), 16u);
  for (uint32_t upper : {0x00000000u, 0x01000000u, 0xFF000000u}) {
    for (uint32_t kind = 0; kind <= 14; ++kind)
      EXPECT_EQ(DynKind_NeedsRelease(kind | upper), kind >= 1 && kind <= 4) << kind << " upper " << upper;
    EXPECT_FALSE(DynKind_NeedsRelease(KIND_UNSET | upper));
  }
}

TEST(DynValueLayout, KindNames) {
  const char* expected[] = {"number", "string", "array", "ptr",   "vec3", "undefined", "object", "int32",
                            "vec4",   "vec44",  "int64", "accessor", "null", "bool",  "iterator"};
  for (uint32_t k = 0; k <= 14; ++k) EXPECT_STREQ(DynKind_Name(k), expected[k]);
  EXPECT_STREQ(DynKind_Name(99), "unknown");
  EXPECT_STREQ(DynKind_Name(0x07000000u | KIND_STRING), "string");  // upper bits ignored
}

TEST_F(CellsTest, SelfAssignmentChangesNothing) {
  Cell s("hello");
  DynString* record = s.v.str;
  DynValue_Assign(&s.v, &s.v);
  EXPECT_EQ(s.v.str, record);
  EXPECT_EQ(record->refcount, 1);
  EXPECT_STREQ(s.v.str->chars, "hello");
}

TEST_F(CellsTest, StringsAreSharedByCountingAndFreedAtZero) {
  int64_t before = MemoryManager_Total();
  {
    Cell a("shared text");
    Cell b;
    DynValue_Assign(&b.v, &a.v);
    EXPECT_EQ(a.v.str, b.v.str);
    EXPECT_EQ(a.v.str->refcount, 2);
    DynValue_SetString(&a.v, "other");
    EXPECT_EQ(b.v.str->refcount, 1);
    EXPECT_STREQ(b.v.str->chars, "shared text");
  }
  EXPECT_EQ(MemoryManager_Total(), before);
}

TEST_F(CellsTest, SetStringFromItsOwnCharacters) {
  Cell a("abc");
  DynValue_SetString(&a.v, a.v.str->chars);
  EXPECT_STREQ(a.v.str->chars, "abc");
  EXPECT_EQ(a.v.str->length, 3);
}

TEST_F(CellsTest, InitStringWithNullMakesEmptyRecord) {
  Cell a;
  DynValue_InitString(&a.v, nullptr);
  ASSERT_NE(a.v.str, nullptr);
  EXPECT_EQ(a.v.str->chars, nullptr);
  EXPECT_EQ(a.v.str->length, 0);
  EXPECT_EQ(Text(a.v), "");
}

TEST_F(CellsTest, ConcatTreatsNullAsEmpty) {
  char* both = DynString_Concat("ab", "cd");
  char* left = DynString_Concat(nullptr, "cd");
  EXPECT_STREQ(both, "abcd");
  EXPECT_STREQ(left, "cd");
  EXPECT_EQ(DynString_Concat(nullptr, nullptr), nullptr);
  MM_FREE(both);
  MM_FREE(left);
}

namespace {
struct Tracked : DynOwnedObject {
  explicit Tracked(int* counter) : counter(counter) {}
  ~Tracked() override { ++*counter; }
  int* counter;
};
}  // namespace

TEST_F(CellsTest, OwnedPointerIsDeletedOnceAndUnownedSurvives) {
  int deleted = 0;
  Tracked unowned(&deleted);
  DynValue plain = DynValue_MakePtr(&unowned);
  DynValue_Release(&plain);
  EXPECT_EQ(deleted, 0);

  DynValue owner = DynValue_MakePtr(new Tracked(&deleted), FLAG_OWNS_PTR);
  DynValue copy = DynValue_MakeUndefined();
  DynValue_Assign(&copy, &owner);
  DynValue_Release(&copy);  // the copy shares the pointer, not its ownership
  EXPECT_EQ(deleted, 0);
  DynValue_Release(&owner);
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(owner.ptr, nullptr);
}

TEST_F(CellsTest, AssignCarriesUpperKindBitsAndPayloadByKind) {
  DynValue source = DynValue_MakeInt32(-7);
  source.kind |= 0x5A000000u;
  DynValue destination = DynValue_MakeReal(3.5);
  DynValue_Assign(&destination, &source);
  EXPECT_EQ(destination.kind, source.kind);
  EXPECT_EQ(destination.i32, -7);
  DynValue undefinedCell = DynValue_MakeUndefined();
  DynValue_Assign(&destination, &undefinedCell);
  EXPECT_EQ(destination.Kind(), KIND_UNDEFINED);
  EXPECT_EQ(destination.i64, 0);
}

TEST_F(CellsTest, AssignFromAnElementOfTheDestinationsOwnArray) {
  Cell a;
  Cell text("inner");
  DynValue_Write(&a.v, &text.v, 0);
  // a = a[0]: the element must survive the release of the array that holds it.
  DynValue_Read(&a.v, &a.v, 0);
  ASSERT_EQ(a.v.Kind(), KIND_STRING);
  EXPECT_STREQ(a.v.str->chars, "inner");
}

// SPDX-License-Identifier: Zlib
// Addition, increment, comparison and the epsilon.
#include "RuntimeFixture.h"

using ArithmeticTest = RuntimeTest;

TEST_F(ArithmeticTest, AddKeepsTheLeftKind) {
  Cell r;
  DynValue b = DynValue_MakeBool(true);
  DynValue two = DynValue_MakeReal(2.0);
  DynValue_AddAssign(&b, &two);
  EXPECT_EQ(b.Kind(), KIND_BOOL);
  EXPECT_EQ(b.real, 3.0);

  DynValue i = DynValue_MakeInt32(INT32_MAX);
  DynValue one = DynValue_MakeReal(1.0);
  DynValue_AddAssign(&i, &one);  // wraps like the processor, no undefined behaviour
  EXPECT_EQ(i.i32, INT32_MIN);

  DynValue big = DynValue_MakeInt64(1LL << 40);
  DynValue_Add(&r.v, &big, &one);
  EXPECT_EQ(r.v.Kind(), KIND_INT64);
  EXPECT_EQ(r.v.i64, (1LL << 40) + 1);
}

TEST_F(ArithmeticTest, StringConcatenationAndItsErrors) {
  Cell a("foo"), b("bar"), r;
  DynValue_Add(&r.v, &a.v, &b.v);
  EXPECT_STREQ(r.v.str->chars, "foobar");
  EXPECT_STREQ(a.v.str->chars, "foo");  // the left operand is not changed by +

  DynValue number = DynValue_MakeReal(1);
  std::string message;
  DynValue_AddAssign(&a.v, &number);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "unable to add a number to string");
  DynValue_AddInt(&r.v, &a.v, 1);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "unable to add a number to string");

  DynValue undefinedCell = DynValue_MakeUndefined();
  DynValue_AddAssign(&undefinedCell, &b.v);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "invalid type for += lhs=undefined (type=5), rhs=bar (type=1)");
}

TEST_F(ArithmeticTest, AddIntByKind) {
  Cell r;
  DynValue_AddInt(&r.v, &(const DynValue&)DynValue_MakeReal(1.5), 2);
  EXPECT_EQ(r.v.real, 3.5);
  DynValue_AddInt(&r.v, &(const DynValue&)DynValue_MakeInt32(4), -5);
  EXPECT_EQ(r.v.Kind(), KIND_INT32);
  EXPECT_EQ(r.v.i32, -1);
  DynValue_AddInt(&r.v, &(const DynValue&)DynValue_MakeUndefined(), 3);
  EXPECT_EQ(r.v.Kind(), KIND_UNDEFINED);
  // Result and operand may be one cell.
  DynValue_SetReal(&r.v, 10);
  DynValue_AddInt(&r.v, &r.v, 1);
  EXPECT_EQ(r.v.real, 11);
}

TEST_F(ArithmeticTest, PostIncrementReturnsOldValue) {
  DynValue counter = DynValue_MakeReal(4);
  Cell old;
  DynValue_PostIncrement(&counter, &old.v);
  EXPECT_EQ(old.v.real, 4);
  EXPECT_EQ(counter.real, 5);
  Cell text("x");
  DynValue_PostIncrement(&text.v, &old.v);
  std::string message;
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "invalid type for ++ lhs=x (type=1), rhs=1 (type=0)");
}

TEST_F(ArithmeticTest, CompareUsesEpsilon) {
  DynValue a = DynValue_MakeReal(0.1 + 0.2);
  DynValue b = DynValue_MakeReal(0.3);
  EXPECT_EQ(DynValue_Compare(&a, &b, math_epsilon), 0);
  EXPECT_EQ(DynValue_Compare(&a, &b, 0.0), 1);
  DynValue c = DynValue_MakeReal(1);
  EXPECT_EQ(DynValue_Compare(&b, &c, math_epsilon), -1);
  EXPECT_EQ(DynValue_Compare(&c, &b, math_epsilon), 1);
}

TEST_F(ArithmeticTest, CompareAcrossKinds) {
  DynValue i5 = DynValue_MakeInt32(5), i7 = DynValue_MakeInt32(7);
  DynValue n5 = DynValue_MakeReal(5.0000001), l5 = DynValue_MakeInt64(5);
  EXPECT_EQ(DynValue_Compare(&i5, &i7, 0), -1);
  EXPECT_EQ(DynValue_Compare(&n5, &i5, 1e-3), 0);  // as single-precision floats
  EXPECT_EQ(DynValue_Compare(&n5, &l5, 0), 0);     // the number is truncated
  EXPECT_EQ(DynValue_Compare(&i7, &l5, 0), 1);
  Cell s1("abc"), s2("abd");
  EXPECT_EQ(DynValue_Compare(&s1.v, &s2.v, 0), -1);
  EXPECT_EQ(DynValue_Compare(&s1.v, &s1.v, 0), 0);
  DynValue nullString = DynValue_MakeUndefined();
  nullString.kind = KIND_STRING;
  nullString.str = nullptr;
  EXPECT_EQ(DynValue_Compare(&nullString, &s1.v, 0), 1);
  DynValue u1 = DynValue_MakeUndefined(), u2 = DynValue_MakeUndefined();
  EXPECT_EQ(DynValue_Compare(&u1, &u2, 0), 0);
  EXPECT_EQ(DynValue_Compare(&n5, &s1.v, 0), -1);  // other pairs: -1 when a is a number
  EXPECT_EQ(DynValue_Compare(&s1.v, &n5, 0), 1);
  int x, y;
  DynValue px = DynValue_MakePtr(&x), py = DynValue_MakePtr(&y);
  int expected = (&x < &y) ? 1 : -1;
  EXPECT_EQ(DynValue_Compare(&px, &py, 0), expected);
}

TEST_F(ArithmeticTest, SetEpsilonAcceptsOnlyZeroToOne) {
  math_set_epsilon(0.01);
  EXPECT_EQ(math_epsilon, 0.01);
  math_set_epsilon(0);
  EXPECT_EQ(math_epsilon, 1e-11);
  math_set_epsilon(1);
  math_set_epsilon(-0.5);
  EXPECT_EQ(math_epsilon, 1e-11);
}

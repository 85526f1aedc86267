// SPDX-License-Identifier: Zlib
// Conversions to real, integers, truth and text, and their error messages.
#include <cmath>
#include <limits>

#include "RuntimeFixture.h"

using ConversionsTest = RuntimeTest;

TEST_F(ConversionsTest, NumberText) {
  EXPECT_EQ(Text(DynValue_MakeReal(5.0)), "5");
  EXPECT_EQ(Text(DynValue_MakeReal(0.5)), "0.50");
  EXPECT_EQ(Text(DynValue_MakeReal(1.0 / 3.0)), "0.33");
  EXPECT_EQ(Text(DynValue_MakeReal(-2.0)), "-2");
  EXPECT_EQ(Text(DynValue_MakeReal(std::nan(""))), "NaN");
  EXPECT_EQ(Text(DynValue_MakeReal(1e300)).substr(0, 4), "1000");  // beyond int64: "%.2f", no overflow
  EXPECT_EQ(Text(DynValue_MakeBool(true)), "1");
  EXPECT_EQ(Text(DynValue_MakeBool(false)), "0");
  EXPECT_EQ(Text(DynValue_MakeInt32(-12)), "-12");
  EXPECT_EQ(Text(DynValue_MakeInt64(1234567890123LL)), "1234567890123");
  EXPECT_EQ(Text(DynValue_MakeUndefined()), "undefined");
  EXPECT_EQ(Text(DynValue_MakeObject(nullptr)), "null");
}

TEST_F(ConversionsTest, ArrayText) {
  Cell a;
  Cell one(1.0), two(2.0);
  DynValue_Write(&a.v, &one.v, 0);
  DynValue_Write(&a.v, &two.v, 1);
  EXPECT_EQ(Text(a.v), "{ { 1,2 },  }");
  Cell b;
  DynValue_Write(&b.v, &one.v, 32001);  // row 1, column 1; row 0 stays empty
  EXPECT_EQ(Text(b.v), "{ {  }, { 0,1 },  }");
}

TEST_F(ConversionsTest, ArrayHoldingItselfRendersOnce) {
  Cell a;
  Cell one(1.0);
  DynValue_Write(&a.v, &one.v, 0);
  DynValue* element = DynValue_ArrayElementForWrite(&a.v, 1);
  DynValue_Assign(element, &a.v);
  EXPECT_EQ(Text(a.v), "{ { 1,{  } },  }");
  // Break the cycle so the record can be freed.
  DynValue_Free(DynValue_ArrayElementForWrite(&a.v, 1));
}

TEST_F(ConversionsTest, StringsParse) {
  Cell s("12.75abc");
  EXPECT_DOUBLE_EQ(DynValue_ToReal(&s.v), 12.75);
  EXPECT_EQ(DynValue_ToInt32(&s.v), 12);
  EXPECT_EQ(DynValue_ToInt64(&s.v), 12);
  Cell hex("ff");
  EXPECT_EQ(DynValue_ToPointer(&hex.v), 255);
  DynValue nullString = DynValue_MakeUndefined();
  nullString.kind = KIND_STRING;
  nullString.str = nullptr;
  EXPECT_EQ(DynValue_ToReal(&nullString), 0.0);
  EXPECT_EQ(Text(nullString), "");
}

TEST_F(ConversionsTest, IntegerTruncationTowardZeroAndOutOfRange) {
  EXPECT_EQ(DynValue_ToInt32(&(const DynValue&)DynValue_MakeReal(-2.9)), -2);
  DynValue big = DynValue_MakeReal(1e20);
  EXPECT_EQ(DynValue_ToInt32(&big), INT32_MIN);
  EXPECT_EQ(DynValue_ToInt64(&big), INT64_MIN);
  DynValue nan = DynValue_MakeReal(std::nan(""));
  EXPECT_EQ(DynValue_ToInt32(&nan), INT32_MIN);
  DynValue wide = DynValue_MakeInt64(0x100000005LL);
  EXPECT_EQ(DynValue_ToInt32(&wide), 5);
  EXPECT_FALSE(TakeError());
}

TEST_F(ConversionsTest, ArraysConvertThroughFirstElement) {
  Cell outer, inner;
  Cell seven(7.0);
  DynValue_Write(&inner.v, &seven.v, 0);
  DynValue_Write(&outer.v, &inner.v, 0);
  EXPECT_EQ(DynValue_ToReal(&outer.v), 7.0);
  EXPECT_EQ(DynValue_ToInt32(&outer.v), 7);
}

TEST_F(ConversionsTest, UnsetAndWrongKindsReportAndYieldZero) {
  DynValue unset = DynValue_MakeUnset();
  std::string message;
  EXPECT_EQ(DynValue_ToReal(&unset), 0.0);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "REAL argument is unset");
  EXPECT_EQ(DynValue_ToInt32(&unset), 0);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "I32 argument is unset");
  EXPECT_EQ(DynValue_ToInt64(&unset), 0);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "I64 argument is unset");
  DynValue_ToPointer(&unset);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "PTR argument is unset");
  EXPECT_EQ(Text(unset), "");
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "STRING argument is unset");

  DynValue pointer = DynValue_MakePtr(nullptr);
  EXPECT_EQ(DynValue_ToReal(&pointer), 0.0);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "REAL argument incorrect type 3");
  DynValue object = DynValue_MakeObject(nullptr);
  DynValue_ToInt32(&object);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "I32 argument incorrect type 6");
}

TEST_F(ConversionsTest, TruthIsAboveOneHalf) {
  EXPECT_FALSE(DynValue_ToBool(&(const DynValue&)DynValue_MakeReal(0.5)));
  EXPECT_TRUE(DynValue_ToBool(&(const DynValue&)DynValue_MakeReal(0.51)));
  EXPECT_TRUE(DynValue_ToBool(&(const DynValue&)DynValue_MakeInt32(1)));
  EXPECT_FALSE(DynValue_ToBool(&(const DynValue&)DynValue_MakeUndefined()));
}

// Text becomes a number only when it starts with plain decimal text: blanks,
// a sign, digits with one decimal point, an exponent. The words and the
// hexadecimal form that the C library's converter takes are text like any
// other and give 0, the value of text that is not a number; so does a number
// too large for a real. The same holds for real(), for truth and for the
// integer conversions.
TEST_F(ConversionsTest, OnlyPlainDecimalTextBecomesANumber) {
  struct Case {
    const char* text;
    double expected;
  };
  const std::string nines(400, '9');  // beyond the largest real
  const Case cases[] = {
      // words and hexadecimal
      {"nan", 0}, {"NaN", 0}, {"-nan", 0}, {"nan(1)", 0}, {"inf", 0}, {"-inf", 0}, {"+inf", 0}, {"INF", 0},
      {"infinity", 0}, {"Infinity", 0}, {"0x8", 0}, {"0X1p3", 0}, {"-0x10", 0}, {" 0x8", 0},
      // decimal text
      {"1e3", 1000}, {"1E-2", 0.01}, {"-2.5e+1", -25}, {" 12 ", 12}, {"\t7\n", 7}, {"-4.5", -4.5}, {"+4.5", 4.5},
      {".5", 0.5}, {"5.", 5}, {"-.5", -0.5}, {"007", 7},
      // a number followed by other text: the number
      {"1.2.3", 1.2}, {"12.75abc", 12.75}, {"2e", 2}, {"2e+", 2}, {"3ex", 3}, {"4 5", 4},
      // no number at all
      {"", 0}, {"-", 0}, {"+", 0}, {".", 0}, {"-.", 0}, {"e5", 0}, {"- 5", 0}, {"abc", 0},
      // beyond what a real holds
      {"1e999", 0}, {"-1e999", 0}, {"1e-999", 0}, {nines.c_str(), 0},
  };
  int real = Function_Find("real");
  ASSERT_GE(real, 0);
  for (const Case& c : cases) {
    Cell text(c.text);
    double converted = DynValue_ToReal(&text.v);
    EXPECT_TRUE(std::isfinite(converted)) << '"' << c.text << '"';
    EXPECT_EQ(converted, c.expected) << '"' << c.text << '"';

    Cell result;
    DynValue* args[] = {&text.v};
    Function_CallById(nullptr, nullptr, &result.v, 1, real, args);
    ASSERT_EQ(result.v.Kind(), KIND_NUMBER) << '"' << c.text << '"';
    EXPECT_EQ(result.v.real, c.expected) << "real(\"" << c.text << "\")";

    EXPECT_EQ(DynValue_ToBool(&text.v), c.expected > 0.5) << '"' << c.text << '"';
  }
  // The largest real and the smallest one above zero are still read.
  Cell largest("1.7976931348623157e308");
  EXPECT_EQ(DynValue_ToReal(&largest.v), std::numeric_limits<double>::max());
  Cell tiny("4.9e-324");
  EXPECT_EQ(DynValue_ToReal(&tiny.v), std::numeric_limits<double>::denorm_min());

  // The integer conversions read decimal digits only, too.
  const Case integers[] = {{"0x8", 0}, {"inf", 0}, {"nan", 0}, {" 12 ", 12}, {"-4.5", -4}, {"1.2.3", 1}, {"", 0}, {"-", 0}};
  for (const Case& c : integers) {
    Cell text(c.text);
    EXPECT_EQ(DynValue_ToInt32(&text.v), static_cast<int32_t>(c.expected)) << '"' << c.text << '"';
    EXPECT_EQ(DynValue_ToInt64(&text.v), static_cast<int64_t>(c.expected)) << '"' << c.text << '"';
  }
  EXPECT_FALSE(TakeError());
}

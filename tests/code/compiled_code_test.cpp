// SPDX-License-Identifier: Zlib
// The compiled-code interface as generated code uses it: name resolution,
// calls by id, variables of self and of other instances, and `with`.
#include <vector>

#include "RuntimeFixture.h"

#include "base/Memory.h"
#include "value/ArgReaders.h"

namespace {

std::vector<std::string> g_seenArgs;

void RecordArgs(DynValue& result, CInstance*, CInstance*, int argc, DynValue* args) {
  g_seenArgs.clear();
  for (int i = 0; i < argc; ++i) g_seenArgs.push_back(RuntimeTest::Text(args[i]));
  DynValue_SetString(&result, Function_CurrentName());
}

void SumThree(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, ZuGetReal(args, 0) + ZuGetReal(args, 1) + ZuGetReal(args, 2));
}

void NeedsNumber(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, ZuGetReal(args, 0));
}

// A "compiled script": returns argument0 * 2.
DynValue* ScriptDouble(CInstance*, CInstance*, DynValue* result, int argc, DynValue** args) {
  DynValue_SetReal(result, argc > 0 ? DynValue_ToReal(args[0]) * 2 : -1);
  return result;
}

CompiledVariableRef g_varScore{"score", 0};
CompiledVariableRef g_varName{"name", 1};
CompiledVariableRef g_varX{"x", -1};
CompiledVariableRef g_varMissing{"no_such_builtin_or_user", -1};
CompiledVariableRef* g_variables[] = {&g_varScore, &g_varName, &g_varX, &g_varMissing, nullptr};

CompiledFunctionRef g_fnRecord{"test_record_args", 0};
CompiledFunctionRef g_fnScript{"double_it", 0};
CompiledFunctionRef g_fnMissing{"no_such_function", 0};
CompiledFunctionRef* g_functionRefs[] = {&g_fnRecord, &g_fnScript, &g_fnMissing, nullptr};

CompiledFunctionEntry g_table[] = {{"ksl_Script_double_it", reinterpret_cast<CompiledAnyFn>(&ScriptDouble)}};

}  // namespace

class CompiledCodeTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    Function_Add("test_record_args", RecordArgs, -1, false);
    Function_Add("test_sum_three", SumThree, 3, false);
    Function_Add("test_needs_number", NeedsNumber, 1, false);
    g_varScore.id = 0;
    g_varName.id = 1;
    g_varX.id = -1;
    g_varMissing.id = -1;
    g_fnRecord.id = g_fnScript.id = g_fnMissing.id = 0;
    CompiledCodeInfo info{};
    info.globalVariableCount = 2;
    info.instanceVariableCount = 2;
    info.functionCount = 1;
    info.variableTable = g_variables;
    info.functionIdTable = g_functionRefs;
    info.functionTable = g_table;
    Code_Load(info);
    Script_Register(0, "double_it", 0);
    Code_ResolveNames();
  }
};

TEST_F(CompiledCodeTest, NamesResolveToIds) {
  EXPECT_EQ(g_varScore.id, 100000);
  EXPECT_EQ(g_varName.id, 100001);
  EXPECT_EQ(g_varX.id, Variable_Find("x"));
  EXPECT_LT(g_varX.id, 10000);
  EXPECT_EQ(g_varMissing.id, -1);
  EXPECT_EQ(g_fnRecord.id, Function_Find("test_record_args"));
  EXPECT_EQ(g_fnScript.id, 100000);
  EXPECT_EQ(g_fnMissing.id, -1);
  EXPECT_EQ(Function_Find(""), -1);
  EXPECT_EQ(Function_Find(nullptr), -1);
  ASSERT_NE(Global_Object(), nullptr);
  EXPECT_EQ(Global_Object()->slotCount, 2);
}

TEST_F(CompiledCodeTest, CallByIdPassesArgumentsAndNamesTheCurrentFunction) {
  Cell a(1.5), b("two"), result(99.0);
  DynValue* args[] = {&a.v, &b.v};
  Function_CallById(nullptr, nullptr, &result.v, 2, g_fnRecord.id, args);
  EXPECT_EQ(g_seenArgs, (std::vector<std::string>{"1.50", "two"}));
  EXPECT_STREQ(DynValue_Chars(&result.v), "test_record_args");
  EXPECT_EQ(Function_Current(), nullptr);  // restored after the call
  EXPECT_EQ(a.v.real, 1.5);
  EXPECT_EQ(b.v.str->refcount, 1);  // the copies took no reference
}

TEST_F(CompiledCodeTest, CallByIdAllocatesNothing) {
  Cell a(1), b(2), c(3), result;
  DynValue* args[] = {&a.v, &b.v, &c.v};
  int id = Function_Find("test_sum_three");
  int64_t before = MemoryManager_AllocationCount();
  for (int i = 0; i < 100; ++i) Function_CallById(nullptr, nullptr, &result.v, 3, id, args);
  EXPECT_EQ(MemoryManager_AllocationCount(), before);
  EXPECT_EQ(result.v.real, 6);
}

TEST_F(CompiledCodeTest, ScriptsAreCalledThroughTheirCodeIndex) {
  Cell a(21), result;
  DynValue* args[] = {&a.v};
  Function_CallById(nullptr, nullptr, &result.v, 1, g_fnScript.id, args);
  EXPECT_EQ(result.v.real, 42);
}

TEST_F(CompiledCodeTest, UnresolvedIdReportsAndLeavesResultUndefined) {
  Cell result(5);
  std::string message;
  Function_CallById(nullptr, nullptr, &result.v, 0, -1, nullptr);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_NE(message.find("no function with id -1"), std::string::npos);
  EXPECT_EQ(result.v.Kind(), KIND_UNDEFINED);
}

TEST_F(CompiledCodeTest, ArgumentReaderMessagesNameTheFunction) {
  Cell s("text"), result;
  DynValue* args[] = {&s.v};
  DynValue unset = DynValue_MakeUnset();
  DynValue* unsetArgs[] = {&unset};
  std::string message;
  Function_CallById(nullptr, nullptr, &result.v, 1, Function_Find("test_needs_number"), unsetArgs);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "test_needs_number argument 1 incorrect type (unset) expecting a Number (ZuGR)");
  Function_CallById(nullptr, nullptr, &result.v, 1, Function_Find("test_needs_number"), args);
  EXPECT_FALSE(TakeError());  // strings are converted by parsing
}

TEST_F(CompiledCodeTest, ArgumentReadersByKind) {
  DynValue args[] = {DynValue_MakeReal(0.6), DynValue_MakeInt64(0x1FFFFFFFFLL), DynValue_MakeBool(true),
                     DynValue_MakeUndefined()};
  EXPECT_TRUE(ZuGetBool(args, 0));
  EXPECT_EQ(ZuGetInt32(args, 1), -1);
  EXPECT_EQ(ZuGetInt64(args, 1), 0x1FFFFFFFFLL);
  EXPECT_EQ(ZuGetUint32(args, 1), 0xFFFFFFFFu);
  EXPECT_FLOAT_EQ(ZuGetFloat(args, 0), 0.6f);
  EXPECT_EQ(ZuGetReal(args, 2), 1.0);
  std::string message;
  EXPECT_EQ(ZuGetString(args, 0), nullptr);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "<unknown> argument 1 incorrect type (number) expecting a String (ZuGS)");
  EXPECT_EQ(ZuGetPtrOrInt(args, 3), -1);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "<unknown> argument 4 incorrect type (undefined) expecting a Number or Pointer");
  ZuGetBool(args, 3);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "<unknown> argument 4 incorrect type (undefined) expecting a Number (ZuGB)");
  ZuGetInt32(args, 3);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "<unknown> argument 4 incorrect type (undefined) expecting a Number (ZuGI32)");
}

TEST_F(CompiledCodeTest, OwnAndBuiltinVariables) {
  AddObject(0, "obj_A");
  CInstance* a = Instance_Create(0, 10, 20, 0);
  Cell value(7), result;
  // Own user variable by slot, as generated code does.
  DynValue_Assign(ZuObject_Slot(a, 0), &value.v);
  Variable_GetValue(a, g_varScore.id, ARRAY_INDEX_NONE, &result.v);
  EXPECT_EQ(result.v.real, 7);
  // A never-assigned variable reads as unset and converting it reports.
  Variable_GetValue(a, g_varName.id, ARRAY_INDEX_NONE, &result.v);
  EXPECT_EQ(result.v.Kind(), KIND_UNSET);
  DynValue_ToReal(&result.v);
  std::string message;
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "REAL argument is unset");

  Variable_GetValue(a, g_varX.id, ARRAY_INDEX_NONE, &result.v);
  EXPECT_EQ(result.v.real, 10);
  Cell fifty(50);
  Variable_SetValue(a, g_varX.id, ARRAY_INDEX_NONE, &fifty.v);
  EXPECT_EQ(a->x, 50);
  // id has no setter: the write is ignored without a report.
  Variable_SetValue(a, Variable_Find("id"), ARRAY_INDEX_NONE, &fifty.v);
  EXPECT_EQ(a->id, 100053);
  EXPECT_FALSE(TakeError());
}

TEST_F(CompiledCodeTest, OtherInstanceAccessByTarget) {
  AddObject(0, "obj_A");
  AddObject(1, "obj_B");
  CInstance* a = Instance_Create(0, 1, 1, 0);
  Cell five(5), result(-1);

  Variable_SetValueOther(0, g_varScore.id, ARRAY_INDEX_NONE, &five.v);
  Variable_GetValueOther(a->id, g_varScore.id, ARRAY_INDEX_NONE, &result.v);
  EXPECT_EQ(result.v.real, 5);

  // Reading from an object without instances leaves the result and sets the flag.
  DynValue_SetReal(&result.v, -1);
  g_NoInstanceFlag = false;
  EXPECT_FALSE(Variable_GetValueOther(1, g_varScore.id, ARRAY_INDEX_NONE, &result.v));
  EXPECT_TRUE(g_NoInstanceFlag);
  EXPECT_EQ(result.v.real, -1);
  EXPECT_FALSE(Variable_GetSlotOther(1, 0, ARRAY_INDEX_NONE, &result.v));

  std::string message;
  Variable_SetValueOther(1, g_varScore.id, ARRAY_INDEX_NONE, &five.v);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "Unable to find any instance for object index '1' name 'obj_B'");
  Variable_SetValueOther(7, g_varScore.id, ARRAY_INDEX_NONE, &five.v);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "Unable to find any instance for object index '7' name '(null)'");
  Variable_SetValueOther(123456, g_varScore.id, ARRAY_INDEX_NONE, &five.v);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "Unable to find any instance for object index '123456'");
  // Slot writes to missing targets write and report nothing.
  Variable_SetSlotOther(1, 0, ARRAY_INDEX_NONE, &five.v);
  Variable_SetSlotOther(123456, 0, ARRAY_INDEX_NONE, &five.v);
  EXPECT_FALSE(TakeError());

  // A destroyed instance is no longer found.
  Instance_Destroy(a, true);
  DynValue_SetReal(&result.v, -1);
  EXPECT_FALSE(Variable_GetValueOther(a->id, g_varScore.id, ARRAY_INDEX_NONE, &result.v));
  EXPECT_EQ(result.v.real, -1);
}

TEST_F(CompiledCodeTest, SetAllWritesEveryActiveInstance) {
  AddObject(0, "obj_A");
  AddObject(1, "obj_B");
  CInstance* a = Instance_Create(0, 0, 0, 0);
  CInstance* b = Instance_Create(1, 0, 0, 0);
  Cell three(3), result;
  Variable_SetValueOther(TARGET_ALL, g_varX.id, ARRAY_INDEX_NONE, &three.v);
  EXPECT_EQ(a->x, 3);
  EXPECT_EQ(b->x, 3);
  Variable_SetSlotOther(TARGET_ALL, 1, 4, &three.v);  // name[4] = 3 on all
  Variable_GetSlotOther(1, 1, 4, &result.v);
  EXPECT_EQ(result.v.real, 3);
}

TEST_F(CompiledCodeTest, FunctionNamesMustFitTheirRecord) {
  std::string longName(64, 'f');
  EXPECT_EQ(Function_Add(longName.c_str(), SumThree, 3, false), -1);
  longName.pop_back();
  int id = Function_Add(longName.c_str(), SumThree, 3, false);
  ASSERT_GE(id, 0);
  EXPECT_EQ(Function_Find(longName.c_str()), id);
  EXPECT_EQ(Function_Builtin(id)->reserved, -1);
  EXPECT_EQ(Function_Builtin(id)->argumentCount, 3);
}

TEST_F(CompiledCodeTest, UnresolvedVariableIdsReportWithoutCrashing) {
  AddObject(0, "obj_A");
  CInstance* a = Instance_Create(0, 0, 0, 0);
  Cell result(4), value(1);
  EXPECT_FALSE(Variable_GetValue(a, -1, ARRAY_INDEX_NONE, &result.v));
  EXPECT_TRUE(TakeError());
  EXPECT_FALSE(Variable_SetValue(a, 9999, ARRAY_INDEX_NONE, &value.v));
  EXPECT_TRUE(TakeError());
  EXPECT_EQ(result.v.real, 4);
}

// SPDX-License-Identifier: Zlib
// The test game (tests/kslc/game) is compiled by kslc at build time and linked
// here with the runtime. Each test loads the generated descriptor the way the
// runner does (Code_Load, Code_ResolveNames), builds the objects from the
// manifest, and runs compiled scripts and events.
//
// Most checks live in the .ksl files themselves as expect(actual, expected)
// calls: expect is a built-in registered below that compares kind and value in
// C++ (not with the generated comparison) and records the .ksl line of every
// failure. expect_same(actual, expected) also requires the same kind.
// trace(v) records values in order, for `with` and event order. by_id(name,
// ...) calls a built-in through Function_CallById, the way compiled code
// calls every built-in that has no direct entry; last_error() returns the
// last caught error message and clears it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Manifest.h"
#include "Names.h"
#include "base/Console.h"
#include "code/CompiledCode.h"
#include "code/ErrorContext.h"
#include "collision/Collision.h"
#include "data/GameData.h"
#include "graphics/Batch.h"
#include "graphics/CountingRenderer.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"
#include "ksl_game.h"
#include "object/EventDispatch.h"
#include "object/Instance.h"
#include "platform/Clock.h"
#include "platform/SaveFolder.h"
#include "platform/Window.h"
#include "run/Builtins.h"
#include "run/Runner.h"
#include "run/RunnerVariables.h"
#include "value/ArgReaders.h"
#include "value/TextBuffer.h"

namespace kslc {
// Every built-in variable name kslc accepts (tools/kslc/Names.cpp).
const std::vector<std::string>& Names_BuiltinVariables();
}  // namespace kslc

namespace {

struct Recorder {
  std::vector<std::string> failures;
  int checks = 0;
  std::vector<std::string> trace;
  std::string stack;
};
Recorder g_rec;

int CurrentLine() { return ksl_FrameHead ? ksl_FrameHead->line : -1; }
std::string CurrentFunction() { return ksl_FrameHead ? ksl_FrameHead->functionName : "?"; }

bool IsNumeric(const DynValue& v) {
  uint32_t k = v.Kind();
  return k == KIND_NUMBER || k == KIND_BOOL || k == KIND_INT32 || k == KIND_INT64;
}
double NumericValue(const DynValue& v) {
  switch (v.Kind()) {
    case KIND_INT32: return v.i32;
    case KIND_INT64: return static_cast<double>(v.i64);
    default: return v.real;
  }
}

std::string Show(const DynValue& v) {
  if (IsNumeric(v)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.12g", NumericValue(v));
    return buf;
  }
  if (v.Kind() == KIND_STRING) return std::string("\"") + (DynValue_Chars(&v) ? DynValue_Chars(&v) : "") + "\"";
  if (v.Kind() == KIND_UNDEFINED) return "undefined";
  if (v.Kind() == KIND_UNSET) return "unset";
  return std::string("<") + DynValue_KindName(&v) + ">";
}

void Expect(DynValue& result, CInstance*, CInstance*, int argc, DynValue* args) {
  ++g_rec.checks;
  DynValue_SetReal(&result, 0);
  if (argc != 2) {
    g_rec.failures.push_back(CurrentFunction() + " line " + std::to_string(CurrentLine()) + ": expect needs 2 arguments");
    return;
  }
  const DynValue& actual = args[0];
  const DynValue& expected = args[1];
  bool same = false;
  if (IsNumeric(actual) && IsNumeric(expected)) {
    same = std::fabs(NumericValue(actual) - NumericValue(expected)) <= 1e-9;
  } else if (actual.Kind() == KIND_STRING && expected.Kind() == KIND_STRING) {
    const char* a = DynValue_Chars(&actual);
    const char* e = DynValue_Chars(&expected);
    same = std::strcmp(a ? a : "", e ? e : "") == 0;
  } else {
    same = actual.Kind() == expected.Kind() && actual.Kind() == KIND_UNDEFINED;
  }
  if (!same)
    g_rec.failures.push_back(CurrentFunction() + " line " + std::to_string(CurrentLine()) + ": got " + Show(actual) +
                             ", expected " + Show(expected));
}

// Same kind and same value (reals bit for bit).
bool SameValue(const DynValue& a, const DynValue& b) {
  if (a.Kind() != b.Kind()) return false;
  switch (a.Kind()) {
    case KIND_NUMBER: case KIND_BOOL: return a.real == b.real || (std::isnan(a.real) && std::isnan(b.real));
    case KIND_INT32: return a.i32 == b.i32;
    case KIND_INT64: return a.i64 == b.i64;
    case KIND_STRING: {
      const char* x = DynValue_Chars(&a);
      const char* y = DynValue_Chars(&b);
      return std::strcmp(x ? x : "", y ? y : "") == 0;
    }
    case KIND_UNDEFINED: return true;
    default: return false;
  }
}

void ExpectSame(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  ++g_rec.checks;
  DynValue_SetReal(&result, 0);
  if (!SameValue(args[0], args[1]))
    g_rec.failures.push_back(CurrentFunction() + " line " + std::to_string(CurrentLine()) + ": got " + Show(args[0]) +
                             " (" + DynValue_KindName(&args[0]) + "), by id " + Show(args[1]) + " (" +
                             DynValue_KindName(&args[1]) + ")");
}

void ById(DynValue& result, CInstance* self, CInstance* other, int argc, DynValue* args) {
  const char* name = ZuGetString(args, 0);
  std::vector<DynValue*> rest;
  for (int i = 1; i < argc; ++i) rest.push_back(&args[i]);
  Function_CallById(self, other, &result, argc - 1, Function_Find(name), rest.data());
}

void LastError(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  DynValue_SetString(&result, Error_State().lastMessage.c_str());
  Error_State().lastMessage.clear();
  Error_State().caught = false;
}

// The test game's sprites for drawing and point tests, as the packer would
// make them: spr_dot (4 x 4, origin 2, 2, one frame) and spr_ring (8 x 8,
// origin 4, 4, two frames) on one 16 x 16 white page.
GameData& TestSprites() {
  static GameData data = [] {
    GameData d;
    Slot<TexturePage> page;
    page.present = true;
    page.record.width = 16;
    page.record.height = 16;
    page.record.rgba.assign(16 * 16 * 4, 0xFF);
    d.texturePages.push_back(page);
    auto entry = [&d](int x, int y, int size) {
      TexturePageEntry e{};
      e.sourceX = static_cast<int16_t>(x);
      e.sourceY = static_cast<int16_t>(y);
      e.sourceWidth = e.sourceHeight = e.targetWidth = e.targetHeight = static_cast<int16_t>(size);
      e.boundingWidth = e.boundingHeight = static_cast<int16_t>(size);
      e.texturePage = 0;
      e.textureId = 0;
      d.texturePageEntries.push_back(e);
      return static_cast<int32_t>(d.texturePageEntries.size()) - 1;
    };
    auto sprite = [&d](const char* name, int size, std::vector<int32_t> frames) {
      Slot<SpriteRecord> s;
      s.present = true;
      s.record.name = name;
      s.record.width = s.record.height = size;
      s.record.originX = s.record.originY = size / 2;
      s.record.bboxRight = s.record.bboxBottom = size - 1;
      s.record.frameCount = static_cast<int32_t>(frames.size());
      s.record.frames = std::move(frames);
      d.sprites.push_back(s);
    };
    int dot = entry(0, 0, 4);
    int ring0 = entry(0, 4, 8);
    int ring1 = entry(8, 4, 8);
    sprite("spr_dot", 4, {dot});
    sprite("spr_ring", 8, {ring0, ring1});
    return d;
  }();
  return data;
}
const SpriteRecord* TestSpriteSource(int index) {
  GameData& d = TestSprites();
  if (index < 0 || index >= static_cast<int>(d.sprites.size()) || !d.sprites[index].present) return nullptr;
  return &d.sprites[index].record;
}

std::string TraceText(const DynValue& v) {
  if (v.Kind() == KIND_STRING) return DynValue_Chars(&v) ? DynValue_Chars(&v) : "";
  return Show(v);
}
void Trace(DynValue& result, CInstance*, CInstance*, int argc, DynValue* args) {
  g_rec.trace.push_back(argc > 0 ? TraceText(args[0]) : "");
  DynValue_SetReal(&result, 1);
}
void CaptureStack(DynValue&, CInstance*, CInstance*, int, DynValue*) { g_rec.stack = Error_CallStackText(); }
void NoInstance(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  DynValue_SetReal(&result, g_NoInstanceFlag ? 1 : 0);
  g_NoInstanceFlag = false;
}
void IsUndefined(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, args[0].Kind() == KIND_UNDEFINED ? 1 : 0);
}
void CharCode(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* s = ZuGetString(args, 0);
  int i = ZuGetInt32(args, 1);
  DynValue_SetReal(&result, s && i >= 0 && i < static_cast<int>(std::strlen(s)) ? static_cast<unsigned char>(s[i]) : -1);
}
void StrLen(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* s = ZuGetString(args, 0);
  DynValue_SetReal(&result, s ? static_cast<double>(std::strlen(s)) : 0);
}

// The clock just before and just after the runner's variables were
// registered: current_time counts from a moment between the two.
int64_t g_registeringFrom = 0;
int64_t g_registeredBy = 0;

// The runner's own built-in variables, registered after the others as the
// runner does at start-up.
void RegisterRunnerVariables() {
  if (g_registeredBy) return;
  g_registeringFrom = Platform_MicroTime();
  RunnerVariables_Register();
  g_registeredBy = Platform_MicroTime();
}

// The room the runner variables test plays in.
const RoomRecord* TestRoom(int index) {
  static RoomRecord room = [] {
    RoomRecord r;
    r.name = "room_test";
    r.width = 640;
    r.height = 480;
    r.speed = 30;
    return r;
  }();
  return index == 0 ? &room : nullptr;
}

const mob::Manifest& Game() {
  static mob::Manifest manifest;
  static bool loaded = false;
  if (!loaded) {
    std::string error;
    if (!mob::Manifest_Load(std::string(KSLC_TEST_GAME_DIR) + "/game.json", &manifest, &error))
      ADD_FAILURE() << error;
    loaded = true;
  }
  return manifest;
}

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(KSLC_TEST_GAME_DIR) + "/" + relative);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The 1-based line of `file` that holds `marker` (a comment in the .ksl).
int MarkerLine(const std::string& file, const std::string& marker) {
  std::istringstream in(ReadSource(file));
  std::string line;
  for (int n = 1; std::getline(in, line); ++n)
    if (line.find(marker) != std::string::npos) return n;
  ADD_FAILURE() << "no marker " << marker << " in " << file;
  return -1;
}

// How many expect(...) statements a check script holds.
int CountExpects(const std::string& file) {
  std::istringstream in(ReadSource(file));
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    size_t first = line.find_first_not_of(" \t");
    if (first != std::string::npos && (line.compare(first, 7, "expect(") == 0 || line.compare(first, 12, "expect_same(") == 0))
      ++n;
  }
  return n;
}

}  // namespace

class KslcGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Builtins_RegisterAll();
    RegisterRunnerVariables();
    static bool added = false;
    if (!added) {
      Function_Add("expect", Expect, 2, false);
      Function_Add("trace", Trace, 1, false);
      Function_Add("capture_stack", CaptureStack, 0, false);
      Function_Add("no_instance", NoInstance, 0, false);
      Function_Add("is_undefined", IsUndefined, 1, false);
      Function_Add("char_code", CharCode, 2, false);
      Function_Add("str_len", StrLen, 1, false);
      Function_Add("expect_same", ExpectSame, 2, false);
      Function_Add("by_id", ById, -1, false);
      Function_Add("last_error", LastError, 0, false);
      added = true;
    }
    previousCatch_ = Error_BeginCatch();
    Error_State().caught = false;
    g_rec = Recorder();
    g_NoInstanceFlag = false;
    Instance_State().lastId = Game().general.lastInstanceId;

    ksl_GetCompiledCodeInfo(&info_);
    Code_Load(info_);
    const mob::Manifest& m = Game();
    for (size_t i = 0; i < m.scripts.size(); ++i)
      Script_Register(static_cast<int>(i), m.scripts[i].name.c_str(), m.scripts[i].codeIndex);
    Code_ResolveNames();
    for (size_t i = 0; i < m.objects.size(); ++i) {
      const mob::ManifestObject& o = m.objects[i];
      auto* object = new CObjectType;
      object->index = static_cast<int>(i);
      object->name = o.name.c_str();
      object->spriteIndex = o.spriteIndex;
      object->parentIndex = o.parentIndex;
      object->flags = OBJECT_FLAG_VISIBLE;
      for (const auto& e : o.events)
        object->AddEvent(mob::ManifestEvent_Type(e.event), mob::ManifestEvent_Subtype(e.event), e.codeIndex);
      Object_Add(object);
    }
    Object_LinkParents();
    Object_BindEvents();
    Collision_SetSpriteSource(TestSpriteSource);
    probe_ = Create("obj_probe");
  }

  void TearDown() override {
    Error_State().continueAfterErrors = false;
    Error_EndCatch(previousCatch_);
    Instance_DestroyAllNoEvents();
    Object_ClearAll();
    Collision_SetSpriteSource(nullptr);
    Code_Reset();
    EXPECT_EQ(ksl_FrameHead, nullptr) << "a generated function left its call frame linked";
    ksl_FrameHead = nullptr;
  }

  CInstance* Create(const std::string& object, float x = 0, float y = 0) {
    CInstance* inst = Instance_Create(Game().FindObject(object), x, y, 0);
    EXPECT_NE(inst, nullptr) << object;
    return inst;
  }

  // The slot of a user variable: its position in the variable table.
  int Slot(const char* name) const {
    int index = 0;
    for (CompiledVariableRef** r = info_.variableTable; *r; ++r, ++index)
      if (std::strcmp((*r)->name, name) == 0 && (*r)->id >= USER_ID_BASE) return index;
    ADD_FAILURE() << "no user variable " << name;
    return 0;
  }
  std::string TextOf(CInstance* inst, const char* variable) const {
    const DynValue* cell = ZuObject_Slot(inst, Slot(variable));
    return TraceText(*cell);
  }
  void SetText(CInstance* inst, const char* variable, const char* text) {
    DynValue_SetString(ZuObject_Slot(inst, Slot(variable)), text);
  }

  // Calls a compiled script through the function table, with self = self.
  void RunScript(const std::string& name, CInstance* self, std::vector<double> args = {}, DynValue* out = nullptr) {
    int script = Game().FindScript(name);
    ASSERT_GE(script, 0) << name;
    auto fn = reinterpret_cast<CompiledScriptFn>(Code_Function(Game().scripts[script].codeIndex));
    ASSERT_NE(fn, nullptr);
    std::vector<DynValue> cells;
    for (double a : args) cells.push_back(DynValue_MakeReal(a));
    std::vector<DynValue*> argv;
    for (auto& c : cells) argv.push_back(&c);
    DynValue result = DynValue_MakeUndefined();
    fn(self, self, &result, static_cast<int>(argv.size()), argv.data());
    if (out) {
      *out = result;
    } else {
      DynValue_Release(&result);
    }
  }

  // Runs a script of expect() calls and checks that every one ran and held.
  void RunChecks(const std::string& name) {
    RunScript(name, probe_);
    for (const auto& f : g_rec.failures) ADD_FAILURE() << f;
    EXPECT_EQ(g_rec.checks, CountExpects("scripts/" + name + ".ksl")) << "not every expect() in " << name << " ran";
    EXPECT_FALSE(Error_State().caught) << Error_State().lastMessage;
  }

  // Items A, B, C created in that order.
  void MakeItems() {
    const char* tags[] = {"A", "B", "C"};
    for (const char* t : tags) SetText(Create("obj_item"), "tag", t);
  }

  CompiledCodeInfo info_{};
  CInstance* probe_ = nullptr;
  bool previousCatch_ = false;
};

TEST_F(KslcGameTest, ArithmeticFollowsPrecedenceEpsilonAndTruth) { RunChecks("check_arith"); }

TEST_F(KslcGameTest, StringsConcatenateEscapeCompareAndShare) { RunChecks("check_strings"); }

TEST_F(KslcGameTest, ControlFlowLoopsAndShortCircuit) {
  RunChecks("check_control");
  EXPECT_TRUE(g_rec.trace.empty()) << "&& or || evaluated its right side: " << g_rec.trace.front();
}

TEST_F(KslcGameTest, ScriptsTakeArgumentsReturnValuesAndSwitchFallsThrough) { RunChecks("check_scripts"); }

TEST_F(KslcGameTest, LoopSumsIntoALocal) {
  DynValue result;
  RunScript("loop_sum", probe_, {1000}, &result);
  EXPECT_EQ(result.Kind(), KIND_NUMBER);
  EXPECT_EQ(result.real, 499500.0);
}

TEST_F(KslcGameTest, AddingANumberToAStringIsARuntimeError) {
  DynValue result;
  RunScript("add_string_number", probe_, {5}, &result);
  DynValue_Release(&result);
  EXPECT_TRUE(Error_State().caught);
  EXPECT_EQ(Error_State().lastMessage, "unable to add a number to string");
}

TEST_F(KslcGameTest, WithVisitsInstancesNewestFirst) {
  MakeItems();
  RunScript("with_order", probe_);
  EXPECT_EQ(g_rec.trace, (std::vector<std::string>{"C", "B", "A"}));
}

TEST_F(KslcGameTest, BreakAndContinueInsideWithAndSelfIsRestored) {
  MakeItems();
  RunScript("with_break_continue", probe_);
  EXPECT_EQ(g_rec.trace, (std::vector<std::string>{"c:C", "c:A", "b:C", "b:B", "self:P"}));
}

TEST_F(KslcGameTest, ExitInsideWithLeavesTheScript) {
  MakeItems();
  RunScript("with_exit", probe_);
  EXPECT_EQ(g_rec.trace, (std::vector<std::string>{"C"}));
}

TEST_F(KslcGameTest, OtherInsideWithIsTheCaller) {
  MakeItems();
  RunScript("with_other", probe_);
  EXPECT_EQ(g_rec.trace, (std::vector<std::string>{"C<P", "B<P", "A<P", "self P", "3"}));
}

TEST_F(KslcGameTest, DottedAccessReachesOtherInstancesGlobalsAndBuiltins) { RunChecks("check_dotted"); }

TEST_F(KslcGameTest, ReadingAMissingInstanceSetsTheNoInstanceFlag) { RunChecks("read_missing"); }

TEST_F(KslcGameTest, EventsAndCreationCodeRunThroughTheFunctionTable) {
  CInstance* item = Create("obj_item");  // Create: tag = "?", steps = 0
  EXPECT_EQ(TextOf(item, "tag"), "?");
  Perform_Event(item, item, ev_step, 0);
  Perform_Event(item, item, ev_step, 0);
  EXPECT_EQ(g_rec.trace, (std::vector<std::string>{"?", "1", "?", "2"}));

  // The room's creation code (code index from the manifest) on the same item.
  const mob::ManifestInstance& placed = Game().rooms[0].instances[1];
  ASSERT_GE(placed.creationCodeIndex, 0);
  reinterpret_cast<CompiledEventFn>(Code_Function(placed.creationCodeIndex))(item, item);
  EXPECT_EQ(TextOf(item, "tag"), "placed");
  EXPECT_FLOAT_EQ(item->x, 99);

  // GameEnd (numbered after everything else) calls an appended script.
  Perform_Event(item, item, ev_other, ev_game_end);
  EXPECT_EQ(g_rec.trace.back(), "game end placed 42");

  Instance_Destroy(item, true);
  EXPECT_EQ(g_rec.trace.back(), "destroyed placed");
}

TEST_F(KslcGameTest, DescriptorListsFunctionsByCodeIndexAndResolvesBuiltins) {
  const mob::Manifest& m = Game();
  ASSERT_EQ(Code_FunctionCount(), static_cast<int>(m.code.size()));
  for (size_t i = 0; i < m.code.size(); ++i) EXPECT_STREQ(Code_FunctionName(static_cast<int>(i)), m.code[i].functionName.c_str());
  EXPECT_EQ(info_.frameHead, &ksl_FrameHead);
  // Built-in variable records resolve to the runtime's ids; user ones to 100000 + slot.
  int index = 0;
  bool sawX = false;
  for (CompiledVariableRef** r = info_.variableTable; *r; ++r, ++index) {
    if (std::strcmp((*r)->name, "x") == 0) {
      sawX = true;
      EXPECT_EQ((*r)->id, Variable_Find("x"));
      EXPECT_LT((*r)->id, BUILTIN_VARIABLE_LIMIT);
    } else if ((*r)->id >= USER_ID_BASE) {
      EXPECT_EQ((*r)->id, USER_ID_BASE + index) << (*r)->name;
    }
  }
  EXPECT_TRUE(sawX);
  for (CompiledFunctionRef** r = info_.functionIdTable; *r; ++r)
    EXPECT_EQ((*r)->id, Function_Find((*r)->name)) << (*r)->name;
}

// The call stack of an error three calls deep: event -> deep_a -> deep_b,
// newest first, each with the line that was running.
TEST_F(KslcGameTest, CallStackThreeCallsDeepNamesEachLine) {
  CInstance* deep = Create("obj_deep");
  ASSERT_NE(deep, nullptr);
  const std::string& stack = g_rec.stack;
  std::string expected = std::string(92, '-') + "\n" + "called from - ksl_Script_deep_b (line " +
                         std::to_string(MarkerLine("scripts/deep_b.ksl", "@b-call")) + ")\n" +
                         "called from - ksl_Script_deep_a (line " +
                         std::to_string(MarkerLine("scripts/deep_a.ksl", "@a-call")) + ")\n" +
                         "called from - ksl_Object_obj_deep_Create_0 (line " +
                         std::to_string(MarkerLine("objects/obj_deep/Create.ksl", "@event-call")) + ")\n";
  EXPECT_EQ(stack, expected);
  // The event went on after the calls returned.
  EXPECT_EQ(TextOf(deep, "depth_reached"), "1");
}

// A real runtime error three calls deep: the full report carries the chain.
TEST_F(KslcGameTest, RuntimeErrorReportCarriesTheCompiledCallChain) {
  Error_EndCatch(false);
  Error_State().continueAfterErrors = true;  // report, then go on
  Create("obj_fail");
  const std::string& report = Error_State().lastError;
  EXPECT_NE(report.find("unable to add a number to string"), std::string::npos) << report;
  std::string b = "called from - ksl_Script_fail_b (line " +
                  std::to_string(MarkerLine("scripts/fail_b.ksl", "@fail-b-error")) + ")";
  std::string a = "called from - ksl_Script_fail_a (line " +
                  std::to_string(MarkerLine("scripts/fail_a.ksl", "@fail-a-call")) + ")";
  std::string e = "called from - ksl_Object_obj_fail_Create_0 (line " +
                  std::to_string(MarkerLine("objects/obj_fail/Create.ksl", "@fail-event-call")) + ")";
  // The position line quotes the source line that was running.
  std::string at = " at ksl_Script_fail_b (line " + std::to_string(MarkerLine("scripts/fail_b.ksl", "@fail-b-error")) +
                   ") - s = s + 1 // @fail-b-error\n";
  EXPECT_NE(report.find(at), std::string::npos) << report;
  size_t pb = report.find(b), pa = report.find(a), pe = report.find(e);
  ASSERT_NE(pb, std::string::npos) << report;
  ASSERT_NE(pa, std::string::npos) << report;
  ASSERT_NE(pe, std::string::npos) << report;
  EXPECT_LT(pb, pa);
  EXPECT_LT(pa, pe);
}

TEST_F(KslcGameTest, FatalRuntimeErrorEndsTheProcessWithTheReport) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::string line = std::to_string(MarkerLine("scripts/fail_b.ksl", "@fail-b-error"));
  EXPECT_EXIT(
      {
        Error_EndCatch(false);
        Create("obj_fail");
      },
      ::testing::ExitedWithCode(1), "called from - ksl_Script_fail_b \\(line " + line + "\\)");
}

// ---- ++ and -- in expressions, assignments to arguments ----

TEST_F(KslcGameTest, IncrementAndDecrementInsideExpressions) { RunChecks("check_steps"); }

TEST_F(KslcGameTest, SteppingAStringReportsTheInvalidTypeError) { RunChecks("step_errors"); }

TEST_F(KslcGameTest, ScriptsAssignToTheirOwnArgumentCopies) { RunChecks("check_arg_assign"); }

TEST_F(KslcGameTest, AssigningArgumentsLeavesTheCallersCellsAlone) {
  auto fn = reinterpret_cast<CompiledScriptFn>(Code_Function(Game().scripts[Game().FindScript("arg_bump")].codeIndex));
  DynValue a = DynValue_MakeReal(1), b = DynValue_MakeReal(2);
  DynValue* argv[] = {&a, &b};
  DynValue result = DynValue_MakeUndefined();
  fn(probe_, probe_, &result, 2, argv);
  EXPECT_EQ(result.Kind(), KIND_NUMBER);
  EXPECT_EQ(result.real, 1103);
  EXPECT_EQ(a.real, 1);
  EXPECT_EQ(b.real, 2);
  EXPECT_FALSE(Error_State().caught) << Error_State().lastMessage;
}

// ---- Direct entries of the frequent built-ins ----

// The records of the direct-called built-ins are set to -1 first: a call
// through the id would now fail, so every check passing shows the direct
// entry ran (and gave what the by-id built-in gives).
TEST_F(KslcGameTest, FrequentBuiltinsCalledDirectlyEqualTheByIdCalls) {
  Create("obj_item", 40, 40);
  Create("obj_item", 80, 40);
  Create("obj_item", 120, 40);
  const char* direct[] = {"abs", "point_direction", "make_colour_rgb", "make_color_rgb", "instance_exists",
                          "instance_number", "position_meeting", "instance_destroy", "draw_set_halign",
                          "show_debug_message"};
  int unresolved = 0;
  for (CompiledFunctionRef** r = info_.functionIdTable; *r; ++r)
    for (const char* name : direct)
      if (std::strcmp((*r)->name, name) == 0) {
        (*r)->id = -1;
        ++unresolved;
      }
  EXPECT_EQ(unresolved, static_cast<int>(std::size(direct)));
  TErrStreamConsole log;
  TConsole* previous = Console_SetDebug(&log);
  RunChecks("check_direct");
  Console_SetDebug(previous);
}

TEST_F(KslcGameTest, OtherArgumentKindsTakeTheByIdCallAndItsMessages) { RunChecks("direct_kinds"); }

TEST_F(KslcGameTest, ChooseDirectlyPicksWhatChooseByIdPicks) {
  RunScript("choose_sequence", probe_);
  ASSERT_EQ(g_rec.trace.size(), 40u);
  std::vector<std::string> direct(g_rec.trace.begin(), g_rec.trace.begin() + 20);
  std::vector<std::string> byId(g_rec.trace.begin() + 20, g_rec.trace.end());
  EXPECT_EQ(direct, byId);
  std::set<std::string> distinct(direct.begin(), direct.end());
  EXPECT_GE(distinct.size(), 3u) << "twenty picks of five values should not all be alike";
  for (const std::string& v : direct) EXPECT_TRUE(v == "1" || v == "two" || v == "3" || v == "4.5" || v == "five") << v;
}

TEST_F(KslcGameTest, ShowDebugMessageWritesTheSameLinesDirectlyAndById) {
  TErrStreamConsole log;
  TConsole* previous = Console_SetDebug(&log);
  RunScript("debug_messages", probe_);
  Console_SetDebug(previous);
  // Reals are written with two decimals, strings as they are.
  EXPECT_EQ(log.Text(), "hello 3\n2.50\n2.50\nhello 3\n");
}

TEST_F(KslcGameTest, InstanceDestroyDirectlyAndByIdRunTheSameEvents) {
  RunScript("destroy_forms", probe_);
  EXPECT_EQ(g_rec.trace, (std::vector<std::string>{"destroyed a1", "0", "destroyed b1", "0", "0", "0", "0",
                                                   "destroyed self3", "destroyed self4", "0"}));
  EXPECT_FALSE(Error_State().caught) << Error_State().lastMessage;
}

TEST_F(KslcGameTest, DirectDrawingCallsDrawWhatTheBuiltinsDraw) {
  CountingRenderer renderer(true);
  Graphics_Init(&renderer);
  Graphics_BuildResources(TestSprites());
  struct Outcome {
    std::vector<Vertex> vertices;
    std::vector<std::string> trace;
    int32_t halign, valign, font;
  };
  auto run = [&](const char* script) {
    Graphics_ResetState();
    renderer.ResetCounts();
    g_rec.trace.clear();
    RunScript(script, probe_);
    Batch_Flush();
    const GraphicsState& g = Graphics_State();
    return Outcome{renderer.vertices, g_rec.trace, g.halign, g.valign, g.font};
  };
  Outcome direct = run("draw_direct");
  Outcome byId = run("draw_by_id");
  Graphics_Shutdown();

  // Four sprites drawn (the fifth names no sprite), each a quad.
  EXPECT_EQ(direct.vertices.size(), 4 * 6u);
  ASSERT_EQ(direct.vertices.size(), byId.vertices.size());
  for (size_t i = 0; i < direct.vertices.size(); ++i) {
    const Vertex& a = direct.vertices[i];
    const Vertex& b = byId.vertices[i];
    EXPECT_TRUE(a.u == b.u && a.v == b.v && a.colour == b.colour && a.x == b.x && a.y == b.y && a.z == b.z)
        << "vertex " << i << ": (" << a.x << ", " << a.y << ", " << std::hex << a.colour << ") against (" << std::dec
        << b.x << ", " << b.y << ", " << std::hex << b.colour << ")";
  }
  EXPECT_EQ(direct.trace, (std::vector<std::string>{"Trying to draw non-existing sprite."}));
  EXPECT_EQ(direct.trace, byId.trace);
  EXPECT_EQ(direct.halign, 2);
  EXPECT_EQ(direct.valign, 1);
  EXPECT_EQ(direct.halign, byId.halign);
  EXPECT_EQ(direct.valign, byId.valign);
  EXPECT_EQ(direct.font, byId.font);
}

// Every built-in the runtime registers is known to kslc with the same number
// of arguments, and every name kslc knows is registered: a call kslc accepts
// always resolves at load.
TEST_F(KslcGameTest, KslcKnowsEveryBuiltinTheRuntimeRegisters) {
  for (int id = 0; id < Function_BuiltinCount(); ++id) {
    const BuiltinFunction* f = Function_Builtin(id);
    ASSERT_NE(f, nullptr);
    if (Game().FindHostFunction(f->name) >= 0) continue;
    int arguments = -2;
    EXPECT_TRUE(kslc::Names_BuiltinFunction(f->name, &arguments)) << f->name << " is missing from kslc's list";
    if (arguments != -2) {
      EXPECT_EQ(arguments, f->argumentCount) << f->name;
    }
  }
  for (const kslc::BuiltinFunctionName& f : kslc::Names_BuiltinFunctions()) {
    int id = Function_Find(f.name);
    EXPECT_GE(id, 0) << f.name << " is not registered by the runtime";
    EXPECT_LT(id, USER_ID_BASE) << f.name;
  }
}

// The runtime's built-in variables and kslc's list of them are the same set:
// a name kslc accepts always resolves at load (reading one the runtime never
// registered reports an error and yields undefined), and a variable the
// runtime adds cannot be missing from kslc unnoticed (kslc would give it a
// user slot of its own).
TEST_F(KslcGameTest, KslcKnowsEveryBuiltinVariableTheRuntimeRegisters) {
  std::set<std::string> registered;
  for (int id = 0; id < Variable_BuiltinCount(); ++id) {
    const BuiltinVariable* v = Variable_Builtin(id);
    ASSERT_NE(v, nullptr);
    registered.insert(v->name);
    EXPECT_TRUE(kslc::Names_IsBuiltinVariable(v->name)) << v->name << " is missing from kslc's list";
    EXPECT_NE(v->getter, nullptr) << v->name;
  }
  std::set<std::string> known;
  for (const std::string& name : kslc::Names_BuiltinVariables()) {
    EXPECT_TRUE(known.insert(name).second) << name << " is listed twice";
    EXPECT_TRUE(registered.count(name)) << name << " is not registered by the runtime";
    int id = Variable_Find(name.c_str());
    EXPECT_GE(id, 0) << name;
    EXPECT_LT(id, BUILTIN_VARIABLE_LIMIT) << name;
  }
  EXPECT_EQ(known.size(), registered.size());
  // The compiled test game resolved every built-in variable record it holds.
  for (CompiledVariableRef** r = info_.variableTable; *r; ++r) {
    if (kslc::Names_IsBuiltinVariable((*r)->name)) {
      EXPECT_EQ((*r)->id, Variable_Find((*r)->name)) << (*r)->name;
    }
  }
}

// Compiled code reads the room, runner and sprite variables as numbers it can
// compute with (room_width + 30), and the folders and the clock as the
// runtime knows them.
TEST_F(KslcGameTest, RoomRunnerAndSpriteVariablesReadTheirValues) {
  RunnerState& runner = Runner_State();
  const int savedRoom = runner.currentRoom;
  const double savedSpeed = runner.gameSpeed;
  const int savedFps = runner.fps;
  std::string savedCaption = Platform_Caption();
  RunnerVariables_SetRoomSource(TestRoom);
  runner.currentRoom = 0;
  runner.gameSpeed = 30;
  runner.fps = 57;
  RunnerVariables_FrameStarted(5000000);
  RunnerVariables_FrameStarted(5016667);
  Platform_SetCaption("kslc caption");

  int64_t before = Platform_MicroTime();
  RunChecks("check_runner_vars");
  int64_t after = Platform_MicroTime();
  EXPECT_EQ(runner.gameSpeed, 45) << "room_speed = 45 sets the runner's speed";
  EXPECT_STREQ(Platform_Caption(), "room 640") << "room_caption sets the window's caption";

  ASSERT_GE(g_rec.trace.size(), 3u);
  std::vector<std::string> last(g_rec.trace.end() - 3, g_rec.trace.end());
  EXPECT_EQ(last[0], Platform_ProgramFolder());
  const char* tmp = std::getenv("TMPDIR");
  EXPECT_EQ(last[1], tmp && tmp[0] == '/' ? Platform_NormalisePath(std::string(tmp) + "/") : std::string("/tmp/"));
  // Whole milliseconds since the variables were registered.
  double now = std::stod(last[2]);
  EXPECT_EQ(now, std::floor(now));
  EXPECT_GE(now, std::floor((before - g_registeredBy) / 1000.0));
  EXPECT_LE(now, (after - g_registeringFrom) / 1000.0);

  // Without a room (before the first one starts) the size reads 0.
  runner.currentRoom = -1;
  DynValue width = DynValue_MakeUndefined();
  ASSERT_TRUE(Variable_GetValue(probe_, Variable_Find("room_width"), ARRAY_INDEX_NONE, &width));
  EXPECT_EQ(width.Kind(), KIND_NUMBER);
  EXPECT_EQ(width.real, 0);

  RunnerVariables_SetRoomSource(nullptr);
  runner.currentRoom = savedRoom;
  runner.gameSpeed = savedSpeed;
  runner.fps = savedFps;
  Platform_SetCaption(savedCaption.c_str());
}

// One step: the order of the event passes, the order of objects and
// instances within a pass, and instances created during a pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Console.h"
#include "code/Builtins.h"
#include "code/CompiledCode.h"
#include "code/Error.h"
#include "io/Input.h"
#include "object/EventDispatch.h"
#include "object/Instance.h"
#include "room/RoomInstances.h"
#include "run/EventLists.h"
#include "run/Runner.h"

namespace {

std::vector<std::string> g_log;

std::string Describe(CInstance* self, const char* what) {
  return std::string(what) + " " + self->object->name + " " + std::to_string(self->id);
}

void BeginStep(CInstance* self, CInstance*) { g_log.push_back(Describe(self, "begin")); }
void Step(CInstance* self, CInstance*) { g_log.push_back(Describe(self, "step")); }
void EndStep(CInstance* self, CInstance*) { g_log.push_back(Describe(self, "end")); }
void Alarm0(CInstance* self, CInstance*) { g_log.push_back(Describe(self, "alarm0")); }
void KeyPressEnter(CInstance* self, CInstance*) { g_log.push_back(Describe(self, "press-enter")); }
void KeyboardAny(CInstance* self, CInstance*) { g_log.push_back(Describe(self, "held-any")); }
// A step that makes another instance of its own object, and one that destroys itself.
void SpawningStep(CInstance* self, CInstance*) {
  g_log.push_back(Describe(self, "step"));
  if (self->id == 100053) Instance_Create(self->objectIndex, 0, 0, 0);
}
void DestroyInBegin(CInstance* self, CInstance*) {
  g_log.push_back(Describe(self, "begin"));
  Instance_Destroy(self, true);
}

enum Code { kBegin, kStep, kEnd, kAlarm0, kPressEnter, kHeldAny, kSpawning, kDestroyInBegin };
CompiledFunctionEntry g_table[] = {
    {"begin", reinterpret_cast<CompiledAnyFn>(&BeginStep)},
    {"step", reinterpret_cast<CompiledAnyFn>(&Step)},
    {"end", reinterpret_cast<CompiledAnyFn>(&EndStep)},
    {"alarm0", reinterpret_cast<CompiledAnyFn>(&Alarm0)},
    {"press", reinterpret_cast<CompiledAnyFn>(&KeyPressEnter)},
    {"held", reinterpret_cast<CompiledAnyFn>(&KeyboardAny)},
    {"spawn", reinterpret_cast<CompiledAnyFn>(&SpawningStep)},
    {"destroy", reinterpret_cast<CompiledAnyFn>(&DestroyInBegin)},
};

class StepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Builtins_RegisterAll();
    Console_SetDebug(&log);
    Console_SetRelease(&log);
    previousCatch = Error_BeginCatch();
    CompiledCodeInfo info{};
    info.functionCount = static_cast<int>(std::size(g_table));
    info.functionTable = g_table;
    Code_Load(info);
    Instance_State().lastId = 100052;
    Input_Reset();
    g_log.clear();
  }
  void TearDown() override {
    Instance_DestroyAllNoEvents();
    Object_ClearAll();
    EventLists_Clear();
    Code_Reset();
    Error_EndCatch(previousCatch);
    Console_SetDebug(nullptr);
    Console_SetRelease(nullptr);
  }
  static CObjectType* AddObject(int index, const char* name) {
    auto* object = new CObjectType;
    object->index = index;
    object->name = name;
    Object_Add(object);
    return object;
  }
  static void Prepare() {
    Object_LinkParents();
    Object_BindEvents();
    EventLists_Build();
  }
  TErrStreamConsole log;
  bool previousCatch = false;
};

}  // namespace

TEST_F(StepTest, PassesRunInOrderAndObjectsByIndex) {
  CObjectType* b = AddObject(1, "obj_B");
  b->AddEvent(ev_step, ev_step_normal, kStep);
  b->AddEvent(ev_step, ev_step_begin, kBegin);
  b->AddEvent(ev_step, ev_step_end, kEnd);
  CObjectType* a = AddObject(0, "obj_A");
  a->AddEvent(ev_step, ev_step_normal, kStep);
  a->AddEvent(ev_alarm, 0, kAlarm0);
  Prepare();
  CInstance* b1 = Instance_Create(1, 0, 0, -10);  // shallower: first in the room list
  CInstance* a1 = Instance_Create(0, 0, 0, 50);
  CInstance* a2 = Instance_Create(0, 0, 0, 0);
  a2->alarms[0] = 1;
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{
                       "begin obj_B " + std::to_string(b1->id),
                       "alarm0 obj_A " + std::to_string(a2->id),
                       "step obj_A " + std::to_string(a1->id),  // object 0 first, its instances by creation
                       "step obj_A " + std::to_string(a2->id),
                       "step obj_B " + std::to_string(b1->id),
                       "end obj_B " + std::to_string(b1->id),
                   }));
  g_log.clear();
  DoAStep();  // the alarm ran out: it does not fire again
  EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "alarm0 obj_A " + std::to_string(a2->id)), 0);
  EXPECT_EQ(a2->alarms[0], -1);
}

TEST_F(StepTest, InstanceCreatedInAStepDoesNotGetThatStep) {
  AddObject(0, "obj_A")->AddEvent(ev_step, ev_step_normal, kSpawning);
  Prepare();
  Instance_Create(0, 0, 0, 0);  // 100053; its step makes 100054
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{"step obj_A 100053"}));
  g_log.clear();
  DoAStep();
  // 100053 makes another (100055), which waits for the next step.
  EXPECT_EQ(g_log, (std::vector<std::string>{"step obj_A 100053", "step obj_A 100054"}));
}

TEST_F(StepTest, DestroyedInstancesAreRemovedAfterThePass) {
  CObjectType* a = AddObject(0, "obj_A");
  a->AddEvent(ev_step, ev_step_begin, kDestroyInBegin);
  a->AddEvent(ev_step, ev_step_normal, kStep);
  Prepare();
  Instance_Create(0, 0, 0, 0);
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{"begin obj_A 100053"}));
  EXPECT_EQ(Instance_Find(100053), nullptr);
  EXPECT_EQ(Room_Instances().list.count, 0);
}

TEST_F(StepTest, KeyboardEventsFollowTheFoldedInput) {
  CObjectType* a = AddObject(0, "obj_A");
  a->AddEvent(ev_keypress, 13, kPressEnter);
  a->AddEvent(ev_keyboard, 1, kHeldAny);
  a->AddEvent(ev_step, ev_step_normal, kStep);
  Prepare();
  Instance_Create(0, 0, 0, 0);
  Input_KeyDown(13, false, false);
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{"press-enter obj_A 100053", "held-any obj_A 100053", "step obj_A 100053"}));
  g_log.clear();
  Input_KeyDown(13, true, false);  // auto-repeat: held, not pressed again
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{"held-any obj_A 100053", "step obj_A 100053"}));
}

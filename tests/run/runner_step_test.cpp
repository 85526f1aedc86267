// SPDX-License-Identifier: Zlib
// One step: the order of the event passes, the order of objects and
// instances within a pass, instances created during a pass, and the
// collision pass (who meets whom, self and other, destroyed, deactivated and
// new instances).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Console.h"
#include "base/Error.h"
#include "code/CompiledCode.h"
#include "collision/Collision.h"
#include "data/GameData.h"
#include "io/Input.h"
#include "object/EventDispatch.h"
#include "object/Instance.h"
#include "object/InstanceFunctions.h"
#include "room/RoomInstances.h"
#include "run/Builtins.h"
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

// Collision events log self, other and the subtype they run for; some also
// destroy one of the two or make another instance of their own object.
void Collide(CInstance* self, CInstance* other) {
  g_log.push_back(Describe(self, "collide") + " with " + other->object->name + " " + std::to_string(other->id) +
                  " sub " + std::to_string(Event_Context().subtype));
}
void CollideDestroyOther(CInstance* self, CInstance* other) {
  Collide(self, other);
  Instance_Destroy(other, true);
}
void CollideDestroySelf(CInstance* self, CInstance* other) {
  Collide(self, other);
  Instance_Destroy(self, true);
}
// Destroys every instance of the object met, as `with (obj) instance_destroy()` does.
void CollideDestroyingAllOfOther(CInstance* self, CInstance* other) {
  Collide(self, other);
  Instance_DestroyDirect(self, other, other->objectIndex, true);
}
void CollideSpawning(CInstance* self, CInstance* other) {
  Collide(self, other);
  if (self->id == 100053) Instance_Create(self->objectIndex, self->x, self->y, 0);
}

enum Code {
  kBegin,
  kStep,
  kEnd,
  kAlarm0,
  kPressEnter,
  kHeldAny,
  kSpawning,
  kDestroyInBegin,
  kCollide,
  kCollideDestroyOther,
  kCollideDestroySelf,
  kCollideDestroyAll,
  kCollideSpawning,
};
CompiledFunctionEntry g_table[] = {
    {"begin", reinterpret_cast<CompiledAnyFn>(&BeginStep)},
    {"step", reinterpret_cast<CompiledAnyFn>(&Step)},
    {"end", reinterpret_cast<CompiledAnyFn>(&EndStep)},
    {"alarm0", reinterpret_cast<CompiledAnyFn>(&Alarm0)},
    {"press", reinterpret_cast<CompiledAnyFn>(&KeyPressEnter)},
    {"held", reinterpret_cast<CompiledAnyFn>(&KeyboardAny)},
    {"spawn", reinterpret_cast<CompiledAnyFn>(&SpawningStep)},
    {"destroy", reinterpret_cast<CompiledAnyFn>(&DestroyInBegin)},
    {"collide", reinterpret_cast<CompiledAnyFn>(&Collide)},
    {"collide_destroy_other", reinterpret_cast<CompiledAnyFn>(&CollideDestroyOther)},
    {"collide_destroy_self", reinterpret_cast<CompiledAnyFn>(&CollideDestroySelf)},
    {"collide_destroy_all", reinterpret_cast<CompiledAnyFn>(&CollideDestroyingAllOfOther)},
    {"collide_spawn", reinterpret_cast<CompiledAnyFn>(&CollideSpawning)},
};

// Every instance of the collision tests is a 16 x 16 square (sprite 0, not
// precise) with its origin at the top left.
const SpriteRecord* SquareSprite(int index) {
  static const SpriteRecord square = [] {
    SpriteRecord r;
    r.width = r.height = 16;
    r.bboxRight = r.bboxBottom = 15;
    r.frameCount = 1;
    return r;
  }();
  return index == 0 ? &square : nullptr;
}

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
    Collision_SetSpriteSource(nullptr);
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
  // An object whose instances are squares; parent -100: none.
  static CObjectType* AddSquareObject(int index, const char* name, int parent = -100) {
    Collision_SetSpriteSource(SquareSprite);
    CObjectType* object = AddObject(index, name);
    object->spriteIndex = 0;
    object->parentIndex = parent;
    return object;
  }
  // Ids, not instances: the step may have freed the instances by the time it is asked.
  static std::string Met(const char* selfName, int selfId, const char* otherName, int otherId, int subtype) {
    return std::string("collide ") + selfName + " " + std::to_string(selfId) + " with " + otherName + " " +
           std::to_string(otherId) + " sub " + std::to_string(subtype);
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

// ---- Collision events ----

TEST_F(StepTest, CollisionPassRunsAfterMotionAndBeforeEndStep) {
  CObjectType* a = AddSquareObject(0, "obj_A");
  a->AddEvent(ev_step, ev_step_normal, kStep);
  a->AddEvent(ev_step, ev_step_end, kEnd);
  a->AddEvent(ev_collision, 1, kCollide);
  AddSquareObject(1, "obj_B");
  Prepare();
  CInstance* mover = Instance_Create(0, 0, 0, 0);
  mover->hspeed = 20;                                // 0..15 before the motion, 20..35 after
  CInstance* reached = Instance_Create(1, 30, 0, 0);  // 30..45
  Instance_Create(1, 100, 0, 0);                      // never reached
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{
                       "step obj_A " + std::to_string(mover->id),
                       Met("obj_A", mover->id, "obj_B", reached->id, 1),
                       "end obj_A " + std::to_string(mover->id),
                   }));
}

TEST_F(StepTest, BothSidesOfAMeetingRunTheirOwnEvent) {
  AddSquareObject(0, "obj_A")->AddEvent(ev_collision, 1, kCollide);
  AddSquareObject(1, "obj_B")->AddEvent(ev_collision, 0, kCollide);
  AddSquareObject(2, "obj_C", 1);  // derives from obj_B: inherits its event and counts as obj_B
  Prepare();
  CInstance* a = Instance_Create(0, 0, 0, 0);
  CInstance* b = Instance_Create(1, 8, 8, 0);
  CInstance* c = Instance_Create(2, -8, 8, 0);
  DoAStep();
  // By subtype (the object met), then by the object that has the event.
  EXPECT_EQ(g_log, (std::vector<std::string>{
                       Met("obj_B", b->id, "obj_A", a->id, 0),
                       Met("obj_C", c->id, "obj_A", a->id, 0),
                       Met("obj_A", a->id, "obj_B", b->id, 1),
                       Met("obj_A", a->id, "obj_C", c->id, 1),
                   }));
}

TEST_F(StepTest, InstancesOfOneObjectMeetEachOtherButNotThemselves) {
  AddSquareObject(0, "obj_A")->AddEvent(ev_collision, 0, kCollide);
  Prepare();
  CInstance* first = Instance_Create(0, 0, 0, 0);
  CInstance* second = Instance_Create(0, 15, 15, 0);  // shares the pixel (15, 15)
  Instance_Create(0, 31, 0, 0);                        // columns 31..46: right of both, meets neither
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{Met("obj_A", first->id, "obj_A", second->id, 0),
                                             Met("obj_A", second->id, "obj_A", first->id, 0)}));
}

TEST_F(StepTest, DestroyedAndDeactivatedInstancesTakeNoPart) {
  AddSquareObject(0, "obj_A")->AddEvent(ev_collision, 1, kCollideDestroyOther);
  AddSquareObject(1, "obj_B");
  Prepare();
  const int first = Instance_Create(0, 0, 0, 0)->id;
  Instance_Create(0, 4, 4, 0);  // also over the target, which the first destroys
  Instance_Create(0, 0, 0, 0)->deactivated = true;
  const int target = Instance_Create(1, 8, 8, 0)->id;
  Instance_Create(1, 2, 2, 0)->deactivated = true;
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{Met("obj_A", first, "obj_B", target, 1)}));
  EXPECT_EQ(Instance_Find(target), nullptr);  // removed after the pass
  EXPECT_EQ(Room_Instances().list.count, 4);
}

TEST_F(StepTest, InstanceDestroyedInAnEarlierMeetingIsNotMet) {
  AddSquareObject(0, "obj_A")->AddEvent(ev_collision, 1, kCollideDestroyAll);
  AddSquareObject(1, "obj_B");
  Prepare();
  const int a = Instance_Create(0, 0, 0, 0)->id;
  const int b1 = Instance_Create(1, 4, 0, 0)->id;
  Instance_Create(1, 0, 4, 0);  // also over a, gone with b1 before a reaches it
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{Met("obj_A", a, "obj_B", b1, 1)}));
  EXPECT_EQ(Room_Instances().list.count, 1);
}

TEST_F(StepTest, InstanceThatDestroysItselfMeetsNoMore) {
  AddSquareObject(0, "obj_A")->AddEvent(ev_collision, 1, kCollideDestroySelf);
  AddSquareObject(1, "obj_B");
  Prepare();
  const int a = Instance_Create(0, 0, 0, 0)->id;
  const int b1 = Instance_Create(1, 4, 0, 0)->id;
  Instance_Create(1, 0, 4, 0);
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{Met("obj_A", a, "obj_B", b1, 1)}));
  EXPECT_EQ(Instance_Find(a), nullptr);
}

TEST_F(StepTest, InstanceCreatedInACollisionEventWaitsForTheNextStep) {
  AddSquareObject(0, "obj_A")->AddEvent(ev_collision, 1, kCollideSpawning);
  AddSquareObject(1, "obj_B");
  Prepare();
  Instance_Create(0, 0, 0, 0);  // 100053: each meeting makes another obj_A on the same spot
  Instance_Create(1, 4, 4, 0);  // 100054
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{"collide obj_A 100053 with obj_B 100054 sub 1"}));
  ASSERT_NE(Instance_Find(100055), nullptr);
  g_log.clear();
  DoAStep();
  EXPECT_EQ(g_log, (std::vector<std::string>{"collide obj_A 100053 with obj_B 100054 sub 1",
                                             "collide obj_A 100055 with obj_B 100054 sub 1"}));
}

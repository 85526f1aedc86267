// SPDX-License-Identifier: Zlib
// Instances: ids, creation with Create events, depth order, destruction and
// removal, event inheritance and the recursion limit.
#include <vector>

#include "RuntimeFixture.h"

#include "object/InstanceFunctions.h"

namespace {

std::vector<std::string> g_log;

void LogCreate(CInstance* self, CInstance*) { g_log.push_back("create " + std::to_string(self->id)); }
void LogDestroy(CInstance* self, CInstance*) { g_log.push_back("destroy " + std::to_string(self->id)); }
void LogCleanup(CInstance* self, CInstance*) { g_log.push_back("cleanup " + std::to_string(self->id)); }
void ParentStep(CInstance* self, CInstance*) { g_log.push_back("parent step " + std::to_string(self->objectIndex)); }

// The Create event of obj_Outer makes an obj_Inner instance, whose Create
// event must finish before instance_create_depth returns.
void OuterCreate(CInstance* self, CInstance*) {
  g_log.push_back("outer begins");
  CInstance* inner = Instance_Create(1, 0, 0, 0);
  g_log.push_back("outer got " + std::to_string(inner->id) + (inner->created ? " created" : " not created"));
  (void)self;
}

void Recurse(CInstance* self, CInstance* other) { Perform_Event(self, other, ev_other, ev_user0); }

CompiledFunctionEntry g_table[] = {
    {"create", reinterpret_cast<CompiledAnyFn>(&LogCreate)},
    {"destroy", reinterpret_cast<CompiledAnyFn>(&LogDestroy)},
    {"cleanup", reinterpret_cast<CompiledAnyFn>(&LogCleanup)},
    {"parent_step", reinterpret_cast<CompiledAnyFn>(&ParentStep)},
    {"outer_create", reinterpret_cast<CompiledAnyFn>(&OuterCreate)},
    {"recurse", reinterpret_cast<CompiledAnyFn>(&Recurse)},
};

}  // namespace

class InstancesTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    g_log.clear();
    CompiledCodeInfo info{};
    info.functionCount = static_cast<int>(std::size(g_table));
    info.functionTable = g_table;
    Code_Load(info);
  }
  static void Bind() { Object_BindEvents(); }
  std::vector<int> RoomOrder() {
    std::vector<int> ids;
    for (CInstance* i = Room_Instances().list.first; i; i = i->next) ids.push_back(i->id);
    return ids;
  }
};

TEST_F(InstancesTest, IdsFollowTheCounterAndInitialValues) {
  CObjectType* object = AddObject(3, "obj_A");
  object->spriteIndex = 7;
  object->depth = 12;
  object->flags = OBJECT_FLAG_VISIBLE | OBJECT_FLAG_PERSISTENT;
  CInstance* first = Instance_Create(3, 4, 5, 6);
  EXPECT_EQ(first->id, 100053);
  EXPECT_EQ(Instance_Create(3, 0, 0, 0)->id, 100054);
  EXPECT_EQ(first->spriteIndex, 7);
  EXPECT_EQ(first->maskIndex, -1);
  EXPECT_EQ(first->depth, 6);  // the depth given at creation wins
  EXPECT_TRUE(first->visible && first->persistent && !first->solid);
  EXPECT_EQ(first->xstart, 4);
  EXPECT_EQ(first->yprevious, 5);
  EXPECT_EQ(first->imageXScale, 1);
  EXPECT_EQ(first->imageBlend, 0xFFFFFF);
  EXPECT_EQ(first->gravityDirection, 270);
  EXPECT_EQ(first->alarms[11], -1);
  EXPECT_EQ(Instance_Find(100053), first);
  EXPECT_EQ(Instance_Find(99), nullptr);
}

TEST_F(InstancesTest, CreatingAMissingObjectReportsAndReturnsMinusOne) {
  std::string message;
  EXPECT_EQ(Instance_Create(42, 0, 0, 0), nullptr);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "Creating instance for non-existing object: 42");
  Cell x(0), y(0), depth(0), object(42), result;
  DynValue* args[] = {&x.v, &y.v, &depth.v, &object.v};
  Function_CallById(nullptr, nullptr, &result.v, 4, Function_Find("instance_create_depth"), args);
  EXPECT_EQ(result.v.real, -1);
}

TEST_F(InstancesTest, RoomListIsByDepthWithEqualDepthsInCreationOrder) {
  AddObject(0, "obj_A");
  int a = Instance_Create(0, 0, 0, 5)->id;
  int b = Instance_Create(0, 0, 0, 5)->id;
  int c = Instance_Create(0, 0, 0, -1)->id;
  int d = Instance_Create(0, 0, 0, 5)->id;
  int e = Instance_Create(0, 0, 0, 10)->id;
  EXPECT_EQ(RoomOrder(), (std::vector<int>{c, a, b, d, e}));
  EXPECT_EQ(Room_Instances().list.count, 5);
}

TEST_F(InstancesTest, DepthWritesResortAtTheEndOfTheStep) {
  AddObject(0, "obj_A");
  CInstance* a = Instance_Create(0, 0, 0, 1);
  CInstance* b = Instance_Create(0, 0, 0, 2);
  Cell newDepth(3);
  Variable_SetValue(a, Variable_Find("depth"), ARRAY_INDEX_NONE, &newDepth.v);
  EXPECT_EQ(a->depth, 3);
  EXPECT_EQ(RoomOrder(), (std::vector<int>{a->id, b->id}));  // not yet
  Room_ApplyResort();
  EXPECT_EQ(RoomOrder(), (std::vector<int>{b->id, a->id}));
}

// A write of the depth an instance already has is no change: it keeps its
// place among instances of equal depth, also after a change and a change back
// within the step; a real change files it behind its new equals.
TEST_F(InstancesTest, UnchangedDepthKeepsItsPlaceAmongEquals) {
  AddObject(0, "obj_A");
  CInstance* a = Instance_Create(0, 0, 0, 2);
  CInstance* b = Instance_Create(0, 0, 0, 2);
  CInstance* c = Instance_Create(0, 0, 0, 2);
  Cell same(2), other(7);
  const int depth = Variable_Find("depth");
  Variable_SetValue(a, depth, ARRAY_INDEX_NONE, &same.v);
  Variable_SetValue(b, depth, ARRAY_INDEX_NONE, &other.v);
  Variable_SetValue(b, depth, ARRAY_INDEX_NONE, &same.v);
  Room_ApplyResort();
  EXPECT_EQ(RoomOrder(), (std::vector<int>{a->id, b->id, c->id}));
  Variable_SetValue(a, depth, ARRAY_INDEX_NONE, &other.v);
  Variable_SetValue(c, depth, ARRAY_INDEX_NONE, &other.v);
  Room_ApplyResort();
  EXPECT_EQ(RoomOrder(), (std::vector<int>{b->id, a->id, c->id}));
}

TEST_F(InstancesTest, InstanceCreatedInsideCreateFinishesFirst) {
  AddObject(0, "obj_Outer")->AddEvent(ev_create, 0, 4);
  AddObject(1, "obj_Inner")->AddEvent(ev_create, 0, 0);
  Bind();
  CInstance* outer = Instance_Create(0, 0, 0, 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"outer begins", "create 100054", "outer got 100054 created"}));
  EXPECT_TRUE(outer->created);
}

TEST_F(InstancesTest, DestroyRunsDestroyThenCleanupAndMarks) {
  CObjectType* object = AddObject(0, "obj_A");
  object->AddEvent(ev_destroy, 0, 1);
  object->AddEvent(ev_cleanup, 0, 2);
  Bind();
  CInstance* a = Instance_Create(0, 0, 0, 0);
  CInstance* b = Instance_Create(0, 0, 0, 0);
  int64_t before = Instance_State().destroyedCount;
  Instance_Destroy(a, true);
  Instance_Destroy(b, false);
  Instance_Destroy(a, true);  // already marked: nothing more
  EXPECT_EQ(g_log, (std::vector<std::string>{"destroy 100053", "cleanup 100053", "cleanup 100054"}));
  EXPECT_TRUE(a->marked);
  EXPECT_EQ(Instance_State().destroyedCount, before + 2);
  // Marked instances stop counting at once, but stay until removal.
  EXPECT_EQ(Instance_NumberDirect(nullptr, nullptr, 0), 0);
  EXPECT_FALSE(Instance_ExistsDirect(nullptr, nullptr, a->id));
  EXPECT_EQ(Room_Instances().list.count, 2);
  Instance_RemoveMarked();
  EXPECT_EQ(Room_Instances().list.count, 0);
  EXPECT_EQ(Instance_Find(100053), nullptr);
  EXPECT_TRUE(Object_Get(0)->allInstances.items.empty());
}

TEST_F(InstancesTest, InstanceBuiltinsByTarget) {
  AddObject(0, "obj_Parent");
  AddObject(1, "obj_Child", 0);
  CInstance* p = Instance_Create(0, 0, 0, 0);
  CInstance* c1 = Instance_Create(1, 0, 0, 0);
  CInstance* c2 = Instance_Create(1, 0, 0, 0);
  EXPECT_EQ(Instance_NumberDirect(p, c1, 0), 3);  // derived objects count
  EXPECT_EQ(Instance_NumberDirect(p, c1, 1), 2);
  EXPECT_EQ(Instance_NumberDirect(p, c1, TARGET_ALL), 3);
  EXPECT_EQ(Instance_NumberDirect(p, c1, TARGET_SELF), 1);
  EXPECT_EQ(Instance_NumberDirect(p, nullptr, TARGET_OTHER), 0);
  EXPECT_TRUE(Instance_ExistsDirect(p, c1, c2->id));
  EXPECT_FALSE(Instance_ExistsDirect(p, c1, 5));

  Cell obj(1), n(1), result;
  DynValue* args[] = {&obj.v, &n.v};
  int find = Function_Find("instance_find");
  Function_CallById(p, c1, &result.v, 2, find, args);
  EXPECT_EQ(result.v.real, c2->id);
  DynValue_SetReal(&n.v, 2);
  Function_CallById(p, c1, &result.v, 2, find, args);
  EXPECT_EQ(result.v.real, TARGET_NOONE);

  DynValue* destroyArgs[] = {&obj.v};
  Function_CallById(p, c1, &result.v, 1, Function_Find("instance_destroy"), destroyArgs);
  EXPECT_TRUE(c1->marked && c2->marked && !p->marked);
  Function_CallById(p, c1, &result.v, 0, Function_Find("instance_destroy"), nullptr);
  EXPECT_TRUE(p->marked);
}

TEST_F(InstancesTest, EventsAreInheritedFromTheParent) {
  AddObject(0, "obj_Parent")->AddEvent(ev_step, 0, 3);
  AddObject(1, "obj_Child", 0);
  AddObject(2, "obj_Orphan", 77);  // a parent index that names no object
  Bind();
  Perform_Event(Instance_Create(1, 0, 0, 0), nullptr, ev_step, 0);
  Perform_Event(Instance_Create(2, 0, 0, 0), nullptr, ev_step, 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"parent step 1"}));
  EXPECT_EQ(Event_Context().owner, nullptr);  // restored after the event
}

TEST_F(InstancesTest, RecursionStopsAtTheLimit) {
  AddObject(0, "obj_A")->AddEvent(ev_other, ev_user0, 5);
  Bind();
  CInstance* a = Instance_Create(0, 0, 0, 0);
  std::string message;
  Perform_Event(a, a, ev_other, ev_user0);
  EXPECT_TRUE(TakeError(&message));
  EXPECT_EQ(message, "PerformEvent recursion depth failure - check for infinite loops, check objects for parenting");
  EXPECT_EQ(Event_Context().depth, 0);
}

TEST_F(InstancesTest, PerformEventAllSkipsInstancesCreatedDuringThePass) {
  AddObject(0, "obj_Spawner")->AddEvent(ev_step, 0, 4);  // its step creates an obj_Inner
  AddObject(1, "obj_Inner")->AddEvent(ev_step, 0, 0);
  Bind();
  Instance_Create(0, 0, 0, 0);
  g_log.clear();
  Perform_EventAll(ev_step, 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"outer begins", "outer got 100054 created"}));
}

TEST_F(InstancesTest, UserVariablesLiveInTheSlotMap) {
  AddObject(0, "obj_A");
  CInstance* a = Instance_Create(0, 0, 0, 0);
  int64_t cellsBefore = SlotPool_CellsInUse();
  for (int slot = 0; slot < 40; ++slot) DynValue_SetReal(ZuObject_Slot(a, slot), slot * 2);
  for (int slot = 0; slot < 40; ++slot) EXPECT_EQ(ZuObject_Slot(a, slot)->real, slot * 2);
  EXPECT_EQ(SlotPool_CellsInUse(), cellsBefore + 40);
  Instance_Destroy(a, true);
  Instance_RemoveMarked();
  EXPECT_EQ(SlotPool_CellsInUse(), cellsBefore);
}

TEST(EventNames, NamesInMessages) {
  EXPECT_EQ(Event_Name(ev_create, 0), "Create Event");
  EXPECT_EQ(Event_Name(ev_alarm, 3), "Alarm Event for alarm 3");
  EXPECT_EQ(Event_Name(ev_keypress, 13), "Key Press Event for <Enter>");
  EXPECT_EQ(Event_Name(ev_keyboard, 'A'), "Keyboard Event for A-key");
  EXPECT_EQ(Event_Name(ev_keyrelease, 101), "Key Release Event for Keypad-5");
  EXPECT_EQ(Event_Name(ev_other, 62), "Async Event: HTTP");
  EXPECT_EQ(Event_Name(ev_cleanup, 0), "<Unknown Event>");
  EXPECT_EQ(Event_KeyName(200), "<unknown>");
}

TEST_F(InstancesTest, WhileSwitchingRoomsOnlyPersistentInstancesRunCreateDestroyAlarmOther) {
  CObjectType* plain = AddObject(0, "obj_Plain");
  plain->AddEvent(ev_create, 0, 0);
  plain->AddEvent(ev_step, 0, 3);
  CObjectType* kept = AddObject(1, "obj_Kept");
  kept->flags |= OBJECT_FLAG_PERSISTENT;
  kept->AddEvent(ev_create, 0, 0);
  kept->AddEvent(ev_step, 0, 3);
  Bind();
  CInstance* p = Instance_Create(0, 0, 0, 0);
  CInstance* k = Instance_Create(1, 0, 0, 0);
  g_log.clear();
  Event_Gate().switchingRooms = true;
  Perform_Event(p, p, ev_create, 0);
  Perform_Event(k, k, ev_create, 0);
  Perform_Event(k, k, ev_step, 0);
  Event_Gate().switchingRooms = false;
  EXPECT_EQ(g_log, (std::vector<std::string>{"create " + std::to_string(k->id)}));
}

TEST(AtExit, RegisteredFunctionsRunAtProcessExit) {
  EXPECT_EXIT(
      {
        Runtime_AtExit([] { std::fputs("static cells released\n", stderr); });
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "static cells released");
}

// SPDX-License-Identifier: Zlib
// `with`: which instances a target visits, in which order, and what happens
// to self and other.
#include <vector>

#include "RuntimeFixture.h"

namespace {

// Runs a `with` body as generated code does and records the ids visited and
// the `other` seen inside.
struct WithRun {
  std::vector<int> visited;
  std::vector<int> others;
  int count;
};

WithRun RunWith(CInstance*& self, CInstance*& other, int target, bool destroyFirstVisited = false) {
  WithRun run;
  WithIterator iterator;
  run.count = With_Begin(&iterator, &self, &other, target);
  if (run.count > 0) {
    do {
      run.visited.push_back(self->id);
      run.others.push_back(other ? other->id : 0);
      if (destroyFirstVisited && run.visited.size() == 1)
        for (CInstance* i : self->object->ownInstances.items)
          if (i != self) Instance_Destroy(i, true);
    } while (With_Next(&iterator, &self));
  }
  With_End(&iterator, &self, &other);
  return run;
}

}  // namespace

using WithTest = RuntimeTest;

TEST_F(WithTest, ObjectTargetVisitsInReverseCreationOrder) {
  AddObject(0, "obj_A");
  AddObject(1, "obj_Caller");
  CInstance* a = Instance_Create(0, 0, 0, 0);
  CInstance* b = Instance_Create(0, 0, 0, 0);
  CInstance* c = Instance_Create(0, 0, 0, 0);
  CInstance* caller = Instance_Create(1, 0, 0, 0);
  CInstance* self = caller;
  CInstance* other = nullptr;
  WithRun run = RunWith(self, other, 0);
  EXPECT_EQ(run.count, 3);
  EXPECT_EQ(run.visited, (std::vector<int>{c->id, b->id, a->id}));
  EXPECT_EQ(run.others, (std::vector<int>{caller->id, caller->id, caller->id}));
  EXPECT_EQ(self, caller);
  EXPECT_EQ(other, nullptr);
}

TEST_F(WithTest, AllVisitsRoomListFromGreatestDepth) {
  AddObject(0, "obj_A");
  CInstance* deep = Instance_Create(0, 0, 0, 100);
  CInstance* shallow = Instance_Create(0, 0, 0, -5);
  CInstance* middle = Instance_Create(0, 0, 0, 10);
  CInstance* self = shallow;
  CInstance* other = middle;
  WithRun run = RunWith(self, other, TARGET_ALL);
  EXPECT_EQ(run.visited, (std::vector<int>{deep->id, middle->id, shallow->id}));
  EXPECT_EQ(self, shallow);
  EXPECT_EQ(other, middle);
}

TEST_F(WithTest, AllInEmptyRoomRunsNothingAndRestores) {
  int dummySelf, dummyOther;
  CInstance* self = reinterpret_cast<CInstance*>(&dummySelf);
  CInstance* other = reinterpret_cast<CInstance*>(&dummyOther);
  WithRun run = RunWith(self, other, TARGET_ALL);
  EXPECT_EQ(run.count, 0);
  EXPECT_TRUE(run.visited.empty());
  EXPECT_EQ(self, reinterpret_cast<CInstance*>(&dummySelf));
  EXPECT_EQ(other, reinterpret_cast<CInstance*>(&dummyOther));
}

TEST_F(WithTest, OtherSwapsSelfAndOther) {
  AddObject(0, "obj_A");
  CInstance* a = Instance_Create(0, 0, 0, 0);
  CInstance* b = Instance_Create(0, 0, 0, 0);
  CInstance* self = a;
  CInstance* other = b;
  WithRun run = RunWith(self, other, TARGET_OTHER);
  EXPECT_EQ(run.visited, (std::vector<int>{b->id}));
  EXPECT_EQ(run.others, (std::vector<int>{a->id}));
  run = RunWith(self, other, TARGET_SELF);
  EXPECT_EQ(run.visited, (std::vector<int>{a->id}));
  EXPECT_EQ(run.others, (std::vector<int>{a->id}));
  EXPECT_EQ(self, a);
  EXPECT_EQ(other, b);
}

TEST_F(WithTest, NooneAndUnknownTargets) {
  AddObject(0, "obj_A");
  CInstance* a = Instance_Create(0, 0, 0, 0);
  CInstance* self = a;
  CInstance* other = nullptr;
  EXPECT_EQ(RunWith(self, other, TARGET_NOONE).count, -1);
  EXPECT_EQ(RunWith(self, other, -7).count, -1);
  EXPECT_EQ(RunWith(self, other, -9).count, 0);
  EXPECT_EQ(RunWith(self, other, 55).count, 0);        // no such object
  EXPECT_EQ(RunWith(self, other, 100999).count, 0);    // no such instance
  EXPECT_EQ(RunWith(self, other, a->id).count, 1);
  EXPECT_EQ(self, a);
}

TEST_F(WithTest, InstanceDestroyedInsideIsSkipped) {
  AddObject(0, "obj_A");
  CInstance* a = Instance_Create(0, 0, 0, 0);
  Instance_Create(0, 0, 0, 0);
  CInstance* c = Instance_Create(0, 0, 0, 0);
  CInstance* self = a;
  CInstance* other = nullptr;
  WithRun run = RunWith(self, other, 0, /*destroyFirstVisited=*/true);
  EXPECT_EQ(run.visited, (std::vector<int>{c->id}));
}

TEST_F(WithTest, DerivedObjectsAreIncluded) {
  AddObject(0, "obj_Parent");
  AddObject(1, "obj_Child", 0);
  CInstance* parent = Instance_Create(0, 0, 0, 0);
  CInstance* child = Instance_Create(1, 0, 0, 0);
  CInstance* self = nullptr;
  CInstance* other = nullptr;
  WithRun run = RunWith(self, other, 0);
  EXPECT_EQ(run.visited, (std::vector<int>{child->id, parent->id}));
  EXPECT_EQ(RunWith(self, other, 1).visited, (std::vector<int>{child->id}));
}

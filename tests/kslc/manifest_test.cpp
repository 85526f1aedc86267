// SPDX-License-Identifier: Zlib
// The manifest library: code indices as kslc and pack must both see them, and
// the checks that refuse a damaged manifest.
#include <gtest/gtest.h>

#include <string>

#include "Manifest.h"

namespace {

bool Parse(const std::string& json, mob::Manifest* m, std::string* error) {
  return mob::Manifest_Parse(json, "dir/game.json", m, error);
}

std::string ErrorOf(const std::string& json) {
  mob::Manifest m;
  std::string error;
  EXPECT_FALSE(Parse(json, &m, &error)) << json;
  return error;
}

const char* kGame = R"({
  "general": {"name": "G", "last_instance_id": 100009, "options": {"@@SleepMargin": "10"}},
  "scripts": [{"name": "load"}, {"name": "save", "file": "other/save.ksl"}],
  "sprites": [{"name": "spr_a", "width": 8, "height": 4, "origin": [1, 2], "bbox": [0, 0, 7, 3], "frames": 3}],
  "sounds": [{"name": "msc_a"}],
  "fonts": [{"name": "fnt_a", "size": 12}],
  "objects": [
    {"name": "obj_b", "sprite": "spr_a", "events": ["Draw", "Create"]},
    {"name": "obj_none"},
    {"name": "obj_c", "parent": "obj_b", "events": ["Step", "Destroy", "Create", "Draw"]}
  ],
  "rooms": [{"name": "room0", "instances": [
    {"id": 100001, "object": "obj_b", "x": 1, "y": 2},
    {"id": 100002, "object": "obj_c", "creation_code": true},
    {"id": 100003, "object": "obj_c", "creation_code": true}]}]
})";

}  // namespace

TEST(Manifest, CodeIndicesFollowScriptsThenObjectEventsThenCreationCodes) {
  mob::Manifest m;
  std::string error;
  ASSERT_TRUE(Parse(kGame, &m, &error)) << error;
  std::vector<std::string> names;
  for (const auto& c : m.code) names.push_back(c.functionName);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "ksl_Script_load", "ksl_Script_save", "ksl_Object_obj_b_Create_0", "ksl_Object_obj_b_Draw_0",
                       "ksl_Object_obj_c_Create_0", "ksl_Object_obj_c_Destroy_0", "ksl_Object_obj_c_Step_0",
                       "ksl_Object_obj_c_Draw_0", "ksl_RoomCC_room0_0_Create", "ksl_RoomCC_room0_1_Create"}));
  EXPECT_EQ(m.code[1].file, "other/save.ksl");
  EXPECT_EQ(m.code[0].file, "scripts/load.ksl");
  EXPECT_EQ(m.code[6].file, "objects/obj_c/Step.ksl");
  EXPECT_EQ(m.code[9].file, "rooms/room0/cc_1.ksl");
  // The event tables pack writes name the same indices.
  EXPECT_EQ(m.objects[2].events[2].event, mob::ManifestEvent::Step);
  EXPECT_EQ(m.objects[2].events[2].codeIndex, 6);
  EXPECT_EQ(mob::ManifestEvent_Type(m.objects[2].events[3].event), 8);
  EXPECT_EQ(m.rooms[0].instances[0].creationCodeIndex, -1);
  EXPECT_EQ(m.rooms[0].instances[2].creationCodeIndex, 9);
  EXPECT_EQ(m.rooms[0].instances[2].creationCodeNumber, 1);
  EXPECT_EQ(m.Resolve(m.code[0].file), "dir/scripts/load.ksl");
}

// Appended scripts and GameEnd, BeginStep and EndStep events come after
// everything a game had before,
// so adding them moves no existing code index; a script's index in the script
// list does not change with the flag.
TEST(Manifest, AppendedScriptsAndGameEndEventsComeLast) {
  const char* game = R"({
    "general": {"name": "G"},
    "scripts": [{"name": "a"}, {"name": "late1", "appended": true}, {"name": "b"}, {"name": "late2", "appended": true}],
    "objects": [
      {"name": "o1", "events": ["GameEnd", "Step"]},
      {"name": "o2", "events": ["Draw"]},
      {"name": "o3", "events": ["EndStep", "GameEnd", "Create", "BeginStep"]}
    ],
    "rooms": [{"name": "r", "instances": [{"id": 100001, "object": "o2", "creation_code": true}]}]
  })";
  mob::Manifest m;
  std::string error;
  ASSERT_TRUE(Parse(game, &m, &error)) << error;
  struct Row {
    const char* function;
    const char* file;
  };
  const Row expected[] = {
      {"ksl_Script_a", "scripts/a.ksl"},
      {"ksl_Script_b", "scripts/b.ksl"},
      {"ksl_Object_o1_Step_0", "objects/o1/Step.ksl"},
      {"ksl_Object_o2_Draw_0", "objects/o2/Draw.ksl"},
      {"ksl_Object_o3_Create_0", "objects/o3/Create.ksl"},
      {"ksl_RoomCC_r_0_Create", "rooms/r/cc_0.ksl"},
      {"ksl_Script_late1", "scripts/late1.ksl"},
      {"ksl_Script_late2", "scripts/late2.ksl"},
      {"ksl_Object_o1_GameEnd_0", "objects/o1/GameEnd.ksl"},
      {"ksl_Object_o3_GameEnd_0", "objects/o3/GameEnd.ksl"},
      {"ksl_Object_o3_BeginStep_0", "objects/o3/BeginStep.ksl"},
      {"ksl_Object_o3_EndStep_0", "objects/o3/EndStep.ksl"},
  };
  ASSERT_EQ(m.code.size(), std::size(expected));
  for (size_t i = 0; i < m.code.size(); ++i) {
    EXPECT_EQ(m.code[i].functionName, expected[i].function) << i;
    EXPECT_EQ(m.code[i].file, expected[i].file) << i;
  }
  // Script index = place in the list; code index from the order above.
  EXPECT_EQ(m.FindScript("late1"), 1);
  const int scriptCodes[] = {0, 6, 1, 7};
  for (size_t i = 0; i < m.scripts.size(); ++i) EXPECT_EQ(m.scripts[i].codeIndex, scriptCodes[i]) << m.scripts[i].name;
  // The object lists GameEnd last; pack files it as the other event 7, subtype 3.
  ASSERT_EQ(m.objects[0].events.size(), 2u);
  const mob::ManifestObjectEvent& end = m.objects[0].events[1];
  EXPECT_EQ(end.event, mob::ManifestEvent::GameEnd);
  EXPECT_EQ(end.codeIndex, 8);
  EXPECT_EQ(mob::ManifestEvent_Type(end.event), 7);
  EXPECT_EQ(mob::ManifestEvent_Subtype(end.event), 3);
  EXPECT_EQ(mob::ManifestEvent_Subtype(mob::ManifestEvent::Draw), 0);
  EXPECT_EQ(m.objects[2].events[1].codeIndex, 9);
  // BeginStep and EndStep are the step events' subtypes 1 and 2, after GameEnd.
  ASSERT_EQ(m.objects[2].events.size(), 4u);
  EXPECT_EQ(m.objects[2].events[2].event, mob::ManifestEvent::BeginStep);
  EXPECT_EQ(m.objects[2].events[3].codeIndex, 11);
  EXPECT_EQ(mob::ManifestEvent_Type(mob::ManifestEvent::EndStep), 3);
  EXPECT_EQ(mob::ManifestEvent_Subtype(mob::ManifestEvent::BeginStep), 1);
  EXPECT_EQ(mob::ManifestEvent_Subtype(mob::ManifestEvent::EndStep), 2);
  EXPECT_EQ(m.rooms[0].instances[0].creationCodeIndex, 5);

  const std::string head = R"({"general": {"name": "G"}, )";
  EXPECT_NE(ErrorOf(head + R"("scripts": [{"name": "s", "appended": 1}]})").find("\"appended\" must be true or false"),
            std::string::npos);
  EXPECT_NE(ErrorOf(head + R"("objects": [{"name": "o", "events": ["GameEnd", "GameEnd"]}]})").find("listed twice"),
            std::string::npos);
}

TEST(Manifest, ReferencesBecomeIndices) {
  mob::Manifest m;
  std::string error;
  ASSERT_TRUE(Parse(kGame, &m, &error)) << error;
  EXPECT_EQ(m.objects[0].spriteIndex, 0);
  EXPECT_EQ(m.objects[1].spriteIndex, -1);
  EXPECT_EQ(m.objects[0].parentIndex, -100);
  EXPECT_EQ(m.objects[2].parentIndex, 0);
  EXPECT_EQ(m.rooms[0].instances[1].objectIndex, 2);
  EXPECT_EQ(m.sprites[0].originY, 2);
  EXPECT_EQ(m.sprites[0].bboxRight, 7);
  EXPECT_EQ(m.sounds[0].file, "msc_a.ogg");
  ASSERT_EQ(m.general.options.size(), 1u);
  EXPECT_EQ(m.general.options[0].value, "10");
  int index = -1;
  EXPECT_EQ(m.FindResource("obj_c", &index), mob::ManifestResourceKind::Object);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(m.FindResource("fnt_a", &index), mob::ManifestResourceKind::Font);
  EXPECT_EQ(m.FindResource("save", &index), mob::ManifestResourceKind::Script);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(m.FindResource("nothing", &index), mob::ManifestResourceKind::None);
}

TEST(Manifest, DamagedManifestsAreRefusedWithTheEntryNamed) {
  EXPECT_NE(ErrorOf("{\"general\": {\"name\": \"G\"}").find("not valid JSON"), std::string::npos);
  EXPECT_NE(ErrorOf("[]").find("top level"), std::string::npos);
  EXPECT_NE(ErrorOf("{}").find("general: missing"), std::string::npos);
  const std::string head = R"({"general": {"name": "G"}, )";
  EXPECT_NE(ErrorOf(head + R"("objects": [{"name": "o", "events": ["Alarm"]}]})").find("unknown event \"Alarm\""),
            std::string::npos);
  EXPECT_NE(ErrorOf(head + R"("objects": [{"name": "o", "events": ["Step", "Step"]}]})").find("listed twice"),
            std::string::npos);
  EXPECT_NE(ErrorOf(head + R"("objects": [{"name": "o", "sprite": "spr_missing"}]})")
                .find("objects[0] \"o\": \"sprite\" names \"spr_missing\", which does not exist"),
            std::string::npos);
  EXPECT_NE(ErrorOf(head + R"("scripts": [{"name": "x"}], "objects": [{"name": "x"}]})").find("used twice"),
            std::string::npos);
  EXPECT_NE(ErrorOf(head + R"("objects": [{"name": "bad name"}]})").find("letters, digits"), std::string::npos);
  EXPECT_NE(ErrorOf(head + R"("objects": [{"name": "a", "parent": "b"}, {"name": "b", "parent": "a"}]})")
                .find("parent chain loops"),
            std::string::npos);
  EXPECT_NE(ErrorOf(head + R"("sprites": [{"name": "s", "width": 0, "height": 1}]})").find("positive"),
            std::string::npos);
  EXPECT_NE(ErrorOf(head + R"("sprites": [{"name": "s", "width": "8", "height": 1}]})").find("must be an integer"),
            std::string::npos);
  EXPECT_NE(ErrorOf(head + R"("objects": [{"name": "o"}], "rooms": [{"name": "r", "instances": [
              {"id": 100001, "object": "o"}, {"id": 100001, "object": "o"}]}]})")
                .find("instance id 100001 is used twice"),
            std::string::npos);
  EXPECT_NE(ErrorOf(head + R"("objects": [{"name": "o"}], "rooms": [{"name": "r", "instances": [{"id": 5, "object": "o"}]}]})")
                .find("start at 100000"),
            std::string::npos);
}

TEST(Manifest, MissingFileIsReported) {
  mob::Manifest m;
  std::string error;
  EXPECT_FALSE(mob::Manifest_Load("/nonexistent/game.json", &m, &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
}

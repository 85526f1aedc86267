// SPDX-License-Identifier: Zlib
// The scenario reader and checker without the program: which lines it reads
// and which it refuses, how a restart splits a scenario into runs, how
// references find instances and variables in a dump, that every kind of
// expectation fails when it is wrong and says what it found instead, the
// sound options and audio checks, `failsave` and `either` groups, and the
// changes that `save` lines make to saved files.
#include <gtest/gtest.h>


#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Scenario.h"
#include "TempFolder.h"
#include "library/SecureMap.h"

using scenario::Expectation;
using scenario::Value;

namespace {

// Two rows of the object list, each naming its canvas object by id, and the
// two canvas objects; room order is not id order.
const char* const kDump = R"({
  "frame": 3,
  "cursor": "hand",
  "instances": [
    {"object": "obj_List_Object", "id": 100060, "depth": -5, "x": 853, "y": 320, "image_angle": 0,
     "sprite_index": -1, "mask_index": 7, "variables": {"object": 100070, "active": 1, "label": "Circle"}},
    {"object": "obj_List_Object", "id": 100055, "depth": -5, "x": 853, "y": 296, "image_angle": 0,
     "sprite_index": -1, "mask_index": 7, "variables": {"object": 100071, "active": 0, "label": "Square"}},
    {"object": "obj_Canvas_Object", "id": 100070, "depth": -10, "x": 500, "y": 400, "image_angle": 45,
     "sprite_index": 12, "mask_index": 3,
     "variables": {"selected": 1, "shape": "spr_Circle", "items": 0, "props": 1, "nothing": null}},
    {"object": "obj_Canvas_Object", "id": 100071, "depth": -11, "x": 300, "y": 200, "image_angle": 0,
     "sprite_index": 13, "mask_index": 3, "variables": {"selected": 0, "shape": "spr_Square", "items": 1}}
  ],
  "lists": {"0": [1, "two", null], "1": []},
  "maps": {"1": {"b": 2, "a": "x"}}
})";

scenario::Dump TheDump() {
  scenario::Dump dump;
  std::string error;
  EXPECT_TRUE(scenario::ParseDump(kDump, &dump, &error)) << error;
  return dump;
}

std::vector<std::string> Errors(const std::string& text) {
  scenario::Scenario s;
  std::vector<std::string> errors;
  scenario::ParseScenario(text, &s, &errors);
  return errors;
}

// The line numbers that "line N: ..." messages name, in their order.
std::vector<int> LinesOf(const std::vector<std::string>& errors) {
  std::vector<int> lines;
  for (const std::string& e : errors) lines.push_back(std::stoi(e.substr(5)));
  return lines;
}

// The single expectation of a one-line scenario, checked against a run.
scenario::Outcome CheckLine(const std::string& line, const scenario::RunResult& run) {
  scenario::Scenario s;
  std::vector<std::string> errors;
  EXPECT_TRUE(scenario::ParseScenario(line, &s, &errors)) << line << ": " << (errors.empty() ? "" : errors[0]);
  if (s.expectations.size() != 1) return {false, "not one expectation: " + line};
  return scenario::Check(s.expectations[0], run);
}

// A temporary folder, removed with everything in it, and its files.
struct FilesFolder {
  TempFolder folder{"scenario_reader_test"};
  const std::string& path = folder.Path();
  void Write(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(path + name).parent_path());
    std::ofstream(path + name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
};

}  // namespace

TEST(ScenarioReader, ReadsInputLinesExpectationsAndTheFramesToRun) {
  scenario::Scenario s;
  std::vector<std::string> errors;
  ASSERT_TRUE(scenario::ParseScenario("# place a shape\n"
                                      "\n"
                                      "10 move 512 448\n"
                                      "  11 click left\n"
                                      "12 type \"a b\"\n"
                                      "expect 5 obj_A.x = 512\n"
                                      "expect 14 count obj_A >= 2\n"
                                      "expect log \"Entering main loop.\"\n"
                                      "expect 3 pixel 0 48 ~ 255 255 255\n"
                                      "expect 14 list obj_A#1.items = [1, \"x, y\", noone]\n"
                                      "expect 14 map 100005.m = {\"k\": obj_A.y, \"j\": undefined}\n",
                                      &s, &errors))
      << errors[0];
  // Input lines go to the program as written.
  EXPECT_EQ(s.inputLines, (std::vector<std::string>{"10 move 512 448", "11 click left", "12 type \"a b\""}));
  EXPECT_EQ(s.framesToRun, 16);  // the greatest frame named (14) + 2
  EXPECT_EQ(s.DumpFrames(), (std::set<int64_t>{5, 14}));
  EXPECT_EQ(s.PictureFrames(), (std::set<int64_t>{3}));
  ASSERT_EQ(s.expectations.size(), 6u);
  EXPECT_EQ(s.expectations[0].kind, Expectation::Kind::Value);
  EXPECT_EQ(s.expectations[0].line, 6);
  EXPECT_EQ(s.expectations[1].kind, Expectation::Kind::Count);
  EXPECT_EQ(s.expectations[1].op, scenario::Op::GreaterOrEqual);
  EXPECT_EQ(s.expectations[2].subject, "Entering main loop.");
  EXPECT_EQ(s.expectations[3].rgb[0], 255);
  // A string item may hold the separator; noone is -4.
  const Expectation& list = s.expectations[4];
  ASSERT_EQ(list.items.size(), 3u);
  EXPECT_EQ(list.items[1].literal.text, "x, y");
  EXPECT_EQ(list.items[2].literal.number, -4);
  const Expectation& map = s.expectations[5];
  ASSERT_EQ(map.entries.size(), 2u);
  EXPECT_TRUE(map.entries[0].second.isReference);
  EXPECT_EQ(map.entries[1].second.literal.kind, Value::Kind::Undefined);

  // A click releases in the next frame; the run covers it.
  ASSERT_TRUE(scenario::ParseScenario("5 click left\n", &s, &errors));
  EXPECT_EQ(s.framesToRun, 8);
  ASSERT_TRUE(scenario::ParseScenario("run 40\nexpect 39 obj_A.x = 1\n", &s, &errors));
  EXPECT_EQ(s.framesToRun, 40);
  ASSERT_TRUE(scenario::ParseScenario("expect exit 3\n", &s, &errors));
  EXPECT_TRUE(s.expectsExit);
}

TEST(ScenarioReader, ReportsEveryUnreadableLineByItsNumber) {
  std::vector<std::string> errors = Errors(
      "expect 1 obj_A.x ~ 3\n"                  // 1: ~ is for pixels
      "expect one count obj_A = 1\n"            // 2: no frame
      "frobnicate\n"                            // 3
      "expect 1 list obj_A.items = [1, 2\n"     // 4: unclosed
      "4 jump\n"                                // 5: no such input event
      "expect 1 obj_A#x.y = 3\n"                // 6: # takes a number
      "expect 1 obj_A.x = \"open\n"             // 7: unclosed string
      "expect 2 pixel 1 2 ~ 300 0 0\n"          // 8: channel out of range
      "expect 1 obj_A.x = 3 extra\n"            // 9: trailing text
      "expect 1 map obj_A.m = {a: 1}\n"         // 10: unquoted key
      "run 5\n"                                 // 11: fine
      "expect 7 obj_A.x = 1\n"                  // 12: frame 7 is not run
      "expect 1 count obj_A = obj_B.n\n"        // 13: a count compares with a number
      "expect 1 obj_A.x = obj_B..y\n");         // 14: empty variable name
  EXPECT_EQ(LinesOf(errors), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 14, 12}))
      << ::testing::PrintToString(errors);
  // Each message names the line as written.
  ASSERT_FALSE(errors.empty());
  EXPECT_NE(errors[0].find("expect 1 obj_A.x ~ 3"), std::string::npos) << errors[0];
  EXPECT_NE(errors[4].find("unknown event 'jump'"), std::string::npos) << errors[4];
}

TEST(ScenarioReferences, FindInstancesByObjectIndexIdAndChain) {
  scenario::Dump dump = TheDump();
  ASSERT_EQ(dump.instances.size(), 4u);
  auto text = [&](const char* reference) { return scenario::Evaluate(dump, reference).Describe(); };
  // The first instance of an object is the one with the lowest id, not the first in the room.
  EXPECT_EQ(text("obj_List_Object.label"), "\"Square\"");
  EXPECT_EQ(text("obj_List_Object#1.label"), "\"Circle\"");
  EXPECT_EQ(text("obj_List_Object#1"), "100060");
  // An object alone is its first instance's id.
  EXPECT_EQ(text("obj_List_Object"), "100055");
  EXPECT_EQ(text("100070"), "100070");
  EXPECT_EQ(text("100070.shape"), "\"spr_Circle\"");
  // A variable holding an id leads on to that instance.
  EXPECT_EQ(text("obj_List_Object#0.object.depth"), "-11");
  EXPECT_EQ(text("obj_List_Object#1.object.image_angle"), "45");
  // The user variable `object` wins over the object's name; without one, object is the name.
  EXPECT_EQ(text("obj_List_Object.object"), "100071");
  EXPECT_EQ(text("obj_Canvas_Object.object"), "\"obj_Canvas_Object\"");
  EXPECT_EQ(text("obj_Canvas_Object.nothing"), "undefined");
  // References that lead nowhere say why.
  EXPECT_EQ(scenario::Evaluate(dump, "obj_List_Object#2.label").kind, Value::Kind::Missing);
  EXPECT_NE(text("obj_List_Object#2.label").find("2 live instance"), std::string::npos);
  EXPECT_NE(text("obj_List_Object#0.label.x").find("not a live instance id"), std::string::npos);
  EXPECT_NE(text("100099.x").find("no live instance has id 100099"), std::string::npos);
  EXPECT_NE(text("obj_Canvas_Object.speed").find("has no variable speed"), std::string::npos);
}

// Each line is checked against the same run; wrong ones must fail and show
// what was found.
TEST(ScenarioChecks, RightExpectationsPassAndWrongOnesFailShowingTheActualValue) {
  scenario::RunResult run;
  run.exitCode = 0;
  run.log = "Run_Start\nEntering main loop.\n";
  run.dumps[3] = TheDump();
  DecodedImage picture;
  picture.width = 2;
  picture.height = 1;
  picture.rgba = {200, 100, 50, 255, 0, 0, 0, 255};
  run.pictures[3] = picture;
  FilesFolder saves;
  ASSERT_FALSE(saves.path.empty());
  run.saveFolder = saves.path;
  std::ofstream(run.saveFolder + "a.sav") << "saved";

  struct Case {
    const char* line;
    bool passes;
    const char* found;  // what the failure message shows (wrong lines)
  };
  const Case cases[] = {
      {"expect 3 obj_Canvas_Object#0.x = 500", true, ""},
      {"expect 3 obj_Canvas_Object#0.x = 501", false, "is 500"},
      {"expect 3 obj_Canvas_Object#0.x = 500.0000001", true, ""},
      {"expect 3 obj_Canvas_Object#0.x != 500", false, "is 500"},
      {"expect 3 obj_Canvas_Object#0.x < 501", true, ""},
      {"expect 3 obj_Canvas_Object#0.x > 500", false, "is 500"},
      {"expect 3 obj_Canvas_Object#0.x >= 500", true, ""},
      {"expect 3 obj_Canvas_Object#0.x <= 499", false, "is 500"},
      {"expect 3 obj_List_Object.label = \"Square\"", true, ""},
      {"expect 3 obj_List_Object.label = \"square\"", false, "\"Square\""},
      {"expect 3 obj_List_Object.label = 0", false, "\"Square\""},
      {"expect 3 obj_List_Object.label != 0", true, ""},
      {"expect 3 obj_List_Object.label < \"T\"", true, ""},
      {"expect 3 obj_List_Object.label < 5", false, "\"Square\""},
      {"expect 3 obj_Canvas_Object.nothing = undefined", true, ""},
      {"expect 3 obj_Canvas_Object.nothing = 0", false, "undefined"},
      {"expect 3 obj_List_Object#5.label = undefined", false, "2 live instance"},
      {"expect 3 obj_List_Object#5.label != 1", false, "2 live instance"},
      {"expect 3 obj_List_Object#0.object.depth = obj_Canvas_Object#1.depth", true, ""},
      {"expect 3 obj_List_Object#0.object = obj_Canvas_Object#1", true, ""},
      {"expect 3 obj_List_Object#0.object = obj_Canvas_Object#0", false, "obj_Canvas_Object#0 is 100070"},
      {"expect 3 obj_Canvas_Object#0.selected = noone", false, "is 1"},
      {"expect 3 obj_Canvas_Object#0.selected = true", true, ""},
      {"expect 3 obj_Canvas_Object#1.selected = true", false, "is 0"},
      {"expect 3 obj_List_Object#1.object = obj_Canvas_Object", true, ""},
      {"expect 3 obj_List_Object#0.object = obj_Canvas_Object", false, "obj_Canvas_Object is 100070"},
      {"expect 3 obj_List_Object.object != obj_Nothing", false, "obj_Nothing has 0 live instance"},
      {"expect 3 count obj_Canvas_Object = 2", true, ""},
      {"expect 3 count obj_Canvas_Object = 3", false, "2 live obj_Canvas_Object"},
      {"expect 3 count obj_Nothing = 0", true, ""},
      {"expect 3 count obj_Nothing > 0", false, "0 live"},
      {"expect 3 list obj_Canvas_Object#0.items = [1, \"two\", undefined]", true, ""},
      {"expect 3 list obj_Canvas_Object#0.items = [1, \"two\"]", false, "[1, \"two\", undefined]"},
      {"expect 3 list obj_Canvas_Object#0.items = [1, 2, undefined]", false, "[1, \"two\", undefined]"},
      {"expect 3 list obj_Canvas_Object#1.items = []", true, ""},
      {"expect 3 list obj_Canvas_Object#0.shape = []", false, "not a handle"},
      {"expect 3 list obj_Canvas_Object#0.x = []", false, "no list has handle 500"},
      {"expect 3 map obj_Canvas_Object#0.props = {\"b\": 2, \"a\": \"x\"}", true, ""},
      {"expect 3 map obj_Canvas_Object#0.props = {\"a\": \"x\", \"b\": 2}", true, ""},
      {"expect 3 map obj_Canvas_Object#0.props = {\"a\": \"x\", \"c\": 2}", false, "{\"b\": 2, \"a\": \"x\"}"},
      {"expect 3 map obj_Canvas_Object#0.props = {\"a\": \"x\", \"b\": 2, \"c\": 1}", false, "{\"b\": 2, \"a\": \"x\"}"},
      {"expect 3 map obj_Canvas_Object#0.props = {\"b\": 3, \"a\": \"x\"}", false, "{\"b\": 2, \"a\": \"x\"}"},
      {"expect 3 map obj_Canvas_Object#0.props = {}", false, "{\"b\": 2, \"a\": \"x\"}"},
      // The cursor the frame showed.
      {"expect 3 cursor = \"hand\"", true, ""},
      {"expect 3 cursor = \"none\"", false, "\"hand\""},
      // A whole number names the handle itself.
      {"expect 3 map 1 = {\"b\": 2, \"a\": \"x\"}", true, ""},
      {"expect 3 list 0 = [1, \"two\", undefined]", true, ""},
      {"expect 3 list 1 = [1]", false, "[]"},
      {"expect 3 map 2 = {}", false, "no map has handle 2"},
      {"expect 3 pixel 0 0 ~ 230 70 90", true, ""},
      {"expect 3 pixel 0 0 ~ 200 100 91", false, "pixel 200 100 50"},
      {"expect 3 pixel 0 0 = 200 100 50", true, ""},
      {"expect 3 pixel 0 0 = 200 100 51", false, "pixel 200 100 50"},
      {"expect 3 pixel 1 0 != 255 255 255", true, ""},
      {"expect 3 pixel 1 0 != 30 30 30", false, "pixel 0 0 0"},
      {"expect 3 pixel 2 0 ~ 0 0 0", false, "outside the 2 x 1 picture"},
      {"expect 4 pixel 0 0 ~ 0 0 0", false, "no screenshot of frame 4"},
      {"expect 4 obj_Canvas_Object#0.x = 500", false, "no state dump of frame 4"},
      {"expect log \"Entering main loop.\"", true, ""},
      {"expect log \"Segmentation fault\"", false, "does not hold"},
      {"expect nolog \"ERROR\"", true, ""},
      {"expect nolog \"Entering\"", false, "holds it"},
      {"expect file \"a.sav\"", true, ""},
      {"expect file \"b.sav\"", false, "b.sav does not exist"},
      {"expect nofile \"b.sav\"", true, ""},
      {"expect nofile \"a.sav\"", false, "a.sav exists"},
      {"expect exit 0", true, ""},
      {"expect exit 1", false, "exit code 0"},
  };
  for (const Case& c : cases) {
    scenario::Scenario s;
    std::vector<std::string> errors;
    ASSERT_TRUE(scenario::ParseScenario(c.line, &s, &errors)) << c.line << ": " << errors[0];
    ASSERT_EQ(s.expectations.size(), 1u) << c.line;
    scenario::Outcome outcome = scenario::Check(s.expectations[0], run);
    EXPECT_EQ(outcome.passed, c.passes) << c.line << "\n  actual: " << outcome.actual;
    if (!c.passes) {
      EXPECT_NE(outcome.actual.find(c.found), std::string::npos) << c.line << "\n  actual: " << outcome.actual;
    }
  }
  // Without a save folder, file checks cannot pass either way.
  run.saveFolder.clear();
  scenario::Scenario s;
  std::vector<std::string> errors;
  ASSERT_TRUE(scenario::ParseScenario("expect nofile \"b.sav\"", &s, &errors));
  EXPECT_FALSE(scenario::Check(s.expectations[0], run).passed);
}

TEST(ScenarioChecks, ADumpThatIsNotOneIsRefused) {
  scenario::Dump dump;
  std::string error;
  EXPECT_FALSE(scenario::ParseDump("{\"frame\": 1", &dump, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(scenario::ParseDump("{\"frame\": 1, \"lists\": {}, \"maps\": {}}", &dump, &error));
  EXPECT_NE(error.find("instances"), std::string::npos) << error;
  EXPECT_FALSE(scenario::ParseDump("[1, 2]", &dump, &error));
}

// ---------------------------------------------------------------- audio

namespace {

// Two voices of a cross-fade: the old track fading out, the new one in.
const char* const kAudioDump = R"({
  "frame": 240, "clipboard": null, "cursor": "arrow",
  "instances": [
    {"object": "con_Music", "id": 100050, "depth": 0, "x": 207, "y": 94, "image_angle": 0, "sprite_index": -1,
     "mask_index": -1, "variables": {"current_song_id": 400001, "next_song_id": 400002, "current_song": 0}}
  ],
  "lists": {}, "maps": {},
  "audio": {"device": "loopback", "plays": 2, "samples": 735, "level": 0.0812, "peak": 0.43,
            "voices": [{"handle": 400001, "sound": 0, "name": "msc_Main_Cocktail", "state": "playing",
                        "gain": 0.481, "position": 3.8167},
                       {"handle": 400002, "sound": 2, "name": "msc_Main_PreciseAim", "state": "paused",
                        "gain": 0.0108, "position": 0.0167}]}
})";

}  // namespace

TEST(ScenarioReader, AudioLinesChooseTheLoopbackDeviceAndItsStallsPerRun) {
  scenario::Scenario s;
  std::vector<std::string> errors;
  ASSERT_TRUE(scenario::ParseScenario("audio loopback\n"
                                      "audio stall 30 100\n"
                                      "audio stall 5 0\n"
                                      "expect 10 audio count = 1\n"
                                      "restart\n"
                                      "expect 3 obj_A.x = 1\n",
                                      &s, &errors))
      << ::testing::PrintToString(errors);
  EXPECT_TRUE(s.audioLoopback);
  EXPECT_EQ(s.ProgramArguments(), (std::vector<std::string>{"-audio", "loopback", "-audiostall", "30", "100",
                                                          "-audiostall", "5", "0"}));
  EXPECT_EQ(s.framesToRun, 32) << "a stall's frame is run";
  EXPECT_EQ(s.DumpFrames(), (std::set<int64_t>{10}));
  ASSERT_EQ(s.laterRuns.size(), 1u);
  EXPECT_FALSE(s.laterRuns[0].audioLoopback) << "each run chooses its own sound";
  EXPECT_EQ(s.laterRuns[0].ProgramArguments(), (std::vector<std::string>{"-noaudio"}));

  errors = Errors("audio\n"                          // 1
                  "audio loopback now\n"             // 2
                  "audio system\n"                   // 3
                  "audio stall 4\n"                  // 4
                  "audio stall -1 10\n"              // 5
                  "audio stall 4 60001\n"            // 6
                  "audio loopback\n"                 // 7
                  "run 10\n"                         // 8
                  "audio stall 12 5\n"               // 9: not run
                  "restart\n"                        // 10
                  "audio stall 2 5\n"                // 11: run 2 has no loopback
                  "expect 3 audio\n"                 // 12
                  "expect 3 audio volume = 1\n"      // 13
                  "expect 3 audio count msc_A 1\n"   // 14
                  "expect 3 audio count = \"1\"\n"  // 15
                  "expect 3 audio voice 400001 loudness = 1\n"  // 16
                  "expect 3 audio sound msc_A gain\n"           // 17
                  "expect 3 audio voice obj#x gain = 1\n"       // 18
                  "expect 3 audio level ~~ 1\n");               // 19
  // What a run lacks is known at its end: the stall of run 2 is reported last.
  EXPECT_EQ(LinesOf(errors), (std::vector<int>{1, 2, 3, 4, 5, 6, 9, 12, 13, 14, 15, 16, 17, 18, 19, 11}))
      << ::testing::PrintToString(errors);
  ASSERT_EQ(errors.size(), 16u);
  EXPECT_NE(errors.back().find("needs `audio loopback` in run 2"), std::string::npos) << errors.back();
}

TEST(ScenarioChecks, AudioChecksReadTheVoicesAndTheLevelAndShowWhatTheyFound) {
  scenario::RunResult run;
  std::string error;
  ASSERT_TRUE(scenario::ParseDump(kAudioDump, &run.dumps[240], &error)) << error;
  ASSERT_TRUE(scenario::ParseDump(kDump, &run.dumps[3], &error)) << error;  // no audio in it
  struct Case {
    const char* line;
    bool passes;
    const char* found;  // what the failure message shows (wrong lines)
  };
  const Case cases[] = {
      {"expect 240 audio device = \"loopback\"", true, ""},
      {"expect 240 audio device = \"device\"", false, "device is \"loopback\""},
      {"expect 240 audio plays = 2", true, ""},
      {"expect 240 audio plays = 1", false, "plays is 2"},
      {"expect 240 audio samples = 735", true, ""},
      {"expect 240 audio level > 0.05", true, ""},
      {"expect 240 audio level < 0.001", false, "level is 0.0812; voices: handle 400001"},
      {"expect 240 audio peak ~ 0.44", true, ""},
      {"expect 240 audio peak ~ 0.46", false, "peak is 0.43"},
      {"expect 240 audio count = 2", true, ""},
      {"expect 240 audio count = 1", false, "the count of voices is 2"},
      {"expect 240 audio count msc_Main_PreciseAim = 1", true, ""},
      {"expect 240 audio count 2 = 1", true, ""},
      {"expect 240 audio count msc_Tutorial = 0", true, ""},
      {"expect 240 audio count msc_Tutorial >= 1", false, "voices of msc_Tutorial is 0"},
      // A voice by its handle, by a reference that holds it, or as the one voice of a sound.
      {"expect 240 audio voice 400002 name = \"msc_Main_PreciseAim\"", true, ""},
      {"expect 240 audio voice con_Music.current_song_id gain ~ 0.49", true, ""},
      {"expect 240 audio voice con_Music.current_song_id gain ~ 0.51", false, "gain of voice con_Music.current_song_id is 0.481"},
      {"expect 240 audio voice con_Music.next_song_id state = \"paused\"", true, ""},
      {"expect 240 audio voice con_Music.next_song_id state = \"playing\"", false, "is \"paused\""},
      {"expect 240 audio sound msc_Main_Cocktail position ~ 3.8", true, ""},
      {"expect 240 audio sound 0 handle = con_Music.current_song_id", true, ""},
      {"expect 240 audio sound msc_Main_Cocktail handle = con_Music.next_song_id", false, "next_song_id is 400002"},
      {"expect 240 audio sound msc_Main_Cocktail position > 4", false, "position of sound msc_Main_Cocktail is 3.8167"},
      // No such voice, or no voice in the reference: the check fails and says so.
      {"expect 240 audio voice 400003 gain = 0", false, "0 active voices of voice 400003"},
      {"expect 240 audio sound msc_Tutorial gain != 1", false, "0 active voices of sound msc_Tutorial"},
      {"expect 240 audio voice con_Music.nothing gain = 0", false, "not a handle"},
      // A dump without audio holds no sound to check.
      {"expect 3 audio count = 0", false, "holds no audio"},
  };
  for (const Case& c : cases) {
    scenario::Outcome outcome = CheckLine(c.line, run);
    EXPECT_EQ(outcome.passed, c.passes) << c.line << "\n  actual: " << outcome.actual;
    if (!c.passes) {
      EXPECT_NE(outcome.actual.find(c.found), std::string::npos) << c.line << "\n  actual: " << outcome.actual;
    }
  }
  // Two voices of one sound: reading "the" voice of it is refused.
  run.dumps[240].voices[1]["name"] = Value::String("msc_Main_Cocktail");
  scenario::Outcome twice = CheckLine("expect 240 audio sound msc_Main_Cocktail gain ~ 0.48", run);
  EXPECT_FALSE(twice.passed);
  EXPECT_NE(twice.actual.find("2 active voices of sound msc_Main_Cocktail"), std::string::npos) << twice.actual;
  // On a device other than the loopback one nothing is mixed here: no level.
  run.dumps[240].audio.erase("level");
  scenario::Outcome level = CheckLine("expect 240 audio level < 1", run);
  EXPECT_FALSE(level.passed);
  EXPECT_NE(level.actual.find("no audio level"), std::string::npos) << level.actual;
}

// ---------------------------------------------------------------- restarts

TEST(ScenarioReader, ARestartStartsANewRunWithItsOwnLinesAndFrames) {
  scenario::Scenario s;
  std::vector<std::string> errors;
  ASSERT_TRUE(scenario::ParseScenario("3 click left\n"                        // 1
                                      "expect 1 count obj_A = 1\n"            // 2
                                      "save flip \"frame1_data.dat\" -1\n"    // 3
                                      "save cut \"0_*\" 80\n"                 // 4
                                      "restart\n"                             // 5
                                      "# run 2 counts from 0 again\n"         // 6
                                      "run 30\n"                              // 7
                                      "1 move 5 5\n"                          // 8
                                      "expect 0 clipboard = undefined\n"      // 9
                                      "expect 29 pixel 1 1 ~ 0 0 0\n"         // 10
                                      "expect exit 0\n"                       // 11
                                      "save retag \"1_*\"\n"                  // 12
                                      "restart\n"                             // 13
                                      "expect files \"*\" = 2\n",             // 14
                                      &s, &errors))
      << ::testing::PrintToString(errors);
  std::vector<const scenario::Run*> runs = s.Runs();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0], static_cast<const scenario::Run*>(&s)) << "the first run is the scenario's own";
  EXPECT_EQ(runs[1]->number, 2);
  EXPECT_EQ(runs[2]->number, 3);
  EXPECT_EQ(runs[1]->firstLine, 5);
  EXPECT_EQ(runs[2]->firstLine, 13);

  // Run 1: its own input and frames (the click releases in frame 4, so 6 are run).
  EXPECT_EQ(runs[0]->inputLines, (std::vector<std::string>{"3 click left"}));
  EXPECT_EQ(runs[0]->framesToRun, 6);
  ASSERT_EQ(runs[0]->expectations.size(), 1u);
  EXPECT_EQ(runs[0]->expectations[0].line, 2);
  EXPECT_EQ(runs[0]->DumpFrames(), (std::set<int64_t>{1}));
  EXPECT_FALSE(runs[0]->expectsExit);
  ASSERT_EQ(runs[0]->changesAfter.size(), 2u);
  EXPECT_EQ(runs[0]->changesAfter[0].kind, scenario::SaveChange::Kind::Flip);
  EXPECT_EQ(runs[0]->changesAfter[0].name, "frame1_data.dat");
  EXPECT_EQ(runs[0]->changesAfter[0].number, -1);
  EXPECT_EQ(runs[0]->changesAfter[0].line, 3);
  EXPECT_EQ(runs[0]->changesAfter[1].kind, scenario::SaveChange::Kind::Cut);
  EXPECT_EQ(runs[0]->changesAfter[1].number, 80);

  // Run 2: `run 30` is its own; its frames and checks are not run 1's.
  EXPECT_EQ(runs[1]->inputLines, (std::vector<std::string>{"1 move 5 5"}));
  EXPECT_EQ(runs[1]->framesToRun, 30);
  EXPECT_EQ(runs[1]->DumpFrames(), (std::set<int64_t>{0}));
  EXPECT_EQ(runs[1]->PictureFrames(), (std::set<int64_t>{29}));
  EXPECT_TRUE(runs[1]->expectsExit);
  ASSERT_EQ(runs[1]->changesAfter.size(), 1u);
  EXPECT_EQ(runs[1]->changesAfter[0].kind, scenario::SaveChange::Kind::Retag);

  // Run 3: nothing but a file count, so one frame is run and no dump is asked for.
  EXPECT_TRUE(runs[2]->inputLines.empty());
  EXPECT_EQ(runs[2]->framesToRun, 1);
  EXPECT_TRUE(runs[2]->DumpFrames().empty());
  ASSERT_EQ(runs[2]->expectations.size(), 1u);
  EXPECT_EQ(runs[2]->expectations[0].kind, Expectation::Kind::Files);
  EXPECT_TRUE(runs[2]->changesAfter.empty());

  // Without a restart there is one run.
  ASSERT_TRUE(scenario::ParseScenario("expect 4 count obj_A = 0\n", &s, &errors));
  EXPECT_EQ(s.Runs().size(), 1u);
  EXPECT_EQ(s.framesToRun, 6);
}

TEST(ScenarioReader, RunIsGivenOncePerRunAndFramesBeyondItAreRefusedNamingTheRun) {
  // Each run may name its frames once; a second `run` in the same run is refused.
  std::vector<std::string> errors = Errors("run 5\n"                     // 1
                                           "expect 4 count obj_A = 1\n"  // 2
                                           "restart\n"                   // 3
                                           "run 3\n"                     // 4
                                           "expect 4 count obj_A = 1\n"  // 5: run 2 runs 0 to 2
                                           "2 move 1 1\n"                // 6
                                           "run 9\n"                     // 7: twice in run 2
                                           "restart\n"                   // 8
                                           "run 2\n"                     // 9
                                           "1 click left\n");            // 10: the release is frame 2
  EXPECT_EQ(LinesOf(errors), (std::vector<int>{7, 5})) << ::testing::PrintToString(errors);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_NE(errors[0].find("run is given twice in run 2"), std::string::npos) << errors[0];
  EXPECT_NE(errors[1].find("runs frames 0 to 2 of run 2"), std::string::npos) << errors[1];
  // A run's `run N` limits that run only: the run after it names frame 4 freely.
  scenario::Scenario s;
  ASSERT_TRUE(scenario::ParseScenario("restart\nrun 2\nrestart\nexpect 4 count obj_A = 0\n", &s, &errors))
      << ::testing::PrintToString(errors);
  ASSERT_EQ(s.laterRuns.size(), 2u);
  EXPECT_EQ(s.laterRuns[0].framesToRun, 2);
  EXPECT_EQ(s.laterRuns[1].framesToRun, 6);
  EXPECT_EQ(Errors("restart now\n").size(), 1u);
}

TEST(ScenarioReader, RefusesBadSaveLinesAndNamesByTheirLineNumber) {
  std::vector<std::string> errors = Errors(
      "save flip \"a.dat\"\n"                   // 1: no offset
      "save flip a.dat 3\n"                     // 2: not quoted
      "save cut \"a.dat\" -1\n"                 // 3: negative length
      "save move \"a.dat\"\n"                   // 4: no such change
      "save delete \"*_*\"\n"                   // 5: two stars
      "save delete \"../a\"\n"                  // 6: out of the folder
      "save delete \"/etc/hosts\"\n"            // 7: absolute
      "save retag \"a.dat\" 5\n"                // 8: trailing text
      "save copy \"a_*.dat\" from \"x\"\n"      // 9: a new file's name holds no star
      "save copy \"a.dat\" \"x\"\n"             // 10: no `from`
      "expect files \"*\" = -1\n"               // 11: a count is not negative
      "expect files \"*\" = 1.5\n"              // 12: nor a fraction
      "expect file \"a/**\"\n"                  // 13: two stars
      "expect nofile \"a//b\"\n"                // 14: empty part
      "expect 1 clipboard < \"x\"\n"            // 15: = or != only
      "expect 1 clipboard = file\n"             // 16: no path
      "expect 1 clipboard = 5\n"                // 17: a text, a file or undefined
      "expect 1 clipboard = saved\n"            // 18: no name
      "expect 1 clipboard = saved \"\"\n"       // 19: an empty name
      "expect 1 clipboard = saved \"../x\"\n"   // 20: out of the save folder
      "expect 1 clipboard = saved \"/etc/x\"\n" // 21: absolute
      "expect 1 clipboard = saved \"a*\"\n"     // 22: one file is read: no star
      "save copy \"a.dat\" from saved\n"        // 23: no name
      "save copy \"a.dat\" from kept \"b\"\n"   // 24: from saved, or from a quoted path
      "save copy \"a.dat\" from saved \"../b\"\n"  // 25: out of the save folder
      "save copy \"a.dat\" from saved \"b_*\"\n"   // 26: one file is read: no star
      "save copy \"a.dat\" from saved \"b\" c\n"   // 27: trailing text
      "save flip \"ok.dat\" 1\n"                // 28: fine, a restart follows
      "save flip \"ok.dat\" -80\n"              // 29: fine
      "save copy \"ok.dat\" from saved \"copies/ok.dat.1\"\n"  // 30: fine
      "expect 1 clipboard != saved \"sub/export.ksl\"\n"      // 31: fine
      "restart\n"                               // 32
      "save delete \"last.dat\"\n");            // 33: no run comes after it
  EXPECT_EQ(LinesOf(errors), (std::vector<int>{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                               15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 33}))
      << ::testing::PrintToString(errors);
  ASSERT_EQ(errors.size(), 28u);
  EXPECT_NE(errors[4].find("at most one '*'"), std::string::npos) << errors[4];
  EXPECT_NE(errors[5].find("'..'"), std::string::npos) << errors[5];
  EXPECT_NE(errors[19].find("'..'"), std::string::npos) << errors[19];
  EXPECT_NE(errors[20].find("relative to it"), std::string::npos) << errors[20];
  EXPECT_NE(errors[21].find("no '*'"), std::string::npos) << errors[21];
  EXPECT_NE(errors[23].find("or from saved"), std::string::npos) << errors[23];
  EXPECT_NE(errors[24].find("'..'"), std::string::npos) << errors[24];
  EXPECT_NE(errors[25].find("'b_*' names one file"), std::string::npos) << errors[25];
  EXPECT_NE(errors[27].find("no restart follows it: save delete \"last.dat\""), std::string::npos) << errors[27];

  // What the good lines hold: the copy's source is a name in the save folder,
  // and the clipboard is compared with a saved file.
  scenario::Scenario s;
  ASSERT_TRUE(scenario::ParseScenario("save copy \"frame1_data.dat\" from saved \"copies/frame1_data.dat.3\"\n"
                                      "save copy \"a.dat\" from \"seed/a.dat\"\n"
                                      "expect 4 clipboard = saved \"export.ksl\"\n"
                                      "expect 4 clipboard = file \"export.ksl\"\n"
                                      "restart\n",
                                      &s, &errors))
      << ::testing::PrintToString(errors);
  ASSERT_EQ(s.changesAfter.size(), 2u);
  EXPECT_EQ(s.changesAfter[0].kind, scenario::SaveChange::Kind::Copy);
  EXPECT_EQ(s.changesAfter[0].name, "frame1_data.dat");
  EXPECT_EQ(s.changesAfter[0].from, "copies/frame1_data.dat.3");
  EXPECT_TRUE(s.changesAfter[0].fromSaveFolder);
  EXPECT_FALSE(s.changesAfter[1].fromSaveFolder);
  ASSERT_EQ(s.expectations.size(), 2u);
  EXPECT_EQ(s.expectations[0].subject, "export.ksl");
  EXPECT_TRUE(s.expectations[0].inSaveFolder);
  EXPECT_FALSE(s.expectations[1].inSaveFolder);
  EXPECT_EQ(s.DumpFrames(), (std::set<int64_t>{4}));
}

// ---------------------------------------------------------------- interrupted saves: failsave and either

TEST(ScenarioReader, FailsaveGivesItsRunTheStepToFailFromOncePerRun) {
  scenario::Scenario s;
  std::vector<std::string> errors;
  ASSERT_TRUE(scenario::ParseScenario("failsave 20\n"
                                      "audio loopback\n"
                                      "expect 3 obj_A.x = 1\n"
                                      "restart\n"
                                      "failsave 1\n"
                                      "restart\n"
                                      "expect 2 obj_A.x = 1\n",
                                      &s, &errors))
      << ::testing::PrintToString(errors);
  EXPECT_EQ(s.failSaveStep, 20);
  EXPECT_EQ(s.ProgramArguments(), (std::vector<std::string>{"-audio", "loopback", "-failsave", "20"}));
  EXPECT_EQ(s.framesToRun, 5) << "failsave names a step of the save folder, not a frame";
  ASSERT_EQ(s.laterRuns.size(), 2u);
  EXPECT_EQ(s.laterRuns[0].ProgramArguments(), (std::vector<std::string>{"-noaudio", "-failsave", "1"}));
  // Each run chooses its own: the run after a failing one saves normally.
  EXPECT_EQ(s.laterRuns[1].failSaveStep, 0);
  EXPECT_EQ(s.laterRuns[1].ProgramArguments(), (std::vector<std::string>{"-noaudio"}));

  errors = Errors("failsave\n"         // 1
                  "failsave 0\n"       // 2
                  "failsave -3\n"      // 3
                  "failsave x\n"       // 4
                  "failsave 1.5\n"     // 5
                  "failsave 2 3\n"     // 6
                  "failsave 4\n"       // 7: fine: the refused lines gave none
                  "failsave 5\n"       // 8: twice in run 1
                  "restart\n"          // 9
                  "failsave 6\n"       // 10: fine: run 2 has its own
                  "failsave 6\n"       // 11: twice in run 2
                  "restart\n"          // 12
                  "failsave 9223372036854775808\n");  // 13: past the greatest number, not clamped to it
  EXPECT_EQ(LinesOf(errors), (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 11, 13})) << ::testing::PrintToString(errors);
  ASSERT_EQ(errors.size(), 9u);
  EXPECT_NE(errors[1].find("(1 or more)"), std::string::npos) << errors[1];
  EXPECT_NE(errors[6].find("failsave is given twice in run 1"), std::string::npos) << errors[6];
  EXPECT_NE(errors[7].find("failsave is given twice in run 2"), std::string::npos) << errors[7];
}

TEST(ScenarioReader, EitherGroupsAlternativesOfExpectationsWhoseFramesTheRunCovers) {
  scenario::Scenario s;
  std::vector<std::string> errors;
  ASSERT_TRUE(scenario::ParseScenario("expect nolog \"[message box] Error\"\n"  // 1
                                      "either\n"                                // 2
                                      "  expect 3 obj_A.x = 400\n"              // 3
                                      "  expect 5 count obj_A = 1\n"            // 4
                                      "or\n"                                    // 5
                                      "  expect 7 pixel 0 0 ~ 0 0 0\n"          // 6
                                      "or\n"                                    // 7
                                      "  expect file \"frame1_data.dat\"\n"     // 8
                                      "end\n"                                   // 9
                                      "expect 1 count obj_A = 0\n",             // 10
                                      &s, &errors))
      << ::testing::PrintToString(errors);
  ASSERT_EQ(s.expectations.size(), 3u);
  const Expectation& group = s.expectations[1];
  EXPECT_EQ(group.kind, Expectation::Kind::AnyOf);
  EXPECT_EQ(group.line, 2);
  ASSERT_EQ(group.alternatives.size(), 3u);
  ASSERT_EQ(group.alternatives[0].size(), 2u);
  EXPECT_EQ(group.alternatives[0][1].line, 4);
  EXPECT_EQ(group.alternatives[0][1].kind, Expectation::Kind::Count);
  ASSERT_EQ(group.alternatives[1].size(), 1u);
  EXPECT_EQ(group.alternatives[1][0].kind, Expectation::Kind::Pixel);
  ASSERT_EQ(group.alternatives[2].size(), 1u);
  EXPECT_EQ(group.alternatives[2][0].kind, Expectation::Kind::File);
  // After `end` expectations are the run's own again.
  EXPECT_EQ(s.expectations[2].line, 10);
  // The alternatives' frames are dumped, pictured and run like any others.
  EXPECT_EQ(s.DumpFrames(), (std::set<int64_t>{1, 3, 5}));
  EXPECT_EQ(s.PictureFrames(), (std::set<int64_t>{7}));
  EXPECT_EQ(s.framesToRun, 9);
  errors = Errors("run 6\n"
                  "either\n"
                  "expect 5 obj_A.x = 1\n"
                  "or\n"
                  "expect 6 obj_A.x = 2\n"
                  "end\n");
  EXPECT_EQ(LinesOf(errors), (std::vector<int>{5})) << ::testing::PrintToString(errors);
}

TEST(ScenarioReader, EitherIsRefusedNestedEmptyWithoutOrUnclosedOrHoldingAnExit) {
  std::vector<std::string> errors = Errors("either now\n"                // 1: stands alone
                                           "or\n"                        // 2: no either
                                           "end\n"                       // 3: no either
                                           "either\n"                    // 4
                                           "expect 1 obj_A.x = 1\n"      // 5
                                           "either\n"                    // 6: no nesting
                                           "or\n"                        // 7
                                           "or\n"                        // 8: empty alternative
                                           "expect exit 0\n"             // 9: not an alternative
                                           "expect 2 obj_A.x = 2\n"      // 10
                                           "end\n"                       // 11
                                           "either\n"                    // 12
                                           "expect 1 obj_A.x = 1\n"      // 13
                                           "end\n"                       // 14: one alternative
                                           "either\n"                    // 15
                                           "end\n"                       // 16: empty, yet it ends the group
                                           "expect 1 obj_A.x = 1\n"      // 17
                                           "either\n"                    // 18: unclosed at the restart
                                           "expect 1 obj_A.x = 1\n"      // 19
                                           "restart\n"                   // 20
                                           "either\n"                    // 21: unclosed at the end
                                           "expect 1 obj_A.x = 1\n"      // 22
                                           "or\n"                        // 23
                                           "expect 1 obj_A.x = 2\n"      // 24
                                           "3 click left\n"              // 25: input is the run's, not a group's
                                           "save delete \"a\"\n"         // 26: so are changes
                                           "failsave 2\n");              // 27: and options
  EXPECT_EQ(LinesOf(errors), (std::vector<int>{1, 2, 3, 6, 8, 9, 14, 16, 18, 25, 26, 27, 21}))
      << ::testing::PrintToString(errors);
  ASSERT_EQ(errors.size(), 13u);
  const std::vector<std::pair<size_t, const char*>> messages = {
      {0, "either stands alone on its line"},
      {1, "or without `either`"},
      {2, "end without `either`"},
      {3, "`either` groups do not nest"},
      {4, "an alternative of `either` holds no expectation"},
      {5, "expect exit cannot be one of the alternatives"},
      {6, "`either` needs `or` and a second alternative"},
      {7, "an alternative of `either` holds no expectation"},
      {8, "line 18: `either` has no `end` before the end of run 1"},
      {9, "line 25: between `either` and `end` stand expect lines and `or` only"},
      {10, "line 26: between `either` and `end`"},
      {11, "line 27: between `either` and `end`"},
      {12, "line 21: `either` has no `end` before the end of run 2"},
  };
  for (const auto& [index, message] : messages)
    EXPECT_NE(errors[index].find(message), std::string::npos) << errors[index];

  // A refused `end` still ends its group: what follows is the run's own, and
  // no missing `end` is reported on top.
  scenario::Scenario s;
  errors.clear();
  EXPECT_FALSE(scenario::ParseScenario("either\nend\nexpect 1 obj_A.x = 1\n", &s, &errors));
  EXPECT_EQ(LinesOf(errors), (std::vector<int>{2})) << ::testing::PrintToString(errors);
  ASSERT_EQ(s.expectations.size(), 2u);
  EXPECT_EQ(s.expectations[1].kind, Expectation::Kind::Value);
  // A refused exit line inside a group does not become the run's exit code either.
  EXPECT_FALSE(scenario::ParseScenario("either\nexpect exit 1\nor\nexpect 1 obj_A.x = 1\nend\n", &s, &errors));
  EXPECT_FALSE(s.expectsExit);
}

// An `either` group against one run: it holds when every line of one
// alternative holds, never by lines taken from different ones, and when it
// fails it shows each alternative's first miss.
TEST(ScenarioChecks, EitherHoldsWhenOneAlternativeHoldsEntirelyAndShowsEachFirstMiss) {
  FilesFolder save;
  save.Write("frame1_data.dat", "i");
  scenario::RunResult run;
  run.log = "Entering main loop.\n";
  run.saveFolder = save.path;
  run.dumps[3] = TheDump();
  struct Case {
    const char* text;
    bool passes;
    std::vector<const char*> shown;  // in the message, in any order
    const char* hidden;              // not in the message ("" for none)
  };
  const Case cases[] = {
      {"either\n"
       "expect 3 obj_Canvas_Object#0.x = 500\n"
       "expect file \"frame1_data.dat\"\n"
       "or\n"
       "expect 3 obj_Canvas_Object#0.x = 1\n"
       "end\n",
       true, {"alternative 1 holds"}, ""},
      {"either\n"
       "expect 3 obj_Canvas_Object#0.x = 1\n"
       "or\n"
       "expect 3 count obj_Canvas_Object = 2\n"
       "expect log \"Entering main loop.\"\n"
       "end\n",
       true, {"alternative 2 holds"}, ""},
      // Each alternative holds one line of two: lines of different
      // alternatives do not add up to one.
      {"either\n"
       "expect 3 obj_Canvas_Object#0.x = 500\n"
       "expect nofile \"frame1_data.dat\"\n"
       "or\n"
       "expect 3 obj_Canvas_Object#0.x = 1\n"
       "expect file \"frame1_data.dat\"\n"
       "end\n",
       false,
       {"no alternative holds:", "alternative 1, line 3: expect nofile \"frame1_data.dat\"",
        "frame1_data.dat exists", "alternative 2, line 5: expect 3 obj_Canvas_Object#0.x = 1",
        "obj_Canvas_Object#0.x is 500"},
       ""},
      // Only the first miss of an alternative is shown.
      {"either\n"
       "expect 3 count obj_Canvas_Object = 5\n"
       "expect 3 obj_List_Object.label = \"Circle\"\n"
       "or\n"
       "expect log \"Segmentation fault\"\n"
       "or\n"
       "expect 9 count obj_Canvas_Object = 2\n"
       "end\n",
       false,
       {"alternative 1, line 2: expect 3 count obj_Canvas_Object = 5", "2 live obj_Canvas_Object",
        "alternative 2, line 5:", "the log does not hold it", "alternative 3, line 7:", "no state dump of frame 9"},
       "line 3:"},
  };
  for (const Case& c : cases) {
    scenario::Outcome outcome = CheckLine(c.text, run);
    EXPECT_EQ(outcome.passed, c.passes) << c.text << "  actual: " << outcome.actual;
    for (const char* shown : c.shown)
      EXPECT_NE(outcome.actual.find(shown), std::string::npos) << c.text << "  actual: " << outcome.actual;
    if (*c.hidden) {
      EXPECT_EQ(outcome.actual.find(c.hidden), std::string::npos) << c.text << "  actual: " << outcome.actual;
    }
  }
}

// ---------------------------------------------------------------- the save folder

TEST(SaveNames, OneStarStandsForAnyRunOfCharactersWithinAName) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"frame1_data.dat", "frame1_data.dat", true},
      {"frame1_data.dat", "frame1_data.dat.tmp", false},
      {"frame1_data.dat", "frame1_data.da", false},
      {"1_*", "1_100053", true},
      {"1_*", "1_", true},          // the star may stand for nothing
      {"1_*", "11_100053", false},
      {"1_*", "0_100053", false},
      {"*_100053", "0_100053", true},
      {"*_100053", "0_1000530", false},
      {"*", "anything.dat", true},
      {"*", "sub/anything.dat", false},  // not across a folder
      {"sub/*", "sub/anything.dat", true},
      {"sub/*", "sub/deeper/anything.dat", false},
      {"a*a", "a", false},           // the two ends may not share a character
      {"a*a", "aa", true},
      {"a*b.dat", "a_x_b.dat", true},
      {"a*b.dat", "a_x_b.da", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(scenario::NameMatches(c.pattern, c.name), c.matches) << c.pattern << " against " << c.name;
}

TEST(SaveChanges, FlipCutDeleteAndCopyChangeExactlyWhatTheySay) {
  FilesFolder save, scenarioFolder;
  ASSERT_FALSE(save.path.empty());
  const std::string original = "0123456789";
  save.Write("0_100053", original);
  save.Write("sub/1_100060", original);
  scenarioFolder.Write("seed/map.dat", "seeded");
  auto apply = [&](const std::string& line, std::string* report) {
    scenario::Scenario s;
    std::vector<std::string> errors;
    EXPECT_TRUE(scenario::ParseScenario(line + "\nrestart\n", &s, &errors)) << line;
    if (s.changesAfter.size() != 1) return false;
    return scenario::ApplySaveChange(s.changesAfter[0], save.path, scenarioFolder.path, report);
  };
  std::string report;

  ASSERT_TRUE(apply("save flip \"0_*\" 2", &report)) << report;
  std::string expected = original;
  expected[2] = static_cast<char>(~'2');
  EXPECT_EQ(save.Read("0_100053"), expected);
  EXPECT_NE(report.find("byte 2 of 0_100053"), std::string::npos) << report;
  // Negative offsets count from the end: -1 is the last byte.
  ASSERT_TRUE(apply("save flip \"0_100053\" -1", &report)) << report;
  expected[9] = static_cast<char>(~'9');
  EXPECT_EQ(save.Read("0_100053"), expected);
  // Outside the file: nothing changes, and the report says why.
  EXPECT_FALSE(apply("save flip \"0_100053\" 10", &report));
  EXPECT_NE(report.find("outside 0_100053 (10 bytes)"), std::string::npos) << report;
  EXPECT_FALSE(apply("save flip \"0_100053\" -11", &report));
  EXPECT_EQ(save.Read("0_100053"), expected);

  ASSERT_TRUE(apply("save cut \"sub/1_*\" 4", &report)) << report;
  EXPECT_EQ(save.Read("sub/1_100060"), "0123");
  EXPECT_FALSE(apply("save cut \"sub/1_100060\" 5", &report)) << "a cut does not make a file longer";
  EXPECT_EQ(save.Read("sub/1_100060"), "0123");
  ASSERT_TRUE(apply("save cut \"sub/1_100060\" 0", &report)) << report;
  EXPECT_TRUE(std::filesystem::exists(save.path + "sub/1_100060"));
  EXPECT_EQ(save.Read("sub/1_100060"), "");

  // A copy from beside the scenario, into a folder that does not exist yet.
  ASSERT_TRUE(apply("save copy \"from_elsewhere/2_100070\" from \"seed/map.dat\"", &report)) << report;
  EXPECT_EQ(save.Read("from_elsewhere/2_100070"), "seeded");
  EXPECT_FALSE(apply("save copy \"x\" from \"seed/none.dat\"", &report));
  EXPECT_NE(report.find("cannot read"), std::string::npos) << report;
  EXPECT_FALSE(std::filesystem::exists(save.path + "x"));

  // A copy from the save folder itself, over a file there: the source stays.
  ASSERT_TRUE(apply("save copy \"0_100053\" from saved \"from_elsewhere/2_100070\"", &report)) << report;
  EXPECT_EQ(save.Read("0_100053"), "seeded");
  EXPECT_EQ(save.Read("from_elsewhere/2_100070"), "seeded");
  EXPECT_NE(report.find("to 0_100053 (6 bytes)"), std::string::npos) << report;
  // A source missing from the save folder: nothing is written, and the report
  // names the path looked at. A file beside the scenario is not looked for.
  save.Write("0_100053", original);
  EXPECT_FALSE(apply("save copy \"0_100053\" from saved \"copies/none\"", &report));
  EXPECT_EQ(report, "cannot read " + save.path + "copies/none");
  EXPECT_FALSE(apply("save copy \"0_100053\" from saved \"seed/map.dat\"", &report));
  EXPECT_NE(report.find("cannot read " + save.path + "seed/map.dat"), std::string::npos) << report;
  EXPECT_EQ(save.Read("0_100053"), original);

  ASSERT_TRUE(apply("save delete \"from_elsewhere/*\"", &report)) << report;
  EXPECT_FALSE(std::filesystem::exists(save.path + "from_elsewhere/2_100070"));
  EXPECT_EQ(scenario::FilesUnder(save.path), (std::vector<std::string>{"0_100053", "sub/1_100060"}));
}

TEST(SaveChanges, ANameMustMatchExactlyOneFileAndTheReportSaysWhichMatched) {
  FilesFolder save;
  save.Write("0_100053", "a");
  save.Write("1_100053", "b");
  save.Write("frame1_data.dat", "c");
  scenario::SaveChange change;
  change.kind = scenario::SaveChange::Kind::Delete;
  std::string report;

  change.name = "*_100053";
  EXPECT_FALSE(scenario::ApplySaveChange(change, save.path, save.path, &report));
  EXPECT_NE(report.find("matches 2 files"), std::string::npos) << report;
  EXPECT_NE(report.find("0_100053, 1_100053"), std::string::npos) << report;

  change.name = "2_*";
  EXPECT_FALSE(scenario::ApplySaveChange(change, save.path, save.path, &report));
  EXPECT_NE(report.find("matches \"2_*\""), std::string::npos) << report;
  EXPECT_NE(report.find("it holds 0_100053, 1_100053, frame1_data.dat"), std::string::npos) << report;

  change.kind = scenario::SaveChange::Kind::Flip;
  change.name = "frame1_data.dat";
  EXPECT_TRUE(scenario::ApplySaveChange(change, save.path, save.path, &report)) << report;
  EXPECT_EQ(scenario::FilesUnder(save.path).size(), 3u) << "no change touched another file";
  EXPECT_EQ(save.Read("0_100053"), "a");
  EXPECT_EQ(save.Read("1_100053"), "b");
}

TEST(SaveChanges, RetagGivesAnotherMachinesTagAndKeepsTheRest) {
  FilesFolder save;
  const std::string here = SecureMap_ThisMachineTag();
  ASSERT_EQ(here.size(), kSecureMapTagLength);
  const std::string body = "eyAiMF8xMDAwNTMiOiAiMF8xMDAwNTMiIH0A";
  save.Write("frame1_data.dat", here + body);
  scenario::SaveChange change;
  change.kind = scenario::SaveChange::Kind::Retag;
  change.name = "frame1_*";
  std::string report;
  ASSERT_TRUE(scenario::ApplySaveChange(change, save.path, save.path, &report)) << report;
  std::string bytes = save.Read("frame1_data.dat");
  ASSERT_EQ(bytes.size(), here.size() + body.size());
  const std::string tag = bytes.substr(0, kSecureMapTagLength);
  EXPECT_NE(tag, here) << "the file must look written on another machine";
  EXPECT_TRUE(std::all_of(tag.begin(), tag.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }))
      << tag;
  EXPECT_EQ(bytes.substr(kSecureMapTagLength), body);
  // Retagging again gives yet another tag, never this machine's.
  ASSERT_TRUE(scenario::ApplySaveChange(change, save.path, save.path, &report)) << report;
  const std::string again = save.Read("frame1_data.dat").substr(0, kSecureMapTagLength);
  EXPECT_NE(again, tag);
  EXPECT_NE(again, here);

  // A file that does not start with a tag is refused and left alone.
  save.Write("frame1_data.dat", here.substr(0, 79));
  EXPECT_FALSE(scenario::ApplySaveChange(change, save.path, save.path, &report));
  EXPECT_NE(report.find("does not start with an 80-character machine tag"), std::string::npos) << report;
  save.Write("frame1_data.dat", "{ \"not\": \"a tag\" }" + std::string(80, ' '));
  EXPECT_FALSE(scenario::ApplySaveChange(change, save.path, save.path, &report));
  EXPECT_EQ(save.Read("frame1_data.dat"), "{ \"not\": \"a tag\" }" + std::string(80, ' '));
}

TEST(ScenarioChecks, FileChecksTakeOneStarAndFilesCountsWhatMatches) {
  FilesFolder save;
  save.Write("frame1_data.dat", "i");
  save.Write("0_100053", "a");
  save.Write("1_100060", "b");
  save.Write("sub/2_100070", "c");
  scenario::RunResult run;
  run.saveFolder = save.path;
  struct Case {
    const char* line;
    bool passes;
    const char* found;
  };
  const Case cases[] = {
      {"expect file \"1_*\"", true, ""},
      {"expect file \"2_*\"", false, "no file in"},
      {"expect file \"sub/2_*\"", true, ""},
      {"expect nofile \"2_*\"", true, ""},
      {"expect nofile \"*_100060\"", false, "matches 1_100060"},
      {"expect file \"frame1_data.dat\"", true, ""},
      {"expect nofile \"frame1_data.dat\"", false, "frame1_data.dat exists"},
      {"expect files \"*\" = 3", true, ""},  // sub/2_100070 lies in a folder
      {"expect files \"*\" = 4", false, "3 file(s)"},
      {"expect files \"*0\" = 1", true, ""},
      {"expect files \"?_*\" = 0", true, ""},  // '?' is an ordinary character
      {"expect files \"*\" >= 3", true, ""},
      {"expect files \"*\" < 3", false, "0_100053, 1_100060, frame1_data.dat"},
      {"expect files \"sub/*\" = 1", true, ""},
      {"expect files \"x*\" != 0", false, "0 file(s)"},
  };
  for (const Case& c : cases) {
    scenario::Outcome outcome = CheckLine(c.line, run);
    EXPECT_EQ(outcome.passed, c.passes) << c.line << "\n  actual: " << outcome.actual;
    if (!c.passes) {
      EXPECT_NE(outcome.actual.find(c.found), std::string::npos) << c.line << "\n  actual: " << outcome.actual;
    }
  }
  run.saveFolder.clear();
  EXPECT_FALSE(CheckLine("expect files \"*\" = 0", run).passed) << "no save folder, no count";
}

// ---------------------------------------------------------------- the clipboard

TEST(ClipboardText, FirstDifferenceNamesTheCharacterAndShowsBothLines) {
  EXPECT_EQ(scenario::FirstDifference("case 0:\n\tx = 1;\n", "case 0:\n\tx = 1;\n"), "");
  EXPECT_EQ(scenario::FirstDifference("", ""), "");

  // "case 0:\n" is 8 characters, "\tx = " 5 more: the 14th character differs.
  std::string text = scenario::FirstDifference("case 0:\n\tx = 1;\ncase 1:\n", "case 0:\n\tx = 2;\ncase 1:\n");
  EXPECT_NE(text.find("character 14 (line 2, column 6)"), std::string::npos) << text;
  EXPECT_NE(text.find("expected line 2: \"\\tx = 2;\""), std::string::npos) << text;
  EXPECT_NE(text.find("actual   line 2: \"\\tx = 1;\""), std::string::npos) << text;

  // A tab against spaces is shown, not hidden in white space.
  text = scenario::FirstDifference("a\n    b", "a\n\tb");
  EXPECT_NE(text.find("character 3 (line 2, column 1)"), std::string::npos) << text;
  EXPECT_NE(text.find("\"\\tb\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"    b\""), std::string::npos) << text;

  // One text stops early: the other goes on.
  text = scenario::FirstDifference("a\nb", "a\nb\nc");
  EXPECT_NE(text.find("character 4 (line 2, column 2)"), std::string::npos) << text;
  EXPECT_NE(text.find("actual   line 2: \"b\" (the text ends there)"), std::string::npos) << text;
  text = scenario::FirstDifference("a\r\n", "a\n");
  EXPECT_NE(text.find("\"a\\r\""), std::string::npos) << text;

  // Positions count characters, not bytes: 'é' is two bytes, one character,
  // and two characters that share their first byte differ at the character.
  text = scenario::FirstDifference("\xc3\xa9" "1", "\xc3\xa9" "2");
  EXPECT_NE(text.find("character 2 (line 1, column 2)"), std::string::npos) << text;
  text = scenario::FirstDifference("x\xc3\xa9", "x\xc3\xa8");
  EXPECT_NE(text.find("character 2 (line 1, column 2)"), std::string::npos) << text;
}

TEST(ScenarioChecks, ClipboardIsComparedWithATextAFileASavedFileOrNeverSet) {
  FilesFolder folder, save;
  folder.Write("export/figure.txt", "case 0:\n\tdraw_sprite_ext(spr_Circle, 0, x, y);\n");
  folder.Write("export/other.txt", "case 0:\n\tdraw_sprite_ext(spr_Square, 0, x, y);\n");
  // What the program itself saved: `saved` names are read from the save folder only.
  save.Write("export.ksl", "case 0:\n\tdraw_sprite_ext(spr_Circle, 0, x, y);\n");
  save.Write("sub/other.ksl", "case 0:\n\tdraw_sprite_ext(spr_Square, 0, x, y);\n");
  scenario::RunResult run;
  run.scenarioFolder = folder.path;
  run.saveFolder = save.path;
  std::string error;
  ASSERT_TRUE(scenario::ParseDump(R"({"frame": 1, "clipboard": null, "instances": [], "lists": {}, "maps": {}})",
                                  &run.dumps[1], &error))
      << error;
  ASSERT_TRUE(scenario::ParseDump(
      R"({"frame": 2, "clipboard": "case 0:\n\tdraw_sprite_ext(spr_Circle, 0, x, y);\n", "instances": [], "lists": {}, "maps": {}})",
      &run.dumps[2], &error))
      << error;
  ASSERT_TRUE(scenario::ParseDump(R"({"frame": 3, "clipboard": "", "instances": [], "lists": {}, "maps": {}})",
                                  &run.dumps[3], &error))
      << error;
  run.dumps[4] = TheDump();  // a dump without a clipboard
  struct Case {
    const char* line;
    bool passes;
    const char* found;
  };
  const Case cases[] = {
      {"expect 1 clipboard = undefined", true, ""},
      {"expect 1 clipboard = \"\"", false, "never set"},
      {"expect 1 clipboard != undefined", false, "never set"},
      {"expect 3 clipboard = \"\"", true, ""},
      {"expect 3 clipboard = undefined", false, "holds \"\""},
      {"expect 2 clipboard = \"case 0:\\n\\tdraw_sprite_ext(spr_Circle, 0, x, y);\\n\"", true, ""},
      {"expect 2 clipboard = \"case 0:\\n\\tdraw_sprite_ext(spr_Circle, 0, x, y);\"", false,
       "(the text ends there)"},
      {"expect 2 clipboard = \"case 0:\\n    draw_sprite_ext(spr_Circle, 0, x, y);\\n\"", false,
       "actual   line 2: \"\\tdraw_sprite_ext(spr_Circle, 0, x, y);\""},
      {"expect 2 clipboard != \"case 0:\"", true, ""},
      {"expect 2 clipboard = file \"export/figure.txt\"", true, ""},
      {"expect 2 clipboard != file \"export/figure.txt\"", false, "holds that text"},
      {"expect 2 clipboard = file \"export/other.txt\"", false, "character 30 (line 2, column 22)"},
      {"expect 2 clipboard = file \"export/none.txt\"", false, "cannot read"},
      {"expect 1 clipboard = file \"export/figure.txt\"", false, "never set"},
      {"expect 4 clipboard = undefined", false, "holds no clipboard"},
      {"expect 5 clipboard = undefined", false, "no state dump of frame 5"},
      {"expect 2 clipboard = saved \"export.ksl\"", true, ""},
      {"expect 2 clipboard != saved \"export.ksl\"", false, "holds that text"},
      {"expect 2 clipboard = saved \"sub/other.ksl\"", false, "character 30 (line 2, column 22)"},
      {"expect 2 clipboard != saved \"sub/other.ksl\"", true, ""},
      {"expect 1 clipboard = saved \"export.ksl\"", false, "never set"},
      {"expect 2 clipboard = saved \"none.ksl\"", false, "cannot read"},
      // Each form reads its own folder.
      {"expect 2 clipboard = saved \"export/figure.txt\"", false, "cannot read"},
      {"expect 2 clipboard = file \"export.ksl\"", false, "cannot read"},
  };
  for (const Case& c : cases) {
    scenario::Outcome outcome = CheckLine(c.line, run);
    EXPECT_EQ(outcome.passed, c.passes) << c.line << "\n  actual: " << outcome.actual;
    if (!c.passes) {
      EXPECT_NE(outcome.actual.find(c.found), std::string::npos) << c.line << "\n  actual: " << outcome.actual;
    }
  }
  scenario::Outcome missing = CheckLine("expect 2 clipboard = saved \"none.ksl\"", run);
  EXPECT_NE(missing.actual.find("cannot read " + save.path + "none.ksl"), std::string::npos) << missing.actual;
  // Without a save folder a saved file cannot be read, whichever way it is compared.
  run.saveFolder.clear();
  for (const char* line : {"expect 2 clipboard = saved \"export.ksl\"", "expect 2 clipboard != saved \"export.ksl\""}) {
    scenario::Outcome outcome = CheckLine(line, run);
    EXPECT_FALSE(outcome.passed) << line;
    EXPECT_NE(outcome.actual.find("the save folder is unknown"), std::string::npos) << outcome.actual;
  }
}

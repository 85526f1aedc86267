// SPDX-License-Identifier: Zlib
// The state dump (-dumpstate): instances in room order with their built-in
// fields and every user variable by its source name, destroyed instances
// left out, the lists and maps with their contents in their own order, and
// the clipboard's text, and the sound: the device, every active voice, and
// on the loopback device the level of the samples mixed after the frame.
// The JSON is read with json-c directly, so the checks do not depend on the
// scenario reader.
#include <json-c/json.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "RuntimeFixture.h"
#include "library/DsHandles.h"
#include "library/DsList.h"
#include "library/DsMap.h"
#include "platform/Clipboard.h"
#include "run/Runner.h"
#include "run/RunnerAudio.h"
#include "run/StateDump.h"
#include "sound/Audio.h"

namespace {

// The compiled side's variable table: slot n is the n-th name.
CompiledVariableRef g_count{"count", 0};
CompiledVariableRef g_label{"label", 1};
CompiledVariableRef g_never{"never_set", 2};
CompiledVariableRef g_cells{"cells", 3};
CompiledVariableRef g_gone{"gone", 4};
CompiledVariableRef* g_variables[] = {&g_count, &g_label, &g_never, &g_cells, &g_gone, nullptr};

// A parsed dump, released with the fixture.
struct Json {
  json_object* root = nullptr;
  ~Json() { json_object_put(root); }
  json_object* Get(json_object* from, const char* key) const {
    json_object* member = nullptr;
    EXPECT_TRUE(json_object_object_get_ex(from, key, &member)) << "no member " << key;
    return member;
  }
};

std::vector<std::string> Keys(json_object* object) {
  std::vector<std::string> keys;
  json_object_object_foreach(object, key, value) {
    (void)value;
    keys.push_back(key);
  }
  return keys;
}

}  // namespace

class StateDumpTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    CompiledCodeInfo info{};
    info.variableTable = g_variables;
    Code_Load(info);
  }
  void TearDown() override {
    DsHandles_DestroyAll();
    RuntimeTest::TearDown();
  }
  void Read(Json* json, int64_t frame) {
    std::string text = StateDump_Json(frame);
    json->root = json_tokener_parse(text.c_str());
    ASSERT_NE(json->root, nullptr) << text;
  }
  static void SetString(CInstance* instance, int slot, const char* text) {
    DynValue_SetString(ZuObject_Slot(instance, slot), text);
  }
};

TEST_F(StateDumpTest, InstancesInRoomOrderWithEveryVariableByName) {
  AddObject(0, "obj_Row")->spriteIndex = 4;
  AddObject(1, "obj_Shape");
  CInstance* row = Instance_CreateWithId(100020, 0, 853, 296, 5);
  CInstance* shape = Instance_CreateWithId(100030, 1, 512.5f, 448, -10);
  CInstance* destroyed = Instance_CreateWithId(100040, 1, 0, 0, 0);
  shape->imageAngle = 45;
  shape->maskIndex = 9;
  DynValue_SetReal(ZuObject_Slot(row, 0), 3);
  SetString(row, 1, "Circle \"big\"");
  DynValue_SetReal(ZuObject_Slot(shape, 0), 0.1);
  *ZuObject_Slot(shape, 4) = DynValue_MakeUndefined();
  // A read of a variable never assigned makes an empty cell: not a variable it holds.
  ZuObject_Slot(shape, 2);
  // An array is described, not written out.
  DynValue element = DynValue_MakeReal(7);
  for (int i = 0; i < 3; ++i) DynValue_Write(ZuObject_Slot(shape, 3), &element, i);
  Instance_Destroy(destroyed, false);

  Json json;
  Read(&json, 42);
  EXPECT_EQ(json_object_get_int64(json.Get(json.root, "frame")), 42);
  json_object* instances = json.Get(json.root, "instances");
  ASSERT_EQ(json_object_array_length(instances), 2u) << "the destroyed instance is left out";

  // Room order: the lower depth first.
  json_object* first = json_object_array_get_idx(instances, 0);
  EXPECT_STREQ(json_object_get_string(json.Get(first, "object")), "obj_Shape");
  EXPECT_EQ(json_object_get_int64(json.Get(first, "id")), 100030);
  EXPECT_EQ(json_object_get_double(json.Get(first, "x")), 512.5);
  EXPECT_EQ(json_object_get_double(json.Get(first, "depth")), -10);
  EXPECT_EQ(json_object_get_double(json.Get(first, "image_angle")), 45);
  EXPECT_EQ(json_object_get_int64(json.Get(first, "mask_index")), 9);
  json_object* variables = json.Get(first, "variables");
  EXPECT_EQ(Keys(variables), (std::vector<std::string>{"cells", "count", "gone"}));
  EXPECT_EQ(json_object_get_double(json.Get(variables, "count")), 0.1);
  EXPECT_STREQ(json_object_get_string(json.Get(variables, "cells")), "<array: 3 items>");
  EXPECT_TRUE(json_object_is_type(json.Get(variables, "gone"), json_type_null)) << "undefined is null";

  json_object* second = json_object_array_get_idx(instances, 1);
  EXPECT_STREQ(json_object_get_string(json.Get(second, "object")), "obj_Row");
  EXPECT_EQ(json_object_get_int64(json.Get(second, "sprite_index")), 4);
  EXPECT_EQ(json_object_get_double(json.Get(second, "y")), 296);
  variables = json.Get(second, "variables");
  EXPECT_EQ(Keys(variables), (std::vector<std::string>{"count", "label"}));
  EXPECT_TRUE(json_object_is_type(json.Get(variables, "count"), json_type_double) ||
              json_object_is_type(json.Get(variables, "count"), json_type_int));
  EXPECT_EQ(json_object_get_double(json.Get(variables, "count")), 3);
  EXPECT_STREQ(json_object_get_string(json.Get(variables, "label")), "Circle \"big\"");
}

TEST_F(StateDumpTest, ListsAndMapsWithTheirContents) {
  int empty = DsList_Create();
  int gone = DsList_Create();
  int list = DsList_Create();
  DsList_Destroy(gone);
  DynValue one = DynValue_MakeReal(1), undefined = DynValue_MakeUndefined(), text = DynValue_MakeUndefined();
  DynValue_SetString(&text, "two");
  DsList_Get(list)->Add(&one);
  DsList_Get(list)->Add(&text);
  DsList_Get(list)->Add(&undefined);

  int map;
  std::vector<std::string> visitingOrder;
  {
    std::lock_guard<std::mutex> lock(DsMutex());
    map = DsMap_Create();
    CDS_Map* m = DsMap_Get(map);
    for (const char* key : {"zeta", "alpha", "mid", "beta"}) {
      DynValue k = DynValue_MakeUndefined();
      DynValue_SetString(&k, key);
      m->Add(&k, &one);
      DynValue_Free(&k);
    }
    DynValue numberKey = DynValue_MakeReal(2.5);
    m->Add(&numberKey, &text);
    for (DsMapNode* node = m->First(); node; node = m->Next(node))
      visitingOrder.push_back(node->key.Kind() == KIND_STRING ? DynValue_Chars(&node->key) : "2.5");
  }
  DynValue_Free(&text);

  Json json;
  Read(&json, 0);
  json_object* lists = json.Get(json.root, "lists");
  EXPECT_EQ(Keys(lists), (std::vector<std::string>{std::to_string(empty), std::to_string(list)}))
      << "a destroyed list's handle is left out";
  EXPECT_EQ(json_object_array_length(json.Get(lists, std::to_string(empty).c_str())), 0u);
  json_object* items = json.Get(lists, std::to_string(list).c_str());
  ASSERT_EQ(json_object_array_length(items), 3u);
  EXPECT_EQ(json_object_get_double(json_object_array_get_idx(items, 0)), 1);
  EXPECT_STREQ(json_object_get_string(json_object_array_get_idx(items, 1)), "two");
  EXPECT_TRUE(json_object_is_type(json_object_array_get_idx(items, 2), json_type_null));

  json_object* maps = json.Get(json.root, "maps");
  EXPECT_EQ(Keys(maps), (std::vector<std::string>{std::to_string(map)}));
  json_object* entries = json.Get(maps, std::to_string(map).c_str());
  // The map's own visiting order, not the order of adding or of the names.
  EXPECT_EQ(Keys(entries), visitingOrder);
  EXPECT_STREQ(json_object_get_string(json.Get(entries, "2.5")), "two");
  EXPECT_EQ(json_object_get_double(json.Get(entries, "alpha")), 1);
}

// Null until the program puts a text on the clipboard; then the text as it
// is, an empty one included, so that an export can be compared character by
// character.
TEST_F(StateDumpTest, ClipboardIsNullUntilATextIsPutThere) {
  Platform_SetClipboardImplementation(nullptr);  // the in-process clipboard, never set
  {
    Json json;
    Read(&json, 0);
    EXPECT_TRUE(json_object_is_type(json.Get(json.root, "clipboard"), json_type_null));
  }
  const char* exported = "case 0:\n\tdraw_sprite_ext(spr_Circle, 0, x + 4, y, 1, 1, 0, c_white, 1);\n\"quoted\" \\ done";
  Platform_SetClipboardText(exported);
  {
    Json json;
    Read(&json, 1);
    json_object* clipboard = json.Get(json.root, "clipboard");
    ASSERT_TRUE(json_object_is_type(clipboard, json_type_string));
    EXPECT_STREQ(json_object_get_string(clipboard), exported);
  }
  Platform_SetClipboardText("");
  {
    Json json;
    Read(&json, 2);
    json_object* clipboard = json.Get(json.root, "clipboard");
    ASSERT_TRUE(json_object_is_type(clipboard, json_type_string)) << "emptied is not never set";
    EXPECT_STREQ(json_object_get_string(clipboard), "");
  }
  Platform_SetClipboardImplementation(nullptr);
}

TEST_F(StateDumpTest, WriteCreatesTheFileAndReportsOneItCannotWrite) {
  char path[] = "/tmp/state_dump_test_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_TRUE(StateDump_Write(7, path));
  std::FILE* file = std::fopen(path, "r");
  ASSERT_NE(file, nullptr);
  char head[64] = {};
  size_t read = std::fread(head, 1, sizeof head - 1, file);
  std::fclose(file);
  std::remove(path);
  EXPECT_GT(read, 0u);
  EXPECT_NE(std::string(head).find("\"frame\": 7"), std::string::npos) << head;

  EXPECT_FALSE(StateDump_Write(7, "/nonexistent-folder/dump.json"));
  EXPECT_NE(debugLog.Text().find("The state dump /nonexistent-folder/dump.json could not be written"), std::string::npos)
      << debugLog.Text();
}

// The runner's loopback device mixes one frame of samples (735 at 60 frames a
// second) after each frame, so a voice's position moves by 1/60 s a frame
// and a stall adds its milliseconds once; the dump shows each voice and the
// level of what was mixed.
TEST_F(StateDumpTest, AudioShowsEveryVoiceAndTheLevelOfTheFramesMix) {
  Sound_ClearAll();
  AudioGroup_Add("audiogroup_default");
  Audio_SetBaseFolder(MOBWRIGHT_MUSIC_FOLDER);
  Audio_SetRoomSpeed(60);
  SoundEntry entry{"msc_Main_Cocktail", 100, nullptr, "msc_Main_Cocktail.ogg", 0, 1.0f, 0.0f, 0, -1};
  ASSERT_EQ(Sound_Add(entry), 0);
  RunnerOptions options;
  options.audioLoopback = true;
  options.audioStalls.push_back({4, 100});
  RunnerAudio_Init(options);
  ASSERT_TRUE(Audio_HasDevice());

  auto audioOf = [&](Json* json, int64_t frame) {
    Read(json, frame);
    return json->Get(json->root, "audio");
  };
  {
    Json json;
    json_object* audio = audioOf(&json, 0);
    EXPECT_STREQ(json_object_get_string(json.Get(audio, "device")), "loopback");
    EXPECT_EQ(json_object_get_int64(json.Get(audio, "plays")), 0);
    EXPECT_EQ(json_object_array_length(json.Get(audio, "voices")), 0u);
  }

  int32_t handle = Audio_PlaySound(0, 1, false);
  ASSERT_EQ(handle, VOICE_HANDLE_FIRST);
  Audio_SoundGain(handle, 0.5, 0);
  for (int64_t frame = 0; frame < 3; ++frame) RunnerAudio_FrameDone(frame, 60);
  {
    Json json;
    json_object* audio = audioOf(&json, 2);
    EXPECT_EQ(json_object_get_int64(json.Get(audio, "plays")), 1);
    json_object* voices = json.Get(audio, "voices");
    ASSERT_EQ(json_object_array_length(voices), 1u);
    json_object* voice = json_object_array_get_idx(voices, 0);
    EXPECT_EQ(json_object_get_int64(json.Get(voice, "handle")), handle);
    EXPECT_EQ(json_object_get_int64(json.Get(voice, "sound")), 0);
    EXPECT_STREQ(json_object_get_string(json.Get(voice, "name")), "msc_Main_Cocktail");
    EXPECT_STREQ(json_object_get_string(json.Get(voice, "state")), "playing");
    EXPECT_DOUBLE_EQ(json_object_get_double(json.Get(voice, "gain")), 0.5);
    EXPECT_DOUBLE_EQ(json_object_get_double(json.Get(voice, "position")), 3 * 735 / 44100.0);
    EXPECT_EQ(json_object_get_int64(json.Get(audio, "samples")), 735);
    double level = json_object_get_double(json.Get(audio, "level"));
    EXPECT_GT(level, 0.005) << "the track is audible at half gain";
    EXPECT_GE(json_object_get_double(json.Get(audio, "peak")), level);
  }

  // Frame 4 stalls: 100 ms more are mixed after it.
  RunnerAudio_FrameDone(3, 60);
  RunnerAudio_FrameDone(4, 60);
  {
    Json json;
    json_object* audio = audioOf(&json, 4);
    EXPECT_EQ(json_object_get_int64(json.Get(audio, "samples")), 735 + 4410);
    json_object* voice = json_object_array_get_idx(json.Get(audio, "voices"), 0);
    EXPECT_DOUBLE_EQ(json_object_get_double(json.Get(voice, "position")), (5 * 735 + 4410) / 44100.0);
  }

  // Paused: the position holds and, once the mixer has ramped it down, the mix is silent.
  Audio_PauseSound(handle);
  for (int64_t frame = 5; frame < 8; ++frame) RunnerAudio_FrameDone(frame, 60);
  {
    Json json;
    json_object* audio = audioOf(&json, 7);
    json_object* voice = json_object_array_get_idx(json.Get(audio, "voices"), 0);
    EXPECT_STREQ(json_object_get_string(json.Get(voice, "state")), "paused");
    EXPECT_DOUBLE_EQ(json_object_get_double(json.Get(voice, "position")), (5 * 735 + 4410) / 44100.0);
    EXPECT_LT(json_object_get_double(json.Get(audio, "level")), 0.0001);
  }

  // Stopped: no voice is left; the count of plays stays.
  Audio_StopAll();
  RunnerAudio_FrameDone(8, 60);
  {
    Json json;
    json_object* audio = audioOf(&json, 8);
    EXPECT_EQ(json_object_array_length(json.Get(audio, "voices")), 0u);
    EXPECT_EQ(json_object_get_int64(json.Get(audio, "plays")), 1);
  }
  Audio_Shutdown();

  // Without sound nothing is mixed: the dump says so and has no level.
  options = RunnerOptions{};
  options.noAudio = true;
  RunnerAudio_Init(options);
  {
    Json json;
    json_object* audio = audioOf(&json, 9);
    EXPECT_STREQ(json_object_get_string(json.Get(audio, "device")), "disabled");
    EXPECT_EQ(json_object_array_length(json.Get(audio, "voices")), 0u);
    EXPECT_FALSE(json_object_object_get_ex(audio, "level", nullptr));
  }
  Audio_Shutdown();
  Audio_SetRoomSpeed(0);
  Sound_ClearAll();
}

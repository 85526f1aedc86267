// SPDX-License-Identifier: Zlib
// The room's state as JSON; see StateDump.h for the layout.
#include "run/StateDump.h"

#include <json-c/json.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

#include "base/Console.h"
#include "code/CodeState.h"
#include "graphics/Graphics.h"
#include "library/DsHandles.h"
#include "library/DsList.h"
#include "library/DsMap.h"
#include "object/Instance.h"
#include "platform/Clipboard.h"
#include "room/RoomInstances.h"
#include "run/RunnerAudio.h"
#include "run/RunnerGraphics.h"
#include "sound/Audio.h"
#include "sound/AudioTesting.h"
#include "value/TextBuffer.h"

namespace {

// The shortest of "%.15g" and "%.17g" that reads back as the same double, so
// that 512 is written "512" and 0.1 "0.1", yet no value loses a bit.
std::string NumberText(double d) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", d);
  if (std::strtod(text, nullptr) != d) std::snprintf(text, sizeof text, "%.17g", d);
  return text;
}

json_object* NumberJson(double d) {
  // JSON has no NaN or infinities: those are written as their names.
  if (std::isnan(d)) return json_object_new_string("nan");
  if (std::isinf(d)) return json_object_new_string(d > 0 ? "inf" : "-inf");
  return json_object_new_double_s(d, NumberText(d).c_str());
}

json_object* ArrayDescription(const DynArray* array) {
  int rows = array ? array->rowCount : 0;
  int64_t items = 0;
  for (int r = 0; r < rows; ++r) items += array->rows[r].length;
  std::string text = "<array: ";
  if (rows > 1) text += std::to_string(rows) + " rows, ";
  text += std::to_string(items) + (items == 1 ? " item>" : " items>");
  return json_object_new_string(text.c_str());
}

// One value as JSON: numbers (and the kinds that behave as numbers) as
// numbers, strings as strings, undefined as null, anything else described.
json_object* ValueJson(const DynValue* value) {
  switch (value->Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      return NumberJson(value->real);
    case KIND_INT32:
      return json_object_new_int64(value->i32);
    case KIND_INT64:
      return json_object_new_int64(value->i64);
    case KIND_STRING: {
      const char* chars = DynValue_Chars(value);
      return json_object_new_string(chars ? chars : "");
    }
    case KIND_UNDEFINED:
      return nullptr;  // json-c writes a missing object as null
    case KIND_ARRAY:
      return ArrayDescription(value->arr);
    default: {
      std::string text = std::string("<") + DynValue_KindName(value) + ">";
      return json_object_new_string(text.c_str());
    }
  }
}

// Map keys are JSON member names: strings as they are, numbers as their text.
std::string KeyText(const DynValue* key) {
  switch (key->Kind()) {
    case KIND_STRING: {
      const char* chars = DynValue_Chars(key);
      return chars ? chars : "";
    }
    case KIND_NUMBER:
    case KIND_BOOL:
    case KIND_INT32:
    case KIND_INT64:
      return NumberText(DynValue_ToReal(key));
    default: {
      TextBuffer text;
      DynValue_ToText(&text, key);
      return text.Text();
    }
  }
}

// The user variables an instance holds, sorted by name. The compiled code
// refers to a user variable by its slot; the descriptor's variable table
// gives each slot its source name. A slot whose cell was never assigned (a
// read of an unknown variable can make one) is not a variable it holds.
json_object* VariablesJson(const CInstance* instance) {
  const std::vector<const char*>& names = Code_State().userVariableNames;
  std::vector<std::pair<std::string, const DynValue*>> held;
  for (size_t slot = 0; slot < names.size(); ++slot) {
    const DynValue* cell = instance->FindSlot(static_cast<int>(slot));
    if (!cell || cell->Kind() == KIND_UNSET) continue;
    held.emplace_back(names[slot] ? names[slot] : "slot" + std::to_string(slot), cell);
  }
  std::sort(held.begin(), held.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  json_object* variables = json_object_new_object();
  for (const auto& [name, cell] : held)
    json_object_object_add_ex(variables, name.c_str(), ValueJson(cell), JSON_C_OBJECT_ADD_KEY_IS_NEW);
  return variables;
}

json_object* InstanceJson(const CInstance* instance) {
  json_object* item = json_object_new_object();
  const char* objectName = instance->object && instance->object->name ? instance->object->name : "";
  json_object_object_add(item, "object", json_object_new_string(objectName));
  json_object_object_add(item, "id", json_object_new_int64(instance->id));
  json_object_object_add(item, "depth", NumberJson(instance->depth));
  json_object_object_add(item, "x", NumberJson(instance->x));
  json_object_object_add(item, "y", NumberJson(instance->y));
  json_object_object_add(item, "image_angle", NumberJson(instance->imageAngle));
  json_object_object_add(item, "sprite_index", json_object_new_int64(instance->spriteIndex));
  json_object_object_add(item, "mask_index", json_object_new_int64(instance->maskIndex));
  json_object_object_add(item, "variables", VariablesJson(instance));
  return item;
}

// Every instance still in the room: destroyed ones wait in the list until the
// end of the event pass, and deactivated ones are out of play; both are left out.
json_object* InstancesJson() {
  json_object* instances = json_object_new_array();
  for (const CInstance* instance = Room_Instances().list.first; instance; instance = instance->next)
    if (instance->Active()) json_object_array_add(instances, InstanceJson(instance));
  return instances;
}

json_object* ListsJson() {
  json_object* lists = json_object_new_object();
  for (int handle = 0; handle < DsHandles_Lists().Used(); ++handle) {
    const CDS_List* list = DsList_Get(handle);
    if (!list) continue;
    json_object* items = json_object_new_array();
    for (int i = 0; i < list->count; ++i) json_object_array_add(items, ValueJson(&list->elements[i]));
    json_object_object_add(lists, std::to_string(handle).c_str(), items);
  }
  return lists;
}

json_object* MapsJson() {
  std::lock_guard<std::mutex> lock(DsMutex());
  json_object* maps = json_object_new_object();
  for (int handle = 0; handle < DsHandles_Maps().Used(); ++handle) {
    const CDS_Map* map = DsMap_Get(handle);
    if (!map) continue;
    json_object* entries = json_object_new_object();
    // Two keys can share a text (1 and "1"): both entries are written.
    for (const DsMapNode* node = map->First(); node; node = map->Next(node))
      json_object_object_add_ex(entries, KeyText(&node->key).c_str(), ValueJson(&node->value),
                                JSON_C_OBJECT_ADD_KEY_IS_NEW);
    json_object_object_add(maps, std::to_string(handle).c_str(), entries);
  }
  return maps;
}

// The clipboard's text, or null when the program never put one there.
json_object* ClipboardJson() {
  std::string text;
  return Platform_ClipboardTextIfSet(&text) ? json_object_new_string_len(text.data(), static_cast<int>(text.size()))
                                            : nullptr;
}

// The cursor the frame showed, by the name of its shape.
const char* CursorName(CursorShape shape) {
  switch (shape) {
    case CURSOR_NONE: return "none";
    case CURSOR_ARROW: return "arrow";
    case CURSOR_CROSS: return "cross";
    case CURSOR_IBEAM: return "ibeam";
    case CURSOR_SIZE_NESW: return "size_nesw";
    case CURSOR_SIZE_NS: return "size_ns";
    case CURSOR_SIZE_NWSE: return "size_nwse";
    case CURSOR_SIZE_WE: return "size_we";
    case CURSOR_UP_ARROW: return "up_arrow";
    case CURSOR_WAIT: return "wait";
    case CURSOR_HAND: return "hand";
    case CURSOR_NO: return "no";
    case CURSOR_WAIT_ARROW: return "wait_arrow";
    case CURSOR_SIZE_ALL: return "size_all";
    case CURSOR_KEEP: break;
  }
  return "unknown";
}

// The sound: which device plays, how many plays were made, every active
// voice, and the level of the frame's mixed samples on the loopback device.
json_object* AudioJson() {
  json_object* audio = json_object_new_object();
  const RunnerAudioLevel level = RunnerAudio_LastLevel();
  const char* device = "device";
  if (Audio_IsDisabled())
    device = "disabled";
  else if (!Audio_HasDevice())
    device = "none";
  else if (Audio_IsLoopback())
    device = "loopback";
  json_object_object_add(audio, "device", json_object_new_string(device));
  json_object_object_add(audio, "plays", json_object_new_int64(Audio_PlayCount()));
  json_object* voices = json_object_new_array();
  for (const AudioVoiceInfo& voice : Audio_ActiveVoices()) {
    json_object* item = json_object_new_object();
    const char* name = Sound_Name(voice.sound);
    json_object_object_add(item, "handle", json_object_new_int64(voice.handle));
    json_object_object_add(item, "sound", json_object_new_int64(voice.sound));
    json_object_object_add(item, "name", json_object_new_string(name ? name : ""));
    json_object_object_add(item, "state", json_object_new_string(voice.paused ? "paused" : "playing"));
    json_object_object_add(item, "gain", NumberJson(voice.gain));
    json_object_object_add(item, "position", NumberJson(voice.position));
    json_object_array_add(voices, item);
  }
  json_object_object_add(audio, "voices", voices);
  if (level.loopback) {
    json_object_object_add(audio, "samples", json_object_new_int64(level.samples));
    json_object_object_add(audio, "level", NumberJson(level.rms));
    json_object_object_add(audio, "peak", NumberJson(level.peak));
  }
  return audio;
}

}  // namespace

std::string StateDump_Json(int64_t frame) {
  json_object* root = json_object_new_object();
  json_object_object_add(root, "frame", json_object_new_int64(frame));
  json_object_object_add(root, "clipboard", ClipboardJson());
  json_object_object_add(root, "cursor", json_object_new_string(CursorName(Graphics_CursorShown())));
  json_object_object_add(root, "instances", InstancesJson());
  json_object_object_add(root, "lists", ListsJson());
  json_object_object_add(root, "maps", MapsJson());
  json_object_object_add(root, "audio", AudioJson());
  long drawn = 0, reused = 0;
  RunnerGraphics_FrameCounts(&drawn, &reused);
  json_object* frames = json_object_new_object();
  json_object_object_add(frames, "drawn", json_object_new_int64(drawn));
  json_object_object_add(frames, "reused", json_object_new_int64(reused));
  json_object_object_add(root, "frames", frames);
  std::string text = json_object_to_json_string_ext(root, JSON_C_TO_STRING_PRETTY | JSON_C_TO_STRING_SPACED | JSON_C_TO_STRING_NOSLASHESCAPE);
  json_object_put(root);
  text += '\n';
  return text;
}

bool StateDump_Write(int64_t frame, const char* path) {
  std::string text = StateDump_Json(frame);
  std::FILE* file = std::fopen(path, "w");
  bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file && std::fclose(file) != 0) written = false;
  if (!written) DebugConsole().Output("The state dump %s could not be written\n", path);
  return written;
}

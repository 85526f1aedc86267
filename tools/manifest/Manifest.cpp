// SPDX-License-Identifier: Zlib
// Reads game.json with json-c into the Manifest record and derives the code
// indices: the scripts without "appended" in script order, then per object in
// object order its events in the order Create, Destroy, Step, Draw, then the
// room creation codes in room order and instance order, then the appended
// scripts in script order, then the objects' GameEnd, BeginStep and EndStep
// events in object order.
#include "Manifest.h"

#include <json-c/json.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace mob {

namespace {

const char* const kEventNames[MANIFEST_EVENT_COUNT] = {"Create",  "Destroy",   "Step",   "Draw",
                                                       "GameEnd", "BeginStep", "EndStep"};
const int kEventTypes[MANIFEST_EVENT_COUNT] = {0, 1, 3, 8, 7, 3, 3};
const int kEventSubtypes[MANIFEST_EVENT_COUNT] = {0, 0, 0, 0, 3, 1, 2};

// Collects the first error and the context it was found in.
struct Reader {
  std::string path;
  std::string error;

  bool Fail(const std::string& where, const std::string& what) {
    if (error.empty()) error = path + ": " + where + ": " + what;
    return false;
  }
};

json_object* Member(json_object* object, const char* key) {
  json_object* value = nullptr;
  if (!object || !json_object_object_get_ex(object, key, &value)) return nullptr;
  return value;
}

bool IsNull(json_object* value) { return value == nullptr || json_object_get_type(value) == json_type_null; }

// Typed field readers: a missing field keeps the default; a field of the wrong
// type is an error.
bool ReadString(Reader& r, json_object* object, const char* key, const std::string& where, std::string* out,
                bool required = false) {
  json_object* value = Member(object, key);
  if (IsNull(value)) return required ? r.Fail(where, std::string("missing string \"") + key + "\"") : true;
  if (json_object_get_type(value) != json_type_string)
    return r.Fail(where, std::string("\"") + key + "\" must be a string");
  *out = json_object_get_string(value);
  return true;
}

bool ReadNumber(Reader& r, json_object* object, const char* key, const std::string& where, double* out) {
  json_object* value = Member(object, key);
  if (IsNull(value)) return true;
  json_type type = json_object_get_type(value);
  if (type != json_type_int && type != json_type_double)
    return r.Fail(where, std::string("\"") + key + "\" must be a number");
  *out = json_object_get_double(value);
  return true;
}

bool ReadInt(Reader& r, json_object* object, const char* key, const std::string& where, int* out) {
  json_object* value = Member(object, key);
  if (IsNull(value)) return true;
  if (json_object_get_type(value) != json_type_int)
    return r.Fail(where, std::string("\"") + key + "\" must be an integer");
  int64_t v = json_object_get_int64(value);
  if (v < INT32_MIN || v > INT32_MAX) return r.Fail(where, std::string("\"") + key + "\" is out of range");
  *out = static_cast<int>(v);
  return true;
}

bool ReadUint32(Reader& r, json_object* object, const char* key, const std::string& where, uint32_t* out) {
  json_object* value = Member(object, key);
  if (IsNull(value)) return true;
  if (json_object_get_type(value) != json_type_int)
    return r.Fail(where, std::string("\"") + key + "\" must be an integer");
  int64_t v = json_object_get_int64(value);
  if (v < 0 || v > 0xFFFFFFFFll) return r.Fail(where, std::string("\"") + key + "\" is out of range");
  *out = static_cast<uint32_t>(v);
  return true;
}

bool ReadBool(Reader& r, json_object* object, const char* key, const std::string& where, bool* out) {
  json_object* value = Member(object, key);
  if (IsNull(value)) return true;
  if (json_object_get_type(value) != json_type_boolean)
    return r.Fail(where, std::string("\"") + key + "\" must be true or false");
  *out = json_object_get_boolean(value);
  return true;
}

// An array of exactly `count` integers, e.g. "origin": [x, y].
bool ReadIntArray(Reader& r, json_object* object, const char* key, const std::string& where, int* out, size_t count) {
  json_object* value = Member(object, key);
  if (IsNull(value)) return true;
  if (json_object_get_type(value) != json_type_array || json_object_array_length(value) != count)
    return r.Fail(where, std::string("\"") + key + "\" must be an array of " + std::to_string(count) + " integers");
  for (size_t i = 0; i < count; ++i) {
    json_object* item = json_object_array_get_idx(value, i);
    if (json_object_get_type(item) != json_type_int)
      return r.Fail(where, std::string("\"") + key + "\" must be an array of integers");
    out[i] = json_object_get_int(item);
  }
  return true;
}

// The array member `key`, or null when missing; an error when not an array.
bool ArrayMember(Reader& r, json_object* root, const char* key, json_object** out) {
  json_object* value = Member(root, key);
  *out = nullptr;
  if (IsNull(value)) return true;
  if (json_object_get_type(value) != json_type_array) return r.Fail(key, "must be an array");
  *out = value;
  return true;
}

std::string Where(const char* list, size_t index, const std::string& name) {
  return std::string(list) + "[" + std::to_string(index) + "]" + (name.empty() ? "" : " \"" + name + "\"");
}

// A resource name becomes part of C++ identifiers and file names: letters,
// digits and '_' only, not starting with a digit.
bool ValidName(const std::string& name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

// Reads the "name" of an entry and checks it is a valid and new name.
bool ReadName(Reader& r, json_object* entry, const std::string& where, std::set<std::string>& names,
              std::string* out) {
  if (json_object_get_type(entry) != json_type_object) return r.Fail(where, "must be an object");
  if (!ReadString(r, entry, "name", where, out, true)) return false;
  if (!ValidName(*out)) return r.Fail(where, "name \"" + *out + "\" must be letters, digits and '_'");
  if (!names.insert(*out).second) return r.Fail(where, "name \"" + *out + "\" is used twice");
  return true;
}

template <typename T>
int FindByName(const std::vector<T>& list, const std::string& name) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].name == name) return static_cast<int>(i);
  return -1;
}

bool ReadGeneral(Reader& r, json_object* root, ManifestGeneral* g) {
  json_object* general = Member(root, "general");
  if (IsNull(general)) return r.Fail("general", "missing");
  if (json_object_get_type(general) != json_type_object) return r.Fail("general", "must be an object");
  const std::string where = "general";
  if (!ReadString(r, general, "name", where, &g->name, true) || !ReadString(r, general, "config", where, &g->config) ||
      !ReadString(r, general, "caption", where, &g->caption) ||
      !ReadInt(r, general, "window_width", where, &g->windowWidth) ||
      !ReadInt(r, general, "window_height", where, &g->windowHeight) ||
      !ReadInt(r, general, "game_speed", where, &g->gameSpeed) ||
      !ReadInt(r, general, "last_instance_id", where, &g->lastInstanceId))
    return false;
  json_object* options = Member(general, "options");
  if (!IsNull(options)) {
    if (json_object_get_type(options) != json_type_object) return r.Fail(where, "\"options\" must be an object");
    json_object_object_foreach(options, key, value) {
      if (json_object_get_type(value) != json_type_string)
        return r.Fail(where, std::string("option \"") + key + "\" must be a string");
      g->options.push_back({key, json_object_get_string(value)});
    }
  }
  json_object* groups = Member(general, "audio_groups");
  if (!IsNull(groups)) {
    if (json_object_get_type(groups) != json_type_array) return r.Fail(where, "\"audio_groups\" must be an array");
    for (size_t i = 0; i < json_object_array_length(groups); ++i) {
      json_object* item = json_object_array_get_idx(groups, i);
      if (json_object_get_type(item) != json_type_string)
        return r.Fail(where, "\"audio_groups\" must hold strings");
      g->audioGroups.push_back(json_object_get_string(item));
    }
  }
  if (g->audioGroups.empty()) g->audioGroups.push_back("audiogroup_default");
  return true;
}

bool ReadScripts(Reader& r, json_object* root, std::set<std::string>& names, Manifest* m) {
  json_object* list = nullptr;
  if (!ArrayMember(r, root, "scripts", &list)) return false;
  for (size_t i = 0; list && i < json_object_array_length(list); ++i) {
    json_object* e = json_object_array_get_idx(list, i);
    ManifestScript s;
    std::string where = Where("scripts", i, "");
    if (!ReadName(r, e, where, names, &s.name)) return false;
    s.file = "scripts/" + s.name + ".ksl";
    if (!ReadString(r, e, "file", where, &s.file) || !ReadBool(r, e, "appended", where, &s.appended) ||
        !ReadString(r, e, "generated", where, &s.generated))
      return false;
    if (!s.generated.empty()) {
      if (s.generated != "shape_names") return r.Fail(where, "\"generated\" can only be \"shape_names\"");
      if (!IsNull(Member(e, "file"))) return r.Fail(where, "a generated script has no \"file\"");
      // Names the source in messages and generated comments; never opened.
      const size_t slash = r.path.find_last_of('/');
      s.file = (slash == std::string::npos ? r.path : r.path.substr(slash + 1)) + "#" + s.generated;
    }
    m->scripts.push_back(s);
  }
  return true;
}

bool ReadSprites(Reader& r, json_object* root, std::set<std::string>& names, Manifest* m) {
  json_object* list = nullptr;
  if (!ArrayMember(r, root, "sprites", &list)) return false;
  for (size_t i = 0; list && i < json_object_array_length(list); ++i) {
    json_object* e = json_object_array_get_idx(list, i);
    ManifestSprite s;
    std::string where = Where("sprites", i, "");
    if (!ReadName(r, e, where, names, &s.name)) return false;
    where = Where("sprites", i, s.name);
    int origin[2] = {0, 0};
    int bbox[4] = {0, 0, 0, 0};
    s.art = "art/" + s.name;
    if (!ReadInt(r, e, "width", where, &s.width) || !ReadInt(r, e, "height", where, &s.height) ||
        !ReadIntArray(r, e, "origin", where, origin, 2) || !ReadIntArray(r, e, "bbox", where, bbox, 4) ||
        !ReadInt(r, e, "bbox_mode", where, &s.bboxMode) ||
        !ReadBool(r, e, "separate_masks", where, &s.separateMasks) || !ReadInt(r, e, "frames", where, &s.frames) ||
        !ReadNumber(r, e, "speed", where, &s.speed) || !ReadString(r, e, "art", where, &s.art))
      return false;
    if (s.width <= 0 || s.height <= 0) return r.Fail(where, "width and height must be positive");
    if (s.frames < 1) return r.Fail(where, "frames must be at least 1");
    s.originX = origin[0];
    s.originY = origin[1];
    s.bboxLeft = bbox[0];
    s.bboxTop = bbox[1];
    s.bboxRight = bbox[2];
    s.bboxBottom = bbox[3];
    m->sprites.push_back(s);
  }
  return true;
}

bool ReadSounds(Reader& r, json_object* root, std::set<std::string>& names, Manifest* m) {
  json_object* list = nullptr;
  if (!ArrayMember(r, root, "sounds", &list)) return false;
  for (size_t i = 0; list && i < json_object_array_length(list); ++i) {
    json_object* e = json_object_array_get_idx(list, i);
    ManifestSound s;
    std::string where = Where("sounds", i, "");
    if (!ReadName(r, e, where, names, &s.name)) return false;
    where = Where("sounds", i, s.name);
    s.file = s.name + ".ogg";
    if (!ReadString(r, e, "file", where, &s.file) || !ReadString(r, e, "source", where, &s.source) ||
        !ReadInt(r, e, "group", where, &s.group) || !ReadNumber(r, e, "volume", where, &s.volume) ||
        !ReadNumber(r, e, "pitch", where, &s.pitch) || !ReadInt(r, e, "flags", where, &s.flags))
      return false;
    m->sounds.push_back(s);
  }
  return true;
}

bool ReadFonts(Reader& r, json_object* root, std::set<std::string>& names, Manifest* m) {
  json_object* list = nullptr;
  if (!ArrayMember(r, root, "fonts", &list)) return false;
  for (size_t i = 0; list && i < json_object_array_length(list); ++i) {
    json_object* e = json_object_array_get_idx(list, i);
    ManifestFont f;
    std::string where = Where("fonts", i, "");
    if (!ReadName(r, e, where, names, &f.name)) return false;
    where = Where("fonts", i, f.name);
    if (!ReadString(r, e, "face", where, &f.face) || !ReadInt(r, e, "size", where, &f.size) ||
        !ReadBool(r, e, "bold", where, &f.bold) || !ReadBool(r, e, "italic", where, &f.italic) ||
        !ReadInt(r, e, "first", where, &f.first) || !ReadInt(r, e, "last", where, &f.last) ||
        !ReadString(r, e, "image", where, &f.image) || !ReadString(r, e, "glyphs", where, &f.glyphs))
      return false;
    if (f.first > f.last) return r.Fail(where, "first must not exceed last");
    m->fonts.push_back(f);
  }
  return true;
}

// A name field that refers to a sprite or object: null means none (-1).
bool ReadReference(Reader& r, json_object* e, const char* key, const std::string& where, int* out,
                   const std::vector<std::string>& candidates) {
  std::string name;
  if (!ReadString(r, e, key, where, &name)) return false;
  if (name.empty()) return true;
  for (size_t i = 0; i < candidates.size(); ++i)
    if (candidates[i] == name) {
      *out = static_cast<int>(i);
      return true;
    }
  return r.Fail(where, std::string("\"") + key + "\" names \"" + name + "\", which does not exist");
}

bool ReadObjects(Reader& r, json_object* root, std::set<std::string>& names, Manifest* m) {
  json_object* list = nullptr;
  if (!ArrayMember(r, root, "objects", &list)) return false;
  std::vector<std::string> spriteNames, objectNames;
  for (const auto& s : m->sprites) spriteNames.push_back(s.name);
  // Parents may come later in the list, so collect every object name first.
  for (size_t i = 0; list && i < json_object_array_length(list); ++i) {
    json_object* name = Member(json_object_array_get_idx(list, i), "name");
    objectNames.push_back(name && json_object_get_type(name) == json_type_string ? json_object_get_string(name) : "");
  }
  for (size_t i = 0; list && i < json_object_array_length(list); ++i) {
    json_object* e = json_object_array_get_idx(list, i);
    ManifestObject o;
    std::string where = Where("objects", i, "");
    if (!ReadName(r, e, where, names, &o.name)) return false;
    where = Where("objects", i, o.name);
    int parent = -1;
    if (!ReadReference(r, e, "sprite", where, &o.spriteIndex, spriteNames) ||
        !ReadReference(r, e, "mask", where, &o.maskIndex, spriteNames) ||
        !ReadReference(r, e, "parent", where, &parent, objectNames) || !ReadBool(r, e, "visible", where, &o.visible) ||
        !ReadBool(r, e, "solid", where, &o.solid) || !ReadBool(r, e, "persistent", where, &o.persistent) ||
        !ReadInt(r, e, "depth", where, &o.depth))
      return false;
    if (parent == static_cast<int>(i)) return r.Fail(where, "an object cannot be its own parent");
    o.parentIndex = parent >= 0 ? parent : -100;
    json_object* events = Member(e, "events");
    bool present[MANIFEST_EVENT_COUNT] = {};
    if (!IsNull(events)) {
      if (json_object_get_type(events) != json_type_array) return r.Fail(where, "\"events\" must be an array");
      for (size_t k = 0; k < json_object_array_length(events); ++k) {
        json_object* item = json_object_array_get_idx(events, k);
        if (json_object_get_type(item) != json_type_string) return r.Fail(where, "\"events\" must hold names");
        std::string name = json_object_get_string(item);
        int found = -1;
        for (int t = 0; t < MANIFEST_EVENT_COUNT; ++t)
          if (name == kEventNames[t]) found = t;
        if (found < 0)
          return r.Fail(where, "unknown event \"" + name +
                                 "\" (expected Create, Destroy, Step, Draw, GameEnd, BeginStep or EndStep)");
        if (present[found]) return r.Fail(where, "event \"" + name + "\" is listed twice");
        present[found] = true;
      }
    }
    for (int t = 0; t < MANIFEST_EVENT_COUNT; ++t)
      if (present[t])
        o.events.push_back({static_cast<ManifestEvent>(t), "objects/" + o.name + "/" + kEventNames[t] + ".ksl", -1});
    m->objects.push_back(o);
  }
  // A parent chain must end: walk each chain at most object-count steps.
  for (size_t i = 0; i < m->objects.size(); ++i) {
    int at = static_cast<int>(i);
    for (size_t steps = 0; at >= 0; ++steps) {
      if (steps > m->objects.size()) return r.Fail(Where("objects", i, m->objects[i].name), "parent chain loops");
      at = m->objects[at].parentIndex;
    }
  }
  return true;
}

bool ReadRooms(Reader& r, json_object* root, std::set<std::string>& names, Manifest* m) {
  json_object* list = nullptr;
  if (!ArrayMember(r, root, "rooms", &list)) return false;
  std::vector<std::string> objectNames;
  for (const auto& o : m->objects) objectNames.push_back(o.name);
  for (size_t i = 0; list && i < json_object_array_length(list); ++i) {
    json_object* e = json_object_array_get_idx(list, i);
    ManifestRoom room;
    std::string where = Where("rooms", i, "");
    if (!ReadName(r, e, where, names, &room.name)) return false;
    where = Where("rooms", i, room.name);
    if (!ReadInt(r, e, "width", where, &room.width) || !ReadInt(r, e, "height", where, &room.height) ||
        !ReadInt(r, e, "speed", where, &room.speed) || !ReadBool(r, e, "persistent", where, &room.persistent) ||
        !ReadUint32(r, e, "colour", where, &room.colour))
      return false;
    json_object* instances = Member(e, "instances");
    if (!IsNull(instances) && json_object_get_type(instances) != json_type_array)
      return r.Fail(where, "\"instances\" must be an array");
    int ccCount = 0;
    for (size_t k = 0; !IsNull(instances) && k < json_object_array_length(instances); ++k) {
      json_object* ie = json_object_array_get_idx(instances, k);
      std::string iwhere = where + " instances[" + std::to_string(k) + "]";
      if (json_object_get_type(ie) != json_type_object) return r.Fail(iwhere, "must be an object");
      ManifestInstance inst;
      bool creationCode = false;
      if (!ReadInt(r, ie, "id", iwhere, &inst.id) ||
          !ReadReference(r, ie, "object", iwhere, &inst.objectIndex, objectNames) ||
          !ReadNumber(r, ie, "x", iwhere, &inst.x) || !ReadNumber(r, ie, "y", iwhere, &inst.y) ||
          !ReadNumber(r, ie, "xscale", iwhere, &inst.xscale) || !ReadNumber(r, ie, "yscale", iwhere, &inst.yscale) ||
          !ReadUint32(r, ie, "colour", iwhere, &inst.colour) ||
          !ReadNumber(r, ie, "rotation", iwhere, &inst.rotation) ||
          !ReadBool(r, ie, "creation_code", iwhere, &creationCode))
        return false;
      if (inst.objectIndex < 0) return r.Fail(iwhere, "missing \"object\"");
      if (inst.id < 100000) return r.Fail(iwhere, "instance ids start at 100000");
      if (creationCode) inst.creationCodeNumber = ccCount++;
      room.instances.push_back(inst);
    }
    m->rooms.push_back(room);
  }
  std::set<int> ids;
  for (const auto& room : m->rooms)
    for (const auto& inst : room.instances)
      if (!ids.insert(inst.id).second) return r.Fail("rooms", "instance id " + std::to_string(inst.id) + " is used twice");
  return true;
}

// Functions the host registers itself: names share the one name space, so a
// call can never mean both a script and a host function.
bool ReadHostFunctions(Reader& r, json_object* root, std::set<std::string>& names, Manifest* m) {
  json_object* list = nullptr;
  if (!ArrayMember(r, root, "host_functions", &list)) return false;
  for (size_t i = 0; list && i < json_object_array_length(list); ++i) {
    json_object* e = json_object_array_get_idx(list, i);
    ManifestHostFunction f;
    std::string where = Where("host_functions", i, "");
    if (!ReadName(r, e, where, names, &f.name) || !ReadInt(r, e, "arguments", where, &f.arguments)) return false;
    if (f.arguments < -1) return r.Fail(where, "\"arguments\" must be -1 (any number) or more");
    m->hostFunctions.push_back(f);
  }
  return true;
}

// A shape's plain name is shown to users and written into generated code as
// a string: lower-case letters, one space between words, 1 to 12 characters,
// so that "tentacle 12" still fits an object-list row.
constexpr size_t kShapeNameMax = 12;

bool PlainName(const std::string& name) {
  if (name.empty() || name.size() > kShapeNameMax || name.front() == ' ' || name.back() == ' ') return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == ' ' ? name[i - 1] == ' ' : !(c >= 'a' && c <= 'z')) return false;
  }
  return true;
}

// "shape_names": {"spr_shape_1": "tentacle", ...}; each key must have both
// its sprites, and no two shapes share a name.
bool ReadShapeNames(Reader& r, json_object* root, Manifest* m) {
  json_object* table = Member(root, "shape_names");
  if (IsNull(table)) return true;
  if (json_object_get_type(table) != json_type_object) return r.Fail("shape_names", "must be an object");
  std::set<std::string> seen;
  json_object_object_foreach(table, key, value) {
    const std::string where = std::string("shape_names \"") + key + "\"";
    if (json_object_get_type(value) != json_type_string) return r.Fail(where, "must be a string");
    ManifestShapeName n{key, json_object_get_string(value), m->FindSprite(std::string(key) + "_back"),
                        m->FindSprite(std::string(key) + "_outline")};
    if (n.backIndex < 0 || n.outlineIndex < 0)
      return r.Fail(where, "needs the sprites " + n.shape + "_back and " + n.shape + "_outline");
    if (!PlainName(n.name))
      return r.Fail(where, "\"" + n.name + "\" must be 1 to " + std::to_string(kShapeNameMax) +
                               " lower-case letters, words parted by one space");
    if (!seen.insert(n.name).second) return r.Fail(where, "\"" + n.name + "\" names two shapes");
    m->shapeNames.push_back(n);
  }
  return true;
}

// Numbers every compiled function; see the top of this file for the order.
// What a game gained later (appended scripts, GameEnd, BeginStep and EndStep
// events) is numbered
// after all the rest, so the code indices that existed before stay as they were.
void BuildCodeTable(Manifest* m) {
  m->code.clear();
  auto addScripts = [m](bool appended) {
    for (size_t i = 0; i < m->scripts.size(); ++i) {
      if (m->scripts[i].appended != appended) continue;
      m->scripts[i].codeIndex = static_cast<int>(m->code.size());
      m->code.push_back({ManifestCodeKind::Script, "ksl_Script_" + m->scripts[i].name, m->scripts[i].file,
                         static_cast<int>(i), ManifestEvent::Create, -1});
    }
  };
  auto addEvents = [m](bool appended) {
    for (size_t i = 0; i < m->objects.size(); ++i) {
      ManifestObject& o = m->objects[i];
      for (auto& e : o.events) {
        if (ManifestEvent_IsAppended(e.event) != appended) continue;
        e.codeIndex = static_cast<int>(m->code.size());
        m->code.push_back({ManifestCodeKind::Event,
                           "ksl_Object_" + o.name + "_" + ManifestEvent_Name(e.event) + "_0", e.file,
                           static_cast<int>(i), e.event, -1});
      }
    }
  };
  addScripts(false);
  addEvents(false);
  for (size_t r = 0; r < m->rooms.size(); ++r) {
    ManifestRoom& room = m->rooms[r];
    for (size_t k = 0; k < room.instances.size(); ++k) {
      ManifestInstance& inst = room.instances[k];
      if (inst.creationCodeNumber < 0) continue;
      inst.creationCodeIndex = static_cast<int>(m->code.size());
      std::string n = std::to_string(inst.creationCodeNumber);
      m->code.push_back({ManifestCodeKind::RoomCreation, "ksl_RoomCC_" + room.name + "_" + n + "_Create",
                         "rooms/" + room.name + "/cc_" + n + ".ksl", static_cast<int>(r), ManifestEvent::Create,
                         static_cast<int>(k)});
    }
  }
  addScripts(true);
  addEvents(true);
}

}  // namespace

bool ManifestEvent_IsAppended(ManifestEvent event) { return event >= ManifestEvent::GameEnd; }
const char* ManifestEvent_Name(ManifestEvent event) { return kEventNames[static_cast<int>(event)]; }
int ManifestEvent_Type(ManifestEvent event) { return kEventTypes[static_cast<int>(event)]; }
int ManifestEvent_Subtype(ManifestEvent event) { return kEventSubtypes[static_cast<int>(event)]; }

int Manifest::FindSprite(const std::string& name) const { return FindByName(sprites, name); }
int Manifest::FindSound(const std::string& name) const { return FindByName(sounds, name); }
int Manifest::FindFont(const std::string& name) const { return FindByName(fonts, name); }
int Manifest::FindObject(const std::string& name) const { return FindByName(objects, name); }
int Manifest::FindRoom(const std::string& name) const { return FindByName(rooms, name); }
int Manifest::FindScript(const std::string& name) const { return FindByName(scripts, name); }
int Manifest::FindHostFunction(const std::string& name) const { return FindByName(hostFunctions, name); }

ManifestResourceKind Manifest::FindResource(const std::string& name, int* index) const {
  struct Probe {
    ManifestResourceKind kind;
    int index;
  };
  const Probe probes[] = {
      {ManifestResourceKind::Object, FindObject(name)}, {ManifestResourceKind::Sprite, FindSprite(name)},
      {ManifestResourceKind::Sound, FindSound(name)},   {ManifestResourceKind::Font, FindFont(name)},
      {ManifestResourceKind::Room, FindRoom(name)},     {ManifestResourceKind::Script, FindScript(name)},
  };
  for (const Probe& p : probes)
    if (p.index >= 0) {
      *index = p.index;
      return p.kind;
    }
  *index = -1;
  return ManifestResourceKind::None;
}

std::string Manifest::Resolve(const std::string& relative) const {
  if (!relative.empty() && relative[0] == '/') return relative;
  return baseDir + relative;
}

bool Manifest_Parse(const std::string& text, const std::string& path, Manifest* manifest, std::string* error) {
  *manifest = Manifest();
  manifest->path = path;
  size_t slash = path.find_last_of('/');
  manifest->baseDir = slash == std::string::npos ? "" : path.substr(0, slash + 1);

  Reader r{path, ""};
  json_tokener* tokener = json_tokener_new();
  json_object* root = json_tokener_parse_ex(tokener, text.c_str(), static_cast<int>(text.size()));
  json_tokener_error jerr = json_tokener_get_error(tokener);
  if (!root || jerr != json_tokener_success) {
    std::string message = jerr == json_tokener_continue ? "unexpected end of the JSON text" : json_tokener_error_desc(jerr);
    *error = path + ": not valid JSON: " + message;
    json_tokener_free(tokener);
    if (root) json_object_put(root);
    return false;
  }
  json_tokener_free(tokener);
  bool ok = json_object_get_type(root) == json_type_object ? true : r.Fail("top level", "must be an object");
  // One name space for all resources: a name in event code must mean one thing.
  std::set<std::string> names;
  ok = ok && ReadGeneral(r, root, &manifest->general) && ReadScripts(r, root, names, manifest) &&
       ReadSprites(r, root, names, manifest) && ReadSounds(r, root, names, manifest) &&
       ReadFonts(r, root, names, manifest) && ReadObjects(r, root, names, manifest) &&
       ReadRooms(r, root, names, manifest) && ReadHostFunctions(r, root, names, manifest) &&
       ReadShapeNames(r, root, manifest);
  json_object_put(root);
  if (!ok) {
    *error = r.error;
    return false;
  }
  BuildCodeTable(manifest);
  return true;
}

bool Manifest_Load(const std::string& path, Manifest* manifest, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot open the manifest";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return Manifest_Parse(text.str(), path, manifest, error);
}

}  // namespace mob

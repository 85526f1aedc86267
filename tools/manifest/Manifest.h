// SPDX-License-Identifier: Zlib
// The game manifest (game.json) as the build tools see it: general settings,
// sprites, sounds, fonts, objects with their events, rooms with their placed
// instances, scripts, and the code-index table derived from them.
//
// kslc and pack both read the manifest through this library, so the function
// table that kslc generates and the event tables that pack writes always agree
// on code indices. The file format is described in FORMAT.md beside this file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mob {

// The events an object can carry, in the order an object lists them. Create,
// Destroy, Step and Draw get their code indices with the object; GameEnd,
// BeginStep and EndStep came later and are numbered after everything else, so
// that adding one to an object moves no code index that existed before (see
// BuildCodeTable).
enum class ManifestEvent { Create = 0, Destroy = 1, Step = 2, Draw = 3, GameEnd = 4, BeginStep = 5, EndStep = 6 };
constexpr int MANIFEST_EVENT_COUNT = 7;

// True for the events numbered after everything else.
bool ManifestEvent_IsAppended(ManifestEvent event);

// "Create", "Destroy", "Step", "Draw", "GameEnd", "BeginStep", "EndStep".
const char* ManifestEvent_Name(ManifestEvent event);
// The runtime's event type number: 0, 1, 3, 8, 7 (the "other" events) for
// GameEnd, and 3 (the step events) for BeginStep and EndStep.
int ManifestEvent_Type(ManifestEvent event);
// The event's subtype within its type: 0, except 3 (game end) for GameEnd,
// 1 for BeginStep and 2 for EndStep.
int ManifestEvent_Subtype(ManifestEvent event);

struct ManifestOption {
  std::string name;
  std::string value;
};

struct ManifestGeneral {
  std::string name;
  std::string config = "default";
  std::string caption;
  int windowWidth = 1024;
  int windowHeight = 768;
  int gameSpeed = 60;
  int lastInstanceId = 100000;
  std::vector<ManifestOption> options;  // in file order
  std::vector<std::string> audioGroups;
};

struct ManifestScript {
  std::string name;
  std::string file;  // relative to the manifest folder
  // "appended": true: the script keeps its place in the script list (its
  // script index) but its code comes after the rooms' creation codes, so a
  // script added to a game whose code indices are fixed moves none of them.
  bool appended = false;
  // "generated": "shape_names": kslc writes the script's source itself from
  // the manifest's table of that name (the script has no file).
  std::string generated;
  int codeIndex = -1;
};

struct ManifestSprite {
  std::string name;
  int width = 0, height = 0;
  int originX = 0, originY = 0;
  int bboxLeft = 0, bboxTop = 0, bboxRight = 0, bboxBottom = 0;
  int bboxMode = 0;
  bool separateMasks = false;
  int frames = 1;
  double speed = 15;
  std::string art;  // folder of the frames <art>/<frame>.png, relative
};

struct ManifestSound {
  std::string name;
  std::string file;    // the file name the runtime opens
  std::string source;  // where the build finds it, relative
  int group = 0;
  double volume = 1.0;
  double pitch = 0.0;
  int flags = 100;
};

struct ManifestFont {
  std::string name;
  std::string face;
  int size = 10;
  bool bold = false, italic = false;
  int first = 32, last = 126;
  std::string image;   // relative
  std::string glyphs;  // relative
};

struct ManifestObjectEvent {
  ManifestEvent event;
  std::string file;  // objects/<object>/<Event>.ksl
  int codeIndex = -1;
};

struct ManifestObject {
  std::string name;
  int spriteIndex = -1;  // -1: none
  int maskIndex = -1;    // -1: the sprite
  bool visible = true, solid = false, persistent = false;
  int depth = 0;
  int parentIndex = -100;  // negative: none (the game data stores -100)
  std::vector<ManifestObjectEvent> events;  // sorted Create, Destroy, Step, Draw, GameEnd, BeginStep, EndStep
};

struct ManifestInstance {
  int id = 0;
  int objectIndex = -1;
  double x = 0, y = 0;
  double xscale = 1, yscale = 1;
  uint32_t colour = 0xFFFFFFFFu;
  double rotation = 0;
  int creationCodeIndex = -1;  // code index of the creation code, -1: none
  int creationCodeNumber = -1; // n of rooms/<room>/cc_<n>.ksl, -1: none
};

struct ManifestRoom {
  std::string name;
  int width = 1024, height = 768, speed = 60;
  bool persistent = false;
  uint32_t colour = 0;
  std::vector<ManifestInstance> instances;  // in stored order
};

// One entry of "shape_names": the plain name of a shape whose fill and
// outline sprites are <shape>_back and <shape>_outline. The art generator
// draws each shape by this name and the editor shows it in its list rows.
struct ManifestShapeName {
  std::string shape;  // "spr_shape_9"
  std::string name;   // "horn"
  int backIndex = -1, outlineIndex = -1;
};

// One compiled function: its place in the function table is its code index.
enum class ManifestCodeKind { Script, Event, RoomCreation };
struct ManifestCode {
  ManifestCodeKind kind;
  std::string functionName;  // ksl_Script_<n>, ksl_Object_<o>_<E>_0, ksl_RoomCC_<r>_<n>_Create
  std::string file;          // source, relative to the manifest folder
  int owner = -1;            // script index, object index or room index
  ManifestEvent event = ManifestEvent::Create;  // events only
  int instance = -1;         // room creation codes: position in the room's instances
};

// A built-in function that the host program registers besides the runtime's
// own (a test harness, a tool); kslc accepts calls of it like any built-in.
struct ManifestHostFunction {
  std::string name;
  int arguments = -1;  // -1: any number
};

// Which resource list a name was found in.
enum class ManifestResourceKind { None, Sprite, Sound, Font, Object, Room, Script };

struct Manifest {
  std::string path;     // the manifest file as given
  std::string baseDir;  // its folder, with a trailing '/' (or empty)
  ManifestGeneral general;
  std::vector<ManifestScript> scripts;
  std::vector<ManifestSprite> sprites;
  std::vector<ManifestSound> sounds;
  std::vector<ManifestFont> fonts;
  std::vector<ManifestObject> objects;
  std::vector<ManifestRoom> rooms;
  std::vector<ManifestHostFunction> hostFunctions;
  std::vector<ManifestShapeName> shapeNames;  // in file order
  std::vector<ManifestCode> code;  // by code index

  // Index of a resource by exact name, or -1.
  int FindSprite(const std::string& name) const;
  int FindSound(const std::string& name) const;
  int FindFont(const std::string& name) const;
  int FindObject(const std::string& name) const;
  int FindRoom(const std::string& name) const;
  int FindScript(const std::string& name) const;
  int FindHostFunction(const std::string& name) const;
  // Looks a name up in every resource list (objects first, then sprites,
  // sounds, fonts, rooms, scripts); sets *index and returns the list.
  ManifestResourceKind FindResource(const std::string& name, int* index) const;
  // The path of a file named relative to the manifest.
  std::string Resolve(const std::string& relative) const;
};

// Reads and checks a manifest. On failure returns false and sets *error to a
// message naming the manifest and the offending entry.
bool Manifest_Load(const std::string& path, Manifest* manifest, std::string* error);
// The same from JSON text (path only names the source in messages and gives
// the base folder).
bool Manifest_Parse(const std::string& text, const std::string& path, Manifest* manifest, std::string* error);

}  // namespace mob

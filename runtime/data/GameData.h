// SPDX-License-Identifier: Zlib
// The game data: the records that the chunk loop reads from the chunked game
// data file (header, options, sounds, audio groups, sprites with their masks,
// texture-page items and decoded pages, fonts with glyphs, rooms with their
// instances and layers, scripts, embedded images and audio).
//
// The file stays in memory for the life of the process and the records point
// into it: names are the file's own NUL-terminated texts, masks are the file's
// bit rows. Objects do not live here: the OBJT reader files them straight into
// the object table of the core (Object_Add). The graphics, room and sound
// subsystems build their own structures from these records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ---- GEN8: the game header ----
struct GameHeader {
  uint8_t flagByte = 0;
  uint8_t formatVersion = 0;  // the loaders test 5, 6, 8, 9, 11 to 15
  const char* fileName = nullptr;
  const char* configName = nullptr;
  uint32_t lastInstanceId = 100000;  // the instance-id counter starts here
  uint32_t counter = 0;
  uint32_t identifier = 0;
  uint8_t identifierBytes[16] = {};
  const char* gameName = nullptr;  // names the save folder
  uint32_t versionMajor = 1, versionMinor = 0, versionRelease = 0, versionBuild = 0;
  uint32_t windowWidth = 0, windowHeight = 0;
  uint32_t infoFlags = 0;
  uint32_t extra[2] = {};  // the two u32 values kept with the header
  uint32_t timestamp = 0;
  const char* displayName = nullptr;  // the window caption; see Caption()
  uint64_t value11 = 0;               // format version 11 and later
  uint64_t value12 = 0;               // format version 12 and later
  uint32_t value13 = 0;               // format version 13 and later
  uint32_t value14 = 0;               // format version 14 and later
  std::vector<int32_t> roomOrder;
  uint32_t derivedBlock[10] = {};  // format version 14 and later; kept, not interpreted
  float gameSpeed = 0.0f;          // frames per second; 0 when the header holds none
  uint32_t trailingValue = 0;
  uint8_t trailingIdentifier[16] = {};

  // Info-flag bits the runner reads.
  static constexpr uint32_t INFO_ROAMING_SAVES = 0x2000;
  static constexpr uint32_t INFO_OBJECT_REFERENCES = 1u << 15;

  // The window caption: the display name, or the default text when absent.
  const char* Caption() const;
  // Version-2 forms (layers, sprite playback speed) are in use.
  bool VersionTwoForms() const { return versionMajor >= 2; }
};

// ---- OPTN: options ----
struct GameOptions {
  bool present = false;
  bool markerForm = false;  // false: the older fixed layout
  uint64_t flags = 0;       // one bit per runner option
  uint32_t values[11] = {};  // words 4 to 14 of the marker form
  struct Constant {
    const char* name;
    const char* value;
  };
  std::vector<Constant> constants;

  // The constants the runner understands; set when present and valid.
  bool hasSleepMargin = false;
  int32_t sleepMargin = 0;  // milliseconds; meaningful only when hasSleepMargin
  bool hasDrawColour = false;
  uint32_t drawColour = 0xFFFFFFFFu;

  // Option bit that selects the current audio system (its SOND reader and
  // the audio groups); without it the older sound reader is used.
  static constexpr uint64_t OPTION_CURRENT_AUDIO = 1u << 4;
  bool CurrentAudio() const { return (flags & OPTION_CURRENT_AUDIO) != 0; }
};

// ---- SOND / AGRP / AUDO ----
struct SoundRecord {
  const char* name = nullptr;
  uint32_t flags = 0;
  // Kind derived from the flags word.
  bool streamed = false;       // first load flag: streamed from its file
  bool compressed = false;     // second load flag: kept compressed
  bool decompressOnLoad = false;  // the third flag (flags 103)
  const char* type = nullptr;  // may be null
  const char* fileName = nullptr;
  uint32_t effects = 0;
  float volume = 1.0f;
  float pitch = 0.0f;  // as stored
  int32_t audioGroup = 0;
  int32_t audioIndex = -1;  // into AUDO; -1: read from fileName
};

struct EmbeddedAudio {
  const uint8_t* bytes = nullptr;
  uint32_t size = 0;
};

// ---- TPAG / TXTR ----
// One texture-page item: a region of a page. The fields are the file's eleven
// u16 values; the page index is checked against the loaded pages.
struct TexturePageEntry {
  int16_t sourceX = 0, sourceY = 0, sourceWidth = 0, sourceHeight = 0;
  int16_t targetX = 0, targetY = 0, targetWidth = 0, targetHeight = 0;
  int16_t boundingWidth = 0, boundingHeight = 0;
  int16_t texturePage = 0;
  uint32_t fileOffset = 0;  // where the item stands in the file
  int32_t textureId = -1;   // the decoded page it refers to; -1 until TXTR, or out of range
};

struct TexturePage {
  uint32_t flags = 0;  // bit 0 is passed to texture creation
  uint32_t pngOffset = 0;
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4 bytes, rows top down
  // The PNG in the file. When the page decoder was given it, the chunk loop
  // reads only its header (width and height) and leaves rgba empty.
  const uint8_t* png = nullptr;
  size_t pngSize = 0;
  bool decodePending = false;
};

// Where a page's PNG lies in the file: from its first byte to the file's end.
struct TexturePagePng {
  const uint8_t* png = nullptr;
  size_t size = 0;
};

// ---- SPRT ----
struct SpriteRecord {
  const char* name = nullptr;
  int32_t width = 0, height = 0;
  int32_t bboxLeft = 0, bboxRight = 0, bboxBottom = 0, bboxTop = 0;
  bool transparent = false, smooth = false, preload = false;
  int32_t bboxMode = 0;
  bool separateMasks = false;  // also "precise": masks are consulted
  int32_t originX = 0, originY = 0;
  bool extendedForm = false;
  int32_t formatNumber = 0;
  int32_t kind = 0;  // 0 bitmap, 1 vector, 2 skeleton
  float playbackSpeed = 15.0f;
  int32_t playbackSpeedType = 0;
  int32_t frameCount = 0;
  int32_t cullRadius = 0;  // largest origin-to-corner distance, rounded up
  std::vector<uint32_t> frameOffsets;  // TPAG offset per frame
  std::vector<int32_t> frames;         // index into GameData::texturePageEntries, -1 none
  int32_t maskCount = 0;
  const uint8_t* masks = nullptr;  // maskCount masks of MaskBytes() each, in the file
  size_t MaskRowBytes() const { return (static_cast<size_t>(width) + 7) / 8; }
  size_t MaskBytes() const;  // height rows, padded to a multiple of 4
  const uint8_t* Mask(int index) const;
  // Bit of mask `index` at column u, row v (most significant bit first).
  bool MaskBit(int index, int u, int v) const;
};

// Unpacks one mask into width * height bytes, 1 = solid.
std::vector<uint8_t> Sprite_UnpackMask(const SpriteRecord& sprite, int index);

// ---- FONT ----
struct GlyphRecord {
  uint16_t character = 0;
  int16_t x = 0, y = 0, width = 0, height = 0;
  int16_t shift = 0, offset = 0;
  uint16_t kerningCount = 0;
  uint32_t fileOffset = 0;
};

struct FontRecord {
  const char* name = nullptr;
  const char* displayName = nullptr;
  int32_t size = 0;
  bool bold = false, italic = false;
  uint32_t firstCharacter = 0;  // low 16 bits of word 5
  uint32_t charset = 0;         // bits 16 to 23
  uint32_t antialias = 0;       // bits 24 to 31 minus 1
  uint32_t lastCharacter = 0;
  uint32_t tpagOffset = 0;
  int32_t texturePageEntry = -1;  // index into GameData::texturePageEntries
  float scaleX = 1.0f, scaleY = 1.0f;
  int32_t lineHeight = 0;     // the largest glyph height
  std::vector<GlyphRecord> glyphs;  // sorted by character code
  // The glyph of a character, or null.
  const GlyphRecord* FindGlyph(uint16_t character) const;
};

// ---- ROOM ----
struct RoomBackground {
  bool visible = false, foreground = false;
  int32_t backgroundIndex = -1;
  int32_t x = 0, y = 0;
  bool tileH = false, tileV = false;
  int32_t speedH = 0, speedV = 0;
  bool stretch = false;
};

struct RoomView {
  bool enabled = false;
  int32_t viewX = 0, viewY = 0, viewWidth = 0, viewHeight = 0;
  int32_t portX = 0, portY = 0, portWidth = 0, portHeight = 0;
  int32_t borderH = 0, borderV = 0, speedH = 0, speedV = 0;
  int32_t followObject = -1;
};

struct RoomInstanceRecord {
  int32_t x = 0, y = 0;
  int32_t objectIndex = -1;
  int32_t id = 0;
  int32_t creationCode = -1;  // code index, -1 none
  float scaleX = 1.0f, scaleY = 1.0f;
  uint32_t colour = 0xFFFFFFFFu;
  float rotation = 0.0f;
};

struct RoomTile {
  int32_t x = 0, y = 0, backgroundIndex = -1, sourceX = 0, sourceY = 0, width = 0, height = 0;
  int32_t depth = 0, id = 0;
  float scaleX = 1.0f, scaleY = 1.0f;
  uint32_t colour = 0xFFFFFFFFu;
};

struct RoomLayer {
  const char* name = nullptr;
  int32_t id = 0;
  int32_t type = 0;  // 1 background, 2 instances
  int32_t depth = 0;
  float offsetX = 0, offsetY = 0, speedH = 0, speedV = 0;
  bool visible = true;
  std::vector<int32_t> instanceIds;  // instances layer
  // Background layer.
  bool bgVisible = false, bgForeground = false;
  int32_t bgSprite = -1;
  bool bgTileH = false, bgTileV = false, bgStretch = false;
  uint32_t bgColour = 0;
  int32_t bgFirstFrame = 0;
  float bgAnimationSpeed = 0;
  int32_t bgSpeedType = 0;
};

struct RoomRecord {
  const char* name = nullptr;
  const char* caption = nullptr;
  int32_t width = 0, height = 0, speed = 0;
  bool persistent = false;
  uint32_t colour = 0;
  bool drawColour = false;
  int32_t creationCode = -1;
  uint32_t flags = 0;
  bool ViewsEnabled() const { return flags & 1; }
  bool ViewClearsScreen() const { return flags & 2; }
  bool KeepDisplayBuffer() const { return flags & 4; }
  int FormatNumber() const { return static_cast<int>(flags >> 16); }
  std::vector<RoomBackground> backgrounds;
  std::vector<RoomView> views;
  std::vector<RoomInstanceRecord> instances;  // in stored order
  std::vector<RoomTile> tiles;
  bool physicsWorld = false;
  int32_t physicsTop = 0, physicsLeft = 0, physicsRight = 0, physicsBottom = 0;
  float gravityX = 0, gravityY = 0, pixelsToMetres = 0;
  std::vector<RoomLayer> layers;
};

// ---- SCPT, EMBI and the lists kept by name ----
struct ScriptRecord {
  const char* name = nullptr;
  int32_t codeIndex = -1;
};

struct EmbeddedImage {
  const char* name = nullptr;
  uint32_t tpagOffset = 0;
  int32_t texturePageEntry = -1;
};

// One state record for everything the loader built. Lists keep an empty slot
// (a record with a null name, `present` false) where the file's entry offset
// is 0, so resource indexes stay positions in the file's lists.
template <typename T>
struct Slot {
  bool present = false;
  T record;
};

struct ChunkInfo {
  char tag[5];
  uint32_t offset;  // of the chunk body
  uint32_t size;
};

struct GameData {
  const uint8_t* file = nullptr;  // the loaded file; records point into it
  size_t fileSize = 0;
  std::vector<ChunkInfo> chunks;  // every chunk met, in file order

  bool hasHeader = false;
  GameHeader header;
  GameOptions options;
  uint32_t languageCount = 0, languageEntryCount = 0;

  std::vector<Slot<SoundRecord>> sounds;
  std::vector<Slot<const char*>> audioGroups;
  std::vector<Slot<SpriteRecord>> sprites;
  std::vector<Slot<ScriptRecord>> scripts;
  std::vector<Slot<FontRecord>> fonts;
  std::vector<Slot<RoomRecord>> rooms;
  int32_t objectCount = 0;  // entries of the OBJT list (objects live in the core)
  std::vector<int32_t> globalInitCode;  // GLOB: code indexes run by Script_Prepare
  // Resources of lists that this runtime keeps by name only (empty in the
  // editor's data): extensions, backgrounds, paths, shaders, time lines.
  std::vector<const char*> extensions, backgrounds, paths, shaders, timelines;
  std::vector<EmbeddedImage> embeddedImages;
  std::vector<TexturePageEntry> texturePageEntries;
  std::vector<Slot<TexturePage>> texturePages;
  std::vector<Slot<EmbeddedAudio>> audio;
  uint32_t codeEntryCount = 0;  // CODE list entries (bytecode; never run here)
};

// Checks the container and runs the chunk loop over a file that stays in
// memory, unchanged, as long as the records (and the objects it filed) are
// used. Objects go into the core's object table (Object_Add, then parents are
// linked); scripts are registered with Script_Register. On failure returns
// false with a message in *error; a damaged file is never read outside
// [data, data + size), and whatever was filed from it is taken back.
bool GameData_Load(const uint8_t* data, size_t size, std::string* error);
// The records of the last successful load.
const GameData& GameData_Get();
// Forgets the records, the objects and the scripts of the last load.
void GameData_Clear();

// The header pre-scan made before the window exists: walks the chunks,
// finds STRG ("ID_STRG") and GEN8 ("Get Header Information") and reads the
// header and the options. Returns false when the container or one of these
// chunks is damaged, or when there is no GEN8.
bool GameData_ReadHeader(const uint8_t* data, size_t size, GameHeader* header, GameOptions* options,
                         std::string* error);

// The PNG data of every texture page, in TXTR order, found by walking the
// chunk headers and the TXTR entries only. Leaves *pages empty when the file
// is damaged anywhere on that walk (the chunk loop then reports it).
void GameData_FindPagePngs(const uint8_t* data, size_t size, std::vector<TexturePagePng>* pages);

// Lookups by resource index; null when the index is out of range or empty.
const SpriteRecord* GameData_Sprite(int index);
const FontRecord* GameData_Font(int index);
const RoomRecord* GameData_Room(int index);
const SoundRecord* GameData_Sound(int index);
const TexturePageEntry* GameData_TexturePageEntry(int index);
const TexturePage* GameData_TexturePage(int index);

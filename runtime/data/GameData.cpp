// SPDX-License-Identifier: Zlib
// The game data loader: the container check, the header pre-scan and the
// chunk loop that hands each chunk body to its reader (ChunkReaders.h). Also
// the small helpers of the records (masks, glyph lookup, caption).
#include "data/GameData.h"

#include <algorithm>
#include <cstdio>

#include "base/Console.h"
#include "code/CompiledCode.h"
#include "data/ChunkReaders.h"
#include "object/Object.h"

namespace {

GameData& State() {
  static GameData data;
  return data;
}

struct ChunkEntry {
  const char* tag;
  ChunkReader reader;  // null: accepted and skipped
};

// Tags the loop understands. GEN7 and GENL are older spellings of the header.
constexpr ChunkEntry CHUNK_TABLE[] = {
    {"GEN8", Chunk_GEN8}, {"GEN7", Chunk_GEN8}, {"GENL", Chunk_GEN8}, {"OPTN", Chunk_OPTN},
    {"LANG", Chunk_LANG}, {"EXTN", Chunk_EXTN}, {"SOND", Chunk_SOND}, {"AGRP", Chunk_AGRP},
    {"SPRT", Chunk_SPRT}, {"BGND", Chunk_BGND}, {"PATH", Chunk_PATH}, {"SCPT", Chunk_SCPT},
    {"GLOB", Chunk_GLOB}, {"SHDR", Chunk_SHDR}, {"FONT", Chunk_FONT}, {"TMLN", Chunk_TMLN},
    {"OBJT", Chunk_OBJT}, {"ROOM", Chunk_ROOM}, {"EMBI", Chunk_EMBI}, {"TPAG", Chunk_TPAG},
    {"TXTR", Chunk_TXTR}, {"AUDO", Chunk_AUDO}, {"CODE", Chunk_CODE}, {"FUNC", Chunk_FUNC},
    {"STRG", nullptr},    {"VARI", nullptr},    {"DAFL", nullptr},    {"HELP", nullptr},
    {"RASP", nullptr},    {"STAT", nullptr},    {"PSPS", nullptr},
};

const ChunkEntry* FindChunk(const char* tag) {
  for (const ChunkEntry& entry : CHUNK_TABLE)
    if (std::memcmp(entry.tag, tag, 4) == 0) return &entry;
  return nullptr;
}

// The tag as printable text for log lines and messages.
void TagText(const uint8_t* raw, char out[5]) {
  for (int i = 0; i < 4; ++i) out[i] = (raw[i] >= 32 && raw[i] < 127) ? static_cast<char>(raw[i]) : '?';
  out[4] = 0;
}

// Container check shared by the loader and the pre-scan.
bool CheckContainer(const FileView& file, std::string* error) {
  if (!file.base || file.size < 8 || std::memcmp(file.base, "FORM", 4) != 0) {
    *error = "not a game data file: the FORM magic is missing";
    return false;
  }
  uint32_t formSize = file.U32At(4);
  if (formSize != file.size - 8) {
    *error = "damaged game data file: the FORM size " + std::to_string(formSize) + " does not match the " +
             std::to_string(file.size) + " bytes of the file";
    return false;
  }
  return true;
}

// Walks the chunk headers: calls visit(tag, body, size) for each; stops with
// a message when a header or body does not fit in the file.
template <typename Visit>
bool WalkChunks(const FileView& file, std::string* error, Visit visit) {
  size_t pos = 8;
  while (pos < file.size) {
    if (!file.Has(pos, 8)) {
      *error = "damaged game data file: truncated chunk header at offset " + std::to_string(pos);
      return false;
    }
    char tag[5];
    TagText(file.base + pos, tag);
    uint32_t size = file.U32At(pos + 4);
    size_t body = pos + 8;
    if (!file.Has(body, size)) {
      *error = std::string("damaged game data file: chunk ") + tag + " at offset " + std::to_string(pos) +
               " claims " + std::to_string(size) + " bytes, past the end of the file";
      return false;
    }
    if (!visit(file.base + pos, tag, body, size)) return false;
    pos = body + size;
  }
  return true;
}

}  // namespace

bool LoadContext::Fail(const char* format, ...) {
  if (!error.empty()) return false;
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  error = std::string(chunk) + ": " + buffer;
  return false;
}

bool LoadContext::Spend(uint64_t n) {
  if (n > budget) return Fail("more records than a file of %zu bytes can hold (shared or looping offsets)", file.size);
  budget -= n;
  return true;
}

bool LoadContext::ReadList(size_t pos, const char* what, std::vector<uint32_t>* offsets) {
  DataCursor cursor(file, pos);
  uint32_t count = cursor.Count(4);
  if (!cursor.ok()) return Fail("the %s list at offset %zu runs past the end of the file", what, pos);
  if (!Spend(count)) return false;
  offsets->resize(count);
  for (uint32_t i = 0; i < count; ++i) (*offsets)[i] = cursor.U32();
  return true;
}

int32_t LoadContext::TexturePageItem(uint32_t offset) {
  if (offset == 0) return -1;
  auto found = tpagByOffset.find(offset);
  if (found != tpagByOffset.end()) return found->second;
  DataCursor cursor(file, offset);
  TexturePageEntry entry;
  entry.sourceX = cursor.I16();
  entry.sourceY = cursor.I16();
  entry.sourceWidth = cursor.I16();
  entry.sourceHeight = cursor.I16();
  entry.targetX = cursor.I16();
  entry.targetY = cursor.I16();
  entry.targetWidth = cursor.I16();
  entry.targetHeight = cursor.I16();
  entry.boundingWidth = cursor.I16();
  entry.boundingHeight = cursor.I16();
  entry.texturePage = cursor.I16();
  if (!cursor.ok()) return -2;
  entry.fileOffset = offset;
  // Items read after the pages were decoded are checked here; the others when
  // TXTR is read.
  const auto& pages = data->texturePages;
  if (!pages.empty()) {
    if (entry.texturePage >= 0 && static_cast<size_t>(entry.texturePage) < pages.size() &&
        pages[entry.texturePage].present)
      entry.textureId = entry.texturePage;
    else
      DebugConsole().Output("what!!!!\n");
  }
  int32_t index = static_cast<int32_t>(data->texturePageEntries.size());
  data->texturePageEntries.push_back(entry);
  tpagByOffset.emplace(offset, index);
  return index;
}

bool GameData_Load(const uint8_t* data, size_t size, std::string* error) {
  GameData_Clear();
  GameData& game = State();
  LoadContext ctx;
  ctx.file.base = data;
  ctx.file.size = size;
  ctx.data = &game;
  ctx.budget = LOAD_ELEMENT_BUDGET_BASE + size;
  game.file = data;
  game.fileSize = size;

  std::string message;
  if (!CheckContainer(ctx.file, &message)) {
    GameData_Clear();
    if (error) *error = message;
    return false;
  }

  std::string unknown;
  bool walked = WalkChunks(ctx.file, &message, [&](const uint8_t* raw, const char* tag, size_t body, uint32_t size) {
    DebugConsole().Output("Process Chunk: %s   %d\n", tag, static_cast<int>(size));
    ChunkInfo info;
    std::memcpy(info.tag, tag, 5);
    info.offset = static_cast<uint32_t>(body);
    info.size = size;
    game.chunks.push_back(info);
    if (size == 0) return true;
    const ChunkEntry* entry = FindChunk(reinterpret_cast<const char*>(raw));
    if (!entry) {
      DebugConsole().Output("unknown Chunk %s:%d\n", tag, static_cast<int>(size));
      if (unknown.empty()) unknown = std::string("unknown chunk ") + tag;
      return true;  // the loop goes on; the load fails at the end
    }
    if (!entry->reader) return true;
    ctx.chunk = entry->tag;
    if (!entry->reader(ctx, body, size)) {
      message = "damaged game data file: " + ctx.error;
      return false;
    }
    return true;
  });
  if (walked) {
    ctx.chunk = "TPAG";
    if (!Data_ResolveTexturePageItems(ctx)) {
      message = "damaged game data file: " + ctx.error;
      walked = false;
    }
  }
  if (walked && !unknown.empty()) {
    message = "game data file holds an " + unknown;
    walked = false;
  }
  if (walked && !game.hasHeader) {
    message = "game data file has no header chunk";
    walked = false;
  }
  if (!walked) {
    GameData_Clear();
    if (error) *error = message;
    return false;
  }

  Object_LinkParents();
  for (size_t i = 0; i < game.scripts.size(); ++i)
    if (game.scripts[i].present)
      Script_Register(static_cast<int>(i), game.scripts[i].record.name, game.scripts[i].record.codeIndex);
  return true;
}

const GameData& GameData_Get() { return State(); }

void GameData_Clear() {
  State() = GameData();
  Object_ClearAll();
  Script_Clear();
}

bool GameData_ReadHeader(const uint8_t* data, size_t size, GameHeader* header, GameOptions* options,
                         std::string* error) {
  FileView file{data, size};
  std::string message;
  bool found = false;
  bool ok = CheckContainer(file, &message) &&
            WalkChunks(file, &message, [&](const uint8_t*, const char* tag, size_t body, uint32_t size) {
              if (std::memcmp(tag, "STRG", 4) == 0) DebugConsole().Output("ID_STRG\n");
              if (size == 0) return true;
              if (std::memcmp(tag, "GEN8", 4) == 0) {
                DebugConsole().Output("Get Header Information\n");
                found = true;
                return Data_ParseHeader(file, body, size, header, &message);
              }
              if (std::memcmp(tag, "OPTN", 4) == 0) return Data_ParseOptions(file, body, size, options, &message);
              return true;
            });
  if (ok && !found) {
    message = "game data file has no header chunk";
    ok = false;
  }
  if (!ok && error) *error = message;
  return ok;
}

void GameData_FindPagePngs(const uint8_t* data, size_t size, std::vector<TexturePagePng>* pages) {
  pages->clear();
  FileView file{data, size};
  std::string message;
  std::vector<TexturePagePng> found;
  bool ok = CheckContainer(file, &message) &&
            WalkChunks(file, &message, [&](const uint8_t*, const char* tag, size_t body, uint32_t chunkSize) {
              if (std::memcmp(tag, "TXTR", 4) != 0 || chunkSize < 4) return true;
              uint32_t count = file.U32At(body);
              if (!file.HasArray(body + 4, count, 4)) return false;
              for (uint32_t i = 0; i < count; ++i) {
                uint32_t entry = file.U32At(body + 4 + static_cast<size_t>(i) * 4);
                if (entry == 0) continue;
                if (!file.Has(entry, TXTR_ENTRY_BYTES)) return false;
                uint32_t pngOffset = file.U32At(entry + 4);
                if (pngOffset == 0 || pngOffset >= file.size) return false;
                found.push_back(TexturePagePng{file.base + pngOffset, file.size - pngOffset});
              }
              return true;
            });
  if (ok) *pages = std::move(found);
}

const SpriteRecord* GameData_Sprite(int index) {
  const auto& list = State().sprites;
  return (index >= 0 && static_cast<size_t>(index) < list.size() && list[index].present) ? &list[index].record
                                                                                          : nullptr;
}

const FontRecord* GameData_Font(int index) {
  const auto& list = State().fonts;
  return (index >= 0 && static_cast<size_t>(index) < list.size() && list[index].present) ? &list[index].record
                                                                                          : nullptr;
}

const RoomRecord* GameData_Room(int index) {
  const auto& list = State().rooms;
  return (index >= 0 && static_cast<size_t>(index) < list.size() && list[index].present) ? &list[index].record
                                                                                          : nullptr;
}

const SoundRecord* GameData_Sound(int index) {
  const auto& list = State().sounds;
  return (index >= 0 && static_cast<size_t>(index) < list.size() && list[index].present) ? &list[index].record
                                                                                          : nullptr;
}

const TexturePageEntry* GameData_TexturePageEntry(int index) {
  const auto& list = State().texturePageEntries;
  return (index >= 0 && static_cast<size_t>(index) < list.size()) ? &list[index] : nullptr;
}

const TexturePage* GameData_TexturePage(int index) {
  const auto& list = State().texturePages;
  return (index >= 0 && static_cast<size_t>(index) < list.size() && list[index].present) ? &list[index].record
                                                                                          : nullptr;
}

const char* GameHeader::Caption() const { return displayName ? displayName : "Made with Pallador: Studio"; }

size_t SpriteRecord::MaskBytes() const {
  size_t bytes = MaskRowBytes() * static_cast<size_t>(height);
  return (bytes + 3) & ~static_cast<size_t>(3);
}

const uint8_t* SpriteRecord::Mask(int index) const {
  if (!masks || index < 0 || index >= maskCount) return nullptr;
  return masks + static_cast<size_t>(index) * MaskBytes();
}

bool SpriteRecord::MaskBit(int index, int u, int v) const {
  const uint8_t* mask = Mask(index);
  if (!mask || u < 0 || v < 0 || u >= width || v >= height) return false;
  return (mask[static_cast<size_t>(v) * MaskRowBytes() + u / 8] >> (7 - u % 8)) & 1;
}

std::vector<uint8_t> Sprite_UnpackMask(const SpriteRecord& sprite, int index) {
  std::vector<uint8_t> bytes;
  if (!sprite.Mask(index)) return bytes;
  bytes.resize(static_cast<size_t>(sprite.width) * sprite.height);
  for (int v = 0; v < sprite.height; ++v)
    for (int u = 0; u < sprite.width; ++u)
      bytes[static_cast<size_t>(v) * sprite.width + u] = sprite.MaskBit(index, u, v) ? 1 : 0;
  return bytes;
}

const GlyphRecord* FontRecord::FindGlyph(uint16_t character) const {
  auto it = std::lower_bound(glyphs.begin(), glyphs.end(), character,
                             [](const GlyphRecord& g, uint16_t c) { return g.character < c; });
  return (it != glyphs.end() && it->character == character) ? &*it : nullptr;
}

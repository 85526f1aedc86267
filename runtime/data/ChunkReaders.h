// SPDX-License-Identifier: Zlib
// The chunk readers of the game data loader and the state they share while
// one file is being loaded. Internal to runtime/data.
#pragma once

#include <cstdarg>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/DataView.h"
#include "data/GameData.h"

// A damaged file may point many records at one shared part (one frame list,
// one event list) to make a small file expand into huge tables. Every record
// element the readers build costs one unit of a budget proportional to the
// file size; a real file, whose elements each take at least 4 bytes of their
// own, stays far below it.
constexpr uint64_t LOAD_ELEMENT_BUDGET_BASE = 65536;

// Event subtypes are alarm numbers, key codes, mouse and other event numbers
// and draw phases, all below 256; collision subtypes are object indexes.
constexpr uint32_t MAX_EVENT_SUBTYPE = 256;

// Sprite sides: texture-page items hold sizes as signed 16-bit values.
constexpr int32_t MAX_SPRITE_SIDE = 32767;

struct LoadContext {
  FileView file;
  GameData* data = nullptr;
  const char* chunk = "";  // tag of the chunk being read, for messages
  std::string error;
  uint64_t budget = 0;
  std::unordered_map<uint32_t, int32_t> tpagByOffset;  // texture-page item offset -> index

  // Records the first failure as "<chunk>: <message>" and returns false.
  bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Takes n elements from the budget; fails when it is spent.
  bool Spend(uint64_t n);
  // Reads a list (count, then count u32 entry offsets) at pos.
  bool ReadList(size_t pos, const char* what, std::vector<uint32_t>* offsets);
  // The texture-page item at a file offset: found among the TPAG list, or
  // read on demand and added. -1 for offset 0; -2 when the item does not lie
  // inside the file.
  int32_t TexturePageItem(uint32_t offset);
  // The major version that selects the version-2 forms.
  uint32_t VersionMajor() const { return data->hasHeader ? data->header.versionMajor : 1; }
  uint32_t FormatVersion() const { return data->hasHeader ? data->header.formatVersion : 0; }
};

// A TXTR entry: flags, PNG offset, a zero word.
constexpr size_t TXTR_ENTRY_BYTES = 12;

// GEN8 parsing shared by the chunk loop and the header pre-scan.
bool Data_ParseHeader(const FileView& file, size_t body, uint32_t size, GameHeader* header, std::string* error);
bool Data_ParseOptions(const FileView& file, size_t body, uint32_t size, GameOptions* options, std::string* error);

// One reader per chunk tag: the chunk body's position and size.
using ChunkReader = bool (*)(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_GEN8(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_OPTN(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_LANG(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_EXTN(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_SOND(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_AGRP(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_SPRT(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_BGND(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_PATH(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_SCPT(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_GLOB(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_SHDR(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_FONT(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_TMLN(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_OBJT(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_ROOM(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_EMBI(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_TPAG(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_TXTR(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_AUDO(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_CODE(LoadContext& ctx, size_t body, uint32_t size);
bool Chunk_FUNC(LoadContext& ctx, size_t body, uint32_t size);

// After the chunk loop: turn the texture-page offsets of sprites, fonts and
// embedded images into items.
bool Data_ResolveTexturePageItems(LoadContext& ctx);

// SPDX-License-Identifier: Zlib
// GEN8 (the game header), OPTN (options and their constants) and LANG.
#include <cerrno>
#include <cstdlib>

#include "data/ChunkReaders.h"

namespace {

// Words of the older options layout: each word switches the option bit of
// the same number; the constants follow them.
constexpr int OPTIONS_LEGACY_WORDS = 32;
constexpr uint32_t OPTIONS_MARKER = 0x80000000u;
constexpr uint32_t OPTIONS_VERSION = 2;

bool ParseDecimal(const char* text, bool allowSign, int64_t* out) {
  if (!text || !*text) return false;
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != 0) return false;
  if (!allowSign && (text[0] == '-' || text[0] == '+')) return false;
  *out = value;
  return true;
}

}  // namespace

bool Data_ParseHeader(const FileView& file, size_t body, uint32_t size, GameHeader* h, std::string* error) {
  const size_t end = body + size;
  DataCursor c(file, body);
  uint32_t word0 = c.U32();
  h->flagByte = static_cast<uint8_t>(word0 & 0xFF);
  h->formatVersion = static_cast<uint8_t>((word0 >> 8) & 0xFF);
  h->fileName = c.String(true);
  h->configName = c.String(true);
  h->lastInstanceId = c.U32();
  h->counter = c.U32();
  h->identifier = c.U32();
  for (uint8_t& b : h->identifierBytes) b = 0;
  for (int i = 0; i < 4; ++i) {
    uint32_t w = c.U32();
    std::memcpy(h->identifierBytes + 4 * i, &w, 4);
  }
  h->gameName = c.String(true);
  h->versionMajor = c.U32();
  h->versionMinor = c.U32();
  h->versionRelease = c.U32();
  h->versionBuild = c.U32();
  h->windowWidth = c.U32();
  h->windowHeight = c.U32();
  h->infoFlags = c.U32();
  h->extra[0] = c.U32();
  h->extra[1] = c.U32();
  c.Skip(12);  // words 20 to 22, reserved
  h->timestamp = c.U32();
  c.Skip(4);  // word 24, reserved
  h->displayName = c.String(true);
  const uint32_t v = h->formatVersion;
  if (v >= 11) h->value11 = c.U64();
  if (v >= 12) h->value12 = c.U64();
  if (v >= 13) h->value13 = c.U32();
  if (v >= 14) h->value14 = c.U32();
  uint32_t roomCount = c.Count(4);
  if (!c.ok() || c.pos() > end || roomCount > (end - c.pos()) / 4) {
    *error = "GEN8: the header runs past the end of its chunk or holds a bad string";
    return false;
  }
  h->roomOrder.resize(roomCount);
  for (uint32_t i = 0; i < roomCount; ++i) h->roomOrder[i] = c.I32();
  // The parts after the room order are read when the chunk holds them: the
  // derived block (version 14 and later), the game speed, a word and a
  // 16-byte identifier.
  auto fits = [&](size_t bytes) { return c.pos() <= end && bytes <= end - c.pos(); };
  if (v >= 14) {
    if (!fits(40)) {
      *error = "GEN8: the header ends inside its version-14 block";
      return false;
    }
    for (uint32_t& w : h->derivedBlock) w = c.U32();
  }
  h->gameSpeed = 0.0f;
  if (fits(4)) h->gameSpeed = c.F32();
  if (fits(4)) h->trailingValue = c.U32();
  if (fits(16))
    for (int i = 0; i < 4; ++i) {
      uint32_t w = c.U32();
      std::memcpy(h->trailingIdentifier + 4 * i, &w, 4);
    }
  if (!c.ok()) {
    *error = "GEN8: the header runs past the end of the file";
    return false;
  }
  return true;
}

bool Data_ParseOptions(const FileView& file, size_t body, uint32_t size, GameOptions* o, std::string* error) {
  const size_t end = body + size;
  DataCursor c(file, body);
  *o = GameOptions();
  o->present = true;
  uint32_t word0 = c.U32();
  if (c.ok() && (word0 & OPTIONS_MARKER)) {
    o->markerForm = true;
    uint32_t version = c.U32();
    if (c.ok() && version != OPTIONS_VERSION) {
      *error = "OPTN: options version " + std::to_string(version) + " is not 2";
      return false;
    }
    o->flags = c.U64();
    for (uint32_t& value : o->values) value = c.U32();
    o->values[10] = o->values[10] != 0;  // word 14 is read as a bool
  } else {
    // The older layout: word 0 was the first option word.
    DataCursor legacy(file, body);
    for (int i = 0; i < OPTIONS_LEGACY_WORDS; ++i)
      if (legacy.U32() != 0) o->flags |= uint64_t{1} << i;
    c = legacy;
  }
  uint32_t count = c.Count(8);
  if (!c.ok() || c.pos() > end) {
    *error = "OPTN: the options run past the end of their chunk";
    return false;
  }
  o->constants.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    o->constants[i].name = c.String();
    o->constants[i].value = c.String();
    if (!c.ok()) {
      *error = "OPTN: constant " + std::to_string(i) + " has a bad name or value string";
      return false;
    }
    const char* name = o->constants[i].name;
    const char* value = o->constants[i].value;
    int64_t number = 0;
    if (std::strcmp(name, "@@SleepMargin") == 0 && ParseDecimal(value, true, &number) && number >= INT32_MIN &&
        number <= INT32_MAX) {
      o->hasSleepMargin = true;
      o->sleepMargin = static_cast<int32_t>(number);
    } else if (std::strcmp(name, "@@DrawColour") == 0 && ParseDecimal(value, false, &number) &&
               number <= 0xFFFFFFFFll) {
      o->hasDrawColour = true;
      o->drawColour = static_cast<uint32_t>(number);
    }
  }
  return true;
}

bool Chunk_GEN8(LoadContext& ctx, size_t body, uint32_t size) {
  std::string message;
  ctx.data->header = GameHeader();
  if (!Data_ParseHeader(ctx.file, body, size, &ctx.data->header, &message)) {
    ctx.error = message;
    return false;
  }
  if (!ctx.Spend(ctx.data->header.roomOrder.size())) return false;
  ctx.data->hasHeader = true;
  return true;
}

bool Chunk_OPTN(LoadContext& ctx, size_t body, uint32_t size) {
  std::string message;
  if (!Data_ParseOptions(ctx.file, body, size, &ctx.data->options, &message)) {
    ctx.error = message;
    return false;
  }
  return ctx.Spend(ctx.data->options.constants.size());
}

// LANG: a word that is not read, the language count and the entry count;
// the entry names; then per language its name, region and entry texts.
bool Chunk_LANG(LoadContext& ctx, size_t body, uint32_t) {
  DataCursor c(ctx.file, body);
  c.U32();
  uint32_t languages = c.U32();
  uint32_t entries = c.U32();
  if (!c.ok()) return ctx.Fail("the language counts run past the end of the file");
  uint64_t strings = uint64_t{entries} + uint64_t{languages} * (uint64_t{entries} + 2);
  if (!ctx.file.HasArray(c.pos(), strings, 4)) return ctx.Fail("%u languages of %u entries do not fit in the file", languages, entries);
  if (!ctx.Spend(strings)) return false;
  for (uint64_t i = 0; i < strings; ++i) c.String(true);
  if (!c.ok()) return ctx.Fail("a language text is not a valid string");
  ctx.data->languageCount = languages;
  ctx.data->languageEntryCount = entries;
  return true;
}

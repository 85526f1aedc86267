// SPDX-License-Identifier: Zlib
// Chunks of records found through lists: sounds (SOND), audio groups (AGRP),
// embedded audio (AUDO), scripts (SCPT), global initialisation code (GLOB),
// embedded images (EMBI), the lists kept by name (EXTN, BGND, PATH, SHDR,
// TMLN) and the bytecode chunks (CODE, FUNC).
#include "data/ChunkReaders.h"

namespace {

constexpr uint32_t EMBI_VERSION = 1;

// Sound flags words from 100 on name a kind directly; below 100 both load
// flags follow whether the word is non-zero.
void ApplySoundFlags(SoundRecord* s) {
  switch (s->flags) {
    case 100: s->streamed = s->compressed = true; break;
    case 101: s->streamed = s->compressed = false; break;
    case 102: s->streamed = false; s->compressed = true; break;
    case 103: s->streamed = s->compressed = false; s->decompressOnLoad = true; break;
    default:
      if (s->flags < 100) s->streamed = s->compressed = s->flags > 0;
      break;
  }
}

// A list whose entries are records beginning with a name: keeps the names
// (null for an absent entry).
bool ReadNamedList(LoadContext& ctx, size_t body, const char* what, std::vector<const char*>* names) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, what, &offsets)) return false;
  names->assign(offsets.size(), nullptr);
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    DataCursor c(ctx.file, offsets[i]);
    (*names)[i] = c.String();
    if (!c.ok()) return ctx.Fail("%s %zu: the record or its name lies outside the file", what, i);
  }
  return true;
}

}  // namespace

bool Chunk_SOND(LoadContext& ctx, size_t body, uint32_t) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, "sound", &offsets)) return false;
  // The older audio system has neither audio groups nor embedded audio: its
  // reader takes the same record without those two words.
  const bool current = ctx.data->options.CurrentAudio();
  auto& sounds = ctx.data->sounds;
  sounds.assign(offsets.size(), {});
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    DataCursor c(ctx.file, offsets[i]);
    SoundRecord& s = sounds[i].record;
    s.name = c.String();
    s.flags = c.U32();
    s.type = c.String(true);
    s.fileName = c.String(true);
    s.effects = c.U32();
    s.volume = c.F32();
    s.pitch = c.F32();
    if (current) {
      s.audioGroup = c.I32();
      s.audioIndex = c.I32();
    }
    if (!c.ok()) return ctx.Fail("sound %zu: the record or one of its strings lies outside the file", i);
    ApplySoundFlags(&s);
    sounds[i].present = true;
  }
  return true;
}

bool Chunk_AGRP(LoadContext& ctx, size_t body, uint32_t) {
  if (!ctx.data->options.CurrentAudio()) return true;  // audio groups belong to the current audio system
  std::vector<const char*> names;
  if (!ReadNamedList(ctx, body, "audio group", &names)) return false;
  auto& groups = ctx.data->audioGroups;
  groups.assign(names.size(), {});
  for (size_t i = 0; i < names.size(); ++i) {
    groups[i].present = names[i] != nullptr;
    groups[i].record = names[i];
  }
  return true;
}

// AUDO: each entry is a byte count and the bytes of an embedded audio file.
bool Chunk_AUDO(LoadContext& ctx, size_t body, uint32_t) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, "audio", &offsets)) return false;
  auto& audio = ctx.data->audio;
  audio.assign(offsets.size(), {});
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    DataCursor c(ctx.file, offsets[i]);
    uint32_t bytes = c.U32();
    if (!c.ok() || !ctx.file.Has(c.pos(), bytes)) return ctx.Fail("audio %zu: %u bytes do not fit in the file", i, bytes);
    audio[i].present = true;
    audio[i].record.bytes = ctx.file.base + c.pos();
    audio[i].record.size = bytes;
  }
  return true;
}

bool Chunk_SCPT(LoadContext& ctx, size_t body, uint32_t) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, "script", &offsets)) return false;
  auto& scripts = ctx.data->scripts;
  scripts.assign(offsets.size(), {});
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    DataCursor c(ctx.file, offsets[i]);
    scripts[i].record.name = c.String();
    scripts[i].record.codeIndex = c.I32();
    if (!c.ok()) return ctx.Fail("script %zu: the record or its name lies outside the file", i);
    scripts[i].present = true;
  }
  return true;
}

// GLOB: a count, then the code indexes of the global initialisation code.
bool Chunk_GLOB(LoadContext& ctx, size_t body, uint32_t) {
  DataCursor c(ctx.file, body);
  uint32_t count = c.Count(4);
  if (!c.ok()) return ctx.Fail("the code index list runs past the end of the file");
  if (!ctx.Spend(count)) return false;
  ctx.data->globalInitCode.resize(count);
  for (uint32_t i = 0; i < count; ++i) ctx.data->globalInitCode[i] = c.I32();
  return true;
}

bool Chunk_EXTN(LoadContext& ctx, size_t body, uint32_t) {
  return ReadNamedList(ctx, body, "extension", &ctx.data->extensions);
}
bool Chunk_BGND(LoadContext& ctx, size_t body, uint32_t) {
  return ReadNamedList(ctx, body, "background", &ctx.data->backgrounds);
}
bool Chunk_PATH(LoadContext& ctx, size_t body, uint32_t) { return ReadNamedList(ctx, body, "path", &ctx.data->paths); }
bool Chunk_SHDR(LoadContext& ctx, size_t body, uint32_t) {
  return ReadNamedList(ctx, body, "shader", &ctx.data->shaders);
}
bool Chunk_TMLN(LoadContext& ctx, size_t body, uint32_t) {
  return ReadNamedList(ctx, body, "time line", &ctx.data->timelines);
}

// EMBI: version (must be 1), count, then {name, texture-page item offset}.
bool Chunk_EMBI(LoadContext& ctx, size_t body, uint32_t) {
  DataCursor c(ctx.file, body);
  uint32_t version = c.U32();
  if (!c.ok()) return ctx.Fail("the chunk is too short for its version");
  if (version != EMBI_VERSION) return ctx.Fail("embedded images version %u is not 1", version);
  uint32_t count = c.Count(8);
  if (!c.ok()) return ctx.Fail("the image list runs past the end of the file");
  if (!ctx.Spend(count)) return false;
  auto& images = ctx.data->embeddedImages;
  images.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    images[i].name = c.String();
    images[i].tpagOffset = c.U32();
    if (!c.ok()) return ctx.Fail("image %u has a bad name string", i);
  }
  return true;
}

// Bytecode. This runtime runs compiled code only (every code entry of the
// data is satisfied from the compiled function table), so the code list is
// checked and counted but its bytecode is never interpreted; the function
// references of FUNC have nothing to resolve against and are left unread.
bool Chunk_CODE(LoadContext& ctx, size_t body, uint32_t) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, "code", &offsets)) return false;
  ctx.data->codeEntryCount = static_cast<uint32_t>(offsets.size());
  return true;
}

bool Chunk_FUNC(LoadContext&, size_t, uint32_t) { return true; }

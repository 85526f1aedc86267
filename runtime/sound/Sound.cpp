// SPDX-License-Identifier: Zlib
// Sound records, audio groups and embedded audio files, as the game-data
// loader hands them over from the SOND, AGRP and AUDO chunks.
#include <cstring>

#include "base/Console.h"
#include "sound/AudioState.h"

AudioState& Audio_State() {
  static AudioState state;
  return state;
}

uint32_t Sound_KindFromFlags(int32_t flags) {
  // Below 100 the two load flags (streamed, compressed) follow "flags > 0";
  // from 100 each value names one combination.
  if (flags < 100) return flags > 0 ? (SOUND_STREAMED | SOUND_COMPRESSED) : 0;
  switch (flags) {
    case 100: return SOUND_STREAMED | SOUND_COMPRESSED;
    case 101: return 0;
    case 102: return SOUND_COMPRESSED;
    case 103: return SOUND_DECOMPRESS_ON_LOAD;
    default: return 0;
  }
}

int Sound_Add(const SoundEntry& entry) {
  AudioState& st = Audio_State();
  auto sound = std::make_unique<CSound>();
  sound->name = entry.name ? entry.name : "";
  sound->type = entry.type ? entry.type : "";
  sound->fileName = entry.fileName ? entry.fileName : "";
  sound->flags = entry.flags;
  sound->kind = Sound_KindFromFlags(entry.flags);
  sound->effects = entry.effects;
  sound->gain = entry.volume < 0.0f ? 0.0f : entry.volume;
  // A pitch of 0 would silence the source; the stored 0 means "unchanged".
  sound->pitch = entry.pitch > 0.0f ? entry.pitch : 1.0f;
  sound->group = entry.group;
  sound->audioIndex = entry.audioIndex;
  st.sounds.push_back(std::move(sound));
  return static_cast<int>(st.sounds.size()) - 1;
}

int Sound_Count() { return static_cast<int>(Audio_State().sounds.size()); }

int Sound_Find(const char* name) {
  if (!name) return -1;
  const AudioState& st = Audio_State();
  for (size_t i = 0; i < st.sounds.size(); ++i) {
    if (st.sounds[i]->name == name) return static_cast<int>(i);
  }
  return -1;
}

static CSound* SoundAt(int index) {
  AudioState& st = Audio_State();
  if (index < 0 || static_cast<size_t>(index) >= st.sounds.size()) return nullptr;
  return st.sounds[static_cast<size_t>(index)].get();
}

const char* Sound_Name(int soundIndex) {
  const CSound* s = SoundAt(soundIndex);
  return s ? s->name.c_str() : nullptr;
}

uint32_t Sound_Kind(int soundIndex) {
  const CSound* s = SoundAt(soundIndex);
  return s ? s->kind : 0;
}

double Sound_Length(int soundIndex) {
  const CSound* s = SoundAt(soundIndex);
  return s ? s->length : -1.0;
}

bool Sound_Prepare() {
  AudioState& st = Audio_State();
  // With the device still opening the sounds are decoded once it is open.
  if (!st.deviceOpen) return true;
  for (auto& sound : st.sounds) {
    if (!(sound->kind & SOUND_STREAMED)) OggStream_DecodeWhole(*sound);
  }
  return true;
}

void Sound_ClearAll() {
  AudioState& st = Audio_State();
  for (auto& sound : st.sounds) {
    if (sound->buffer && st.deviceOpen) Audio_Device().DeleteBuffers(1, &sound->buffer);
  }
  st.sounds.clear();
  st.groups.clear();
  st.embedded.clear();
}

int AudioGroup_Add(const char* name) {
  AudioState& st = Audio_State();
  AudioGroupRecord group;
  group.name = name ? name : "";
  st.groups.push_back(group);
  return static_cast<int>(st.groups.size()) - 1;
}

int AudioGroup_Count() { return static_cast<int>(Audio_State().groups.size()); }

void AudioGroup_SetLoadState(int group, int state) {
  AudioState& st = Audio_State();
  if (group < 0 || static_cast<size_t>(group) >= st.groups.size()) return;
  st.groups[static_cast<size_t>(group)].loadState = state;
}

bool AudioGroup_IsLoaded(int group) {
  if (group == 0) return true;
  const AudioState& st = Audio_State();
  if (group < 0 || static_cast<size_t>(group) >= st.groups.size()) return false;
  return st.groups[static_cast<size_t>(group)].loadState >= AUDIOGROUP_LOADED;
}

int Audio_AddEmbeddedFile(const uint8_t* data, size_t size) {
  AudioState& st = Audio_State();
  st.embedded.push_back(EmbeddedFile{data, data ? size : 0});
  return static_cast<int>(st.embedded.size()) - 1;
}

void Audio_SetBaseFolder(const char* folder) { Audio_State().baseFolder = folder ? folder : ""; }

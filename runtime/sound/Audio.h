// SPDX-License-Identifier: Zlib
// The sound layer: sound records built from the game data's sound chunk,
// audio groups, play instances ("voices") behind handles, gains with timed
// fades, track positions, and Ogg Vorbis tracks streamed from files next to
// the program. The built-in functions (audio_play_sound and its siblings) are
// registered by Audio_RegisterBuiltins.
//
// Who calls what:
//   the game-data loader: AudioGroup_Add per AGRP entry, Audio_AddEmbeddedFile
//     per AUDO entry, Sound_Add per SOND record;
//   the runner: Audio_SetBaseFolder (the executable's folder), Audio_Init at
//     start-up ("-noaudio" passes true), Sound_Prepare in PrepareGame,
//     Audio_SetRoomSpeed when a room starts (0 when none runs),
//     Audio_Update once per frame, Audio_Shutdown at the end of the run.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Sound records (SOND) ----

// One SOND record as the loader reads it; strings may be null.
struct SoundEntry {
  const char* name;
  int32_t flags;  // the chunk's flags word; see the kind flags below
  const char* type;
  const char* fileName;  // e.g. "msc_Main_Cocktail.ogg", looked up in the base folder
  int32_t effects;
  float volume;  // becomes the sound's gain
  float pitch;   // 0 or less is taken as 1
  int32_t group;  // audio group index
  int32_t audioIndex;  // index of an embedded file (AUDO), -1: read the named file
};

// Kind flags derived from the flags word.
constexpr uint32_t SOUND_STREAMED = 1;    // decoded while it plays, from its file
constexpr uint32_t SOUND_COMPRESSED = 2;  // kept compressed until played
constexpr uint32_t SOUND_DECOMPRESS_ON_LOAD = 4;
uint32_t Sound_KindFromFlags(int32_t flags);

// Adds a sound record; returns its sound index.
int Sound_Add(const SoundEntry& entry);
int Sound_Count();
// Sound index by name, or -1.
int Sound_Find(const char* name);
const char* Sound_Name(int soundIndex);
uint32_t Sound_Kind(int soundIndex);
// Length in seconds, -1 until the sound's file has been opened once.
double Sound_Length(int soundIndex);
// Decodes the sounds held in memory (not streamed) when a device is open; a
// sound that cannot be decoded is reported and stays silent. Always true: a
// broken sound must not stop the game from starting.
bool Sound_Prepare();
// Forgets every sound, group and embedded file (tests; a process loads once).
void Sound_ClearAll();

// ---- Audio groups (AGRP) ----

// Group load states; a group other than 0 plays once it reached LOADED.
constexpr int AUDIOGROUP_NOT_LOADED = 0;
constexpr int AUDIOGROUP_LOADING = 1;
constexpr int AUDIOGROUP_LOADED = 2;

int AudioGroup_Add(const char* name);
int AudioGroup_Count();
void AudioGroup_SetLoadState(int group, int state);
// Group 0 is loaded at all times.
bool AudioGroup_IsLoaded(int group);

// ---- Embedded audio files (AUDO) ----

// Registers the bytes of one embedded file; they stay owned by the game data
// (kept for the whole process) and are never copied. Returns its index.
int Audio_AddEmbeddedFile(const uint8_t* data, size_t size);

// ---- Start, frame, end ----

// Folder in which sound files are looked up ("" or unset: the current folder).
void Audio_SetBaseFolder(const char* folder);
// Starts audio. With noAudio set sound is disabled: no device is opened and
// every audio built-in does nothing and leaves its result unset. Otherwise the
// default device is to be opened on a thread of its own, which
// Audio_BeginOpening starts; once it is open the streaming thread starts.
// Playing a sound or changing a sound's settings waits for the opening
// (starting it if need be); calls about voices (is playing, is paused,
// pause, resume, stop, track position) and Audio_Update never do: until the
// device is open there is no voice for them to find. When no device opens, plays return -1
// and queries 0.
void Audio_Init(bool noAudio);
// Starts the opening that Audio_Init set up (nothing when there is none or
// it runs already). The runner calls it once the first frame is presented.
void Audio_BeginOpening();
// Per frame: applies the running fades and sets every active voice's source
// gain to voice gain x sound gain.
void Audio_Update();
// Stops every voice, the streaming thread and the device.
void Audio_Shutdown();
// Frames per second of the running room; fades step once per frame at this
// rate. 0 or less: no room runs, and 30 is used.
void Audio_SetRoomSpeed(int framesPerSecond);

void Audio_RegisterBuiltins();

// ---- The operations behind the built-ins ----
// Ids below 400000 are sound indices, ids from 400001 voice handles. These
// are what the built-ins call once sound is enabled; the runner and tests may
// call them directly.
constexpr int32_t VOICE_HANDLE_FIRST = 400001;  // sound indices and handles share one number space
constexpr int32_t SOUND_INDEX_LIMIT = 400000;

// The voice handle, -1 when it cannot play, 0 when the sound does not exist.
int32_t Audio_PlaySound(int32_t sound, double priority, bool loop);
bool Audio_IsPlaying(int32_t id);
bool Audio_IsPaused(int32_t id);
void Audio_PauseSound(int32_t id);
void Audio_ResumeSound(int32_t id);
void Audio_StopSound(int32_t id);
void Audio_StopAll();
void Audio_SoundGain(int32_t id, double gain, double milliseconds);
double Audio_SoundGetGain(int32_t id);
double Audio_SoundGetTrackPosition(int32_t id);
// True once Audio_Init(false) opened a device.
bool Audio_HasDevice();
bool Audio_IsDisabled();

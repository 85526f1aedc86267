// SPDX-License-Identifier: Zlib
// The sound layer's one state record and the records it holds. Internal to
// runtime/sound: the rest of the runtime uses Audio.h.
//
// Threads: the main thread owns everything here. The streaming thread touches
// only the voices' Ogg channels and their `active` flag, and only while it
// holds `oggMutex`; the main thread takes the same lock whenever it changes a
// voice or reads a channel. `active` is atomic so that the per-frame gain
// update can read it without the lock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sound/AudioBackend.h"
#include "sound/AudioTesting.h"
#include "sound/OggDecoder.h"

// At most this many voices play at once: the limit the music player and the
// priority stealing were designed around, well inside the device's sources.
constexpr int MAX_VOICES = 127;
// A stream is decoded into two halves of this size, queued on two buffers:
// about 93 ms of 44.1 kHz stereo each, long enough to ride over a slow frame,
// short enough that a pause or a fade is heard at once.
constexpr size_t OGG_HALF_BYTES = 16384;
constexpr int OGG_BUFFER_COUNT = 2;
// The streaming thread looks at its streams this often; far below the length
// of a half, so a played buffer is refilled long before the other runs dry.
constexpr int OGG_POLL_MILLISECONDS = 5;
// A music track file is opened only when at most this large: hours of Vorbis
// audio, far past any game's track. The file is streamed from disk, and a
// larger one (or one that grows while it plays) is no track of the game.
constexpr uint64_t OGG_FILE_MAX_BYTES = 256u << 20;
// Fades step once per frame at the room speed; with no room, at this rate.
constexpr int DEFAULT_FADE_FRAMES_PER_SECOND = 30;

struct CSound {
  std::string name;
  std::string type;
  std::string fileName;
  int32_t flags = 0;
  uint32_t kind = 0;
  int32_t effects = 0;
  float gain = 1.0f;
  float pitch = 1.0f;
  int32_t group = 0;
  int32_t audioIndex = -1;
  float length = -1.0f;  // seconds; known once the file has been opened
  // Fade of the sound's own gain (scales every voice of the sound).
  float fadeStep = 0.0f;
  int fadeFrames = 0;
  double storedPosition = 0.0;  // reported for a sound index that no voice plays
  // Sounds held in memory: decoded once into one device buffer.
  AudioBufferId buffer = 0;
  bool decodeFailed = false;
};

struct AudioGroupRecord {
  std::string name;
  int loadState = AUDIOGROUP_NOT_LOADED;
};

struct EmbeddedFile {
  const uint8_t* data;
  size_t size;
};

// The streaming state of one voice that plays a streamed sound.
struct OggChannel {
  std::unique_ptr<OggDecoder> decoder;
  AudioBufferId buffers[OGG_BUFFER_COUNT] = {0, 0};
  uint8_t area[OGG_HALF_BYTES * OGG_BUFFER_COUNT];  // the decode area, as two halves
  int nextHalf = 0;
  int64_t buffersPlayed = 0;
  double startTime = 0.0;  // seconds of the track before the first queued buffer
  double length = -1.0;
  int channels = 0;
  int rate = 0;
  bool loop = false;
  bool paused = false;
  bool ended = false;    // the decoder has nothing more to give
  bool running = false;  // the thread looks after this channel
};

struct CVoice {
  std::atomic<bool> active{false};
  AudioSourceId source = 0;
  int32_t handle = -1;
  int32_t soundIndex = -1;
  bool loop = false;
  bool streamed = false;
  float priority = 0.0f;
  float gain = 1.0f;
  float fadeStep = 0.0f;
  int fadeFrames = 0;
  OggChannel channel;
};

struct AudioState {
  // Records from the game data (live for the process).
  std::vector<std::unique_ptr<CSound>> sounds;
  std::vector<AudioGroupRecord> groups;
  std::vector<EmbeddedFile> embedded;
  std::string baseFolder;

  // Run state.
  AudioBackend* backend = &AudioBackend_OpenAL();
  bool initialised = false;
  bool disabled = false;  // "-noaudio"
  bool deviceOpen = false;
  bool streamThreadWanted = true;
  // The device opening in the background (Audio_Init, Audio_BeginOpening):
  // the opener thread writes openerResult, then sets openerDone; the main
  // thread joins it.
  bool opening = false;
  AudioDeviceKind openDevice = AudioDeviceKind::System;
  int openRate = 0;
  std::thread opener;
  std::atomic<bool> openerDone{false};
  bool openerResult = false;
  int roomSpeed = 0;
  int32_t nextHandle = VOICE_HANDLE_FIRST;
  std::unique_ptr<CVoice> voices[MAX_VOICES];
  int voiceCount = 0;  // voices made so far; each keeps its source for the run

  // Streaming thread.
  std::mutex oggMutex;  // "OggMutex"
  std::condition_variable wake;
  std::thread thread;
  bool threadStop = false;
  AudioStreamStats stats;
};

AudioState& Audio_State();
// The device the voices play on (Audio_InitWith chooses it).
inline AudioBackend& Audio_Device() { return *Audio_State().backend; }

// Streaming (OggStream.cpp). All expect oggMutex held unless said otherwise.
// Opens the sound's file or embedded bytes for decoding and reports failures
// with the documented messages; null when it cannot be played.
std::unique_ptr<OggDecoder> OggStream_OpenSound(CSound& sound);
// Starts a voice's channel with an open decoder: queues the first two halves
// and plays the source. False when the decoder gives nothing playable.
bool OggStream_Start(CVoice& voice, std::unique_ptr<OggDecoder> decoder, bool loop);
// Stops the source and forgets the stream.
void OggStream_Stop(CVoice& voice);
// One refill pass over every running channel.
void OggStream_PumpLocked();
// Seconds by the stream position rule: the buffers already played, each one
// half of PCM, plus the source's offset into the current one, from the time
// the stream started; past the track's length a looping voice wraps and a
// one-shot voice stays at the end.
double OggStream_PositionRule(int64_t buffersPlayed, int sampleOffset, int channels, int rate, double startTime,
                              double length, bool loop);
double OggStream_Position(const CVoice& voice);
// Starts and stops the thread (called without the lock).
void OggStream_StartThread();
void OggStream_StopThread();
// Reads a whole sound into memory as 16-bit PCM for a non-streamed sound.
bool OggStream_DecodeWhole(CSound& sound);

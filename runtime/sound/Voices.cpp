// SPDX-License-Identifier: Zlib
// Voices: the play instances behind handles. Selection and priority stealing
// on play, pause, resume, stop, gains and fades, track positions, and the
// start, per-frame update and end of the sound layer.
#include <algorithm>

#include "base/Console.h"
#include "sound/AudioState.h"

namespace {

AudioState& St() { return Audio_State(); }
AudioBackend& Device() { return Audio_Device(); }

CSound* SoundAt(int32_t index) {
  AudioState& st = St();
  if (index < 0 || static_cast<size_t>(index) >= st.sounds.size()) return nullptr;
  return st.sounds[static_cast<size_t>(index)].get();
}

bool IsHandle(int32_t id) { return id >= SOUND_INDEX_LIMIT; }

// The active voice with this handle, or null.
CVoice* VoiceByHandle(int32_t handle) {
  AudioState& st = St();
  for (int i = 0; i < st.voiceCount; ++i) {
    CVoice& v = *st.voices[i];
    if (v.handle == handle && v.active.load(std::memory_order_acquire)) return &v;
  }
  return nullptr;
}

// Calls fn for the voice of a handle, or for every active voice of a sound.
template <typename Fn>
void ForEachVoiceOf(int32_t id, Fn fn) {
  AudioState& st = St();
  if (IsHandle(id)) {
    if (CVoice* v = VoiceByHandle(id)) fn(*v);
    return;
  }
  for (int i = 0; i < st.voiceCount; ++i) {
    CVoice& v = *st.voices[i];
    if (v.soundIndex == id && v.active.load(std::memory_order_acquire)) fn(v);
  }
}

AudioSourceState SourceState(const CVoice& v) { return Device().State(v.source); }

// A voice can take a new play when it is idle or its source has finished or
// never started. A streamed voice stays busy while its stream runs, even in
// the moment its source waits for a refill.
bool VoiceIsFree(const CVoice& v) {
  if (!v.active.load(std::memory_order_acquire)) return true;
  if (v.streamed) return false;
  AudioSourceState state = SourceState(v);
  return state == AudioSourceState::Stopped || state == AudioSourceState::Initial;
}

bool VoiceIsPaused(const CVoice& v) {
  if (v.streamed) return v.channel.paused;
  return SourceState(v) == AudioSourceState::Paused;
}

// Stops a voice (lock held). The voice becomes free for the next play.
void StopVoice(CVoice& v) {
  Device().TakeError();
  if (v.streamed) {
    OggStream_Stop(v);
  } else {
    Device().Stop(v.source);
    Device().AttachBuffer(v.source, 0);
  }
  int error = Device().TakeError();
  if (error != 0) DebugConsole().Output("Error stopping sound %d error code %d\n", v.soundIndex, error);
  v.active.store(false, std::memory_order_release);
  v.fadeFrames = 0;
}

void PauseVoice(CVoice& v) {
  Device().TakeError();
  if (v.streamed) {
    if (v.channel.paused) return;
    Device().Pause(v.source);
    v.channel.paused = true;
  } else {
    if (SourceState(v) != AudioSourceState::Playing) return;
    Device().Pause(v.source);
  }
  int error = Device().TakeError();
  if (error != 0) DebugConsole().Output("Error pausing sound %d error code %d\n", v.soundIndex, error);
}

void ResumeVoice(CVoice& v) {
  Device().TakeError();
  if (v.streamed) {
    if (!v.channel.paused) return;
    v.channel.paused = false;
    Device().Play(v.source);
  } else {
    if (SourceState(v) != AudioSourceState::Paused) return;
    Device().Play(v.source);
  }
  int error = Device().TakeError();
  if (error != 0) DebugConsole().Output("Error resuming sound %d error code %d\n", v.soundIndex, error);
}

void ApplySourceGain(CVoice& v) {
  const CSound* s = SoundAt(v.soundIndex);
  float soundGain = s ? s->gain : 1.0f;
  Device().SetGain(v.source, v.gain * soundGain);
}

// Takes a voice for a play at this priority (lock held): a free one, a new
// one while fewer than MAX_VOICES exist, else the lowest-priority voice below
// the new priority, stopped first. Null when none can be had.
CVoice* TakeVoice(float priority) {
  AudioState& st = St();
  for (int i = 0; i < st.voiceCount; ++i) {
    if (VoiceIsFree(*st.voices[i])) {
      CVoice& v = *st.voices[i];
      if (v.active.load(std::memory_order_acquire)) StopVoice(v);  // a finished one-shot still holds its buffer
      return &v;
    }
  }
  if (st.voiceCount < MAX_VOICES) {
    auto voice = std::make_unique<CVoice>();
    if (!Device().CreateSource(&voice->source)) return nullptr;
    st.voices[st.voiceCount] = std::move(voice);
    return st.voices[st.voiceCount++].get();
  }
  CVoice* lowest = nullptr;
  for (int i = 0; i < st.voiceCount; ++i) {
    CVoice& v = *st.voices[i];
    if (v.priority < priority && (!lowest || v.priority < lowest->priority)) lowest = &v;
  }
  if (lowest) StopVoice(*lowest);
  return lowest;
}

// One fade step: the gain moves by the step, stays within 0..1.
void StepFade(float& gain, float step, int& frames) {
  gain += step;
  gain = std::clamp(gain, 0.0f, 1.0f);
  --frames;
}

int FadeFrames(double milliseconds) {
  int speed = St().roomSpeed > 0 ? St().roomSpeed : DEFAULT_FADE_FRAMES_PER_SECOND;
  int stepLength = std::max(1, 1000 / speed);
  int frames = static_cast<int>(milliseconds) / stepLength;
  return std::max(1, frames);
}

// Completes a device opening that runs on the opener thread: with wait,
// blocks until it is over; without, only when it is over already. Once the
// device is open the streaming thread starts and the held sounds are decoded.
void FinishOpening(bool wait) {
  AudioState& st = St();
  if (!st.opening) return;
  if (!wait && !st.openerDone.load(std::memory_order_acquire)) return;
  Audio_BeginOpening();
  st.opener.join();
  st.opening = false;
  st.deviceOpen = st.openerResult;
  if (!st.deviceOpen) return;
  if (st.streamThreadWanted) OggStream_StartThread();
  Sound_Prepare();
}

// Whether sound can be played or queried. Playing a sound, or changing a
// sound's own settings, while the device is still being opened waits for it:
// in practice the first sound is asked for long after start-up, when the
// opener is done.
bool Ready(bool waitForDevice = true) {
  FinishOpening(waitForDevice);
  return St().initialised && !St().disabled && St().deviceOpen;
}

// The same for calls about voices, which never wait: before the device is
// open no voice exists, so they find nothing, as they would a moment later.
// (The editor asks whether its track plays in every step, the first one
// included, and the first frame must not wait for a sound server.)
bool ReadyForVoices() { return Ready(false); }

}  // namespace

// ---- Start and end ----

void Audio_InitWith(const AudioInitOptions& options) {
  AudioState& st = St();
  if (st.initialised) Audio_Shutdown();
  st.initialised = true;
  st.backend = options.backend ? options.backend : &AudioBackend_OpenAL();
  st.disabled = options.noAudio;
  st.nextHandle = VOICE_HANDLE_FIRST;
  st.stats = AudioStreamStats{};
  st.deviceOpen = false;
  if (st.disabled) {
    DebugConsole().Output("Audio: sound disabled\n");
    return;
  }
  st.streamThreadWanted = options.streamThread;
  if (options.openInBackground) {
    // Opening a device can take tens of milliseconds (a sound server, a card
    // that is probed and refused): it runs on a thread of its own once
    // Audio_BeginOpening starts it, and the first frame never waits for it.
    st.opening = true;
    st.openerDone.store(false);
    st.openDevice = options.device;
    st.openRate = options.loopbackRate;
    return;
  }
  st.deviceOpen = st.backend->Open(options.device, options.loopbackRate);
  if (!st.deviceOpen) return;
  if (options.streamThread) OggStream_StartThread();
}

void Audio_BeginOpening() {
  AudioState& st = St();
  if (!st.opening || st.opener.joinable()) return;
  st.opener = std::thread([backend = st.backend, device = st.openDevice, rate = st.openRate] {
    AudioState& state = Audio_State();
    state.openerResult = backend->Open(device, rate);
    state.openerDone.store(true, std::memory_order_release);
  });
}

void Audio_Init(bool noAudio) {
  AudioInitOptions options;
  options.noAudio = noAudio;
  options.openInBackground = true;
  Audio_InitWith(options);
}

void Audio_Shutdown() {
  AudioState& st = St();
  if (!st.initialised) return;
  if (st.opening && !st.opener.joinable()) st.opening = false;  // never begun: nothing to close
  FinishOpening(true);
  OggStream_StopThread();
  if (st.deviceOpen) {
    {
      std::lock_guard<std::mutex> lock(st.oggMutex);
      for (int i = 0; i < st.voiceCount; ++i) {
        CVoice& v = *st.voices[i];
        if (v.active.load()) StopVoice(v);
        Device().DeleteSource(v.source);
        if (v.channel.buffers[0]) Device().DeleteBuffers(OGG_BUFFER_COUNT, v.channel.buffers);
      }
    }
    for (auto& sound : st.sounds) {
      if (sound->buffer) Device().DeleteBuffers(1, &sound->buffer);
      sound->buffer = 0;
      sound->decodeFailed = false;
    }
    Device().Close();
  }
  for (int i = 0; i < st.voiceCount; ++i) st.voices[i].reset();
  st.voiceCount = 0;
  for (auto& sound : st.sounds) sound->fadeFrames = 0;
  st.initialised = false;
  st.deviceOpen = false;
  st.disabled = false;
}

void Audio_SetRoomSpeed(int framesPerSecond) { St().roomSpeed = framesPerSecond; }

bool Audio_HasDevice() {
  FinishOpening(true);
  return St().deviceOpen;
}
bool Audio_IsDisabled() { return St().disabled; }

void Audio_Update() {
  AudioState& st = St();
  if (!Ready(false)) return;
  for (auto& sound : st.sounds) {
    if (sound->fadeFrames > 0) StepFade(sound->gain, sound->fadeStep, sound->fadeFrames);
  }
  // The streaming thread only ever clears `active`; a voice it retires in
  // the middle of this loop merely gets one more harmless gain setting.
  for (int i = 0; i < st.voiceCount; ++i) {
    CVoice& v = *st.voices[i];
    if (!v.active.load(std::memory_order_acquire)) continue;
    if (v.fadeFrames > 0) StepFade(v.gain, v.fadeStep, v.fadeFrames);
    ApplySourceGain(v);
  }
}

void Audio_StreamPump() {
  AudioState& st = St();
  FinishOpening(true);
  if (!st.deviceOpen) return;
  std::lock_guard<std::mutex> lock(st.oggMutex);
  OggStream_PumpLocked();
}

AudioStreamStats Audio_GetStreamStats() {
  std::lock_guard<std::mutex> lock(St().oggMutex);
  return St().stats;
}

void Audio_ResetStreamStats() {
  std::lock_guard<std::mutex> lock(St().oggMutex);
  St().stats = AudioStreamStats{};
}

bool Audio_OpeningNotBegun() { return St().opening && !St().opener.joinable(); }

int Audio_ActiveVoiceCount() {
  AudioState& st = St();
  int n = 0;
  for (int i = 0; i < st.voiceCount; ++i) n += st.voices[i]->active.load() ? 1 : 0;
  return n;
}

std::vector<AudioVoiceInfo> Audio_ActiveVoices() {
  AudioState& st = St();
  std::vector<AudioVoiceInfo> voices;
  if (!Ready(false)) return voices;
  std::lock_guard<std::mutex> lock(st.oggMutex);
  for (int i = 0; i < st.voiceCount; ++i) {
    const CVoice& v = *st.voices[i];
    if (!v.active.load(std::memory_order_acquire)) continue;
    AudioVoiceInfo info;
    info.handle = v.handle;
    info.sound = v.soundIndex;
    info.paused = VoiceIsPaused(v);
    info.gain = v.gain;
    if (v.streamed) {
      info.position = OggStream_Position(v);
    } else {
      info.position = Device().SecondsOffset(v.source);
    }
    voices.push_back(info);
  }
  std::sort(voices.begin(), voices.end(), [](const auto& a, const auto& b) { return a.handle < b.handle; });
  return voices;
}

int Audio_PlayCount() { return St().nextHandle - VOICE_HANDLE_FIRST; }

// ---- The operations behind the built-ins ----

int32_t Audio_PlaySound(int32_t soundIndex, double priority, bool loop) {
  AudioState& st = St();
  CSound* sound = SoundAt(soundIndex);
  if (!sound) {
    DebugConsole().Output("Error: no sound exists for soundid %d\n", soundIndex);
    return 0;
  }
  if (!AudioGroup_IsLoaded(sound->group)) {
    DebugConsole().Output("%s: Audio Group %d is not loaded\n", "audio_play_sound", sound->group);
    return -1;
  }
  if (!Ready()) return -1;

  // Open the data before taking a voice, so that a missing or damaged file
  // neither steals a voice nor uses up a handle.
  const bool streamed = (sound->kind & SOUND_STREAMED) != 0;
  std::unique_ptr<OggDecoder> decoder;
  if (streamed) {
    decoder = OggStream_OpenSound(*sound);
    if (!decoder) return -1;
  } else if (!OggStream_DecodeWhole(*sound)) {
    return -1;
  }

  std::lock_guard<std::mutex> lock(st.oggMutex);
  CVoice* v = TakeVoice(static_cast<float>(priority));
  if (!v) return -1;
  v->soundIndex = soundIndex;
  v->gain = 1.0f;
  v->fadeFrames = 0;
  v->fadeStep = 0.0f;
  v->loop = loop;
  v->priority = static_cast<float>(priority);
  v->streamed = streamed;
  Device().SetGain(v->source, sound->gain * v->gain);
  Device().SetPitch(v->source, sound->pitch);
  Device().PlaceAtListener(v->source);
  if (streamed) {
    if (!OggStream_Start(*v, std::move(decoder), loop)) return -1;
  } else {
    Device().AttachBuffer(v->source, sound->buffer);
    Device().SetLooping(v->source, loop);
    Device().Play(v->source);
  }
  v->handle = st.nextHandle++;
  v->active.store(true, std::memory_order_release);
  st.wake.notify_one();
  return v->handle;
}

bool Audio_IsPlaying(int32_t id) {
  if (!ReadyForVoices()) return false;
  std::lock_guard<std::mutex> lock(St().oggMutex);
  bool playing = false;
  ForEachVoiceOf(id, [&](CVoice& v) {
    if (v.streamed) {
      playing = true;
    } else {
      AudioSourceState state = SourceState(v);
      if (state == AudioSourceState::Playing || state == AudioSourceState::Paused) playing = true;
    }
  });
  return playing;
}

bool Audio_IsPaused(int32_t id) {
  if (!ReadyForVoices()) return false;
  std::lock_guard<std::mutex> lock(St().oggMutex);
  bool paused = false;
  ForEachVoiceOf(id, [&](CVoice& v) { paused = paused || VoiceIsPaused(v); });
  return paused;
}

void Audio_PauseSound(int32_t id) {
  if (!ReadyForVoices()) return;
  std::lock_guard<std::mutex> lock(St().oggMutex);
  ForEachVoiceOf(id, PauseVoice);
}

void Audio_ResumeSound(int32_t id) {
  if (!ReadyForVoices()) return;
  std::lock_guard<std::mutex> lock(St().oggMutex);
  ForEachVoiceOf(id, ResumeVoice);
}

void Audio_StopSound(int32_t id) {
  if (!ReadyForVoices()) return;
  std::lock_guard<std::mutex> lock(St().oggMutex);
  ForEachVoiceOf(id, StopVoice);
}

void Audio_StopAll() {
  if (!ReadyForVoices()) return;
  AudioState& st = St();
  std::lock_guard<std::mutex> lock(st.oggMutex);
  for (int i = 0; i < st.voiceCount; ++i) {
    CVoice& v = *st.voices[i];
    if (v.active.load()) StopVoice(v);
  }
}

void Audio_SoundGain(int32_t id, double gainIn, double milliseconds) {
  // A voice handle, or an id that names no sound (noone, say), needs no
  // device to be found or refused; only a sound's own gain waits for it.
  if ((IsHandle(id) || !SoundAt(id)) ? !ReadyForVoices() : !Ready()) return;
  AudioState& st = St();
  float target = gainIn < 0.0 ? 0.0f : static_cast<float>(gainIn);
  float* gain = nullptr;
  float* step = nullptr;
  int* frames = nullptr;
  CSound* sound = nullptr;
  CVoice* voice = nullptr;
  if (IsHandle(id)) {
    voice = VoiceByHandle(id);
    if (!voice) return;
    gain = &voice->gain;
    step = &voice->fadeStep;
    frames = &voice->fadeFrames;
  } else {
    sound = SoundAt(id);
    if (!sound) return;
    gain = &sound->gain;
    step = &sound->fadeStep;
    frames = &sound->fadeFrames;
  }
  if (milliseconds <= 0.0) {
    if (*gain == target && *frames == 0) return;
    *gain = target;
    *frames = 0;
    if (voice) {
      ApplySourceGain(*voice);
    } else {
      for (int i = 0; i < st.voiceCount; ++i) {
        CVoice& v = *st.voices[i];
        if (v.soundIndex == id && v.active.load()) ApplySourceGain(v);
      }
    }
    return;
  }
  *frames = FadeFrames(milliseconds);
  *step = (target - *gain) / static_cast<float>(*frames);
}

double Audio_SoundGetGain(int32_t id) {
  if ((IsHandle(id) || !SoundAt(id)) ? !ReadyForVoices() : !Ready()) return 0.0;
  if (IsHandle(id)) {
    const CVoice* v = VoiceByHandle(id);
    return v ? v->gain : 0.0;
  }
  const CSound* s = SoundAt(id);
  return s ? s->gain : 0.0;
}

double Audio_SoundGetTrackPosition(int32_t id) {
  if (!ReadyForVoices()) return 0.0;
  AudioState& st = St();
  std::lock_guard<std::mutex> lock(st.oggMutex);
  const CVoice* voice = nullptr;
  if (IsHandle(id)) {
    voice = VoiceByHandle(id);
  } else {
    const CSound* s = SoundAt(id);
    if (!s) return 0.0;
    if (!(s->kind & SOUND_STREAMED)) return s->storedPosition;
    ForEachVoiceOf(id, [&](CVoice& v) {
      if (!voice) voice = &v;
    });
  }
  if (!voice) return 0.0;
  if (voice->streamed) return OggStream_Position(*voice);
  return Device().SecondsOffset(voice->source);
}

bool Audio_IsLoopback() { return St().deviceOpen && Device().IsLoopback(); }
bool Audio_RenderLoopback(int16_t* out, int frames) { return St().deviceOpen && Device().RenderLoopback(out, frames); }

// SPDX-License-Identifier: Zlib
// The null audio device (see NullBackend.h). Its rules follow a real
// device's where the sound layer depends on them: stopping a source counts
// its whole queue as played, playing a stopped source starts its queue over,
// a buffer can be taken off a queue only once it has been played, and a
// source's buffer can be changed only while it neither plays nor pauses.
#include "sound/null/NullBackend.h"

#include <algorithm>

#include "base/Console.h"

bool NullAudioBackend::Open(AudioDeviceKind kind, int) {
  Close();
  if (kind == AudioDeviceKind::None) {
    DebugConsole().Output("Audio: no audio device could be opened\n");
    return false;
  }
  DebugConsole().Output("Audio: opened the null device\n");
  open_ = true;
  return true;
}

void NullAudioBackend::Close() {
  open_ = false;
  sources_.clear();
  buffers_.clear();
  error_ = 0;
}

int NullAudioBackend::TakeError() {
  int error = error_;
  error_ = 0;
  return error;
}

NullAudioBackend::Source* NullAudioBackend::Find(AudioSourceId source) {
  auto it = sources_.find(source);
  if (it == sources_.end()) {
    Fail();
    return nullptr;
  }
  return &it->second;
}

const NullAudioBackend::Source* NullAudioBackend::Find(AudioSourceId source) const {
  auto it = sources_.find(source);
  return it == sources_.end() ? nullptr : &it->second;
}

bool NullAudioBackend::CreateSource(AudioSourceId* source) {
  if (!open_ || failSources_ > 0) {
    if (failSources_ > 0) --failSources_;
    Fail();
    return false;
  }
  *source = nextName_++;
  sources_[*source] = Source{};
  return true;
}

void NullAudioBackend::DeleteSource(AudioSourceId source) {
  if (sources_.erase(source) == 0) Fail();
}

AudioSourceState NullAudioBackend::State(AudioSourceId source) {
  Source* s = Find(source);
  return s ? s->state : AudioSourceState::Initial;
}

void NullAudioBackend::Play(AudioSourceId source) {
  Source* s = Find(source);
  if (!s) return;
  if (s->state == AudioSourceState::Stopped || s->state == AudioSourceState::Initial) {
    s->processed = 0;
    s->sampleOffset = 0;
  }
  s->state = AudioSourceState::Playing;
}

void NullAudioBackend::Pause(AudioSourceId source) {
  Source* s = Find(source);
  if (s && s->state == AudioSourceState::Playing) s->state = AudioSourceState::Paused;
}

void NullAudioBackend::Stop(AudioSourceId source) {
  Source* s = Find(source);
  if (!s) return;
  s->state = AudioSourceState::Stopped;
  s->processed = static_cast<int>(s->queue.size());
  s->sampleOffset = 0;
}

void NullAudioBackend::SetGain(AudioSourceId source, float gain) {
  if (Source* s = Find(source)) s->gain = gain;
}

void NullAudioBackend::SetPitch(AudioSourceId source, float pitch) {
  if (Source* s = Find(source)) s->pitch = pitch;
}

void NullAudioBackend::PlaceAtListener(AudioSourceId source) { Find(source); }

void NullAudioBackend::SetLooping(AudioSourceId source, bool loop) {
  if (Source* s = Find(source)) s->loop = loop;
}

void NullAudioBackend::AttachBuffer(AudioSourceId source, AudioBufferId buffer) {
  Source* s = Find(source);
  if (!s) return;
  if (s->state == AudioSourceState::Playing || s->state == AudioSourceState::Paused ||
      (buffer != 0 && buffers_.count(buffer) == 0)) {
    Fail();
    return;
  }
  s->queue.clear();
  s->processed = 0;
  s->attached = buffer;
  if (buffer != 0) s->queue.push_back(buffer);
}

float NullAudioBackend::SecondsOffset(AudioSourceId source) {
  Source* s = Find(source);
  if (!s || s->processed >= static_cast<int>(s->queue.size())) return 0.0f;
  const Buffer& current = buffers_[s->queue[static_cast<size_t>(s->processed)]];
  return current.rate > 0 ? static_cast<float>(s->sampleOffset) / static_cast<float>(current.rate) : 0.0f;
}

int NullAudioBackend::SampleOffset(AudioSourceId source) {
  Source* s = Find(source);
  return s ? s->sampleOffset : 0;
}

void NullAudioBackend::QueueBuffer(AudioSourceId source, AudioBufferId buffer) {
  Source* s = Find(source);
  if (!s) return;
  if (buffers_.count(buffer) == 0 || s->attached != 0) {
    Fail();
    return;
  }
  s->queue.push_back(buffer);
}

bool NullAudioBackend::UnqueueBuffer(AudioSourceId source, AudioBufferId* buffer) {
  Source* s = Find(source);
  if (!s) return false;
  if (s->processed == 0) {
    Fail();
    return false;
  }
  *buffer = s->queue.front();
  s->queue.pop_front();
  --s->processed;
  return true;
}

int NullAudioBackend::BuffersProcessed(AudioSourceId source) {
  Source* s = Find(source);
  return s ? s->processed : 0;
}

int NullAudioBackend::BuffersQueued(AudioSourceId source) {
  Source* s = Find(source);
  return s ? static_cast<int>(s->queue.size()) : 0;
}

bool NullAudioBackend::CreateBuffers(int count, AudioBufferId* buffers) {
  if (!open_ || count < 0) {
    Fail();
    return false;
  }
  for (int i = 0; i < count; ++i) {
    buffers[i] = nextName_++;
    buffers_[buffers[i]] = Buffer{};
  }
  return true;
}

void NullAudioBackend::DeleteBuffers(int count, const AudioBufferId* buffers) {
  for (int i = 0; i < count; ++i) {
    if (buffers_.erase(buffers[i]) == 0) Fail();
  }
}

void NullAudioBackend::FillBuffer(AudioBufferId buffer, int channels, const void*, size_t bytes, int rate) {
  auto it = buffers_.find(buffer);
  if (it == buffers_.end() || (channels != 1 && channels != 2) || rate <= 0 ||
      bytes % (static_cast<size_t>(channels) * 2) != 0) {
    Fail();
    return;
  }
  it->second = Buffer{bytes, channels, rate};
}

void NullAudioBackend::PlayBuffers(AudioSourceId source, int count) {
  Source* s = Find(source);
  if (!s || s->state != AudioSourceState::Playing) return;
  int size = static_cast<int>(s->queue.size());
  s->processed = std::min(size, s->processed + std::max(0, count));
  s->sampleOffset = 0;
  if (s->processed == size) s->state = AudioSourceState::Stopped;
}

void NullAudioBackend::FinishSource(AudioSourceId source) {
  Source* s = Find(source);
  if (!s || s->state != AudioSourceState::Playing || s->loop) return;
  s->state = AudioSourceState::Stopped;
  s->processed = static_cast<int>(s->queue.size());
  s->sampleOffset = 0;
}

void NullAudioBackend::SetSampleOffset(AudioSourceId source, int samples) {
  if (Source* s = Find(source)) s->sampleOffset = std::max(0, samples);
}

std::vector<AudioSourceId> NullAudioBackend::Sources() const {
  std::vector<AudioSourceId> names;
  for (const auto& [name, source] : sources_) names.push_back(name);
  return names;
}

float NullAudioBackend::Gain(AudioSourceId source) const {
  const Source* s = Find(source);
  return s ? s->gain : -1.0f;
}

bool NullAudioBackend::Looping(AudioSourceId source) const {
  const Source* s = Find(source);
  return s && s->loop;
}

long NullAudioBackend::BufferBytes(AudioBufferId buffer) const {
  auto it = buffers_.find(buffer);
  return it == buffers_.end() ? -1 : static_cast<long>(it->second.bytes);
}

// SPDX-License-Identifier: Zlib
// An audio device that plays nothing: it keeps the sources, buffers, queues
// and states that a device keeps, and a test says when time has passed for
// a source (PlayBuffers, FinishSource). With it the voices, the streaming and
// their failure paths can be tested exactly, without a sound card and
// without rendering a loopback device.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <vector>

#include "sound/AudioBackend.h"

class NullAudioBackend final : public AudioBackend {
 public:
  // Error code of a call on a source or buffer that does not exist.
  static constexpr int INVALID_NAME = 1;

  bool Open(AudioDeviceKind kind, int loopbackRate) override;
  void Close() override;
  bool IsLoopback() const override { return false; }
  bool RenderLoopback(int16_t*, int) override { return false; }
  int TakeError() override;

  bool CreateSource(AudioSourceId* source) override;
  void DeleteSource(AudioSourceId source) override;
  AudioSourceState State(AudioSourceId source) override;
  void Play(AudioSourceId source) override;
  void Pause(AudioSourceId source) override;
  void Stop(AudioSourceId source) override;
  void SetGain(AudioSourceId source, float gain) override;
  void SetPitch(AudioSourceId source, float pitch) override;
  void PlaceAtListener(AudioSourceId source) override;
  void SetLooping(AudioSourceId source, bool loop) override;
  void AttachBuffer(AudioSourceId source, AudioBufferId buffer) override;
  float SecondsOffset(AudioSourceId source) override;
  int SampleOffset(AudioSourceId source) override;
  void QueueBuffer(AudioSourceId source, AudioBufferId buffer) override;
  bool UnqueueBuffer(AudioSourceId source, AudioBufferId* buffer) override;
  int BuffersProcessed(AudioSourceId source) override;
  int BuffersQueued(AudioSourceId source) override;
  bool CreateBuffers(int count, AudioBufferId* buffers) override;
  void DeleteBuffers(int count, const AudioBufferId* buffers) override;
  void FillBuffer(AudioBufferId buffer, int channels, const void* pcm, size_t bytes, int rate) override;

  // ---- What a test controls ----
  // The next `count` CreateSource calls fail (as when a device has no more
  // sources to give).
  void FailSources(int count) { failSources_ = count; }
  // The device plays the oldest `count` unplayed buffers of a playing
  // source's queue; a source that has played all of them stops, as a device
  // that ran dry does.
  void PlayBuffers(AudioSourceId source, int count);
  // A playing source with one buffer reaches its end (a looping one never does).
  void FinishSource(AudioSourceId source);
  // Moves the play offset of a source inside its current buffer.
  void SetSampleOffset(AudioSourceId source, int samples);

  // ---- What a test reads ----
  bool IsOpen() const { return open_; }
  int SourceCount() const { return static_cast<int>(sources_.size()); }
  // Every source, in the order they were made.
  std::vector<AudioSourceId> Sources() const;
  int BufferCount() const { return static_cast<int>(buffers_.size()); }
  float Gain(AudioSourceId source) const;
  bool Looping(AudioSourceId source) const;
  // Bytes of PCM filled into a buffer (-1 when there is no such buffer).
  long BufferBytes(AudioBufferId buffer) const;

 private:
  struct Source {
    AudioSourceState state = AudioSourceState::Initial;
    float gain = 1.0f;
    float pitch = 1.0f;
    bool loop = false;
    int sampleOffset = 0;
    AudioBufferId attached = 0;
    std::deque<AudioBufferId> queue;  // oldest first; the first `processed` have been played
    int processed = 0;
  };
  struct Buffer {
    size_t bytes = 0;
    int channels = 0;
    int rate = 0;
  };
  Source* Find(AudioSourceId source);
  const Source* Find(AudioSourceId source) const;
  void Fail() {
    if (error_ == 0) error_ = INVALID_NAME;
  }

  bool open_ = false;
  int error_ = 0;
  int failSources_ = 0;
  uint32_t nextName_ = 1;
  std::map<AudioSourceId, Source> sources_;
  std::map<AudioBufferId, Buffer> buffers_;
};

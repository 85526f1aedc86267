// SPDX-License-Identifier: Zlib
// The audio device as the sound layer sees it: a device that is opened and
// closed, sources that each play one voice, and buffers of 16-bit PCM that a
// source plays one at a time or as a queue. The voices, the streaming and the
// built-ins are written against this interface only; the OpenAL backend
// (sound/openal/) talks to a real device, the null backend (sound/null/)
// keeps the same bookkeeping in memory for tests that must not depend on a
// device and want to decide themselves when a buffer has been played.
//
// Every call but Open and Close is made from the main thread or the streaming
// thread under the sound layer's lock, never from both at once.
#pragma once

#include <cstddef>
#include <cstdint>

enum class AudioDeviceKind {
  System,    // the default output device
  Loopback,  // mixes on request into memory, at a fixed rate, 16-bit stereo
  None,      // opens nothing, as when the machine has no output device
};

using AudioSourceId = uint32_t;  // 0 names no source
using AudioBufferId = uint32_t;  // 0 names no buffer

enum class AudioSourceState { Initial, Playing, Paused, Stopped };

class AudioBackend {
 public:
  virtual ~AudioBackend() = default;

  // Opens the device (from any one thread; the sound layer opens it in the
  // background). False when no device could be opened; the reason is written
  // to the debug console.
  virtual bool Open(AudioDeviceKind kind, int loopbackRate) = 0;
  virtual void Close() = 0;
  virtual bool IsLoopback() const = 0;
  // Mixes `frames` stereo frames of a loopback device into `out` (2 * frames
  // samples). False when the device is not a loopback device.
  virtual bool RenderLoopback(int16_t* out, int frames) = 0;

  // The code of the first failed call since the last TakeError, 0 when none.
  virtual int TakeError() = 0;

  virtual bool CreateSource(AudioSourceId* source) = 0;
  virtual void DeleteSource(AudioSourceId source) = 0;
  virtual AudioSourceState State(AudioSourceId source) = 0;
  virtual void Play(AudioSourceId source) = 0;
  virtual void Pause(AudioSourceId source) = 0;
  virtual void Stop(AudioSourceId source) = 0;
  virtual void SetGain(AudioSourceId source, float gain) = 0;
  virtual void SetPitch(AudioSourceId source, float pitch) = 0;
  // Puts the source at the listener, at rest: distance plays no part.
  virtual void PlaceAtListener(AudioSourceId source) = 0;
  virtual void SetLooping(AudioSourceId source, bool loop) = 0;
  // Gives the source one buffer to play; 0 detaches its buffer, or its whole
  // queue of buffers.
  virtual void AttachBuffer(AudioSourceId source, AudioBufferId buffer) = 0;
  // How far the source is into its current buffer.
  virtual float SecondsOffset(AudioSourceId source) = 0;
  virtual int SampleOffset(AudioSourceId source) = 0;

  // A queue of buffers played one after the other (streaming).
  virtual void QueueBuffer(AudioSourceId source, AudioBufferId buffer) = 0;
  // Takes the oldest played buffer off the queue; false when there is none.
  virtual bool UnqueueBuffer(AudioSourceId source, AudioBufferId* buffer) = 0;
  virtual int BuffersProcessed(AudioSourceId source) = 0;
  virtual int BuffersQueued(AudioSourceId source) = 0;

  virtual bool CreateBuffers(int count, AudioBufferId* buffers) = 0;
  virtual void DeleteBuffers(int count, const AudioBufferId* buffers) = 0;
  // Copies whole 16-bit frames of `channels` (1 or 2) channels into the buffer.
  virtual void FillBuffer(AudioBufferId buffer, int channels, const void* pcm, size_t bytes, int rate) = 0;
};

// The backend of real devices; the sound layer uses it unless told otherwise.
AudioBackend& AudioBackend_OpenAL();

// SPDX-License-Identifier: Zlib
// The sound layer's sources and buffers on an OpenAL device: each call is
// the one OpenAL call (or two) that does it, on the context ALDevice made
// current.
#include "sound/openal/ALFunctions.h"

#include "sound/AudioBackend.h"
#include "sound/openal/ALDevice.h"

namespace {

ALint SourceInteger(AudioSourceId source, ALenum what) {
  ALint value = 0;
  alGetSourcei(source, what, &value);
  return value;
}

class OpenALBackend final : public AudioBackend {
 public:
  bool Open(AudioDeviceKind kind, int loopbackRate) override { return ALDevice_Open(kind, loopbackRate); }
  void Close() override { ALDevice_Close(); }
  bool IsLoopback() const override { return ALDevice_IsLoopback(); }
  bool RenderLoopback(int16_t* out, int frames) override { return ALDevice_RenderLoopback(out, frames); }

  int TakeError() override { return alGetError(); }

  bool CreateSource(AudioSourceId* source) override {
    alGetError();
    ALuint id = 0;
    alGenSources(1, &id);
    if (alGetError() != AL_NO_ERROR) return false;
    *source = id;
    return true;
  }
  void DeleteSource(AudioSourceId source) override { alDeleteSources(1, &source); }
  AudioSourceState State(AudioSourceId source) override {
    switch (SourceInteger(source, AL_SOURCE_STATE)) {
      case AL_PLAYING: return AudioSourceState::Playing;
      case AL_PAUSED: return AudioSourceState::Paused;
      case AL_STOPPED: return AudioSourceState::Stopped;
      default: return AudioSourceState::Initial;
    }
  }
  void Play(AudioSourceId source) override { alSourcePlay(source); }
  void Pause(AudioSourceId source) override { alSourcePause(source); }
  void Stop(AudioSourceId source) override { alSourceStop(source); }
  void SetGain(AudioSourceId source, float gain) override { alSourcef(source, AL_GAIN, gain); }
  void SetPitch(AudioSourceId source, float pitch) override { alSourcef(source, AL_PITCH, pitch); }
  void PlaceAtListener(AudioSourceId source) override {
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
  }
  void SetLooping(AudioSourceId source, bool loop) override { alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE); }
  void AttachBuffer(AudioSourceId source, AudioBufferId buffer) override {
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
  }
  float SecondsOffset(AudioSourceId source) override {
    ALfloat seconds = 0.0f;
    alGetSourcef(source, AL_SEC_OFFSET, &seconds);
    return seconds;
  }
  int SampleOffset(AudioSourceId source) override { return SourceInteger(source, AL_SAMPLE_OFFSET); }

  void QueueBuffer(AudioSourceId source, AudioBufferId buffer) override { alSourceQueueBuffers(source, 1, &buffer); }
  bool UnqueueBuffer(AudioSourceId source, AudioBufferId* buffer) override {
    alGetError();
    ALuint id = 0;
    alSourceUnqueueBuffers(source, 1, &id);
    if (alGetError() != AL_NO_ERROR) return false;
    *buffer = id;
    return true;
  }
  int BuffersProcessed(AudioSourceId source) override { return SourceInteger(source, AL_BUFFERS_PROCESSED); }
  int BuffersQueued(AudioSourceId source) override { return SourceInteger(source, AL_BUFFERS_QUEUED); }

  bool CreateBuffers(int count, AudioBufferId* buffers) override {
    alGetError();
    alGenBuffers(count, buffers);
    return alGetError() == AL_NO_ERROR;
  }
  void DeleteBuffers(int count, const AudioBufferId* buffers) override { alDeleteBuffers(count, buffers); }
  void FillBuffer(AudioBufferId buffer, int channels, const void* pcm, size_t bytes, int rate) override {
    alBufferData(buffer, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, pcm, static_cast<ALsizei>(bytes),
                 rate);
  }
};

}  // namespace

AudioBackend& AudioBackend_OpenAL() {
  static OpenALBackend backend;
  return backend;
}

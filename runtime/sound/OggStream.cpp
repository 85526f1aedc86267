// SPDX-License-Identifier: Zlib
// Ogg channels: a streamed voice plays through two device buffers that the
// streaming thread keeps full. Each buffer carries one 16384-byte half of the
// channel's decode area; as soon as the device has played a buffer, the thread
// unqueues it, decodes the next half into it and queues it again behind the
// other. At the end of the file a looping channel goes on from the start
// (filling the half to the brim, so every buffer but the last of a one-shot
// track is full and the position rule holds across loops); a one-shot channel
// lets the queue run out and is then retired, which frees its voice.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "base/Console.h"
#include "platform/RegularFile.h"
#include "sound/AudioState.h"

namespace {

using Clock = std::chrono::steady_clock;

AudioBackend& Device() { return Audio_Device(); }

std::string SoundFilePath(const CSound& sound) {
  std::string file = sound.fileName.empty() ? sound.name + ".ogg" : sound.fileName;
  const std::string& base = Audio_State().baseFolder;
  if (base.empty() || file.front() == '/') return file;
  return base.back() == '/' ? base + file : base + "/" + file;
}

// Decodes one half into the channel's area and queues it on `buffer`.
// Returns false when the decoder had nothing more.
bool QueueNextHalf(CVoice& voice, AudioBufferId buffer) {
  OggChannel& ch = voice.channel;
  uint8_t* half = ch.area + static_cast<size_t>(ch.nextHalf) * OGG_HALF_BYTES;
  size_t bytes = ch.decoder->Fill(half, OGG_HALF_BYTES, ch.loop);
  // Only whole sample frames go to the device.
  size_t frameBytes = static_cast<size_t>(ch.channels) * 2;
  bytes -= bytes % frameBytes;
  if (bytes == 0) {
    ch.ended = true;
    return false;
  }
  if (bytes < OGG_HALF_BYTES) ch.ended = true;
  Device().FillBuffer(buffer, ch.channels, half, bytes, ch.rate);
  Device().QueueBuffer(voice.source, buffer);
  ch.nextHalf ^= 1;
  return true;
}

void RetireChannel(CVoice& voice) {
  OggChannel& ch = voice.channel;
  Device().Stop(voice.source);
  // Detaching the buffer list also unqueues whatever is left.
  Device().AttachBuffer(voice.source, 0);
  ch.decoder.reset();
  ch.running = false;
  ch.paused = false;
}

void PumpChannel(CVoice& voice, AudioStreamStats& stats) {
  OggChannel& ch = voice.channel;
  if (!ch.running || ch.paused) return;
  int processed = Device().BuffersProcessed(voice.source);
  while (processed-- > 0) {
    AudioBufferId buffer = 0;
    if (!Device().UnqueueBuffer(voice.source, &buffer)) break;
    ++ch.buffersPlayed;
    if (ch.ended) continue;
    auto start = Clock::now();
    bool queued = QueueNextHalf(voice, buffer);
    double micros = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    if (queued) {
      ++stats.refills;
      stats.totalRefillMicros += micros;
      if (micros > stats.maxRefillMicros) stats.maxRefillMicros = micros;
    }
  }
  AudioSourceState state = Device().State(voice.source);
  int queuedCount = Device().BuffersQueued(voice.source);
  if (state == AudioSourceState::Stopped || state == AudioSourceState::Initial) {
    if (queuedCount > 0) {
      // The device played everything before the refill came: start again.
      ++stats.underruns;
      Device().Play(voice.source);
    } else if (ch.ended) {
      RetireChannel(voice);
      voice.active.store(false, std::memory_order_release);
      ++stats.finished;
    }
  }
}

void ThreadMain() {
  AudioState& st = Audio_State();
  std::unique_lock<std::mutex> lock(st.oggMutex);
  while (!st.threadStop) {
    OggStream_PumpLocked();
    st.wake.wait_for(lock, std::chrono::milliseconds(OGG_POLL_MILLISECONDS));
  }
}

}  // namespace

std::unique_ptr<OggDecoder> OggStream_OpenSound(CSound& sound) {
  AudioState& st = Audio_State();
  auto decoder = std::make_unique<OggDecoder>();
  int rc;
  std::string shownName;
  if (sound.audioIndex >= 0) {
    if (static_cast<size_t>(sound.audioIndex) >= st.embedded.size()) {
      DebugConsole().Output("COggAudio::PlaySound- could not find audio file for sound %s\n", sound.name.c_str());
      return nullptr;
    }
    const EmbeddedFile& file = st.embedded[static_cast<size_t>(sound.audioIndex)];
    shownName = sound.name;
    rc = decoder->OpenMemory(file.data, file.size);
  } else {
    std::string path = SoundFilePath(sound);
    RegularFile file;
    FileProblem problem;
    uint64_t size = 0;
    std::FILE* f = nullptr;
    if (file.Open(path, OGG_FILE_MAX_BYTES, &problem)) {
      size = file.Size();
      f = file.ReleaseStream(&problem);
    }
    if (!f) {
      if (problem.refusal == FileRefusal::kMissing) {
        DebugConsole().Output("COggAudio::PlaySound- could not find audio file for sound %s\n", sound.name.c_str());
      } else {
        DebugConsole().Output("Could not open Ogg file %s: %s\n", path.c_str(), FileProblem_Text(problem).c_str());
      }
      return nullptr;
    }
    shownName = path;
    rc = decoder->OpenFile(f, size);
  }
  if (rc != 0) {
    DebugConsole().Output("Could not open Ogg file %s\n", shownName.c_str());
    DebugConsole().Output("ov_open error %d\n", rc);
    return nullptr;
  }
  if (decoder->Channels() != 1 && decoder->Channels() != 2) {
    // The device takes mono or stereo 16-bit buffers only.
    DebugConsole().Output("Could not open Ogg file %s\n", shownName.c_str());
    return nullptr;
  }
  if (sound.length < 0.0f && decoder->LengthSeconds() >= 0.0) {
    sound.length = static_cast<float>(decoder->LengthSeconds());
  }
  return decoder;
}

bool OggStream_Start(CVoice& voice, std::unique_ptr<OggDecoder> decoder, bool loop) {
  OggChannel& ch = voice.channel;
  if (ch.buffers[0] == 0) {
    if (!Device().CreateBuffers(OGG_BUFFER_COUNT, ch.buffers)) {
      ch.buffers[0] = ch.buffers[1] = 0;
      return false;
    }
  }
  ch.decoder = std::move(decoder);
  ch.channels = ch.decoder->Channels();
  ch.rate = ch.decoder->Rate();
  ch.length = ch.decoder->LengthSeconds();
  ch.loop = loop;
  ch.paused = false;
  ch.ended = false;
  ch.nextHalf = 0;
  ch.buffersPlayed = 0;
  ch.startTime = 0.0;
  Device().AttachBuffer(voice.source, 0);
  Device().SetLooping(voice.source, false);
  int queued = 0;
  for (int i = 0; i < OGG_BUFFER_COUNT && !ch.ended; ++i) {
    if (QueueNextHalf(voice, ch.buffers[i])) ++queued;
  }
  if (queued == 0) {
    ch.decoder.reset();
    return false;
  }
  Device().Play(voice.source);
  ch.running = true;
  return true;
}

void OggStream_Stop(CVoice& voice) {
  if (voice.channel.running || voice.channel.decoder) RetireChannel(voice);
}

void OggStream_PumpLocked() {
  AudioState& st = Audio_State();
  for (int i = 0; i < st.voiceCount; ++i) {
    CVoice& voice = *st.voices[i];
    if (voice.streamed && voice.active.load(std::memory_order_relaxed)) PumpChannel(voice, st.stats);
  }
}

double OggStream_PositionRule(int64_t buffersPlayed, int sampleOffset, int channels, int rate, double startTime,
                              double length, bool loop) {
  if (rate <= 0 || channels <= 0) return 0.0;
  const double framesPerBuffer = static_cast<double>(OGG_HALF_BYTES / (static_cast<size_t>(channels) * 2));
  double position = (static_cast<double>(buffersPlayed) * framesPerBuffer + sampleOffset) / rate + startTime;
  if (length > 0.0 && position > length) position = loop ? std::fmod(position, length) : length;
  return position;
}

double OggStream_Position(const CVoice& voice) {
  const OggChannel& ch = voice.channel;
  if (!ch.running) return 0.0;
  int offset = Device().SampleOffset(voice.source);
  return OggStream_PositionRule(ch.buffersPlayed, offset, ch.channels, ch.rate, ch.startTime, ch.length, ch.loop);
}

void OggStream_StartThread() {
  AudioState& st = Audio_State();
  st.threadStop = false;
  st.thread = std::thread(ThreadMain);
}

void OggStream_StopThread() {
  AudioState& st = Audio_State();
  if (!st.thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(st.oggMutex);
    st.threadStop = true;
  }
  st.wake.notify_all();
  st.thread.join();
}

bool OggStream_DecodeWhole(CSound& sound) {
  if (sound.buffer != 0) return true;
  if (sound.decodeFailed) return false;
  std::unique_ptr<OggDecoder> decoder = OggStream_OpenSound(sound);
  if (!decoder) {
    sound.decodeFailed = true;
    return false;
  }
  std::vector<uint8_t> pcm;
  uint8_t chunk[OGG_HALF_BYTES];
  for (;;) {
    size_t got = decoder->Read(chunk, sizeof chunk);
    if (got == 0) break;
    pcm.insert(pcm.end(), chunk, chunk + got);
  }
  size_t frameBytes = static_cast<size_t>(decoder->Channels()) * 2;
  pcm.resize(pcm.size() - pcm.size() % frameBytes);
  if (pcm.empty() || pcm.size() > 0x7fffffff) {
    sound.decodeFailed = true;
    return false;
  }
  Device().TakeError();
  if (Device().CreateBuffers(1, &sound.buffer)) {
    Device().FillBuffer(sound.buffer, decoder->Channels(), pcm.data(), pcm.size(), decoder->Rate());
  }
  if (Device().TakeError() != 0 || sound.buffer == 0) {
    if (sound.buffer) Device().DeleteBuffers(1, &sound.buffer);
    sound.buffer = 0;
    sound.decodeFailed = true;
    return false;
  }
  if (sound.length < 0.0f) {
    sound.length = static_cast<float>(static_cast<double>(pcm.size() / frameBytes) / decoder->Rate());
  }
  return true;
}

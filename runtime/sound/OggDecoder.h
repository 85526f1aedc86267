// SPDX-License-Identifier: Zlib
// Ogg Vorbis decoding to 16-bit little-endian interleaved PCM. The decoder
// reads either a byte range held in memory or an open file, always through
// libvorbisfile's callback interface, so every byte it sees passes through our
// own bounds-checked read and seek. It knows nothing of the audio device: the
// streaming code hands it a buffer to fill, and the fuzz target hands it bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class OggDecoder {
 public:
  OggDecoder();
  ~OggDecoder();
  OggDecoder(const OggDecoder&) = delete;
  OggDecoder& operator=(const OggDecoder&) = delete;

  // Opens a stream over bytes that stay owned by the caller and must outlive
  // the decoder. Returns 0, or libvorbisfile's negative error code.
  int OpenMemory(const uint8_t* data, size_t size);
  // Takes ownership of an open file (closed by Close, also on failure) and
  // reads its first `size` bytes only, as if the file ended there: a file
  // that grows while it plays is read no further than it was checked.
  // Returns 0, or libvorbisfile's negative error code.
  int OpenFile(FILE* file, uint64_t size);
  void Close();
  bool IsOpen() const { return open_; }

  int Channels() const { return channels_; }
  int Rate() const { return rate_; }
  // Length in seconds, or -1 when the stream cannot tell (not seekable or
  // damaged).
  double LengthSeconds() const { return lengthSeconds_; }

  // Decodes up to `bytes` bytes of PCM (a whole number of sample frames is
  // not guaranteed by the library; callers ask for multiples of 4). Returns
  // the bytes written; 0 at the end of the stream or after an unrecoverable
  // decoding error (Failed() then tells which).
  size_t Read(uint8_t* out, size_t bytes);
  // Fills `bytes` completely unless the stream ends first. When `loop` is set
  // the stream restarts from its beginning at its end, so that a looping
  // track fills every half to the brim. Returns the bytes written.
  size_t Fill(uint8_t* out, size_t bytes, bool loop);
  // Goes back to the first sample. False when the stream cannot seek.
  bool Rewind();
  bool Failed() const { return failed_; }

  // The byte source behind the callbacks; public so the C callbacks can reach it.
  // Both kinds are read within [0, size).
  struct Source {
    const uint8_t* data = nullptr;  // memory source
    uint64_t size = 0;
    uint64_t position = 0;
    FILE* file = nullptr;  // file source
  };

 private:
  int OpenWithSource();

  struct VorbisFileHolder;  // hides OggVorbis_File so that users need no vorbis headers
  VorbisFileHolder* vf_;
  Source source_;
  bool open_ = false;
  bool failed_ = false;
  int channels_ = 0;
  int rate_ = 0;
  double lengthSeconds_ = -1.0;
};

// SPDX-License-Identifier: Zlib
// Ogg Vorbis decoding through libvorbisfile's callbacks (see OggDecoder.h).
// This file depends on libvorbisfile and the C library only, so that the fuzz
// target can compile it on its own with coverage instrumentation.
#include "sound/OggDecoder.h"

#include <cstring>
#include <new>

// The header's static default callback tables would be unused here.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

struct OggDecoder::VorbisFileHolder {
  OggVorbis_File file;
};

namespace {

// The library keeps positions as signed 64-bit numbers; a source is refused
// past this size, so position arithmetic cannot overflow.
constexpr uint64_t kMaxSourceBytes = uint64_t{1} << 62;

// ---- Callbacks over a byte range in memory or a file ----
// Every position is checked against the size by subtraction, never by adding
// to the position first, so no request can read past the end. A file is read
// as if it ended at its size, whatever it holds beyond.

size_t SourceRead(void* out, size_t size, size_t count, void* datasource) {
  auto* src = static_cast<OggDecoder::Source*>(datasource);
  if (size == 0 || count == 0 || src->position >= src->size) return 0;
  uint64_t items = (src->size - src->position) / size;
  if (items > count) items = count;
  if (!src->file) {
    std::memcpy(out, src->data + src->position, static_cast<size_t>(items) * size);
    src->position += items * size;
    return static_cast<size_t>(items);
  }
  size_t got = std::fread(out, size, static_cast<size_t>(items), src->file);
  // A partial item still moved the file on; the position follows the file.
  off_t now = ftello(src->file);
  src->position = now >= 0 ? static_cast<uint64_t>(now) : src->size;
  return got;
}

int SourceSeek(void* datasource, ogg_int64_t offset, int whence) {
  auto* src = static_cast<OggDecoder::Source*>(datasource);
  // At most kMaxSourceBytes: every sum below stays in range.
  const ogg_int64_t size = static_cast<ogg_int64_t>(src->size);
  ogg_int64_t base;
  switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<ogg_int64_t>(src->position); break;
    case SEEK_END: base = size; break;
    default: return -1;
  }
  if (offset < -base) return -1;
  if (offset > size - base) return -1;
  const ogg_int64_t target = base + offset;
  if (src->file && fseeko(src->file, static_cast<off_t>(target), SEEK_SET) != 0) return -1;
  src->position = static_cast<uint64_t>(target);
  return 0;
}

long SourceTell(void* datasource) {
  return static_cast<long>(static_cast<OggDecoder::Source*>(datasource)->position);
}

// Closing is done by OggDecoder::Close, so that a failed open (after which
// libvorbisfile does not call close) and a successful one end the same way.
int NoClose(void*) { return 0; }

}  // namespace

OggDecoder::OggDecoder() : vf_(new (std::nothrow) VorbisFileHolder()) {}

OggDecoder::~OggDecoder() {
  Close();
  delete vf_;
}

int OggDecoder::OpenMemory(const uint8_t* data, size_t size) {
  Close();
  source_ = Source{};
  source_.data = data;
  source_.size = data ? size : 0;
  if (source_.size > kMaxSourceBytes) source_ = Source{};
  return OpenWithSource();
}

int OggDecoder::OpenFile(FILE* file, uint64_t size) {
  Close();
  source_ = Source{};
  source_.file = file;
  source_.size = size;
  if (!file || size > kMaxSourceBytes) {
    Close();
    return OV_EREAD;
  }
  return OpenWithSource();
}

int OggDecoder::OpenWithSource() {
  if (!vf_) {
    Close();
    return OV_EFAULT;
  }
  ov_callbacks callbacks = {SourceRead, SourceSeek, NoClose, SourceTell};
  std::memset(&vf_->file, 0, sizeof(vf_->file));
  int rc = ov_open_callbacks(&source_, &vf_->file, nullptr, 0, callbacks);
  if (rc != 0) {
    // libvorbisfile has already released its own state on failure.
    if (source_.file) std::fclose(source_.file);
    source_ = Source{};
    return rc;
  }
  open_ = true;
  failed_ = false;
  vorbis_info* info = ov_info(&vf_->file, -1);
  if (!info || info->channels <= 0 || info->rate <= 0) {
    Close();
    return OV_EBADHEADER;
  }
  channels_ = info->channels;
  rate_ = static_cast<int>(info->rate);
  lengthSeconds_ = -1.0;
  if (ov_seekable(&vf_->file)) {
    // A file cut short has no final granule position and reports 0: unknown.
    double total = ov_time_total(&vf_->file, -1);
    if (total > 0.0) lengthSeconds_ = total;
  }
  return 0;
}

void OggDecoder::Close() {
  if (open_) {
    ov_clear(&vf_->file);
    open_ = false;
  }
  if (source_.file) std::fclose(source_.file);
  source_ = Source{};
  channels_ = 0;
  rate_ = 0;
  lengthSeconds_ = -1.0;
}

size_t OggDecoder::Read(uint8_t* out, size_t bytes) {
  if (!open_ || failed_) return 0;
  size_t done = 0;
  // A hole in the data (lost or damaged pages) is skipped; the library has
  // resynchronised by the next call. Holes are bounded by the data, but a
  // stream of nothing but holes must still end, hence the cap.
  int holes = 0;
  while (done < bytes) {
    size_t want = bytes - done;
    int chunk = want > 65536 ? 65536 : static_cast<int>(want);
    int section = 0;
    long got = ov_read(&vf_->file, reinterpret_cast<char*>(out + done), chunk, 0 /*little endian*/, 2 /*16-bit*/,
                       1 /*signed*/, &section);
    if (got == 0) break;
    if (got == OV_HOLE) {
      if (++holes > 64) {
        failed_ = true;
        break;
      }
      continue;
    }
    if (got < 0) {
      failed_ = true;
      break;
    }
    done += static_cast<size_t>(got);
    // Chained streams may change their channel count or rate mid-file; the
    // device buffers were made for the first link, so such a file ends here.
    vorbis_info* info = ov_info(&vf_->file, -1);
    if (!info || info->channels != channels_ || info->rate != rate_) {
      failed_ = true;
      break;
    }
  }
  return done;
}

size_t OggDecoder::Fill(uint8_t* out, size_t bytes, bool loop) {
  size_t done = Read(out, bytes);
  // Each pass from the start must yield something, else a stream with no
  // samples at all would spin here for ever; a very short one loops often.
  while (done < bytes && loop && !failed_) {
    if (!Rewind()) break;
    size_t got = Read(out + done, bytes - done);
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool OggDecoder::Rewind() {
  if (!open_ || failed_) return false;
  if (!ov_seekable(&vf_->file)) return false;
  return ov_pcm_seek(&vf_->file, 0) == 0;
}

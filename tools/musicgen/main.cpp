// musicgen: renders the editor's eight background tracks with our own
// synthesiser and writes them as Ogg Vorbis files (stereo, 44100 Hz).
//
//   musicgen --out DIR [--only NAME]   write DIR/<name>.ogg (all, or one)
//   musicgen --list                    print "name bpm tonic seconds"
//
// Deterministic: fixed seeds, our own random generator and a fixed Ogg
// stream serial number, so the same build writes the same bytes.
#include <vorbis/vorbisenc.h>  // Vorbis encoder; pulls in libvorbis and libogg

#include <cstdio>
#include <cstring>
#include <string>

#include "tracks.h"

using namespace musicgen;

namespace {

// Modest size for background music: VBR quality 0.25 (about 70 kbit/s).
constexpr float kQuality = 0.25f;
// Samples handed to the encoder per call.
constexpr int kBlock = 1024;

bool writePage(FILE* f, const ogg_page& og) {
  return std::fwrite(og.header, 1, static_cast<size_t>(og.header_len), f) == static_cast<size_t>(og.header_len) &&
         std::fwrite(og.body, 1, static_cast<size_t>(og.body_len), f) == static_cast<size_t>(og.body_len);
}

bool encode(const std::string& path, const Track& t, const Stereo& pcm, int serial) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::perror(path.c_str());
    return false;
  }
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 2, kRate, kQuality) != 0) {
    std::fprintf(stderr, "musicgen: encoder refused the settings\n");
    std::fclose(f);
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "TITLE", t.name);
  vorbis_comment_add_tag(&vc, "ARTIST", "Mobwright Studio musicgen");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);

  bool ok = true;
  ogg_packet header, comment, code;
  vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comment);
  ogg_stream_packetin(&os, &code);
  ogg_page og;
  while (ogg_stream_flush(&os, &og) != 0) ok = ok && writePage(f, og);

  size_t pos = 0;
  bool eos = false;
  while (!eos) {
    const size_t n = std::min(static_cast<size_t>(kBlock), pcm.size() - pos);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);  // end of stream
    } else {
      float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      std::memcpy(buf[0], &pcm.l[pos], n * sizeof(float));
      std::memcpy(buf[1], &pcm.r[pos], n * sizeof(float));
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      pos += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og) != 0) {
          ok = ok && writePage(f, og);
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) std::fprintf(stderr, "musicgen: writing %s failed\n", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, only;
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc) out = argv[++i];
    else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) only = argv[++i];
    else if (!std::strcmp(argv[i], "--list")) list = true;
    else {
      std::fprintf(stderr, "usage: musicgen --out DIR [--only NAME] | --list\n");
      return 2;
    }
  }
  if (list) {
    for (const Track& t : tracks()) std::printf("%s %g %d %.3f\n", t.name, t.bpm, t.tonic, trackSeconds(t));
    return 0;
  }
  if (out.empty()) {
    std::fprintf(stderr, "usage: musicgen --out DIR [--only NAME] | --list\n");
    return 2;
  }
  bool found = only.empty();
  int serial = 0x4d6f6200;  // fixed, one per track below
  for (const Track& t : tracks()) {
    ++serial;
    if (!only.empty() && only != t.name) continue;
    found = true;
    if (!encode(out + "/" + t.name + ".ogg", t, compose(t), serial)) return 1;
  }
  if (!found) {
    std::fprintf(stderr, "musicgen: no track named %s\n", only.c_str());
    return 2;
  }
  return 0;
}

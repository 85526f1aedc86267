#include "OggFixtures.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<uint8_t> MakeSineOgg(double seconds, int rate, int channels, double frequency) {
  std::vector<uint8_t> out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, rate, 0.4f) != 0) return out;
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1234);
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  while (ogg_stream_flush(&os, &page)) AppendPage(out, page);

  const long total = static_cast<long>(std::lround(seconds * rate));
  long written = 0;
  bool eos = false;
  while (!eos) {
    long count = total - written;
    if (count > 1024) count = 1024;
    if (count > 0) {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(count));
      for (long i = 0; i < count; ++i) {
        float s = static_cast<float>(0.5 * std::sin(2.0 * M_PI * frequency * static_cast<double>(written + i) / rate));
        for (int c = 0; c < channels; ++c) buffer[c][i] = s;
      }
      written += count;
      vorbis_analysis_wrote(&vd, static_cast<int>(count));
    } else {
      vorbis_analysis_wrote(&vd, 0);
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet)) {
        ogg_stream_packetin(&os, &packet);
        while (!eos && ogg_stream_pageout(&os, &page)) {
          AppendPage(out, page);
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string MakeTempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/mobsound_XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  char* made = mkdtemp(buf.data());
  return made ? std::string(made) : std::string();
}

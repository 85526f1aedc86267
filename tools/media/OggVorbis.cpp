// SPDX-License-Identifier: Zlib
#include "OggVorbis.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace media {

namespace {

// Samples handed to the encoder per call.
constexpr size_t kBlock = 1024;

void AppendPage(std::vector<uint8_t>* out, const ogg_page& page) {
  out->insert(out->end(), page.header, page.header + page.header_len);
  out->insert(out->end(), page.body, page.body + page.body_len);
}

}  // namespace

bool Vorbis_Encode(const VorbisFormat& format, size_t frames, const VorbisSource& source, std::vector<uint8_t>* out) {
  out->clear();
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, format.channels, format.rate, format.quality) != 0) {
    vorbis_info_clear(&vi);
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  for (const auto& [tag, value] : format.tags) vorbis_comment_add_tag(&vc, tag.c_str(), value.c_str());
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, format.serial);

  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);

  size_t written = 0;
  bool eos = false;
  while (!eos) {
    const size_t count = std::min(kBlock, frames - written);
    if (count == 0) {
      vorbis_analysis_wrote(&vd, 0);  // end of stream
    } else {
      source(vorbis_analysis_buffer(&vd, static_cast<int>(count)), written, count);
      vorbis_analysis_wrote(&vd, static_cast<int>(count));
      written += count;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet)) {
        ogg_stream_packetin(&os, &packet);
        while (!eos && ogg_stream_pageout(&os, &page) != 0) {
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
  return true;
}

}  // namespace media

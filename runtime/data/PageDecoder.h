// SPDX-License-Identifier: Zlib
// Texture pages decoded on a worker thread. Inflating the page's PNG is the
// longest part of start-up; the runner hands the game file to the decoder as
// soon as it has it, so the pages are being decoded while the window and the
// renderer are made and the other chunks are read. The chunk loop then leaves
// such pages undecoded (TexturePage::decodePending) and the graphics layer
// takes the pixels when they are ready.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/PngDecode.h"

// Finds the pages' PNG data in the file (a bounds-checked walk of the chunk
// headers and the TXTR entries; a damaged file gives no pages, and the chunk
// loop reports the damage) and files them for decoding. Replaces the work of
// an earlier call.
void PageDecoder_Queue(const uint8_t* file, size_t size);
// Starts the worker on the filed pages (in file order). A take that waits
// starts it too.
void PageDecoder_Begin();
// Both of the above.
void PageDecoder_Start(const uint8_t* file, size_t size);

// Whether the decoder was given the PNG that starts at `png`.
bool PageDecoder_Has(const uint8_t* png);

enum class PageDecodeResult {
  Decoded,  // *image holds the pixels; the decoder forgets them
  Pending,  // not decoded yet (only when not waiting)
  Failed,   // *error says why
  Unknown,  // the decoder was not given this PNG, or it was taken already
};
// Takes the decoded pixels of the PNG that starts at `png`; wait: block
// until it is decoded.
PageDecodeResult PageDecoder_Take(const uint8_t* png, bool wait, DecodedImage* image, std::string* error);

// Waits for the worker and forgets every page.
void PageDecoder_Stop();

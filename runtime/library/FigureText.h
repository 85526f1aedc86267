// SPDX-License-Identifier: Zlib
// The exported figure as text: the Draw event the editor's export writes (a
// switch over floor(frame), one case per frame, two draw_sprite_ext lines per
// part), read back into frames of parts and written again.
//
// FigureText_Write gives, byte for byte, what the editor's export gives for
// the same parts. FigureText_Read accepts exactly that text and the same
// text with any whitespace, line breaks and comments a person may have added;
// anything else is refused with the line and what was expected there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One part: a fill sprite drawn in white, then its outline in `colour`.
struct FigurePart {
  std::string fillSprite;     // e.g. "spr_shape_6_back"
  std::string outlineSprite;  // e.g. "spr_shape_6_outline"
  bool animating = false;     // drawn with the object's subImage, else frame 0
  double xDif = 0, yDif = 0;  // offset from the object's origin
  double xScale = 1, yScale = 1;
  double rotation = 0;        // degrees
  double alpha = 1;
  uint32_t colour = 0;        // red + 256 green + 65536 blue
  int line = 0;               // the line of its fill call, for messages
};

struct FigureFrame {
  std::vector<FigurePart> parts;  // lowest layer first
};

struct Figure {
  std::vector<FigureFrame> frames;  // in case order, case 0 first
};

// Why a text was refused: the 1-based line where reading stopped and a
// sentence saying what was expected there (no line number in it).
struct FigureTextError {
  int line = 0;
  std::string message;
};

// Reads `text` into `out` (cleared first). On failure returns false, fills
// `error` and leaves `out` empty. A number written with two decimals whose
// value is whole ("1.00", "-0.00", "3.00") is read as a value just short of
// it in magnitude (or just off zero), so that it is written again as it
// stood; every other number is read as written. Refused as well, against
// hostile text: more than 1000 frames, more than 1000 parts in a frame, and a
// number of magnitude 1000000000 or more (or that string() would write so).
bool FigureText_Read(std::string_view text, Figure* out, FigureTextError* error);

// The text of `figure` as the editor's export writes it.
std::string FigureText_Write(const Figure& figure);

// A number as the runtime's string() writes it: whole numbers without a
// decimal point, any other with exactly two decimals.
std::string FigureText_Number(double value);

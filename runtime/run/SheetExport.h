// SPDX-License-Identifier: Zlib
// The figure for any engine: the pictures an exported figure object shows
// over one whole loop, as a PNG sprite sheet with a JSON atlas in the common
// "hash" layout, and as a looping GIF.
//
// The loop is what the game draws: the object's Create sets frame and
// subImage to 0; each step its Step adds 0.33 to subImage (back to 0 at the
// animating sprites' 4 frames) and the playback speed to frame (back to 0 at
// the number of frames), then its Draw shows case floor(frame) with the
// animating parts at sprite frame floor(subImage). The loop ends when both
// are back at 0. A run of steps that show the same picture is one cell, with
// the run's duration.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/FigureText.h"

struct SheetOptions {
  std::string name = "figure";  // the cells' and files' name
  double speed = 0.35;          // figure frames a step
  int scale = 1;                // 1 to 8: cells enlarged by nearest-pixel sampling
};

struct SheetFiles {
  std::vector<uint8_t> png;  // the sheet
  std::string json;          // the atlas
  std::vector<uint8_t> gif;  // the loop
  int cells = 0;
  int steps = 0;             // the loop's length in steps
  // Where the time went, in milliseconds.
  double drawMs = 0, pngMs = 0, gifMs = 0;
};

// The picture the object draws at one step: the figure frame (its case) and
// the animating parts' sprite frame.
struct SheetPicture {
  int frame = 0;
  int subImage = 0;
  bool operator==(const SheetPicture& other) const { return frame == other.frame && subImage == other.subImage; }
};

// One cell: a picture shown for `steps` steps from step `first` (from 0, the
// first drawn step) on.
struct SheetCell {
  SheetPicture picture;
  int first = 0;
  int steps = 0;
};

constexpr int kSheetSubImages = 4;          // the animating sprites' frames
constexpr double kSheetSubImageStep = 0.33;  // their advance a step
constexpr int kSheetStepsPerSecond = 60;
// Longer loops (a very slow speed) are refused rather than drawn for minutes.
constexpr int kSheetMaxSteps = 100000;

// The picture drawn at each step of one loop; `animates[f]` tells whether
// case f has an animating part (else its sprite frame does not matter and is
// kept 0). Empty when frames < 1, speed is not above 0, or the loop is longer
// than kSheetMaxSteps.
std::vector<SheetPicture> SheetLoop_Steps(const std::vector<bool>& animates, double speed);
// Runs of equal pictures.
std::vector<SheetCell> SheetLoop_Cells(const std::vector<SheetPicture>& steps);
// Each cell's duration in 1/unitsPerSecond seconds (1000: milliseconds, 100:
// a GIF's hundredths), rounded so that the running total stays within half
// a unit of the true time.
std::vector<int> SheetLoop_Durations(const std::vector<SheetCell>& cells, int unitsPerSecond);

// Draws the pictures (the game data's sprites must be loaded and a renderer
// running, headless is enough) and makes the three files. False with the
// reason in *error.
bool SheetExport_Make(const Figure& figure, const SheetOptions& options, SheetFiles* out, std::string* error);

// The name of the sheet of a figure file: the file's name without ".ksl",
// or for an object's "Draw.ksl" the object's folder; "figure" when neither
// gives one.
std::string SheetExport_NameOf(const std::string& path);

// --export-sheet: reads the exported Draw event in `file`, draws it and
// writes <name>.png, <name>.json and <name>.gif into `folder` (which must
// exist). Says what it wrote on standard output, or why not on standard
// error; returns the process's exit code (0, or 1 on failure).
int SheetExport_Command(const std::string& file, const std::string& folder, SheetOptions options);

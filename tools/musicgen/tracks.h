// SPDX-License-Identifier: Zlib
// The eight background tracks of the editor's music player: each one a
// small arrangement (tempo, key, chord progression, groove, instruments)
// that compose() turns into a loopable stereo recording.
#pragma once

#include <cstdint>
#include <vector>

#include "synth.h"

namespace musicgen {

enum class BassStyle { Halves, Walking, Funk, Eighths, Octaves };
enum class ChordStyle { Sustain, Stabs, Arpeggio, Comping };

struct Track {
  const char* name;
  double bpm;
  int tonic;  // MIDI pitch of the key's tonic, between 60 and 71 (melody octave)
  bool minor;
  std::vector<int> progression;  // scale degree of each bar's chord, from 0
  bool sevenths;
  double swing;  // delay of the off sixteenths, as a share of a sixteenth
  Instrument chords, melody;
  ChordStyle chordStyle;
  BassStyle bassStyle;
  const char* kick;   // 16 steps per bar: 'x' hit, '.' rest
  const char* snare;
  const char* hat;
  Drum snareSound;
  double density;  // how busy the melody is, 0..1
  uint64_t seed;
};

const std::vector<Track>& tracks();

// Length of a track: whole four-bar phrases, at least 45.5 seconds.
int barCount(const Track& t);
double trackSeconds(const Track& t);

// Renders the whole track. The reverb and echo tails of the end are folded
// back onto the start, so the file loops without a gap or a click.
Stereo compose(const Track& t);

}  // namespace musicgen

// SPDX-License-Identifier: Zlib
#include "tracks.h"

#include <algorithm>
#include <cmath>

namespace musicgen {

const std::vector<Track>& tracks() {
  using I = Instrument;
  static const std::vector<Track> kTracks = {
      {"msc_Main_Cocktail", 104, 62, false, {0, 5, 1, 4}, true, 0.22, I::Keys, I::Bell, ChordStyle::Comping,
       BassStyle::Walking, "x.......x.......", "....x.......x...", "x.x.x.x.x.x.x.x.", Drum::Snare, 0.45, 11},
      {"msc_Main_DatDoe", 90, 65, false, {3, 4, 2, 5}, true, 0.15, I::Keys, I::Pluck, ChordStyle::Sustain,
       BassStyle::Halves, "x.....x...x.....", "....x.......x...", "x.x.x.x.x.x.x.x.", Drum::Clap, 0.4, 23},
      {"msc_Main_PreciseAim", 128, 69, true, {0, 5, 2, 6}, false, 0.0, I::Pluck, I::Lead, ChordStyle::Arpeggio,
       BassStyle::Eighths, "x...x...x...x...", "....x.......x...", "..x...x...x...x.", Drum::Snare, 0.5, 37},
      {"msc_SlimyPickle", 112, 64, true, {0, 3, 4, 0}, false, 0.1, I::Pluck, I::Organ, ChordStyle::Stabs,
       BassStyle::Octaves, "x..x..x...x.....", "....x.......x..x", "x.xxx.xxx.xxx.xx", Drum::Snare, 0.55, 41},
      {"msc_Tutorial", 84, 60, false, {0, 4, 5, 3}, false, 0.0, I::Keys, I::Bell, ChordStyle::Arpeggio,
       BassStyle::Halves, "x.......x.......", "........x.......", "x...x...x...x...", Drum::Clap, 0.35, 5},
      {"msc_Boss1", 150, 61, true, {0, 5, 6, 0}, false, 0.0, I::Pluck, I::Lead, ChordStyle::Arpeggio,
       BassStyle::Eighths, "x.x...x.x.x...x.", "....x.......x...", "xxxxxxxxxxxxxxxx", Drum::Snare, 0.6, 66},
      {"msc_Big_Booty_Beat_Sauce", 98, 67, true, {0, 0, 3, 4}, true, 0.12, I::Keys, I::Lead, ChordStyle::Stabs,
       BassStyle::Funk, "x.....x...x..x..", "....x..x.x..x...", "x.xxx.xxx.xxx.xx", Drum::Clap, 0.45, 77},
      {"msc_ScummyBaby", 120, 70, false, {0, 5, 1, 4}, false, 0.25, I::Organ, I::Keys, ChordStyle::Comping,
       BassStyle::Walking, "x.......x.x.....", "....x.......x...", "x.x.x.x.x.x.x.x.", Drum::Snare, 0.5, 88},
  };
  return kTracks;
}

namespace {

constexpr int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};

// Pitch of scale degree `deg` (any integer) counted from `tonic`.
int pitch(const Track& t, int tonic, int deg) {
  const int oct = static_cast<int>(std::floor(deg / 7.0));
  const int idx = deg - oct * 7;
  return tonic + 12 * oct + (t.minor ? kMinor[idx] : kMajor[idx]);
}

std::vector<int> chordDegrees(const Track& t, int root) {
  std::vector<int> d = {root, root + 2, root + 4};
  if (t.sevenths) d.push_back(root + 6);
  return d;
}

bool isChordTone(const Track& t, int root, int deg) {
  for (int c : chordDegrees(t, root))
    if (((deg - c) % 7 + 7) % 7 == 0) return true;
  return false;
}

struct MelodyNote {
  double beat;  // from the phrase start
  double beats;
  int degree;
};

// A four-bar melody over `roots`: chord tones on strong eighths, steps in
// between, a held chord tone at the end.
std::vector<MelodyNote> makePhrase(const Track& t, const std::vector<int>& roots, Rng& rng) {
  std::vector<MelodyNote> notes;
  int deg = roots[0] + 2 + 7 * (rng.below(2));
  for (int bar = 0; bar < 4; ++bar) {
    const bool last = bar == 3;
    for (int slot = 0; slot < 8; ++slot) {
      const bool strong = slot % 2 == 0;
      if (last && slot >= 5) break;
      double chance = strong ? t.density + 0.25 : t.density - 0.2;
      if (last) chance *= 0.6;
      if (!(bar == 0 && slot == 0) && rng.unit() >= chance) continue;
      if (strong) {
        int target = deg + rng.below(5) - 2;
        for (int k = 0; k < 7 && !isChordTone(t, roots[bar], target); ++k) target += (k % 2 ? k : -k);
        deg = target;
      } else {
        deg += rng.below(2) ? 1 : -1;
      }
      deg = std::clamp(deg, 0, 11);
      notes.push_back({bar * 4 + slot * 0.5, 0.5, deg});
    }
  }
  // End on the tonic chord tone nearest to where the line is.
  int end = deg;
  for (int k = 0; k < 7 && !isChordTone(t, roots[3], end); ++k) end += (k % 2 ? k : -k);
  notes.push_back({14.5, 1.5, std::clamp(end, 0, 11)});
  // Each note lasts to the next onset, at most a beat and a half.
  for (size_t i = 0; i + 1 < notes.size(); ++i)
    notes[i].beats = std::min(1.5, notes[i + 1].beat - notes[i].beat);
  return notes;
}

}  // namespace

int barCount(const Track& t) {
  const double bar = 4 * 60.0 / t.bpm;
  const int phrases = static_cast<int>(std::ceil(45.5 / (bar * 4)));
  return phrases * 4;
}

double trackSeconds(const Track& t) { return barCount(t) * 4 * 60.0 / t.bpm; }

Stereo compose(const Track& t) {
  Rng rng(t.seed);
  const double beat = 60.0 / t.bpm, six = beat / 4;
  const int bars = barCount(t);
  const size_t length = static_cast<size_t>(std::llround(trackSeconds(t) * kRate));
  const size_t tail = static_cast<size_t>(4.0 * kRate);  // room for reverb and echoes
  Stereo drums(length + tail), bass(length + tail), chords(length + tail), lead(length + tail);

  auto stepTime = [&](int bar, int step) {
    return bar * 4 * beat + step * six + ((step % 2) ? t.swing * six : 0.0);
  };
  const int tonicChord = t.tonic - 12, tonicBass = t.tonic - 24 - (t.tonic >= 66 ? 12 : 0);

  // Two melodies, A and B, each over the progression's four bars.
  std::vector<int> roots;
  for (int i = 0; i < 4; ++i) roots.push_back(t.progression[static_cast<size_t>(i) % t.progression.size()]);
  const std::vector<MelodyNote> phraseA = makePhrase(t, roots, rng);
  const std::vector<MelodyNote> phraseB = makePhrase(t, roots, rng);

  for (int bar = 0; bar < bars; ++bar) {
    const int phrase = bar / 4, inPhrase = bar % 4;
    const bool intro = phrase == 0;
    const int root = t.progression[static_cast<size_t>(bar) % t.progression.size()];
    const int nextRoot = t.progression[static_cast<size_t>(bar + 1) % t.progression.size()];
    const double t0 = bar * 4 * beat;
    const std::vector<int> chord = chordDegrees(t, root);

    // Drums: the intro phrase keeps only kick and hats; each phrase's last
    // bar ends with a short snare fill.
    for (int s = 0; s < 16; ++s) {
      const double at = stepTime(bar, s);
      const double accent = (s % 4 == 0) ? 1.0 : 0.75;
      if (t.kick[s] == 'x') playDrum(drums, Drum::Kick, at, 0.9, rng);
      if (!intro && t.snare[s] == 'x') playDrum(drums, t.snareSound, at, 0.7, rng);
      if (t.hat[s] == 'x') playDrum(drums, Drum::Hat, at, 0.35 * accent + 0.05 * rng.unit(), rng);
      if (!intro && inPhrase == 3 && s >= 13 && phrase % 2 == 1) playDrum(drums, Drum::Snare, at, 0.35 + 0.1 * (s - 13), rng);
    }
    if (inPhrase == 0 && !intro) playDrum(drums, Drum::OpenHat, t0, 0.3, rng);

    // Chords, voiced around the octave below the melody.
    switch (t.chordStyle) {
      case ChordStyle::Sustain:
        for (int d : chord) playNote(chords, t.chords, {t0, 4 * beat * 0.95, double(pitch(t, tonicChord, d)), 0.3, 0.0}, rng);
        break;
      case ChordStyle::Stabs:
        for (int s = 2; s < 16; s += 4)
          for (size_t k = 0; k < chord.size(); ++k)
            playNote(chords, t.chords, {stepTime(bar, s), six * 1.2, double(pitch(t, tonicChord, chord[k])), 0.32, -0.3 + 0.2 * k}, rng);
        break;
      case ChordStyle::Arpeggio: {
        const int stepEvery = t.bpm > 110 ? 1 : 2;
        const int order[8] = {0, 1, 2, 3, 2, 1, 0, 1};
        for (int s = 0, i = 0; s < 16; s += stepEvery, ++i) {
          const int idx = order[i % 8] % static_cast<int>(chord.size() + 1);
          const int deg = idx < static_cast<int>(chord.size()) ? chord[static_cast<size_t>(idx)] : chord[0] + 7;
          playNote(chords, t.chords, {stepTime(bar, s), six * stepEvery * 0.9, double(pitch(t, tonicChord, deg)), 0.28, (i % 2) ? 0.35 : -0.35}, rng);
        }
        // A quiet pad underneath holds the harmony.
        for (int d : chord) playNote(chords, Instrument::Pad, {t0, 4 * beat * 0.95, double(pitch(t, tonicChord, d)), 0.12, 0.0}, rng);
        break;
      }
      case ChordStyle::Comping: {
        const double hits[3] = {0, 1.5, 3};
        for (double h : hits)
          for (size_t k = 0; k < chord.size(); ++k)
            playNote(chords, t.chords, {t0 + h * beat + ((h - std::floor(h)) > 0 ? t.swing * six : 0), beat * 0.7,
                                        double(pitch(t, tonicChord, chord[k])), 0.26, -0.25 + 0.17 * k}, rng);
        break;
      }
    }

    // Bass.
    const int rootPitch = pitch(t, tonicBass, root);
    switch (t.bassStyle) {
      case BassStyle::Halves:
        playNote(bass, Instrument::Bass, {t0, beat * 1.8, double(rootPitch), 0.8, 0}, rng);
        playNote(bass, Instrument::Bass, {t0 + 2 * beat, beat * 1.8, double(pitch(t, tonicBass, root + (bar % 2 ? 4 : 0))), 0.7, 0}, rng);
        break;
      case BassStyle::Walking: {
        const int line[3] = {root, root + 2, root + 4};
        for (int b = 0; b < 3; ++b)
          playNote(bass, Instrument::Bass, {t0 + b * beat, beat * 0.85, double(pitch(t, tonicBass, line[b])), 0.75, 0}, rng);
        // Approach the next chord's root from a semitone below.
        playNote(bass, Instrument::Bass, {t0 + 3 * beat, beat * 0.85, double(pitch(t, tonicBass, nextRoot) - 1), 0.7, 0}, rng);
        break;
      }
      case BassStyle::Funk: {
        const char* pat = "x..x..x.x.x...x.";
        for (int s = 0; s < 16; ++s)
          if (pat[s] == 'x')
            playNote(bass, Instrument::Bass, {stepTime(bar, s), six * 1.5, double(rootPitch + ((s == 6 || s == 14) ? 12 : 0)), 0.8, 0}, rng);
        break;
      }
      case BassStyle::Eighths:
        for (int s = 0; s < 16; s += 2)
          playNote(bass, Instrument::Bass, {stepTime(bar, s), six * 1.6, double(rootPitch + (s == 6 ? 12 : 0)), s % 4 ? 0.6 : 0.8, 0}, rng);
        break;
      case BassStyle::Octaves:
        for (int s = 0; s < 16; s += 2)
          playNote(bass, Instrument::Bass, {stepTime(bar, s), six * 1.2, double(rootPitch + ((s / 2) % 2 ? 12 : 0)), 0.7, 0}, rng);
        break;
    }

    // Melody: A, B, A, B... after the intro, every other pass with a new
    // last bar so the repeats do not tire.
    if (!intro && inPhrase == 0) {
      const bool useB = phrase % 2 == 0;
      std::vector<MelodyNote> notes = useB ? phraseB : phraseA;
      if (phrase >= 3) {
        Rng vary(t.seed * 131 + static_cast<uint64_t>(phrase));
        for (MelodyNote& n : notes)
          if (n.beat >= 12 && n.beat < 14.5 && vary.unit() < 0.5) n.degree = std::clamp(n.degree + (vary.below(2) ? 1 : -1), 0, 11);
      }
      for (const MelodyNote& n : notes) {
        const int step = static_cast<int>(std::lround(n.beat * 4));
        const double at = t0 + (step / 16) * 4 * beat + (step % 16) * six + ((step % 2) ? t.swing * six : 0.0);
        playNote(lead, t.melody, {at, n.beats * beat * 0.9, double(pitch(t, t.tonic, n.degree)), 0.5 + 0.1 * rng.unit(), 0.1}, rng);
      }
    }
  }

  // Mix: echoes on the melody, one room for everything but the bass.
  delay(lead, beat * 0.75, 0.35, 0.35);
  Stereo mix(length + tail), send(length + tail);
  for (size_t i = 0; i < mix.size(); ++i) {
    mix.l[i] = drums.l[i] * 0.8f + bass.l[i] * 0.55f + chords.l[i] * 0.5f + lead.l[i] * 0.45f;
    mix.r[i] = drums.r[i] * 0.8f + bass.r[i] * 0.55f + chords.r[i] * 0.5f + lead.r[i] * 0.45f;
    send.l[i] = drums.l[i] * 0.15f + chords.l[i] * 0.5f + lead.l[i] * 0.5f;
    send.r[i] = drums.r[i] * 0.15f + chords.r[i] * 0.5f + lead.r[i] * 0.5f;
  }
  reverb(send, mix, 0.82, 0.3, 0.6);
  lowpass(mix, 12000);

  // Fold the tail over the start, then level and softly limit.
  Stereo out(length);
  for (size_t i = 0; i < length; ++i) {
    out.l[i] = mix.l[i] + (i < tail ? mix.l[length + i] : 0.0f);
    out.r[i] = mix.r[i] + (i < tail ? mix.r[length + i] : 0.0f);
  }
  float peak = 1e-6f;
  for (size_t i = 0; i < length; ++i) peak = std::max({peak, std::abs(out.l[i]), std::abs(out.r[i])});
  const float gain = 0.95f / peak;
  for (size_t i = 0; i < length; ++i) {
    out.l[i] = static_cast<float>(std::tanh(out.l[i] * gain * 1.1) * 0.9);
    out.r[i] = static_cast<float>(std::tanh(out.r[i] * gain * 1.1) * 0.9);
  }
  return out;
}

}  // namespace musicgen

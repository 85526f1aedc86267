// SPDX-License-Identifier: Zlib
// The synthesiser behind musicgen: wavetable oscillators, envelopes, a few
// instruments, drums, and the delay and reverb the tracks are mixed through.
// Everything is plain arithmetic on floats with our own random generator, so
// a track renders to the same samples every time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace musicgen {

inline constexpr int kRate = 44100;

// Small deterministic generator (xorshift64*), seeded per track.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint64_t next() {
    s_ ^= s_ >> 12;
    s_ ^= s_ << 25;
    s_ ^= s_ >> 27;
    return s_ * 0x2545F4914F6CDD1Dull;
  }
  double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
  double noise() { return unit() * 2 - 1; }

 private:
  uint64_t s_;
};

// A stereo buffer of float samples.
struct Stereo {
  std::vector<float> l, r;
  explicit Stereo(size_t n = 0) : l(n, 0.0f), r(n, 0.0f) {}
  size_t size() const { return l.size(); }
  void add(size_t i, double v, double pan) {  // pan -1 left .. 1 right
    if (i >= l.size()) return;
    l[i] += static_cast<float>(v * (1 - pan) * 0.5 * 1.41421356);
    r[i] += static_cast<float>(v * (1 + pan) * 0.5 * 1.41421356);
  }
};

enum class Instrument { Keys, Pluck, Pad, Lead, Bass, Bell, Organ };

struct Note {
  double start;     // seconds
  double length;    // seconds the key is held
  double midi;      // pitch
  double velocity;  // 0..1
  double pan;       // -1..1
};

// Adds one note of `inst` into `out`.
void playNote(Stereo& out, Instrument inst, const Note& n, Rng& rng);

enum class Drum { Kick, Snare, Hat, OpenHat, Clap, Shaker };
void playDrum(Stereo& out, Drum d, double start, double velocity, Rng& rng);

// Stereo feedback delay (ping-pong) mixed into the buffer.
void delay(Stereo& buf, double seconds, double feedback, double wet);
// Room reverb (parallel combs into series all-passes) of `send`, added to `out`.
void reverb(const Stereo& send, Stereo& out, double size, double damping, double wet);
// Gentle low-pass, one pole, to take the edge off a bus.
void lowpass(Stereo& buf, double cutoffHz);

double midiToHz(double m);

}  // namespace musicgen

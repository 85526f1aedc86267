// SPDX-License-Identifier: Zlib
#include "synth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace musicgen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kTable = 4096;

// Band-limited single-cycle tables, built once. Sixteen harmonics keep the
// brightest notes we play below the Nyquist frequency.
struct Tables {
  std::array<float, kTable + 1> sine, saw, square, triangle;
  Tables() {
    for (int i = 0; i <= kTable; ++i) {
      const double ph = 2 * kPi * i / kTable;
      double sw = 0, sq = 0, tr = 0;
      for (int k = 1; k <= 16; ++k) {
        sw += std::sin(k * ph) / k;
        if (k % 2) {
          sq += std::sin(k * ph) / k;
          tr += ((k / 2) % 2 ? -1.0 : 1.0) * std::sin(k * ph) / (double(k) * k);
        }
      }
      sine[i] = static_cast<float>(std::sin(ph));
      saw[i] = static_cast<float>(sw * 0.55);
      square[i] = static_cast<float>(sq * 0.8);
      triangle[i] = static_cast<float>(tr * 0.81);
    }
  }
};

const Tables& tables() {
  static const Tables t;
  return t;
}

double readTable(const std::array<float, kTable + 1>& t, double phase) {
  phase -= std::floor(phase);
  const double x = phase * kTable;
  const int i = static_cast<int>(x);
  const double f = x - i;
  return t[i] + (t[i + 1] - t[i]) * f;
}

// Attack, decay to sustain, release after the key is let go.
double adsr(double t, double held, double a, double d, double s, double r) {
  double level;
  if (t < a) level = t / a;
  else if (t < a + d) level = 1 - (1 - s) * (t - a) / d;
  else level = s;
  if (t > held) {
    const double atRelease = held < a ? held / a : (held < a + d ? 1 - (1 - s) * (held - a) / d : s);
    level = atRelease * std::max(0.0, 1 - (t - held) / r);
  }
  return level;
}

}  // namespace

double midiToHz(double m) { return 440.0 * std::pow(2.0, (m - 69) / 12.0); }

void playNote(Stereo& out, Instrument inst, const Note& n, Rng& rng) {
  const Tables& T = tables();
  const double f = midiToHz(n.midi);
  const size_t start = static_cast<size_t>(n.start * kRate);
  double release = 0.2, total;
  switch (inst) {
    case Instrument::Pad: release = 0.9; break;
    case Instrument::Bell: release = 1.6; break;
    case Instrument::Pluck: release = 0.25; break;
    case Instrument::Keys: release = 0.5; break;
    default: break;
  }
  total = n.length + release;
  const size_t count = static_cast<size_t>(total * kRate);
  // Small random detune and phase so repeated notes do not sound stamped.
  const double detune = 1 + rng.noise() * 0.0015;
  double p1 = rng.unit(), p2 = rng.unit(), p3 = rng.unit();
  double lp = 0;  // one-pole filter state
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kRate;
    double v = 0;
    switch (inst) {
      case Instrument::Keys: {  // electric piano: FM with a fading index
        const double env = adsr(t, n.length, 0.004, 1.2, 0.35, release) * std::exp(-t * 0.8);
        const double index = 1.6 * std::exp(-t * 6) + 0.25;
        v = readTable(T.sine, p1 + readTable(T.sine, p2) * index / (2 * kPi)) * env;
        p1 += f * detune / kRate;
        p2 += f * 2 / kRate;
        break;
      }
      case Instrument::Pluck: {  // bright attack that darkens quickly
        const double env = adsr(t, n.length, 0.002, 0.3, 0.0, release) * std::exp(-t * 3.5);
        const double raw = readTable(T.saw, p1);
        const double cut = std::min(0.95, 0.08 + 0.6 * std::exp(-t * 14));
        lp += (raw - lp) * cut;
        v = lp * env * 1.3;
        p1 += f * detune / kRate;
        break;
      }
      case Instrument::Pad: {  // three detuned saws, slow swell, soft filter
        const double env = adsr(t, n.length, 0.35, 0.6, 0.8, release);
        const double raw = readTable(T.saw, p1) + readTable(T.saw, p2) + readTable(T.triangle, p3);
        lp += (raw - lp) * 0.07;
        v = lp * env * 0.33;
        p1 += f * 1.004 / kRate;
        p2 += f * 0.996 / kRate;
        p3 += f * 0.5 / kRate;
        break;
      }
      case Instrument::Lead: {  // soft square with delayed vibrato
        const double env = adsr(t, n.length, 0.015, 0.15, 0.7, release);
        const double vib = 1 + 0.004 * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t * 3);
        const double raw = 0.6 * readTable(T.square, p1) + 0.4 * readTable(T.triangle, p2);
        lp += (raw - lp) * 0.25;
        v = lp * env;
        p1 += f * vib * detune / kRate;
        p2 += f * vib * 1.003 / kRate;
        break;
      }
      case Instrument::Bass: {  // sine body, a touch of square, rounded by tanh
        const double env = adsr(t, n.length, 0.006, 0.25, 0.6, 0.08);
        const double raw = readTable(T.sine, p1) + 0.35 * readTable(T.square, p2);
        lp += (raw - lp) * 0.12;
        v = std::tanh(lp * 1.6) * env * 0.9;
        p1 += f / kRate;
        p2 += f / kRate;
        break;
      }
      case Instrument::Bell: {  // inharmonic FM, long ring
        const double env = std::exp(-t * 2.2) * std::min(1.0, t / 0.002) * (t > n.length ? std::max(0.0, 1 - (t - n.length) / release) : 1.0);
        v = readTable(T.sine, p1 + readTable(T.sine, p2) * 0.35 * std::exp(-t * 3)) * env * 0.8;
        p1 += f / kRate;
        p2 += f * 3.5 / kRate;
        break;
      }
      case Instrument::Organ: {  // drawbar-like sum of octaves
        const double env = adsr(t, n.length, 0.01, 0.05, 0.9, 0.06);
        v = (readTable(T.sine, p1) + 0.5 * readTable(T.sine, p1 * 2) + 0.25 * readTable(T.sine, p1 * 3)) * env * 0.5;
        p1 += f / kRate;
        break;
      }
    }
    out.add(start + i, v * n.velocity, n.pan);
  }
}

void playDrum(Stereo& out, Drum d, double start, double velocity, Rng& rng) {
  const size_t s0 = static_cast<size_t>(start * kRate);
  double len = 0.3, hp = 0, prev = 0, bp = 0, phase = 0;
  switch (d) {
    case Drum::Kick: len = 0.45; break;
    case Drum::Snare: len = 0.3; break;
    case Drum::Hat: len = 0.06; break;
    case Drum::OpenHat: len = 0.3; break;
    case Drum::Clap: len = 0.25; break;
    case Drum::Shaker: len = 0.08; break;
  }
  const size_t n = static_cast<size_t>(len * kRate);
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double white = rng.noise();
    double v = 0, pan = 0;
    switch (d) {
      case Drum::Kick: {
        const double f = 45 + 110 * std::exp(-t * 30);
        phase += f / kRate;
        v = std::sin(2 * kPi * phase) * std::exp(-t * 7) + 0.3 * white * std::exp(-t * 300);
        v = std::tanh(v * 1.4) * 0.95;
        break;
      }
      case Drum::Snare: {
        phase += 185.0 / kRate;
        hp = 0.75 * (hp + white - prev);
        prev = white;
        v = 0.55 * hp * std::exp(-t * 16) + 0.5 * std::sin(2 * kPi * phase) * std::exp(-t * 25);
        pan = 0.05;
        break;
      }
      case Drum::Hat:
      case Drum::OpenHat: {
        hp = 0.4 * (hp + white - prev);  // strong high-pass
        prev = white;
        v = hp * std::exp(-t * (d == Drum::Hat ? 70 : 11)) * 0.55;
        pan = 0.25;
        break;
      }
      case Drum::Clap: {
        bp += (white - bp) * 0.35;
        const double bursts = (t < 0.03) ? (std::fmod(t, 0.01) < 0.004 ? 1.0 : 0.3) : 1.0;
        v = bp * bursts * std::exp(-t * 14) * 0.9;
        pan = -0.1;
        break;
      }
      case Drum::Shaker: {
        hp = 0.5 * (hp + white - prev);
        prev = white;
        v = hp * std::sin(kPi * t / len) * 0.35;
        pan = -0.3;
        break;
      }
    }
    out.add(s0 + i, v * velocity, pan);
  }
}

void delay(Stereo& buf, double seconds, double feedback, double wet) {
  const size_t d = static_cast<size_t>(seconds * kRate);
  std::vector<float> lineL(d, 0.0f), lineR(d, 0.0f);
  size_t pos = 0;
  for (size_t i = 0; i < buf.size(); ++i) {
    const float outL = lineL[pos], outR = lineR[pos];
    // Ping-pong: each echo crosses to the other side.
    lineL[pos] = static_cast<float>(buf.l[i] * 0.6 + outR * feedback);
    lineR[pos] = static_cast<float>(buf.r[i] * 0.6 + outL * feedback);
    buf.l[i] += static_cast<float>(outL * wet);
    buf.r[i] += static_cast<float>(outR * wet);
    pos = (pos + 1) % d;
  }
}

namespace {

struct Comb {
  std::vector<float> line;
  size_t pos = 0;
  float store = 0;
  float process(float in, float feedback, float damp) {
    const float out = line[pos];
    store = out * (1 - damp) + store * damp;
    line[pos] = in + store * feedback;
    pos = (pos + 1) % line.size();
    return out;
  }
};

struct AllPass {
  std::vector<float> line;
  size_t pos = 0;
  float process(float in) {
    const float b = line[pos];
    line[pos] = in + b * 0.5f;
    pos = (pos + 1) % line.size();
    return b - in;
  }
};

}  // namespace

void reverb(const Stereo& send, Stereo& out, double size, double damping, double wet) {
  // Delay lengths in samples at 44.1 kHz (mutually prime-ish so the echoes
  // do not line up); the right channel is slightly longer for width.
  const int combLen[4] = {1116, 1277, 1422, 1557};
  const int apLen[2] = {556, 341};
  for (int ch = 0; ch < 2; ++ch) {
    const int spread = ch ? 23 : 0;
    std::vector<Comb> combs(4);
    std::vector<AllPass> aps(2);
    for (int i = 0; i < 4; ++i) combs[i].line.assign(static_cast<size_t>(combLen[i] + spread), 0.0f);
    for (int i = 0; i < 2; ++i) aps[i].line.assign(static_cast<size_t>(apLen[i] + spread), 0.0f);
    const std::vector<float>& in = ch ? send.r : send.l;
    std::vector<float>& dst = ch ? out.r : out.l;
    const float fb = static_cast<float>(size), damp = static_cast<float>(damping);
    for (size_t i = 0; i < in.size(); ++i) {
      const float x = in[i] * 0.2f;
      float acc = 0;
      for (Comb& c : combs) acc += c.process(x, fb, damp);
      for (AllPass& a : aps) acc = a.process(acc);
      dst[i] += static_cast<float>(acc * wet);
    }
  }
}

void lowpass(Stereo& buf, double cutoffHz) {
  const double a = 1 - std::exp(-2 * kPi * cutoffHz / kRate);
  double l = 0, r = 0;
  for (size_t i = 0; i < buf.size(); ++i) {
    l += (buf.l[i] - l) * a;
    r += (buf.r[i] - r) * a;
    buf.l[i] = static_cast<float>(l);
    buf.r[i] = static_cast<float>(r);
  }
}

}  // namespace musicgen

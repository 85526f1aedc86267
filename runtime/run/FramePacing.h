// SPDX-License-Identifier: Zlib
// Frame pacing: waits until the next frame is due and counts frames per
// second. The wait sleeps coarsely (whole milliseconds) for all of it but the
// sleep margin; the margin, whose end must be precise, is slept in short
// precise slices with window messages drained between them, and only its last
// few hundred microseconds are busy-waited. The clock is passed in so that
// the arithmetic can be tested with a fake one.
#pragma once

#include <cstdint>

struct PacingClock {
  int64_t (*now)();                   // microseconds
  void (*sleepMilliseconds)(int64_t); // coarse: about that many milliseconds
  void (*drain)();                    // drains window messages while the margin is waited
  void (*sleepUntil)(int64_t);        // precise: until now() reads that time
};

// A wait never exceeds this, however slow the game speed.
constexpr int64_t FRAME_WAIT_CAP_US = 3000000;

// The margin is slept in slices of at most PACING_SLICE_US, and the last
// PACING_SPIN_US before the frame is due are busy-waited.
//
// The slice: window messages are drained between slices, so no message waits
// longer than a slice, which is well under a frame and under what a person
// or the window system notices; each slice costs a wake-up and a drain (some
// microseconds of CPU), so ten of them in a 10 ms margin stay far below the
// frame's own work.
//
// The spin window: a precise 1 ms sleep wakes late by some tens of
// microseconds (median about 40 us measured on our shared two-core machine
// under heavy load) and by at most a few hundred in nine cases of ten; later
// wake-ups are the scheduler stopping the thread for milliseconds, which a
// busy wait suffers as well. Sleeping to 500 us before the deadline and
// spinning the rest absorbs the usual lateness, so the frame still ends
// within microseconds of its deadline, at the cost of about 0.5 ms of CPU a
// frame. (On a quiet machine, bench_runner pacing measured a p99 deviation
// of 51 us with a 300 us window and 1.7 us with 500 us.)
constexpr int64_t PACING_SLICE_US = 1000;
constexpr int64_t PACING_SPIN_US = 500;

class FramePacer {
 public:
  // Waits for the next frame at `rate` frames per second (60 when rate <= 0).
  // Returns the wait in microseconds (0 for a late frame).
  int64_t Wait(double rate, int sleepMarginMs, bool waitEnabled, const PacingClock& clock);
  int Fps() const { return fps_; }
  void Reset() { started_ = false; }

 private:
  bool started_ = false;
  double deadline_ = 0;  // when the previous frame was due (absolute, so periods never drift)
  int64_t secondStart_ = 0;
  int framesThisSecond_ = 0;
  int fps_ = 0;
};

// SPDX-License-Identifier: Zlib
#include "run/FramePacing.h"

#include <algorithm>

namespace {
constexpr double kMicrosPerSecond = 1000000.0;
}

int64_t FramePacer::Wait(double rate, int sleepMarginMs, bool waitEnabled, const PacingClock& clock) {
  if (rate <= 0) rate = 60;
  const double period = kMicrosPerSecond / rate;
  int64_t start = clock.now();
  if (!started_) {
    started_ = true;
    deadline_ = static_cast<double>(start) - period;  // the first frame goes at once
    secondStart_ = start;
    framesThisSecond_ = 0;
  }

  // The wait is the period less the time since the previous frame was due,
  // clamped to 0..1 s; a late frame goes at once and the schedule restarts from now.
  double wait = std::clamp(period - (static_cast<double>(start) - deadline_), 0.0, kMicrosPerSecond);
  int64_t waited = 0;
  if (waitEnabled && wait > 0) {
    wait = std::min(wait, static_cast<double>(FRAME_WAIT_CAP_US));
    const double margin = static_cast<double>(std::max(sleepMarginMs, 0)) * 1000.0;
    if (wait > margin) clock.sleepMilliseconds(static_cast<int64_t>((wait - margin) / 1000.0));
    const double due = static_cast<double>(start) + wait;
    // The margin: precise slices up to the spin window, a drain after each
    // slice, then the busy wait that ends the frame on time.
    const int64_t sleepEnd = static_cast<int64_t>(due) - PACING_SPIN_US;
    for (int64_t now = clock.now(); static_cast<double>(now) < due; now = clock.now()) {
      if (now < sleepEnd) clock.sleepUntil(std::min(now + PACING_SLICE_US, sleepEnd));
      clock.drain();
    }
    deadline_ = due;
    waited = static_cast<int64_t>(wait);
  } else {
    deadline_ = static_cast<double>(waitEnabled ? start : clock.now());
  }

  // A frame that starts a new second is the first of that second.
  int64_t now = clock.now();
  while (now - secondStart_ >= static_cast<int64_t>(kMicrosPerSecond)) {
    fps_ = framesThisSecond_;
    framesThisSecond_ = 0;
    secondStart_ += static_cast<int64_t>(kMicrosPerSecond);
  }
  ++framesThisSecond_;
  return waited;
}

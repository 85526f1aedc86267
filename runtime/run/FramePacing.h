// Frame pacing: waits until the next frame is due, sleeping for all of the
// wait but the sleep margin and busy-waiting the rest while draining window
// messages; counts frames per second. The clock is passed in so that the
// arithmetic can be tested with a fake one.
#pragma once

#include <cstdint>

struct PacingClock {
  int64_t (*now)();                   // microseconds
  void (*sleepMilliseconds)(int64_t);
  void (*drain)();                    // drains window messages during the busy part
};

// A wait never exceeds this, however slow the game speed.
constexpr int64_t FRAME_WAIT_CAP_US = 3000000;

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

// SPDX-License-Identifier: Zlib
#include "platform/Clock.h"

#include <sys/prctl.h>

#include <cerrno>
#include <ctime>

namespace {
constexpr int64_t kMicrosPerSecond = 1000000;

int64_t ToMicros(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * kMicrosPerSecond + t.tv_nsec / 1000; }
}  // namespace

// CLOCK_MONOTONIC is the high-resolution counter on Linux; sleeping on the same
// clock with an absolute deadline (below) cannot drift against it.
int64_t Platform_MicroTime() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return ToMicros(now);
}

void Platform_SleepUntil(int64_t microTime) {
  timespec deadline;
  deadline.tv_sec = static_cast<time_t>(microTime / kMicrosPerSecond);
  deadline.tv_nsec = static_cast<long>((microTime % kMicrosPerSecond) * 1000);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

void Platform_SleepUntilPrecise(int64_t microTime) {
  // The slack is per thread and stays set, so it is asked for once per thread.
  thread_local bool slackSet = false;
  if (!slackSet) {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    slackSet = true;
  }
  Platform_SleepUntil(microTime);
}

void Platform_SleepMilliseconds(int64_t milliseconds) {
  if (milliseconds <= 0) return;
  Platform_SleepUntil(Platform_MicroTime() + milliseconds * 1000);
}

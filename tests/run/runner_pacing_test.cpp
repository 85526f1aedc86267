// SPDX-License-Identifier: Zlib
// Frame pacing with a fake clock: how long a frame waits, how much of it is
// slept coarsely, how the margin is slept in precise slices with messages
// drained between them, and that frames stay on an absolute schedule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/FramePacing.h"
#include "run/SleepMargin.h"

namespace {

struct Slice {
  int64_t askedAt, until;
};

struct FakeClock {
  int64_t now = 1000000;
  std::vector<int64_t> sleeps;       // coarse sleeps, milliseconds asked for
  std::vector<Slice> slices;         // precise sleeps
  std::vector<int64_t> drainTimes;   // when each drain began
  std::string events;                // in order: 'C' coarse sleep, 'S' precise sleep, 'D' drain
  int64_t drainStep = 100;           // each drain takes this long
  int64_t wakeLate = 0;              // a precise sleep wakes this long after its time

  void Clear() {
    sleeps.clear();
    slices.clear();
    drainTimes.clear();
    events.clear();
  }
};
FakeClock* g_clock = nullptr;

int64_t Now() { return g_clock->now; }
void Sleep(int64_t ms) {
  g_clock->sleeps.push_back(ms);
  g_clock->events += 'C';
  g_clock->now += ms * 1000;
}
void Drain() {
  g_clock->drainTimes.push_back(g_clock->now);
  g_clock->events += 'D';
  g_clock->now += g_clock->drainStep;
}
void SleepUntil(int64_t time) {
  g_clock->slices.push_back({g_clock->now, time});
  g_clock->events += 'S';
  g_clock->now = std::max(g_clock->now, time) + g_clock->wakeLate;
}
const PacingClock kFake = {Now, Sleep, Drain, SleepUntil};

constexpr double kPeriod = 1000000.0 / 60;

class PacingTest : public ::testing::Test {
 protected:
  void SetUp() override { g_clock = &clock; }

  // The first frame starts the schedule: the next one is due a period later.
  void StartSchedule(int marginMs) {
    pacer.Wait(60, marginMs, true, kFake);
    scheduleStart = clock.now;
    clock.Clear();
  }

  // Every precise sleep is a real slice: it asks for a time ahead of now, no
  // more than a slice ahead, and not inside the spin window before `due`.
  void ExpectSlicesBefore(int64_t due) {
    for (const Slice& slice : clock.slices) {
      EXPECT_GT(slice.until, slice.askedAt);
      EXPECT_LE(slice.until - slice.askedAt, PACING_SLICE_US);
      EXPECT_LE(slice.until, due - PACING_SPIN_US);
    }
  }

  FakeClock clock;
  FramePacer pacer;
  int64_t scheduleStart = 0;
};

}  // namespace

TEST_F(PacingTest, SleepsCoarselyAllButTheMarginThenSleepsTheMarginInSlices) {
  StartSchedule(10);
  clock.now += 2000;  // the frame's work took 2 ms
  int64_t waited = pacer.Wait(60, 10, true, kFake);
  EXPECT_EQ(waited, 14666);  // 16666.67 - 2000, in whole microseconds
  ASSERT_EQ(clock.sleeps.size(), 1u);
  EXPECT_EQ(clock.sleeps[0], 4);  // (14666 - 10000) us rounded down to whole ms
  EXPECT_EQ(clock.events[0], 'C');
  const int64_t due = scheduleStart + 16667;
  // The 10 ms margin is slept in slices up to the spin window.
  ExpectSlicesBefore(due);
  EXPECT_GE(clock.slices.size(), static_cast<size_t>((10000 - PACING_SPIN_US) / (PACING_SLICE_US + clock.drainStep)));
  ASSERT_FALSE(clock.slices.empty());
  EXPECT_GE(clock.slices.back().until, due - PACING_SPIN_US - clock.drainStep);
  // Only the spin window is busy: one drain per slice and the spin's own.
  EXPECT_LE(clock.drainTimes.size(), clock.slices.size() + PACING_SPIN_US / clock.drainStep + 1);
  // The frame ends on its deadline.
  EXPECT_GE(clock.now, due);
  EXPECT_LT(clock.now, due + clock.drainStep);
}

TEST_F(PacingTest, DrainsMessagesAfterEverySliceAndWhileSpinning) {
  clock.wakeLate = 60;
  StartSchedule(10);
  clock.now += 3000;
  pacer.Wait(60, 10, true, kFake);
  ASSERT_FALSE(clock.slices.empty());
  // After the coarse sleep, every precise sleep is followed by a drain before
  // anything else, and the wait ends with one.
  EXPECT_EQ(clock.events.find("SS"), std::string::npos) << clock.events;
  EXPECT_EQ(clock.events.find("SC"), std::string::npos) << clock.events;
  EXPECT_EQ(clock.events.back(), 'D');
  // No message waits longer than a slice and its late wake-up.
  const int64_t marginStart = scheduleStart + 3000 + clock.sleeps[0] * 1000;
  int64_t previous = marginStart;
  for (int64_t drain : clock.drainTimes) {
    EXPECT_LE(drain - previous, PACING_SLICE_US + clock.wakeLate + clock.drainStep);
    previous = drain;
  }
  EXPECT_GE(clock.now, scheduleStart + 16667);
  EXPECT_LT(clock.now, scheduleStart + 16667 + clock.drainStep);
}

TEST_F(PacingTest, LateWakeUpsWithinTheSpinWindowStillEndOnTime) {
  clock.drainStep = 5;
  for (int64_t late : {int64_t{1}, int64_t{50}, PACING_SPIN_US / 2, PACING_SPIN_US - 10}) {
    clock.wakeLate = late;
    StartSchedule(10);
    clock.now += 1500;
    pacer.Wait(60, 10, true, kFake);
    const int64_t due = scheduleStart + 16667;
    ExpectSlicesBefore(due);
    EXPECT_FALSE(clock.slices.empty()) << "late " << late;
    EXPECT_GE(clock.now, due) << "late " << late;
    EXPECT_LT(clock.now, due + clock.drainStep) << "late " << late;
    pacer.Reset();
  }
}

TEST_F(PacingTest, AWakeUpPastTheDeadlineEndsTheWaitAndKeepsTheSchedule) {
  StartSchedule(10);
  clock.now += 15000;
  clock.wakeLate = 3000;  // a stall of the machine: far past the deadline
  pacer.Wait(60, 10, true, kFake);
  // One slice, the drain after it, no more sleeping once the frame is due.
  EXPECT_EQ(clock.events, "SD");
  clock.wakeLate = 0;
  clock.now += 2000;
  // The next frame is due two periods after the first, not a period after the late wake-up.
  EXPECT_EQ(pacer.Wait(60, 10, true, kFake), static_cast<int64_t>(2 * kPeriod) - (clock.now - scheduleStart));
  EXPECT_GE(clock.now, scheduleStart + static_cast<int64_t>(2 * kPeriod));
  EXPECT_LT(clock.now, scheduleStart + static_cast<int64_t>(2 * kPeriod) + 1 + clock.drainStep);
}

TEST_F(PacingTest, MarginZeroSleepsTheWholeMillisecondsCoarsely) {
  clock.drainStep = 1;
  StartSchedule(0);
  clock.now += 200;
  pacer.Wait(60, 0, true, kFake);
  ASSERT_EQ(clock.sleeps.size(), 1u);
  EXPECT_EQ(clock.sleeps[0], 16);
  // The sub-millisecond rest (466 us) is slept up to the spin window, if it
  // is longer than that, then spun.
  const int64_t due = scheduleStart + 16667;
  ExpectSlicesBefore(due);
  EXPECT_EQ(clock.slices.size(), 466 > PACING_SPIN_US ? 1u : 0u);
  EXPECT_LE(clock.drainTimes.size(), static_cast<size_t>(PACING_SPIN_US / clock.drainStep + 2));
  EXPECT_GE(clock.now, due);
  EXPECT_LT(clock.now, due + clock.drainStep);
}

TEST_F(PacingTest, MarginLargerThanTheWaitSleepsAllOfItInSlices) {
  StartSchedule(20);
  pacer.Wait(60, 20, true, kFake);
  EXPECT_TRUE(clock.sleeps.empty());
  const int64_t due = scheduleStart + 16667;
  ExpectSlicesBefore(due);
  EXPECT_GE(clock.slices.size(), static_cast<size_t>((16666 - PACING_SPIN_US) / (PACING_SLICE_US + clock.drainStep)));
  EXPECT_LE(clock.drainTimes.size(), clock.slices.size() + PACING_SPIN_US / clock.drainStep + 1);
  EXPECT_GE(clock.now, due);
  EXPECT_LT(clock.now, due + clock.drainStep);
}

TEST_F(PacingTest, ALateFrameIsFollowedAtOnce) {
  StartSchedule(10);
  clock.now += 40000;  // 40 ms of work
  EXPECT_EQ(pacer.Wait(60, 10, true, kFake), 0);
  EXPECT_TRUE(clock.events.empty()) << clock.events;
  // The schedule restarts from the late frame: the next one is a full period later.
  clock.now += 1000;
  EXPECT_EQ(pacer.Wait(60, 10, true, kFake), 15666);
}

TEST_F(PacingTest, PeriodsDoNotDrift) {
  clock.drainStep = 7;
  StartSchedule(10);
  for (int i = 0; i < 600; ++i) {
    clock.now += 3000 + (i % 5) * 500;  // uneven work
    clock.wakeLate = (i % 4) * 70;      // uneven wake-ups, all within the spin window
    pacer.Wait(60, 10, true, kFake);
  }
  // 600 frames at 60 per second are 10 s; the spin overshoots by less than one drain.
  EXPECT_GE(clock.now - scheduleStart, 10000000 - 1);
  EXPECT_LE(clock.now - scheduleStart, 10000000 + clock.drainStep);
}

TEST_F(PacingTest, WaitingDisabledNeverWaits) {
  pacer.Wait(60, 10, false, kFake);
  clock.Clear();
  EXPECT_EQ(pacer.Wait(60, 10, false, kFake), 0);
  EXPECT_TRUE(clock.events.empty()) << clock.events;
}

TEST_F(PacingTest, FramesPerSecondIsCountedOverWholeSeconds) {
  clock.drainStep = 10;
  for (int i = 0; i < 130; ++i) pacer.Wait(60, 10, true, kFake);
  EXPECT_EQ(pacer.Fps(), 60);
}

// The sleep margin's three sources, the first that says wins: the command
// line, options.ini, the game data. A source that says the default's own value
// still wins over the sources below it.
TEST(SleepMargin, TheFirstSourceThatSaysWins) {
  SleepMarginSources sources;
  EXPECT_EQ(SleepMargin_Choose(sources), DEFAULT_SLEEP_MARGIN_MS);
  sources.gameData = {true, 4};
  EXPECT_EQ(SleepMargin_Choose(sources), 4);
  sources.optionsIni = {true, DEFAULT_SLEEP_MARGIN_MS};  // SleepMargin=10 in options.ini
  EXPECT_EQ(SleepMargin_Choose(sources), DEFAULT_SLEEP_MARGIN_MS);
  sources.optionsIni = {true, 0};
  EXPECT_EQ(SleepMargin_Choose(sources), 0);
  sources.commandLine = {true, DEFAULT_SLEEP_MARGIN_MS};
  EXPECT_EQ(SleepMargin_Choose(sources), DEFAULT_SLEEP_MARGIN_MS);
  sources.commandLine = {true, 2};
  EXPECT_EQ(SleepMargin_Choose(sources), 2);
}

TEST(SleepMargin, OptionsIniSaysItOnlyWithASleepMarginLine) {
  EXPECT_FALSE(SleepMargin_FromOptionsIni("").set);
  EXPECT_FALSE(SleepMargin_FromOptionsIni("[Windows]\nAlternateSyncMethod=1\n").set);
  EXPECT_FALSE(SleepMargin_FromOptionsIni(";SleepMargin=3\n").set);
  SleepMarginSetting ten = SleepMargin_FromOptionsIni("[Windows]\nSleepMargin=10\n");
  EXPECT_TRUE(ten.set);
  EXPECT_EQ(ten.milliseconds, 10);
  SleepMarginSetting negative = SleepMargin_FromOptionsIni("SleepMargin =-5\r\n");
  EXPECT_TRUE(negative.set);
  EXPECT_EQ(negative.milliseconds, 0);
}

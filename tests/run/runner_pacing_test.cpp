// Frame pacing with a fake clock: how long a frame waits, how much of it is
// slept, and that frames stay on an absolute schedule.
#include <gtest/gtest.h>

#include <vector>

#include "run/FramePacing.h"
#include "run/SleepMargin.h"

namespace {

struct FakeClock {
  int64_t now = 1000000;
  std::vector<int64_t> sleeps;  // milliseconds asked for
  int drains = 0;
  int64_t drainStep = 100;  // each drain of the busy wait takes this long
};
FakeClock* g_clock = nullptr;

int64_t Now() { return g_clock->now; }
void Sleep(int64_t ms) {
  g_clock->sleeps.push_back(ms);
  g_clock->now += ms * 1000;
}
void Drain() {
  ++g_clock->drains;
  g_clock->now += g_clock->drainStep;
}
const PacingClock kFake = {Now, Sleep, Drain};

class PacingTest : public ::testing::Test {
 protected:
  void SetUp() override { g_clock = &clock; }
  FakeClock clock;
  FramePacer pacer;
};

}  // namespace

TEST_F(PacingTest, SleepsAllButTheMarginThenBusyWaits) {
  pacer.Wait(60, 10, true, kFake);  // first frame: starts the schedule
  clock.sleeps.clear();
  clock.now += 2000;  // the frame's work took 2 ms
  int64_t waited = pacer.Wait(60, 10, true, kFake);
  EXPECT_EQ(waited, 14666);  // 16666.67 - 2000, in whole microseconds
  ASSERT_EQ(clock.sleeps.size(), 1u);
  EXPECT_EQ(clock.sleeps[0], 4);  // (14666 - 10000) us rounded down to whole ms
  EXPECT_GE(clock.now, 1000000 + 16667);
  EXPECT_LT(clock.now, 1000000 + 16667 + clock.drainStep);
}

TEST_F(PacingTest, MarginZeroSleepsTheWholeWait) {
  clock.drainStep = 1;
  pacer.Wait(60, 0, true, kFake);
  clock.sleeps.clear();
  clock.now += 666;
  pacer.Wait(60, 0, true, kFake);
  ASSERT_EQ(clock.sleeps.size(), 1u);
  EXPECT_EQ(clock.sleeps[0], 16);
  EXPECT_LE(clock.drains, 1000);  // only the sub-millisecond rest is busy
}

TEST_F(PacingTest, MarginLargerThanTheWaitBusyWaitsAllOfIt) {
  pacer.Wait(60, 20, true, kFake);
  clock.sleeps.clear();
  clock.drains = 0;
  pacer.Wait(60, 20, true, kFake);
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_GE(clock.drains, 16666 / 100);
}

TEST_F(PacingTest, ALateFrameIsFollowedAtOnce) {
  pacer.Wait(60, 10, true, kFake);
  clock.now += 40000;  // 40 ms of work
  clock.sleeps.clear();
  clock.drains = 0;
  EXPECT_EQ(pacer.Wait(60, 10, true, kFake), 0);
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_EQ(clock.drains, 0);
  // The schedule restarts from the late frame: the next one is a full period later.
  clock.now += 1000;
  EXPECT_EQ(pacer.Wait(60, 10, true, kFake), 15666);
}

TEST_F(PacingTest, PeriodsDoNotDrift) {
  clock.drainStep = 7;
  pacer.Wait(60, 10, true, kFake);
  int64_t start = clock.now;
  for (int i = 0; i < 600; ++i) {
    clock.now += 3000 + (i % 5) * 500;  // uneven work
    pacer.Wait(60, 10, true, kFake);
  }
  // 600 frames at 60 per second are 10 s; the busy wait overshoots by less than one drain.
  EXPECT_GE(clock.now - start, 10000000 - 1);
  EXPECT_LE(clock.now - start, 10000000 + clock.drainStep);
}

TEST_F(PacingTest, WaitingDisabledNeverWaits) {
  pacer.Wait(60, 10, false, kFake);
  clock.sleeps.clear();
  EXPECT_EQ(pacer.Wait(60, 10, false, kFake), 0);
  EXPECT_TRUE(clock.sleeps.empty());
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

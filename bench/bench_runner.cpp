// SPDX-License-Identifier: Zlib
// The real frame loop, headless, with the editor's room running:
//   bench_runner pacing [frames] [sleep margin ms] [rounds] [every]
//     frame loops side by side, `frames` each, in alternating rounds of a
//     fresh process each: the busy-waiting loop (the runner's pacing before
//     the margin was slept in slices, kept here only to be measured against),
//     the runner's own, and a bare sleep to each deadline (the floor of CPU
//     time and the lateness of a plain sleep). For each: the mean period, the deviation of each
//     period from the game's, the periods more than 250 us off, and the
//     process CPU time per steady frame; beside them, for the same length of
//     time, the stalls that the bare clock-reading thread sees. The idle
//     editor's frames are all the same frame, so most are left on the screen
//     as they were; with `every`, each is drawn whole, as when it changes;
//   bench_runner step [iterations]
//     the time of one DoAStep of the editor's room;
//   bench_runner first-frame [-headless]
//     microseconds from process start to the end of the first presented frame;
//   bench_runner stalls [seconds]
//     the machine's own reference: a thread that only reads the clock, and
//     how often (and how long) it finds itself stopped for more than 250 us.
//     Frame periods cannot be steadier than this.
// Run on an idle machine: the numbers are the machine's as much as the loop's.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "ProcessStart.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "run/Runner.h"
#include "run/RunnerGraphics.h"

extern "C" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);

namespace {

constexpr double kPeriod = 1e6 / 60.0;

double CpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The runner's pacing as it was before the margin was slept in slices: a
// coarse sleep for all of the wait but the margin, then a busy wait that
// drains window messages until the frame is due. Run from the frame hook of a
// -nowait run, where the runner's own pacer does not wait.
class BusyWaitPacer {
 public:
  void Wait(int sleepMarginMs) {
    int64_t start = Platform_MicroTime();
    if (!started_) {
      started_ = true;
      deadline_ = static_cast<double>(start) - kPeriod;
    }
    double wait = std::clamp(kPeriod - (static_cast<double>(start) - deadline_), 0.0, 1e6);
    if (wait <= 0) {
      deadline_ = static_cast<double>(start);
      return;
    }
    const double margin = static_cast<double>(std::max(sleepMarginMs, 0)) * 1000.0;
    if (wait > margin) Platform_SleepMilliseconds(static_cast<int64_t>((wait - margin) / 1000.0));
    const double due = static_cast<double>(start) + wait;
    while (static_cast<double>(Platform_MicroTime()) < due) Platform_ProcessMessages();
    deadline_ = due;
  }

 private:
  bool started_ = false;
  double deadline_ = 0;
};

// SLEEP_ONLY is the floor that no pacing can go under: one precise sleep to
// each deadline, no drains, no busy part. Its CPU time is the frame's own work,
// and its periods show how late a bare sleep wakes on this machine.
enum Loop { BUSY_WAIT, SLICED, SLEEP_ONLY, LOOP_COUNT };
const char* const kLoopNames[LOOP_COUNT] = {"busy-wait", "sliced", "sleep only"};

// The first second of a run is start-up: the texture page arrives from its
// decoder thread and becomes a texture. Its longest period is reported on its
// own; the steady loop is measured from then on.
constexpr size_t kWarmUpFrames = 61;

Loop g_loop = SLICED;
int g_margin = 10;
BusyWaitPacer g_busyWait;
std::vector<int64_t> g_frameStarts;
std::vector<double> g_cpuAtFrame;
// Frames drawn whole since the start, as each frame began.
std::vector<long> g_drawnAtFrame;

double g_sleepDeadline = 0;

void SleepToNextDeadline() {
  double now = static_cast<double>(Platform_MicroTime());
  g_sleepDeadline = g_sleepDeadline == 0 || now > g_sleepDeadline + kPeriod ? now : g_sleepDeadline + kPeriod;
  Platform_SleepUntilPrecise(static_cast<int64_t>(std::ceil(g_sleepDeadline)));
}

void RecordFrame(int64_t) {
  if (g_loop == BUSY_WAIT) g_busyWait.Wait(g_margin);
  if (g_loop == SLEEP_ONLY) SleepToNextDeadline();
  g_frameStarts.push_back(Platform_MicroTime());
  g_cpuAtFrame.push_back(CpuSeconds());
  long drawn = 0, reused = 0;
  RunnerGraphics_FrameCounts(&drawn, &reused);
  g_drawnAtFrame.push_back(drawn);
}

struct LoopResult {
  std::vector<double> periods;  // steady periods, microseconds
  double cpuSeconds = 0;        // process CPU time over them
  double startupWorst = 0;      // longest period of the first second
  double framesDrawn = 0;       // of the steady frames, those drawn whole (the others were left as they were)
};

// Runs one loop in this process and writes its periods and CPU time to `fd`.
int MeasureLoop(Loop loop, int frames, int margin, int fd) {
  g_loop = loop;
  g_margin = margin;
  std::string framesText = std::to_string(frames + static_cast<int>(kWarmUpFrames) + 1);
  std::string marginText = std::to_string(margin);
  const char* argv[] = {"bench_runner", "-headless",  "-noaudio",         "-frames",
                        framesText.c_str(), "-sleepmargin", marginText.c_str(), "-nowait"};
  g_frameStarts.reserve(frames + kWarmUpFrames + 2);
  g_cpuAtFrame.reserve(frames + kWarmUpFrames + 2);
  g_drawnAtFrame.reserve(frames + kWarmUpFrames + 2);
  Runner_SetFrameHook(RecordFrame);
  int code = Runner_Main(loop == SLICED ? 7 : 8, argv, ksl_GetCompiledCodeInfo);
  if (code != 0 || g_frameStarts.size() < kWarmUpFrames + 3) return 1;
  double startupWorst = 0;
  for (size_t i = 2; i <= kWarmUpFrames; ++i)
    startupWorst = std::max(startupWorst, static_cast<double>(g_frameStarts[i] - g_frameStarts[i - 1]));
  std::vector<double> periods;
  for (size_t i = kWarmUpFrames + 1; i < g_frameStarts.size(); ++i)
    periods.push_back(static_cast<double>(g_frameStarts[i] - g_frameStarts[i - 1]));
  double cpu = g_cpuAtFrame.back() - g_cpuAtFrame[kWarmUpFrames];
  double drawn = static_cast<double>(g_drawnAtFrame.back() - g_drawnAtFrame[kWarmUpFrames]);
  uint64_t count = periods.size();
  bool written = write(fd, &count, sizeof count) == sizeof count &&
                 write(fd, periods.data(), count * sizeof(double)) == static_cast<ssize_t>(count * sizeof(double)) &&
                 write(fd, &cpu, sizeof cpu) == sizeof cpu &&
                 write(fd, &startupWorst, sizeof startupWorst) == sizeof startupWorst &&
                 write(fd, &drawn, sizeof drawn) == sizeof drawn;
  return written ? 0 : 1;
}

bool ReadAll(int fd, void* data, size_t size) {
  char* bytes = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = read(fd, bytes, size);
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Each loop runs in a process of its own: the runner starts once per process.
bool MeasureLoopInChild(Loop loop, int frames, int margin, LoopResult& result) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    close(fds[0]);
    int code = MeasureLoop(loop, frames, margin, fds[1]);
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(code);
  }
  close(fds[1]);
  uint64_t count = 0;
  bool ok = ReadAll(fds[0], &count, sizeof count) && count < 100000000;
  std::vector<double> periods(ok ? count : 0);
  double cpu = 0, startupWorst = 0, drawn = 0;
  ok = ok && ReadAll(fds[0], periods.data(), count * sizeof(double)) && ReadAll(fds[0], &cpu, sizeof cpu) &&
       ReadAll(fds[0], &startupWorst, sizeof startupWorst) && ReadAll(fds[0], &drawn, sizeof drawn);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!ok) return false;
  result.periods.insert(result.periods.end(), periods.begin(), periods.end());
  result.cpuSeconds += cpu;
  result.startupWorst = std::max(result.startupWorst, startupWorst);
  result.framesDrawn += drawn;
  return true;
}

struct StallCount {
  int count = 0;
  int64_t worst = 0;
};

// Reads the clock in a tight loop; a gap between two readings is time the
// thread was not running.
void CountStalls(int64_t micros, StallCount& stalls) {
  const int64_t start = Platform_MicroTime();
  int64_t previous = start;
  while (previous - start < micros) {
    int64_t now = Platform_MicroTime();
    int64_t gap = now - previous;
    if (gap > 250) {
      ++stalls.count;
      stalls.worst = std::max(stalls.worst, gap);
    }
    previous = now;
  }
}

struct PeriodStats {
  double mean = 0, median = 0, p99 = 0, p999 = 0, worst = 0, cpuPerFrame = 0;
  size_t over250 = 0;
};

PeriodStats Summarize(const LoopResult& result) {
  PeriodStats s;
  std::vector<double> deviation;
  double total = 0;
  for (double p : result.periods) {
    total += p;
    deviation.push_back(std::fabs(p - kPeriod));
  }
  std::sort(deviation.begin(), deviation.end());
  auto at = [&](double q) { return deviation[std::min(deviation.size() - 1, static_cast<size_t>(q * deviation.size()))]; };
  s.mean = total / static_cast<double>(deviation.size());
  s.median = at(0.5);
  s.p99 = at(0.99);
  s.p999 = at(0.999);
  s.worst = deviation.back();
  s.over250 = static_cast<size_t>(std::count_if(deviation.begin(), deviation.end(), [](double d) { return d > 250; }));
  s.cpuPerFrame = result.cpuSeconds * 1e6 / static_cast<double>(result.periods.size());
  return s;
}

// The rounds alternate the loops and the clock-reading thread, each
// round in a different order, so that a busy spell of the machine does not
// fall on one of them only.
int Pacing(int frames, int margin, int rounds) {
  rounds = std::max(rounds, 1);
  const int roundFrames = std::max(frames / rounds, 60);
  LoopResult results[LOOP_COUNT];
  StallCount stalls;
  int64_t stallMicros = 0;
  for (int round = 0; round < rounds; ++round) {
    for (int k = 0; k <= LOOP_COUNT; ++k) {
      int item = (k + round) % (LOOP_COUNT + 1);
      if (item < LOOP_COUNT) {
        if (!MeasureLoopInChild(static_cast<Loop>(item), roundFrames, margin, results[item])) {
          std::fprintf(stderr, "the %s loop's run failed\n", kLoopNames[item]);
          return 1;
        }
      } else {
        const int64_t micros = static_cast<int64_t>(roundFrames * kPeriod);
        CountStalls(micros, stalls);
        stallMicros += micros;
      }
    }
  }
  PeriodStats stats[LOOP_COUNT];
  for (int i = 0; i < LOOP_COUNT; ++i) stats[i] = Summarize(results[i]);
  std::printf("%d rounds of %d steady frames per loop at 60 per second, sleep margin %d ms\n", rounds, roundFrames,
              margin);
  std::printf("%-34s", "");
  for (const char* name : kLoopNames) std::printf(" %14s", name);
  std::printf("\n");
  auto row = [&](const char* name, const char* format, double PeriodStats::*field) {
    std::printf("%-34s", name);
    for (const PeriodStats& s : stats) std::printf(format, s.*field);
    std::printf("\n");
  };
  std::printf("%-34s", "frames measured");
  for (const LoopResult& r : results) std::printf(" %14zu", r.periods.size());
  std::printf("\n");
  row("mean period us (target 16666.667)", " %14.3f", &PeriodStats::mean);
  row("deviation median us", " %14.1f", &PeriodStats::median);
  row("deviation p99 us", " %14.1f", &PeriodStats::p99);
  row("deviation p99.9 us", " %14.1f", &PeriodStats::p999);
  row("deviation worst us", " %14.1f", &PeriodStats::worst);
  std::printf("%-34s", "periods more than 250 us off");
  for (const PeriodStats& s : stats) std::printf(" %14zu", s.over250);
  std::printf("\n");
  row("cpu per frame us", " %14.1f", &PeriodStats::cpuPerFrame);
  // The idle editor's frames are the same frame: most are left on the screen
  // as they were, and one a second is drawn whole.
  std::printf("%-34s", "frames drawn whole");
  for (const LoopResult& r : results) std::printf(" %14.0f", r.framesDrawn);
  std::printf("\n");
  // What each loop's waiting costs beyond the frame's own work.
  std::printf("%-34s", "cpu per frame over the bare sleep");
  for (const PeriodStats& s : stats) std::printf(" %14.1f", s.cpuPerFrame - stats[SLEEP_ONLY].cpuPerFrame);
  std::printf("\n");
  // The loops run from the hook of a -nowait run wait for the texture page
  // in their first frames; only the runner's own loop has a start-up to show.
  std::printf("%-34s %14s %14.1f %14s\n", "longest period of a first second", "-", results[SLICED].startupWorst, "-");
  std::printf("clock-reading thread, %.1f s (one loop's time): %d stalls over 250 us, longest %lld us\n",
              static_cast<double>(stallMicros) / 1e6, stalls.count, static_cast<long long>(stalls.worst));
  auto yes = [](bool b) { return b ? "yes" : "NO"; };
  for (int i : {BUSY_WAIT, SLICED}) {
    const PeriodStats& s = stats[i];
    std::printf("%-9s cpu <= 1500 us: %s, |mean - period| <= 1 us: %s, p99 <= 50 us: %s, "
                "periods over 250 us off <= stalls: %s\n",
                kLoopNames[i], yes(s.cpuPerFrame <= 1500), yes(std::fabs(s.mean - kPeriod) <= 1), yes(s.p99 <= 50),
                yes(static_cast<int>(s.over250) <= stalls.count));
  }
  return 0;
}

int Step(int iterations) {
  const char* argv[] = {"bench_runner", "-headless", "-noaudio", "-nowait", "-frames", "1"};
  if (!Runner_Start(6, argv, ksl_GetCompiledCodeInfo)) return 1;
  for (int i = 0; i < 100; ++i) DoAStep();
  int64_t start = Platform_MicroTime();
  double cpuBefore = CpuSeconds();
  for (int i = 0; i < iterations; ++i) DoAStep();
  double cpu = CpuSeconds() - cpuBefore;
  int64_t wall = Platform_MicroTime() - start;
  std::printf("DoAStep of the room: %.2f us wall, %.2f us cpu per step (%d steps)\n",
              static_cast<double>(wall) / iterations, cpu * 1e6 / iterations, iterations);
  return 0;
}

int64_t g_firstFrameEnd = 0;
void FirstFrame(int64_t frame) {
  if (frame == 1 && !g_firstFrameEnd) g_firstFrameEnd = Platform_MicroTime();
}

// Audio stays on: the first frame must not wait for the sound device.
int FirstFrameTime(bool headless) {
  const char* argv[] = {"bench_runner", "-nowait", "-frames", "2", "-headless"};
  Runner_SetFrameHook(FirstFrame);
  int code = Runner_Main(headless ? 5 : 4, argv, ksl_GetCompiledCodeInfo);
  std::printf("process start to first presented frame: %lld us (clock-tick resolution of the start time)\n",
              static_cast<long long>(g_firstFrameEnd - ProcessStartMicros()));
  std::printf("first-frame-monotonic-us %lld\n", static_cast<long long>(g_firstFrameEnd));
  return code;
}

int Stalls(int seconds) {
  StallCount stalls;
  CountStalls(static_cast<int64_t>(seconds) * 1000000, stalls);
  std::printf("%d s of clock reading: %d stalls over 250 us, longest %lld us\n", seconds, stalls.count,
              static_cast<long long>(stalls.worst));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "step";
  if (mode == "pacing") {
    if (argc > 5 && std::strcmp(argv[5], "every") == 0) RunnerGraphics_SetFrameReuse(false);
    return Pacing(argc > 2 ? std::atoi(argv[2]) : 3600, argc > 3 ? std::atoi(argv[3]) : 10,
                  argc > 4 ? std::atoi(argv[4]) : 3);
  }
  if (mode == "step") return Step(argc > 2 ? std::atoi(argv[2]) : 10000);
  if (mode == "stalls") return Stalls(argc > 2 ? std::atoi(argv[2]) : 60);
  if (mode == "first-frame") return FirstFrameTime(argc > 2 && std::strcmp(argv[2], "-headless") == 0);
  std::fprintf(stderr, "usage: bench_runner pacing [frames] [margin] [rounds] [every] | step [iterations] | first-frame | stalls [seconds]\n");
  return 2;
}

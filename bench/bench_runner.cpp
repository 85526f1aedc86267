// The real frame loop, headless, with the editor's room running:
//   bench_runner pacing [frames] [sleep margin ms]
//     the deviation of each frame period from the game's period, and the CPU
//     time per frame (the loop sleeps all of each wait but the margin);
//   bench_runner step [iterations]
//     the time of one DoAStep of the editor's room;
//   bench_runner first-frame [-headless]
//     microseconds from process start to the end of the first presented frame;
//   bench_runner stalls [seconds]
//     the machine's own reference: a thread that only reads the clock, and
//     how often (and how long) it finds itself stopped for more than 250 us.
//     Frame periods cannot be steadier than this.
// Run on an idle machine: the numbers are the machine's as much as the loop's.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>
#include <string>
#include <vector>

#include "ProcessStart.h"
#include "platform/Clock.h"
#include "run/Runner.h"

extern "C" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);

namespace {

std::vector<int64_t> g_frameStarts;

void RecordFrame(int64_t) { g_frameStarts.push_back(Platform_MicroTime()); }

double CpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

int Pacing(int frames, int margin) {
  std::string framesText = std::to_string(frames), marginText = std::to_string(margin);
  const char* argv[] = {"bench_runner", "-headless", "-noaudio", "-frames", framesText.c_str(), "-sleepmargin",
                        marginText.c_str()};
  g_frameStarts.reserve(frames + 1);
  Runner_SetFrameHook(RecordFrame);
  double cpuBefore = CpuSeconds();
  int code = Runner_Main(7, argv, ksl_GetCompiledCodeInfo);
  double cpu = CpuSeconds() - cpuBefore;
  if (code != 0 || g_frameStarts.size() < 3) return 1;
  const double period = 1e6 / 60.0;
  std::vector<double> deviation;
  double total = 0;
  // The first second is start-up: the texture page arrives from its decoder
  // thread and becomes a texture, the audio device opens. Its longest period
  // is reported on its own; the steady loop is measured from then on.
  const size_t warmUp = std::min<size_t>(61, g_frameStarts.size() - 2);
  double startupWorst = 0;
  for (size_t i = 2; i <= warmUp; ++i)
    startupWorst = std::max(startupWorst, static_cast<double>(g_frameStarts[i] - g_frameStarts[i - 1]));
  for (size_t i = warmUp + 1; i < g_frameStarts.size(); ++i) {
    double p = static_cast<double>(g_frameStarts[i] - g_frameStarts[i - 1]);
    total += p;
    deviation.push_back(std::fabs(p - period));
  }
  std::sort(deviation.begin(), deviation.end());
  auto at = [&](double q) { return deviation[std::min(deviation.size() - 1, static_cast<size_t>(q * deviation.size()))]; };
  if (deviation.empty()) return 1;
  std::printf("longest period of the first second: %.1f us\n", startupWorst);
  std::printf("frames %zu after it, sleep margin %d ms\n", deviation.size(), margin);
  std::printf("mean period %.3f us (target %.3f)\n", total / deviation.size(), period);
  std::printf("deviation: median %.1f us, p99 %.1f us, p99.9 %.1f us, worst %.1f us\n", at(0.5), at(0.99), at(0.999),
              deviation.back());
  size_t over = static_cast<size_t>(std::count_if(deviation.begin(), deviation.end(), [](double d) { return d > 250; }));
  std::printf("periods more than 250 us off: %zu\n", over);
  std::printf("cpu per frame %.1f us\n", cpu * 1e6 / g_frameStarts.size());
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

// Reads the clock in a tight loop; a gap between two readings is time the
// thread was not running.
int Stalls(int seconds) {
  const int64_t start = Platform_MicroTime();
  int64_t previous = start, worst = 0;
  int count = 0;
  while (previous - start < static_cast<int64_t>(seconds) * 1000000) {
    int64_t now = Platform_MicroTime();
    int64_t gap = now - previous;
    if (gap > 250) {
      ++count;
      worst = std::max(worst, gap);
    }
    previous = now;
  }
  std::printf("%d s of clock reading: %d stalls over 250 us, longest %lld us\n", seconds, count,
              static_cast<long long>(worst));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "step";
  if (mode == "pacing") return Pacing(argc > 2 ? std::atoi(argv[2]) : 3600, argc > 3 ? std::atoi(argv[3]) : 10);
  if (mode == "step") return Step(argc > 2 ? std::atoi(argv[2]) : 10000);
  if (mode == "stalls") return Stalls(argc > 2 ? std::atoi(argv[2]) : 60);
  if (mode == "first-frame") return FirstFrameTime(argc > 2 && std::strcmp(argv[2], "-headless") == 0);
  std::fprintf(stderr, "usage: bench_runner pacing [frames] [margin] | step [iterations] | first-frame | stalls [seconds]\n");
  return 2;
}

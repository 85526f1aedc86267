// Reference for the start-up benchmark: a bare SDL program that makes the
// same 1024 x 768 window and renderer as the runtime and presents one cleared
// frame. It stands outside the runtime (which reaches SDL only through
// runtime/platform/) because it measures SDL itself.
//   bench_bare_sdl [-headless]
// prints microseconds from process start to the end of the first present
// (clock-tick resolution) and the monotonic time of that moment, which
// bench/startup_compare.py sets against the time it started the process.
#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

int64_t MonotonicMicros() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

// Process start on the monotonic clock, from /proc/self/stat (clock-tick resolution).
int64_t ProcessStartMicros() {
  std::FILE* f = std::fopen("/proc/self/stat", "r");
  if (!f) return 0;
  char buffer[1024];
  size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
  std::fclose(f);
  buffer[n] = '\0';
  char* p = std::strrchr(buffer, ')');
  if (!p) return 0;
  long long ticks = 0;
  int field = 2;
  for (char* token = std::strtok(p + 1, " "); token; token = std::strtok(nullptr, " "))
    if (++field == 22) {
      ticks = std::atoll(token);
      break;
    }
  timespec boot;
  clock_gettime(CLOCK_BOOTTIME, &boot);
  int64_t bootNow = boot.tv_sec * 1000000LL + boot.tv_nsec / 1000;
  return MonotonicMicros() - (bootNow - ticks * 1000000 / sysconf(_SC_CLK_TCK));
}

}  // namespace

int main(int argc, char** argv) {
  bool headless = argc > 1 && std::strcmp(argv[1], "-headless") == 0;
  if (headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* window = SDL_CreateWindow("Mobwright Studio| Tindra ", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        1024, 768, headless ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
  if (!window) return 1;
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, headless ? SDL_RENDERER_SOFTWARE : 0);
  if (!renderer) return 1;
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  SDL_RenderPresent(renderer);
  int64_t firstFrame = MonotonicMicros();
  std::printf("process start to first presented frame: %lld us\n",
              static_cast<long long>(firstFrame - ProcessStartMicros()));
  std::printf("first-frame-monotonic-us %lld\n", static_cast<long long>(firstFrame));
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}

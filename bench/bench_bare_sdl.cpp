// SPDX-License-Identifier: Zlib
// Reference for the start-up benchmark: a bare SDL program that makes the
// same 1024 x 768 window and renderer as the runtime and presents one cleared
// frame. It stands outside the runtime (which reaches SDL only through
// runtime/platform/) because it measures SDL itself.
//   bench_bare_sdl [-headless]
// prints microseconds from process start to the end of the first present
// (clock-tick resolution) and the monotonic time of that moment, which
// bench/startup_compare.py sets against the time it started the process.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "ProcessStart.h"

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

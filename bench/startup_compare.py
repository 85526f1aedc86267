#!/usr/bin/env python3
"""Start-up of the runtime against a bare SDL program, side by side.

Runs `bench_runner first-frame` and `bench_bare_sdl` alternately, each time
taking the monotonic clock just before starting the process and reading the
monotonic time at which the program's first frame was presented.

    python3 bench/startup_compare.py build/bench [runs] [-headless]
"""
import os
import statistics
import subprocess
import sys
import time


def first_frame_us(command):
    start = time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 1000
    out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        if line.startswith("first-frame-monotonic-us "):
            return int(line.split()[1]) - start
    raise RuntimeError("no first-frame line from %s" % command[0])


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "build/bench"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    headless = "-headless" in sys.argv
    runner = [os.path.join(folder, "bench_runner"), "first-frame"] + (["-headless"] if headless else [])
    bare = [os.path.join(folder, "bench_bare_sdl")] + (["-headless"] if headless else [])
    ours, reference = [], []
    for _ in range(runs):
        ours.append(first_frame_us(runner))
        reference.append(first_frame_us(bare))
    m_ours, m_ref = statistics.median(ours), statistics.median(reference)
    print("runtime: median %.0f us, bare SDL: median %.0f us, ratio %.2f (%d runs each%s)"
          % (m_ours, m_ref, m_ours / m_ref, runs, ", headless" if headless else ""))


if __name__ == "__main__":
    main()

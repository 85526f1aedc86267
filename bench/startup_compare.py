#!/usr/bin/env python3
"""Start-up of the runtime against a bare SDL program, side by side.

Runs `bench_runner first-frame` and `bench_bare_sdl` alternately, each time
taking the monotonic clock just before starting the process and reading the
monotonic time at which the program's first frame was presented.

    python3 bench/startup_compare.py build/bench [runs] [-headless] [-datahome DIR]

-datahome DIR sets XDG_DATA_HOME=DIR for both programs, so the runtime opens
DIR/Mobwright/ as its save folder (without it they get this script's own
environment). The editor loads the frame saved there, if any, before its first
frame: point it at a folder holding a save to measure that start-up, at an
empty one to measure start-up with nothing saved. The line printed says
whether the save folder held a saved frame.
"""
import os
import statistics
import subprocess
import sys
import time


def first_frame_us(command, env=None):
    start = time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 1000
    out = subprocess.run(command, capture_output=True, text=True, check=True, env=env).stdout
    for line in out.splitlines():
        if line.startswith("first-frame-monotonic-us "):
            return int(line.split()[1]) - start
    raise RuntimeError("no first-frame line from %s" % command[0])


def save_folder(env):
    """The runtime's save folder under env, as SaveFolder_DefaultPath finds it."""
    data_home = env.get("XDG_DATA_HOME", "")
    if not data_home.startswith("/"):
        home = env.get("HOME", "")
        if not home.startswith("/"):
            return None
        data_home = os.path.join(home, ".local", "share")
    return os.path.join(data_home, "Mobwright")


def main():
    args = sys.argv[1:]
    env = None
    if "-datahome" in args:
        at = args.index("-datahome")
        if at + 1 >= len(args):
            sys.exit("-datahome needs a folder")
        env = dict(os.environ, XDG_DATA_HOME=os.path.abspath(args[at + 1]))
        del args[at:at + 2]
    headless = "-headless" in args
    positional = [a for a in args if a != "-headless"]
    folder = positional[0] if len(positional) > 0 else "build/bench"
    runs = int(positional[1]) if len(positional) > 1 else 20
    runner = [os.path.join(folder, "bench_runner"), "first-frame"] + (["-headless"] if headless else [])
    bare = [os.path.join(folder, "bench_bare_sdl")] + (["-headless"] if headless else [])
    ours, reference = [], []
    for _ in range(runs):
        ours.append(first_frame_us(runner, env))
        reference.append(first_frame_us(bare, env))
    m_ours, m_ref = statistics.median(ours), statistics.median(reference)
    saves = ""
    if env is not None:
        folder = save_folder(env)
        saved = folder is not None and os.path.isfile(os.path.join(folder, "frame1_data.dat"))
        saves = ", save folder %s %s" % (folder, "holds a saved frame" if saved else "holds no saved frame")
    print("runtime: median %.0f us, bare SDL: median %.0f us, ratio %.2f (%d runs each%s%s)"
          % (m_ours, m_ref, m_ours / m_ref, runs, ", headless" if headless else "", saves))


if __name__ == "__main__":
    main()

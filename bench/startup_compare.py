#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""Start-up of the runtime against a bare SDL program, side by side.

Runs `bench_runner first-frame` and `bench_bare_sdl` alternately, each time
taking the monotonic clock just before starting the process and reading the
monotonic time at which the program's first frame was presented.

    python3 bench/startup_compare.py build/bench [runs] [-headless] [-datahome DIR]

    python3 bench/startup_compare.py build/bench [runs] [-headless] -figure
    python3 bench/startup_compare.py build/bench [runs] [-headless] -bigindex N

-datahome DIR sets XDG_DATA_HOME=DIR for both programs, so the runtime opens
DIR/Mobwright/ as its save folder (without it they get this script's own
environment). The editor reads the save there, if any, from its second frame
on, 30 records a frame: point it at a folder holding a save to measure that
start-up, at an empty one to measure start-up with nothing saved. The line
printed says whether the save folder held a saved frame.

-bigindex N makes a folder whose index names N records (none of them there),
as an old save of a long session, or a hostile one, might: the first frame
must not wait for it, and the script tells in which frame the editor has
read the index (its one frame is there).

-figure makes such a folder first: the editor itself (the `mobwright` beside
the bench folder), driven by an input script, saves a figure of 30 parts in
8 frames (240 records). The script then also tells in which frame the saved
figure is on the canvas.
"""
import base64
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
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


FIGURE_FRAMES, FIGURE_PARTS = 8, 30


def figure_input():
    """An input script: 30 parts in the first frame, 7 more frames of them, a save."""
    lines = ["2 move 128 128", "3 click left", "5 move 127 47", "6 click left"]
    frame = 8
    for k in range(FIGURE_PARTS):
        lines += ["%d move %d %d" % (frame, 250 + (k % 6) * 60, 200 + (k // 6) * 60), "%d click left" % (frame + 1)]
        frame += 3
    for k in range(1, FIGURE_FRAMES):
        lines += ["%d move %d 47" % (frame, 127 + 116 * k), "%d click left" % (frame + 1)]
        frame += 3
    lines += ["%d move 96 608" % frame, "%d click left" % (frame + 1)]
    return "\n".join(lines) + "\n"


def make_figure(program, data_home):
    """Saves the figure into data_home/Mobwright/ with the editor itself."""
    script = os.path.join(data_home, "figure_input.txt")
    with open(script, "w") as f:
        f.write(figure_input())
    env = dict(os.environ, XDG_DATA_HOME=data_home)
    out = subprocess.run([program, "-headless", "-noaudio", "-nowait", "-playback", script, "-exit"],
                         capture_output=True, text=True, env=env)
    expected = "Saved %d frames, %d parts." % (FIGURE_FRAMES, FIGURE_FRAMES * FIGURE_PARTS)
    if expected not in out.stderr:
        raise RuntimeError("the editor did not save the figure: %s" % out.stderr[-400:])


def make_big_index(program, data_home, keys):
    """A save folder whose index names `keys` records: the machine tag is
    taken from a save the editor makes, the rest is the index's JSON text
    and its 0 byte in Base64, as every secure map file holds them."""
    env = dict(os.environ, XDG_DATA_HOME=data_home)
    script = os.path.join(data_home, "one_part.txt")
    with open(script, "w") as f:
        f.write("2 move 128 128\n3 click left\n5 move 127 47\n6 click left\n8 move 400 300\n"
                "9 click left\n11 move 96 608\n12 click left\n")
    subprocess.run([program, "-headless", "-noaudio", "-nowait", "-playback", script, "-exit"],
                   capture_output=True, env=env, check=True)
    folder = os.path.join(data_home, "Mobwright")
    with open(os.path.join(folder, "frame1_data.dat"), "rb") as f:
        tag = f.read(80)
    index = {"%d_%d" % (i, 100000 + i): "%d_%d" % (i, 100000 + i) for i in range(keys)}
    body = base64.b64encode(json.dumps(index).encode() + b"\0")
    with open(os.path.join(folder, "frame1_data.dat"), "wb") as f:
        f.write(tag + body)
    os.remove(os.path.join(folder, "frames.dat"))


def frame_figure_shown(program, data_home, frames=20, figure_frames=FIGURE_FRAMES):
    """The first frame whose state holds the saved frames, or None."""
    env = dict(os.environ, XDG_DATA_HOME=data_home)
    command = [program, "-headless", "-noaudio", "-nowait", "-frames", str(frames)]
    dumps = [os.path.join(data_home, "dump_%d.json" % f) for f in range(frames)]
    for f, path in enumerate(dumps):
        command += ["-dumpstate", str(f), path]
    subprocess.run(command, capture_output=True, text=True, env=env, check=True)
    for f, path in enumerate(dumps):
        with open(path) as dump:
            objects = [i["object"] for i in json.load(dump)["instances"]]
        if objects.count("obj_Frame") == figure_frames:
            return f
    return None


def main():
    args = sys.argv[1:]
    env = None
    figure_shown = None
    if "-datahome" in args:
        at = args.index("-datahome")
        if at + 1 >= len(args):
            sys.exit("-datahome needs a folder")
        env = dict(os.environ, XDG_DATA_HOME=os.path.abspath(args[at + 1]))
        del args[at:at + 2]
    headless = "-headless" in args
    figure = "-figure" in args
    big_index = 0
    if "-bigindex" in args:
        at = args.index("-bigindex")
        big_index = int(args[at + 1])
        del args[at:at + 2]
    positional = [a for a in args if a not in ("-headless", "-figure")]
    folder = positional[0] if len(positional) > 0 else "build/bench"
    if figure:
        program = os.path.join(folder, os.pardir, "mobwright")
        data_home = tempfile.mkdtemp(prefix="mobwright_startup_figure_")
        make_figure(program, data_home)
        figure_shown = frame_figure_shown(program, data_home)
        env = dict(os.environ, XDG_DATA_HOME=data_home)
    if big_index:
        program = os.path.join(folder, os.pardir, "mobwright")
        data_home = tempfile.mkdtemp(prefix="mobwright_startup_index_")
        make_big_index(program, data_home, big_index)
        figure_shown = frame_figure_shown(program, data_home, frames=60, figure_frames=1)
        env = dict(os.environ, XDG_DATA_HOME=data_home)
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
    if figure:
        print("the saved figure (%d frames of %d parts) is on the canvas from frame %s (frame 0 is the first)"
              % (FIGURE_FRAMES, FIGURE_PARTS, figure_shown))
        shutil.rmtree(data_home, ignore_errors=True)
    if big_index:
        print("an index of %d keys: read, and its frame there, from frame %s (frame 0 is the first)"
              % (big_index, figure_shown))
        shutil.rmtree(data_home, ignore_errors=True)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""The room in a resized window, in a real X server: sharp at whole scales,
filtered at the others so that 1-pixel text stays legible.

The editor starts at twice the room's size (-scale 2) and writes its
screenshot (-screenshot, the room at its own size) early on; the pointer
stays outside the window, so the picture does not change after that. (The
room is drawn on its off-screen picture at every size but its own, so the
screenshot is that picture: the OpenGL renderer rounds some edges
differently when it draws straight into the window.) The window is then
resized to sizes whose room area is a whole multiple of the room or not,
and each time the window's pixels (captured from the X server) are held
against the screenshot scaled in this file by the rule the program follows:

- at a whole scale k, nearest-pixel: every room pixel a k x k block, and
  the capture must equal that exactly, bars black;
- otherwise the room enlarged nearest-pixel to the next whole multiple of
  its size (none when the area is smaller than the room), then filtered
  bilinearly down to the area, sampled at pixel centres with the edges
  clamped, as SDL's linear filtering samples: each channel within 24.
  And the capture must differ clearly from plain nearest-pixel scaling to
  the same area, which drops or doubles whole rows and columns of the
  room's 1-pixel letters.

It runs with SDL's default renderer and again with its software renderer
(SDL_RENDER_DRIVER), whose filtering is SDL's own code.

Every wait is for something to show (the window at its size, the log line
of the resize, the capture matching); the limits only guard against a
program that never gets there.

Usage: crisp_test.py PROGRAM
"""

import math
import os
import struct
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from xsession import XSessionError  # noqa: E402

ROOM_W, ROOM_H = 1024, 768
LIMIT = 90.0  # seconds for any one wait: a guard, not a timing assumption
TOLERANCE = 24
SHOT_FRAME = 20
START = (2 * ROOM_W, 2 * ROOM_H)
# Window sizes after the start: the 1200 x 700 (area below the
# room's size), two between one and two times the room (bars left and
# right, above and below), and three times the room.
SIZES = [(1200, 700), (1500, 1000), (1301, 1211), (3 * ROOM_W, 3 * ROOM_H)]


class Failure(XSessionError):
    pass


def fit_area(window_w, window_h):
    """The room's area in the window: the largest of the room's aspect that
    fits, centred, each bar rounded down (the program's own rule)."""
    width, height = window_w, window_h
    if window_w * ROOM_H > window_h * ROOM_W:
        width = (2 * window_h * ROOM_W + ROOM_H) // (2 * ROOM_H)
    elif window_w * ROOM_H < window_h * ROOM_W:
        height = (2 * window_w * ROOM_H + ROOM_W) // (2 * ROOM_W)
    x, y = (window_w - width) // 2, (window_h - height) // 2
    return x, y, window_w - 2 * x, window_h - 2 * y


def whole_factor(area_w, area_h):
    """The next whole multiple of the room that covers the area (at least 1),
    and whether the area is exactly that multiple."""
    k = max(1, -(-area_w // ROOM_W), -(-area_h // ROOM_H))
    return k, (area_w, area_h) == (k * ROOM_W, k * ROOM_H)


def nearest_indices(source, target):
    """For each target pixel, the source pixel under its centre."""
    return [min(source - 1, (2 * i + 1) * source // (2 * target)) for i in range(target)]


def linear_taps(source, target):
    """For each target pixel: the two source pixels and the second one's
    weight, for sampling at the target pixel's centre with the edges
    clamped."""
    taps = []
    for i in range(target):
        at = (i + 0.5) * source / target - 0.5
        first = math.floor(at)
        weight = at - first
        taps.append((min(max(first, 0), source - 1), min(max(first + 1, 0), source - 1), weight))
    return taps


def nearest_scaled(shot, area_w, area_h):
    """The screenshot scaled to the area by nearest-pixel sampling."""
    k, whole = whole_factor(area_w, area_h)
    if whole:  # each pixel k times across, each row k times down
        rows = []
        for row in shot.rows:
            line = bytearray(3 * k * shot.width)
            for j in range(3 * k):
                line[j::3 * k] = row[j % 3::3]
            rows += [bytes(line)] * k
        return xsession.Image(area_w, area_h, rows)
    xs = nearest_indices(shot.width, area_w)
    rows = []
    for sy in nearest_indices(shot.height, area_h):
        row = shot.rows[sy]
        rows.append(b"".join(row[3 * x:3 * x + 3] for x in xs))
    return xsession.Image(area_w, area_h, rows)


def crisp_scaled(shot, area_w, area_h):
    """The screenshot enlarged k times nearest-pixel, then filtered
    bilinearly to the area. The enlarged picture's pixel x is the room's
    x // k, so both passes read the room directly: across each room row
    first, then between the rows."""
    k, _ = whole_factor(area_w, area_h)
    across = [(a // k, b // k, w) for a, b, w in linear_taps(k * shot.width, area_w)]
    down = [(a // k, b // k, w) for a, b, w in linear_taps(k * shot.height, area_h)]
    needed = sorted({a for a, _, _ in down} | {b for _, b, _ in down})
    filtered = {}
    for sy in needed:
        row = shot.rows[sy]
        line = []
        for a, b, w in across:
            for c in range(3):
                line.append(row[3 * a + c] * (1 - w) + row[3 * b + c] * w)
        filtered[sy] = line
    rows = []
    for a, b, w in down:
        top, bottom = filtered[a], filtered[b]
        rows.append(bytes(min(255, int(t * (1 - w) + u * w + 0.5)) for t, u in zip(top, bottom)))
    return xsession.Image(area_w, area_h, rows)


class Session:
    def __init__(self, program, work, driver, display):
        self.name = driver or "default renderer"
        self.display = display
        self.folder = os.path.join(work, driver or "default")
        os.makedirs(os.path.join(self.folder, "data"))
        self.log = os.path.join(self.folder, "log.txt")
        self.shot = os.path.join(self.folder, "shot.png")
        env = dict(os.environ, XDG_DATA_HOME=os.path.join(self.folder, "data"))
        if driver:
            env["SDL_RENDER_DRIVER"] = driver
        self.output = open(os.path.join(self.folder, "output.txt"), "wb")
        self.process = subprocess.Popen(
            [program, "-noaudio", "-output", self.log, "-scale", "2", "-screenshot", str(SHOT_FRAME), self.shot],
            stdout=self.output, stderr=subprocess.STDOUT, env=env)
        self.window = xsession.wait_for("%s: the window in the main loop" % self.name, self._ready, LIMIT)

    def alive(self):
        if self.process.poll() is not None:
            raise Failure("%s: the program ended with %d" % (self.name, self.process.returncode))

    def read_log(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def _ready(self):
        self.alive()
        windows = self.display.windows_of(self.process.pid)
        return windows[0] if len(windows) == 1 and "Entering main loop." in self.read_log() else None

    def screenshot(self):
        def written():
            self.alive()
            try:
                return xsession.read_png(self.shot)
            except FileNotFoundError:
                return None
            except (XSessionError, zlib.error, struct.error):
                return None  # still being written
        shot = xsession.wait_for("%s: the screenshot" % self.name, written, LIMIT)
        if (shot.width, shot.height) != (ROOM_W, ROOM_H):
            raise Failure("%s: the screenshot is %dx%d" % (self.name, shot.width, shot.height))
        return shot

    def resize(self, width, height):
        # In the screen's corner: only a window wholly on the screen can be
        # captured, and nothing moves it back in without a window manager.
        subprocess.run(["xdotool", "windowmove", str(self.window), "0", "0"], check=True, timeout=30,
                       capture_output=True)
        subprocess.run(["xdotool", "windowsize", str(self.window), str(width), str(height)], check=True,
                       timeout=30, capture_output=True)
        wanted = "Window %d x %d: the room is drawn at" % (width, height)
        xsession.wait_for("%s: the program following the window to %dx%d" % (self.name, width, height),
                          lambda: self.alive() or wanted in self.read_log(), LIMIT)

    def wait_for_picture(self, what, width, height, matches):
        """Captures the window until it is width x height and matches() the
        capture; returns the last capture either way, and whether it did."""
        last = [None]

        def shows():
            self.alive()
            geometry = self.display.geometry(self.window)
            if not geometry or geometry[2:] != (width, height):
                return False
            last[0] = self.display.capture(self.window)
            return matches(last[0])

        try:
            xsession.wait_for("%s: %s" % (self.name, what), shows, LIMIT, 0.2)
            return last[0], True
        except XSessionError:
            if last[0] is None:
                raise
            return last[0], False

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.output.close()


def bars_black(capture, area):
    x, y, w, h = area
    black = b"\0\0\0"
    for row_index, row in enumerate(capture.rows):
        if row_index < y or row_index >= y + h:
            if row != black * capture.width:
                return False
        elif row[:3 * x] != black * x or row[3 * (x + w):] != black * (capture.width - x - w):
            return False
    return True


def check_size(session, shot, width, height):
    """Holds the window at width x height against the screenshot scaled by
    the program's rule; returns a line for the report."""
    area = fit_area(width, height)
    k, whole = whole_factor(area[2], area[3])
    expected = (nearest_scaled if whole else crisp_scaled)(shot, area[2], area[3])
    tolerance = 0 if whole else TOLERANCE
    kind = "exactly nearest-pixel at %d" % k if whole else "filtered after enlarging %d times" % k
    capture, ok = session.wait_for_picture(
        "the window at %dx%d showing the room %s" % (width, height, kind), width, height,
        lambda c: bars_black(c, area) and not c.crop(*area).differences(expected, tolerance))
    inside = capture.crop(*area)
    wrong = inside.differences(expected, tolerance)
    if not ok:
        capture.write_png(os.path.join(session.folder, "window_%dx%d.png" % (width, height)))
        expected.write_png(os.path.join(session.folder, "expected_%dx%d.png" % (width, height)))
        raise Failure("%s: at %dx%d (area %s) the room is not shown %s: %d pixels differ by more than %d, first %s; "
                      "bars black: %s" % (session.name, width, height, area, kind, len(wrong), tolerance, wrong[:3],
                                          bars_black(capture, area)))
    if whole:
        return "%dx%d %s" % (width, height, kind)
    # Legible: plainly not what nearest-pixel sampling gives at that size,
    # which the same comparison refuses at many pixels (those of the rows
    # and columns of the room that it drops or doubles).
    off_nearest = len(inside.differences(nearest_scaled(shot, area[2], area[3]), TOLERANCE))
    least = area[2] * area[3] // 200
    if off_nearest < least:
        raise Failure("%s: at %dx%d only %d pixels differ from nearest-pixel scaling by more than %d (at least %d "
                      "expected)" % (session.name, width, height, off_nearest, TOLERANCE, least))
    largest = max((max(abs(a - b) for a, b in zip(ours, theirs)) for _, _, ours, theirs in
                   inside.differences(expected)), default=0)
    return "%dx%d %s (largest difference %d; %d pixels off nearest-pixel scaling)" % (
        width, height, kind, largest, off_nearest)


def run_session(program, work, driver, display):
    session = Session(program, work, driver, display)
    report = []
    try:
        shot = session.screenshot()
        report.append(check_size(session, shot, *START))
        for width, height in SIZES:
            session.resize(width, height)
            report.append(check_size(session, shot, width, height))
        session.process.terminate()
        if session.process.wait(timeout=LIMIT) != 0:
            raise Failure("%s: the program ended with %d" % (session.name, session.process.returncode))
        session.output.close()
    except BaseException:
        session.kill()
        sys.stderr.write("--- %s: the end of its debug log:\n%s\n" % (session.name, session.read_log()[-3000:]))
        raise
    print("crisp_test, %s: %s" % (session.name, "; ".join(report)))


def run(args, work):
    with xsession.session(3200, 2400, LIMIT, work) as display:
        # The pointer outside every window: nothing in the editor lights up.
        subprocess.run(["xdotool", "mousemove", "3190", "2390"], check=True, timeout=30, capture_output=True)
        for driver in ("", "software"):
            run_session(args.program, work, driver, display)


if __name__ == "__main__":
    sys.exit(xsession.run_test("crisp_test", run, tools=("Xvfb", "xdotool")))

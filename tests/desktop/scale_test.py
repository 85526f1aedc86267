#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""The window at twice the room's size, and resized, in a real X server.

The same editing session is done twice, as a person does it with the mouse:
once in a window at the room's own size, once at -scale 2 with every click at
the doubled position (2x+1, 2y+1). Each session picks two shapes and colours,
places them on the canvas at 500,400 and 530,460, makes a frame and presses
Export; the message box that follows is answered with the Return key, and
the text the program then puts on the clipboard is read from the X server
(xclip). Then each window is resized to an odd size (bars left and right for
the scaled one, above and below for the other), a third shape is placed at
300,650 through the position the bars call for, and the figure is exported
again. Both exports must be the same in the two sessions, and at scale 1 show
each shape at its offset from the centre cross: every click landed on the
same room pixel.

Before that, the window's size is checked: 2048 x 1536 at -scale 2, the same
for a Scale=2 line in options.ini, and 1024 x 768 when -scale 1 overrides it.

Nothing here waits a fixed time. The program runs at its own frame rate and
every wait is for something to show: the window at its size, a line in the
debug log (-output, written at once), the message box, the clipboard text.
A click is a button press, then a release once the program has stepped with
the press down: a press and a release that fall into the same step show as a
release only. The steps are counted in the debug log: each session first
presses the music player's Play button (the sound is mixed in memory,
-audio loopback), and from then on the music controller writes a "Current
Song ID" line every step. Three more such lines, counted once an input event
was sent, show that a whole step has taken it. The input the program saw is checked
afterwards in its recording (-record). The limits only guard against a
program that never gets there.
"""

import os
import re
import shutil
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from xsession import XSessionError  # noqa: E402

LIMIT = 90.0  # seconds for any one condition; a guard, not a timing assumption
ROOM_W, ROOM_H = 1024, 768


class Failure(XSessionError):
    pass


def wait_for(what, condition):
    return xsession.wait_for(what, condition, LIMIT)


def run(*command, check=True, limit=30):
    result = subprocess.run(command, capture_output=True, text=True, timeout=limit)
    if check and result.returncode != 0:
        raise Failure("%s failed (%d): %s" % (" ".join(command), result.returncode, result.stderr.strip()))
    return result.stdout


def xdotool(*arguments, check=True):
    return run("xdotool", *[str(a) for a in arguments], check=check)


def fit_area(window_w, window_h):
    """Where the room is drawn in a window: the largest area of the room's
    aspect that fits, centred, the bars of an axis equally wide."""
    width, height = window_w, window_h
    if window_w * ROOM_H > window_h * ROOM_W:
        width = (2 * window_h * ROOM_W + ROOM_H) // (2 * ROOM_H)
    elif window_w * ROOM_H < window_h * ROOM_W:
        height = (2 * window_w * ROOM_H + ROOM_W) // (2 * ROOM_W)
    x, y = (window_w - width) // 2, (window_h - height) // 2
    return x, y, window_w - 2 * x, window_h - 2 * y


class Session:
    """One run of the program in the X server, driven through xdotool."""

    def __init__(self, program, work, name, arguments, expected_size, display):
        self.name = name
        self.display = display
        self.keys = xsession.Input(display.server)
        self.folder = os.path.join(work, name)
        os.makedirs(os.path.join(self.folder, "data"))
        self.record = os.path.join(self.folder, "input.txt")
        self.log = os.path.join(self.folder, "log.txt")
        environment = dict(os.environ, XDG_DATA_HOME=os.path.join(self.folder, "data"))
        self.output = open(os.path.join(self.folder, "output.txt"), "wb")
        self.process = subprocess.Popen(
            [program, "-audio", "loopback", "-record", self.record, "-output", self.log] + arguments,
            stdout=self.output, stderr=subprocess.STDOUT, env=environment)
        self.window = None
        self.sent = []  # window pixels of the presses, in order
        self.size = expected_size
        self.area = (0, 0) + expected_size
        try:
            self._find_window(expected_size)
        except BaseException:
            self.kill()
            sys.stderr.write("--- %s: the end of its debug log:\n%s\n" % (name, self.read_log()[-3000:]))
            raise

    # ---- the window ----

    def _alive(self):
        if self.process.poll() is not None:
            raise Failure("%s: the program ended with %d" % (self.name, self.process.returncode))

    def _find_window(self, size):
        expected = "%dx%d" % size

        def ready():
            self._alive()
            found = xdotool("search", "--onlyvisible", "--pid", self.process.pid, check=False).split()
            if not found:
                return None
            geometry = self.geometry(found[0])
            if geometry != expected or "Entering main loop." not in self.read_log():
                return None
            return found[0]

        self.window = wait_for("%s window at %s in the main loop" % (self.name, expected), ready)

    def geometry(self, window=None):
        text = xdotool("getwindowgeometry", window or self.window, check=False)
        match = re.search(r"Geometry: (\d+x\d+)", text)
        return match.group(1) if match else None

    def read_log(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def resize(self, width, height):
        xdotool("windowsize", self.window, width, height)
        wanted = "Window %d x %d: the room is drawn at" % (width, height)
        wait_for("%s: the program following the window to %dx%d" % (self.name, width, height),
                 lambda: self._alive() or wanted in self.read_log())
        if self.geometry() != "%dx%d" % (width, height):
            raise Failure("%s: the window is %s after resizing to %dx%d" % (self.name, self.geometry(), width, height))
        self.size = (width, height)
        self.area = fit_area(width, height)
        line = re.findall(r"Window %d x %d: the room is drawn at (\d+),(\d+) in (\d+) x (\d+)" % (width, height),
                          self.read_log())[-1]
        if tuple(int(v) for v in line) != self.area:
            raise Failure("%s: the program draws the room at %s in the %dx%d window, not at %s" %
                          (self.name, line, width, height, self.area))

    def window_pixel(self, room_x, room_y):
        """The window pixel to click for room pixel (x, y). At a whole scale k
        it is the last of the room pixel's k x k block, (2x+1, 2y+1) at 2.
        Otherwise it is the first window pixel whose top-left corner lies in
        the room pixel: the mouse mapping takes a window pixel's corner."""
        def axis(v, start, size, room):
            if size % room == 0:
                k = size // room
                return start + k * v + k - 1
            return start + (v * size + room - 1) // room
        ax, ay, aw, ah = self.area
        return axis(room_x, ax, aw, ROOM_W), axis(room_y, ay, ah, ROOM_H)

    # ---- input, step by step ----

    def steps(self):
        return self.read_log().count("Current Song ID:")

    def wait_steps(self, since, what):
        """Waits for three more step lines than `since`, counted once the
        input was sent: the step that wrote the first may have drained the
        window's messages before the input arrived, the next one drained
        them after that step (the third is a margin for the X server's
        hand-over of the event)."""
        wait_for("%s: steps after %s" % (self.name, what),
                 lambda: self._alive() or self.steps() >= since + 3)

    def start_music(self):
        """Presses Play and holds it until the music controller runs: from
        then on every step writes its line."""
        x, y = self.window_pixel(246, 111)
        xdotool("mousemove", "--window", self.window, x, y)
        xdotool("mousedown", 1)
        wait_for("%s: the music controller's step line after pressing Play" % self.name,
                 lambda: self._alive() or self.steps() > 0)
        self.sent.append((x, y))
        xdotool("mouseup", 1)
        self.wait_steps(self.steps(), "releasing Play")

    def click(self, room_x, room_y, answer_box=False):
        x, y = self.window_pixel(room_x, room_y)
        if not (0 <= x < self.size[0] and 0 <= y < self.size[1]):
            raise Failure("%s: room %d,%d is outside the window at %d,%d" % (self.name, room_x, room_y, x, y))
        xdotool("mousemove", "--window", self.window, x, y)
        xdotool("mousedown", 1)
        since = self.steps()
        if answer_box:
            # The press's step shows the box and waits for it to be answered.
            self.answer_message_box()
        self.wait_steps(since, "the press at room %d,%d" % (room_x, room_y))
        xdotool("mouseup", 1)
        self.wait_steps(self.steps(), "the release at room %d,%d" % (room_x, room_y))
        self.sent.append((x, y))

    def check_recording(self):
        """After the program has ended: each press was at a window pixel
        that was sent, in order, and no press was released in its own step."""
        with open(self.record) as f:
            lines = f.read().splitlines()
        pointer = None
        pressed_at = []
        press_frame = None
        for line in lines:
            words = line.split()
            if len(words) >= 4 and words[1] == "move":
                pointer = (int(words[2]), int(words[3]))
            elif len(words) >= 3 and words[1] == "press":
                pressed_at.append(pointer)
                press_frame = int(words[0])
            elif len(words) >= 3 and words[1] == "release" and press_frame is not None:
                if int(words[0]) <= press_frame:
                    raise Failure("%s: a press and its release fell into frame %s together" % (self.name, words[0]))
                press_frame = None
        if pressed_at != self.sent:
            raise Failure("%s: the program saw presses at %s, the test sent them at %s" %
                          (self.name, pressed_at, self.sent))

    def answer_message_box(self):
        """The program's message box: a person presses Return in it."""
        box = xsession.wait_for_dialog(self.display, int(self.window), LIMIT, check=self._alive)
        xsession.answer_dialog(self.display, self.keys, box, timeout=LIMIT)

    def clipboard(self):
        text = xsession.read_clipboard(self.display.server)
        return text.decode("utf-8", errors="replace") if text else ""

    def export(self, previous=""):
        """Presses Export, answers the box, returns the clipboard's new text."""
        self.click(95, 502, answer_box=True)
        return wait_for("%s: the export on the clipboard" % self.name,
                        lambda: (lambda t: t if t.startswith("switch floor(frame)") and t != previous else None)(
                            self.clipboard()))

    def end(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            status = self.process.wait(timeout=LIMIT)
        except subprocess.TimeoutExpired:
            raise Failure("%s: the program did not end within %.0f s of SIGTERM" % (self.name, LIMIT))
        self.output.close()
        if status != 0:
            raise Failure("%s: the program ended with %d" % (self.name, status))

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.output.close()


def place_shape(session, shape, colour, canvas):
    session.click(*shape)
    session.click(*colour)
    session.click(*canvas)


def editing_session(program, work, display, name, arguments, start_size, resized_size):
    session = Session(program, work, name, arguments, start_size, display)
    try:
        if session.geometry() != "%dx%d" % start_size:
            raise Failure("%s: the window is %s, not %dx%d" % (name, session.geometry(), *start_size))
        session.start_music()
        place_shape(session, (32, 256), (928, 164), (500, 400))
        place_shape(session, (128, 128), (992, 164), (530, 460))
        session.click(127, 47)  # "+": a frame of the figure
        first = session.export()
        session.resize(*resized_size)
        place_shape(session, (43, 323), (864, 164), (300, 650))
        second = session.export(previous=first)
        session.end()
        session.check_recording()
        return first, second
    except BaseException:
        session.kill()
        sys.stderr.write("--- %s: the end of its debug log:\n%s\n" % (name, session.read_log()[-3000:]))
        raise


def window_size_session(program, work, display, name, arguments, expected_size):
    session = Session(program, work, name, arguments, expected_size, display)
    try:
        session.end()
    except BaseException:
        session.kill()
        raise


def run_all(args, work):
    # Large enough for the doubled window.
    with xsession.session(2600, 1700, LIMIT, work) as display:
        # The window's size: -scale, options.ini's Scale=, the command line first.
        game = os.path.join(work, "game")
        os.makedirs(game)
        shutil.copy(args.data_file, os.path.join(game, "data.win"))
        with open(os.path.join(game, "options.ini"), "w") as f:
            f.write("[Window]\nScale=2\n")
        window_size_session(args.program, work, display, "ini_scale", ["-game", os.path.join(game, "data.win")], (2048, 1536))
        window_size_session(args.program, work, display, "ini_overridden",
                            ["-game", os.path.join(game, "data.win"), "-scale", "1"], (1024, 768))

        # The same session at the room's size and at twice it.
        plain = editing_session(args.program, work, display, "scale1", [], (1024, 768), (1299, 1017))
        doubled = editing_session(args.program, work, display, "scale2", ["-scale", "2"], (2048, 1536), (1537, 1001))
        for text in plain:
            if text.count("draw_sprite_ext") < 4:
                raise Failure("the export holds too little:\n" + text)
        # Each shape sits where it was placed, from the centre cross at 512,448.
        for offsets, text in (("(-12)), y + (yScale *(-48))", plain[0]), ("(18)), y + (yScale *(12))", plain[0]),
                              ("(-212)), y + (yScale *(202))", plain[1])):
            if text.count(offsets) != 2:
                raise Failure("no shape at the offsets %s in the export at scale 1:\n%s" % (offsets, text))
        for which, a, b in (("first", plain[0], doubled[0]), ("second", plain[1], doubled[1])):
            if a != b:
                raise Failure("the %s export differs between scale 1 and scale 2:\n--- scale 1:\n%s--- scale 2:\n%s"
                              % (which, a, b))
        for which, text in (("first", plain[0]), ("second", plain[1])):
            print("--- the %s export:\n%s" % (which, text), end="")
        print("scale_test: 2048x1536 at -scale 2 and from options.ini, -scale 1 wins; the same two exports "
              "(%d and %d lines) at scale 1 and 2, after resizing to 1299x1017 and 1537x1001"
              % (plain[0].count("\n"), plain[1].count("\n")))


if __name__ == "__main__":
    sys.exit(xsession.run_test("scale_test", run_all, arguments=("program", "data_file")))

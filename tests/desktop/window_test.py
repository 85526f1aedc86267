#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""One editing session in the real window, under Xvfb, driven by X input
events as a person drives it, checked against the same session run headless.

The session: choose a shape and a colour, place three shapes, choose the
middle one through its list row, drag it, turn it with its knob, make two
frames, save (answering the message box), export (answering the message box),
and close the window.

The same steps, in room coordinates, are played headless first (-playback,
one event a frame) with a screenshot of each step settled and a state dump at
the end. The real session then goes step by step, and after each step waits until
the window shows exactly the headless screenshot of that step. That wait is
both a check (every state on the way looks the same, pixel for pixel) and the
pacing: the editor reads a button on the frame it goes down, and a press and
release that fall between two frames show as a release only, so a button is
released only once the window shows what its press did. Every step is chosen
to change the picture (the test refuses a step that does not; a press that
opens a message box shows by the box), so seeing a step's picture also means
every event sent before it was taken: a release and the next press never
reach the editor in the same frame.

The window is drawn with SDL's software renderer (SDL_RENDER_DRIVER), the one
headless runs use: the OpenGL renderer draws scaled and turned sprites with
other rounding, which would leave only loose comparisons.

Each message box is a window of its own: the test waits for it, checks that
its action has not happened yet (the editor shows the message first), and
answers it with Enter. After the save's box: the index file appears in the
save folder (an XDG_DATA_HOME of the test's own). After the export's box:
the system clipboard, read with xclip while the editor runs, holds the
headless run's export character for character. Where a picture differs,
the frame previews and the list rows are reported on their own; at the end
the previews must hold the shapes' colour, the save folder must hold the
same files with the same bytes as the headless one, and the window is
closed as a window manager closes it; the exit code must be 0.

Usage: window_test.py PROGRAM [--keep DIR]
"""

import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from xsession import XSessionError, wait_for  # noqa: E402

ROOM_WIDTH, ROOM_HEIGHT = 1024, 768
CAPTION = "Mobwright Studio| Tindra "
LIMIT = 90.0  # seconds for any one wait: a guard, not a timing assumption
SETTLE = 3    # frames headless between a step's last event and its screenshot

# Places in the room.
SHAPE = (128, 320)          # a shape selector (the horn)
COLOUR = (928, 120)         # the orange swatch
PLACES = [(400, 300), (520, 400), (620, 520)]
MIDDLE_ROW = (880, 326)     # rows run newest first: 311, 326, 341
DRAG_START = (526, 406)     # inside the second shape's circle, off its origin
DRAG_PATH = [(480, 440), (440, 470)]
TURN_TO = (390, 383)        # from (440, 470): up and to the left
FRAME_SLOTS = [(127, 47), (243, 47)]
SAVE = (96, 608)
EXPORT = (95, 502)
RESTING = (700, 700)        # an empty part of the canvas

# Regions of the window whose differences are reported on their own (x, y,
# w, h): the two frame previews, and the three list rows.
REGIONS = {
    "frame previews": (78, 0, 214, 97),
    "list rows": (834, 300, 190, 50),
}


def knob(at):
    return (at[0], at[1] - 60)


def steps():
    """The session as steps: (name, events, box). Each step's events go
    out together; its last event must change the picture. `box` ("save",
    "export") marks a step whose press opens a message box: its release goes
    out once the box is there, and the box shows that the press was taken."""
    s = []
    s.append(("choose the shape", [("move",) + SHAPE, ("press",)], None))
    s.append(("point at the colour", [("release",), ("move",) + COLOUR], None))
    s.append(("choose the colour", [("press",)], None))
    for i, place in enumerate(PLACES):
        s.append(("point at place %d" % (i + 1), [("release",), ("move",) + place], None))
        s.append(("place shape %d" % (i + 1), [("press",)], None))
    s.append(("point at the middle row", [("release",), ("move",) + MIDDLE_ROW], None))
    s.append(("choose the middle row", [("press",)], None))
    s.append(("point at its knob", [("release",), ("move",) + knob(PLACES[1])], None))
    s.append(("point at the shape", [("move",) + DRAG_START], None))
    s.append(("take the shape", [("press",)], None))
    for i, point in enumerate(DRAG_PATH):
        s.append(("drag, part %d" % (i + 1), [("move",) + point], None))
    # Let go outside the canvas first: had the release and the next move
    # reached the editor in one frame, a move inside the canvas would still
    # drag the shape.
    s.append(("let go, point at the first frame slot", [("release",), ("move",) + FRAME_SLOTS[0]], None))
    s.append(("point at the knob", [("move",) + knob(DRAG_PATH[-1])], None))
    s.append(("take the knob", [("press",)], None))
    s.append(("turn", [("move",) + TURN_TO], None))
    s.append(("let go, point at the first frame slot again", [("release",), ("move",) + FRAME_SLOTS[0]], None))
    s.append(("make frame 1", [("press",)], None))
    s.append(("point at the second frame slot", [("release",), ("move",) + FRAME_SLOTS[1]], None))
    s.append(("make frame 2", [("press",)], None))
    s.append(("point at Save", [("release",), ("move",) + SAVE], None))
    s.append(("save", [("press",), ("release",)], "save"))
    s.append(("point at Export", [("release",), ("move",) + EXPORT], None))
    s.append(("export", [("press",), ("release",)], "export"))
    s.append(("rest", [("release",), ("move",) + RESTING], None))
    return s


class Failure(XSessionError):
    pass


def run_headless(program, work, session):
    """Plays the session headless: one event a frame from frame 2, and
    SETTLE frames after each step's last event a screenshot, then the next
    step; the state dump after the last step. Some things show a frame after
    the mouse gets there (a list row's hover frame follows the row's place,
    set later in the step), and the real window is looked at after many
    frames, so the screenshots show the steps settled. Returns (screenshot
    paths, dump, save folder)."""
    folder = os.path.join(work, "headless")
    save = os.path.join(folder, "save")
    os.makedirs(save)
    lines, shots, frame = [], [], 2
    names = {"press": "press left", "release": "release left"}
    for name, events, _ in session:
        for event in events:
            if event[0] == "move":
                lines.append("%d move %d %d" % (frame, event[1], event[2]))
            else:
                lines.append("%d %s" % (frame, names[event[0]]))
            frame += 1
        frame += SETTLE
        shots.append((frame - 1, os.path.join(folder, "step_%02d.png" % len(shots))))
    last = frame - 1
    script = os.path.join(folder, "input.txt")
    with open(script, "w") as f:
        f.write("\n".join(lines) + "\n")
    dump = os.path.join(folder, "dump.json")
    command = [program, "-headless", "-noaudio", "-nowait", "-frames", str(last + 2), "-playback", script,
               "-output", os.path.join(folder, "log.txt"), "-dumpstate", str(last), dump]
    for shot_frame, path in shots:
        command += ["-screenshot", str(shot_frame), path]
    env = dict(os.environ)
    env["XDG_DATA_HOME"] = save
    env.pop("DISPLAY", None)
    result = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    if result.returncode != 0:
        raise Failure("the headless run ended with %d: %s" % (result.returncode, result.stdout.decode()[-2000:]))
    with open(dump) as f:
        state = json.load(f)
    return [path for _, path in shots], state, os.path.join(save, "Mobwright")


def load_references(paths, session):
    references, previous = [], None
    for (name, _, box), path in zip(session, paths):
        image = xsession.read_png(path, previous)
        if not box and previous is not None and image.rows == previous.rows:
            raise Failure("step '%s' does not change the picture headless: the test could not tell when the "
                          "editor has taken it" % name)
        references.append(image)
        previous = image
    return references


def summary(differences, limit=6):
    shown = ", ".join("(%d, %d) %s != %s" % d for d in differences[:limit])
    return "%d pixels differ: %s%s" % (len(differences), shown, " ..." if len(differences) > limit else "")


def by_region(reference, image):
    """Where two pictures differ: the frame previews, the list rows and the
    rest of the window, each on its own."""
    parts, elsewhere = [], []
    for x, y, a, b in reference.differences(image):
        for region, (rx, ry, rw, rh) in REGIONS.items():
            if rx <= x < rx + rw and ry <= y < ry + rh:
                break
        else:
            region = None
        (elsewhere if region is None else parts).append((region, (x, y, a, b)))
    report = []
    for region in REGIONS:
        found = [d for r, d in parts if r == region]
        report.append("%s: %s" % (region, summary(found) if found else "the same"))
    report.append("elsewhere: %s" % (summary([d for _, d in elsewhere]) if elsewhere else "the same"))
    return "; ".join(report)


class Session:
    def __init__(self, program, work):
        self.program = program
        self.work = work
        self.save_home = os.path.join(work, "real", "save")
        self.save = os.path.join(self.save_home, "Mobwright")
        os.makedirs(self.save_home)
        self.log = os.path.join(work, "real", "log.txt")
        self.process = None
        self.window = None
        self.mapping = None
        self.display = None
        self.xvfb = xsession.Xvfb(log_path=os.path.join(work, "real", "xvfb.log"))
        try:
            self.display = xsession.Display(self.xvfb.display)
        except BaseException:
            self.xvfb.stop()
            raise
        self.input = xsession.Input(self.xvfb.display)

    def start(self):
        env = self.xvfb.environment()
        env["XDG_DATA_HOME"] = self.save_home
        env["SDL_RENDER_DRIVER"] = "software"
        self.output = open(os.path.join(self.work, "real", "program.txt"), "wb")
        # No -frames: the program runs until its window is closed.
        self.process = subprocess.Popen([self.program, "-noaudio", "-output", self.log], env=env,
                                        stdout=self.output, stderr=subprocess.STDOUT)

        def ready():
            if self.process.poll() is not None:
                raise Failure("the program ended with %d before its window appeared" % self.process.returncode)
            windows = self.display.windows_of(self.process.pid)
            if len(windows) != 1:
                return None
            geometry = self.display.geometry(windows[0])
            if not geometry or geometry[2:] != (ROOM_WIDTH, ROOM_HEIGHT):
                return None
            with open(self.log, errors="replace") as f:
                if "Entering main loop." not in f.read():
                    return None
            return windows[0]

        self.window = wait_for("the program's window at %dx%d in its main loop" % (ROOM_WIDTH, ROOM_HEIGHT),
                               ready, LIMIT)
        name = self.display.name(self.window)
        if name != CAPTION:
            raise Failure("the window's caption is %r, not %r" % (name, CAPTION))
        self.mapping = xsession.RoomMapping(self.display.geometry(self.window), ROOM_WIDTH, ROOM_HEIGHT)

    def send(self, event):
        if event[0] == "move":
            self.input.move(*self.mapping.to_screen(event[1], event[2]))
        elif event[0] == "press":
            self.input.press(1)
        else:
            self.input.release(1)

    def wait_for_picture(self, name, reference, keep):
        last = [None]

        def shows():
            self.alive()
            last[0] = self.display.capture(self.window)
            return last[0].rows == reference.rows

        try:
            wait_for("the window to show step '%s' as the headless run did" % name, shows, LIMIT, 0.1)
        except XSessionError:
            if last[0] is not None:
                last[0].write_png(os.path.join(keep, "window_%s.png" % name.replace(" ", "_")))
                raise Failure("step '%s': the window never showed what the headless run showed; at the end %s "
                              "(window_*.png in the kept folder)" % (name, by_region(reference, last[0])))
            raise

    def alive(self):
        if self.process.poll() is not None:
            raise Failure("the program ended with %d during the session" % self.process.returncode)

    def answer_message_box(self, what, before):
        """Waits for the editor's message box (a window of its own, transient
        for the editor's window), checks `before` (what must hold while the
        box is open), lets go of the button that opened it, and presses Enter
        in it, as a person answers it."""

        dialog = xsession.wait_for_dialog(self.display, self.window, LIMIT, self.alive)
        caption = self.display.name(dialog)
        if caption != CAPTION:
            raise Failure("the %s's message box is captioned %r, not %r" % (what, caption, CAPTION))
        if not before():
            raise Failure("the %s's message box came at the wrong time: what must hold while it is open did not" % what)
        self.input.release(1)
        xsession.answer_dialog(self.display, self.input, dialog, "Return", LIMIT)

    def close(self):
        """Closes the window as a window manager's close button does: the
        WM_DELETE_WINDOW message that every X window manager sends. SDL turns
        it into its quit message (the same one SIGTERM gives, which is not how
        a person closes a window), and the program must end with 0."""
        self.display.request_close(self.window)
        try:
            return self.process.wait(timeout=LIMIT)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %.0f s of its window being closed" % LIMIT)

    def stop(self):
        if self.process is not None:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait()
            self.output.close()
        self.display.close()
        self.xvfb.stop()


def contains_colour(image, colour, tolerance=8):
    for row in image.rows:
        for x in range(image.width):
            pixel = row[3 * x:3 * x + 3]
            if all(abs(pixel[i] - colour[i]) <= tolerance for i in range(3)):
                return True
    return False


def run(program, work):
    session_steps = steps()
    started = time.monotonic()
    paths, state, headless_save = run_headless(program, work, session_steps)
    references = load_references(paths, session_steps)
    colour = check_headless_state(state)
    expected_text = state["clipboard"]
    print("headless run and its %d pictures: %.1f s" % (len(references), time.monotonic() - started))

    keep = os.path.join(work, "real")
    session = Session(program, work)
    try:
        session.start()
        for (name, events, box), reference in zip(session_steps, references):
            if not box:
                for event in events:
                    session.send(event)
            elif box == "save":
                # The save runs first; its message then says what was saved,
                # so the index is there while the box is open.
                index = os.path.join(session.save, "frame1_data.dat")
                session.send(("press",))
                session.answer_message_box("save", before=lambda: os.path.isfile(index))
            elif box == "export":
                # The message first, then the clipboard: no client owns the
                # clipboard while the box is open.
                session.send(("press",))
                session.answer_message_box("export",
                                           before=lambda: session.display.selection_owner("CLIPBOARD") == 0)
                text = wait_for("the clipboard to hold the export",
                                lambda: xsession.read_clipboard(session.xvfb.display), LIMIT, 0.2)
                check_export(text, expected_text, keep)
            session.wait_for_picture(name, reference, keep)
            print("  %5.1f s  %s" % (time.monotonic() - started, name))

        # The previews hold the figure in its colour: the pictures compared
        # above did not match on two empty strips.
        final = session.display.capture(session.window)
        previews = final.crop(*REGIONS["frame previews"])
        if not contains_colour(previews, colour):
            raise Failure("the frame previews show no pixel of the shapes' colour %s" % (colour,))
        check_saved(session.save, headless_save)
        code = session.close()
        if code != 0:
            raise Failure("the program ended with %d after its window was closed, not 0" % code)
    finally:
        session.stop()
    print("real session: %d steps, save and export boxes answered, clipboard as headless, closed with 0"
          % len(session_steps))


def check_headless_state(state):
    """The steps did in the headless run what they are meant to do, so that
    the real session repeats a session worth repeating: three shapes of one
    colour (not white), the middle one dragged and turned, the others where
    they were placed, two frames, and an export of two frames. Returns the
    shapes' colour as (r, g, b)."""
    def instances(name):
        return [i for i in state["instances"] if i["object"] == name]

    shapes = instances("obj_Canvas_Object")
    found = sorted((s["x"], s["y"], s["variables"].get("rot"), s["variables"].get("color")) for s in shapes)
    colours = set(f[3] for f in found)
    expected_places = sorted([PLACES[0], DRAG_PATH[-1], PLACES[2]])
    if len(found) != 3 or [(f[0], f[1]) for f in found] != expected_places or len(colours) != 1 or \
            colours == {0xFFFFFF} or [f[2] != 0 for f in found] != [(f[0], f[1]) == DRAG_PATH[-1] for f in found]:
        raise Failure("headless, the steps left the shapes (x, y, rot, colour) %s, not three of one colour at %s "
                      "with only the one at %s turned" % (found, expected_places, DRAG_PATH[-1]))
    frames = len(instances("obj_Frame"))
    text = state.get("clipboard")
    if frames != 2 or not isinstance(text, str) or "\tcase 1:\n" not in text:
        raise Failure("headless, the steps left %d frames and the clipboard %r, not two frames exported"
                      % (frames, text))
    colour = colours.pop()
    return (colour & 255, (colour >> 8) & 255, (colour >> 16) & 255)


def check_export(text, expected_text, keep):
    actual = text.decode("utf-8", "replace")
    if actual != expected_text:
        with open(os.path.join(keep, "clipboard.txt"), "wb") as f:
            f.write(text)
        at = next((i for i, (a, b) in enumerate(zip(actual, expected_text)) if a != b),
                  min(len(actual), len(expected_text)))
        line = expected_text.count("\n", 0, at) + 1
        raise Failure("the clipboard differs from the headless export at character %d (line %d): %r != %r"
                      % (at, line, actual[at:at + 40], expected_text[at:at + 40]))


def check_saved(save, headless_save):
    """The real session left in its save folder what the headless one left:
    the same file names with the same bytes (the frames' records, the index,
    and whatever else the editor writes there)."""
    ours = sorted(n for n in os.listdir(save) if os.path.isfile(os.path.join(save, n)))
    theirs = sorted(n for n in os.listdir(headless_save) if os.path.isfile(os.path.join(headless_save, n)))
    if ours != theirs:
        raise Failure("the save folder holds %s; headless it held %s" % (ours, theirs))
    for name in ours:
        with open(os.path.join(save, name), "rb") as a, open(os.path.join(headless_save, name), "rb") as b:
            if a.read() != b.read():
                raise Failure("the saved file %s differs from the headless run's" % name)


if __name__ == "__main__":
    sys.exit(xsession.run_test("window_test", lambda args, work: run(args.program, work)))

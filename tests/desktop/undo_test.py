#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""Undo and redo in the real window, under Xvfb, with the keys a person
presses: Ctrl+Z and Ctrl+Shift+Z sent as X key events.

The session: choose a shape, place a part, choose its row, drag the part,
then undo (the part back where it was placed), undo (no part), redo (the part
back where it was placed), redo (the part where it was dragged); then make a
frame of the figure and export it, answering the message box.

As in window_test.py, the same steps are first played headless with a
screenshot of each step settled, and the real window must show each step's
picture exactly before the next step goes out. The headless run also dumps
the state after the drag and after every undo and redo, and the test checks
there that the part is where each step puts it, so that the pictures
compared stand for the right states. At the end the clipboard holds the
headless export, with the part at its dragged offset from the centre cross,
and the program, its window closed, ends with 0.

A shortcut is held while its picture is awaited: the editor sees Control
only while it is down, so Control (and Shift) go down before the letter and
up after it. Letting go of the keys changes nothing on screen, so each
letting go also moves the pointer, which the editor draws: the picture of
the move shows that the key releases before it were taken.

Usage: undo_test.py PROGRAM [--keep DIR]
"""

import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import window_test  # noqa: E402
from window_test import Failure, LIMIT, SETTLE  # noqa: E402
import xsession  # noqa: E402
from xsession import wait_for  # noqa: E402

SHAPE = (128, 128)
PLACE = (400, 300)
GRIP = (406, 306)           # on the part, off its origin: the part jumps to it
ROW = (880, 311)            # the newest row of the object list
DRAG_PATH = [(430, 320), (460, 340)]
AWAY = (900, 700)           # below the object list's rows: nothing there
FRAME_SLOT = (127, 47)
EXPORT = (95, 502)
CENTRE = (512, 448)         # the canvas's cross, from which the export counts

# The keys as the input scripts name them, and as X names them.
X_KEYS = {"control": "Control_L", "shift": "Shift_L", "z": "z"}


def shortcut(*keys):
    return [("keydown", k) for k in keys]


def let_go(keys, to):
    return [("keyup", k) for k in reversed(keys)] + [("move",) + to]


def steps():
    """(name, events, box, part): as in window_test.py, and `part` the
    place (x, y) the part must have after the step headless, "none" for no
    part, None for no check."""
    undo, redo = ("control", "z"), ("control", "shift", "z")
    return [
        ("choose the shape", [("move",) + SHAPE, ("press",)], None, None),
        ("point at the place", [("release",), ("move",) + PLACE], None, None),
        ("place the part", [("press",)], None, PLACE),
        ("point at its row", [("release",), ("move",) + ROW], None, None),
        ("choose its row", [("press",)], None, None),
        ("point at the part", [("release",), ("move",) + GRIP], None, None),
        ("take the part", [("press",)], None, None),
        ("drag, part 1", [("move",) + DRAG_PATH[0]], None, None),
        ("drag, part 2", [("move",) + DRAG_PATH[1]], None, None),
        # Let go off the canvas (a move inside it in the release's frame
        # would still drag), onto Export, which lights up.
        ("let go", [("release",), ("move",) + EXPORT], None, DRAG_PATH[1]),
        ("undo the drag", shortcut(*undo), None, PLACE),
        ("let go of Ctrl+Z", let_go(undo, AWAY), None, None),
        ("undo the placing", shortcut(*undo), None, "none"),
        ("let go of Ctrl+Z again", let_go(undo, EXPORT), None, None),
        ("redo the placing", shortcut(*redo), None, PLACE),
        ("let go of Ctrl+Shift+Z", let_go(redo, AWAY), None, None),
        ("redo the drag", shortcut(*redo), None, DRAG_PATH[1]),
        ("let go of Ctrl+Shift+Z again", let_go(redo, FRAME_SLOT), None, None),
        ("make a frame", [("press",)], None, None),
        ("point at Export", [("release",), ("move",) + EXPORT], None, None),
        ("export", [("press",), ("release",)], "export", None),
        ("rest", [("release",), ("move",) + AWAY], None, DRAG_PATH[1]),
    ]


def script_line(frame, event):
    if event[0] == "move":
        return "%d move %d %d" % (frame, event[1], event[2])
    if event[0] in ("press", "release"):
        return "%d %s left" % (frame, event[0])
    return "%d %s %s" % (frame, event[0], event[1])


def run_headless(program, work, session):
    """Plays the steps headless, one event a frame, SETTLE frames before each
    step's screenshot, and a state dump with the screenshot of each step
    that checks the part (the last step does: its dump holds the export).
    Returns (screenshot paths, {step index: dump}, the last dump)."""
    folder = os.path.join(work, "headless")
    os.makedirs(os.path.join(folder, "save"))
    lines, shots, dumps, frame = [], [], {}, 2
    for index, (_, events, _, part) in enumerate(session):
        for event in events:
            lines.append(script_line(frame, event))
            frame += 1
        frame += SETTLE
        shots.append((frame - 1, os.path.join(folder, "step_%02d.png" % index)))
        if part is not None:
            dumps[index] = (frame - 1, os.path.join(folder, "dump_%02d.json" % index))
    last = frame - 1
    script = os.path.join(folder, "input.txt")
    with open(script, "w") as f:
        f.write("\n".join(lines) + "\n")
    command = [program, "-headless", "-noaudio", "-nowait", "-frames", str(last + 2), "-playback", script,
               "-output", os.path.join(folder, "log.txt")]
    for shot_frame, path in shots:
        command += ["-screenshot", str(shot_frame), path]
    for dump_frame, path in dumps.values():
        command += ["-dumpstate", str(dump_frame), path]
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(folder, "save"))
    env.pop("DISPLAY", None)
    result = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    if result.returncode != 0:
        raise Failure("the headless run ended with %d: %s" % (result.returncode, result.stdout.decode()[-2000:]))
    states = {}
    for index, (_, path) in dumps.items():
        with open(path) as f:
            states[index] = json.load(f)
    return [path for _, path in shots], states, states[len(session) - 1]


def check_headless_states(session, states, final):
    """Headless, each checked step left the part where it should be, and the
    export at the end holds it at its dragged offset. Returns that offset's
    text in the export."""
    for index, state in states.items():
        name, part = session[index][0], session[index][3]
        found = [(i["x"], i["y"]) for i in state["instances"] if i["object"] == "obj_Canvas_Object"]
        wanted = [] if part == "none" else [part]
        if found != wanted:
            raise Failure("headless, after '%s' the parts are at %s, not %s" % (name, found, wanted))
    dragged = "(%d)), y + (yScale *(%d))" % (DRAG_PATH[1][0] - CENTRE[0], DRAG_PATH[1][1] - CENTRE[1])
    text = final.get("clipboard")
    if not isinstance(text, str) or text.count(dragged) != 2:
        raise Failure("headless, the export does not hold the part at its dragged offset %s: %r" % (dragged, text))
    return dragged


def send(session, event):
    if event[0] == "keydown":
        session.input.key_down(X_KEYS[event[1]])
    elif event[0] == "keyup":
        session.input.key_up(X_KEYS[event[1]])
    else:
        session.send(event)


def run(program, work):
    session_steps = steps()
    started = time.monotonic()
    paths, states, final = run_headless(program, work, session_steps)
    dragged = check_headless_states(session_steps, states, final)
    # window_test's reading of the pictures wants (name, events, box).
    references = window_test.load_references(paths, [s[:3] for s in session_steps])
    print("headless run and its %d pictures: %.1f s" % (len(references), time.monotonic() - started))

    keep = os.path.join(work, "real")
    session = window_test.Session(program, work)
    try:
        session.start()
        # The keys go to the window with the focus; with no window manager
        # the test gives it, as window_test.py does for message boxes.
        session.input.focus(session.window)
        for (name, events, box, _), reference in zip(session_steps, references):
            if box == "export":
                session.send(("press",))
                session.answer_message_box("export",
                                           before=lambda: session.display.selection_owner("CLIPBOARD") == 0)
                text = wait_for("the clipboard to hold the export",
                                lambda: xsession.read_clipboard(session.xvfb.display), LIMIT, 0.2)
                window_test.check_export(text, final["clipboard"], keep)
                if dragged.encode() not in text:
                    raise Failure("the export does not hold the part at its dragged offset %s" % dragged)
            else:
                for event in events:
                    send(session, event)
            session.wait_for_picture(name, reference, keep)
            print("  %5.1f s  %s" % (time.monotonic() - started, name))
        code = session.close()
        if code != 0:
            raise Failure("the program ended with %d after its window was closed, not 0" % code)
    finally:
        session.stop()
    print("real session: %d steps, two undos and two redos as headless, the export as headless" % len(session_steps))


if __name__ == "__main__":
    sys.exit(xsession.run_test("undo_test", lambda args, work: run(args.program, work)))

#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""Composes a figure in the real editor and exports it, for the test of the
exported object (export_object_test.cpp).

    exportfigure.py PROGRAM OUT

The figure below is built the way a user builds it, by the composer that
makes the sample figures' scenarios (tools/figuregen/figuregen.py): parts
clicked onto the canvas, their scales, rotations and alphas typed, "animate"
ticked, frames made and changed, then Export pressed; after that each frame
is shown again from its thumbnail. PROGRAM runs that input headless, with
its save folder in OUT/editor/save/, and writes into OUT/editor/:

    input.txt, log.txt       the input played and the debug log
    export.json              the state dump of the frame that exported
    frame_<k>.png            the canvas showing frame k (from 0)

The three files the export wrote to the save folder's export/ folder are
then copied into OUT/game/objects/obj_Exported/, where the small game's
manifest (made by CMake) finds them as its object's events. A file the
editor did not write stops the build with a message saying which.

Python 3, standard library only.
"""
import os
import re
import shutil
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools", "figuregen"))
import figuregen  # noqa: E402

# Three frames; parts mirrored in x (arm_l, eye_r, and horn in frame 3) and
# in y (arm_r), turned, half transparent (tail), and animating (the eyes and
# the horn), in the composer's description format (tools/figuregen/figures.py).
FIGURE = {
    "name": "obj_Exported",
    "about": "a round creature waving its arms, for the export of a whole object",
    "parts": [
        ("body", 8, "purple", 0, 10, {"xs": 1.2, "ys": 1, "rot": 15}),
        ("arm_l", 6, "orange", -80, 0, {"xs": -.8, "ys": .6, "rot": 30}),
        ("arm_r", 6, "orange", 80, 0, {"xs": .8, "ys": -.6, "rot": -30}),
        ("eye_l", 7, "yellow", -20, -30, {"xs": .4, "ys": .4, "anim": 1}),
        ("eye_r", 7, "yellow", 25, -30, {"xs": -.4, "ys": .4, "rot": 90, "anim": 1}),
        ("tail", 10, "red", 0, 90, {"xs": .7, "ys": .5, "rot": 180, "alpha": .7}),
        ("horn", 9, "green", 0, -90, {"xs": .5, "ys": .5, "rot": 45, "anim": 1}),
    ],
    "frames": [
        {"arm_l": {"rot": 60, "dy": -20}, "arm_r": {"rot": -60, "dy": -20}, "eye_l": {"colour": "red"}},
        {"arm_l": {"rot": 90}, "tail": {"rot": 150, "dx": 20}, "horn": {"xs": -.5}},
    ],
}


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    program, out = argv[1], os.path.abspath(argv[2])
    editor = os.path.join(out, "editor")
    shutil.rmtree(editor, ignore_errors=True)  # a fresh save folder: no work kept from a run before
    os.makedirs(editor)
    text, export_frame = figuregen.build(FIGURE)
    inputs = [line for line in text.split("\n") if re.match(r"^\d+ ", line)]
    # The composer's pixel checks name the frames that show each figure frame.
    shots = [int(m.group(1)) for m in re.finditer(r"^expect (\d+) pixel ", text, re.M)]
    with open(os.path.join(editor, "input.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(inputs) + "\n")
    command = [program, "-headless", "-noaudio", "-nowait", "-frames", str(max(shots) + 2),
               "-playback", os.path.join(editor, "input.txt"), "-output", os.path.join(editor, "log.txt"),
               "-dumpstate", str(export_frame), os.path.join(editor, "export.json")]
    for k, frame in enumerate(shots):
        command += ["-screenshot", str(frame), os.path.join(editor, "frame_%d.png" % k)]
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(editor, "save"))
    run = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if run.returncode != 0:
        print("exportfigure: %s ended with %d:\n%s" % (program, run.returncode, run.stdout.decode(errors="replace")))
        return 1
    exported = os.path.join(editor, "save", "Mobwright", "export")
    objects = os.path.join(out, "game", "objects", "obj_Exported")
    os.makedirs(objects, exist_ok=True)
    for name in ("Create.ksl", "Step.ksl", "Draw.ksl"):
        source = os.path.join(exported, name)
        if not os.path.isfile(source):
            print("exportfigure: the editor wrote no export/%s (its log: %s)" % (name, os.path.join(editor, "log.txt")))
            return 1
        shutil.copyfile(source, os.path.join(objects, name))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

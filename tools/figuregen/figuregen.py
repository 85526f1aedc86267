#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""Turns the sample figures' descriptions (figures.py) into editor scenarios.

Each figure is built the way a user builds it: choose a shape and a colour,
click on the canvas at the crosshair plus the part's offset, choose the
part's row in the object list and type its scales, rotation and alpha into
the properties panel, tick "animate"; then make a frame with the "+" slot,
make the next frame (a copy of the canvas), change the parts that differ
(drag them, recolour, retype), and so on; finally press "Export". The
scenario checks the clipboard against the figure object's committed Draw
event, then shows each frame once more (its thumbnail clicked, no part
chosen) for the pictures that the figure drawing test compares with.

    figuregen.py write            write tests/editor/scenarios/figures/*.scn
    figuregen.py export PROGRAM   run each scenario's input in PROGRAM and write
                                  the clipboard text it exported to the figure
                                  object's Draw.ksl, byte for byte
    figuregen.py --check          the committed scenarios are what `write`
                                  makes, and each committed Draw.ksl holds the
                                  figure of the description (shapes, colours,
                                  offsets, scales, rotations, alphas, animation)

Python 3, standard library only.
"""
import json
import math
import os
import re
import subprocess
import textwrap
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import figures  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SCENARIO_DIR = os.path.join(ROOT, "tests", "editor", "scenarios", "figures")

# Where the editor's controls are (window pixels).
CROSS = (512, 448)
SHAPE_SELECTOR = {1: (25, 145), 2: (128, 128), 4: (96, 192), 6: (32, 256), 7: (128, 256),
                  8: (43, 323), 9: (131, 313), 10: (36, 385)}
COLOUR_SELECTOR = {"pink": (864, 120), "orange": (928, 120), "red": (992, 120),
                   "green": (864, 164), "purple": (928, 164), "yellow": (992, 164)}
COLOUR_VALUE = {"white": 16777215}
for _name, _rgb in {"pink": (232, 51, 192), "orange": (255, 101, 23), "red": (237, 31, 9),
                    "green": (133, 255, 39), "purple": (167, 44, 225), "yellow": (255, 244, 37)}.items():
    COLOUR_VALUE[_name] = _rgb[0] + 256 * _rgb[1] + 65536 * _rgb[2]
BOX = {"xs": (999, 207), "ys": (999, 235), "rot": (899, 263), "alpha": (999, 262)}
ANIMATE_BOX = (950, 275)
ROW_X, ROW_TOP, ROW_GAP = 880, 296, 15
SLOT_X, SLOT_Y, SLOT_GAP = 127, 47, 116
EXPORT = (95, 502)
CANVAS = (191, 832, 128, 768)  # strict bounds of the canvas
MAX_PARTS = 30
DEFAULTS = {"xs": 0.5, "ys": 0.5, "rot": 0, "alpha": 1, "anim": 0}


def sprite_sizes():
    """Width and height of each shape's sprites, from the editor's content."""
    with open(os.path.join(ROOT, "editor", "game.json"), encoding="utf-8") as f:
        sprites = json.load(f)["sprites"]
    sizes = {}
    for sprite in sprites:
        m = re.match(r"^spr_shape_(\d+)_back$", sprite["name"])
        if m:
            sizes[int(m.group(1))] = (sprite["width"], sprite["height"])
    return sizes


def typed(value):
    """The shortest text that `real` reads back as value; at most three characters."""
    if value == int(value):
        text = str(int(value))
    else:
        text = ("%.2f" % value).rstrip("0")
        text = text.replace("0.", ".", 1) if text.startswith(("0.", "-0.")) else text
    if len(text) > 3 or abs(float(text) - value) > 1e-9:
        raise ValueError("%r cannot be typed in three characters" % value)
    return text


def expand(fig):
    """The parts of every frame: a list (one per frame) of lists of dicts."""
    names = [p[0] for p in fig["parts"]]
    if len(set(names)) != len(names):
        raise ValueError("%s: two parts share a name" % fig["name"])
    first = []
    for name, shape, colour, dx, dy, *rest in fig["parts"]:
        part = dict(DEFAULTS, name=name, shape=shape, colour=colour, dx=dx, dy=dy)
        for key, value in (rest[0] if rest else {}).items():
            part[key] = value
        first.append(part)
    frames = [first]
    for changes in fig.get("frames", []):
        nxt = [dict(p) for p in frames[-1]]
        for name, change in changes.items():
            target = [p for p in nxt if p["name"] == name]
            if not target:
                raise ValueError("%s: no part %s" % (fig["name"], name))
            target[0].update(change)
        frames.append(nxt)
    sizes = sprite_sizes()
    for parts in frames:
        if len(parts) > MAX_PARTS:
            raise ValueError("%s: more than %d parts" % (fig["name"], MAX_PARTS))
        for p in parts:
            if p["shape"] not in SHAPE_SELECTOR or p["colour"] not in COLOUR_VALUE:
                raise ValueError("%s: part %s: unknown shape or colour" % (fig["name"], p["name"]))
            # The part, turned any way, within the circle round its sprite's
            # corners (the origins lie inside the sprites), inside the canvas.
            w, h = sizes[p["shape"]]
            r = math.hypot(w, h) * max(abs(p["xs"]), abs(p["ys"]))
            x, y = CROSS[0] + p["dx"], CROSS[1] + p["dy"]
            if not (CANVAS[0] < x - r and x + r < CANVAS[1] and CANVAS[2] < y - r and y + r < CANVAS[3]):
                raise ValueError("%s: part %s reaches outside the canvas" % (fig["name"], p["name"]))
            for key in ("xs", "ys", "rot", "alpha"):
                if p[key] != DEFAULTS[key]:
                    typed(p[key])
    return frames


class Script:
    """Input lines with the editor's selector state, so that every click
    switches on what it means to (a click on a selector that is on switches
    it off)."""

    def __init__(self):
        self.lines = []
        self.t = 2
        self.shape = None     # the shape selector that is on
        self.colour = None    # the colour selector that is on

    def comment(self, text):
        self.lines.append("# " + text)

    def click(self, x, y):
        self.lines.append("%d move %d %d" % (self.t, x, y))
        self.lines.append("%d click left" % (self.t + 1))
        self.t += 3

    def drag(self, x0, y0, x1, y1):
        self.lines.append("%d move %d %d" % (self.t, x0, y0))
        self.lines.append("%d press left" % (self.t + 1))
        self.lines.append("%d move %d %d" % (self.t + 2, x1, y1))
        self.lines.append("%d release left" % (self.t + 3))
        self.t += 5

    def type_into(self, box, value):
        self.click(*BOX[box])
        text = typed(value)
        self.lines.append('%d keys "%s"' % (self.t, text))
        self.t += len(text) + 1
        self.lines.append("%d keydown enter" % self.t)
        self.lines.append("%d keyup enter" % (self.t + 1))
        self.t += 3

    def use_shape(self, shape):
        if self.shape != shape:
            self.click(*SHAPE_SELECTOR[shape])
            self.shape = shape

    def use_colour(self, colour):
        if colour == "white":
            if self.colour is not None:
                self.click(*COLOUR_SELECTOR[self.colour])  # switched off: white
                self.colour = None
        elif self.colour != colour:
            self.click(*COLOUR_SELECTOR[colour])
            self.colour = colour

    def choose_row(self, parts, index, colour):
        self.click(ROW_X, ROW_TOP + (len(parts) - index) * ROW_GAP)
        self.shape = None
        # The colour selector of the part's colour lights up, every other goes off.
        c = colour
        self.colour = None if c == "white" else c

    def release_row(self, parts, index):
        self.click(ROW_X, ROW_TOP + (len(parts) - index) * ROW_GAP)


def edit(script, parts, index, old, new):
    """Changes one part from `old` to `new` through its row, the colour
    selectors, a drag and the properties panel."""
    keys = [k for k in ("colour", "dx", "dy", "xs", "ys", "rot", "alpha", "anim") if old[k] != new[k]]
    if not keys:
        return
    if old["shape"] != new["shape"]:
        raise ValueError("a part keeps its shape")
    script.comment("%s: %s" % (new["name"], ", ".join("%s %s" % (k, new[k]) for k in keys)))
    script.choose_row(parts, index, old["colour"])
    if "colour" in keys:
        script.use_colour(new["colour"])
    if "dx" in keys or "dy" in keys:
        script.drag(CROSS[0] + old["dx"], CROSS[1] + old["dy"], CROSS[0] + new["dx"], CROSS[1] + new["dy"])
    for key in ("xs", "ys", "rot", "alpha"):
        if key in keys:
            script.type_into(key, new[key])
    if "anim" in keys:
        script.click(*ANIMATE_BOX)
    script.release_row(parts, index)


def build(fig):
    """The scenario's text for one figure."""
    frames = expand(fig)
    s = Script()
    draw = "../../../../editor/objects/%s/Draw.ksl" % fig["name"]
    first = frames[0]
    s.comment("Frame 1: the parts, back to front, each clicked on the canvas.")
    for p in first:
        s.use_shape(p["shape"])
        s.use_colour(p["colour"])
        s.click(CROSS[0] + p["dx"], CROSS[1] + p["dy"])
    plain = [dict(p, **DEFAULTS) for p in first]
    for i, p in enumerate(first):
        edit(s, first, i, plain[i], p)
    s.comment("Frame 1 made with the \"+\" slot.")
    s.click(SLOT_X, SLOT_Y)
    for k in range(1, len(frames)):
        s.comment("Frame %d: a copy of the canvas, then its changes." % (k + 1))
        s.click(SLOT_X + k * SLOT_GAP, SLOT_Y)
        for i, p in enumerate(frames[k]):
            edit(s, frames[k], i, frames[k - 1][i], p)
    s.comment("Export: the text is the figure object's Draw event, character for character.")
    s.click(*EXPORT)
    export_frame = s.t
    if len(frames) == 1:
        # A thumbnail rebuilds the canvas only when its frame is not the active
        # one: a second frame, made after the export, makes that possible.
        s.comment("A second frame, after the export, so that frame 1 can be shown again.")
        s.click(SLOT_X + SLOT_GAP, SLOT_Y)
    s.comment("Each frame shown again from its thumbnail, no part chosen: the pictures")
    s.comment("that the figure drawing test compares with (one pixel check a frame).")
    checks = []
    for k in range(len(frames)):
        s.click(SLOT_X + k * SLOT_GAP, SLOT_Y)
        shot = s.t - 1
        x, y = CROSS[0] + frames[k][-1]["dx"], CROSS[1] + frames[k][-1]["dy"]
        checks.append((shot, x, y))
    out = ["# " + line for line in textwrap.wrap("%s, composed in the editor: %s." % (fig["name"], fig["about"]), 76)]
    out += ["# Made by tools/figuregen/figuregen.py from tools/figuregen/figures.py; do",
            "# not edit by hand: change the description and run the generator.", ""]
    out += s.lines
    out.append("")
    out.append('expect %d clipboard = file "%s"' % (export_frame, draw))
    out.append('expect log "Copied To Clipboard! (Ctr + V to paste)"')
    out.append('expect nolog "[message box] Error"')
    out.append("expect %d count obj_Frame = %d" % (export_frame, len(frames)))
    out.append("expect %d count obj_Canvas_Object = %d" % (export_frame, len(first)))
    out.append("# Each frame's picture: the front part's centre is drawn over the canvas's")
    out.append("# black, and no part is chosen (no handles).")
    for shot, x, y in checks:
        out.append("expect %d pixel %d %d != 0 0 0" % (shot, x, y))
        out.append("expect %d count obj_ObjectRotator = 0" % shot)
    return "\n".join(out) + "\n", export_frame


# --- reading an exported Draw event back --------------------------------------

# One draw_sprite_ext line of the export; the blanks around "yScale" differ
# between the animating fill, the animating outline and the still lines.
LINE = re.compile(r"^\t\t draw_sprite_ext\(spr_shape_(\d+)_(back|outline), (subImage|0), "
                  r"x \+ \(xScale \* \((-?\d+)\)\), y \+(  \(yScale \* \(| \( yScale \* \(| \(yScale \*\()(-?\d+)\)\), "
                  r"xScale \* (-?[\d.]+), yScale \* (-?[\d.]+), rot \+ \((-?[\d.]+)\), (c_white|\d+), "
                  r"alpha \* ([\d.]+)\);$")
Y_FORM = {("back", "subImage"): "  (yScale * (", ("outline", "subImage"): " ( yScale * (",
          ("back", "0"): " (yScale *(", ("outline", "0"): " (yScale *("}


def read_export(text):
    """The parts of every case of an exported Draw event."""
    cases = []
    lines = text.split("\n")
    if lines[0] != "switch floor(frame) { " or lines[-2:] != ["}", ""]:
        raise ValueError("not an exported Draw event")
    for line in lines[1:-2]:
        if line.startswith("\tcase "):
            cases.append([])
            continue
        if line in ("", "\tbreak;"):
            continue
        m = LINE.match(line)
        if not m:
            raise ValueError("unexpected line: %r" % line)
        shape, kind, sub, dx, yform, dy, xs, ys, rot, colour, alpha = m.groups()
        if Y_FORM[(kind, sub)] != yform:
            raise ValueError("unexpected blanks: %r" % line)
        if kind == "back":
            if colour != "c_white":
                raise ValueError("a fill not in white: %r" % line)
            cases[-1].append(dict(shape=int(shape), anim=1 if sub == "subImage" else 0, dx=int(dx), dy=int(dy),
                                  xs=float(xs), ys=float(ys), rot=float(rot), alpha=float(alpha)))
        else:
            cases[-1][-1]["colour_value"] = int(colour)
    return cases


def check_export(fig, text):
    frames = expand(fig)
    cases = read_export(text)
    problems = []
    if len(cases) != len(frames):
        return ["%d cases, the description has %d frames" % (len(cases), len(frames))]
    for k, (case, parts) in enumerate(zip(cases, frames)):
        if len(case) != len(parts):
            problems.append("case %d: %d parts, want %d" % (k, len(case), len(parts)))
            continue
        for got, want in zip(case, parts):
            for key in ("shape", "anim", "dx", "dy"):
                if got[key] != want[key]:
                    problems.append("case %d, %s: %s %s, want %s" % (k, want["name"], key, got[key], want[key]))
            for key in ("xs", "ys", "rot", "alpha"):
                if abs(got[key] - want[key]) > 1e-9:
                    problems.append("case %d, %s: %s %s, want %s" % (k, want["name"], key, got[key], want[key]))
            if got.get("colour_value") != COLOUR_VALUE[want["colour"]]:
                problems.append("case %d, %s: colour %s, want %s" % (k, want["name"], got.get("colour_value"),
                                                                    want["colour"]))
    return problems


def scenario_path(fig):
    return os.path.join(SCENARIO_DIR, fig["name"] + ".scn")


def draw_path(fig):
    return os.path.join(ROOT, "editor", "objects", fig["name"], "Draw.ksl")


def export(program, fig):
    """Runs the figure's scenario input in the program and returns the text it
    put on the clipboard."""
    text, export_frame = build(fig)
    inputs = [l for l in text.split("\n") if re.match(r"^\d+ ", l)]
    last = max(int(l.split()[0]) for l in inputs)
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "input.txt"), "w") as f:
            f.write("\n".join(inputs) + "\n")
        dump = os.path.join(folder, "dump.json")
        env = dict(os.environ, XDG_DATA_HOME=os.path.join(folder, "save"))
        subprocess.run([program, "-headless", "-noaudio", "-nowait", "-frames", str(last + 2),
                        "-playback", os.path.join(folder, "input.txt"), "-output", os.path.join(folder, "log.txt"),
                        "-dumpstate", str(export_frame), dump], check=True, env=env)
        with open(dump, encoding="utf-8") as f:
            clip = json.load(f)["clipboard"]
    if clip is None:
        raise RuntimeError("%s: the program put nothing on the clipboard" % fig["name"])
    return clip


def main(argv):
    if len(argv) >= 2 and argv[1] == "write":
        os.makedirs(SCENARIO_DIR, exist_ok=True)
        for fig in figures.FIGURES:
            with open(scenario_path(fig), "w", newline="\n") as f:
                f.write(build(fig)[0])
            print("wrote", scenario_path(fig))
        return 0
    if len(argv) >= 3 and argv[1] == "export":
        for fig in figures.FIGURES:
            clip = export(argv[2], fig)
            problems = check_export(fig, clip)
            if problems:
                print("%s: the export is not the figure described:\n  %s" % (fig["name"], "\n  ".join(problems)))
                return 1
            with open(draw_path(fig), "w", encoding="utf-8", newline="") as f:
                f.write(clip)
            print("wrote", draw_path(fig))
        return 0
    if len(argv) >= 2 and argv[1] == "--check":
        failed = False
        for fig in figures.FIGURES:
            try:
                with open(scenario_path(fig), encoding="utf-8") as f:
                    if f.read() != build(fig)[0]:
                        print("%s: the scenario is not what the description makes (run `figuregen.py write`)"
                              % fig["name"])
                        failed = True
                with open(draw_path(fig), encoding="utf-8", newline="") as f:
                    problems = check_export(fig, f.read())
                for p in problems:
                    print("%s: Draw.ksl: %s" % (fig["name"], p))
                failed = failed or bool(problems)
            except (OSError, ValueError) as e:
                print("%s: %s" % (fig["name"], e))
                failed = True
        print("figures: %s" % ("differ" if failed else "all as described"))
        return 1 if failed else 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))

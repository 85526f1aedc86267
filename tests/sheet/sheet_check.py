#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""The sprite sheet export read back by an independent reader (Pillow).

    sheet_check.py PROGRAM EXAMPLES_FOLDER SCRATCH COMMITTED_GIFS

For each example figure (EXAMPLES_FOLDER/<name>.ksl) the program's headless
--export-sheet writes <name>.png, .json and .gif at 2x into SCRATCH; then:
  - the atlas has the "hash" layout: frames keyed by cell name, each with
    frame {x, y, w, h} inside the image, sourceSize, duration in
    milliseconds; meta with image, size (the PNG's), scale, one frameTags
    entry spanning every cell, pivot inside the cell and pivotNorm;
  - the durations add up to the loop's steps at 60 a second (within 1 ms);
  - Pillow cuts every cell out of the sheet: each shows ink, and its border
    pixel is transparent;
  - the GIF loops for ever, has one frame per cell and the cell's size; its
    delays, added up, stay within a hundredth of a second of the loop's
    time; each frame is its cell by the GIF's rules: transparent where the
    cell is under half covered, else the cell's colour within the
    quantising's tolerance.
The same is done at 1x; those GIFs are the README's (COMMITTED_GIFS/<name>.gif)
and must equal them byte for byte: after a deliberate change, copy the ones
the failure names over the committed ones.
"""
import json
import os
import subprocess
import sys

from PIL import GifImagePlugin, Image

# Every frame as RGBA, the transparent colour at alpha 0.
GifImagePlugin.LOADING_STRATEGY = GifImagePlugin.LoadingStrategy.RGB_ALWAYS

EXAMPLES = ["bee", "honey", "imp", "octopus", "urchin"]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def export(program, figure, folder, scale):
    os.makedirs(folder, exist_ok=True)
    done = subprocess.run([program, "--export-sheet", figure, folder, "--scale", str(scale)],
                          capture_output=True, text=True)
    if done.returncode != 0:
        fail("%s --export-sheet %s: exit %d: %s" % (program, figure, done.returncode, done.stderr))


def check(folder, name, scale):
    with open(os.path.join(folder, name + ".json")) as f:
        atlas = json.load(f)
    sheet = Image.open(os.path.join(folder, name + ".png"))
    sheet.load()
    if sheet.mode != "RGBA":
        fail("%s.png is %s, not RGBA" % (name, sheet.mode))
    meta, frames = atlas["meta"], atlas["frames"]
    if meta["image"] != name + ".png" or meta["scale"] != str(scale):
        fail("%s: meta image/scale %r %r" % (name, meta["image"], meta["scale"]))
    if (meta["size"]["w"], meta["size"]["h"]) != sheet.size:
        fail("%s: meta size %r, the PNG is %r" % (name, meta["size"], sheet.size))
    names = ["%s %d" % (name, i) for i in range(len(frames))]
    if sorted(frames) != sorted(names):
        fail("%s: cells are not named <name> 0 .. <name> %d" % (name, len(frames) - 1))
    tags = meta["frameTags"]
    if len(tags) != 1 or tags[0]["from"] != 0 or tags[0]["to"] != len(frames) - 1:
        fail("%s: frameTags %r" % (name, tags))
    cells = []
    for key in names:
        cell = frames[key]
        r = cell["frame"]
        if r["x"] < 0 or r["y"] < 0 or r["x"] + r["w"] > sheet.size[0] or r["y"] + r["h"] > sheet.size[1]:
            fail("%s: %s lies outside the sheet" % (name, key))
        if (cell["sourceSize"]["w"], cell["sourceSize"]["h"]) != (r["w"], r["h"]) or cell["duration"] <= 0:
            fail("%s: %s sourceSize or duration %r" % (name, key, cell))
        picture = sheet.crop((r["x"], r["y"], r["x"] + r["w"], r["y"] + r["h"]))
        alpha = picture.getchannel("A")
        if alpha.getextrema()[1] == 0:
            fail("%s: %s is empty" % (name, key))
        border = [alpha.getpixel((x, y)) for x in range(r["w"]) for y in (0, r["h"] - 1)]
        border += [alpha.getpixel((x, y)) for y in range(r["h"]) for x in (0, r["w"] - 1)]
        if max(border) != 0:
            fail("%s: %s has ink on its border pixel" % (name, key))
        cells.append((picture, cell["duration"]))
    w, h = cells[0][0].size
    pivot, norm = meta["pivot"], meta["pivotNorm"]
    if not (0 <= pivot["x"] < w and 0 <= pivot["y"] < h):
        fail("%s: pivot %r outside the %dx%d cell" % (name, pivot, w, h))
    if abs(norm["x"] - pivot["x"] / w) > 1e-5 or abs(norm["y"] - pivot["y"] / h) > 1e-5:
        fail("%s: pivotNorm %r is not pivot / cell size" % (name, norm))
    loop_ms = meta["loop"]["steps"] * 1000 / 60
    if abs(sum(d for _, d in cells) - loop_ms) > 1:
        fail("%s: durations add up to %d ms, the loop is %.1f ms" % (name, sum(d for _, d in cells), loop_ms))

    gif = Image.open(os.path.join(folder, name + ".gif"))
    if gif.n_frames != len(cells) or gif.size != (w, h) or gif.info.get("loop") != 0:
        fail("%s.gif: %d frames of %r, loop %r; the sheet has %d cells of %dx%d" %
             (name, gif.n_frames, gif.size, gif.info.get("loop"), len(cells), w, h))
    elapsed_cs, true_ms, worst = 0, 0, 0
    for i, (picture, duration) in enumerate(cells):
        gif.seek(i)
        elapsed_cs += gif.info["duration"] // 10
        true_ms += duration
        if abs(elapsed_cs * 10 - true_ms) > 10 + 1:
            fail("%s.gif: after frame %d the delays add up to %d cs, the loop's time is %d ms" %
                 (name, i, elapsed_cs, true_ms))
        shown = gif.convert("RGBA").load()
        source = picture.load()
        for y in range(h):
            for x in range(w):
                r, g, b, a = source[x, y]
                c = shown[x, y]
                if (a < 128) != (c[3] == 0):
                    fail("%s.gif frame %d pixel (%d, %d): alpha %d in the cell, %d in the GIF" % (name, i, x, y, a, c[3]))
                if a >= 128:
                    worst = max(worst, abs(c[0] - r), abs(c[1] - g), abs(c[2] - b))
    # 255 colours for a few hundred: what the quantiser may merge stays close.
    if worst > 24:
        fail("%s.gif: a pixel is %d off its cell's colour" % (name, worst))
    return len(cells), worst


def main(argv):
    if len(argv) != 5:
        sys.stderr.write(__doc__)
        return 2
    program, examples, scratch, committed = argv[1:]
    for name in EXAMPLES:
        figure = os.path.join(examples, name + ".ksl")
        for scale in (2, 1):
            folder = os.path.join(scratch, "%dx" % scale)
            export(program, figure, folder, scale)
            cells, worst = check(folder, name, scale)
            print("%s at %dx: %d cells, GIF colours within %d" % (name, scale, cells, worst))
        made = os.path.join(scratch, "1x", name + ".gif")
        with open(made, "rb") as a, open(os.path.join(committed, name + ".gif"), "rb") as b:
            if a.read() != b.read():
                fail("%s differs from the README's %s/%s.gif; after a deliberate change copy it there" %
                     (made, committed, name))
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

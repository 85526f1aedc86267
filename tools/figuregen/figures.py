# SPDX-License-Identifier: Zlib
"""The sample figures, as figuregen.py builds them in the editor.

A figure's parts are listed back to front (the order in which they are
clicked onto the canvas, which is their layer order):

    (name, shape, colour, x offset, y offset, {changes from the defaults})

Offsets are pixels from the crosshair (y grows downwards). The defaults are
those of a freshly placed part: xs = ys = 0.5 (scales), rot = 0 (degrees,
counter-clockwise), alpha = 1, anim = 0 (1: the part runs through its sprite
frames). Scales, rotations and alphas are typed into the properties panel,
so each must fit in three characters (".75", "-.5", "135").

`frames` lists, for the second frame on, what changes from the frame before
(a new frame starts as a copy of the canvas): {part name: {key: value}} with
the keys above plus "colour", "dx" and "dy" (offsets are dragged).
"""
import math

BUZZER = {
    "name": "obj_Buzzer",
    "about": "a bee, side on, facing left, its wings beating over three frames",
    "parts": [
        ("wing_back", 6, "white", 8, -42, {"xs": .9, "ys": .7, "rot": 70, "alpha": .6, "anim": 1}),
        ("leg_1", 10, "orange", -28, 34, {"xs": .3, "ys": .2, "rot": 250}),
        ("leg_2", 10, "orange", -8, 38, {"xs": .3, "ys": .2, "rot": 260}),
        ("leg_3", 10, "orange", 14, 36, {"xs": .3, "ys": .2, "rot": 275}),
        ("sting", 6, "red", 84, 14, {"xs": .4, "ys": .3, "rot": 190}),
        ("abdomen", 7, "yellow", 40, 6, {"xs": 1, "ys": .9, "rot": 260}),
        ("stripe_1", 7, "orange", 30, 6, {"xs": .25, "ys": .8, "rot": 170}),
        ("stripe_2", 7, "orange", 54, 8, {"xs": .2, "ys": .6, "rot": 170}),
        ("thorax", 7, "yellow", -14, 0, {"xs": .7, "ys": .7}),
        ("antenna_1", 10, "orange", -66, -44, {"xs": .3, "ys": .4, "rot": 60}),
        ("antenna_2", 10, "orange", -48, -48, {"xs": .3, "ys": .4, "rot": 30}),
        ("head", 7, "yellow", -56, -8, {"xs": .6, "ys": .6, "rot": 10}),
        ("eye", 7, "red", -66, -10, {"xs": .2, "ys": .2}),
        ("mouth", 10, "red", -66, 10, {"xs": .2, "ys": .1, "rot": 200}),
        ("wing_front", 6, "white", 22, -46, {"xs": 1, "ys": .8, "rot": 50, "alpha": .8, "anim": 1}),
        ("shine", 10, "white", 44, -6, {"xs": .2, "ys": .2, "rot": 20, "alpha": .7}),
    ],
    "frames": [
        {"wing_back": {"rot": 40, "dy": -48}, "wing_front": {"rot": 20, "dy": -52},
         "leg_1": {"rot": 240}, "leg_3": {"rot": 285}},
        {"wing_back": {"rot": 100, "dy": -36}, "wing_front": {"rot": 80, "dy": -40},
         "leg_1": {"rot": 255}, "leg_3": {"rot": 270}, "antenna_1": {"rot": 70}},
    ],
}


HONEY = {
    "name": "obj_Honey",
    "about": "a drop of honey with a face, dripping, its drops falling over three frames",
    "parts": [
        ("tip", 1, "yellow", 0, -62, {"xs": .6}),
        ("drip_l", 9, "yellow", -38, 62, {"xs": .3, "ys": .4, "rot": 180, "anim": 1}),
        ("drip_r", 9, "yellow", 30, 68, {"xs": .3, "rot": 180, "anim": 1}),
        ("body", 7, "yellow", 0, 10, {"xs": 1.6, "ys": 1.3, "rot": 180}),
        ("arm_l", 6, "yellow", -58, 14, {"rot": 30}),
        ("arm_r", 6, "yellow", 58, 14, {"xs": -.5, "rot": -30}),
        ("shine", 10, "white", -24, -22, {"xs": .3, "ys": .3, "rot": 120, "alpha": .8}),
        ("eye_l", 2, "yellow", -20, 0, {"xs": .4}),
        ("eye_r", 2, "yellow", 20, 0, {"xs": .4}),
        ("brow_l", 6, "orange", -20, -20, {"xs": .3, "ys": .2, "rot": 170}),
        ("brow_r", 6, "orange", 20, -20, {"xs": -.3, "ys": .2, "rot": 190}),
        ("mouth", 10, "orange", 0, 26, {"xs": .3, "ys": .2}),
        ("cheek_l", 8, "pink", -38, 18, {"xs": .1, "ys": .1, "alpha": .7}),
        ("cheek_r", 8, "pink", 38, 18, {"xs": .1, "ys": .1, "alpha": .7}),
        ("spark_1", 8, "yellow", -70, -60, {"xs": .2, "ys": .2, "anim": 1}),
        ("spark_2", 8, "yellow", 66, -54, {"xs": .15, "ys": .15, "anim": 1}),
        ("drop_1", 1, "yellow", -52, 96, {"xs": .15, "ys": .15, "rot": 180}),
        ("drop_2", 9, "yellow", 46, 104, {"xs": .15, "ys": .15, "rot": 180}),
    ],
    "frames": [
        {"drip_l": {"ys": .5}, "drip_r": {"ys": .6, "dy": 74}, "drop_1": {"dy": 108}, "drop_2": {"dy": 116},
         "arm_l": {"rot": 60}, "arm_r": {"rot": -60}, "spark_1": {"dx": -76, "dy": -66}},
        {"drip_l": {"ys": .6, "dy": 68}, "drop_1": {"dy": 120, "alpha": .5}, "drop_2": {"dy": 128, "alpha": .5},
         "arm_l": {"rot": 10}, "arm_r": {"rot": -10}, "mouth": {"ys": .3}, "spark_2": {"dx": 72, "dy": -60}},
    ],
}

IMP = {
    "name": "obj_test_export_1_1_1",
    "about": "a spiky purple imp with horns, bat wings and a tail, flapping over three frames",
    "parts": [
        ("wing_l", 6, "purple", -70, -20, {"xs": -1, "ys": 1, "rot": 20, "anim": 1}),
        ("wing_r", 6, "purple", 70, -20, {"xs": 1, "ys": 1, "rot": -20, "anim": 1}),
        ("horn_l", 1, "red", -30, -70, {"xs": .3, "ys": .4, "rot": 20}),
        ("horn_r", 9, "red", 30, -70, {"xs": .4, "rot": -20}),
        ("foot_l", 10, "orange", -30, 70, {"xs": .4, "ys": .3}),
        ("foot_r", 10, "orange", 30, 70, {"xs": -.4, "ys": .3}),
        ("tail", 1, "purple", 60, 60, {"xs": .2, "ys": .4, "rot": 135}),
        ("tail_tip", 8, "red", 82, 80, {"xs": .15, "ys": .15}),
        ("body", 8, "purple", 0, 0, {"xs": 1.2, "ys": 1.2}),
        ("belly", 7, "pink", 0, 20, {"xs": .8, "ys": .7, "rot": 180}),
        ("brow", 6, "red", 0, -34, {"xs": .6, "ys": .2}),
        ("eye_l", 2, "white", -20, -14, {"xs": .4}),
        ("eye_r", 2, "white", 20, -14, {"xs": .4}),
        ("iris_l", 8, "red", -20, -14, {"xs": .1, "ys": .1, "anim": 1}),
        ("iris_r", 8, "red", 20, -14, {"xs": .1, "ys": .1, "anim": 1}),
        ("mouth", 10, "red", 0, 14, {"xs": .4, "ys": .2, "rot": 180}),
        ("fang_l", 9, "white", -10, 22, {"xs": .1, "ys": .15, "rot": 180}),
        ("fang_r", 9, "white", 10, 22, {"xs": .1, "ys": .15, "rot": 180}),
    ],
    "frames": [
        {"wing_l": {"rot": 40, "dy": -30}, "wing_r": {"rot": -40, "dy": -30}, "tail": {"rot": 120},
         "tail_tip": {"dx": 88, "dy": 70}},
        {"wing_l": {"rot": 0, "dy": -10}, "wing_r": {"rot": 0, "dy": -10}, "foot_l": {"rot": 10},
         "foot_r": {"rot": -10}, "mouth": {"ys": .3}},
    ],
}


def _sea_daddy():
    parts = []
    for i, dx in enumerate(range(-84, 85, 24)):
        parts.append(("back_arm_%d" % i, 9, "purple", dx, 70,
                      {"xs": .3, "ys": .8, "rot": 180 + dx // 4, "anim": i % 2}))
    for i, dx in enumerate(range(-63, 64, 18)):
        parts.append(("arm_%d" % i, 1, "pink", dx, 84,
                      {"xs": .25, "ys": .6, "rot": 180 + dx // 3, "anim": (i + 1) % 2}))
    parts += [
        ("fin_l", 6, "purple", -78, -40, {"xs": -.6, "ys": .6, "rot": 20, "anim": 1}),
        ("fin_r", 6, "purple", 78, -40, {"xs": .6, "ys": .6, "rot": -20, "anim": 1}),
        ("head", 4, "purple", 0, -20, {"xs": 1.3, "ys": 1.2}),
        ("spot_1", 4, "pink", -30, -60, {"xs": .15, "ys": .15}),
        ("spot_2", 4, "pink", 25, -70, {"xs": .2, "ys": .2}),
        ("spot_3", 4, "pink", 48, -40, {"xs": .12, "ys": .12}),
        ("eye_l", 2, "purple", -24, -6, {"xs": .45, "ys": .55}),
        ("eye_r", 2, "purple", 24, -6, {"xs": .45, "ys": .55}),
        ("brow_l", 6, "pink", -24, -28, {"xs": .3, "ys": .2, "rot": 160}),
        ("brow_r", 6, "pink", 24, -28, {"xs": -.3, "ys": .2, "rot": 200}),
        ("mouth", 6, "pink", 0, 22, {"xs": .3, "ys": .2, "rot": 180}),
        ("bubble_1", 4, "white", 70, -110, {"xs": .1, "ys": .1, "alpha": .5}),
        ("bubble_2", 4, "white", 88, -140, {"xs": .07, "ys": .07, "alpha": .5}),
        ("bubble_3", 4, "white", 62, -168, {"xs": .12, "ys": .12, "alpha": .5}),
    ]
    return parts


SEA_DADDY = {
    "name": "obj_SeaDaddy",
    "about": "an octopus with sixteen tentacles, fins and bubbles (one frame)",
    "parts": _sea_daddy(),
}


def _urchin():
    parts = [("ring", 2, "pink", 0, 0, {"xs": 1.2, "ys": 1.2})]
    for i in range(16):
        a = i * 22.5
        dx = round(70 * math.cos(math.radians(a)))
        dy = round(-70 * math.sin(math.radians(a)))
        parts.append(("spike_%d" % i, 6, "purple" if i % 2 else "pink", dx, dy,
                      {"xs": .75 if i % 4 == 0 else .5, "rot": round(a) % 360}))
    parts += [
        ("eye", 2, "yellow", 0, 0, {"xs": .8, "ys": .8, "anim": 1}),
        ("glint_1", 2, "white", -10, -8, {"xs": .2, "ys": .2}),
        ("glint_2", 2, "white", 12, 10, {"xs": .1, "ys": .1, "alpha": .6}),
    ]
    return parts


def _urchin_frames():
    # A wave of longer spikes runs round the ring, one spike further a frame
    # in each quarter, while the eye narrows and opens again.
    frames = []
    for k in range(1, 5):
        change = {}
        for i in range(16):
            before, now = (i % 4) == (k - 1) % 4, (i % 4) == k % 4
            if before != now:
                change["spike_%d" % i] = {"xs": .75 if now else .5}
        change["eye"] = {"ys": [.8, .6, .4, .6, .8][k]}
        if k == 4:
            change["ring"] = {"colour": "orange"}
        frames.append(change)
    return frames


URCHIN = {
    "name": "obj_test_export_1_1_1_1",
    "about": "a spinning sea urchin: a ring of sixteen spikes round an eye, a wave running round it over five frames",
    "parts": _urchin(),
    "frames": _urchin_frames(),
}

FIGURES = [IMP, HONEY, BUZZER, SEA_DADDY, URCHIN]

#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""Writes step_NN.scn: one scenario for every file step of two saves, each
cut off at that step with -failsave (the `failsave` line), then a restart
that must load the save before the cut or the one being made, never
anything else; and close_step_NN.scn the same for the unsaved work that
the program keeps in recovery.dat when it closes after save O: the next
start shows save O or the kept work. Run it again when the saves' steps
change; step_after.scn and close_step_after.scn fail when a save or the
close gains steps that no scenario cuts off."""
import os

FIRST_SAVE_STEPS = 21   # marker (5), one record (5), the frames file (5),
                        # the index (5), marker delete (1)
LAST_STEP = 62          # the second save: record copy (5), frames file copy (5),
                        # kept index (5), marker (5), two records (10), the
                        # frames file (5), the index (5), marker delete (1)

# The first save, the same in both kinds of scenario.
SAVE_O = """\
# Save O: one part at 400, 300 in frame 1 (steps 1 to 21).
2 move 128 128
3 click left
5 move 400 300
6 click left
8 move 127 47
9 click left
11 move 96 608
12 click left
"""

RUN1 = SAVE_O + """\
# Save N: the part dragged to 600, 300 (its record file is written again)
# and a second part at 450, 350 (steps 22 to 62).
14 move 880 311
15 click left
17 move 400 300
18 press left
20 move 600 300
21 release left
23 move 128 128
24 click left
26 move 450 350
27 click left
29 move 96 608
30 click left
expect 32 count obj_Canvas_Object = 2
"""

NOTHING = """\
expect 1 count obj_Frame = 0
"""
OLD = """\
expect 1 count obj_Frame = 1
expect 6 count obj_Canvas_Object = 1
expect 6 obj_Canvas_Object.x = 400
"""
NEW = """\
expect 1 count obj_Frame = 1
expect 6 count obj_Canvas_Object = 2
expect 6 obj_Canvas_Object#0.x = 600
expect 6 obj_Canvas_Object#1.x = 450
"""

RUN2 = """\
restart
# The loaded frame is shown at once; with none loaded, a click on the
# new-frame slot makes one.
3 move 127 47
4 click left
expect nolog "[message box] Error"
"""


def scenario(step):
    if step <= FIRST_SAVE_STEPS:
        what = "save O, before which nothing was saved"
        before, after = ("nothing", NOTHING), ("save O", OLD)
    else:
        what = "save N, made over save O"
        before, after = ("save O", OLD), ("save N", NEW)
    # The failure is the only message of a save that fails.
    no_saved = "Saved 1 frame, 1 part." if step <= FIRST_SAVE_STEPS else "Saved 1 frame, 2 parts."
    text = f"""# A save cut off at file step {step} of the save folder ({what}): every
# step from {step} on fails, as when the program ends there. The next start
# loads {before[0]} or {after[0]}, never anything else.
# Written by make_scenarios.py.
failsave {step}
{RUN1}expect log "Save folder: step {step} ("
expect log "[message box] Mobwright Studio| Tindra \\nThe frames could not be saved: "
expect log ". The last save is kept.\\n"
expect nolog "{no_saved}"
"""
    if step == LAST_STEP:
        text += f'expect log "Save folder: step {LAST_STEP} (delete copies/save_under_way) failed on purpose"\n'
        text += 'expect log "finishing the save failed (copies/save_under_way could not be deleted: "\n'
    text += RUN2 + "either\n" + before[1] + "or\n" + after[1] + "end\n"
    return text


def after_last():
    return f"""# With the failure set one step after the last step of the two saves,
# nothing fails: the saves have no step that the step_NN scenarios do not
# cut off (when this fails, the saves gained steps: run make_scenarios.py
# with the new count).
# Written by make_scenarios.py.
failsave {LAST_STEP + 1}
{RUN1}expect nolog "failed on purpose"
expect nolog "could not be saved"
expect nofile "copies/save_under_way"
{RUN2}{NEW}expect nolog "did not finish"
"""


CLOSE_LAST_STEP = 26     # after save O: recovery.dat written at the close (5)

CLOSE_RUN1 = SAVE_O + """\
# The frame deleted (its button at 176, 6) and not saved: the close keeps
# the work in recovery.dat (steps 22 to 26).
14 move 176 6
15 click left
expect 17 count obj_Frame = 0
"""

RECOVERED = """\
expect 1 count obj_Frame = 0
expect 1 count obj_Canvas_Object = 1
expect log "Restored the unsaved work of "
"""


def close_scenario(step):
    return f"""# The close's write of recovery.dat cut off at file step {step} of the save
# folder: every step from {step} on fails, as when the program ends there.
# The next start shows save O or the kept work, never anything else.
# Written by make_scenarios.py.
failsave {step}
{CLOSE_RUN1}expect log "Save folder: step {step} ("
{RUN2}either
{OLD}or
{RECOVERED}end
"""


def close_after_last():
    return f"""# With the failure set one step after the close's last step, nothing
# fails and the kept work comes back (when this fails, the close gained
# steps: run make_scenarios.py with the new count).
# Written by make_scenarios.py.
failsave {CLOSE_LAST_STEP + 1}
{CLOSE_RUN1}expect nolog "failed on purpose"
expect file "recovery.dat"
{RUN2}{RECOVERED}"""


here = os.path.dirname(os.path.abspath(__file__))
for old in os.listdir(here):
    if old.endswith(".scn"):
        os.remove(os.path.join(here, old))
# Save O's own steps are those of step_01 to step_21.
for step in range(FIRST_SAVE_STEPS + 1, CLOSE_LAST_STEP + 1):
    with open(os.path.join(here, f"close_step_{step:02d}.scn"), "w") as f:
        f.write(close_scenario(step))
with open(os.path.join(here, "close_step_after.scn"), "w") as f:
    f.write(close_after_last())
for step in range(1, LAST_STEP + 1):
    with open(os.path.join(here, f"step_{step:02d}.scn"), "w") as f:
        f.write(scenario(step))
with open(os.path.join(here, "step_after.scn"), "w") as f:
    f.write(after_last())

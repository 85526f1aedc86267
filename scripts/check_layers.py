#!/usr/bin/env python3
# SPDX-License-Identifier: Zlib
"""Checks that the runtime's folders include each other only downwards.

The runtime is built in layers; a file may include headers of its own layer
and of the layers below it, never of a layer above. A backend folder below a
subsystem (sound/openal) belongs to its subsystem's layer. Prints every include
against the order as "file:line: includes folder/header (layer N above layer
M)" and exits 1 when there is one; exits 0 when every include follows it.

It also keeps the platform seam: only runtime/platform and the backend folders
below a subsystem (graphics/sdl, sound/openal) may include the headers of SDL,
OpenAL or the operating system, or call SDL or OpenAL; any other file that
does is reported the same way.

    python3 scripts/check_layers.py [runtime folder]
"""
import os
import re
import sys

# Lowest first. The folders of a layer may include each other, except in a
# layer marked apart, whose folders stand side by side and include only the
# layers below.
LAYERS = [
    (["base"], False),                    # memory, consoles, the error report's core
    (["platform"], False),                # the operating system: window, clock, files, clipboard, message box
    (["value"], False),                   # tagged values, strings, arrays, conversions
    (["code", "object", "room"], False),  # compiled-code interface, objects, instances, the room's list
    (["data"], False),                    # the game data file
    (["collision", "graphics", "io", "library", "sound"], True),  # the subsystems
    (["run"], False),                     # the runner: registers the built-ins, start-up, the step, the loop
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/')

# The folders that talk to SDL, OpenAL and the operating system.
SEAM_FOLDERS = ("platform", os.path.join("graphics", "sdl"), os.path.join("sound", "openal"))
SYSTEM_HEADER = re.compile(r'^\s*#\s*include\s+<(SDL[^>]*|AL/[^>]*|X11/[^>]*|linux/[^>]*|sys/[^>]*|'
                           r'unistd\.h|fcntl\.h|dlfcn\.h|pthread\.h|signal\.h|dirent\.h|poll\.h|termios\.h)>')
SYSTEM_CALL = re.compile(r'\b(SDL_[A-Za-z0-9_]+|alc?[A-Z][A-Za-z0-9]*(?=\s*\())')


def seam_problems(root, relative, file):
    """Lines of a file outside the seam folders that reach past the seam."""
    if any(relative == folder or relative.startswith(folder + os.sep) for folder in SEAM_FOLDERS):
        return []
    found = []
    with open(file, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            code = line.split("//", 1)[0]
            header = SYSTEM_HEADER.match(code)
            if header:
                found.append("%s:%d: includes <%s> outside the platform layer and the backend folders"
                             % (file, number, header.group(1)))
                continue
            call = SYSTEM_CALL.search(code)
            if call:
                found.append("%s:%d: calls %s outside the platform layer and the backend folders"
                             % (file, number, call.group(1)))
    return found


def layer_of(folder):
    for number, (folders, _) in enumerate(LAYERS):
        if folder in folders:
            return number
    return None


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "runtime")
    root = os.path.normpath(root)
    problems = []
    for folder in sorted(os.listdir(root)):
        path = os.path.join(root, folder)
        if not os.path.isdir(path):
            continue
        own = layer_of(folder)
        if own is None:
            problems.append("%s: folder is in no layer (add it to LAYERS in %s)" % (path, __file__))
            continue
        for dirpath, _, files in os.walk(path):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                file = os.path.join(dirpath, name)
                problems.extend(seam_problems(root, os.path.relpath(dirpath, root), file))
                with open(file, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = match.group(1)
                        other = layer_of(target)
                        if other is None:
                            problems.append("%s:%d: includes %s, a folder in no layer" % (file, number, target))
                        elif other > own:
                            header = line.split('"')[1]
                            problems.append("%s:%d: includes %s (layer %d, above %s in layer %d)"
                                            % (file, number, header, other, folder, own))
                        elif other == own and target != folder and LAYERS[own][1]:
                            header = line.split('"')[1]
                            problems.append("%s:%d: includes %s (%s and %s stand apart in layer %d)"
                                            % (file, number, header, target, folder, own))
    for problem in problems:
        print(problem)
    if problems:
        print("%d include(s) against the layer order or the platform seam" % len(problems))
        return 1
    print("every include of %s follows the layer order and the platform seam" % root)
    return 0


if __name__ == "__main__":
    sys.exit(main())
